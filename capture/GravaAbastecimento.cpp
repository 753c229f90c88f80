#include "capture/GravaAbastecimento.h"

#include <QDate>

#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Utilitarios.h"

QString SqlInsereAbastecimento() {
    return QStringLiteral(
        "INSERT into mvabast(mvabast.Data,            mvabast.Hora,          mvabast.CodBico,\n"
        "                    mvabast.Combustivel,     mvabast.Litragem,      mvabast.Valor,\n"
        "                    mvabast.CodProd,         mvabast.CodGrade,      mvabast.CodFid,\n"
        "                    mvabast.PrecoUnit,       mvabast.Desconto,      mvabast.Emitido,\n"
        "                    mvabast.Id,              mvabast.Sequencia,     "
        "mvabast.EncerranteFinal)\n"
        "            Values(:PData,                  :PHora,                :PCodBico,\n"
        "                   :PCombustivel,           :PLitragem,            :PValor,\n"
        "                   :PCodProd,               :PCodGrade,            :PCodFid,\n"
        "                   :PPrecoUnit,             :PDesconto,            :PEmitido,\n"
        "                   :PId,                    :PSequencia,           :PEncerranteFinal)");
}

QString SqlHorarioOcupado() {
    return QStringLiteral(
        "Select * From MvAbast      Where Data    = :PData    And   Hora    = :PHora    And   "
        "CodBico = :PCodBico");
}

QString SqlParaPosto() {
    return QStringLiteral(
        "Select SequenciaAbast, AcertaDataConc, PortaConc, ImpreDescBico, UsaConcentrador, "
        "CorrigeLitragem, visualizastatusbomba\r\nFrom ParaPosto");
}

QString SqlSequenciaAbast() {
    return QStringLiteral("Select SequenciaAbast From ParaPosto");
}

namespace {
// A tag of zeros is what the pump reports when no tag was read.
const QString kFidVazio = QStringLiteral("0000000000000000");
constexpr int kSegundosDoDia = 24 * 60 * 60;
}  // namespace

TGravacaoAbastecimento::TGravacaoAbastecimento(TConexao& conexao, TDataSet& mvAbast,
                                               TDataSet& paraPosto,
                                               TDataSetEditavel& sequenciaAbast, const bool& usaFid,
                                               TRegistroLog& log, TDialogos& dialogos)
    : m_conexao(conexao),
      m_mvAbast(mvAbast),
      m_paraPosto(paraPosto),
      m_sequenciaAbast(sequenciaAbast),
      m_usaFid(usaFid),
      m_log(log),
      m_dialogos(dialogos) {}

QTime TGravacaoAbastecimento::HorarioLivre(const QString& data, const QTime& inicio,
                                           const QString& codBico) {
    // The database reads "dd.mm.yyyy" as a date literal.
    const QString dataLiteral = SubstituiTexto(data, QStringLiteral("/"), QStringLiteral("."));
    QTime hora = inicio;
    for (int tentativa = 0; tentativa < kSegundosDoDia; ++tentativa) {
        m_mvAbast.Close();
        m_mvAbast.SetSQL(SqlHorarioOcupado());
        m_mvAbast.ParamText(QStringLiteral("PData"), dataLiteral);
        m_mvAbast.ParamText(QStringLiteral("PHora"), TimeToStr(hora));
        m_mvAbast.ParamText(QStringLiteral("PCodBico"), codBico);
        m_mvAbast.Open();
        if (m_mvAbast.IsEmpty())
            return hora;
        // QTime wraps past 23:59:59 to 00:00:00; the date stays.
        hora = hora.addSecs(1);
    }
    throw EErro(QStringLiteral("Nenhum horário livre no dia %1 para o bico %2").arg(data, codBico));
}

