#pragma once
// The Dyq cash-movement dialog: the statement dialog's road for cash movements, without
// reconciliation, PDF or test-environment options.
#include <memory>
#include <string>

#include "framework/ui/integracao_padrao.h"
#include "framework/web/dyq_client.h"

namespace vyn {
class TEdit_Date_Padrao_VYN;
class TGroupBox;
class TImportacaoDYQMGR;
class TLabel;
class TListView;
}  // namespace vyn

namespace integracao {

class TfrFiltroImportacaoMovimentoCaixaDYQ : public vyn::TfrIntegracao_Empresa_Padrao_VYN {
 public:
  explicit TfrFiltroImportacaoMovimentoCaixaDYQ(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrFiltroImportacaoMovimentoCaixaDYQ"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TGroupBox* gbDatas;
  vyn::TEdit_Date_Padrao_VYN* edDataInicial;
  vyn::TEdit_Date_Padrao_VYN* edDataFinal;
  vyn::TGroupBox* gbMovimentoCaixa;
  vyn::TListView* lvMovimentoCaixa;
  vyn::TLabel* ltTitTotalRegistro;
  vyn::TLabel* lbTotalRegistro;
  vyn::TSpeedButton* spGerarTransacao;
  vyn::TSpeedButton* spRecusaExtrato;

  std::unique_ptr<vyn::TRetornaMetodoDYQ> FRetornaDYQ;

  void carregaMovimentos(bool Silent);
  vyn::TImportacaoDYQMGR* Manager() const;

  void spConfirmarClick(vyn::TComponent* sender) override;
  void SetListaObj(const vyn::TListaObj& lista) override;

 protected:
  void SetCriaDao() override;

 private:
  void setHintTransacao();
};

}  // namespace integracao
