#pragma once
// Bank reconciliation: the lines of one imported statement beside the ledger entries of the same
// account and period; the user pairs them by hand, by the automatic matcher or by posting the lines
// that have no entry yet, and the run stores the reconciliation. Opened by class name by the statement
// import managers with their parameter array (10 or 11 positions).
#include <cstdint>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "framework/core/currency.h"
#include "framework/ui/processo_padrao.h"

namespace vyn {
class TVZEL_EMPRESAS_TEXTRATOBANMGR;
class TLancamentoMGR;
class TInconsistencias_VYN;
class TDBGrid_Padrao_VYN;
class TDataSource;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TFiltroConciliacao;
class TGroupBox;
class TLabel;
class TPanel;
class TMenuItem;
class TClientDataSet;
class TScreenUserConfig;
}  // namespace vyn

namespace integracao {

// Image indices of the grids.
struct TStatusGrid {
  int Debito = -1, Credito = -1, UnChecked = -1, Checked = -1, Conciliado = -1;
};

// Row colours (RGB packed as 0xRRGGBB); 0 leaves the row unchanged.
inline constexpr unsigned kCorVerde = 0x99FF82;    // RGB(153, 255, 130)
inline constexpr unsigned kCorAzul = 0x9EFDFF;     // RGB(158, 253, 255)
inline constexpr unsigned kCorAmarela = 0xFFFBB3;  // RGB(255, 251, 179)

// The colour of a row of either grid by its status.
unsigned CorStatusConciliacao(int status);
// A selection total as its label shows it: "1.234,56 D", "1.234,56 C", " 0,00".
std::string FormataTotalConciliacao(vyn::Currency total);

class TfrProcessoConciliacaoBancaria : public vyn::TfrProcesso_Padrao_VYN {
 public:
  explicit TfrProcessoConciliacaoBancaria(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcessoConciliacaoBancaria"; }
  bool InheritsFrom(const std::string& class_name) const override;

  void SetListaObj(const vyn::TListaObj& lista) override;
  void KeyDown(int& key, unsigned shift) override;

  // Toolbar and grid handlers.
  void grLanExtratoCellClick(const std::string& campo);
  void grLanContabilCellClick(const std::string& campo);
  void FormClick();
  void spConciliacaoClick();
  void spConciliacaoAutClick();
  void spAtuTabelaClick();
  void FiltroRapido();
  void spImportarGridClick();
  // After F8's review closed (or when none opened): the entries read again and matched.
  void AposRevisao(bool importou);
  void spEditarClick();
  void spExcluirClick();
  void spExcluirTodosClick();
  // The image a status cell or a D/C cell shows (-1 none).
  int ImagemCelula(const vyn::TClientDataSet& ds, const std::string& campo) const;

  vyn::TVZEL_EMPRESAS_TEXTRATOBANMGR* FDaoExt = nullptr;
  vyn::TLancamentoMGR* FDaoCont = nullptr;
  vyn::TInconsistencias_VYN* FInconsistencia = nullptr;
  vyn::Currency FTotalExtrato, FTotalContabil;
  TStatusGrid FIcones;
  vyn::TEdit_Codigo_Search_VYN* FEmpresa = nullptr;
  vyn::TEdit_Codigo_Search_VYN* FChaveCta = nullptr;
  vyn::TEdit_Date_Padrao_VYN* FDataIni = nullptr;
  vyn::TEdit_Date_Padrao_VYN* FDataFin = nullptr;
  vyn::TComponent* FArquivo = nullptr;
  vyn::TSpeedButton* FTransacao = nullptr;
  std::string FFiliais;
  nlohmann::json* FJSON = nullptr;
  bool FDYQ = false;
  int64_t FIDExtrato = 0;
  vyn::TFiltroConciliacao* FFiltroConciliacao = nullptr;
  bool FNaoCoincidirTransPrep = false;
  bool FAtualizaData = false;
  int FRecExt = 0, FRecCont = 0;

  vyn::TGroupBox *gbExtrato, *gbContabil;
  vyn::TDBGrid_Padrao_VYN *grLanExtrato, *grLanContabil;
  vyn::TLabel *lbTotalSelExtrato, *lbTotalSelContabil;
  vyn::TPanel *pnVerde, *pnAzul, *pnAmarelo;
  vyn::TSpeedButton *spConciliacao, *spConciliacaoAut, *btIniciar, *spAtuTabela, *spEditar, *spFiltroRapido,
      *spImportarGrid, *spExcluir, *spExcluirTodos;
  // The drop-down of spFiltroRapido and its radio items.
  vyn::TMenuItem* pmFiltroRapido;
  vyn::TMenuItem *mmTodos, *mmConciliados, *mmNaoconciliados;
  // The user's settings of the screen: its choices come back when the user opens it again.
  vyn::TScreenUserConfig* ScreenUserConfig;

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;
  bool PodeIniciarProcesso() override;
  void Processo() override;

 private:
  void CellClick(vyn::TClientDataSet& ds, const std::string& campo, vyn::Currency& total);
  void AtualizaBotoes();
  void MostraTotais();
  // Registers the screen's choices as saved items of the user's settings and loads them.
  void CarregaConfiguracaoUsuario();
  // A Dyq statement opened with matching options is matched once its lines are read.
  void ConciliacaoDaAbertura();
  void RestauraLinhas(int recExt, int recCont);
  std::string SQLExtrato() const;
  std::string SQLLancamentos() const;
  // Deletes the current entry (database and grid) after the user confirms; True when deleted.
  bool ExcluiLancamentoAtual();

  vyn::TDataSource *dsExtrato, *dsContabil;
  int recCheckExt_ = 0, recCheckCont_ = 0;
};

}  // namespace integracao
