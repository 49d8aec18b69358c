#pragma once
// The re-posting screen: chooses the head offices, the period and the routines, checks and asks,
// and hands each company to the posting engine, which deletes and re-creates its online postings.
#include <string>
#include <vector>

#include "postingutil/uRecontabilizacaoUtil.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TLabel;
class TPanel;
class TSpeedButton;
}  // namespace vyn

namespace integracao {

// The two-letter group prefixes of the routine captions ("FI.Lançamento de entrada"); the posting
// kinds of a run are read from them.
inline constexpr const char* kPrefixoGeral = "GE";
inline constexpr const char* kPrefixoFiscal = "FI";
inline constexpr const char* kPrefixoFolha = "FO";

// The parameter array the suite hands the reposting process to start it on given companies.
enum TParamRecontabilizacao : int {
  prcEmpresas = 0,   // TStringList of company codes
  prcInicio,         // boxed dates
  prcFim,
  prcRotinas,        // TStringList of routines, each with its ordinal as a boxed integer
  prcQuantidade,
};

class TfrProcessoRecontabilizacao : public TfrProcessoComMotor {
 public:
  explicit TfrProcessoRecontabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcessoRecontabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TEdit_Codigo_Search_VYN* edCODEMP;
  vyn::TPanel* pnNOMEMP;
  vyn::TSpeedButton* spConsultaEmp;
  vyn::TEdit_Date_Padrao_VYN* edDataInicial;
  vyn::TEdit_Date_Padrao_VYN* edDataFim;
  vyn::TSpeedButton* spSelecaoContas;
  vyn::TSpeedButton* spInformation24;
  vyn::TInconsistencias_VYN* Inconsistencias;
  vyn::TLabel* lbEmpresa = nullptr;
  vyn::TLabel* lbDataInicial = nullptr;
  vyn::TLabel* lbDataFim = nullptr;

  // The routines to re-post and their captions; the selection dialog rewrites both.
  vyn::TTiposProcRecontabiliza FRotinas;
  std::vector<std::string> FListaRotinas;

  // Four objects pre-fill the screen: company codes, start, end, routine captions with ordinals.
  void SetListaObj(const vyn::TListaObj& lista) override;
  void spConsultaClick(vyn::TComponent* sender) override;
  // F11 on the company field: the head offices' list of choices; Ctrl+F11 empties the selection.
  void KeyDown(int& key, unsigned shift) override;
  void spSelecaoContasClick(vyn::TComponent* sender);
  void spInformation24Click(vyn::TComponent* sender);

 protected:
  void CreateDAO() override;
  void FormCreate() override;
  bool PodeIniciarProcesso() override;
  void InicioProcesso() override;
  void SelectProcesso() override;
  void Processo() override;
  void FimProcesso() override;
  void edDataFimExit(vyn::TComponent* sender);

 private:
  bool PeriodoValido();
  bool EmpresaInformada() const;
  std::string CondicaoEmpresas(const std::string& coluna) const;
  bool UltimoEncerramentoPermite();
  bool ConfirmaConciliados();
};

}  // namespace integracao
