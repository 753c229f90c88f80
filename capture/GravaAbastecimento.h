#pragma once

#include <QString>
#include <QTime>
#include <QtGlobal>
#include <cstdint>

class TConexao;
class TDataSet;
class TDataSetEditavel;
class TDialogos;
class TRegistroLog;

// One decoded fueling as it goes into storage. Texts are as read from the
// record or the database; Data is "dd/mm/yyyy".
struct TDadosAbastecimento {
    QString Data;
    QString CodBico;
    QString Combustivel;
    QString CodProd;
    QString CodGrade;
    QString CodFid;
    double Litragem = 0;
    double Valor = 0;
    double PrecoUnit = 0;
    double Desconto = 0;
    double EncerranteFinal = 0;
    std::int32_t Id = 0;
    QString CodigoConcentrador;
};

// The INSERT of one MvAbast row with its fifteen parameters.
QString SqlInsereAbastecimento();
// The free-slot test: a row with the same date, time and nozzle.
QString SqlHorarioOcupado();
// The station parameters ParaPosto is opened with at start-up and reopened
// with once the sequence has moved.
QString SqlParaPosto();
// The one-column dataset the sequence is incremented through.
QString SqlSequenciaAbast();

// The register number after which the sequence goes up.
inline constexpr std::int32_t UltimoRegistroDoCiclo = 9999;

// Stores fuelings in MvAbast and keeps the station's fueling sequence. Runs
// inside the transaction its caller opens and commits.
class TGravacaoAbastecimento final {
  public:
    // The datasets belong to the main window and outlive this object.
    // `usaFid` is read at every fueling: start-up sets it after the window
    // exists.
    TGravacaoAbastecimento(TConexao& conexao, TDataSet& mvAbast, TDataSet& paraPosto,
                           TDataSetEditavel& sequenciaAbast, const bool& usaFid, TRegistroLog& log,
                           TDialogos& dialogos);
    Q_DISABLE_COPY_MOVE(TGravacaoAbastecimento)

    // `hora` comes in as read ("hh:mm" or "hh:mm:ss") and leaves as stored
    // (hh:mm:ss). A failed INSERT is reported here and storing goes on; any
    // other failure raises "Erro ao Gravar o Abastecimento".
    void GravaAbastecimento(QString& hora, const TDadosAbastecimento& abastecimento);

    int LeSequencia();
    // Raises "Erro ao Atualizar a Sequência de Abastecimentos." also when the
    // row changed since it was read: the increment is stored or it fails.
    void IncrementaSequencia();

    bool RecarregaSequencia() const { return m_recarrega; }
    // A fueling stored long after it was read (a kept record stored again)
    // is out of the register cycle: register number 9999 moves nothing then.
    void DefineSemIncremento(bool semIncremento) { m_semIncremento = semIncremento; }
    // Whether the last GravaAbastecimento reported a failed INSERT, and the
    // database's message.
    bool InsercaoFalhou() const { return m_insercaoFalhou; }
    const QString& MotivoInsercao() const { return m_motivoInsercao; }

    // Whether IncrementaSequencia ran since the last call to
    // InicioDaUnidade. After a rollback the cached value is ahead of the
    // database: DescartaIncremento reads it again, or, when that fails, has
    // the next increment read it first.
    void InicioDaUnidade() { m_incrementoNaUnidade = false; }
    bool IncrementoNaUnidade() const { return m_incrementoNaUnidade; }
    void DescartaIncremento();

    // The first free second at or after `inicio` on that date and nozzle;
    // past 23:59:59 it goes on at 00:00:00 of the same date. Raises when
    // every second of the day is taken.
    QTime HorarioLivre(const QString& data, const QTime& inicio, const QString& codBico);

  private:
    void RecarregaCache();

    TConexao& m_conexao;
    TDataSet& m_mvAbast;
    TDataSet& m_paraPosto;
    TDataSetEditavel& m_sequenciaAbast;
    const bool& m_usaFid;
    TRegistroLog& m_log;
    TDialogos& m_dialogos;
    bool m_recarrega = false;
    bool m_semIncremento = false;
    bool m_incrementoNaUnidade = false;
    bool m_insercaoFalhou = false;
    QString m_motivoInsercao;
    bool m_cacheSujo = false;
    QString m_sqlParaPosto;
};
