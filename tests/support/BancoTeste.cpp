#include "BancoTeste.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstring>
#include <stdexcept>

#include "data/Conexao.h"
#include "data/Win1252.h"

using namespace Firebird;

namespace {

IMaster* Master() {
    static IMaster* master = fb_get_master_interface();
    return master;
}

class TStatus final : public ThrowStatusWrapper {
  public:
    TStatus() : ThrowStatusWrapper(Master()->getStatus()) {}
    ~TStatus() { dispose(); }
    TStatus(const TStatus&) = delete;
    TStatus& operator=(const TStatus&) = delete;
};

[[noreturn]] void Lanca(const FbException& e, const QString& contexto) {
    const ISC_STATUS* p = e.getStatus()->getErrors();
    QString texto = contexto;
    char linha[1024];
    while (fb_interpret(linha, sizeof linha, &p) > 0) {
        texto += QStringLiteral("\n") + QString::fromLatin1(linha);
    }
    throw std::runtime_error(texto.toStdString());
}

// Statements of a script: comments dropped, split at ";" outside quotes.
QStringList Comandos(const QString& script) {
    QStringList comandos;
    QString atual;
    const qsizetype n = script.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar ch = script.at(i);
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            qsizetype fim = script.indexOf(ch, i + 1);
            fim = fim < 0 ? n : fim + 1;
            atual += script.mid(i, fim - i);
            i = fim;
        } else if (script.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype fim = script.indexOf(QLatin1String("*/"), i + 2);
            i = fim < 0 ? n : fim + 2;
            atual += QLatin1Char(' ');
        } else if (script.mid(i, 2) == QLatin1String("--")) {
            const qsizetype fim = script.indexOf(QLatin1Char('\n'), i);
            i = fim < 0 ? n : fim;
        } else if (ch == QLatin1Char(';')) {
            comandos.append(atual.trimmed());
            atual.clear();
            ++i;
        } else {
            atual += ch;
            ++i;
        }
    }
    comandos.append(atual.trimmed());
    comandos.removeAll(QString());
    return comandos;
}

QByteArray Dpb(TStatus& st, bool criar, bool escritaForcada = false) {
    IXpbBuilder* dpb =
        Master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
    // The embedded engine ignores it; the test server needs it.
    dpb->insertString(&st, isc_dpb_password, COMUNICADOR_FIREBIRD_SENHA);
    dpb->insertInt(&st, isc_dpb_sql_dialect, 1);
    dpb->insertInt(&st, isc_dpb_utf8_filename, 1);
    if (criar) {
        dpb->insertInt(&st, isc_dpb_page_size, 8192);
        // Throwaway files need no flush to disk at every commit.
        dpb->insertInt(&st, isc_dpb_force_write, escritaForcada ? 1 : 0);
    }
    QByteArray bytes(reinterpret_cast<const char*>(dpb->getBuffer(&st)),
                     int(dpb->getBufferLength(&st)));
    dpb->dispose();
    return bytes;
}

IAttachment* Anexa(const QString& banco, bool criar, bool escritaForcada = false) {
    TStatus st;
    IProvider* provider = Master()->getDispatcher();
    const QByteArray dpb = Dpb(st, criar, escritaForcada);
    const QByteArray caminho = banco.toUtf8();
    IAttachment* att = nullptr;
    try {
        const auto* bytes = reinterpret_cast<const unsigned char*>(dpb.constData());
        att = criar
                  ? provider->createDatabase(&st, caminho.constData(), unsigned(dpb.size()), bytes)
                  : provider->attachDatabase(&st, caminho.constData(), unsigned(dpb.size()), bytes);
    } catch (const FbException& e) {
        provider->release();
        Lanca(e, QStringLiteral("Banco de teste ") + banco);
    }
    provider->release();
    return att;
}

void Executa(IAttachment* att, const QStringList& comandos) {
    TStatus st;
    ITransaction* tra = nullptr;
    try {
        tra = att->startTransaction(&st, 0, nullptr);
        for (const QString& comando : comandos) {
            if (comando.startsWith(QLatin1String("SET "), Qt::CaseInsensitive)) {
                continue;
            }
            if (comando.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0) {
                tra->commitRetaining(&st);
                continue;
            }
            const QByteArray sql = Para1252(comando);
            att->execute(&st, tra, unsigned(sql.size()), sql.constData(), 1, nullptr, nullptr,
                         nullptr, nullptr);
        }
        tra->commit(&st);
    } catch (const FbException& e) {
        if (tra) {
            tra->release();
        }
        Lanca(e, QStringLiteral("Script de teste"));
    }
}

