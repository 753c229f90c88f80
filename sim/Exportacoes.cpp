// The 22 entry points of the simulated concentrator library. Each call is
// journalled first, then acts on the shared state under its lock. Nothing
// escapes into the caller: a failure returns -1 and leaves its area as it was.

#include <QDateTime>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "capture/registros/Abastecimento.h"
#include "concentrator/CompanytecApi.h"
#include "sim/EstadoSimulador.h"

#define COMPANYTEC_EXPORTA extern "C" __attribute__((visibility("default")))

// Declared from the shared call shapes: a definition below that differs from
// them does not compile.
COMPANYTEC_EXPORTA companytec::FnFechaSerial FechaSerial;
COMPANYTEC_EXPORTA companytec::FnInicializaSerial InicializaSerial;
COMPANYTEC_EXPORTA companytec::FnSetClock SetClock;
COMPANYTEC_EXPORTA companytec::FnLeStatus LeStatus;
COMPANYTEC_EXPORTA companytec::FnLeAbastecimento LeAbastecimento;
COMPANYTEC_EXPORTA companytec::FnLeAbastecimentoFid LeAbastecimentoFid;
COMPANYTEC_EXPORTA companytec::FnConsultaEncerrante ConsultaEncerrante;
COMPANYTEC_EXPORTA companytec::FnAlteraPreco AlteraPreco;
COMPANYTEC_EXPORTA companytec::FnPreset Preset;
COMPANYTEC_EXPORTA companytec::FnLePPL LePPL;
COMPANYTEC_EXPORTA companytec::FnLeStringAb LeStringAb;
COMPANYTEC_EXPORTA companytec::FnCobLeSTEncerrante CobLeSTEncerrante;
COMPANYTEC_EXPORTA companytec::FnWriteSerial WriteSerial;
COMPANYTEC_EXPORTA companytec::FnRefEncerrante RefEncerrante;
COMPANYTEC_EXPORTA companytec::FnRefAltPreco RefAltPreco;
COMPANYTEC_EXPORTA companytec::FnLeAbFix LeAbFix;
COMPANYTEC_EXPORTA companytec::FnIncrementa Incrementa;
COMPANYTEC_EXPORTA companytec::FnLeStStatus LeStStatus;
COMPANYTEC_EXPORTA companytec::FnLeVisualizacao LeVisualizacao;
COMPANYTEC_EXPORTA companytec::FnRefLePPL RefLePPL;
COMPANYTEC_EXPORTA companytec::FnBloqueiaBico BloqueiaBico;
COMPANYTEC_EXPORTA companytec::FnAutoLibera AutoLibera;

namespace {

using sim::Aspas;
using sim::LinhaChamada;
using sim::TSessao;

template <typename F>
std::int32_t Protegido(const char* nome, F&& corpo) {
    try {
        TSessao sessao(sim::PastaPadrao());
        return corpo(sessao);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "libCompanytec: %s: %s\n", nome, e.what());
    } catch (...) {
        std::fprintf(stderr, "libCompanytec: %s: falha\n", nome);
    }
    return -1;
}

QByteArray Numero(double v) {
    return sim::TextoNumero(v);
}

// Prices and totalizers as the library's texts give them: comma, fixed decimals.
QByteArray TextoVirgula(double v, int decimais) {
    return QByteArray::number(v, 'f', decimais).replace('.', ',');
}

double PrecoDe(const sim::TEstado& e, const char* codigo) {
    const auto c = codigo != nullptr ? sim::LeDecimal(codigo) : std::nullopt;
    if (!c)
        return 0;
    const auto it = e.Precos.find(*c);
    return it != e.Precos.end() ? it->second : 0;
}

QByteArray TextoPPL(const sim::TEstado& e, const char* codigo) {
    return e.TextoPPL ? *e.TextoPPL : TextoVirgula(PrecoDe(e, codigo), 4);
}

double EncerranteDe(const sim::TEstado& e, const char* codigo) {
    const auto c = codigo != nullptr ? sim::LeDecimal(codigo) : std::nullopt;
    if (!c)
        return 0;
    const auto it = e.Encerrantes.find(*c);
    return it != e.Encerrantes.end() ? it->second : 0;
}

void PreencheLeitura(const sim::TEstado& e, const char* pedido, unsigned char* leitura) {
    std::memset(leitura, sim::Padrao, TLeituraEncerrante::Tamanho);
    const auto c = sim::LeDecimal(pedido);
    const auto outro = c ? e.CodigosEncerrante.find(*c) : e.CodigosEncerrante.end();
    const char* codigo = outro != e.CodigosEncerrante.end() ? outro->second.constData() : pedido;
    const std::size_t n = std::min<std::size_t>(std::strlen(codigo), TLeituraEncerrante::MaxCodigo);
    leitura[TLeituraEncerrante::OfsCodigo] = static_cast<unsigned char>(n);
    std::memcpy(leitura + TLeituraEncerrante::OfsCodigo + 1, codigo, n);
    registro::Grava<double>(leitura + TLeituraEncerrante::OfsValor, EncerranteDe(e, pedido));
}

