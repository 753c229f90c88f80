#include "EstacaoTeste.h"

#include <gtest/gtest.h>

#include "BancoTeste.h"

namespace {

// Offsets as the library fills them; the record headers are not trusted here.
template <typename TRegistro>
TRegistro Monta(const TCampos& c, std::size_t ofsHora, std::size_t tamHora, std::size_t ofsRegistro,
                std::size_t ofsEncerrante) {
    TRegistro r;
    std::memset(r.Bytes, 0xCC, sizeof r.Bytes);
    r.Bytes[0] = c.Presente ? 1 : 0;
    registro::Grava<std::int64_t>(r.Bytes + 8, c.Dinheiro);
    registro::Grava<double>(r.Bytes + 16, c.Litros);
    registro::Grava<std::int64_t>(r.Bytes + 24, c.PrecoUnit);
    registro::GravaShortString(r.Bytes + 41, 3, c.Codigo);
    registro::GravaShortString(r.Bytes + 44, 11, c.Data);
    registro::GravaShortString(r.Bytes + ofsHora, tamHora, c.Hora);
    registro::Grava<std::int32_t>(r.Bytes + ofsRegistro, c.Registro);
    registro::Grava<double>(r.Bytes + ofsEncerrante, c.Encerrante);
    return r;
}

}  // namespace

TAbastecimento RegistroPadrao(const TCampos& c) {
    return Monta<TAbastecimento>(c, 55, 65, 120, 128);
}

TAbastecimentoFid RegistroFid(const TCampos& c) {
    TAbastecimentoFid r = Monta<TAbastecimentoFid>(c, 55, 85, 140, 144);
    registro::GravaShortString(r.Bytes + 154, 17, c.Fid);
    if (c.TamanhoFid >= 0)
        r.Bytes[154] = static_cast<unsigned char>(c.TamanhoFid);
    return r;
}

TEstacaoTeste::TEstacaoTeste(const Opcoes& opcoes) {
    Banco = CriaBancoTeste(Pasta.path());
    ExecutaSql(Banco,
               QStringLiteral("INSERT INTO ParaPosto VALUES (%1, 'N', 'COM1', '%2', 'S', 'N', 'S');"
                              "INSERT INTO Produto VALUES ('001', 'GASOLINA COMUM');"
                              "INSERT INTO Produto VALUES ('002', 'ETANOL HIDRATADO');"
                              "INSERT INTO Tanques VALUES ('12/A', '001');"
                              "INSERT INTO Tanques VALUES ('02', '002');"
                              "INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador) "
                              "  VALUES ('01', 'BICO 01 GASOLINA', '12/A', '031');"
                              "INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador) "
                              "  VALUES ('02', 'BICO 02 ETANOL', '02', '005');"
                              "INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador) "
                              "  VALUES ('03', 'BICO 03 ETANOL', '02', '255');"
                              "INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador) "
                              "  VALUES ('04', 'BICO 04 ETANOL', '02', '004');"
                              "INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador) "
                              "  VALUES ('05', 'BICO SEM TANQUE', '99', '010');"
                              "COMMIT;")
                   .arg(opcoes.Sequencia)
                   .arg(opcoes.ImpreDescBico));
    if (!opcoes.SqlExtra.isEmpty())
        ExecutaSql(Banco, opcoes.SqlExtra);

    ConfiguraConexaoTeste(Conexao, Banco);
    Conexao.Open();
    for (TDataSet* d : {static_cast<TDataSet*>(&Bombas), static_cast<TDataSet*>(&ParaPosto),
                        &MvAbast, static_cast<TDataSet*>(&SequenciaAbast)})
        d->SetConnection(&Conexao);
    ParaPosto.SetSQL(SqlParaPosto());
    ParaPosto.Open();
    SequenciaAbast.SetSQL(SqlSequenciaAbast());
    SequenciaAbast.Open();

    Captura = std::make_unique<TCapturaAbastecimento>(TCapturaAbastecimento::TAmbiente{
        .Conexao = Conexao,
        .Bombas = Bombas,
        .MvAbast = MvAbast,
        .ParaPosto = ParaPosto,
        .SequenciaAbast = SequenciaAbast,
        .UsaFid = UsaFid,
        .Log = Log,
        .Dialogos = Dialogos,
        .RestoreMainWindow = [this] { ++Restauracoes; },
        .ProcessaEventos = [this] { ++Eventos; },
    });

    ConfiguraConexaoTeste(m_leitor, Banco);
}

TEstacaoTeste::~TEstacaoTeste() {
    Captura.reset();
    for (TDataSet* d : {static_cast<TDataSet*>(&Bombas), static_cast<TDataSet*>(&ParaPosto),
                        &MvAbast, static_cast<TDataSet*>(&SequenciaAbast)})
        d->Close();
}

std::unique_ptr<TQuery> TEstacaoTeste::Consulta(const QString& sql) {
    if (!m_leitor.Connected())
        m_leitor.Open();
    auto q = std::make_unique<TQuery>();
    q->SetConnection(&m_leitor);
    q->SetSQL(sql);
    q->Open();
    return q;
}

int TEstacaoTeste::Conta(const QString& sql) {
    return Consulta(sql)->AsInteger(QStringLiteral("N"));
}

void TEstacaoTeste::Sql(const QString& script) {
    ExecutaSql(Banco, script);
}

void TEstacaoTeste::Executa(const QString& sql) {
    if (!m_leitor.Connected())
        m_leitor.Open();
    TQuery q;
    q.SetConnection(&m_leitor);
    q.SetSQL(sql);
    q.ExecSQL();
}
