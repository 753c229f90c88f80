#include "capture/RegistrosRetidos.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cstring>

#include "capture/ProcessaAbastecimento.h"
#include "capture/registros/Abastecimento.h"
#include "data/Conexao.h"
#include "data/Erro.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"

namespace {

QString Texto(const std::string& bytes) {
    return De1252(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

template <typename TRegistro>
TRegistro Registro(const QByteArray& bytes) {
    TRegistro r;
    std::memcpy(r.Bytes, bytes.constData(), sizeof r.Bytes);
    return r;
}

template <typename TRegistro>
QString Descreve(const TRegistro& r) {
    const QString hexa = Texto(r.CodBico());
    QString codigo;
    try {
        codigo = CodigoConcentradorDe(hexa) + QStringLiteral(" (") + hexa + QStringLiteral(")");
    } catch (const std::exception&) {
        codigo = QStringLiteral("'") + hexa + QStringLiteral("'");
    }
    return Texto(r.Data()) + QLatin1Char(' ') + Texto(r.Hora()) + QStringLiteral("  bico ") +
           codigo + QStringLiteral("  ") + FormataNumero(QStringLiteral("0.000"), r.TotalLitros()) +
           QStringLiteral(" litros  valor ") +
           FormataNumero(QStringLiteral("0.00"), r.TotalDinheiro());
}

void Falha(const QString& caminho) {
    throw EErro(QStringLiteral("Não foi possível gravar o arquivo ") + caminho +
                QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

std::vector<TRegistroRetido> LeRegistrosRetidos(const QString& caminho) {
    std::vector<TRegistroRetido> registros;
    QFile arquivo(caminho);
    if (!arquivo.exists())
        return registros;
    if (!arquivo.open(QIODevice::ReadOnly))
        throw EErro(QStringLiteral("Não foi possível ler o arquivo ") + caminho +
                    QStringLiteral(": ") + arquivo.errorString());
    const QList<QByteArray> linhas = arquivo.readAll().split('\n');
    for (QByteArray linha : linhas) {
        if (linha.endsWith('\r'))
            linha.chop(1);
        if (linha.trimmed().isEmpty())
            continue;
        TRegistroRetido r;
        r.Linha = linha;
        const QList<QByteArray> partes = linha.split(' ');
        if (partes.size() < 4) {
            r.Defeito = QStringLiteral("linha incompleta");
            registros.push_back(std::move(r));
            continue;
        }
        r.LidoEm = QString::fromLatin1(partes[0] + ' ' + partes[1]);
        r.Fid = partes[2] == "F";
        r.Bytes = QByteArray::fromHex(partes[3]);
        const qsizetype inicioMotivo =
            partes[0].size() + partes[1].size() + partes[2].size() + partes[3].size() + 4;
        r.Motivo = De1252(linha.mid(inicioMotivo));
        const qsizetype tamanho =
            qsizetype(r.Fid ? TAbastecimentoFid::Tamanho : TAbastecimento::Tamanho);
        if (partes[2] != "S" && partes[2] != "F")
            r.Defeito = QStringLiteral("tipo de registro desconhecido");
        else if (r.Bytes.size() != tamanho)
            r.Defeito = QStringLiteral("registro de %1 bytes, esperados %2")
                            .arg(r.Bytes.size())
                            .arg(tamanho);
        registros.push_back(std::move(r));
    }
    return registros;
}

QString DescreveRegistroRetido(const TRegistroRetido& registro) {
    QString texto;
    if (!registro.Defeito.isEmpty())
        texto = QStringLiteral("linha ilegível (") + registro.Defeito + QStringLiteral(")");
    else if (registro.Fid)
        texto = Descreve(Registro<TAbastecimentoFid>(registro.Bytes));
    else
        texto = Descreve(Registro<TAbastecimento>(registro.Bytes));
    return texto + QStringLiteral("  motivo: ") + registro.Motivo;
}

QByteArray LinhaRegistroRetido(const TRegistroRetido& registro) {
    if (!registro.Defeito.isEmpty())
        return registro.Linha;
    QString motivo = registro.Motivo;
    motivo.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return registro.LidoEm.toLatin1() + ' ' + (registro.Fid ? "F" : "S") + ' ' +
           registro.Bytes.toHex().toUpper() + ' ' + Para1252(motivo);
}

void ReescreveRegistrosRetidos(const QString& caminho,
                               const std::vector<TRegistroRetido>& registros) {
    QByteArray conteudo;
    for (const TRegistroRetido& r : registros)
        conteudo += LinhaRegistroRetido(r) + "\r\n";
    const QString temporario = caminho + QStringLiteral(".tmp");
    const QByteArray nome = QFile::encodeName(temporario);
    const int fd = ::open(nome.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Falha(temporario);
    qsizetype escrito = 0;
    while (escrito < conteudo.size()) {
        const ssize_t n = ::write(fd, conteudo.constData() + escrito,
                                  static_cast<size_t>(conteudo.size() - escrito));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int erro = errno;
            ::close(fd);
            errno = erro;
            Falha(temporario);
        }
        escrito += n;
    }
    if (::fsync(fd) != 0) {
        const int erro = errno;
        ::close(fd);
        errno = erro;
        Falha(temporario);
    }
    ::close(fd);
    if (::rename(nome.constData(), QFile::encodeName(caminho).constData()) != 0)
        Falha(caminho);
}

TResultadoRetidos GravaRegistrosRetidos(const QString& caminho, TCapturaAbastecimento& captura,
                                        TConexao& conexao, bool& usaFid,
                                        const std::function<void(const QString&)>& relata) {
    TResultadoRetidos resultado;
    std::vector<TRegistroRetido> registros = LeRegistrosRetidos(caminho);
    std::vector<TRegistroRetido> ficam;
    bool mudou = false;
    // Reported here, one line per record, not in a box each.
    captura.DefineSilencioso(true);
    for (TRegistroRetido& r : registros) {
        if (resultado.Interrompido || !r.Defeito.isEmpty()) {
            if (!r.Defeito.isEmpty())
                relata(QStringLiteral("Continua retido: ") + DescreveRegistroRetido(r));
            ++resultado.Retidos;
            ficam.push_back(std::move(r));
            continue;
        }
        usaFid = r.Fid;
        try {
            const bool jaGravado = r.Fid ? captura.JaGravado(Registro<TAbastecimentoFid>(r.Bytes))
                                         : captura.JaGravado(Registro<TAbastecimento>(r.Bytes));
            if (jaGravado) {
                ++resultado.JaGravados;
                mudou = true;
                relata(QStringLiteral("Já estava no banco, retirado: ") +
                       DescreveRegistroRetido(r));
                continue;
            }
        } catch (const std::exception& e) {
            if (ConexaoCaiu(e, conexao)) {
                resultado.Interrompido = true;
                ++resultado.Retidos;
                ficam.push_back(std::move(r));
                continue;
            }
            // Any other refusal: storing it says what is wrong.
        }

        if (r.Fid)
            captura.ProcessaAbastecimentoFID(Registro<TAbastecimentoFid>(r.Bytes));
        else
            captura.ProcessaAbastecimento(Registro<TAbastecimento>(r.Bytes));
        switch (captura.Desfecho()) {
            case TDesfechoCaptura::Gravado:
                ++resultado.Gravados;
                mudou = true;
                relata(QStringLiteral("Gravado: ") + DescreveRegistroRetido(r));
                continue;
            case TDesfechoCaptura::SemConexao:
                resultado.Interrompido = true;
                ++resultado.Retidos;
                ficam.push_back(std::move(r));
                continue;
            case TDesfechoCaptura::SemAbastecimento:
                r.Motivo =
                    QStringLiteral("O registro não traz abastecimento (volume ou preço zero)");
                break;
            case TDesfechoCaptura::BicoDesconhecido:
            case TDesfechoCaptura::GravadoSemLinha:
            case TDesfechoCaptura::Falhou:
            case TDesfechoCaptura::Bloqueado:
                r.Motivo = captura.MotivoFalha();
                break;
        }
        mudou = true;
        ++resultado.Retidos;
        relata(QStringLiteral("Continua retido: ") + DescreveRegistroRetido(r));
        ficam.push_back(std::move(r));
    }
    if (mudou)
        ReescreveRegistrosRetidos(caminho, ficam);
    return resultado;
}
