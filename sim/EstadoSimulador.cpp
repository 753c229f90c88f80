#include "sim/EstadoSimulador.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "capture/registros/Abastecimento.h"

namespace sim {

namespace {

const char* const NomeEstado = "estado.json";
const char* const NomeDiario = "diario.txt";
const char* const NomeTrava = "trava";

[[noreturn]] void Falha(const QString& oque, const QString& caminho) {
    throw std::runtime_error(QStringLiteral("%1 %2: %3")
                                 .arg(oque, caminho, QString::fromLocal8Bit(std::strerror(errno)))
                                 .toStdString());
}

void EscreveTudo(int fd, const QByteArray& dados, const QString& caminho) {
    qsizetype feito = 0;
    while (feito < dados.size()) {
        const ssize_t n =
            ::write(fd, dados.constData() + feito, static_cast<std::size_t>(dados.size() - feito));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Falha(QStringLiteral("erro ao gravar"), caminho);
        }
        feito += n;
    }
}

QString Latin1(const QByteArray& b) {
    return QString::fromLatin1(b);
}
QByteArray Bytes(const QJsonValue& v) {
    return v.toString().toLatin1();
}

QJsonObject PendenteParaJson(const TPendente& a) {
    QJsonObject o;
    o[QLatin1String("codigo")] = a.Codigo;
    if (a.CodigoBruto)
        o[QLatin1String("codigoBruto")] = Latin1(*a.CodigoBruto);
    o[QLatin1String("litros")] = a.Litros;
    o[QLatin1String("valor")] = static_cast<qint64>(a.Valor);
    o[QLatin1String("preco")] = static_cast<qint64>(a.Preco);
    o[QLatin1String("data")] = Latin1(a.Data);
    o[QLatin1String("hora")] = Latin1(a.Hora);
    o[QLatin1String("registro")] = a.Registro;
    o[QLatin1String("encerrante")] = a.Encerrante;
    o[QLatin1String("tag")] = Latin1(a.Tag);
    o[QLatin1String("tamCodigo")] = a.TamCodigo;
    o[QLatin1String("tamData")] = a.TamData;
    o[QLatin1String("tamHora")] = a.TamHora;
    o[QLatin1String("tamTag")] = a.TamTag;
    return o;
}

TPendente PendenteDeJson(const QJsonObject& o) {
    TPendente a;
    a.Codigo = o[QLatin1String("codigo")].toInt();
    if (o.contains(QLatin1String("codigoBruto")))
        a.CodigoBruto = Bytes(o[QLatin1String("codigoBruto")]);
    a.Litros = o[QLatin1String("litros")].toDouble();
    a.Valor = o[QLatin1String("valor")].toInteger();
    a.Preco = o[QLatin1String("preco")].toInteger();
    a.Data = Bytes(o[QLatin1String("data")]);
    a.Hora = Bytes(o[QLatin1String("hora")]);
    a.Registro = o[QLatin1String("registro")].toInt();
    a.Encerrante = o[QLatin1String("encerrante")].toDouble();
    a.Tag = Bytes(o[QLatin1String("tag")]);
    a.TamCodigo = o[QLatin1String("tamCodigo")].toInt(-1);
    a.TamData = o[QLatin1String("tamData")].toInt(-1);
    a.TamHora = o[QLatin1String("tamHora")].toInt(-1);
    a.TamTag = o[QLatin1String("tamTag")].toInt(-1);
    return a;
}

QJsonObject MapaParaJson(const std::map<int, double>& m) {
    QJsonObject o;
    for (const auto& [codigo, valor] : m)
        o[QString::number(codigo)] = valor;
    return o;
}

std::map<int, double> MapaDeJson(const QJsonObject& o) {
    std::map<int, double> m;
    for (auto it = o.begin(); it != o.end(); ++it)
        m[it.key().toInt()] = it.value().toDouble();
    return m;
}

QJsonObject EstadoParaJson(const TEstado& e) {
    QJsonObject o;
    QJsonArray fila;
    for (const auto& a : e.Fila)
        fila.append(PendenteParaJson(a));
    o[QLatin1String("fila")] = fila;
    o[QLatin1String("encerrantes")] = MapaParaJson(e.Encerrantes);
    QJsonObject codigos;
    for (const auto& [codigo, texto] : e.CodigosEncerrante)
        codigos[QString::number(codigo)] = Latin1(texto);
    o[QLatin1String("codigosEncerrante")] = codigos;
    QJsonArray status;
    for (unsigned char b : e.Status)
        status.append(b);
    o[QLatin1String("status")] = status;
    QJsonArray bloqueados;
    for (int c : e.Bloqueados)
        bloqueados.append(c);
    o[QLatin1String("bloqueados")] = bloqueados;
    o[QLatin1String("precos")] = MapaParaJson(e.Precos);
    o[QLatin1String("portaAberta")] = e.PortaAberta;
    o[QLatin1String("porta")] = e.Porta;
    o[QLatin1String("resultadoInicializa")] = e.ResultadoInicializa;
    o[QLatin1String("relogioModo")] = Latin1(e.RelogioModo);
    o[QLatin1String("relogioInstante")] = e.RelogioInstante;
    if (e.TextoPPL)
        o[QLatin1String("textoPPL")] = Latin1(*e.TextoPPL);
    o[QLatin1String("proximoRegistro")] = e.ProximoRegistro;
    o[QLatin1String("autoIntervalo")] = e.AutoIntervalo;
    QJsonArray autoBicos;
    for (int c : e.AutoBicos)
        autoBicos.append(c);
    o[QLatin1String("autoBicos")] = autoBicos;
    o[QLatin1String("autoUltimo")] = static_cast<qint64>(e.AutoUltimo);
    o[QLatin1String("autoProximo")] = e.AutoProximo;
    o[QLatin1String("semente")] = static_cast<qint64>(e.Semente);
    if (!e.ContinuoBicos.isEmpty()) {
        QJsonArray continuo;
        for (int c : e.ContinuoBicos)
            continuo.append(c);
        o[QLatin1String("continuoBicos")] = continuo;
        o[QLatin1String("continuoProximo")] = e.ContinuoProximo;
        o[QLatin1String("continuoMomento")] = static_cast<qint64>(e.ContinuoMomento);
    }
    return o;
}

TEstado EstadoDeJson(const QJsonObject& o) {
    TEstado e;
    for (const auto& v : o[QLatin1String("fila")].toArray())
        e.Fila.append(PendenteDeJson(v.toObject()));
    e.Encerrantes = MapaDeJson(o[QLatin1String("encerrantes")].toObject());
    const QJsonObject codigos = o[QLatin1String("codigosEncerrante")].toObject();
    for (auto it = codigos.begin(); it != codigos.end(); ++it)
        e.CodigosEncerrante[it.key().toInt()] = Bytes(it.value());
    const QJsonArray status = o[QLatin1String("status")].toArray();
    for (qsizetype i = 0; i < status.size() && i < qsizetype(e.Status.size()); ++i) {
        e.Status[std::size_t(i)] = static_cast<unsigned char>(status[i].toInt());
    }
    for (const auto& v : o[QLatin1String("bloqueados")].toArray())
        e.Bloqueados.insert(v.toInt());
    e.Precos = MapaDeJson(o[QLatin1String("precos")].toObject());
    e.PortaAberta = o[QLatin1String("portaAberta")].toBool();
    e.Porta = o[QLatin1String("porta")].toInt();
    e.ResultadoInicializa = o[QLatin1String("resultadoInicializa")].toInt(1);
    e.RelogioModo = Bytes(o[QLatin1String("relogioModo")]);
    e.RelogioInstante = o[QLatin1String("relogioInstante")].toString();
    if (o.contains(QLatin1String("textoPPL")))
        e.TextoPPL = Bytes(o[QLatin1String("textoPPL")]);
    e.ProximoRegistro = o[QLatin1String("proximoRegistro")].toInt(PrimeiroRegistro);
    e.AutoIntervalo = o[QLatin1String("autoIntervalo")].toInt();
    for (const auto& v : o[QLatin1String("autoBicos")].toArray())
        e.AutoBicos.append(v.toInt());
    e.AutoUltimo = o[QLatin1String("autoUltimo")].toInteger();
    e.AutoProximo = o[QLatin1String("autoProximo")].toInt();
    e.Semente = static_cast<std::uint32_t>(o[QLatin1String("semente")].toInteger(12345));
    for (const auto& v : o[QLatin1String("continuoBicos")].toArray())
        e.ContinuoBicos.append(v.toInt());
    e.ContinuoProximo = o[QLatin1String("continuoProximo")].toInt();
    e.ContinuoMomento = o[QLatin1String("continuoMomento")].toInteger();
    return e;
}

void GravaShort(unsigned char* campo, std::size_t tamanho, const QByteArray& texto,
                int tamForcado) {
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(texto.size()), tamanho - 1);
    campo[0] =
        tamForcado >= 0 ? static_cast<unsigned char>(tamForcado) : static_cast<unsigned char>(n);
    std::memcpy(campo + 1, texto.constData(), n);
}

