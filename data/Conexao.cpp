#include "data/Conexao.h"

#include <ibase.h>

#include <algorithm>

#include "data/Erro.h"
#include "data/FirebirdInterno.h"
#include "data/Win1252.h"

using namespace Firebird;

using fb::TStatus;

namespace {

class TStatusMudo final : public CheckStatusWrapper {
  public:
    TStatusMudo() : CheckStatusWrapper(fb::Master()->getStatus()) {}
    ~TStatusMudo() { dispose(); }
    TStatusMudo(const TStatusMudo&) = delete;
    TStatusMudo& operator=(const TStatusMudo&) = delete;
    bool Falhou() const { return (getState() & IStatus::STATE_ERRORS) != 0; }
};

// Rolls back and frees a transaction; when the server cannot be asked any
// more the handle is freed anyway, or dropped after a lost link.
void AbandonaTransacao(ITransaction*& tra, const TConexao::Impl& con) {
    if (!tra) {
        return;
    }
    if (con.perdida) {
        tra = nullptr;
        return;
    }
    TStatusMudo st;
    tra->rollback(&st);
    if (st.Falhou()) {
        tra->release();
    }
    tra = nullptr;
}

// Same trimming rule as everywhere else: codes of 32 or less at both ends.
QString Apara(const QString& texto) {
    qsizetype ini = 0;
    qsizetype fim = texto.size();
    while (ini < fim && texto.at(ini).unicode() <= 32) {
        ++ini;
    }
    while (fim > ini && texto.at(fim - 1).unicode() <= 32) {
        --fim;
    }
    return texto.mid(ini, fim - ini);
}

QByteArray MontaTpb(const QString& isolamento, const QString& esperaBloqueios,
                    int segundosBloqueio) {
    QByteArray tpb;
    tpb.append(char(isc_tpb_version3));
    tpb.append(char(isc_tpb_write));
    const QString iso = Apara(isolamento);
    if (iso.compare(QLatin1String("RepeatableRead"), Qt::CaseInsensitive) == 0) {
        tpb.append(char(isc_tpb_concurrency));
    } else {
        tpb.append(char(isc_tpb_read_committed));
        // Dirty read has no Firebird counterpart; both read the newest
        // committed version rather than wait for a pending one.
        tpb.append(char(isc_tpb_rec_version));
    }
    const bool espera =
        Apara(esperaBloqueios).compare(QLatin1String("False"), Qt::CaseInsensitive) != 0;
    tpb.append(char(espera ? isc_tpb_wait : isc_tpb_nowait));
    if (espera && segundosBloqueio > 0) {
        // Waiting on a lock, but not for ever: another program's long
        // transaction must not hold the polling with it.
        tpb.append(char(isc_tpb_lock_timeout));
        tpb.append(char(4));
        for (int i = 0; i < 4; ++i) {
            tpb.append(char((segundosBloqueio >> (8 * i)) & 0xFF));
        }
    }
    return tpb;
}

}  // namespace

// ---------------------------------------------------------------------------

void fb::TStatus::checkException(TStatus* st) {
    if (st->dirty && (st->getState() & IStatus::STATE_ERRORS)) {
        if (st->m_con && StatusConexaoPerdida(st)) {
            st->m_con->perdida = true;
        }
        throw FbException(st->status);
    }
}

namespace {

// The client library catches SIGINT and SIGTERM itself and, on its own
// thread, shuts every attachment down at once: a pass cut in the middle and
// a race with the process's exit. The program takes those signals through
// its own close path, so the library's shutdown on a signal is refused.
int RecusaEncerramentoPorSinal(const int motivo, const int, void*) {
    return motivo == fb_shutrsn_signal ? 1 : 0;
}

IMaster* IniciaCliente() {
    IMaster* master = fb_get_master_interface();
    ISC_STATUS_ARRAY status = {};
    fb_shutdown_callback(status, RecusaEncerramentoPorSinal, fb_shut_confirmation, nullptr);
    return master;
}

}  // namespace

IMaster* fb::Master() {
    static IMaster* master = IniciaCliente();
    return master;
}

QString fb::TextoStatus(const IStatus* status) {
    const ISC_STATUS* p = status->getErrors();
    QString texto;
    char linha[1024];
    while (fb_interpret(linha, sizeof linha, &p) > 0) {
        if (!texto.isEmpty()) {
            texto += QLatin1Char('\n');
        }
        texto += De1252(QByteArray(linha));
    }
    if (texto.isEmpty()) {
        texto = QStringLiteral("Erro desconhecido do banco de dados");
    }
    return texto;
}

