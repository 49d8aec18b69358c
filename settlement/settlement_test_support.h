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

// Company 1 typed into a company edit owned by owner; its look-up answers online plan 1 and counts
// itself in *consultas when given.
inline vyn::TEdit_Codigo_Search_VYN* EditEmpresa1(vyn::TComponent& owner, int* consultas = nullptr) {
  auto* e = owner.Create<vyn::TEdit_Codigo_Search_VYN>(static_cast<int>(vyn::tcEmpresas));
  e->Lookup = [consultas](const vyn::TEdit_Codigo_Search_VYN&, int64_t, vyn::TCodigoRegistro& r) {
    if (consultas) ++*consultas;
    r.Campos = {{"BDCODPLANOONLINE", vyn::Variant(1)}};
    return true;
  };
  e->SetText("1");
  return e;
}

}  // namespace integracao