void Marcador() {}

}  // namespace

// The four codes of a channel (c, c + 64, c + 128, c + 192) share one position.
int PosicaoStatus(int codigo) {
    if (codigo < 4)
        return 0;
    const int p = (codigo - 4) % 64 + 1;
    return p <= 48 ? p : 0;
}

std::array<unsigned char, 48> TEstado::StatusReportado() const {
    auto status = Status;
    for (int codigo : Bloqueados) {
        const int p = PosicaoStatus(codigo);
        if (p > 0)
            status[std::size_t(p - 1)] = 5;
    }
    return status;
}

int TEstado::NovoRegistro() {
    const int r = ProximoRegistro;
    ProximoRegistro = r >= UltimoRegistro ? PrimeiroRegistro : r + 1;
    return r;
}

TPendente& TEstado::Enfileira(TPendente a, std::optional<int> registro) {
    if (registro) {
        a.Registro = *registro;
        ProximoRegistro = *registro >= UltimoRegistro || *registro < PrimeiroRegistro
                              ? PrimeiroRegistro
                              : *registro + 1;
    } else {
        a.Registro = NovoRegistro();
    }
    double& total = Encerrantes[a.Codigo];
    total += a.Litros;
    a.Encerrante = total;
    Fila.append(std::move(a));
    return Fila.last();
}

