#pragma once

// Internal to data/: the bound on every call made to the database server.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace Firebird {
class IAttachment;
}

// A thread of its own that, when a call to the server outlives its limit
// (a frozen server, a pulled cable, a lock that is never released), aborts
// the attachment: the call then fails as a lost link, at once, and the
// program's only thread goes on. Only the abort crosses threads; the
// attachment is never used here otherwise.
class TVigia final {
  public:
    TVigia() = default;
    ~TVigia();
    TVigia(const TVigia&) = delete;
    TVigia& operator=(const TVigia&) = delete;

    void Arma(Firebird::IAttachment* att, int limiteMs);
    // Returns once an abort under way has finished: the attachment may be
    // freed afterwards.
    void Desarma();

  private:
    void Laco();

    std::mutex m_trava;
    std::condition_variable m_aviso;
    std::thread m_thread;
    Firebird::IAttachment* m_att = nullptr;
    std::chrono::steady_clock::time_point m_prazo;
    bool m_fim = false;
};
