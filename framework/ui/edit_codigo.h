#pragma once
// The code edit with search: a numeric code of some kind (company, chart, plan, ...), checked
// against its table when it is searched or left. The look-up itself belongs to the data layer: a
// strategy per edit, or the process context's look-up for every code kind.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/variant.h"
#include "framework/ui/edit.h"

namespace vyn {


// The kinds of code an edit looks up. The numbered ones are the ordinals the module's screens give
// by number (account cells 20, history cells 9, participant cells 41/42, ...); the others only need
// to differ from them.
enum TTipoCodigo : int {
  tcNenhum = 0, tcEmpresas = 1, tcEmpresasMatriz = 2, tcEmpresasOmie = 3, tcEmpresasVincSCP = 4, tcBancosPDF = 5,
  tcConfOnline = 6, tcPlanoTrocaContabilizacao = 7, tcPreparacaoContabiliadeLalur = 8,
  tcHistoricos = 9,                    // a history of the company's history plan
  tcPlanoContas = 10, tcPlanoHistorico = 11,
  tcContasCentroCustos = 12,           // an account of a cost-centre plan
  tcContador = 13,                     // an accountant
  tcPlanoCentroCustos = 14, tcPlanoFormula = 15, tcPlanoMoedas = 16, tcParticipante = 17,
  tcEscritorioContabil = 18,           // an accounting office
  tcIdiomas = 19,
  tcContasPlanoContas = 20,            // an account of the company's chart
  tcImpostoEmpresaSistemaOmie = 21, tcGeradorImportacaoSocios = 22, tcTodosFuncionarios = 23, tcYRKRelatorios = 24,
  tcQualificacaoRFB = 25, tcContasPlanoContasAnalitica = 26, tcContasAjusteECF = 27, tcClienteFinanceiro = 28,
  tcCidades = 29,                      // a city of the registry
  tcPaises = 40,                       // a country of the registry
  tcParticipanteCredito = 41, tcParticipanteDebito = 42,
  tcContaBancaria = 159,               // a bank account of the company
  tcPlanosTrocaContabilOnLine = 193,   // a mapping plan between two posting plans
  tcGeradorImportacaoLancamentos = 207,
  tcEmpreendimentos = 273, tcUnidadesImobiliarias = 274, tcImoveisRurais = 334, tcEmpreendimentosEmpresa = 349
};

// The kinds of a company's plan GetCodPlanoEmpresa answers.
enum TTipoPlanoEmpresa : int {
  tpeHistorico = 9, tpePlanoContas = 3, tpePlanoLalur = 55, tpePlanoOnline = 103
};

// The record a code was found with.
struct TCodigoRegistro {
  std::string Nome;
  std::vector<std::pair<std::string, Variant>> Campos;
  Variant Campo(std::string_view name) const;   // null when absent (names without regard to case)
};

class TEdit_Codigo_Search_VYN;
class TCamposProcurar;
class TClientDataSet;

class ICodeLookup {
 public:
  virtual ~ICodeLookup() = default;
  // Finds the code of the edit's kind (its master edits narrow it); False when there is none.
  virtual bool Lookup(const TEdit_Codigo_Search_VYN& edit, int64_t code, TCodigoRegistro& out) = 0;
  // A company's plan of the given kind (TTipoPlanoEmpresa) at the reference month; 0 when none.
  virtual int64_t CodPlanoEmpresa(int64_t codEmp, int kind) { return 0; }
  // The search list of the edit's kind (its master edits narrow it): every record it may take, as
  // the columns CODIGO and NOME followed by each of `campos`, into `lista`. False when the kind has
  // no list here: its code is typed.
  virtual bool Pesquisa(const TEdit_Codigo_Search_VYN& edit, const std::vector<std::string>& campos,
                        TClientDataSet& lista) {
    return false;
  }
};

class TEdit_Codigo_Search_VYN : public TEdit_String_Padrao {
 public:
  using TLookupFn = std::function<bool(const TEdit_Codigo_Search_VYN&, int64_t, TCodigoRegistro&)>;
  using TAfterSearchEvent = std::function<void(TComponent* sender, bool& recusar)>;