void TEstado::GeraAutomatico(std::int64_t agoraMs) {
    if (AutoIntervalo <= 0 || AutoBicos.isEmpty())
        return;
    if (agoraMs - AutoUltimo < std::int64_t(AutoIntervalo) * 1000)
        return;
    AutoUltimo = agoraMs;
    const int codigo = AutoBicos[AutoProximo % AutoBicos.size()];
    AutoProximo = (AutoProximo + 1) % AutoBicos.size();
    Semente = Semente * 1103515245u + 12345u;
    TPendente a;
    a.Codigo = codigo;
    a.Litros = 5.0 + double((Semente >> 8) % 4000) / 100.0;  // 5.00 to 44.99
    const auto preco = Precos.find(codigo);
    const double pu = preco != Precos.end() ? preco->second : 5.899;
    a.Preco = std::llround(pu * 10000.0);
    a.Valor = std::llround(a.Litros * pu * 100.0) * 100;
    const QDateTime agora = QDateTime::fromMSecsSinceEpoch(agoraMs);
    a.Data = agora.toString(QStringLiteral("dd/MM/yyyy")).toLatin1();
    a.Hora = agora.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    TPendente& novo = Enfileira(std::move(a), std::nullopt);
    novo.Tag = QByteArrayLiteral("AUTO") + QByteArray::number(novo.Registro).rightJustified(4, '0');
}

void TEstado::GeraContinuo() {
    if (ContinuoBicos.isEmpty() || !Fila.isEmpty())
        return;
    const int codigo = ContinuoBicos[ContinuoProximo % ContinuoBicos.size()];
    ContinuoProximo = (ContinuoProximo + 1) % ContinuoBicos.size();
    Semente = Semente * 1103515245u + 12345u;
    TPendente a;
    a.Codigo = codigo;
    a.Litros = 5.0 + double((Semente >> 8) % 4000) / 100.0;  // 5.00 to 44.99
    const auto preco = Precos.find(codigo);
    const double pu = preco != Precos.end() ? preco->second : 5.899;
    a.Preco = std::llround(pu * 10000.0);
    a.Valor = std::llround(a.Litros * pu * 100.0) * 100;
    const QDateTime momento = QDateTime::fromMSecsSinceEpoch(ContinuoMomento);
    ContinuoMomento += 60000;
    a.Data = momento.toString(QStringLiteral("dd/MM/yyyy")).toLatin1();
    a.Hora = momento.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    Enfileira(std::move(a), std::nullopt);
}

