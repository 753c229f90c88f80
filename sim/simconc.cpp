// simconc: feeds and inspects the simulated concentrator from outside the
// program. See sim/README.md for the commands.

#include <QDateTime>
#include <QFile>
#include <QList>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <optional>

#include "capture/registros/Abastecimento.h"
#include "sim/EstadoSimulador.h"

namespace {

using sim::TEstado;
using sim::TSessao;

const char* const Uso =
    "uso: simconc [--dir PASTA] COMANDO [ARGUMENTOS]\n"
    "  abastece BICO LITROS PRECO [--valor V] [--tag T] [--data D] [--hora H]\n"
    "           [--registro N] [--codigo-bruto C] [--tam-codigo N] [--tam-data N]\n"
    "           [--tam-hora N] [--tam-tag N]\n"
    "  status V1 [V2 ...]          status bytes from position 1, the rest 0\n"
    "  status-posicao P V          one status byte (P = 1..48)\n"
    "  bloqueios                   blocked nozzles\n"
    "  mostra                      the whole state\n"
    "  auto SEGUNDOS [BICOS]       a fueling every SEGUNDOS on BICOS (e.g. 004,005,068)\n"
    "  auto off\n"
    "  continuo BICOS | continuo off  a fueling at every read of an empty queue\n"
    "  encerrante BICO LITROS      sets a nozzle's totalizer\n"
    "  codigo-encerrante BICO TEXTO | codigo-encerrante BICO off\n"
    "                              code a reading of BICO reports instead of the asked one\n"
    "  registro N                  next register number\n"
    "  resultado-serial N          what InicializaSerial returns (1, 256, 0 ...)\n"
    "  texto-ppl TEXTO | texto-ppl off\n"
    "  pendentes                   number of queued fuelings\n"
    "  diario                      the journal\n"
    "  entregues                   fuelings handed over, one per line\n"
    "  reinicia                    clears state and journal\n";

struct EUso : std::exception {
    explicit EUso(QByteArray m) : mensagem(std::move(m)) {}
    const char* what() const noexcept override { return mensagem.constData(); }
    QByteArray mensagem;
};

double Numero(const QByteArray& texto, const char* oque) {
    bool ok = false;
    const double v = QByteArray(texto).replace(',', '.').toDouble(&ok);
    if (!ok)
        throw EUso(QByteArray(oque) + " inválido: " + texto);
    return v;
}

int Inteiro(const QByteArray& texto, const char* oque) {
    bool ok = false;
    const int v = texto.toInt(&ok, 10);
    if (!ok)
        throw EUso(QByteArray(oque) + " inválido: " + texto);
    return v;
}

int Bico(const QByteArray& texto) {
    const int c = Inteiro(texto, "bico");
    if (c < 0 || c > 255)
        throw EUso("bico fora de 0..255: " + texto);
    return c;
}

QByteArray Bico3(int codigo) {
    return QByteArray::number(codigo).rightJustified(3, '0');
}

void Escreve(const QByteArray& texto) {
    std::fwrite(texto.constData(), 1, std::size_t(texto.size()), stdout);
}

class TArgs {
  public:
    explicit TArgs(QList<QByteArray> a) : m_a(std::move(a)) {}
    bool Vazio() const { return m_pos >= m_a.size(); }
    QByteArray Proximo(const char* oque) {
        if (Vazio())
            throw EUso(QByteArray("falta ") + oque);
        return m_a[m_pos++];
    }
    QList<QByteArray> Resto() {
        QList<QByteArray> r = m_a.mid(m_pos);
        m_pos = m_a.size();
        return r;
    }

