#include "concentrator/StatusBicos.h"

#include "concentrator/ClassConcentrador.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Transacao.h"
#include "data/Utilitarios.h"

TCanal LocalizaCanal(const QString& Codigo) {
    // 32 rows by 4 columns; column i starts at 4 + 64 * (i - 1).
    QString tabela[32][4];
    int achada = -1;
    int contador = -28;
    for (int i = 0; i < 4; ++i) {
        contador += 32;
        for (int j = 0; j < 32; ++j) {
            tabela[j][i] = PreencheZeros(QString::number(contador), 3);
            if (tabela[j][i] == Codigo)
                achada = j;
            ++contador;
        }
    }
    TCanal canal;
    if (achada >= 0) {
        for (int i = 0; i < 4; ++i)
            canal.Codigos[i] = tabela[achada][i];
    }
    return canal;
}

QString SqlAtualizaStatusBico() {
    return QStringLiteral("UPDATE BOMBAS SET") + Espacos(34) +
           QStringLiteral("BOMBAS.statusbico = :PStatusBico") + Espacos(18) +
           QStringLiteral("Where BOMBAS.codconcentrador = :PCodConcentrador ");
}

TStatusBicos::TStatusBicos(TConexao& conexao, std::function<TConcentrador*()> concentrador,
                           TRegistroLog& log)
    : m_conexao(conexao), m_concentrador(std::move(concentrador)), m_log(log) {}

namespace {

bool LetraPublicada(QChar letra) {
    static const QString letras = QStringLiteral("ABCEFLP");
    return letras.contains(letra);
}

}  // namespace

void TStatusBicos::AtualizaStatusBicos() {
    TQuery atualiza;
    atualiza.SetConnection(&m_conexao);
    atualiza.SetSQL(SqlAtualizaStatusBico());

    TConcentrador* concentrador = m_concentrador ? m_concentrador() : nullptr;
    if (!concentrador)
        return;
    const QString status = concentrador->GetLeStatus();

    bool algumaLetra = false;
    for (QChar letra : status)
        algumaLetra = algumaLetra || LetraPublicada(letra);
    if (!algumaLetra)
        return;

    TTransacao passagem(m_conexao, TDonoTransacao::Ciclo);

    for (qsizetype p = 1; p <= status.size(); ++p) {
        const QChar letra = status[p - 1];
        if (!LetraPublicada(letra))
            continue;
        const TCanal canal = LocalizaCanal(PreencheZeros(QString::number(p + 3), 3));
        for (const QString& codigo : canal.Codigos) {
            try {
                atualiza.ParamText(QStringLiteral("PStatusBico"), QString(letra));
                atualiza.ParamText(QStringLiteral("PCodConcentrador"), codigo);
                atualiza.ExecSQL();
            } catch (const std::exception& e) {
                const QString mensagem = MensagemDe(e);
                try {
                    passagem.Confirma();
                } catch (...) {
                    // Undone whole; the next pass writes every letter again.
                }
                m_log.GravaLogErro(QStringLiteral("Erro ao tentar gravar status do bico ") +
                                   PreencheZeros(QString::number(p), 2));
                throw EErro(QStringLiteral("Erro ao tentar gravar o status do bico") + mensagem);
            }
        }
    }
    passagem.Confirma();
}