QByteArray CodigoHex(int codigo) {
    return QByteArray::number(codigo, 16).toUpper().rightJustified(2, '0');
}

std::optional<int> LeHex(const QByteArray& texto) {
    bool ok = false;
    const int v = texto.toInt(&ok, 16);
    if (!ok || texto.isEmpty() || texto.startsWith('-') || texto.startsWith('+'))
        return std::nullopt;
    return v;
}

std::optional<int> LeDecimal(const QByteArray& texto) {
    bool ok = false;
    const int v = texto.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

QByteArray TextoDinheiro(std::int64_t v) {
    const bool negativo = v < 0;
    const std::uint64_t a =
        negativo ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    return (negativo ? QByteArrayLiteral("-") : QByteArray()) + QByteArray::number(a / 10000) +
           '.' + QByteArray::number(a % 10000).rightJustified(4, '0');
}

QByteArray TextoNumero(double valor) {
    return QByteArray::number(valor, 'g', QLocale::FloatingPointShortest);
}

void PreencheRegistro(const TPendente& a, unsigned char* bytes, bool fid) {
    const std::size_t tamanho = fid ? TAbastecimentoFid::Tamanho : TAbastecimento::Tamanho;
    std::memset(bytes, Padrao, tamanho);
    bytes[TAbastecimento::OfsPresente] = 1;
    registro::Grava<std::int64_t>(bytes + TAbastecimento::OfsTotalDinheiro, a.Valor);
    registro::Grava<double>(bytes + TAbastecimento::OfsTotalLitros, a.Litros);
    registro::Grava<std::int64_t>(bytes + TAbastecimento::OfsPU, a.Preco);
    GravaShort(bytes + TAbastecimento::OfsCodBico, TAbastecimento::TamCodBico,
               a.CodigoBruto ? *a.CodigoBruto : CodigoHex(a.Codigo), a.TamCodigo);
    GravaShort(bytes + TAbastecimento::OfsData, TAbastecimento::TamData, a.Data, a.TamData);
    if (fid) {
        GravaShort(bytes + TAbastecimentoFid::OfsHora, TAbastecimentoFid::TamHora, a.Hora,
                   a.TamHora);
        registro::Grava<std::int32_t>(bytes + TAbastecimentoFid::OfsRegistro, a.Registro);
        registro::Grava<double>(bytes + TAbastecimentoFid::OfsEncerrante, a.Encerrante);
        GravaShort(bytes + TAbastecimentoFid::OfsCodFid, TAbastecimentoFid::TamCodFid, a.Tag,
                   a.TamTag);
    } else {
        GravaShort(bytes + TAbastecimento::OfsHora, TAbastecimento::TamHora, a.Hora, a.TamHora);
        registro::Grava<std::int32_t>(bytes + TAbastecimento::OfsRegistro, a.Registro);
        registro::Grava<double>(bytes + TAbastecimento::OfsEncerrante, a.Encerrante);
    }
}

QString PastaPadrao() {
    const QByteArray env = qgetenv("COMPANYTEC_SIM_DIR");
    if (!env.isEmpty())
        return QFile::decodeName(env);
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&Marcador), &info) != 0 && info.dli_fname != nullptr) {
        const QFileInfo modulo(QFile::decodeName(info.dli_fname));
        return modulo.absoluteDir().filePath(QStringLiteral("companytec-sim"));
    }
    return QDir::current().filePath(QStringLiteral("companytec-sim"));
}

