#include "framework/accounting/imposto_mgr.h"

namespace vyn {

bool TImpostoMGR::Select_Edit(int codImp) {
  CommandText("SELECT * FROM TIMPOSTO WHERE BDCODIMP = ?", ctOpen, {codImp});
  First();
  return !IsEmpty();
}

std::string TImpostoMGR::GetDESCIMP() const {
  return IsEmpty() ? std::string() : FieldByName("BDDESCIMP").AsString();
}

int TDarfEmitidosPadraoMGR::GetCODEMP() const { return static_cast<int>(FieldByName("BDCODEMP").AsInteger()); }
int TDarfEmitidosPadraoMGR::getChaveDarf() const { return static_cast<int>(FieldByName("BDCHAVEDARF").AsInteger()); }
TDateTime TDarfEmitidosPadraoMGR::GetDATAVCTO() const { return FieldByName("BDDATAVCTO").AsDateTime(); }
Currency TDarfEmitidosPadraoMGR::GetVLRIMPORIGINAL() const { return FieldByName("BDVLRIMPORIGINAL").AsCurrency(); }

TConsultaImpostosEmitidos GetConsultaTreeViewImpostosEmitidos(int codEmp, int codImp, TDateTime vctoInicial,
                                                               TDateTime vctoFinal) {
  return {"SELECT D.BDCODEMP, D.BDCHAVEDARF, D.BDCODIMP, D.BDREFERENCIA, D.BDDATAVCTO, D.BDVALOR, D.BDTOTAL, "
          "I.BDDESCIMP AS bdDescImp FROM TDARFPADRAO D LEFT OUTER JOIN TIMPOSTO I ON (I.BDCODIMP = D.BDCODIMP) "
          "WHERE D.BDCODEMP = ? AND D.BDCODIMP = ? AND D.BDDATAVCTO BETWEEN ? AND ? "
          "ORDER BY D.BDDATAVCTO, D.BDCHAVEDARF",
          {codEmp, codImp, vctoInicial.DateOnly(), vctoFinal.DateOnly()}};
}

}  // namespace vyn
