#include "capture/ContinuidadeAbastecimentos.h"

#include <cmath>

#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/RegistroLog.h"
#include "data/Utilitarios.h"

namespace {

bool RegistroValido(int id) {
    return id >= 1 && id <= TContinuidadeAbastecimentos::UltimoRegistro;
}

int Seguinte(int id) {
    return id >= TContinuidadeAbastecimentos::UltimoRegistro ? 1 : id + 1;
}

int Anterior(int id) {
    return id <= 1 ? TContinuidadeAbastecimentos::UltimoRegistro : id - 1;
}

QString Litros(double valor) {
    return FormataNumero(QStringLiteral("0.000"), valor);
}

}  // namespace

TContinuidadeAbastecimentos::TContinuidadeAbastecimentos(TRegistroLog& log) : m_log(log) {}

void TContinuidadeAbastecimentos::Carrega(TConexao& conexao) {
    // Sequence and register number give the order the concentrator handed
    // the fuelings over in; date and time do not (a time may have been
    // moved to a free second, the concentrator's clock may be wrong).
    TQuery ultimos;
    ultimos.SetConnection(&conexao);
    ultimos.SetSQL(QStringLiteral(
        "Select m.CodBico, m.Id, m.EncerranteFinal, "
        "Coalesce(m.Sequencia, 0) * 10000 + Coalesce(m.Id, 0) Chave "
        "From MvAbast m Inner Join "
        "(Select CodBico, Max(Coalesce(Sequencia, 0) * 10000 + Coalesce(Id, 0)) Chave "
        "From MvAbast Group By CodBico) u "
        "On u.CodBico = m.CodBico And "
        "Coalesce(m.Sequencia, 0) * 10000 + Coalesce(m.Id, 0) = u.Chave "
        "Order By 4"));
    ultimos.Open();
    QHash<QString, double> encerrantes;
    std::optional<int> ultimo;
    for (; !ultimos.Eof(); ultimos.Next()) {
        if (!ultimos.IsNull(QStringLiteral("EncerranteFinal")))
            encerrantes.insert(ultimos.AsString(QStringLiteral("CodBico")),
                               ultimos.AsFloat(QStringLiteral("EncerranteFinal")));
        const int id = ultimos.AsInteger(QStringLiteral("Id"));
        if (RegistroValido(id))
            ultimo = id;
    }
    Inicia(ultimo, std::move(encerrantes));
}

void TContinuidadeAbastecimentos::Inicia(std::optional<int> ultimoRegistro,
                                         QHash<QString, double> encerrantes) {
    m_ultimoRegistro =
        ultimoRegistro && RegistroValido(*ultimoRegistro) ? ultimoRegistro : std::nullopt;
    m_encerrantes = std::move(encerrantes);
    m_carregado = true;
}

void TContinuidadeAbastecimentos::Entregue(int id) {
    if (!m_carregado)
        return;
    ConfereRegistro(id);
}

void TContinuidadeAbastecimentos::Gravado(const QString& codBico, int id, double litros,
                                          double encerranteFinal) {
    if (!m_carregado)
        return;
    ConfereRegistro(id);
    if (!std::isfinite(encerranteFinal) || !std::isfinite(litros))
        return;
    const auto anterior = m_encerrantes.constFind(codBico);
    // The first fueling a nozzle ever stored has nothing to follow.
    if (anterior != m_encerrantes.cend()) {
        const double inicial = encerranteFinal - litros;
        if (std::fabs(inicial - *anterior) > ToleranciaLitros)
            Grava(LinhaEncerrante(codBico, *anterior, inicial));
    }
    m_encerrantes.insert(codBico, encerranteFinal);
}

void TContinuidadeAbastecimentos::ConfereRegistro(int id) {
    if (!RegistroValido(id))
        return;
    // The same fueling handed over again (a retry, a repeated read) is no gap.
    if (m_ultimoRegistro && *m_ultimoRegistro != id && Seguinte(*m_ultimoRegistro) != id)
        Grava(LinhaRegistros(Seguinte(*m_ultimoRegistro), Anterior(id)));
    m_ultimoRegistro = id;
}

void TContinuidadeAbastecimentos::Grava(const QString& linha) {
    try {
        m_log.GravaLogErro(linha);
    } catch (...) {
        // The fueling is stored already; a log that cannot be written must
        // not undo that.
    }
}

QString TContinuidadeAbastecimentos::LinhaRegistros(int primeiro, int ultimo) {
    if (primeiro == ultimo)
        return QStringLiteral("Registro do concentrador não recebido: %1").arg(primeiro);
    return QStringLiteral("Registros do concentrador não recebidos: %1 a %2")
        .arg(primeiro)
        .arg(ultimo);
}

QString TContinuidadeAbastecimentos::LinhaEncerrante(const QString& codBico, double anterior,
                                                     double inicial) {
    const double diferenca = inicial - anterior;
    const QString texto = QStringLiteral("Divergência no bico ") + codBico +
                          QStringLiteral(": encerrante anterior ") + Litros(anterior) +
                          QStringLiteral(", inicial deste abastecimento ") + Litros(inicial);
    if (diferenca > 0)
        return texto + QStringLiteral(" (") + Litros(diferenca) +
               QStringLiteral(" litros sem abastecimento)");
    return texto + QStringLiteral(" (o encerrante recuou ") + Litros(-diferenca) +
           QStringLiteral(" litros)");
}