TSessao::TSessao(const QString& pasta) : m_pasta(pasta) {
    if (!QDir().mkpath(m_pasta)) {
        errno = EACCES;
        Falha(QStringLiteral("não foi possível criar a pasta"), m_pasta);
    }
    const QString trava = QDir(m_pasta).filePath(QLatin1String(NomeTrava));
    m_trava = ::open(QFile::encodeName(trava).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_trava < 0)
        Falha(QStringLiteral("não foi possível abrir"), trava);
    while (::flock(m_trava, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(m_trava);
            Falha(QStringLiteral("não foi possível travar"), trava);
        }
    }
    QFile arquivo(QDir(m_pasta).filePath(QLatin1String(NomeEstado)));
    if (arquivo.exists()) {
        if (!arquivo.open(QIODevice::ReadOnly)) {
            ::close(m_trava);
            Falha(QStringLiteral("não foi possível ler"), arquivo.fileName());
        }
        QJsonParseError erro{};
        const QJsonDocument doc = QJsonDocument::fromJson(arquivo.readAll(), &erro);
        if (erro.error != QJsonParseError::NoError) {
            ::close(m_trava);
            throw std::runtime_error(QStringLiteral("estado corrompido em %1: %2")
                                         .arg(arquivo.fileName(), erro.errorString())
                                         .toStdString());
        }
        m_estado = EstadoDeJson(doc.object());
    }
}

TSessao::~TSessao() {
    if (m_trava >= 0)
        ::close(m_trava);  // releases the lock
}

void TSessao::Salva() {
    PreparaSalva();
    ConcluiSalva();
}

void TSessao::PreparaSalva() {
    const QString temporario =
        QDir(m_pasta).filePath(QLatin1String(NomeEstado)) + QStringLiteral(".tmp");
    const QByteArray dados =
        QJsonDocument(EstadoParaJson(m_estado)).toJson(QJsonDocument::Indented);
    const int fd = ::open(QFile::encodeName(temporario).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Falha(QStringLiteral("não foi possível criar"), temporario);
    try {
        EscreveTudo(fd, dados, temporario);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::fsync(fd);
    ::close(fd);
}

void TSessao::ConcluiSalva() {
    const QString final = QDir(m_pasta).filePath(QLatin1String(NomeEstado));
    const QString temporario = final + QStringLiteral(".tmp");
    // Rename is atomic: a reader sees the old state or the new, never half.
    if (::rename(QFile::encodeName(temporario).constData(), QFile::encodeName(final).constData()) !=
        0) {
        Falha(QStringLiteral("não foi possível gravar"), final);
    }
}

void TSessao::Registra(const QByteArray& linha, bool sincroniza) {
    const QString caminho = CaminhoDiario();
    const int fd = ::open(QFile::encodeName(caminho).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        Falha(QStringLiteral("não foi possível abrir"), caminho);
    const QByteArray completa =
        QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toLatin1() + ' ' + linha + '\n';
    try {
        EscreveTudo(fd, completa, caminho);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (sincroniza && ::fsync(fd) != 0) {
        ::close(fd);
        Falha(QStringLiteral("não foi possível sincronizar"), caminho);
    }
    ::close(fd);
}

void TSessao::Reinicia() {
    m_estado = TEstado();
    QFile::remove(CaminhoDiario());
    Salva();
}

QString TSessao::CaminhoDiario() const {
    return QDir(m_pasta).filePath(QLatin1String(NomeDiario));
}

QByteArray Aspas(const char* texto) {
    if (texto == nullptr)
        return QByteArrayLiteral("NULL");
    QByteArray r = "\"";
    for (const char* p = texto; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            r += '\\';
            r += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            r += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
        } else {
            r += char(c);
        }
    }
    return r + '"';
}

QByteArray LinhaChamada(const char* nome, const QByteArray& argumentos) {
    QByteArray linha = QByteArrayLiteral("CHAMADA ") + nome;
    if (!argumentos.isEmpty())
        linha += ' ' + argumentos;
    return linha;
}

QByteArray LinhaEntregue(const char* nome, const TPendente& a, const unsigned char* bytes,
                         std::size_t tamanho) {
    return QByteArrayLiteral("ENTREGUE ") + nome + " registro=" + QByteArray::number(a.Registro) +
           " bico=" + QByteArray::number(a.Codigo).rightJustified(3, '0') +
           " bytes=" + QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(tamanho)).toHex();
}

}  // namespace sim
