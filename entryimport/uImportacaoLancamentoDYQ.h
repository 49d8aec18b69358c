#pragma once
// The Dyq entry-import screen: lists the entry files a company's clients released on the Dyq
// entry-file service, downloads the chosen one and hands it to the entry-text importer, whose review
// reports the file back as integrated once it imported it.
//
// Wire format of the service (base address and bearer token from the configuration of service
// "DYQ_LANCAMENTOS": INTEGRACAO_DYQ_LANCAMENTOS_URL, INTEGRACAO_DYQ_LANCAMENTOS_TOKEN):
//   GET <base>/api/v1/lancamentos-contabeis/?cliente_id=<customer>&empresa_id=<web code>
//       200 {"lancamentos_contabeis":[{"id","nome","data_inicial","data_final"}, ...]}
//   GET <base>/api/v1/lancamentos-contabeis/busca?lancamento_id=<id>
//       200 {"link","data_inicial","data_final","nome"}
//   GET <link>                                  (no Authorization) 200: the file's text
//   PUT <base>/api/v1/lancamentos-contabeis/integracao   {"lancamento_id":<id>}
// Errors answer {"message","error"} with a status other than 200.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/ui/importacao_treeview.h"
#include "framework/ui/processo_empresa.h"

namespace vyn {
class TCheckBox;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TGroupBox;
class TInconsistencias_VYN;
class TLabel;
class TListView;
class TListItem;
class TPanel;
class THTTPVYN;
class TDatabase;
}  // namespace vyn

namespace integracao {

class TfrImportacaoLancamentoDYQ : public vyn::TfrProcesso_Empresa_Padrao_VYN, public vyn::IMarcaImportado {
 public:
  explicit TfrImportacaoLancamentoDYQ(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrImportacaoLancamentoDYQ"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TSpeedButton* spGerarTransacao;
  vyn::TGroupBox* GroupBox1;
  vyn::TEdit_Codigo_Search_VYN* edCODPLATROCAINT;
  vyn::TSpeedButton* spPlanoTroca;
  vyn::TPanel* pnCODPLATROCAINT;
  vyn::TLabel* lbCODPLATROCAINT;
  vyn::TCheckBox* ckAlterarComplemento;
  vyn::TGroupBox* gpExtratos;
  vyn::TLabel* lbTotal;
  vyn::TListView* lvExtratos;
  vyn::TInconsistencias_VYN* Inconsistencias_VYN1;
  vyn::TEdit_Date_Padrao_VYN* edDATINI;
  vyn::TEdit_Date_Padrao_VYN* edDATFIN;
  vyn::TEdit_Diretorio_Padrao_VYN* edARQUIVO;
  vyn::THTTPVYN* FHTTP = nullptr;
  bool CompararLancamentos = false;
  // The warning of the last company search whose file list the service did not give (empty when
  // the list was read, or the company was refused for not being on Dyq).
  std::string FalhaListagem;
  // The last company search refused the company for not being on Dyq.
  bool EmpresaSemDyq = false;
  // The Dyq id of the file being imported, from its download until the review is closed: what the
  // review reports integrated, whatever happens to the list meanwhile.
  std::string FArquivoEmImportacao;

  // Reports the file of the selected row as integrated; the row leaves the list when the service
  // accepted it.
  void MarcarComoImportado() override;

  // The user selects one row of the file list (the others are deselected).
  void SelecionaLinha(int index);

  // What the last run did with its file: nothing (a failure, or nothing selected), ran its import (a
  // file booked before included: its lines' accounts tell it), found it empty (marked without entries)
  // or, unattended, found it as an earlier run told it (not booked whole) and left it out.
  enum TDesfechoArquivo { daNenhum, daImportacao, daVazio, daJaAvisado };
  TDesfechoArquivo Desfecho = daNenhum;
  // Of the file the last unattended run downloaded: its content's digest and, when left out, the day
  // an earlier run told it.
  std::string ResumoArquivo;
  std::string AvisadoEm;
  // "Arquivo <code> (<name>) do ^DYQ": how messages name a row's file.
  static std::string DescricaoArquivo(const vyn::TListItem& linha);

 protected:
  void FormCreate() override;
  void FormDestroy() override;
  bool PodeIniciarProcesso() override;
  void Processo() override;
  // The inherited keys but arrow Down: moving down the file list never starts the run.
  std::vector<int> ExecutarProcessoKeys() const override;

 private:
  void edCODEMPAfterSearch(vyn::TComponent* sender, bool& recusar);
  void edCODEMPExit(vyn::TComponent* sender);
  void spGerarTransacaoClick(vyn::TComponent* sender);
  void setHintTransacao();

  std::string GetToken() const;
  std::optional<nlohmann::json> TryGetLancamentosEmpresa(int codEmpresaWeb);
  bool VerificarResultado(int codigo, const std::string& resposta, nlohmann::json& json);
  // One request to the service with the bearer token; the answer's body whatever its status.
  std::string Requisita(const std::string& metodo, const std::string& caminho, const std::string* corpo = nullptr);
  void PreparaHTTP();
  // The steps of a run: the file is searched and downloaded into a work file (false when there is
  // nothing to import), then imported.
  bool BaixaArquivo(const vyn::TListItem& linha, std::string& caminho, std::string& nome);
  // Whether a run already told the downloaded file, as it is, as not booked whole.
  bool JaAvisado(const std::string& id, const std::string& caminho);
  // Whether the work file has no record (no entry, participant or refused line).
  bool SemRegistros(const std::string& caminho) const;
  std::string NomeArquivoTemporario() const;
  // The link's body written to caminho as it arrives, whatever the status.
  void BaixaPara(const std::string& link, const std::string& caminho);
  // The beginning of an error answer kept in caminho.
  static std::string InicioDoArquivo(const std::string& caminho);
  // Leaves the work file in UTF-8 without a byte-order mark.
  static void ArquivoEmUtf8(const std::string& caminho);
  void ImportaArquivo(const std::string& id, const std::string& caminho, const std::string& nome);
  // An information: a dialog, or the run's result message when a task drives the screen.
  void Informa(const std::string& texto);
  vyn::TListItem* PrimeiraSelecionada() const;
  // A warning: a dialog, or the run's result message when a task drives the screen.
  void Aviso(const std::string& texto);
  std::string ultimoAviso_;
  // The company whose files the list shows (0 before the first search).
  int empresaListada_ = 0;
};

}  // namespace integracao
