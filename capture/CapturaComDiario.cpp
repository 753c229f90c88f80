#include "capture/CapturaComDiario.h"

#include <QFileInfo>
#include <cstring>
#include <vector>

#include "data/Conexao.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"

namespace {

template <typename TRegistro>
TRegistro Registro(const QByteArray& bytes) {
    TRegistro r;
    std::memcpy(r.Bytes, bytes.constData(), sizeof r.Bytes);
    return r;
}

template <typename TRegistro>
QByteArray Bytes(const TRegistro& r) {
    return QByteArray(reinterpret_cast<const char*>(r.Bytes), sizeof r.Bytes);
}

}  // namespace

TCapturaComDiario::TCapturaComDiario(TCapturaAbastecimento::TAmbiente ambiente,
                                     const QString& diretorio, const TRelogio& relogio)
    : m_conexao(ambiente.Conexao),
      m_log(ambiente.Log),
      m_dialogos(ambiente.Dialogos),
      m_restaura(ambiente.RestoreMainWindow),
      m_captura(std::move(ambiente)),
      m_diario(diretorio, m_log, relogio) {}

void TCapturaComDiario::ProcessaAbastecimento(const TAbastecimento& registro) {
    Novo(Bytes(registro), false);
}

void TCapturaComDiario::ProcessaAbastecimentoFID(const TAbastecimentoFid& registro) {
    Novo(Bytes(registro), true);
}

void TCapturaComDiario::CarregaPendentes() {
    m_diario.Carrega();
    m_controle.clear();
}

bool TCapturaComDiario::DiscoDisponivel() {
    const bool cabe = m_diario.CabeRegistro();
    if (cabe == !m_semDisco)
        return cabe;
    m_semDisco = !cabe;
    // One line when it starts and one when it ends, where the error log can
    // still be written; never a box each cycle.
    try {
        m_log.GravaLogErro(
            cabe
                ? QStringLiteral("Há espaço de novo para o arquivo ") +
                      TDiarioAbastecimentos::NomeArquivo() +
                      QStringLiteral(": a leitura dos abastecimentos foi retomada")
                : QStringLiteral("Sem espaço em disco ou sem permissão de gravação para o "
                                 "arquivo ") +
                      TDiarioAbastecimentos::NomeArquivo() +
                      QStringLiteral(": os abastecimentos ficam no concentrador até haver espaço"));
    } catch (...) {
    }
    return cabe;
}

bool TCapturaComDiario::RetomaPendentes() {
    m_esperouBloqueio = false;
    std::vector<std::int64_t> numeros;
    for (const TDiarioAbastecimentos::Entrada& e : m_diario.Pendentes())
        numeros.push_back(e.Numero);
    for (std::int64_t numero : numeros) {
        if (!Tenta(numero, false))
            return false;
    }
    return true;
}

void TCapturaComDiario::Novo(const QByteArray& bytes, bool fid) {
    if (bytes.isEmpty() || bytes.at(0) == 0)
        return;  // no fueling this cycle
    std::int64_t numero = 0;
    try {
        numero = m_diario.Registra(bytes, fid);
    } catch (const std::exception& e) {
        // The fueling is no longer in the concentrator and not on disk here:
        // say so with its bytes, and still try to store it.
        const QString motivo = MensagemDe(e);
        try {
            m_log.GravaLogErro(QStringLiteral("Abastecimento não registrado em ") +
                               TDiarioAbastecimentos::NomeArquivo() + QStringLiteral(": ") +
                               motivo + QStringLiteral(" Registro: ") +
                               QString::fromLatin1(bytes.toHex().toUpper()));
        } catch (...) {
            // The box below still tells the operator.
        }
        if (m_restaura)
            m_restaura();
        m_dialogos.Erro(TextoErroLeitura(motivo));
        m_captura.DefineSilencioso(false);
        Processa(bytes, fid);
        return;
    }
    Tenta(numero, true);
}

