#pragma once
// The Y570 data of ledger entries (ECF record Y570: income tax and CSLL withheld at source), kept for
// entries whose credit account is a financial application, and the parameter record the Y570 screen
// reads when it is opened for one entry.
#include <cstdint>
#include <string>

#include "framework/core/currency.h"
#include "framework/data/dao_factory.h"

namespace vyn {

struct TParametrosY570 {
  int Tipo = 0;
  int64_t Empresa = 0;
  int64_t Chave = 0;
  int64_t ContaCredito = 0;
  Currency Valor;
};

class TVZEL_EMPRESAS_TLAN_Y570MGR : public TMgr<TVZEL_EMPRESAS_TLAN_Y570MGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMPRESAS_TLAN_Y570";
  explicit TVZEL_EMPRESAS_TLAN_Y570MGR(TComponent* owner = nullptr, bool = true, TDatabase* db = nullptr)
      : TMgr(owner, kTabela, db) {}
  std::string ClassName() const override { return "TVZEL_EMPRESAS_TLAN_Y570MGR"; }

  // The Y570 rows of a company's entries (every row of the company, by entry).
  void SelectEmpresa(int64_t empresa) {
    CommandText("select * from VZEL_EMPRESAS_TLAN_Y570 where BDCODEMP = ? order by BDCHAVE, BDSEQ", ctOpen,
                {Variant(static_cast<long long>(empresa))});
  }

  TParametrosY570 Parametros;
};

}  // namespace vyn
