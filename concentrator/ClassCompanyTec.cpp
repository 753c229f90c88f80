#include "concentrator/ClassCompanyTec.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cstring>

#include "data/Erro.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"

namespace {

// The library stays loaded for the life of the process: one handle for the
// whole program, never closed.
void* ModuloCompanytec = nullptr;

// Calling an entry point the library did not export fails here, never as a
// call through an empty reference.
template <typename F>
F* Exige(F* entrada, const char* nome) {
    if (entrada == nullptr) {
        throw EErro(QStringLiteral("A função %1 não foi encontrada na biblioteca do concentrador.")
                        .arg(QLatin1String(nome)));
    }
    return entrada;
}

template <typename F>
void Liga(void* modulo, const char* nome, F*& entrada) {
    entrada = reinterpret_cast<F*>(dlsym(modulo, nome));
}

QString DiretorioDoExecutavel() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

}  // namespace

#define ENTRADA(nome) Exige(m_entradas.nome, #nome)

TCompanyTec::TCompanyTec(QString diretorioPrograma)
    : m_diretorioPrograma(std::move(diretorioPrograma)) {}

QString TCompanyTec::NomeBiblioteca() {
    return QStringLiteral("libCompanytec.so");
}

QString TCompanyTec::EnderecoBico(const QString& codigo) {
    const int numero = StrToInt(codigo);
    // A negative number comes out as its 32-bit two's complement.
    return QString::number(static_cast<quint32>(numero), 16).toUpper().rightJustified(2, u'0');
}

void TCompanyTec::PCarregaDllConcentrador() {
    const QString diretorio =
        m_diretorioPrograma.isEmpty() ? DiretorioDoExecutavel() : m_diretorioPrograma;
    void* modulo = nullptr;
    if (!diretorio.isEmpty()) {
        const QByteArray caminho = QFile::encodeName(QDir(diretorio).filePath(NomeBiblioteca()));
        modulo = dlopen(caminho.constData(), RTLD_NOW | RTLD_LOCAL);
    }
    if (modulo == nullptr) {
        modulo = dlopen(QFile::encodeName(NomeBiblioteca()).constData(), RTLD_NOW | RTLD_LOCAL);
    }
    if (modulo == nullptr) {
        throw EErro(
            QStringLiteral("Não foi possível carregar a biblioteca COMPANYTEC.DLL !\r"
                           "O concentrador pode não funcionar corretamente."));
    }
    ModuloCompanytec = modulo;

    Liga(ModuloCompanytec, "FechaSerial", m_entradas.FechaSerial);
    Liga(ModuloCompanytec, "InicializaSerial", m_entradas.InicializaSerial);
    Liga(ModuloCompanytec, "SetClock", m_entradas.SetClock);
    Liga(ModuloCompanytec, "LeStatus", m_entradas.LeStatus);
    Liga(ModuloCompanytec, "LeAbastecimento", m_entradas.LeAbastecimento);
    Liga(ModuloCompanytec, "LeAbastecimentoFid", m_entradas.LeAbastecimentoFid);
    Liga(ModuloCompanytec, "ConsultaEncerrante", m_entradas.ConsultaEncerrante);
    Liga(ModuloCompanytec, "AlteraPreco", m_entradas.AlteraPreco);
    Liga(ModuloCompanytec, "Preset", m_entradas.Preset);
    Liga(ModuloCompanytec, "LePPL", m_entradas.LePPL);
    Liga(ModuloCompanytec, "LeStringAb", m_entradas.LeStringAb);
    Liga(ModuloCompanytec, "CobLeSTEncerrante", m_entradas.CobLeSTEncerrante);
    Liga(ModuloCompanytec, "WriteSerial", m_entradas.WriteSerial);
    Liga(ModuloCompanytec, "RefEncerrante", m_entradas.RefEncerrante);
    Liga(ModuloCompanytec, "RefAltPreco", m_entradas.RefAltPreco);
    Liga(ModuloCompanytec, "LeAbFix", m_entradas.LeAbFix);
    Liga(ModuloCompanytec, "Incrementa", m_entradas.Incrementa);
    Liga(ModuloCompanytec, "LeStStatus", m_entradas.LeStStatus);
    Liga(ModuloCompanytec, "LeVisualizacao", m_entradas.LeVisualizacao);
    Liga(ModuloCompanytec, "RefLePPL", m_entradas.RefLePPL);
    Liga(ModuloCompanytec, "BloqueiaBico", m_entradas.BloqueiaBico);
    Liga(ModuloCompanytec, "AutoLibera", m_entradas.AutoLibera);
}