namespace {

template <size_t N>
bool StatusContem(const IStatus* status, const ISC_STATUS (&codigos)[N]) {
    const ISC_STATUS* p = status->getErrors();
    while (*p != isc_arg_end) {
        const ISC_STATUS tipo = *p++;
        if (tipo == isc_arg_gds) {
            const ISC_STATUS codigo = *p++;
            if (std::find(std::begin(codigos), std::end(codigos), codigo) != std::end(codigos)) {
                return true;
            }
        } else if (tipo == isc_arg_cstring) {
            p += 2;
        } else {
            ++p;
        }
    }
    return false;
}

}  // namespace

bool fb::StatusConexaoPerdida(const IStatus* status) {
    static constexpr ISC_STATUS kCodigos[] = {
        isc_network_error, isc_net_read_err,    isc_net_write_err,       isc_lost_db_connection,
        isc_conn_lost,     isc_shutdown,        isc_att_shutdown,        isc_unavailable,
        isc_shutinprog,    isc_net_connect_err, isc_net_server_shutdown, isc_bad_db_handle,
    };
    return StatusContem(status, kCodigos);
}

bool fb::StatusBloqueio(const IStatus* status) {
    static constexpr ISC_STATUS kCodigos[] = {
        isc_lock_timeout,
        isc_lock_conflict,
        isc_deadlock,
        isc_update_conflict,
    };
    return StatusContem(status, kCodigos);
}

// ---------------------------------------------------------------------------

ITransaction* TConexao::Impl::NovaTransacao() {
    TStatus st(this);
    return att->startTransaction(&st, unsigned(tpb.size()),
                                 reinterpret_cast<const unsigned char*>(tpb.constData()));
}

void TConexao::Impl::Descarta() {
    // Handles are dropped, not freed: freeing them would ask the server.
    perdida = true;
    for (auto* u : std::vector<fb::IUsuarioConexao*>(usuarios)) {
        u->LiberaComandos();
    }
    traAuto = nullptr;
    if (tra) {
        traPerdida = true;
    }
    tra = nullptr;
    att = nullptr;
}

QString TextoConexaoPerdida() {
    return QStringLiteral("A conexão com o banco de dados foi perdida");
}

void TConexao::Impl::ExigeTransacaoViva() const {
    if (traPerdida) {
        throw EErroBanco(TextoConexaoPerdida(), true);
    }
}

void TConexao::Impl::Falha(const FbException& erro) {
    const bool caiu = perdida || fb::StatusConexaoPerdida(erro.getStatus());
    const bool bloqueio = !caiu && fb::StatusBloqueio(erro.getStatus());
    const QString texto = fb::TextoStatus(erro.getStatus());
    if (caiu) {
        Descarta();
    }
    throw EErroBanco(texto, caiu, bloqueio);
}

void TConexao::Impl::Registra(fb::IUsuarioConexao* usuario) {
    if (std::find(usuarios.begin(), usuarios.end(), usuario) == usuarios.end()) {
        usuarios.push_back(usuario);
    }
}

void TConexao::Impl::Desregistra(fb::IUsuarioConexao* usuario) {
    usuarios.erase(std::remove(usuarios.begin(), usuarios.end(), usuario), usuarios.end());
}

// ---------------------------------------------------------------------------

TTransacaoUso::TTransacaoUso(TConexao& conexao) : m_con(conexao.impl()) {
    if (m_con->tra) {
        return;
    }
    try {
        m_con->traAuto = m_con->NovaTransacao();
        m_propria = true;
    } catch (const FbException& e) {
        m_con->Falha(e);
    }
}

TTransacaoUso::~TTransacaoUso() {
    if (m_propria) {
        AbandonaTransacao(m_con->traAuto, *m_con);
    }
}

ITransaction* TTransacaoUso::Transacao() const {
    ITransaction* tra = m_propria ? m_con->traAuto : m_con->tra;
    if (!tra) {
        // Only after the link was dropped under a running statement.
        throw EErroBanco(TextoConexaoPerdida(), true);
    }
    return tra;
}

void TTransacaoUso::Confirma() {
    if (!m_propria || !m_con->traAuto) {
        return;
    }
    try {
        TStatus st(m_con);
        m_con->traAuto->commit(&st);
        m_con->traAuto = nullptr;
    } catch (const FbException& e) {
        m_con->Falha(e);
    }
}

TConexao::Impl& ExigeConexao(TConexao* conexao) {
    if (!conexao) {
        throw EErroBanco(QStringLiteral("Conexão não definida"));
    }
    conexao->impl()->ExigeTransacaoViva();
    if (!conexao->Connected()) {
        conexao->Open();
    }
    return *conexao->impl();
}

// ---------------------------------------------------------------------------

