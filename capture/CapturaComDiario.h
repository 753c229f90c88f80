#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <map>

#include "capture/Captura.h"
#include "capture/DiarioAbastecimentos.h"
#include "capture/ProcessaAbastecimento.h"

class TRelogio;

// The capture with the journal of pending fuelings in front of it. The
// concentrator hands a fueling over once; its record goes to the journal
// before it is decoded, and leaves it only as a committed row or as a kept
// record with its reason. What failed is stored again on later cycles,
// before any new record is read.
class TCapturaComDiario final : public TCaptura {
  public:
    // One bad fueling must not hold the station up for ever: after this many
    // failed attempts in a run (a lost link does not count) it is kept with
    // its last reason.
    static constexpr int TentativasMaximas = 10;

    // `diretorio` is the program's: the journal and the kept-records file
    // live beside it.
    TCapturaComDiario(TCapturaAbastecimento::TAmbiente ambiente, const QString& diretorio,
                      const TRelogio& relogio);
    Q_DISABLE_COPY_MOVE(TCapturaComDiario)

    void ProcessaAbastecimento(const TAbastecimento& registro) override;
    void ProcessaAbastecimentoFID(const TAbastecimentoFid& registro) override;
    void CarregaPendentes() override;
    bool RetomaPendentes() override;
    bool DiscoDisponivel() override;
    bool EsperouBloqueio() const override { return m_esperouBloqueio; }
    bool TemPendentes() const override { return m_diario.TemPendentes(); }
    // The kept-records file holds something (a person may have emptied it).
    bool TemRetidos() const override;

    TDiarioAbastecimentos& Diario() { return m_diario; }
    const TDiarioAbastecimentos& Diario() const { return m_diario; }
    TCapturaAbastecimento& Captura() { return m_captura; }

  private:
    struct TControle {
        int Tentativas = 0;
        bool Reportado = false;  // the error box came already
    };

    void Novo(const QByteArray& bytes, bool fid);
    // One attempt at an entry; true when it left the journal.
    bool Tenta(std::int64_t numero, bool primeira);
    bool TentaRegistro(std::int64_t numero, const QByteArray& bytes, bool fid, bool primeira);
    void Processa(const QByteArray& bytes, bool fid);
    bool JaGravado(const QByteArray& bytes, bool fid);
    QString Defeito(const QByteArray& bytes, bool fid) const;
    void Conclui(std::int64_t numero);
    void Retem(std::int64_t numero, const QString& motivo);

    TConexao& m_conexao;
    TRegistroLog& m_log;
    TDialogos& m_dialogos;
    std::function<void()> m_restaura;
    TCapturaAbastecimento m_captura;
    TDiarioAbastecimentos m_diario;
    std::map<std::int64_t, TControle> m_controle;
    bool m_esperouBloqueio = false;
    bool m_semDisco = false;
};