  explicit TEdit_Codigo_Search_VYN(TComponent* owner = nullptr, int tipoCodigo = tcNenhum);
  std::string ClassName() const override { return "TEdit_Codigo_Search_VYN"; }

  int TipoCodigo = tcNenhum;
  // Another kind makes the code one to look up again.
  void SetTypeCodeVYN(int tipo);
  bool AceitaZero = false;
  bool AceitaVazio = true;
  bool AceitaNaoCadastrado = false;    // a code not registered yet is taken (a register's new code)
  std::string CampoRetorno;            // the column the code is read from
  TPanel* PanelNome = nullptr;         // shows the found record's name
  std::vector<TEdit_Codigo_Search_VYN*> EditsMaster;
  TLookupFn Lookup;                    // this edit's look-up; else the process context's
  TNotifyEvent OnBeforeSearch;
  TAfterSearchEvent AfterSearch;

  // Typing keeps digits only; digits parted by separators ("1,2") are several codes, never one:
  // refused on exit, or, where several codes are taken, a list parted by ";" selects them.
  void SetText(std::string t) override;
  int64_t Codigo() const;              // 0 when empty
  int64_t ValorInteger() const { return Codigo(); }
  std::string getCodigoStr() const;    // the code as text, "" when empty
  bool ValorInformado() const;
  // Puts a code in the edit as typed (no look-up yet); 0 empties it.
  void Vale(int64_t code);
  // Empties the edit altogether: no code, no selection of several codes, no record or name shown.
  void Reset();

  // Looks the code up: the name panel and the record follow; AfterSearch may refuse it. False
  // when the code was refused (Mensagem says why).
  bool Search();
  // The columns the search list shows beyond the code and the name: OnBeforeSearch adds them, for
  // the search under way (every search, a typed code's included, starts with none).
  TCamposProcurar& CamposProcurar();
  // The edit's search button: OnBeforeSearch runs, the search list shows the records of the edit's
  // kind with the columns it added, and the row the user picks becomes the edit's code, looked up as
  // a typed one (AfterSearch may still refuse it). False when no code was taken: the user gave up,
  // the code was refused, or the kind has no list here.
  bool Pesquisar();
  // The check run on exit: empty and zero by the flags, any other code by Search.
  bool Validate();
  bool Rejeitado() const { return rejeitado_; }
  const std::string& Mensagem() const { return mensagem_; }
  // The found record; nullptr when the code was not (yet) found.
  const TCodigoRegistro* GetDaoFactory() const { return found_ ? &registro_ : nullptr; }
  int64_t GetCodPlanoEmpresa(int kind) const;

  // Several codes at once.
  bool AceitaMultiSelecao = false;
  void SetAceitaMultiSelecao(bool a) { AceitaMultiSelecao = a; }
  void SetMultiSelect(bool on);
  bool MultiSelect() const { return multi_; }
  void AddMultiSelecao(const std::string& text, int64_t code);
  void ClearMultiSelecao() { selecao_.clear(); }
  int QtdeSelecionados() const;
  std::vector<int64_t> CodigosSelecionados() const;   // the selection, or the single code
  // "col = n", "col IN (a,b)" or "" when nothing is informed.
  std::string GetSQLMultiSelectString(const std::string& column) const;
  // "n" or "a,b"; "" when nothing is informed.
  std::string GetSQLMultiSelectInteger() const;

 protected:
  void DoExit() override;

 private:
  bool Reject(std::string message);
  // Fires OnBeforeSearch on an empty set of search columns.
  void AntesDaPesquisa();
  TCamposProcurar* campos_ = nullptr;   // owned by the edit; a new one for each search
  bool ValidaSelecao();
  bool varios_ = false;           // the text holds several codes
  bool selecaoDoTexto_ = false;   // the selection came from a typed list
  bool found_ = false;
  bool rejeitado_ = false;
  bool validated_ = false;
  std::string validated_text_;
  std::string mensagem_;
  TCodigoRegistro registro_;
  bool multi_ = false;
  std::vector<std::pair<std::string, int64_t>> selecao_;
};

// The company code edit of the standard company screens (edCODEMP, required, showing the name in
// pnNOMEMP).
void PreparaEditEmpresa(TEdit_Codigo_Search_VYN& edCODEMP, TPanel& pnNOMEMP);

}  // namespace vyn
