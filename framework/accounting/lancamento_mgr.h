#pragma once
// The ledger-entry manager: entries of VZEL_EMPRESAS_TLAN (or of an import review's rows), the settlement
// link data sets, the multiple-entry split lines and the large-file session work table.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "framework/data/dao_factory.h"
#include "framework/schema/revisao_tabelas.h"
#include "framework/ui/dialogs.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TBloqueioLancamento_VYN;
class TSpeedButton;
class TSelecionaFiliais_VYN;
class TCheckBox;
class TForm_VYN;
class TVZEL_EMPRESAS_TEXTRATOBANMGR;

// Column kinds of a value written through to a session work table.
enum TLinkType : int { ltInteger = 0, ltString = 1, ltCurrency = 2, ltDate = 3, ltFloat = 4, ltFlag = 8 };

// dao's work table, for statement text: anything but a plain identifier raises EDataSetError.
const std::string& TabelaTrabalho(const TDAOFactory& dao);

class TLancamentoMGR : public TMgr<TLancamentoMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMPRESAS_TLAN";
  static constexpr const char* kTabelaTemp = kTabelaLancamentosTemp;

  explicit TLancamentoMGR(TComponent* owner = nullptr, std::string table = kTabela, TDatabase* db = nullptr);
  ~TLancamentoMGR() override;
  std::string ClassName() const override { return "TLancamentoMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The suite's maker: owner and its flags (the reviews' in-memory copies pass (owner, False, False, 1,
  // True, True)). The manager belongs to owner.
  static TLancamentoMGR* CreateMgr(TComponent* owner, bool gravaDireto = false, bool validaContas = false,
                                   int tipoBanco = 1, bool somenteLeitura = false, bool carregaMultiLanc = false);

  // An empty link data set: imported entry (BDCHAVE) to obligation, with the columns every settlement
  // caller reads and writes. Owned by owner; the second form is held by its caller.
  static TClientDataSet* GetClientDataSetBaixas(TComponent* owner);
  static std::unique_ptr<TClientDataSet> NewClientDataSetBaixas();

  // The multiple-entry split lines of this manager's entries (BDCODEMP, BDCHAVE of the parent line,
  // BDCHAVELANC, BDTIPOMULTLANC, accounts and participants, value, batch, the entry columns of the
  // setters and the link flags), indexed on "BDCODEMP;BDCHAVE".
  TClientDataSet* getMultiLancamentosDAO();
  bool TemMultiLancamentosDAO() const { return multi_ != nullptr; }
  // The split lines' cost-centre rows of one side (0 debit, 1 credit): BDCODEMP, BDCHAVE of the parent
  // line, BDCHAVELANC of the split line, BDORDEM, BDCODCENTRO, BDCODTPCC, BDDEBCRE and BDVALOR.
  TClientDataSet* getMultiLancamentosCCDAO(int lado);

  // Writes one column of the current row through to the session work table (large-file mode) and
  // into the row in memory; kind tells how the text value is stored.
  void SetUpdateRegHugeFileForTpIntegracao(const std::string& field, const std::string& value, int kind);

  // Set, the import runs unattended (IsUnattended()): the review imports at once instead of opening.
  TUnattendedFlag IsTARVO;

  // The entry-text import (framework/accounting/importacao_lanc_txt.cpp): reads an entry file in the
  // suite's text layout, stages its lines and opens the review screen by class name; returns when the
  // review is closed (at once, after importing, under IsTARVO).
  bool NaoRetirarZerosContas = false;
  // Set, a line equal to an entry already posted in the period (company, date, accounts, value,
  // history, document, complement) is not imported again; each posted entry answers for one line.
  bool CompararLancamentos = false;
  std::string NomeArquivo;
  // The review class opened (the in-memory review unless a caller chooses another).
  std::string ClasseRevisao = "TfrConsultaImportacaoLancCCTxt";
  // Called on the thread that stages a file behind its staged review (framework/accounting/
  // gravacao_ao_fundo.h), after each stretch it committed, with the lines staged so far and the
  // staging's stop token: a caller that must see the review while the file still stages (a test)
  // holds the staging there until it lets go or the review closes.
  std::function<void(int64_t linhas, std::stop_token parada)> AposTrechoAoFundo;
  void GetImportacaoLancTxt(int tipoSistema, TEdit_Codigo_Search_VYN* codEmp, TEdit_Codigo_Search_VYN* codPlaTroca,
                            TEdit_Diretorio_Padrao_VYN* arquivo, TComponent* owner, const std::string& separador,
                            bool, TBloqueioLancamento_VYN* bloqueio, TSpeedButton* transacaoAut,
                            const std::string& dataIni, const std::string& dataFim, TSelecionaFiliais_VYN* filiais,
                            int, bool alterarComplemento);
  void GetImportacaoLancTxt(int tipoSistema, TEdit_Codigo_Search_VYN* codEmp, TEdit_Codigo_Search_VYN* codPlaTroca,
                            std::istream& fonte, TComponent* owner, const std::string& separador, bool,
                            TBloqueioLancamento_VYN* bloqueio, TSpeedButton* transacaoAut, const std::string& dataIni,
                            const std::string& dataFim, TSelecionaFiliais_VYN* filiais, int, bool alterarComplemento,
                            TCheckBox* baixas);
  // The spreadsheet road of the path overload (framework/accounting/importacao_lanc_planilha.cpp): a
  // workbook whose rows are the text layout's records, reviewed staged with its sheet's rows known.
  void GetImportacaoLancPlanilha(int tipoSistema, TEdit_Codigo_Search_VYN* codEmp,
                                 TEdit_Codigo_Search_VYN* codPlaTroca, const std::string& caminho, TComponent* owner,
                                 const std::string& separador, bool, TBloqueioLancamento_VYN* bloqueio,
                                 TSpeedButton* transacaoAut, const std::string& dataIni, const std::string& dataFim,
                                 TSelecionaFiliais_VYN* filiais, int, bool alterarComplemento);

  // The conciliation type of a line from its two side marks: 0 none, 1 debit, 2 credit, 3 both.
  static int getTipoConciliacao(TComponent* owner, bool, const std::string& concC, const std::string& concD,
                                const std::string& codEmp, const std::string& chave, const std::string& campo, bool,
                                const std::string& tipoAtual);
  // Reconciliation with a bank statement (defined in lancamento_conciliacao.cpp).
  // Loads the posted entries of the company that match a statement line: the account on the side the
  // signed value gives (plus: debit), not yet reconciled on that side, and agreeing on the criteria
  // asked for; rows named in jaConciliados (BDCHAVECONC of a reconciled-items data set) are left out.
  // The rows carry BDDEBITO, BDCREDITO, BDCODTERCEIROD/C, bdCODHIST, bdCODTPHI, bdtipoconc, bdCONCD,
  // bdCONCC, bdchave and BDORDEM, ordered by the index "ORDEM" (BDORDEM 100: the row chosen for the
  // line, the nearest in date; 200: the other candidates).
  bool GetConciliacaoExtratoBancario(TComponent* empresa, TComponent* conta, Currency valor, const std::string& dcto,
                                     TDateTime data, bool porDocumento, bool porData, bool porValor,
                                     bool considerarZeros, TClientDataSet* jaConciliados = nullptr);
  // The reconciliation kind of an entry reconciled on the side named by textos[4] ("BDCONCD" or
  // "BDCONCC"): 1 debit, 2 credit, 6 both sides (the other side's text, textos[0] for the debit and
  // textos[1] for the credit, not empty).
  static int getTipoConciliacao(TLancamentoMGR* mgr, bool, const std::vector<std::string>& textos, bool,
                                int tipoConcAtual);
  // The current row's bdtipoconc (0 when absent).
  int GetTIPOCONC() const;
  // The entries' reconciled items, in memory: BDCODEMP, BDCHAVE, BDCHAVECONC, BDDCTO, BDDATA,
  // BDVALOR, BDTIPOCONC; one row per entry and matched key.
  TClientDataSet* getItensConciliadosDAO();
  void setItensConciliadosItem(int64_t empresa, int64_t chave, const std::string& dcto, TDateTime data,
                               Currency valor, int64_t chaveConc, int tipoConc);
  // Hands the statement lines that have no entry (status 0, 1, 5, 7) to the statement review, opened
  // as a child of form; True when the review was started.
  static bool ImportacaoDAOExtratoBancario(TComponent* empresa, TComponent* conta, TComponent* arquivo,
                                           TComponent* dataIni, TComponent* dataFim,
                                           TVZEL_EMPRESAS_TEXTRATOBANMGR* extrato, TForm_VYN* form,
                                           TSpeedButton* transacao, TBloqueioLancamento_VYN* bloqueio,
                                           nlohmann::json* json, bool naoCoincidirTransPrep);
  // Empty when the entry may be deleted, else the reason to show.
  static std::string GetInconsistenciaExclusaoTipo(TComponent* form, int tipoLan, int64_t empresa, int64_t chave,
                                                   int64_t empresaOrigem, const std::string& origem);

 private:
  bool flags_[4] = {false, false, false, false};
  TClientDataSet* multi_ = nullptr;
  TClientDataSet* multiCC_[2] = {nullptr, nullptr};
};

}  // namespace vyn
