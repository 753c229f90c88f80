#include "concentrator/StatusBicos.h"

#include <vector>

#include "concentrator/ClassConcentrador.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"
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
                           TRegistroLog& log, const TRelogio* relogio)
    : m_conexao(conexao),
      m_concentrador(std::move(concentrador)),
      m_log(log),
      m_relogioProprio(relogio ? nullptr : std::make_unique<TRelogioSistema>()),
      m_relogio(relogio ? *relogio : *m_relogioProprio) {}

TStatusBicos::~TStatusBicos() = default;

namespace {

bool LetraPublicada(QChar letra) {
    static const QString letras = QStringLiteral("ABCEFLP");
    return letras.contains(letra);
}

// The channel of each status position, looked up once.
const TCanal& CanalDaPosicao(qsizetype p) {
    static const std::vector<TCanal> canais = [] {
        std::vector<TCanal> c;
        for (int posicao = 1; posicao <= 48; ++posicao)
            c.push_back(LocalizaCanal(PreencheZeros(QString::number(posicao + 3), 3)));
        return c;
    }();
    static const TCanal nenhum;
    return p >= 1 && p <= qsizetype(canais.size()) ? canais[size_t(p - 1)] : nenhum;
}

// One UPDATE of a pass over every position.
struct TEscrita {
    qsizetype Posicao;
    QString Codigo;
    QChar Letra;
    bool Ultima = false;  // no later position of the pass writes this code
};

// The UPDATEs of a pass over every position, in order. Positions past 32 all
// write the empty code, so only the last of those decides what it holds.
std::vector<TEscrita> EscritasDe(const QString& status) {
    std::vector<TEscrita> escritas;
    for (qsizetype p = 1; p <= status.size(); ++p) {
        const QChar letra = status[p - 1];
        if (!LetraPublicada(letra))
            continue;
        for (const QString& codigo : CanalDaPosicao(p).Codigos)
            escritas.push_back(TEscrita{p, codigo, letra});
    }
    // The last position writing each code decides what it holds.
    QHash<QString, qsizetype> ultima;
    for (const TEscrita& e : escritas)
        ultima.insert(e.Codigo, e.Posicao);
    for (TEscrita& e : escritas)
        e.Ultima = ultima.value(e.Codigo) == e.Posicao;
    return escritas;
}

}  // namespace

bool TStatusBicos::ProximaCompleta() const {
    if (m_completaPendente || m_conexao.Ligacoes() != m_ligacao)
        return true;
    const QDateTime agora = m_relogio.Agora();
    // A clock set back also counts as time to check everything again.
    return agora < m_ultimaCompleta || m_ultimaCompleta.secsTo(agora) >= IntervaloCompletaSegundos;
}

void TStatusBicos::AtualizaStatusBicos() {
    TConcentrador* concentrador = m_concentrador ? m_concentrador() : nullptr;
    if (!concentrador)
        return;
    const bool completa = ProximaCompleta();
    const quint64 ligacao = m_conexao.Ligacoes();
    // Cleared only by a pass that ends well.
    m_completaPendente = true;
    const QString status = concentrador->GetLeStatus();

    // The usual idle tick: nothing moved since the last pass.
    if (!completa && status == m_statusPublicado) {
        m_completaPendente = false;
        return;
    }

    const std::vector<TEscrita> escritas = EscritasDe(status);
    std::vector<const TEscrita*> executar;
    for (const TEscrita& e : escritas) {
        if (completa || (e.Ultima && m_publicado.value(e.Codigo) != e.Letra))
            executar.push_back(&e);
    }

    QHash<QString, QChar> publicado = m_publicado;
    for (const TEscrita& e : escritas)
        publicado.insert(e.Codigo, e.Letra);
    const auto concluida = [&](bool confirmadaAqui) {
        m_publicado = std::move(publicado);
        m_statusPublicado = status;
        m_ligacao = ligacao;
        // UPDATEs that joined someone else's unit of work may yet be undone.
        m_completaPendente = !confirmadaAqui;
        if (completa && confirmadaAqui)
            m_ultimaCompleta = m_relogio.Agora();
    };
    if (executar.empty()) {
        concluida(true);
        return;
    }

    TQuery atualiza;
    atualiza.SetConnection(&m_conexao);
    atualiza.SetSQL(SqlAtualizaStatusBico());
    TTransacao passagem(m_conexao, TDonoTransacao::Ciclo);

    for (const TEscrita* e : executar) {
        try {
            atualiza.ParamText(QStringLiteral("PStatusBico"), QString(e->Letra));
            atualiza.ParamText(QStringLiteral("PCodConcentrador"), e->Codigo);
            atualiza.ExecSQL();
        } catch (const std::exception& erro) {
            const QString mensagem = MensagemDe(erro);
            try {
                passagem.Confirma();
            } catch (...) {
                // Undone whole; the next pass writes every letter again.
            }
            m_log.GravaLogErro(QStringLiteral("Erro ao tentar gravar status do bico ") +
                               PreencheZeros(QString::number(e->Posicao), 2));
            throw EErro(QStringLiteral("Erro ao tentar gravar o status do bico") + mensagem);
        }
    }
    passagem.Confirma();
    concluida(passagem.Propria());
}