void Desanexa(IAttachment* att) {
    TStatus st;
    att->detach(&st);
}

QString LeArquivo(const QString& caminho) {
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly)) {
        throw std::runtime_error((QStringLiteral("Não abre ") + caminho).toStdString());
    }
    return QString::fromUtf8(arquivo.readAll());
}

}  // namespace

QString ServidorTeste() {
    return QStringLiteral("127.0.0.1/%1").arg(COMUNICADOR_FIREBIRD_PORTA);
}

QString SenhaServidorTeste() {
    return QStringLiteral(COMUNICADOR_FIREBIRD_SENHA);
}

qint64 PidServidorTeste() {
    QFile f(QStringLiteral(COMUNICADOR_FIREBIRD_PASTA "/firebird.pid"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().trimmed().toLongLong();
}

QString PastaEsquema() {
    return QStringLiteral(COMUNICADOR_SOURCE_DIR) + QStringLiteral("/data/schema");
}

QString CriaBancoTeste(const QString& pasta, bool demo, const QString& nome, bool escritaForcada) {
    QDir().mkpath(pasta);
    const QString caminho = QDir(pasta).absoluteFilePath(nome);
    QFile::remove(caminho);
    QStringList comandos = Comandos(LeArquivo(PastaEsquema() + QStringLiteral("/estacao.sql")));
    if (demo) {
        comandos += Comandos(LeArquivo(PastaEsquema() + QStringLiteral("/demo.sql")));
    }
    IAttachment* att = Anexa(caminho, true, escritaForcada);
    try {
        Executa(att, comandos);
    } catch (...) {
        Desanexa(att);
        throw;
    }
    Desanexa(att);
    return caminho;
}

void ExecutaSql(const QString& banco, const QString& script) {
    IAttachment* att = Anexa(banco, false);
    try {
        Executa(att, Comandos(script));
    } catch (...) {
        Desanexa(att);
        throw;
    }
    Desanexa(att);
}

QString ValorSql(const QString& banco, const QString& consulta) {
    IAttachment* att = Anexa(banco, false);
    TStatus st;
    ITransaction* tra = nullptr;
    QString valor;
    try {
        tra = att->startTransaction(&st, 0, nullptr);
        const QByteArray sql = Para1252(consulta);
        IStatement* stmt = att->prepare(&st, tra, unsigned(sql.size()), sql.constData(), 1,
                                        IStatement::PREPARE_PREFETCH_METADATA);
        IMessageMetadata* declarada = stmt->getOutputMetadata(&st);
        IMetadataBuilder* montador = declarada->getBuilder(&st);
        const unsigned n = declarada->getCount(&st);
        for (unsigned i = 0; i < n; ++i) {
            montador->setType(&st, i, SQL_VARYING);
            montador->setLength(&st, i, 4000);
            montador->setCharSet(&st, i, 0);
            montador->setScale(&st, i, 0);
        }
        IMessageMetadata* saida = montador->getMetadata(&st);
        montador->release();
        declarada->release();
        QByteArray buffer(int(saida->getMessageLength(&st)), '\0');
        IResultSet* cursor = stmt->openCursor(&st, tra, nullptr, nullptr, saida, 0);
        if (cursor->fetchNext(&st, buffer.data()) != IStatus::RESULT_OK) {
            valor = QStringLiteral("<nenhuma>");
        } else {
            const char* dado = buffer.constData() + saida->getOffset(&st, 0);
            ISC_SHORT nulo;
            std::memcpy(&nulo, buffer.constData() + saida->getNullOffset(&st, 0), sizeof nulo);
            ISC_USHORT tam;
            std::memcpy(&tam, dado, sizeof tam);
            valor = nulo ? QStringLiteral("<null>") : De1252(dado + sizeof tam, tam);
        }
        cursor->close(&st);
        saida->release();
        stmt->release();
        tra->commit(&st);
    } catch (const FbException& e) {
        if (tra) {
            tra->release();
        }
        Desanexa(att);
        Lanca(e, QStringLiteral("Consulta de teste"));
    }
    Desanexa(att);
    return valor;
}

void ConfiguraConexaoTeste(TConexao& conexao, const QString& banco, const QString& senha) {
    conexao.DefineParametrosPadrao();
    conexao.DefineParametro(QStringLiteral("Database"), banco);
    conexao.DefineParametro(QStringLiteral("User_Name"), QStringLiteral("SYSDBA"));
    conexao.DefineParametro(QStringLiteral("Password"), senha);
}