std::int32_t Le(const char* nome, unsigned char* registro, bool fid) {
    return Protegido(nome, [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada(nome));
        if (registro == nullptr)
            return -1;
        sim::TEstado& e = s.Estado();
        const auto ultimoAuto = e.AutoUltimo;
        e.GeraAutomatico(QDateTime::currentMSecsSinceEpoch());
        const auto proximoContinuo = e.ContinuoMomento;
        e.GeraContinuo();
        const std::size_t tamanho = fid ? TAbastecimentoFid::Tamanho : TAbastecimento::Tamanho;
        // A fueling just generated is in the queue on disk before it is
        // handed over, so no hand-over names a fueling no state knows.
        if (e.AutoUltimo != ultimoAuto || e.ContinuoMomento != proximoContinuo)
            s.Salva();
        if (e.Fila.isEmpty()) {
            std::memset(registro, 0, tamanho);
            return 0;
        }
        const sim::TPendente a = e.Fila.takeFirst();
        unsigned char bytes[TAbastecimentoFid::Tamanho];
        sim::PreencheRegistro(a, bytes, fid);
        // The caller runs in the same process and may be killed at any
        // moment. The queue without this fueling is written aside first; then
        // the ENTREGUE line, then one rename, then the copy. Killed before the
        // rename, the fueling is still queued and handed over again; after
        // it, only the copy and the caller's own journal write are left. The
        // line is not flushed: a killed process loses nothing the page cache
        // holds, and a flush would only widen that gap.
        s.PreparaSalva();
        s.Registra(sim::LinhaEntregue(nome, a, bytes, tamanho));
        e = sim::TEstado();  // freed now, not after the rename
        s.ConcluiSalva();
        std::memcpy(registro, bytes, tamanho);
        return 1;
    });
}

std::int32_t MudaPreco(const char* nome, const char* endereco, double preco,
                       const QByteArray& extra, unsigned char* retorno) {
    return Protegido(nome, [&](TSessao& s) -> std::int32_t {
        QByteArray args = Aspas(endereco) + ' ' + Numero(preco);
        if (!extra.isEmpty())
            args += ' ' + extra;
        s.Registra(LinhaChamada(nome, args));
        const auto codigo = endereco != nullptr ? sim::LeHex(endereco) : std::nullopt;
        if (!codigo)
            return -1;
        s.Estado().Precos[*codigo] = preco;
        s.Salva();
        if (retorno != nullptr)
            *retorno = 1;
        return 0;
    });
}

std::int32_t MudaBloqueio(const char* nome, const char* endereco, bool bloqueia) {
    return Protegido(nome, [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada(nome, Aspas(endereco)));
        const auto codigo = endereco != nullptr ? sim::LeHex(endereco) : std::nullopt;
        if (!codigo)
            return -1;
        if (bloqueia) {
            s.Estado().Bloqueados.insert(*codigo);
        } else {
            s.Estado().Bloqueados.erase(*codigo);
        }
        s.Salva();
        return 0;
    });
}

// Text handed back through a reference stays valid until the next such call.
thread_local QByteArray TextoReferencia;

}  // namespace

std::int32_t FechaSerial() {
    return Protegido("FechaSerial", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("FechaSerial"));
        s.Estado().PortaAberta = false;
        s.Salva();
        return 0;
    });
}

std::int32_t InicializaSerial(std::uint8_t porta) {
    return Protegido("InicializaSerial", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("InicializaSerial", QByteArray::number(porta)));
        sim::TEstado& e = s.Estado();
        e.Porta = porta;
        e.PortaAberta = (static_cast<std::uint32_t>(e.ResultadoInicializa) & 0xFFu) != 0;
        s.Salva();
        return e.ResultadoInicializa;
    });
}

std::int32_t SetClock(const char* modo) {
    return Protegido("SetClock", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("SetClock", Aspas(modo)));
        if (modo == nullptr)
            return -1;
        s.Estado().RelogioModo = modo;
        s.Estado().RelogioInstante = QDateTime::currentDateTime().toString(Qt::ISODate);
        s.Salva();
        return 0;
    });
}

std::int32_t LeStatus(unsigned char* status48) {
    return Protegido("LeStatus", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("LeStatus"));
        if (status48 == nullptr)
            return -1;
        const auto status = s.Estado().StatusReportado();
        std::memcpy(status48, status.data(), status.size());
        return 0;
    });
}

std::int32_t LeAbastecimento(unsigned char* registro144) {
    return Le("LeAbastecimento", registro144, false);
}

std::int32_t LeAbastecimentoFid(unsigned char* registro176) {
    return Le("LeAbastecimentoFid", registro176, true);
}

