#include "data/Vigia.h"

#include <firebird/Interface.h>

#include "data/FirebirdInterno.h"

TVigia::~TVigia() {
    {
        std::lock_guard<std::mutex> trava(m_trava);
        m_fim = true;
        m_att = nullptr;
    }
    m_aviso.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void TVigia::Arma(Firebird::IAttachment* att, int limiteMs) {
    {
        std::lock_guard<std::mutex> trava(m_trava);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Laco(); });
        m_att = att;
        m_prazo = std::chrono::steady_clock::now() + std::chrono::milliseconds(limiteMs);
    }
    m_aviso.notify_all();
}

void TVigia::Desarma() {
    std::lock_guard<std::mutex> trava(m_trava);
    m_att = nullptr;
}

void TVigia::Laco() {
    std::unique_lock<std::mutex> trava(m_trava);
    while (!m_fim) {
        if (!m_att) {
            m_aviso.wait(trava);
            continue;
        }
        const auto prazo = m_prazo;
        if (m_aviso.wait_until(trava, prazo) != std::cv_status::timeout)
            continue;  // disarmed or armed anew
        if (m_att && m_prazo == prazo) {
            Firebird::IStatus* status = fb::Master()->getStatus();
            Firebird::CheckStatusWrapper st(status);
            m_att->cancelOperation(&st, fb_cancel_abort);
            status->dispose();
            m_att = nullptr;
        }
    }
}
