#pragma once
// A tax's configuration for the report portal: its portal report (tag and the identifier
// expression, "break"), the report functions of the configuration, and the print data of a guide.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/core/variant.h"

namespace vyn {

class TClientDataSet;
class TDAOFactory;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;

// The configuration's own report functions and its list of breaks (identifier expressions).
class TFuncionsVYNReport : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TFuncionsVYNReport"; }
  // The company's code on the portal with six digits; "XXXXXX" when it has none.
  std::string GetCodEmpRelatorio(int codEmp) const;
  // The configuration answers none of its own functions in this installation: False.
  bool UserFunction(const std::string& nome, std::vector<Variant>& params, Variant& resultado) const;
  std::vector<std::string> FListaQuebras;
};

class TConfigImpostoVYN : public TComponent {
 public:
  explicit TConfigImpostoVYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TConfigImpostoVYN"; }

  void SetEditEmpresa(TEdit_Codigo_Search_VYN* e) { FEditEmpresa = e; }
  void SetEditsPeriodo(TEdit_Date_Padrao_VYN* ini, TEdit_Date_Padrao_VYN* fim) {
    FEditIni = ini;
    FEditFim = fim;
  }
  // Loads the configuration of the tax FCodImp: its portal report and break.
  void CarregaDados(bool);
  void AddEmp(int codEmp, TComponent*, const Variant& descTipoCalc, const Variant& chaveDarf);
  // The tax's own print data of a guide; none in this installation (the caller falls back).
  TClientDataSet* CarregaDataSetImpostoAux(int codEmp, int codImp, const std::string& referencia, TComponent*,
                                           const Variant& chaveDarf);
  // The tax's print query of a guide; empty when the tax has no layout of its own.
  std::string GetSqlImpressaoPreview(const Variant& vencimento, int codEmp, int codImp, int tipoCalc,
                                     const std::string& refIni, const std::string& refFim, TComponent*,
                                     const Variant& chaveDarf);
  int GetTipoCalcImp(int64_t chaveDarf) const;
  std::string GetTagVynReport() const { return FTagWeb; }
  // The SQL expression of a guide's calculation type in the export's payment query.
  static std::string CaseSQLDescTipoCalc() { return "CAST('00' AS VARCHAR(2))"; }

  int FCodImp = 0;
  int FChaveYRK = -1;
  int FVias = 1;
  TFuncionsVYNReport* FFunctionsVYNReport;

 private:
  TEdit_Codigo_Search_VYN* FEditEmpresa = nullptr;
  TEdit_Date_Padrao_VYN* FEditIni = nullptr;
  TEdit_Date_Padrao_VYN* FEditFim = nullptr;
  std::string FTagWeb;
  std::vector<int> FEmpresas;
};

// The per-company portal codes of the portal's reports.
class TYRK_trelatorios_empMGR {
 public:
  // The company's code on the portal for the report, or -1.
  static int GetCodWebTagImposto(const TComponent* owner, int codEmp, int chaveYRK);
};

}  // namespace vyn