void TGravacaoAbastecimento::GravaAbastecimento(QString& hora, const TDadosAbastecimento& a) {
    m_insercaoFalhou = false;
    m_motivoInsercao.clear();
    try {
        const QTime lida = StrToTime(hora);
        hora = TimeToStr(HorarioLivre(a.Data, lida, a.CodBico));

        {
            TQuery insere;
            insere.SetConnection(&m_conexao);
            insere.SetSQL(SqlInsereAbastecimento());
            const QDate data = StrToDate(a.Data);
            insere.ParamDate(QStringLiteral("PData"), data);
            insere.ParamText(QStringLiteral("PHora"), hora);
            insere.ParamText(QStringLiteral("PCodBico"), a.CodBico);
            insere.ParamText(QStringLiteral("PCombustivel"), a.Combustivel);
            insere.ParamDouble(QStringLiteral("PLitragem"), a.Litragem);
            insere.ParamDouble(QStringLiteral("PValor"), a.Valor);
            insere.ParamText(QStringLiteral("PCodProd"), a.CodProd);
            insere.ParamText(QStringLiteral("PCodGrade"), a.CodGrade);
            if (m_usaFid && a.CodFid != kFidVazio)
                insere.ParamText(QStringLiteral("PCodFid"), a.CodFid);
            else
                insere.ParamNull(QStringLiteral("PCodFid"));
            insere.ParamDouble(QStringLiteral("PPrecoUnit"), a.PrecoUnit);
            insere.ParamDouble(QStringLiteral("PDesconto"), a.Desconto);
            insere.ParamText(QStringLiteral("PEmitido"), QStringLiteral("N"));
            insere.ParamInteger(QStringLiteral("PId"), a.Id);
            const int sequencia = LeSequencia();
            insere.ParamInteger(QStringLiteral("PSequencia"), sequencia);
            insere.ParamDouble(QStringLiteral("PEncerranteFinal"), a.EncerranteFinal);
            try {
                insere.ExecSQL();
            } catch (const std::exception& e) {
                // With the link gone there is no transaction left to commit,
                // and a row held by another program is free again later:
                // either way the fueling is stored again, not reported.
                if (ConexaoCaiu(e, m_conexao) || RegistroBloqueado(e))
                    throw;
                const QString mensagem = MensagemDe(e);
                m_insercaoFalhou = true;
                m_motivoInsercao = mensagem;
                m_dialogos.Informacao(QStringLiteral("Erro ao tentar gravar o abastecimento ") +
                                      mensagem);
                m_log.GravaLogErro(
                    QStringLiteral("Erro ao tentar gravar o abastecimento:  Sequencia: ") +
                    QString::number(sequencia) + QStringLiteral(" Data: ") + DateToStr(data) +
                    QStringLiteral(" Hora: ") + hora + QStringLiteral(" Bico: ") + a.CodBico +
                    QStringLiteral(" Erro: ") + mensagem);
            }
        }

        m_log.EscreveLinhaLog(a.Data, hora, a.CodBico, a.Litragem, a.Valor, a.PrecoUnit,
                              QString::number(LeSequencia()), QString::number(a.Id),
                              a.CodigoConcentrador);
        if (a.Id == UltimoRegistroDoCiclo && !m_semIncremento)
            IncrementaSequencia();
    } catch (...) {
        RelancaComMensagem(QStringLiteral("Erro ao Gravar o Abastecimento"));
    }
}

int TGravacaoAbastecimento::LeSequencia() {
    if (m_sqlParaPosto.isEmpty())
        m_sqlParaPosto = m_paraPosto.SQL();
    if (m_recarrega) {
        m_paraPosto.Close();
        m_paraPosto.SetSQL(m_sqlParaPosto);
        m_paraPosto.Open();
    }
    return m_paraPosto.AsInteger(QStringLiteral("SequenciaAbast"));
}

void TGravacaoAbastecimento::IncrementaSequencia() {
    m_incrementoNaUnidade = true;
    try {
        if (m_cacheSujo)
            RecarregaCache();
        const QString campo = QStringLiteral("SequenciaAbast");
        m_sequenciaAbast.Edit();
        m_sequenciaAbast.SetField(campo, m_sequenciaAbast.AsInteger(campo) + 1);
        m_sequenciaAbast.Post();
        // An edit whose row changed since it was read writes nothing; that
        // must never pass for a stored increment.
        if (m_sequenciaAbast.ApplyUpdates() < 1)
            throw EErro(QString());
    } catch (...) {
        // The cache may hold the unapplied value; never count on from it.
        m_cacheSujo = true;
        RelancaComMensagem(QStringLiteral("Erro ao Atualizar a Sequência de Abastecimentos."));
    }
    m_recarrega = true;
}

void TGravacaoAbastecimento::DescartaIncremento() {
    // The cache holds a value the database no longer has (undone, or never
    // applied); until it is read again no increment may start from it.
    m_cacheSujo = true;
    m_incrementoNaUnidade = false;
    RecarregaCache();
}

void TGravacaoAbastecimento::RecarregaCache() {
    m_sequenciaAbast.Close();
    m_sequenciaAbast.Open();
    m_cacheSujo = false;
}