TConexao::TConexao() : m_impl(std::make_unique<Impl>()) {
    m_impl->master = fb::Master();
    m_impl->util = m_impl->master->getUtilInterface();
}

TConexao::~TConexao() {
    Close();
    for (auto* u : std::vector<fb::IUsuarioConexao*>(m_impl->usuarios)) {
        u->ConexaoDestruida();
    }
    if (m_impl->provider) {
        m_impl->provider->release();
    }
}

void TConexao::DefineParametrosPadrao() {
    m_parametros = QStringList{
        QStringLiteral("DriverName=Interbase"),
        QStringLiteral("Database=Varmeno.gdb"),
        QStringLiteral("RoleName=RoleName"),
        QStringLiteral("User_Name=sysdba"),
        QStringLiteral("Password=tankgauge"),
        QStringLiteral("ServerCharSet="),
        QStringLiteral("SQLDialect=1"),
        QStringLiteral("ErrorResourceFile="),
        QStringLiteral("LocaleCode=0000"),
        QStringLiteral("BlobSize=-1"),
        QStringLiteral("CommitRetain=False"),
        QStringLiteral("WaitOnLocks=True"),
        QStringLiteral("Interbase TransIsolation=ReadCommited"),
        QStringLiteral("Trim Char=False"),
    };
}

