#pragma once
// The companies' manager: company data in force at a reference month.
#include <string>
#include <vector>

#include "framework/core/variant.h"
#include "framework/data/dao_factory.h"

namespace vyn {

class TEmpresasMGR : public TMgr<TEmpresasMGR> {
 public:
  explicit TEmpresasMGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TMgr(owner, "TEMPRESAS", db) {}
  std::string ClassName() const override { return "TEmpresasMGR"; }

  // A column of TEMPRESAS_REF in force for the company at the month: the latest reference not after
  // it, else the company's first one; null when the company has none. The column must be a plain
  // column name (EDatabaseError otherwise).
  static Variant GetRetornaCampoEmpresaRef(const TComponent* owner, int codEmp, const std::string& coluna,
                                           int referencia, TDatabase* db = nullptr);
  // A column of the company's own row (TEMPRESAS); null when the company does not exist. The column
  // must be a plain column name (EDatabaseError otherwise).
  static Variant GetRetornaCampoEmpresa(const TComponent* owner, int codEmp, const std::string& coluna,
                                        TDatabase* db = nullptr);
  // Whether the company works with Omie (TEMPRESAS.BDOMIE 'TRUE').
  static bool getEmpresaPossuiOmie(const TComponent* owner, int codEmp, TDatabase* db = nullptr);

  // Codes of the company on the outside services (framework/accounting/empresas_mgr_web.cpp).
  // The company's code on the suite's web services (TEMPRESAS.BDCODWEB); 0 when it has none.
  static int GetCodEmpresaWEB(const TComponent* owner, int codEmp, TDatabase* db = nullptr);
  // The companies whose registry number (at any reference month) is this CNPJ, digits compared.
  static std::vector<int> getCodigoEmpresaPorCNPJ(const TComponent* owner, const std::string& cnpj,
                                                  TDatabase* db = nullptr);
  // The company's id at Nibo and the code of its office's OAuth2 record (TEMPRESAS_NIBO); "" and 0
  // when the company is not set up for Nibo.
  static std::string GetIdEmpresaNibo(const TComponent* owner, int codEmp, TDatabase* db = nullptr);
  static int GetCodOAUTH2EscritorioNibo(const TComponent* owner, int codEmp, TDatabase* db = nullptr);
};

}  // namespace vyn
