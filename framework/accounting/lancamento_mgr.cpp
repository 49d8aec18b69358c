#include "framework/accounting/lancamento_mgr.h"

#include <cctype>

#include "framework/core/text.h"

namespace vyn {

namespace {

bool IdentificadorValido(const std::string& s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (!std::isalnum(c) && c != '_') return false;
  return true;
}

void CamposBaixas(TClientDataSet& ds) {
  ds.AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  ds.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  ds.AddFieldDef("BDBAIXA_ID", TFieldType::ftInteger);
  ds.AddFieldDef("BDORDEM", TFieldType::ftInteger);
  ds.AddFieldDef("BDTIPO_BAIXA", TFieldType::ftSmallint);
  ds.AddFieldDef("BDSUBTIPO_BAIXA", TFieldType::ftInteger);
  ds.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ds.AddFieldDef("BDAUTOMATICO", TFieldType::ftBoolean);
  ds.AddFieldDef("BDTIPOSERVICO", TFieldType::ftInteger);
  ds.AddFieldDef("BDNUMDOCINI", TFieldType::ftString, 60);
  ds.AddFieldDef("BDCHAVEPAI", TFieldType::ftInteger);
  ds.AddFieldDef("BDCHAVELANC", TFieldType::ftInteger);
  ds.AddFieldDef("BDJUROS", TFieldType::ftCurrency);
  ds.AddFieldDef("BDMULTAS", TFieldType::ftCurrency);
  ds.AddFieldDef("BDDESCONTOS", TFieldType::ftCurrency);
  ds.AddFieldDef("BDVALORPAGO", TFieldType::ftCurrency);
  ds.AddFieldDef("bdCODTIPOBAIXA", TFieldType::ftSmallint);
  ds.CreateDataSet();
}

}  // namespace

TLancamentoMGR::TLancamentoMGR(TComponent* owner, std::string table, TDatabase* db)
    : TMgr(owner, std::move(table), db) {}

TLancamentoMGR::~TLancamentoMGR() = default;

bool TLancamentoMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TLancamentoMGR") || TDAOFactory::InheritsFrom(class_name);
}

TLancamentoMGR* TLancamentoMGR::CreateMgr(TComponent* owner, bool gravaDireto, bool validaContas, int,
                                          bool somenteLeitura, bool carregaMultiLanc) {
  TLancamentoMGR* m = TDAOFactory::CreateMgrOf<TLancamentoMGR>(owner);
  m->flags_[0] = gravaDireto;
  m->flags_[1] = validaContas;
  m->flags_[2] = somenteLeitura;
  m->flags_[3] = carregaMultiLanc;
  return m;
}

TClientDataSet* TLancamentoMGR::GetClientDataSetBaixas(TComponent* owner) {
  if (!owner) throw EDataSetError("O conjunto de vínculos de baixa precisa de um dono (owner).");
  auto* ds = owner->Create<TClientDataSet>();
  CamposBaixas(*ds);
  return ds;
}

std::unique_ptr<TClientDataSet> TLancamentoMGR::NewClientDataSetBaixas() {
  auto ds = std::make_unique<TClientDataSet>(nullptr);
  CamposBaixas(*ds);
  return ds;
}

TClientDataSet* TLancamentoMGR::getMultiLancamentosDAO() {
  if (multi_) return multi_;
  multi_ = Create<TClientDataSet>();
  multi_->AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  multi_->AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  multi_->AddFieldDef("BDCHAVELANC", TFieldType::ftInteger);
  multi_->AddFieldDef("BDTIPOMULTLANC", TFieldType::ftSmallint);
  multi_->AddFieldDef("BDDATA", TFieldType::ftDate);
  multi_->AddFieldDef("BDDEBITO", TFieldType::ftInteger);
  multi_->AddFieldDef("BDCREDITO", TFieldType::ftInteger);
  multi_->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  multi_->AddFieldDef("BDCODHIST", TFieldType::ftInteger);
  multi_->AddFieldDef("BDCODTPHI", TFieldType::ftInteger);
  multi_->AddFieldDef("BDCOMPL", TFieldType::ftString, 200);
  multi_->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
  multi_->AddFieldDef("BDVINC_BAIXA", TFieldType::ftBoolean);
  multi_->CreateDataSet();
  multi_->SetIndexFieldNames("BDCODEMP;BDCHAVE");
  return multi_;
}

void TLancamentoMGR::SetUpdateRegHugeFileForTpIntegracao(const std::string& field, const std::string& value, int kind) {
  if (!IdentificadorValido(field)) throw EDataSetError("Nome de coluna inválido: " + field);
  if (IsEmpty()) return;
  Variant v;
  switch (kind) {
    case ltInteger: v = Variant(Variant(value).AsInteger()); break;
    case ltCurrency: v = Variant(Currency::Parse(value)); break;
    case ltDate: v = Variant(Variant(value).AsDateTime()); break;
    case ltFlag: v = Variant(std::string(Variant(value).AsBoolean() ? "TRUE" : "FALSE")); break;
    default: v = Variant(value); break;
  }
  if (HugeFile() && Sessao() > 0 && !WorkTable().empty()) {
    if (!IdentificadorValido(WorkTable())) throw EDataSetError("Tabela de trabalho inválida: " + WorkTable());
    Database().Execute("update " + WorkTable() + " set " + field + " = ? where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
                       {v, Sessao(), Variant(static_cast<long long>(FieldByName("BDCODEMP").AsInteger())),
                        Variant(static_cast<long long>(FieldByName("BDCHAVE").AsInteger()))});
  }
  if (TField* f = FindField(field)) {
    // The row in memory follows; it is a copy of the work table's, not a row of this manager's table.
    const bool memoria = ControlMemory();
    SetControlMemory(true);
    try {
      Edit();
      f->SetValue(v);
      Post();
    } catch (...) {
      if (State() != TDataSetState::dsBrowse) Cancel();
      SetControlMemory(memoria);
      throw;
    }
    SetControlMemory(memoria);
  }
}

}  // namespace vyn
