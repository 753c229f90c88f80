#pragma once

// A station for the operator screens: the program's logic started over a
// fresh embedded database and the simulated concentrator, with the scripted
// dialogs; the screens get their environment from it as the program's
// launcher gives it from the main window.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <memory>

#include "Posto.h"
#include "TelaTeste.h"
#include "concentrator/ClassCompanyTec.h"
#include "screens/AmbienteTela.h"
#include "tests/sim/AmbienteSimulador.h"

struct TBicoTeste {
    QString CodBico;
    QString CodConcentrador;  // "NULL" for none
    double Preco;
};

// The widgets' application object, before anything makes a core one.
struct TAplicacaoGarantida {
    TAplicacaoGarantida() { GaranteAplicacao(); }
};

class TPostoTelas {
  public:
    // The nozzles of tank 01 (product 001), then the logic started; the
    // polling timer stays off unless the test wants cycles.
    void Inicia(const QList<TBicoTeste>& bicos, bool ciclos = false,
                const std::function<void(TComunicador&)>& antes = {}) {
        Prepara(bicos);
        TComunicador& c = posto.Cria();
        if (antes)
            antes(c);
        c.FormCreate();
        EXPECT_TRUE(posto.Dialogos.Caixas.empty());
        if (!ciclos)
            c.LeConcentrador.stop();
    }

    // The station's rows, Caminho.ini and the driver's factory, without
    // starting anything.
    void Prepara(const QList<TBicoTeste>& bicos) {
        QString sql = QStringLiteral(
            "INSERT INTO Produto (CodProd, Descricao) VALUES ('001', 'GASOLINA COMUM');"
            "INSERT INTO Tanques (CodTanque, CodProd) VALUES ('01', '001');");
        for (const TBicoTeste& b : bicos) {
            const QString codigo = b.CodConcentrador == QStringLiteral("NULL")
                                       ? b.CodConcentrador
                                       : QStringLiteral("'%1'").arg(b.CodConcentrador);
            sql += QStringLiteral(
                       "INSERT INTO Bombas (CodBico, Descricao, CodTanque, "
                       "CodConcentrador, PrecoVenda, statusbico) VALUES "
                       "('%1', 'BICO %1', '01', %2, %3, 'L');")
                       .arg(b.CodBico, codigo, QString::number(b.Preco, 'f', 3));
        }
        ExecutaSql(posto.Banco, sql + QStringLiteral("COMMIT;"));
        posto.Fabrica = [] {
            return std::make_unique<TCompanyTec>(TAmbienteSimulador::DiretorioPrograma());
        };
        posto.Prepara();
    }

    std::unique_ptr<TConcentrador> CriaDriver() {
        return std::make_unique<TCompanyTec>(TAmbienteSimulador::DiretorioPrograma());
    }

    TComunicador& C() { return *posto.Comunicador; }

    TAmbienteTela Ambiente() {
        TAmbienteTela a;
        a.Conexao = &C().CnVarmeno;
        a.Concentrador = [this]() -> TConcentrador* {
            return Driver ? Driver : C().Concentrador.get();
        };
        a.Dialogos = &posto.Dialogos;
        a.Relogio = &posto.Relogio;
        a.ReportaErro = [this](const QString& t) { Relatados.append(t); };
        return a;
    }

    QString Sql(const QString& consulta) { return ValorSql(posto.Banco, consulta); }
    // The stored price in its shortest form ("3.5").
    QString Preco(const QString& bico) {
        const QString v =
            Sql(QStringLiteral("SELECT PrecoVenda FROM Bombas WHERE CodBico = '%1'").arg(bico));
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok ? QString::number(d) : v;
    }

    QStringList Caixas() const {
        QStringList r;
        for (const auto& c : posto.Dialogos.Caixas)
            r.append(c.Texto);
        return r;
    }

    // The calls of one kind that reached the simulated concentrator.
    QList<QByteArray> Chamadas(const QByteArray& nome) const {
        QList<QByteArray> r;
        for (const QByteArray& l : sim.Chamadas())
            if (l.startsWith(nome + ' '))
                r.append(l);
        return r;
    }

    TAplicacaoGarantida aplicacao;
    TAmbienteSimulador sim;
    TPosto posto;
    QStringList Relatados;
    // Stands in for the program's driver when set.
    TConcentrador* Driver = nullptr;
};
