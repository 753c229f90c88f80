#include "capture/ProcessaAbastecimento.h"

#include <QDate>
#include <QScopeGuard>

#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Transacao.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"

QString SqlBombas() {
    return QStringLiteral(
        "Select Bombas.CodBico,\n"
        "    Bombas.CodTanque,\n"
        "    Bombas.Descricao DescricaoBico,\n"
        "    Bombas.CodConcentrador,\n"
        "    Tanques.CodTanque Grade,\n"
        "    Produto.CodProd,\n"
        "    Produto.Descricao DescricaoProduto\n"
        "From  Bombas\n"
        "Inner Join Tanques On Tanques.CodTanque = Bombas.CodTanque\n"
        "Inner Join Produto On Produto.CodProd = Tanques.CodProd\n"
        "Where Bombas.CodConcentrador = :PConcentrador");
}

QString CodigoConcentradorDe(const QString& codigoHexadecimal) {
    bool ok = !codigoHexadecimal.isEmpty();
    int numero = 0;
    for (QChar c : codigoHexadecimal) {
        const int digito = c.isDigit() && c.unicode() < 128                 ? c.unicode() - '0'
                           : c >= QLatin1Char('A') && c <= QLatin1Char('F') ? c.unicode() - 'A' + 10
                           : c >= QLatin1Char('a') && c <= QLatin1Char('f') ? c.unicode() - 'a' + 10
                                                                            : -1;
        if (digito < 0) {
            ok = false;
            break;
        }
        numero = numero * 16 + digito;
    }
    if (!ok)
        throw EErro(QStringLiteral("'%1' não é um valor inteiro válido").arg(codigoHexadecimal));
    return FormatFloat(QStringLiteral("000"), numero);
}

QString TextoErroLeitura(const QString& mensagem) {
    return QStringLiteral("Ocorreu um erro ao realizar a leitura do abastecimento:") +
           QLatin1Char('\r') + mensagem + QLatin1Char('\r') +
           QStringLiteral("Feche o sistema de conexão com o concentrador e o reinicie novamente!");
}

