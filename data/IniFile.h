#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

// An INI file read whole at construction, as the Windows profile functions
// read it. Sections and keys are found without regard to case; a missing
// file or key reads as the default; a file that exists but cannot be read
// raises. Values are Windows-1252 text.
class TIniFile {
  public:
    explicit TIniFile(const QString& caminho);

    bool Existe() const { return m_existe; }
    QString ReadString(const QString& secao, const QString& chave, const QString& padrao) const;
    bool SectionExists(const QString& secao) const;
    // The section's lines "name=value" in file order.
    QStringList SectionLines(const QString& secao) const;

  private:
    struct Secao {
        QString Nome;
        std::vector<std::pair<QString, QString>> Linhas;
    };
    const Secao* Procura(const QString& secao) const;
    void Interpreta(const QByteArray& conteudo);

    bool m_existe = false;
    std::vector<Secao> m_secoes;
};

// The file of that name in `diretorio`, found without regard to case; empty
// when there is none.
QString ProcuraArquivoSemCaixa(const QString& diretorio, const QString& nome);
