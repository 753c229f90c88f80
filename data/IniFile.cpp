#include "data/IniFile.h"

#include <ini.h>

#include <QDir>
#include <QFile>

#include "data/Win1252.h"

TIniFile::TIniFile(const QString& caminho) {
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return;
    const QByteArray conteudo = arquivo.readAll();
    m_existe = true;

    auto handler = [](void* usuario, const char* secao, const char* nome,
                      const char* valor) -> int {
        auto* secoes = static_cast<std::vector<Secao>*>(usuario);
        const QString nomeSecao = De1252(QByteArray(secao));
        if (secoes->empty() || secoes->back().Nome != nomeSecao) {
            secoes->push_back({nomeSecao, {}});
        }
        if (nome)
            secoes->back().Linhas.emplace_back(De1252(QByteArray(nome)), De1252(QByteArray(valor)));
        return 1;
    };
    ini_parse_string(conteudo.constData(), handler, &m_secoes);
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
