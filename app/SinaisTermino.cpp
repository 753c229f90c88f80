#include "app/SinaisTermino.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace {
int g_par[2] = {-1, -1};
struct sigaction g_anteriorTerm;
struct sigaction g_anteriorInt;

void AoSinal(int sinal) {
    const unsigned char byte = static_cast<unsigned char>(sinal);
    // Only async-signal-safe calls here; a full pipe just drops the byte.
    [[maybe_unused]] const ssize_t n = ::write(g_par[0], &byte, 1);
}
}  // namespace

TSinaisTermino::TSinaisTermino(QObject* dono) : QObject(dono) {
    Q_ASSERT(g_par[0] < 0);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_par) != 0)
        return;
    ::fcntl(g_par[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_par[1], F_SETFL, O_NONBLOCK);
    m_notificador = new QSocketNotifier(g_par[1], QSocketNotifier::Read, this);
    m_notificador->setEnabled(false);
    connect(m_notificador, &QSocketNotifier::activated, this, &TSinaisTermino::Le);

    struct sigaction acao = {};
    acao.sa_handler = AoSinal;
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &acao, &g_anteriorTerm);
    ::sigaction(SIGINT, &acao, &g_anteriorInt);
}

TSinaisTermino::~TSinaisTermino() {
    if (g_par[0] < 0)
        return;
    ::sigaction(SIGTERM, &g_anteriorTerm, nullptr);
    ::sigaction(SIGINT, &g_anteriorInt, nullptr);
    delete m_notificador;
    ::close(g_par[0]);
    ::close(g_par[1]);
    g_par[0] = g_par[1] = -1;
}

void TSinaisTermino::Ativa() {
    if (m_notificador)
        m_notificador->setEnabled(true);
}

void TSinaisTermino::Le() {
    unsigned char byte = 0;
    while (::read(g_par[1], &byte, 1) == 1)
        emit Termino(byte);
}