namespace {
QString Texto(const std::string& bytes) {
    return De1252(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

template <typename TRegistro>
QString Defeito(const TRegistro& registro) {
    try {
        CodigoConcentradorDe(Texto(registro.CodBico()));
        StrToDate(Texto(registro.Data()));
        StrToTime(Texto(registro.Hora()));
    } catch (const std::exception& e) {
        return MensagemDe(e);
    }
    return QString();
}

}  // namespace

QString DefeitoPermanente(const TAbastecimento& registro) {
    return Defeito(registro);
}

QString DefeitoPermanente(const TAbastecimentoFid& registro) {
    return Defeito(registro);
}

TCapturaAbastecimento::TCapturaAbastecimento(TAmbiente ambiente)
    : m_ambiente(std::move(ambiente)),
      m_gravacao(m_ambiente.Conexao, m_ambiente.MvAbast, m_ambiente.ParaPosto,
                 m_ambiente.SequenciaAbast, m_ambiente.UsaFid, m_ambiente.Log, m_ambiente.Dialogos),
      m_continuidade(m_ambiente.Log) {}

void TCapturaAbastecimento::ProcessaAbastecimento(const TAbastecimento& registro) {
    Processa(registro);
}

void TCapturaAbastecimento::ProcessaAbastecimentoFID(const TAbastecimentoFid& registro) {
    Processa(registro);
}

bool TCapturaAbastecimento::JaGravado(const TAbastecimento& registro) {
    return Existe(registro);
}

bool TCapturaAbastecimento::JaGravado(const TAbastecimentoFid& registro) {
    return Existe(registro);
}

template <typename TRegistro>
bool TCapturaAbastecimento::Existe(const TRegistro& registro) {
    QDate data;
    try {
        m_codigoConcentrador = CodigoConcentradorDe(Texto(registro.CodBico()));
        data = StrToDate(Texto(registro.Data()));
    } catch (const std::exception&) {
        return false;
    }
    if (!AbreBicos())
        return false;
    // The time is left out: storing may have moved it to a free second.
    TQuery q;
    q.SetConnection(&m_ambiente.Conexao);
    q.SetSQL(
        QStringLiteral("Select Count(*) N From MvAbast Where Data = :PData And CodBico = :PCodBico "
                       "And Id = :PId And EncerranteFinal Between :PMinimo And :PMaximo"));
    q.ParamDate(QStringLiteral("PData"), data);
    q.ParamText(QStringLiteral("PCodBico"), m_ambiente.Bombas.AsString(QStringLiteral("CodBico")));
    q.ParamInteger(QStringLiteral("PId"), registro.Registro());
    q.ParamDouble(QStringLiteral("PMinimo"), registro.Encerrante() - 0.0005);
    q.ParamDouble(QStringLiteral("PMaximo"), registro.Encerrante() + 0.0005);
    q.Open();
    return q.AsInteger(QStringLiteral("N")) > 0;
}

bool TCapturaAbastecimento::AbreBicos() {
    TDataSet& bombas = m_ambiente.Bombas;
    bombas.Close();
    bombas.SetSQL(SqlBombas());
    bombas.ParamText(QStringLiteral("PConcentrador"), m_codigoConcentrador);
    bombas.Open();
    return !bombas.IsEmpty();
}

template <typename TRegistro>
void TCapturaAbastecimento::Processa(const TRegistro& registro) {
    m_desfecho = TDesfechoCaptura::SemAbastecimento;
    m_motivo.clear();
    if (!registro.Presente())
        return;
    QString codBico;
    // Once the fueling is stored or given up, whatever happened.
    const auto confere = qScopeGuard([&] {
        if (m_desfecho == TDesfechoCaptura::Gravado)
            m_continuidade.Gravado(codBico, registro.Registro(), registro.TotalLitros(),
                                   registro.Encerrante());
        else
            m_continuidade.Entregue(registro.Registro());
    });
    if (Arredonda(registro.TotalLitros(), 2) == 0)
        return;
    if (Arredonda(registro.PU(), 2) == 0)
        return;

    try {
        m_codigoConcentrador = CodigoConcentradorDe(Texto(registro.CodBico()));
        QString codFid;
        if constexpr (requires { registro.CodFid(); })
            codFid = Texto(registro.CodFid());

        if (!AbreBicos()) {
            m_desfecho = TDesfechoCaptura::BicoDesconhecido;
            m_motivo = QStringLiteral(
                           "O sistema não encontrou nenhum bico relacionado com o "
                           "concentrador ") +
                       m_codigoConcentrador + QStringLiteral(" ID: ") +
                       PreencheZeros(QString::number(registro.Registro()), 3) +
                       QStringLiteral(" Dinheiro: ") + FloatToStr(registro.TotalDinheiro()) +
                       QStringLiteral(" Litros: ") + FloatToStr(registro.TotalLitros());
            m_ambiente.Log.GravaLogErro(m_motivo);
            return;
        }

        PreparaContinuidade();

        if (!m_impreDescBicoLido) {
            m_impreDescBico = m_ambiente.ParaPosto.AsString(QStringLiteral("ImpreDescBico"));
            m_impreDescBicoLido = true;
        }
        const TDataSet& bombas = m_ambiente.Bombas;
        TDadosAbastecimento a;
        a.Data = Texto(registro.Data());
        a.CodBico = bombas.AsString(QStringLiteral("CodBico"));
        codBico = a.CodBico;
        a.Combustivel = bombas.AsString(m_impreDescBico == QLatin1String("S")
                                            ? QStringLiteral("DescricaoBico")
                                            : QStringLiteral("DescricaoProduto"));
        a.CodProd = bombas.AsString(QStringLiteral("CodProd"));
        a.CodGrade = SubstituiTexto(bombas.AsString(QStringLiteral("Grade")), QStringLiteral("/"),
                                    QString());
        a.CodFid = codFid;
        a.Litragem = registro.TotalLitros();
        a.Valor = registro.TotalDinheiro();
        a.PrecoUnit = registro.PU();
        a.Desconto = 0;
        a.EncerranteFinal = registro.Encerrante();
        a.Id = registro.Registro();
        a.CodigoConcentrador = m_codigoConcentrador;
        QString hora = Texto(registro.Hora());

        m_gravacao.InicioDaUnidade();
        {
            // Undone before the error is handled below, when not confirmed.
            TTransacao unidade(m_ambiente.Conexao, TDonoTransacao::Ciclo);
            m_gravacao.GravaAbastecimento(hora, a);
            unidade.Confirma();
        }
        if (m_gravacao.InsercaoFalhou()) {
            m_desfecho = TDesfechoCaptura::GravadoSemLinha;
            m_motivo = m_gravacao.MotivoInsercao();
        } else {
            m_desfecho = TDesfechoCaptura::Gravado;
        }
        if (m_ambiente.ProcessaEventos)
            m_ambiente.ProcessaEventos();
    } catch (const std::exception& e) {
        ErroLeitura(MensagemDe(e), ConexaoCaiu(e, m_ambiente.Conexao), RegistroBloqueado(e));
    } catch (...) {
        ErroLeitura(QStringLiteral("Erro desconhecido"), !m_ambiente.Conexao.Connected(), false);
    }
}

void TCapturaAbastecimento::PreparaContinuidade() {
    if (!m_conferencia || m_continuidade.Carregado())
        return;
    try {
        m_continuidade.Carrega(m_ambiente.Conexao);
    } catch (const std::exception& e) {
        // A lost link fails this fueling as any statement would; any other
        // refusal leaves the check off and the storing as always.
        if (ConexaoCaiu(e, m_ambiente.Conexao))
            throw;
    }
}

void TCapturaAbastecimento::ErroLeitura(const QString& mensagem, bool conexaoPerdida,
                                        bool bloqueio) {
    // Committed already when only the event step failed.
    const bool comprometido =
        m_desfecho == TDesfechoCaptura::Gravado || m_desfecho == TDesfechoCaptura::GravadoSemLinha;
    if (!comprometido) {
        m_desfecho = conexaoPerdida ? TDesfechoCaptura::SemConexao
                     : bloqueio     ? TDesfechoCaptura::Bloqueado
                                    : TDesfechoCaptura::Falhou;
        m_motivo = mensagem;
        if (m_gravacao.IncrementoNaUnidade()) {
            try {
                m_gravacao.DescartaIncremento();
            } catch (...) {
                // The next increment reads the row again first.
            }
        }
    }
    // A lost link, or a row another program holds, is no operator's
    // business: the fueling waits for a later cycle. A fueling tried again
    // was reported the first time.
    if (!comprometido && (conexaoPerdida || bloqueio || m_silencioso))
        return;
    if (m_ambiente.RestoreMainWindow)
        m_ambiente.RestoreMainWindow();
    m_ambiente.Dialogos.Erro(TextoErroLeitura(mensagem));
}
