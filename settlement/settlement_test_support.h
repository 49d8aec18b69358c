#pragma once
// Test support of the settlement engine: the imported entries a review holds in memory and the
// company edit the engine is handed.
#include <cstdint>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/currency.h"
#include "framework/ui/edit_codigo.h"

namespace integracao {

inline vyn::Currency R(int64_t reais) { return vyn::Currency::FromInt(reais); }

// Imported entries in memory, owned by owner, with the columns in this order: BDCODEMP, BDCHAVE,
// BDDEBITO, BDCREDITO, BDINCONSISTENTE, BDDATA, BDVALOR, BDDCTO, BDCONCD, BDCONCC, BDVINC_BAIXA.
inline vyn::TLancamentoMGR* EntradasEmMemoria(vyn::TComponent& owner) {
  using vyn::TFieldType;
  vyn::TLancamentoMGR* e = vyn::TLancamentoMGR::CreateMgr(&owner);
  e->SetTableName("");
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDINCONSISTENTE"})
    e->AddFieldDef(c, TFieldType::ftInteger);
  e->AddFieldDef("BDDATA", TFieldType::ftDate);
  e->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  e->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
  for (const char* c : {"BDCONCD", "BDCONCC", "BDVINC_BAIXA"}) e->AddFieldDef(c, TFieldType::ftBoolean);
  e->CreateDataSet();
  return e;
}

// Company 1 of the standard seed typed into a company edit owned by owner; validating it looks the
// company up with the process context's look-up, as in the product.
inline vyn::TEdit_Codigo_Search_VYN* EditEmpresa1(vyn::TComponent& owner) {
  auto* e = owner.Create<vyn::TEdit_Codigo_Search_VYN>(static_cast<int>(vyn::tcEmpresas));
  e->SetText("1");
  return e;
}

}  // namespace integracao
