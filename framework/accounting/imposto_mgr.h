#pragma once
// The tax module's taxes (TIMPOSTO) and issued tax guides (TDARFPADRAO) as the integrations read them.
#include <string>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"

namespace vyn {

class TImpostoMGR : public TMgr<TImpostoMGR> {
 public:
  explicit TImpostoMGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TMgr(owner, "TIMPOSTO", db) {}
  std::string ClassName() const override { return "TImpostoMGR"; }

  // Loads one tax; False when it does not exist.
  bool Select_Edit(int codImp);
  std::string GetDESCIMP() const;
};

class TDarfEmitidosPadraoMGR : public TMgr<TDarfEmitidosPadraoMGR> {
 public:
  explicit TDarfEmitidosPadraoMGR(TComponent* owner = nullptr, TDatabase* db = nullptr)
      : TMgr(owner, "TDARFPADRAO", db) {}
  std::string ClassName() const override { return "TDarfEmitidosPadraoMGR"; }

  int GetCODEMP() const;
  int getChaveDarf() const;
  TDateTime GetDATAVCTO() const;
  Currency GetVLRIMPORIGINAL() const;
};

// The issued guides of one company and tax whose due date lies in the window, with the tax's
// description: BDCODEMP, BDCHAVEDARF, BDCODIMP, BDREFERENCIA, BDDATAVCTO, BDVALOR, BDTOTAL, bdDescImp.
struct TConsultaImpostosEmitidos {
  std::string SQL;
  TParams Params;
};
TConsultaImpostosEmitidos GetConsultaTreeViewImpostosEmitidos(int codEmp, int codImp, TDateTime vctoInicial,
                                                               TDateTime vctoFinal);

}  // namespace vyn
