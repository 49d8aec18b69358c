#include "framework/accounting/importacao_lanc_txt_grande.h"

#include <gtest/gtest.h>

#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/data/client_dataset.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/dialogs.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

using SessaoAnexoTest = CompanyDatabaseTest;

// Staged lines of company 1 with keys 1..n, one of them with a complement too long for the line.
void Linhas(TClientDataSet& lanc, TClientDataSet& cc, TClientDataSet& compl_, int n) {
  lanc.AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  lanc.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  lanc.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  lanc.AddFieldDef("BDCOMPL", TFieldType::ftString, 8000);
  lanc.CreateDataSet();
  for (int i = 1; i <= n; ++i) {
    lanc.Append();
    lanc.FieldByName("BDCODEMP").SetValue(Variant(1));
    lanc.FieldByName("BDCHAVE").SetValue(Variant(i));
    lanc.FieldByName("BDVALOR").SetValue(Variant(Currency::FromInt(i)));
    lanc.FieldByName("BDCOMPL").SetValue(Variant(i == 2 ? std::string(300, 'x') : std::string("c")));
    lanc.Post();
  }
  cc.AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  cc.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  cc.CreateDataSet();
  compl_.AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  compl_.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  compl_.AddFieldDef("BDCOMPL", TFieldType::ftString, 8000);
  compl_.CreateDataSet();
  compl_.Append();
  compl_.FieldByName("BDCODEMP").SetValue(Variant(1));
  compl_.FieldByName("BDCHAVE").SetValue(Variant(2));
  compl_.FieldByName("BDCOMPL").SetValue(Variant(std::string(300, 'x')));
  compl_.Post();
}

int64_t Conta(TDatabase& db, const std::string& tabela, int sessao) {
  return db.QueryValue("select count(*) from " + tabela + " where BDSESSAO = ?", {sessao}).AsInteger();
}

// A session staged in the attachment's own table is that attachment's alone: no other attachment
// reads its lines; a run that ends without removing it (a killed process) leaves no line behind, its
// companions and session row going with the next removal of abandoned sessions; a run that ends
// well removes it at once, with nothing left for a removal behind it.
TEST_F(SessaoAnexoTest, LinesPrivateToTheRunsAttachmentGoWithItOrAtOnce) {
  auto outra = Company().OpenAnother();
  int sessao = 0;
  {
    TClientDataSet lanc, cc, compl_;
    Linhas(lanc, cc, compl_, 5);
    TGravacaoSessaoArquivoGrande g(*outra, 0, kTabelaLancamentosAnexo);
    g.Grava(lanc, cc, compl_);
    sessao = g.Conclui();
  }
  EXPECT_EQ(Conta(*outra, kTabelaLancamentosAnexo, sessao), 5);
  // The long complement lives in its own table only, as in the shared work table.
  EXPECT_EQ(outra->QueryValue("select count(*) from TMP_VZEL_EMPRESAS_TLAN_ANEXO where BDSESSAO = ? and BDCOMPL is "
                              "null",
                              {sessao})
                .AsInteger(),
            1);
  EXPECT_EQ(Conta(Db(), kTabelaLancamentosAnexo, sessao), 0);
  EXPECT_EQ(Conta(Db(), kTabelaLancamentosTemp, sessao), 0);
  EXPECT_EQ(Conta(Db(), kTabelaComplementosLongos, sessao), 1);

  outra.reset();   // the attachment ends without removing its session
  EXPECT_EQ(ApagaSessoesAbandonadas(Db()), 1);
  EXPECT_EQ(Conta(Db(), kTabelaComplementosLongos, sessao), 0);
  EXPECT_EQ(Conta(Db(), "TMP_VZEL_SESSAO", sessao), 0);
  outra = Company().OpenAnother();
  EXPECT_EQ(Conta(*outra, kTabelaLancamentosAnexo, sessao), 0);

  {
    TClientDataSet lanc, cc, compl_;
    Linhas(lanc, cc, compl_, 3);
    TGravacaoSessaoArquivoGrande g(Db(), 0, kTabelaLancamentosAnexo);
    g.Grava(lanc, cc, compl_);
    sessao = g.Conclui();
  }
  EncerraSessaoArquivoGrande(Db(), sessao, kTabelaLancamentosAnexo);
  for (const char* t : {kTabelaLancamentosAnexo, kTabelaComplementosLongos, "TMP_VZEL_SESSAO"})
    EXPECT_EQ(Conta(Db(), t, sessao), 0) << t;

  // Only the two session tables take a session's lines.
  EXPECT_THROW(TGravacaoSessaoArquivoGrande(Db(), 0, "VZEL_EMPRESAS_TLAN"), EDatabaseError);
}

// The attachment's table is the shared work table's twin: every column, in the same order, of the
// same type, so that a session reads, writes and copies the same whichever holds it.
TEST_F(SessaoAnexoTest, TheAttachmentsTableHasTheWorkTablesColumns) {
  auto colunas = [&](const char* tabela) {
    const TQueryResult r = Db().QueryAll(
        "select trim(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE, F.RDB$FIELD_LENGTH, F.RDB$FIELD_SCALE, RF.RDB$NULL_FLAG, "
        "F.RDB$CHARACTER_SET_ID, cast(RF.RDB$DEFAULT_SOURCE as varchar(200)) "
        "from RDB$RELATION_FIELDS RF join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE where "
        "RF.RDB$RELATION_NAME = ? order by RF.RDB$FIELD_POSITION",
        {std::string(tabela)});
    std::vector<std::string> v;
    for (const auto& linha : r.Rows) {
      std::string s;
      for (const Variant& c : linha) s += (c.IsNull() ? std::string("-") : c.AsString()) + "|";
      v.push_back(s);
    }
    return v;
  };
  const std::vector<std::string> temp = colunas(kTabelaLancamentosTemp);
  EXPECT_GT(temp.size(), 40u);
  EXPECT_EQ(colunas(kTabelaLancamentosAnexo), temp);
}