// Areas handed to the library start zeroed: should the library fail and leave
// one untouched, the caller sees zeros (an empty record) instead of whatever
// the stack held.

QString TCompanyTec::GetLeStatus() {
    static constexpr char Letras[] = "LPFCABE";
    std::array<unsigned char, companytec::TamanhoStatus> area{};
    ENTRADA(LeStatus)(area.data());
    QString letras;
    letras.reserve(static_cast<qsizetype>(area.size()));
    for (unsigned char valor : area) {
        if (valor < sizeof Letras - 1) {
            letras += QLatin1Char(Letras[valor]);
        }
    }
    return letras;
}

QString TCompanyTec::FGetStStatusBico() {
    std::array<unsigned char, companytec::TamanhoStStatus> area{};
    ENTRADA(LeStStatus)(area.data());
    return QString::fromLatin1(reinterpret_cast<const char*>(area.data()),
                               static_cast<qsizetype>(area.size()));
}

void TCompanyTec::FBloqueiaBico(const QString& Bico) {
    const QByteArray endereco = Para1252(EnderecoBico(Bico));
    ENTRADA(BloqueiaBico)(endereco.constData());
}

void TCompanyTec::FLiberaBico(const QString& Bico) {
    const QByteArray endereco = Para1252(EnderecoBico(Bico));
    ENTRADA(AutoLibera)(endereco.constData());
}

QByteArray TCompanyTec::GetLeVisualizacao() {
    QByteArray area(static_cast<qsizetype>(companytec::TamanhoVisualizacao), '\0');
    ENTRADA(LeVisualizacao)(reinterpret_cast<unsigned char*>(area.data()));
    return area;
}

TAbastecimento TCompanyTec::GetLeAbastecimento() {
    TAbastecimento registro;
    ENTRADA(LeAbastecimento)(registro.Bytes);
    return registro;
}

TAbastecimentoFid TCompanyTec::GetLeAbastecimentoFID() {
    TAbastecimentoFid registro;
    ENTRADA(LeAbastecimentoFid)(registro.Bytes);
    return registro;
}

// Nothing calls this one; it hands the mode over as the character code, the
// same form LerEncerrante uses.
void TCompanyTec::ConsultaEncerrante(const QString& Bico, TLeituraEncerrante& Destino) {
    const QByteArray codigo = Para1252(Bico);
    ENTRADA(ConsultaEncerrante)(Destino.Bytes, companytec::ModoEncerranteL, codigo.constData());
}

void TCompanyTec::LerEncerrante(char Tipo, const QString& Bico) {
    const QByteArray codigo = Para1252(Bico);
    TLeituraEncerrante leitura;
    ENTRADA(ConsultaEncerrante)
    (leitura.Bytes, static_cast<std::int32_t>(static_cast<unsigned char>(Tipo)),
     codigo.constData());
    std::memcpy(Encerrante.Bytes, leitura.Bytes, sizeof Encerrante.Bytes);
}

void TCompanyTec::AlteraPrecoBico(const QString& Bico, std::uint8_t Modo, double Preco) {
    const QByteArray endereco = Para1252(Bico);
    unsigned char rascunho = 0;
    ENTRADA(RefAltPreco)(endereco.constData(), Preco, Modo, &rascunho);
}

bool TCompanyTec::InicializaSerial(std::uint8_t Porta) {
    const std::int32_t resultado = ENTRADA(InicializaSerial)(Porta);
    return (static_cast<std::uint32_t>(resultado) & 0xFFu) != 0;
}

double TCompanyTec::PrecoUnitario(const QString& Bico) {
    const QByteArray codigo = Para1252(Bico);
    const char* texto = nullptr;
    ENTRADA(RefLePPL)(codigo.constData(), &texto);
    // No text at all converts like an empty one: the number error.
    return StrToFloat(texto != nullptr ? De1252(texto, static_cast<qsizetype>(std::strlen(texto)))
                                       : QString());
}

void TCompanyTec::FinalizaSerial() {
    ENTRADA(FechaSerial)();
}

void TCompanyTec::AcertaDataHora() {
    ENTRADA(SetClock)("AUTO");
}
