#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DialogosRoteiro.h"
#include "capture/ProcessaAbastecimento.h"
#include "capture/registros/Abastecimento.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Dialogos.h"
#include "data/RegistroLog.h"

// Records what the storage writes to the logs; a hook can make a write fail
// or look at the connection at that moment.
class TLogFalso final : public TRegistroLog {
  public:
    struct Linha {
        QString Data, Hora, CodBico;
        double Litros, Total, PrecoUnit;
        QString Sequencia, Id, Canal;
    };
    void GravaLogErro(const QString& texto) override {
        if (AoGravarErro)
            AoGravarErro();
        Erros << texto;
    }
    void EscreveLinhaLog(const QString& data, const QString& hora, const QString& codBico,
                         double litros, double total, double precoUnit, const QString& sequencia,
                         const QString& id, const QString& canal) override {
        if (AoEscrever)
            AoEscrever();
        Linhas.push_back({data, hora, codBico, litros, total, precoUnit, sequencia, id, canal});
    }
    QStringList Erros;
    std::vector<Linha> Linhas;
    std::function<void()> AoGravarErro;
    std::function<void()> AoEscrever;
};

// The fields of a fueling record, written at the offsets the library uses.
struct TCampos {
    bool Presente = true;
    std::int64_t Dinheiro = 255000;  // ten-thousandths: 25,5
    double Litros = 4.25;
    std::int64_t PrecoUnit = 60000;  // 6,0
    std::string Codigo = "1F";
    std::string Data = "25/12/2024";
    std::string Hora = "14:35";
    std::int32_t Registro = 42;
    double Encerrante = 10250.5;
    std::string Fid;
    int TamanhoFid = -1;  // the tag's length byte when it must lie
};

// Unclaimed bytes hold 0xCC, as the library leaves them.
TAbastecimento RegistroPadrao(const TCampos& c);
TAbastecimentoFid RegistroFid(const TCampos& c);

// A throwaway station database with the main window's datasets open on it.
// Nozzles: 01 (tank 12/A, code 031), 02 (005), 03 (255), 04 (004), 05 (010,
// whose tank does not exist).
class TEstacaoTeste {
  public:
    struct Opcoes {
        QString ImpreDescBico = QStringLiteral("N");
        int Sequencia = 7;
        QString SqlExtra;  // run before the connection opens
    };
    TEstacaoTeste() : TEstacaoTeste(Opcoes()) {}
    explicit TEstacaoTeste(const Opcoes& opcoes);
    ~TEstacaoTeste();

    // On a connection of its own: only what was committed.
    std::unique_ptr<TQuery> Consulta(const QString& sql);
    int Conta(const QString& sql);
    void Sql(const QString& script);
    // One statement of any shape (EXECUTE BLOCK, triggers), committed at once.
    void Executa(const QString& sql);

    QTemporaryDir Pasta;
    QString Banco;
    TConexao Conexao;
    TQuery Bombas;
    TQuery ParaPosto;
    TDataSet MvAbast;
    TDataSetEditavel SequenciaAbast;
    TLogFalso Log;
    TDialogosRoteiro Dialogos;
    bool UsaFid = false;
    int Restauracoes = 0;
    int Eventos = 0;
    std::unique_ptr<TCapturaAbastecimento> Captura;

  private:
    TConexao m_leitor;
};