namespace {
qsizetype IndiceDoNome(const QStringList& linhas, const QString& nome) {
    for (qsizetype i = 0; i < linhas.size(); ++i) {
        const qsizetype igual = linhas[i].indexOf(QLatin1Char('='));
        const QString nomeLinha = igual < 0 ? linhas[i] : linhas[i].left(igual);
        if (nomeLinha.compare(nome, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}
}  // namespace

void TConexao::DefineParametro(const QString& nome, const QString& valor) {
    const qsizetype i = IndiceDoNome(m_parametros, nome);
    if (valor.isEmpty()) {
        if (i >= 0) {
            m_parametros.removeAt(i);
        }
        return;
    }
    const QString linha = nome + QLatin1Char('=') + valor;
    if (i >= 0) {
        m_parametros[i] = linha;
    } else {
        m_parametros.append(linha);
    }
}

QString TConexao::Parametro(const QString& nome) const {
    const qsizetype i = IndiceDoNome(m_parametros, nome);
    if (i < 0) {
        return QString();
    }
    const qsizetype igual = m_parametros[i].indexOf(QLatin1Char('='));
    return igual < 0 ? QString() : m_parametros[i].mid(igual + 1);
}

const QStringList& TConexao::Parametros() const {
    return m_parametros;
}

void TConexao::Open() {
    Impl& c = *m_impl;
    if (c.att) {
        return;
    }
    bool ok = false;
    const int dialeto = Parametro(QStringLiteral("SQLDialect")).trimmed().toInt(&ok);
    c.dialeto = ok && dialeto >= 1 && dialeto <= 3 ? unsigned(dialeto) : 1u;
    c.tpb = MontaTpb(Parametro(QStringLiteral("Interbase TransIsolation")),
                     Parametro(QStringLiteral("WaitOnLocks")), c.limites.BloqueioSegundos);

    IXpbBuilder* dpb = nullptr;
    c.perdida = false;
    try {
        TStatus st;
        if (!c.provider) {
            c.provider = c.master->getDispatcher();
        }
        dpb = c.util->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
        const QByteArray usuario = Para1252(Parametro(QStringLiteral("User_Name")));
        const QByteArray senha = Para1252(Parametro(QStringLiteral("Password")));
        const QByteArray papel = Para1252(Apara(Parametro(QStringLiteral("RoleName"))));
        const QByteArray charset = Para1252(Apara(Parametro(QStringLiteral("ServerCharSet"))));
        if (!usuario.isEmpty()) {
            dpb->insertString(&st, isc_dpb_user_name, usuario.constData());
        }
        if (!senha.isEmpty()) {
            dpb->insertString(&st, isc_dpb_password, senha.constData());
        }
        if (!papel.isEmpty()) {
            dpb->insertString(&st, isc_dpb_sql_role_name, papel.constData());
        }
        if (!charset.isEmpty()) {
            dpb->insertString(&st, isc_dpb_lc_ctype, charset.constData());
        }
        dpb->insertInt(&st, isc_dpb_sql_dialect, int(c.dialeto));
        // A host that does not answer is given up after a few seconds.
        dpb->insertInt(&st, isc_dpb_connect_timeout, c.limites.ConexaoSegundos);
        dpb->insertInt(&st, isc_dpb_utf8_filename, 1);
        const QByteArray caminho = Parametro(QStringLiteral("Database")).toUtf8();
        c.att = c.provider->attachDatabase(&st, caminho.constData(), dpb->getBufferLength(&st),
                                           dpb->getBuffer(&st));
    } catch (const FbException& e) {
        if (dpb) {
            dpb->dispose();
        }
        c.Falha(e);
    }
    dpb->dispose();
    ++m_ligacoes;
}

void TConexao::Close() {
    Impl& c = *m_impl;
    if (!c.att) {
        return;
    }
    TChamadaVigiada vigiada(c);
    for (auto* u : std::vector<fb::IUsuarioConexao*>(c.usuarios)) {
        u->LiberaComandos();
    }
    AbandonaTransacao(c.traAuto, c);
    AbandonaTransacao(c.tra, c);
    // Kept alive until the watchdog can no longer reach it.
    IAttachment* att = c.att;
    att->addRef();
    TStatusMudo st;
    att->detach(&st);
    if (st.Falhou()) {
        att->release();
    }
    c.att = nullptr;
    c.vigia.Desarma();
    att->release();
}

bool TConexao::Connected() const {
    return m_impl->att != nullptr;
}

bool TConexao::InTransaction() const {
    return m_impl->tra != nullptr || m_impl->traPerdida;
}

void TConexao::DefineDonoTransacao(TDonoTransacao dono) {
    m_impl->dono = dono;
}

bool TConexao::UnidadeDeTelaAberta() const {
    return InTransaction() && m_impl->dono == TDonoTransacao::Tela;
}

void TConexao::StartTransaction() {
    Impl& c = ExigeConexao(this);
    if (c.tra) {
        throw EErroBanco(QStringLiteral("Já existe uma transação ativa nesta conexão"));
    }
    TChamadaVigiada vigiada(c);
    try {
        c.dono = TDonoTransacao::Ciclo;
        c.tra = c.NovaTransacao();
    } catch (const FbException& e) {
        c.Falha(e);
    }
}

void TConexao::Commit() {
    Impl& c = *m_impl;
    c.ExigeTransacaoViva();
    if (!c.tra) {
        return;
    }
    TChamadaVigiada vigiada(c);
    try {
        TStatus st(&c);
        c.tra->commit(&st);
        c.tra = nullptr;
    } catch (const FbException& e) {
        // A refused commit leaves the transaction active, for the caller's undo.
        c.Falha(e);
    }
}

void TConexao::Rollback() {
    Impl& c = *m_impl;
    c.traPerdida = false;
    if (!c.tra) {
        return;
    }
    TChamadaVigiada vigiada(c);
    try {
        TStatus st(&c);
        c.tra->rollback(&st);
        c.tra = nullptr;
    } catch (const FbException& e) {
        // The transaction ends here whatever the server said: a handle kept
        // would hold every later unit of work for ever.
        fb::Solta(c.tra, &c);
        c.Falha(e);
    }
}

bool TConexao::Responde() {
    Impl& c = *m_impl;
    if (!c.att) {
        return false;
    }
    TChamadaVigiada vigiada(c);
    try {
        TStatus st(&c);
        c.att->ping(&st);
        return true;
    } catch (const FbException&) {
        if (c.perdida) {
            c.Descarta();
        }
        return false;
    }
}

void TConexao::DefineLimites(const TLimitesConexao& limites) {
    m_impl->limites = limites;
}

const TLimitesConexao& TConexao::Limites() const {
    return m_impl->limites;
}

TLimiteChamada::TLimiteChamada(TConexao& conexao, int ms)
    : m_conexao(conexao), m_anterior(conexao.Limites().ChamadaMs) {
    TLimitesConexao limites = conexao.Limites();
    limites.ChamadaMs = ms;
    conexao.DefineLimites(limites);
}

TLimiteChamada::~TLimiteChamada() {
    TLimitesConexao limites = m_conexao.Limites();
    limites.ChamadaMs = m_anterior;
    m_conexao.DefineLimites(limites);
}

bool ConexaoCaiu(const std::exception& erro, const TConexao& conexao) {
    const auto* banco = dynamic_cast<const EErroBanco*>(&erro);
    return (banco && banco->ConexaoPerdida()) || !conexao.Connected();
}

bool RegistroBloqueado(const std::exception& erro) {
    const auto* banco = dynamic_cast<const EErroBanco*>(&erro);
    return banco && banco->Bloqueio();
}

// ---------------------------------------------------------------------------

void IniciaTransacao(TConexao& conexao) {
    if (!conexao.InTransaction()) {
        conexao.StartTransaction();
    }
}

void ConfirmaTransacao(TConexao& conexao) {
    if (conexao.InTransaction()) {
        conexao.Commit();
    }
}

void DesfazTransacao(TConexao& conexao) {
    if (conexao.InTransaction()) {
        conexao.Rollback();
    }
}
