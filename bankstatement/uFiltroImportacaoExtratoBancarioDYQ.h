#pragma once
// The Dyq statement dialog: lists the bank statements a company's client released on Dyq, refuses
// one or loads one, with the user's options, through the Dyq import manager.
#include <memory>
#include <string>

#include "framework/ui/integracao_padrao.h"
#include "framework/web/dyq_client.h"

namespace vyn {
class TCheckBox;
class TEdit_Date_Padrao_VYN;
class TGroupBox;
class TImportacaoDYQMGR;
class TLabel;
class TListView;
}  // namespace vyn

namespace integracao {

class TfrFiltroImportacaoExtratoBancarioDYQ : public vyn::TfrIntegracao_Empresa_Padrao_VYN {
 public:
  explicit TfrFiltroImportacaoExtratoBancarioDYQ(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrFiltroImportacaoExtratoBancarioDYQ"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TGroupBox* gbDatas;
  vyn::TEdit_Date_Padrao_VYN* edDataIni;
  vyn::TEdit_Date_Padrao_VYN* edDataFim;
  vyn::TGroupBox* gbConciliacoes;
  vyn::TCheckBox* ckDocumento;
  vyn::TCheckBox* ckData;
  vyn::TCheckBox* ckValor;
  vyn::TCheckBox* ckConsiderarZeroAEsquerda;
  vyn::TGroupBox* gbOpcoes;
  vyn::TCheckBox* ckSubPrepWeb;
  vyn::TCheckBox* ckConciliacaoManual;
  vyn::TCheckBox* ckNaoCoinsTransPrep;
  vyn::TCheckBox* ckExtratoPDF;
  vyn::TCheckBox* ckAmbienteTeste;
  vyn::TGroupBox* gpExtratos;
  vyn::TListView* lvExtratos;
  vyn::TLabel* lbTotal;
  vyn::TSpeedButton* spConciliacaoAut;
  vyn::TSpeedButton* spGerarTransacao;
  vyn::TSpeedButton* spRecusaExtrato;
  vyn::TSpeedButton* spAbrir;

  // The Dyq client the list and the refusal ask.
  std::unique_ptr<vyn::TRetornaMetodoDYQ> FRetornaDYQ;

  // Refills the list from Dyq; silent: no progress window and no "nothing found" box.
  void PreencheListaExtratos(bool Silent);
  vyn::TImportacaoDYQMGR* Manager() const;

  void spConfirmarClick(vyn::TComponent* sender) override;
  void spRecusaExtratoClick(vyn::TComponent* sender);
  void SetListaObj(const vyn::TListaObj& lista) override;

  // The PDF target of the statement held by the manager for the user's folder row (BDDIRETORIO,
  // BDSUBPASTAS); creates the folder.
  std::string ArquivoPDF(const std::string& diretorio, int subpastas);

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;
  void SetCriaDao() override;

 private:
  void edCODEMPAfterSearch(bool& recusar);
  void edCODEMPExit();
  void TrataComponentesConciliacao();
  void Alterna(vyn::TSpeedButton& bt);
  void setHintConciliacao();
  void setHintTransacao();
  void ConfiguraAmbienteTeste();
};

// The company check of both Dyq dialogs: False (after the box) when the company does not use Dyq.
bool EmpresaPossuiDYQ(int64_t codEmp);

}  // namespace integracao