// A session nobody reviews is weighed in the database as a review weighs its lines: a settled line and
// the lines kept out of the import do not count, an empty value weighs nothing, another session's
// lines are not its own.
TEST_F(SessaoAnexoTest, ASessionIsWeighedWhereItLiesAsAReviewWeighsIt) {
  TUnattendedScope semUsuario;
  auto linha = [&](int sessao, int chave, const char* valor, int debito, int credito, const char* baixa, int inc) {
    Db().Execute("insert into TMP_VZEL_EMPRESAS_TLAN_ANEXO (BDSESSAO, BDCODEMP, BDCHAVE, BDVALOR, BDDEBITO, BDCREDITO, "
                 "BDVINC_BAIXA, BDINCONSISTENTE) values (?, 1, ?, ?, ?, ?, ?, ?)",
                 {sessao, chave, valor ? Variant(Currency::ParseSQL(valor)) : Variant(), debito, credito,
                  baixa ? Variant(std::string(baixa)) : Variant(), inc});
  };
  auto difere = [&](int sessao) {
    return TContasPlanosMGR::getDiferencaDebitoCreditoSessao(Db(), kTabelaLancamentosAnexo, sessao, "BDVINC_BAIXA");
  };
  linha(7, 1, "100.00", 40, 0, "FALSE", 0);
  linha(7, 2, "60.00", 0, 11, nullptr, 0);
  linha(7, 3, "40.00", 0, 11, "FALSE", 2);
  linha(7, 4, "50.00", 40, 0, "TRUE", 0);                   // settled
  linha(7, 5, "30.00", 0, 11, "FALSE", miForaDaImportacao);  // kept out
  linha(7, 6, "20.00", 40, 0, "FALSE", miAvisoBaixa);        // kept out until fixed
  linha(7, 7, nullptr, 40, 11, "FALSE", 0);                  // no value
  linha(7, 8, "25.00", 40, 11, "FALSE", 0);                  // both sides
  linha(8, 1, "70.00", 40, 0, "FALSE", 0);                   // another session
  EXPECT_FALSE(difere(7));
  EXPECT_TRUE(difere(8));
  linha(7, 9, "0.01", 0, 11, "FALSE", 0);
  EXPECT_TRUE(difere(7));
  EXPECT_THROW(TContasPlanosMGR::getDiferencaDebitoCreditoSessao(Db(), "VZEL_EMPRESAS_TLAN; --", 7, "BDVINC_BAIXA"),
               EDatabaseError);
}

// A pass over a session's pages counts every line its pages held, those taken out of the session as it
// went included; handing the node its query back unread empties the node without touching the staged
// lines, and the node's next reload reads its own query (its columns too) as the session holds it then.
TEST_F(SessaoAnexoTest, PagesCountTheirLinesAndHandTheQueryBackUnread) {
  int sessao = 0;
  {
    TClientDataSet lanc, cc, compl_;
    Linhas(lanc, cc, compl_, 5);
    TGravacaoSessaoArquivoGrande g(Db(), 0, kTabelaLancamentosAnexo);
    g.Grava(lanc, cc, compl_);
    sessao = g.Conclui();
  }
  TComponent dono;
  auto* no = dono.Create<TDAOFactory>(kTabelaLancamentosAnexo, &Db());
  no->SetHugeFile(true);
  no->SetSessao(sessao);
  no->SetWorkTable(kTabelaLancamentosAnexo);
  const std::string propria = "select * from TMP_VZEL_EMPRESAS_TLAN_ANEXO where BDSESSAO = ? order by BDCHAVE";
  no->CommandText(propria, ctOpen, {sessao});
  {
    TPaginasSessao paginas(*no, "BDSESSAO, BDCODEMP, BDCHAVE");
    ASSERT_TRUE(paginas.Proxima());
    EXPECT_EQ(no->RecordCount(), 5);
    Db().Execute("delete from TMP_VZEL_EMPRESAS_TLAN_ANEXO where BDSESSAO = ? and BDCHAVE <= 3", {sessao});
    EXPECT_FALSE(paginas.Proxima());
    EXPECT_EQ(paginas.Lidas(), 5);
    paginas.RestauraSemLer();
    EXPECT_EQ(no->RecordCount(), 0);
  }
  EXPECT_EQ(no->RecordCount(), 0);   // nor does the end of the pages read it
  EXPECT_EQ(no->GetCommandText(), propria);
  EXPECT_EQ(Conta(Db(), kTabelaLancamentosAnexo, sessao), 2);
  no->Refresh();
  ASSERT_EQ(no->RecordCount(), 2);
  EXPECT_EQ(no->FieldByName("BDCHAVE").AsInteger(), 4);
  EXPECT_NE(no->FindField("BDVALOR"), nullptr);
  EncerraSessaoArquivoGrande(Db(), sessao, kTabelaLancamentosAnexo);
}

}  // namespace
}  // namespace vyn
