// The staged review's editing rules: what an edit of an entry cell derives, written through to the
// session's work tables.
#include "entryimport/review/revisao_util.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/schema/revisao_tabelas.h"
#include "framework/ui/importacao_treeview.h"

namespace integracao {

using namespace vyn;

namespace {

Variant CodigoOuNulo(const TClientDataSet& ds, std::string_view campo) {
  const int v = Inteiro(ds, campo);
  return v == 0 ? Variant() : Variant(static_cast<long long>(v));
}

}  // namespace

void TfrConsultaImportacaoLancCCTxtHuge::fcLancamentosBeforeEditField(const std::string& campo,
                                                                      TEdit_Codigo_Search_VYN* editor,
                                                                      std::string* texto,
                                                                      std::vector<std::string>* combo, bool& accept) {
  TfrConsultaImportacaoLancCCTxt::fcLancamentosBeforeEditField(campo, editor, texto, combo, accept);
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return;
  const std::string f = UpperCase(campo);
  if (f == "BDDEBITO" || f == "BDCREDITO" || f == "BDCODTPHI" || f == "BDCODTERCEIROD" || f == "BDCODTERCEIROC") {
    FPartBefore = Inteiro(*atual, f);
  } else if (f == "BDCOMPL") {
    // A long complement lives in the complement table while the line's own is empty.
    std::string inicial = atual->FieldByName("BDCOMPL").AsString();
    auto sql = std::make_unique<TSQLMGR>();
    sql->CommandText("select BDCOMPL from TMP_VZEL_EMP_TLAN_COMPL_TEMP where BDSESSAO = ? and BDCODEMP = ? and "
                     "BDCHAVE = ?",
                     ctOpen, {Sessao(), atual->FieldByName("BDCODEMP").Value(), atual->FieldByName("BDCHAVE").Value()});
    if (!sql->IsEmpty() && ComplementoLongo(sql->FieldByName("BDCOMPL").AsString()))
      inicial = sql->FieldByName("BDCOMPL").AsString();
    if (texto) *texto = inicial;
    // What the editor started with: saving it unchanged writes nothing.
    FComplemento = inicial;
  }
}

void TfrConsultaImportacaoLancCCTxtHuge::setDadosCampoConta(int lado, int contaAntes) {
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return;
  const bool debito = lado == 0;
  const int conta = Inteiro(*atual, debito ? "BDDEBITO" : "BDCREDITO");
  const Variant v = conta > 0 ? GetCampoContaPlano(Variant(static_cast<long long>(getCodPlano())),
                                                   Variant(static_cast<long long>(conta)), "BDPARTICIPANTE")
                              : Variant();
  const int tipo = v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
  if (tipo != Inteiro(*atual, debito ? "BDTIPOTERD" : "BDTIPOTERC")) {
    DAOSetValue(*atual, debito ? "BDTIPOTERD" : "BDTIPOTERC", Variant(tipo), 1);
    DAOSetValue(*atual, debito ? "BDCODTERCEIROD" : "BDCODTERCEIROC", Variant(), 1);
    DAOSetValue(*atual, debito ? "BDALTCODTERCEIROD" : "BDALTCODTERCEIROC", Variant(), 1);
  }
  if (conta != contaAntes) DAOSetValue(*atual, debito ? "BDDEBITOARQ" : "BDCREDITOARQ", Variant(), 1);
}

void TfrConsultaImportacaoLancCCTxtHuge::fcLancamentosAfterEditField(const std::string& campo, const std::string&) {
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return;
  const std::string f = UpperCase(campo);
  TDisabledControls controles(atual);
  const TField* editado = atual->FindField(f);
  // An emptied cell is written by the screen's own statement (the framework's save writes values).
  if (editado && editado->IsNull()) DAOSetValue(*atual, f, Variant(), 0);
  RepesaDuplicata(f);
  if (f == "BDDEBITO" || f == "BDCREDITO") {
    const bool debito = f == "BDDEBITO";
    const Variant novo = CodigoOuNulo(*atual, f);
    setDadosCampoConta(debito ? 0 : 1, debito ? FDebBefore : FCreBefore);
    GravaContas(f, FPartBefore, novo);
  }
  if ((f == "BDCODTERCEIROD" || f == "BDCODTERCEIROC") && FPartBefore == 0) {
    const Variant novo = CodigoOuNulo(*atual, f);
    if (novo.IsNull() || ExisteMesmoPart(f, static_cast<int>(novo.AsInteger()))) GravaContas(f, 0, novo);
  }
  if (f == "BDCODTERCEIROC")
    DAOSetValue(*atual, "bdALTCODTERCEIROC", Variant(Inteiro(*atual, "BDCODTERCEIROC")), 1);
  else if (f == "BDCODTERCEIROD")
    DAOSetValue(*atual, "bdALTCODTERCEIROD", Variant(Inteiro(*atual, "BDCODTERCEIROD")), 1);
  if (f == "BDDATAEXTEMPORANEO") {
    const TField& d = atual->FieldByName("BDDATAEXTEMPORANEO");
    if (!d.IsNull() && d.AsDateTime().Value <= 0) DAOSetValue(*atual, "BDDATAEXTEMPORANEO", Variant(), 9);
    DAOSetValue(*atual, "BDLANCAEXTEMPORANEO",
                Variant(std::string(atual->FieldByName("BDDATAEXTEMPORANEO").IsNull() ? "FALSE" : "TRUE")), 2);
  }
  // The transfer flag of the rural-producer detail follows both accounts after every edit.
  for (TDAOFactory* pr : Aggregates(atual)) {
    if (!SameText(pr->WorkTable(), kTabelaProdutorRural)) continue;
    const bool transferencia =
        DebitoCreditoPR(Inteiro(*atual, "BDDEBITO")) && DebitoCreditoPR(Inteiro(*atual, "BDCREDITO"));
    const std::string x = transferencia ? "TRUE" : "FALSE";
    TSQLMGRHandle sql = getSQLMgr_do_Pool();
    sql->CommandText(std::string("UPDATE ") + kTabelaProdutorRural +
                         " T SET BDTRANSFERENCIA = ? WHERE T.BDSESSAO = ? AND T.BDCODEMP = ? AND T.BDCHAVE = ?",
                     ctExecute,
                     {Variant(x), Sessao(), atual->FieldByName("BDCODEMP").Value(), atual->FieldByName("BDCHAVE").Value()});
    TClientDataSet* detalhe = dsGridItens->DataSet();
    if (spLancamentosPR->Down && detalhe == pr && !pr->IsEmpty() && pr->FindField("BDTRANSFERENCIA")) {
      // The work table has it already; the detail row follows in memory.
      const bool memoria = pr->ControlMemory();
      pr->SetControlMemory(true);
      pr->Edit();
      pr->FieldByName("BDTRANSFERENCIA").SetValue(Variant(x));
      pr->Post();
      pr->SetControlMemory(memoria);
    }
    break;
  }
}

bool TfrConsultaImportacaoLancCCTxtHuge::DebitoCreditoPR(int conta) {
  if (conta <= 0) return false;
  auto sql = std::make_unique<TSQLMGR>();
  sql->CommandText(
      "Select bdcodplapadrao,bdcodtpla,bdnomcta,bdapecta,bdctalon,bdparticipante,BDCTACAIXAPR,BDCTABANCOPR,BDCTATRANSPR "
      "from PLANOS_TPLA where bdcodplapadrao = ? and bdcodtpla = ? order by bdcodplapadrao, bdcodtpla",
      ctOpen, {getCodPlano(), conta});
  if (sql->IsEmpty()) return false;
  for (const char* c : {"BDCTACAIXAPR", "BDCTABANCOPR", "BDCTATRANSPR"})
    if (UpperCase(Trim(sql->FieldByName(c).AsString())) == "TRUE") return true;
  return false;
}

bool TfrConsultaImportacaoLancCCTxtHuge::ExisteMesmoPart(const std::string& campo, int codigo) {
  TDAOFactory* atual = DAOAtual();
  if (!atual) return false;
  if (atual->FetchPending() && atual->FindField(campo)) {
    // The work table holds every line, those not fetched yet too.
    const std::string& coluna = CheckSQLIdentifier<EDataSetError>(campo, "Nome inválido em um comando: ");
    const std::string& tabela = CheckSQLIdentifier<EDataSetError>(atual->WorkTable(), "Nome inválido em um comando: ");
    return !atual->Database()
                .QueryValue("select first 1 1 from " + tabela + " where BDSESSAO = ? and " + coluna + " = ?",
                            {atual->Sessao(), codigo})
                .IsNull();
  }
  const std::string indice = atual->IndexFieldNames();
  const int recno = atual->RecNo();
  const bool achou = atual->SearchKey(campo, {Variant(static_cast<long long>(codigo))});
  atual->SetIndexFieldNames(indice);
  if (recno > 0 && recno <= atual->RecordCount()) atual->SetRecNo(recno);
  return achou;
}

}  // namespace integracao