  private:
    QList<QByteArray> m_a;
    qsizetype m_pos = 0;
};

int Abastece(TSessao& s, TArgs& args) {
    sim::TPendente a;
    a.Codigo = Bico(args.Proximo("BICO"));
    a.Litros = Numero(args.Proximo("LITROS"), "litros");
    const double preco = Numero(args.Proximo("PRECO"), "preço");
    a.Preco = std::llround(preco * 10000.0);
    std::optional<double> valor;
    std::optional<int> registro;
    const QDateTime agora = QDateTime::currentDateTime();
    a.Data = agora.toString(QStringLiteral("dd/MM/yyyy")).toLatin1();
    a.Hora = agora.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    while (!args.Vazio()) {
        const QByteArray opcao = args.Proximo("opção");
        if (opcao == "--valor") {
            valor = Numero(args.Proximo("--valor"), "valor");
        } else if (opcao == "--tag") {
            a.Tag = QString::fromLocal8Bit(args.Proximo("--tag")).toLatin1();
        } else if (opcao == "--data") {
            a.Data = args.Proximo("--data");
        } else if (opcao == "--hora") {
            a.Hora = args.Proximo("--hora");
        } else if (opcao == "--registro") {
            registro = Inteiro(args.Proximo("--registro"), "registro");
        } else if (opcao == "--codigo-bruto") {
            a.CodigoBruto = args.Proximo("--codigo-bruto");
        } else if (opcao == "--tam-codigo") {
            a.TamCodigo = Inteiro(args.Proximo("--tam-codigo"), "tamanho") & 0xFF;
        } else if (opcao == "--tam-data") {
            a.TamData = Inteiro(args.Proximo("--tam-data"), "tamanho") & 0xFF;
        } else if (opcao == "--tam-hora") {
            a.TamHora = Inteiro(args.Proximo("--tam-hora"), "tamanho") & 0xFF;
        } else if (opcao == "--tam-tag") {
            a.TamTag = Inteiro(args.Proximo("--tam-tag"), "tamanho") & 0xFF;
        } else {
            throw EUso("opção desconhecida: " + opcao);
        }
    }
    // The pump rounds the amount to cents unless told otherwise.
    a.Valor = valor ? std::llround(*valor * 10000.0) : std::llround(a.Litros * preco * 100.0) * 100;
    const sim::TPendente& novo = s.Estado().Enfileira(std::move(a), registro);
    s.Registra("CONTROLE abastece bico=" + Bico3(novo.Codigo) + " registro=" +
               QByteArray::number(novo.Registro) + " litros=" + sim::TextoNumero(novo.Litros) +
               " valor=" + sim::TextoDinheiro(novo.Valor) +
               " preco=" + sim::TextoDinheiro(novo.Preco));
    s.Salva();
    Escreve(QByteArray::number(novo.Registro) + '\n');
    return 0;
}

QByteArray StatusTexto(const std::array<unsigned char, 48>& status) {
    QByteArray r;
    for (unsigned char b : status) {
        if (!r.isEmpty())
            r += ',';
        r += QByteArray::number(b);
    }
    return r;
}

void MostraBloqueios(const TEstado& e) {
    for (int c : e.Bloqueados) {
        Escreve(Bico3(c) + " posicao=" + QByteArray::number(sim::PosicaoStatus(c)) + '\n');
    }
}

void Mostra(const TEstado& e) {
    QByteArray t;
    t += "pendentes=" + QByteArray::number(e.Fila.size()) + '\n';
    t += "proximo_registro=" + QByteArray::number(e.ProximoRegistro) + '\n';
    t += "porta=" + QByteArray::number(e.Porta) + (e.PortaAberta ? " aberta\n" : " fechada\n");
    t += "resultado_serial=" + QByteArray::number(e.ResultadoInicializa) + '\n';
    t += "relogio=" + e.RelogioModo + ' ' + e.RelogioInstante.toLatin1() + '\n';
    t += "status=" + StatusTexto(e.Status) + '\n';
    t += "status_reportado=" + StatusTexto(e.StatusReportado()) + '\n';
    QByteArray bloqueados;
    for (int c : e.Bloqueados)
        bloqueados += (bloqueados.isEmpty() ? "" : ",") + Bico3(c);
    t += "bloqueados=" + bloqueados + '\n';
    for (const auto& [c, p] : e.Precos)
        t += "preco " + Bico3(c) + '=' + sim::TextoNumero(p) + '\n';
    for (const auto& [c, v] : e.Encerrantes) {
        t += "encerrante " + Bico3(c) + '=' + sim::TextoNumero(v) + '\n';
    }
    for (const auto& [c, texto] : e.CodigosEncerrante)
        t += "codigo_encerrante " + Bico3(c) + '=' + texto + '\n';
    if (e.TextoPPL)
        t += "texto_ppl=" + *e.TextoPPL + '\n';
    QByteArray bicos;
    for (int c : e.AutoBicos)
        bicos += (bicos.isEmpty() ? "" : ",") + Bico3(c);
    t += "auto=" + QByteArray::number(e.AutoIntervalo) + ' ' + bicos + '\n';
    Escreve(t);
}

QList<QByteArray> LinhasDiario(const TSessao& s) {
    QFile f(s.CaminhoDiario());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().split('\n');
}

// One handed-over fueling per line, decoded from the bytes the journal holds:
// bico;registro;litros;valor;preco;data;hora;encerrante;tag
void Entregues(const TSessao& s) {
    for (const QByteArray& linha : LinhasDiario(s)) {
        if (!linha.contains(" ENTREGUE "))
            continue;
        const qsizetype i = linha.indexOf(" bytes=");
        if (i < 0)
            continue;
        const QByteArray bytes = QByteArray::fromHex(linha.mid(i + 7));
        std::string cod, data, hora, tag;
        std::int64_t valor = 0, preco = 0;
        double litros = 0, encerrante = 0;
        std::int32_t registro = 0;
        const auto decodifica = [&](const auto& r) {
            cod = r.CodBico();
            data = r.Data();
            hora = r.Hora();
            registro = r.Registro();
            encerrante = r.Encerrante();
            litros = r.TotalLitros();
            valor = registro::Le<std::int64_t>(r.Bytes + r.OfsTotalDinheiro);
            preco = registro::Le<std::int64_t>(r.Bytes + r.OfsPU);
        };
        if (bytes.size() == qsizetype(TAbastecimento::Tamanho)) {
            TAbastecimento r;
            std::memcpy(r.Bytes, bytes.constData(), sizeof r.Bytes);
            decodifica(r);
        } else if (bytes.size() == qsizetype(TAbastecimentoFid::Tamanho)) {
            TAbastecimentoFid r;
            std::memcpy(r.Bytes, bytes.constData(), sizeof r.Bytes);
            decodifica(r);
            tag = r.CodFid();
        } else {
            continue;
        }
        const auto hex = sim::LeHex(QByteArray::fromStdString(cod));
        const QByteArray bico = hex ? Bico3(*hex) : "?" + QByteArray::fromStdString(cod);
        Escreve(bico + ';' + QByteArray::number(registro) + ';' + sim::TextoNumero(litros) + ';' +
                sim::TextoDinheiro(valor) + ';' + sim::TextoDinheiro(preco) + ';' +
                QByteArray::fromStdString(data) + ';' + QByteArray::fromStdString(hora) + ';' +
                sim::TextoNumero(encerrante) + ';' + QByteArray::fromStdString(tag) + '\n');
    }
}

int Executa(const QString& pasta, const QByteArray& comando, TArgs& args) {
    TSessao s(pasta);
    TEstado& e = s.Estado();
    if (comando == "abastece")
        return Abastece(s, args);
    if (comando == "status") {
        const QList<QByteArray> valores = args.Resto();
        if (valores.isEmpty() || valores.size() > 48)
            throw EUso("status: de 1 a 48 valores");
        e.Status.fill(0);
        for (qsizetype i = 0; i < valores.size(); ++i) {
            e.Status[std::size_t(i)] =
                static_cast<unsigned char>(Inteiro(valores[i], "status") & 0xFF);
        }
    } else if (comando == "status-posicao") {
        const int p = Inteiro(args.Proximo("P"), "posição");
        if (p < 1 || p > 48)
            throw EUso("posição fora de 1..48");
        e.Status[std::size_t(p - 1)] =
            static_cast<unsigned char>(Inteiro(args.Proximo("V"), "status") & 0xFF);
    } else if (comando == "bloqueios") {
        MostraBloqueios(e);
        return 0;
    } else if (comando == "mostra") {
        Mostra(e);
        return 0;
    } else if (comando == "auto") {
        const QByteArray n = args.Proximo("SEGUNDOS");
        if (n == "off") {
            e.AutoIntervalo = 0;
        } else {
            e.AutoIntervalo = Inteiro(n, "segundos");
            if (e.AutoIntervalo <= 0)
                throw EUso("segundos deve ser positivo");
            e.AutoBicos.clear();
            const QByteArray bicos =
                args.Vazio() ? QByteArrayLiteral("004") : args.Proximo("BICOS");
            for (const QByteArray& b : bicos.split(','))
                e.AutoBicos.append(Bico(b));
            e.AutoProximo = 0;
            e.AutoUltimo = QDateTime::currentMSecsSinceEpoch();
        }
    } else if (comando == "continuo") {
        const QByteArray bicos = args.Proximo("BICOS");
        e.ContinuoBicos.clear();
        if (bicos != "off") {
            for (const QByteArray& b : bicos.split(','))
                e.ContinuoBicos.append(Bico(b));
            e.ContinuoProximo = 0;
            // Starts a year back, a minute apart: clear of any real fueling.
            e.ContinuoMomento = QDateTime::currentDateTime().addYears(-1).toMSecsSinceEpoch();
        }
    } else if (comando == "encerrante") {
        const int c = Bico(args.Proximo("BICO"));
        e.Encerrantes[c] = Numero(args.Proximo("LITROS"), "litros");
    } else if (comando == "codigo-encerrante") {
        const int c = Bico(args.Proximo("BICO"));
        const QByteArray t = args.Proximo("TEXTO");
        if (t == "off") {
            e.CodigosEncerrante.erase(c);
        } else {
            e.CodigosEncerrante[c] = t;
        }
    } else if (comando == "registro") {
        const int r = Inteiro(args.Proximo("N"), "registro");
        if (r < sim::PrimeiroRegistro || r > sim::UltimoRegistro)
            throw EUso("registro fora de 1..9999");
        e.ProximoRegistro = r;
    } else if (comando == "resultado-serial") {
        e.ResultadoInicializa = Inteiro(args.Proximo("N"), "resultado");
    } else if (comando == "texto-ppl") {
        const QByteArray t = args.Proximo("TEXTO");
        if (t == "off") {
            e.TextoPPL.reset();
        } else {
            e.TextoPPL = t;
        }
    } else if (comando == "pendentes") {
        Escreve(QByteArray::number(e.Fila.size()) + '\n');
        return 0;
    } else if (comando == "diario") {
        QFile f(s.CaminhoDiario());
        if (f.open(QIODevice::ReadOnly))
            Escreve(f.readAll());
        return 0;
    } else if (comando == "entregues") {
        Entregues(s);
        return 0;
    } else if (comando == "reinicia") {
        s.Reinicia();
        return 0;
    } else {
        throw EUso("comando desconhecido: " + comando);
    }
    if (!args.Vazio())
        throw EUso("argumentos a mais");
    s.Registra("CONTROLE " + comando);
    s.Salva();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QList<QByteArray> lista;
    for (int i = 1; i < argc; ++i)
        lista.append(QByteArray(argv[i]));
    QString pasta;
    if (lista.size() >= 2 && lista[0] == "--dir") {
        pasta = QFile::decodeName(lista[1]);
        lista = lista.mid(2);
    }
    if (lista.isEmpty() || lista[0] == "--help" || lista[0] == "-h") {
        std::fputs(Uso, lista.isEmpty() ? stderr : stdout);
        return lista.isEmpty() ? 2 : 0;
    }
    const QByteArray comando = lista.takeFirst();
    TArgs args(lista);
    try {
        return Executa(pasta.isEmpty() ? sim::PastaPadrao() : pasta, comando, args);
    } catch (const EUso& e) {
        std::fprintf(stderr, "simconc: %s\n%s", e.what(), Uso);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simconc: %s\n", e.what());
        return 1;
    }
}
