#pragma once
// The BI result managers: each answers one request of the BI task into its result table, reading
// its values from the edits it is given, as the suite's report screens hand them over.
//
// The figures are the stand-in's: the income statement answers each result account's movement in
// the period, credits less debits (revenue positive); the revenue answers, month by month, what was
// credited to the account the request names as its table ("quadro"), less what was debited to it.
#include <string>

#include "framework/data/dao_factory.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TCheckBox;

// Calculation periods of the revenue (only monthly is answered here).
enum TTipoApuracaoBI : int { taMensal = 0 };

class TTPEDIDOS_BI_DRE_RESULTADOSMGR : public TMgr<TTPEDIDOS_BI_DRE_RESULTADOSMGR> {
 public:
  explicit TTPEDIDOS_BI_DRE_RESULTADOSMGR(TComponent* owner = nullptr, bool = true)
      : TMgr(owner, "TPEDIDOS_BI_DRE_RESULTADOS") {}
  std::string ClassName() const override { return "TTPEDIDOS_BI_DRE_RESULTADOSMGR"; }

  void SetEmpresa(TEdit_Codigo_Search_VYN* e) { empresa_ = e; }
  void SetDataIni(TEdit_Date_Padrao_VYN* e) { dataIni_ = e; }
  void SetDataFin(TEdit_Date_Padrao_VYN* e) { dataFin_ = e; }
  void SetIgnoraZeramento(bool v) { ignoraZeramento_ = v; }
  void SetPlanoFormula(int v) { planoFormula_ = v; }
  void SetContabilizacao(int v) { contabilizacao_ = v; }
  void SetID_PedidoBI(int v) { id_ = v; }
  void SetDetalharFiliais(TCheckBox* c) { detalhar_ = c; }
  // Replaces the request's result rows; the company and both dates are required. A formula plan
  // or an account kind other than 0 is refused by its column's name.
  void Execute();

 private:
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  TEdit_Date_Padrao_VYN* dataIni_ = nullptr;
  TEdit_Date_Padrao_VYN* dataFin_ = nullptr;
  void RecusaNaoSuportado() const;
  TCheckBox* detalhar_ = nullptr;
  bool ignoraZeramento_ = false;
  int planoFormula_ = 0;
  int contabilizacao_ = 0;
  int id_ = 0;
};

class TTPEDIDOS_BI_FAT_RESULTADOSMGR : public TMgr<TTPEDIDOS_BI_FAT_RESULTADOSMGR> {
 public:
  explicit TTPEDIDOS_BI_FAT_RESULTADOSMGR(TComponent* owner = nullptr, bool = true)
      : TMgr(owner, "TPEDIDOS_BI_FAT_RESULTADOS") {}
  std::string ClassName() const override { return "TTPEDIDOS_BI_FAT_RESULTADOSMGR"; }

  void SetRefInicial(TEdit_Date_Padrao_VYN* e) { refIni_ = e; }
  void SetRefFinal(TEdit_Date_Padrao_VYN* e) { refFim_ = e; }
  void SetSomaMatrizFilial(TCheckBox* c) { soma_ = c; }
  void SetEmpresa(TEdit_Codigo_Search_VYN* e) { empresa_ = e; }
  void SetPlanoConfiguracao(TEdit_Codigo_Search_VYN* e) { plano_ = e; }
  void SetQuadro(TEdit_Codigo_Search_VYN* e) { quadro_ = e; }
  void SetID_PedidoBI(int v) { id_ = v; }
  void SetPerApu(TTipoApuracaoBI v) { perApu_ = v; }
  // Replaces the request's result rows: one per month of the period.
  void GerarFaturamento(TComponent* owner);

 private:
  TEdit_Date_Padrao_VYN* refIni_ = nullptr;
  TEdit_Date_Padrao_VYN* refFim_ = nullptr;
  TCheckBox* soma_ = nullptr;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  TEdit_Codigo_Search_VYN* plano_ = nullptr;
  TEdit_Codigo_Search_VYN* quadro_ = nullptr;
  int id_ = 0;
  TTipoApuracaoBI perApu_ = taMensal;
};

}  // namespace vyn
