#include "data/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "data/Erro.h"
#include "data/Win1252.h"

namespace {

// Blanks and control characters at both ends, as the Windows profile
// functions drop them.
QByteArray Apara(const QByteArray& texto) {
    qsizetype ini = 0;
    qsizetype fim = texto.size();
    while (ini < fim && static_cast<unsigned char>(texto.at(ini)) <= 32)
        ++ini;
    while (fim > ini && static_cast<unsigned char>(texto.at(fim - 1)) <= 32)
        --fim;
    return texto.mid(ini, fim - ini);
}

}  // namespace

TIniFile::TIniFile(const QString& caminho) {
    // Missing reads as empty; anything there that cannot be read (a link to
    // nothing, a folder, no permission) is an error, never an empty file.
    const QFileInfo info(caminho);
    if (!info.exists() && !info.isSymLink())
        return;
    QFile arquivo(caminho);
    const auto falha = [&] {
        return EErro(QStringLiteral("Não foi possível ler o arquivo ") + caminho +
                     QStringLiteral(": ") + arquivo.errorString());
    };
    if (!arquivo.open(QIODevice::ReadOnly))
        throw falha();
    const QByteArray conteudo = arquivo.readAll();
    if (arquivo.error() != QFileDevice::NoError)
        throw falha();
    m_existe = true;
    Interpreta(conteudo);
}

void TIniFile::Interpreta(const QByteArray& conteudo) {
    // Read as the station's own Windows tools read these files: a line is a
    // section, a comment (';' first) or name=value; a ';' later in a line
    // is part of the value, and no line continues on the next.
    for (const QByteArray& bruta : conteudo.split('\n')) {
        const QByteArray linha = Apara(bruta);
        if (linha.isEmpty() || linha.startsWith(';'))
            continue;
        if (linha.startsWith('[')) {
            const qsizetype fecha = linha.indexOf(']');
            const QByteArray nome = Apara(fecha < 0 ? linha.mid(1) : linha.mid(1, fecha - 1));
            m_secoes.push_back({De1252(nome), {}});
            continue;
        }
        const qsizetype igual = linha.indexOf('=');
        if (igual < 0 || m_secoes.empty())
            continue;
        QByteArray valor = Apara(linha.mid(igual + 1));
        if (valor.size() >= 2 && valor.startsWith('"') && valor.endsWith('"'))
            valor = valor.mid(1, valor.size() - 2);
        m_secoes.back().Linhas.emplace_back(De1252(Apara(linha.left(igual))), De1252(valor));
    }
}

const TIniFile::Secao* TIniFile::Procura(const QString& secao) const {
    for (const Secao& s : m_secoes) {
        if (s.Nome.compare(secao, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

bool TIniFile::SectionExists(const QString& secao) const {
    return Procura(secao) != nullptr;
}

QString TIniFile::ReadString(const QString& secao, const QString& chave,
                             const QString& padrao) const {
    // A section may appear more than once; the first key found counts.
    for (const Secao& s : m_secoes) {
        if (s.Nome.compare(secao, Qt::CaseInsensitive) != 0)
            continue;
        for (const auto& [nome, valor] : s.Linhas) {
            if (nome.compare(chave, Qt::CaseInsensitive) == 0)
                return valor;
        }
    }
    return padrao;
}

QStringList TIniFile::SectionLines(const QString& secao) const {
    QStringList linhas;
    for (const Secao& s : m_secoes) {
        if (s.Nome.compare(secao, Qt::CaseInsensitive) != 0)
            continue;
        for (const auto& [nome, valor] : s.Linhas)
            linhas << nome + QLatin1Char('=') + valor;
    }
    return linhas;
}

QString ProcuraArquivoSemCaixa(const QString& diretorio, const QString& nome) {
    const QDir dir(diretorio);
    const QStringList arquivos = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& a : arquivos) {
        if (a == nome)
            return dir.filePath(a);
    }
    for (const QString& a : arquivos) {
        if (a.compare(nome, Qt::CaseInsensitive) == 0)
            return dir.filePath(a);
    }
    return QString();
}
