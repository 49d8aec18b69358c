#include "framework/accounting/importacao_lanc_txt_grande.h"

#include <fmt/format.h>

#include <set>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/dataset_guards.h"
#include "framework/ui/importacao_treeview.h"

namespace vyn {

namespace {

const char* const kDetalhes[] = {"TMP_VZEL_EMPRESAS_TLAN_CC_TEMP", "TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP",
                                 "TMP_VZEL_EMPRESAS_TLAN_INC_TEMP", "TMP_VZEL_EMPRESAS_TLAN_PR_TEMP",
                                 "TMP_VZEL_EMPRESAS_TLAN_NE_TEMP"};

Variant Valor(const TField& f) {
  if (f.IsNull()) return Variant();
  if (f.DataType() == TFieldType::ftBoolean) return Variant(std::string(f.AsBoolean() ? "TRUE" : "FALSE"));
  return f.Value();
}

// Inserts every row of ds into tabela (the columns both have), with the session first.
void Copia(TDatabase& db, TClientDataSet& ds, const std::string& tabela, int sessao, bool longos = false,
           const std::set<std::string>& fora = {}) {
  std::set<std::string> colunas;
  for (const std::string& c : db.TableColumns(tabela)) colunas.insert(c);
  std::vector<std::string> nomes{"BDSESSAO"};
  std::vector<int> campos;
  for (int i = 0; i < ds.FieldCount(); ++i) {
    const std::string n = UpperCase(ds.Fields(i).FieldName());
    if (n == "BDSESSAO" || !colunas.count(n) || fora.count(n)) continue;
    nomes.push_back(n);
    campos.push_back(i);
  }
  const TField* campoCompl = ds.FindField("BDCOMPL");
  const int compl_ = campoCompl ? campoCompl->Index() : -1;
  std::vector<std::string> marcas(nomes.size(), "?");
  TStatement& st =
      db.Prepared("insert into " + tabela + " (" + Join(nomes, ", ") + ") values (" + Join(marcas, ", ") + ")");
  for (ds.First(); !ds.Eof(); ds.Next()) {
    TParams p{sessao};
    for (int i : campos) {
      const TField& f = ds.Fields(i);
      // A complement longer than the entry's column lives in the complement table only.
      const bool longo = longos && i == compl_ && !f.IsNull() && Utf8Length(f.AsString()) > 200;
      p.push_back(longo ? Variant() : Valor(f));
    }
    st.Execute(p);
  }
}

}  // namespace

bool RevisaoEmArquivoGrande(const std::string& classe) { return SameText(classe, kClasseRevisaoArquivoGrande); }

int NovaSessaoRevisao(TDatabase& db) {
  return static_cast<int>(db.QueryValue("select next value for GEN_TMP_VZEL_SESSAO from RDB$DATABASE").AsInteger());
}

int GravaSessaoArquivoGrande(TDatabase& db, TClientDataSet& lancamentos, TClientDataSet& centros,
                             TClientDataSet& complementos) {
  const int sessao = NovaSessaoRevisao(db);
  TTransaction tx(db);
  Copia(db, lancamentos, kTabelaLancamentosTemp, sessao, true);
  // The explanatory note of a line is a detail of its own in the staged review.
  if (lancamentos.FindField("BDDESCRICAO")) {
    TStatement& nota = db.Prepared(
        "insert into TMP_VZEL_EMPRESAS_TLAN_NE_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDESCRICAO) values (?, ?, ?, ?)");
    for (lancamentos.First(); !lancamentos.Eof(); lancamentos.Next())
      if (!lancamentos.FieldByName("BDDESCRICAO").IsNull())
        nota.Execute({sessao, lancamentos.FieldByName("BDCODEMP").Value(), lancamentos.FieldByName("BDCHAVE").Value(),
                      lancamentos.FieldByName("BDDESCRICAO").Value()});
  }
  Copia(db, centros, "TMP_VZEL_EMPRESAS_TLAN_CC_TEMP", sessao);
  Copia(db, complementos, "TMP_VZEL_EMP_TLAN_COMPL_TEMP", sessao);
  // A line whose complement went to the complement table keeps none of its own.
  db.Execute(
      "update TMP_VZEL_EMPRESAS_TLAN_TEMP T set T.BDCOMPL = null where T.BDSESSAO = ? and exists (select 1 from "
      "TMP_VZEL_EMP_TLAN_COMPL_TEMP C where C.BDSESSAO = T.BDSESSAO and C.BDCODEMP = T.BDCODEMP and C.BDCHAVE = "
      "T.BDCHAVE)",
      {sessao});
  tx.Commit();
  return sessao;
}

TNodoSessao AbreSessaoArquivoGrande(TComponent& owner, TDatabase& db, int sessao) {
  TNodoSessao r;
  r.Lancamentos = TLancamentoMGR::CreateMgr(&owner, false, false, 1, false, true);
  TLancamentoMGR& l = *r.Lancamentos;
  l.SetDatabase(&db);
  l.SetTableName(kTabelaLancamentosTemp);
  l.SetPrimaryKey({"BDSESSAO", "BDCODEMP", "BDCHAVE"});
  l.SetHugeFile(true);
  l.SetSessao(sessao);
  l.SetWorkTable(kTabelaLancamentosTemp);
  // The session number is an integer of ours, so the query text can be reopened as it is.
  l.CommandText(fmt::format("select * from {} where BDSESSAO = {} order by BDCHAVE", kTabelaLancamentosTemp, sessao));
  for (const char* t : kDetalhes) {
    auto* d = owner.Create<TDAOFactory>(t, &db);
    d->SetHugeFile(true);
    d->SetSessao(sessao);
    d->SetWorkTable(t);
    d->CommandText(fmt::format("select * from {} where BDSESSAO = {}", t, sessao));
    r.Detalhes.push_back(d);
  }
  CarregaMultiLancamentosSessao(l);
  return r;
}

void CarregaMultiLancamentosSessao(TLancamentoMGR& lancamentos) {
  TClientDataSet* m = lancamentos.getMultiLancamentosDAO();
  TDetachedDetail solto(*m);
  lancamentos.Database().QueryInto(
      *m, "select * from TMP_VZEL_EMPRESAS_TLAN_ML_TEMP where BDSESSAO = ? order by BDCODEMP, BDCHAVE, BDCHAVELANC",
      {lancamentos.Sessao()});
  m->SetIndexFieldNames("BDCODEMP;BDCHAVE");
}

}  // namespace vyn
