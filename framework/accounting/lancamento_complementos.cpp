#include "framework/accounting/lancamento_complementos.h"

#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/seleciona_filiais.h"

namespace vyn {

TLancamentoCentroCustoMGR::TLancamentoCentroCustoMGR(TComponent* owner, TDatabase* db) : TMgr(owner, kTabela, db) {
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDCODCENTRO", "BDSEQ", "BDCODTPCC", "BDDEBCRE"})
    AddFieldDef(c, TFieldType::ftInteger);
  AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  CreateDataSet();
  // The rows are a review's copy; the import writes them to the table.
  SetControlMemory(true);
}

bool TLancamentoCentroCustoMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TLancamentoCentroCustoMGR") || TDAOFactory::InheritsFrom(class_name);
}

TVZEL_EMPRESAS_TLAN_COMPLMGR::TVZEL_EMPRESAS_TLAN_COMPLMGR(TComponent* owner, bool, bool, bool, TDatabase* db)
    : TMgr(owner, "", db) {
  AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  AddFieldDef("BDCOMPL", TFieldType::ftMemo);
  CreateDataSet();
  SetIndexFieldNames("BDCODEMP;BDCHAVE");
  SetControlMemory(true);
}

bool TVZEL_EMPRESAS_TLAN_COMPLMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TVZEL_EMPRESAS_TLAN_COMPLMGR") || TDAOFactory::InheritsFrom(class_name);
}

TVZEL_EMPRESAS_TVINCTRANSACAOMGR::TVZEL_EMPRESAS_TVINCTRANSACAOMGR(TComponent* owner, bool) : TComponent(owner) {}

void TVZEL_EMPRESAS_TVINCTRANSACAOMGR::GerarTransacoes(TComponent*, TEdit_Codigo_Search_VYN* codEmp,
                                                       TDateTime_VYN* dtIni, TDateTime_VYN* dtFim, int, bool, bool,
                                                       bool, TSelecionaFiliais_VYN* filiais, int) {
  TDatabase* db = ProcessContext().Database;
  if (!db || !codEmp || !dtIni || !dtFim) return;
  std::vector<std::string> marcadas;
  if (filiais)
    for (const auto& f : filiais->getFiliais())
      if (f.Checked) marcadas.push_back(std::to_string(f.CodEmp));
  db->Execute("insert into VZEL_TVINCTRANSACAO_PEDIDO (BDCODEMP, BDDATAINI, BDDATAFIM, BDFILIAIS) values (?, ?, ?, ?)",
              {Variant(static_cast<long long>(codEmp->Codigo())), Variant(dtIni->Value()), Variant(dtFim->Value()),
               Variant(Join(marcadas, ","))});
}

}  // namespace vyn
