#pragma once

// Internal to data/: the state of a dataset, shared with the editable one.

#include <QHash>
#include <QVariant>
#include <map>
#include <vector>

#include "data/Coluna.h"
#include "data/Comando.h"
#include "data/DataSet.h"

using TLinha = std::vector<QVariant>;

struct TDataSet::Impl final : fb::IUsuarioConexao {
    explicit Impl(TDataSet* d) : dono(d) {}

    void LiberaComandos() override { comando.Libera(); }
    void ConexaoDestruida() override {
        comando.Libera();
        conexao = nullptr;
    }

    void DefineColunas(std::vector<TColuna> lidas);
    int Indice(const QString& nome) const;
    int IndiceExigido(const QString& nome) const;
    const QVariant& Valor(const QString& nome) const;
    void DefineParametro(const QString& nome, TValor valor);
    std::vector<const TValor*> ValoresParametros() const;

    TDataSet* dono;
    TConexao* conexao = nullptr;
    QString sql;
    bool ativo = false;
    TComando comando;
    std::map<QString, TValor> parametros;
    std::vector<TColuna> colunas;
    QHash<QString, int> indices;
    std::vector<TLinha> linhas;
    int atual = 0;
    bool eof = true;
};

QString ErroDataSetFechado();