std::int32_t ConsultaEncerrante(unsigned char* leitura16, std::int32_t modo, const char* codigo) {
    return Protegido("ConsultaEncerrante", [&](TSessao& s) -> std::int32_t {
        s.Registra(
            LinhaChamada("ConsultaEncerrante", QByteArray::number(modo) + ' ' + Aspas(codigo)));
        // Only the totalizer in litres is known; any other mode fails untouched.
        if (leitura16 == nullptr || codigo == nullptr || modo != companytec::ModoEncerranteL)
            return -1;
        PreencheLeitura(s.Estado(), codigo, leitura16);
        return 0;
    });
}

std::int32_t AlteraPreco(const char* endereco, double preco) {
    return MudaPreco("AlteraPreco", endereco, preco, QByteArray(), nullptr);
}

std::int32_t Preset(const char* endereco, double valor, std::uint8_t modo) {
    return Protegido("Preset", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada(
            "Preset", Aspas(endereco) + ' ' + Numero(valor) + ' ' + QByteArray::number(modo)));
        return 0;
    });
}

std::int32_t LePPL(const char* codigo, char* preco16) {
    return Protegido("LePPL", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("LePPL", Aspas(codigo)));
        if (preco16 == nullptr)
            return -1;
        const QByteArray texto = TextoPPL(s.Estado(), codigo).left(companytec::TamanhoPPL - 1);
        std::memcpy(preco16, texto.constData(), std::size_t(texto.size()) + 1);
        return 0;
    });
}

std::int32_t LeStringAb(char* texto128) {
    return Protegido("LeStringAb", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("LeStringAb"));
        if (texto128 == nullptr)
            return -1;
        texto128[0] = '\0';
        return 0;
    });
}

std::int32_t CobLeSTEncerrante(const char* codigo, unsigned char* leitura16) {
    return Protegido("CobLeSTEncerrante", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("CobLeSTEncerrante", Aspas(codigo)));
        if (leitura16 == nullptr || codigo == nullptr)
            return -1;
        PreencheLeitura(s.Estado(), codigo, leitura16);
        return 0;
    });
}

std::int32_t WriteSerial(const char* texto) {
    return Protegido("WriteSerial", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("WriteSerial", Aspas(texto)));
        return s.Estado().PortaAberta ? 0 : -1;
    });
}

std::int32_t RefEncerrante(const char* codigo, const char** texto) {
    return Protegido("RefEncerrante", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("RefEncerrante", Aspas(codigo)));
        if (texto == nullptr)
            return -1;
        TextoReferencia = TextoVirgula(EncerranteDe(s.Estado(), codigo), 2);
        *texto = TextoReferencia.constData();
        return 0;
    });
}

std::int32_t RefAltPreco(const char* endereco, double preco, std::uint8_t modo,
                         unsigned char* retorno) {
    return MudaPreco("RefAltPreco", endereco, preco, QByteArray::number(modo), retorno);
}

std::int32_t LeAbFix(unsigned char* registro144) {
    return Protegido("LeAbFix", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("LeAbFix"));
        if (registro144 == nullptr)
            return -1;
        std::memset(registro144, 0, companytec::TamanhoAbFix);
        return 0;
    });
}

std::int32_t Incrementa() {
    return Protegido("Incrementa", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("Incrementa"));
        return 0;
    });
}

std::int32_t LeStStatus(unsigned char* status100) {
    return Protegido("LeStStatus", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("LeStStatus"));
        if (status100 == nullptr)
            return -1;
        // One digit per position, the rest of the area NUL.
        std::memset(status100, 0, companytec::TamanhoStStatus);
        const auto status = s.Estado().StatusReportado();
        for (std::size_t i = 0; i < status.size(); ++i) {
            status100[i] = static_cast<unsigned char>('0' + status[i] % 10);
        }
        return 0;
    });
}

std::int32_t LeVisualizacao(unsigned char* area) {
    return Protegido("LeVisualizacao", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("LeVisualizacao"));
        if (area == nullptr)
            return -1;
        const sim::TEstado& e = s.Estado();
        const QByteArray texto = QByteArrayLiteral("PENDENTES=") +
                                 QByteArray::number(e.Fila.size()) +
                                 " PORTA=" + (e.PortaAberta ? "ABERTA" : "FECHADA");
        std::memset(area, 0, companytec::TamanhoVisualizacao);
        std::memcpy(
            area, texto.constData(),
            std::min<std::size_t>(std::size_t(texto.size()), companytec::TamanhoVisualizacao - 1));
        return 0;
    });
}

std::int32_t RefLePPL(const char* codigo, const char** texto) {
    return Protegido("RefLePPL", [&](TSessao& s) -> std::int32_t {
        s.Registra(LinhaChamada("RefLePPL", Aspas(codigo)));
        if (texto == nullptr)
            return -1;
        TextoReferencia = TextoPPL(s.Estado(), codigo);
        *texto = TextoReferencia.constData();
        return 0;
    });
}

std::int32_t BloqueiaBico(const char* endereco) {
    return MudaBloqueio("BloqueiaBico", endereco, true);
}

std::int32_t AutoLibera(const char* endereco) {
    return MudaBloqueio("AutoLibera", endereco, false);
}
