#pragma once

#include <QStringList>
#include <QVariant>
#include <memory>

#include "data/DataSet.h"

// A cached, editable dataset (SequenciaAbast, the totalizer rows): opened from
// a SELECT on one table, rows edited or appended in the cache, then applied to
// the table.
//
// An applied edit finds exactly the row it read: by the table's primary key,
// or, where the table has none, by the row's RDB$DB_KEY read with it; and
// only while the edited columns still hold the values read. An edit that finds
// no row (changed or gone since it was read) raises, it is never taken as
// success.
class TDataSetEditavel : public TDataSet {
    Q_OBJECT
  public:
    explicit TDataSetEditavel(QObject* dono = nullptr);
    ~TDataSetEditavel() override;

    // The table changes are applied to; by default the one after FROM.
    void SetTabela(const QString& tabela);
    // The columns that find an edited row, in place of the table's key.
    void SetChaves(const QStringList& colunas);

    void Edit();    // edit the current row
    void Append();  // a new row, all fields NULL
    void SetField(const QString& nome,
                  const QVariant& valor);  // QString, double, int, QDate, QDateTime or null
    void Post();
    void Cancel();
    bool Modificado() const;  // changes waiting to be applied
    // Applies every posted change within the connection's transaction (or its
    // own, committed at once) and returns how many rows were written.
    int ApplyUpdates();

  protected:
    QString TextoParaAbrir() const override;
    void Aberto() override;
    void Fechado() override;

  private:
    struct Edicao;
    std::unique_ptr<Edicao> m_edicao;
};