bool TCapturaComDiario::Tenta(std::int64_t numero, bool primeira) {
    const TDiarioAbastecimentos::Entrada* e = m_diario.Procura(numero);
    if (!e)
        return true;
    // Copies: the entry goes away as it is cleared.
    const QByteArray bytes = e->Bytes;
    const bool fid = e->Fid;
    try {
        return TentaRegistro(numero, bytes, fid, primeira);
    } catch (const std::exception& erro) {
        // A journal file that cannot be written: whatever is still pending
        // is tried again.
        try {
            m_log.GravaLogErro(MensagemDe(erro));
        } catch (...) {
        }
    }
    return m_diario.Procura(numero) == nullptr;
}

bool TCapturaComDiario::TentaRegistro(std::int64_t numero, const QByteArray& bytes, bool fid,
                                      bool primeira) {
    const qsizetype tamanho = qsizetype(fid ? TAbastecimentoFid::Tamanho : TAbastecimento::Tamanho);
    if (bytes.size() != tamanho) {
        Retem(numero,
              QStringLiteral("Registro de %1 bytes, esperados %2").arg(bytes.size()).arg(tamanho));
        return true;
    }
    if (!primeira) {
        // Committed by an earlier attempt whose clearing never reached the
        // file (a crash in between): it must not be stored twice.
        try {
            if (JaGravado(bytes, fid)) {
                Conclui(numero);
                return true;
            }
        } catch (const std::exception&) {
            if (!m_conexao.Connected())
                return false;  // waits for the reconnect
            // Any other refusal: storing it reports what is wrong.
        }
    }

    TControle& controle = m_controle[numero];
    m_captura.DefineSilencioso(controle.Reportado);
    Processa(bytes, fid);
    switch (m_captura.Desfecho()) {
        case TDesfechoCaptura::SemAbastecimento:
        case TDesfechoCaptura::Gravado:
            Conclui(numero);
            return true;
        case TDesfechoCaptura::BicoDesconhecido:
        case TDesfechoCaptura::GravadoSemLinha:
            // Reported as always; kept so that its money is not lost, and
            // never stored again (that would repeat the log line and the
            // sequence increment).
            Retem(numero, m_captura.MotivoFalha());
            return true;
        case TDesfechoCaptura::SemConexao:
        case TDesfechoCaptura::Bloqueado:
            m_esperouBloqueio = m_captura.Desfecho() == TDesfechoCaptura::Bloqueado;
            return false;
        case TDesfechoCaptura::Falhou:
            break;
    }
    controle.Reportado = true;
    ++controle.Tentativas;
    QString motivo = Defeito(bytes, fid);
    if (motivo.isEmpty()) {
        if (controle.Tentativas < TentativasMaximas)
            return false;
        motivo = m_captura.MotivoFalha();
    }
    Retem(numero, motivo);
    m_log.GravaLogErro(QStringLiteral("Abastecimento guardado em ") +
                       TDiarioAbastecimentos::NomeArquivoRetidos() + QStringLiteral(": ") + motivo);
    return true;
}

void TCapturaComDiario::Processa(const QByteArray& bytes, bool fid) {
    if (fid)
        m_captura.ProcessaAbastecimentoFID(Registro<TAbastecimentoFid>(bytes));
    else
        m_captura.ProcessaAbastecimento(Registro<TAbastecimento>(bytes));
}

bool TCapturaComDiario::JaGravado(const QByteArray& bytes, bool fid) {
    return fid ? m_captura.JaGravado(Registro<TAbastecimentoFid>(bytes))
               : m_captura.JaGravado(Registro<TAbastecimento>(bytes));
}

QString TCapturaComDiario::Defeito(const QByteArray& bytes, bool fid) const {
    return fid ? DefeitoPermanente(Registro<TAbastecimentoFid>(bytes))
               : DefeitoPermanente(Registro<TAbastecimento>(bytes));
}

void TCapturaComDiario::Conclui(std::int64_t numero) {
    m_controle.erase(numero);
    m_diario.Conclui(numero);
}

void TCapturaComDiario::Retem(std::int64_t numero, const QString& motivo) {
    m_diario.Retem(numero, motivo);
    m_controle.erase(numero);
}

bool TCapturaComDiario::TemRetidos() const {
    return QFileInfo(m_diario.Caminho(TDiarioAbastecimentos::NomeArquivoRetidos())).size() > 0;
}
