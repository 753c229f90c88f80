// The kept-records tool beside the program: lists AbastecimentosRetidos
// decoded and, with --gravar, stores each record again with the program's
// own rules against the database of Caminho.ini. It refuses to run while the
// program runs from the same folder.
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <clocale>
#include <cstdio>

#include "app/LogArquivos.h"
#include "app/TravaExecucao.h"
#include "capture/DiarioAbastecimentos.h"
#include "capture/GravaAbastecimento.h"
#include "capture/ProcessaAbastecimento.h"
#include "capture/RegistrosRetidos.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Dialogos.h"
#include "data/EncerramentoBanco.h"
#include "data/Erro.h"
#include "data/FormatSettings.h"
#include "data/IniFile.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"

namespace {

enum Saida { Ok = 0, Falhou = 1, Uso = 2, ProgramaAberto = 3 };

void Escreve(FILE* destino, const QString& texto) {
    const QByteArray bytes = texto.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), destino);
    std::fflush(destino);
}

// The program's own log files: an activity line for each fueling stored,
// the error log for what the storing reports.

// What the storing would show in a box goes to the terminal.
class TDialogosTerminal final : public TDialogos {
  public:
    TResposta Mensagem(TTipoMensagem tipo, const QString& texto, TBotoes botoes) override {
        QString linha = texto;
        linha.replace(QLatin1Char('\r'), QLatin1Char(' '));
        Escreve(stderr, Legenda(tipo) + QStringLiteral(": ") + linha);
        return botoes == TBotoes::Ok ? TResposta::Ok : TResposta::Nao;
    }
};

void Ajuda() {
    Escreve(stdout,
            QStringLiteral(
                "Uso: comunicador-retidos [--gravar]\n"
                "  sem opções  lista os abastecimentos guardados em AbastecimentosRetidos\n"
                "  --gravar    grava cada um de novo no banco de dados do Caminho.ini da pasta\n"
                "              atual; o que já está no banco não é gravado de novo, e o que\n"
                "              ainda falhar continua retido com o novo motivo\n"
                "O Comunicador desta pasta precisa estar fechado."));
}

int Lista(const QString& arquivo) {
    const std::vector<TRegistroRetido> registros = LeRegistrosRetidos(arquivo);
    for (const TRegistroRetido& r : registros)
        Escreve(stdout, DescreveRegistroRetido(r));
    Escreve(stdout, QStringLiteral("%1 abastecimento(s) retido(s).").arg(registros.size()));
    return Ok;
}

int Grava(const QString& programa, const QString& arquivo) {
    const QString ini =
        ProcuraArquivoSemCaixa(QDir::currentPath() + u'/', QStringLiteral("caminho.ini"));
    if (ini.isEmpty()) {
        Escreve(stderr, QStringLiteral("Caminho.ini não encontrado na pasta ") +
                            QDir::currentPath() + QStringLiteral("."));
        return Falhou;
    }
    TConexao conexao;
    conexao.DefineParametrosPadrao();
    {
        const TIniFile caminho(ini);
        const QString secao = QStringLiteral("DATABASEESTOQUE");
        conexao.DefineParametro(QStringLiteral("DataBase"),
                                caminho.ReadString(secao, QStringLiteral("CAMINHO"), QString()));
        conexao.DefineParametro(QStringLiteral("User_Name"),
                                caminho.ReadString(secao, QStringLiteral("USUARIO"), QString()));
        conexao.DefineParametro(QStringLiteral("Password"),
                                caminho.ReadString(secao, QStringLiteral("SENHA"), QString()));
    }
    conexao.Open();

    TQuery paraPosto;
    TDataSetEditavel sequenciaAbast;
    TQuery bombas;
    TDataSet mvAbast;
    for (TDataSet* d : {static_cast<TDataSet*>(&paraPosto), static_cast<TDataSet*>(&bombas),
                        &mvAbast, static_cast<TDataSet*>(&sequenciaAbast)})
        d->SetConnection(&conexao);
    paraPosto.SetSQL(SqlParaPosto());
    paraPosto.Open();
    sequenciaAbast.SetSQL(SqlSequenciaAbast());
    sequenciaAbast.Open();

    TRegistroLogArquivos log(programa);
    TDialogosTerminal dialogos;
    bool usaFid = false;
    TCapturaAbastecimento captura(TCapturaAbastecimento::TAmbiente{
        .Conexao = conexao,
        .Bombas = bombas,
        .MvAbast = mvAbast,
        .ParaPosto = paraPosto,
        .SequenciaAbast = sequenciaAbast,
        .UsaFid = usaFid,
        .Log = log,
        .Dialogos = dialogos,
        .RestoreMainWindow = {},
        .ProcessaEventos = {},
    });
    // Out of their order: no continuity to check, no register cycle to end.
    captura.DefineConferencia(false);
    captura.Gravacao().DefineSemIncremento(true);

    const TResultadoRetidos r = GravaRegistrosRetidos(
        arquivo, captura, conexao, usaFid, [](const QString& linha) { Escreve(stdout, linha); });
    Escreve(stdout, QStringLiteral("Gravados: %1. Já estavam no banco: %2. Continuam retidos: %3.")
                        .arg(r.Gravados)
                        .arg(r.JaGravados)
                        .arg(r.Retidos));
    if (r.Interrompido) {
        Escreve(stderr, QStringLiteral("A conexão com o banco de dados caiu; os registros "
                                       "restantes continuam retidos."));
        return Falhou;
    }
    return Ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    InicializaFormatSettings();
    QCoreApplication aplicacao(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    const QStringList argumentos = aplicacao.arguments().mid(1);
    bool gravar = false;
    for (const QString& a : argumentos) {
        if (a == QLatin1String("--gravar")) {
            gravar = true;
        } else {
            Ajuda();
            return a == QLatin1String("--ajuda") || a == QLatin1String("-h") ? Ok : Uso;
        }
    }

    const QString programa = QCoreApplication::applicationDirPath() + u'/';
    int saida = Ok;
    try {
        TTravaExecucao trava(programa);
        if (!trava.Adquire()) {
            Escreve(stderr, QStringLiteral("O Comunicador está em execução nesta pasta (") +
                                programa +
                                QStringLiteral("). Feche-o antes de usar esta ferramenta."));
            return ProgramaAberto;
        }
        const QString arquivo =
            QDir(programa).filePath(TDiarioAbastecimentos::NomeArquivoRetidos());
        saida = gravar ? Grava(programa, arquivo) : Lista(arquivo);
    } catch (const std::exception& e) {
        Escreve(stderr, MensagemDe(e));
        saida = Falhou;
    }
    EncerraBanco();
    return saida;
}
