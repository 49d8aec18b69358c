#pragma once
// The entry-text import: the suite's text layout of entry files, the staging of its lines in the data
// sets an entry review shows, and the unattended import manager of client folders.
//
// Layout: one record per line, fields split by the caller's separator; a field may be quoted ("..."
// with "" inside). Blank lines and lines starting with '#' are skipped. The first field is the kind:
//   L, company, date DD/MM/YYYY, debit account, credit account, value (1234.56 or "1.234,56"),
//      history, complement, document, batch, debit participant, credit participant[, note[, books]]
//   C, cost centre, cost-centre account, D or C, value        (a cost-centre row of the previous L)
//   P, participant code, short name, name, CNPJ/CPF           (a participant record)
// An empty company is the company of the import.
//
// With a plan-change code (a mapping plan), the file is taken as written in the mapping plan's "from"
// chart: its accounts are translated through the plan's account pairs (VINT_BASE_TINTONLINE_CONTA).
//
// With "rewrite complements from histories with variables" on, a line whose history (in its company's
// history plan) has a text with variables takes that text as its complement, the variables replaced:
// #COMPL the complement the file gave, #DOC the document, #DATA the date (DD/MM/YYYY).
#include <iosfwd>
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TInconsistencias_VYN;
class TSelecionaFiliais_VYN;
class TSpeedButton;
class TCheckBox;

struct TLinhaCentroCustoTxt {
  int Centro = 0;
  int Conta = 0;
  int DebCre = 0;
  Currency Valor;
};

struct TLinhaLancamentoTxt {
  int Linha = 0;   // line number in the file
  int CodEmp = 0;
  TDateTime Data;
  int Debito = 0;
  int Credito = 0;
  Currency Valor;
  int Historico = 0;
  std::string Complemento;
  std::string Documento;
  int Lote = 0;
  int ParticipanteD = 0;
  int ParticipanteC = 0;
  std::string NotaExplicativa;
  int Contabilizacao = 0;
  std::vector<TLinhaCentroCustoTxt> CentrosCusto;
  // The accounts as the file gave them when a mapping plan translated them; -1 when not translated.
  int DebitoArquivo = -1;
  int CreditoArquivo = -1;
};

struct TParticipanteTxt {
  int Codigo = 0;
  std::string Apelido, Nome, Cnpj;
};

struct TArquivoLancamentosTxt {
  std::vector<TLinhaLancamentoTxt> Lancamentos;
  std::vector<TParticipanteTxt> Participantes;
  std::vector<std::string> Erros;   // one sentence per refused line
};

// Splits one record, honouring quotes.
std::vector<std::string> SeparaCamposTxt(const std::string& linha, char separador);
// Reads the file; refused lines are described in Erros and left out.
TArquivoLancamentosTxt LeArquivoLancamentosTxt(std::istream& in, char separador, int codEmpPadrao);

// The entry lines of a review in memory, owned by owner: the columns the reviews show and read.
TDAOFactory* CriaDAOLancamentosRevisao(TComponent* owner);

// The unattended import of one entry file (client folders): the setters in the order the callers use
// them, then Execute; an empty list afterwards means success.
class TImportacaoLancamentoContabilTxtMgr : public TComponent {
 public:
  explicit TImportacaoLancamentoContabilTxtMgr(TComponent* owner = nullptr) : TComponent(owner) {}
  std::string ClassName() const override { return "TImportacaoLancamentoContabilTxtMgr"; }
  static TImportacaoLancamentoContabilTxtMgr* CreateMgr(TComponent* owner);

  void SetOwner(TComponent* o) { owner_ = o; }
  void SetTypeSistema(int t) { tipoSistema_ = t; }
  void SetTypeLancamento(int t) { tipoLancamento_ = t; }
  void SetCodEmp(TEdit_Codigo_Search_VYN* e) { codEmp_ = e; }
  void SetArquivo(TEdit_Diretorio_Padrao_VYN* e) { arquivo_ = e; }
  void SetEditCodPlaTrocaInt(TEdit_Codigo_Search_VYN* e) { codPlaTroca_ = e; }
  void SetEditCkRateioAutomatico(TComponent*) {}
  void SetToolButtonTransacaoAut(TSpeedButton* b) { transacaoAut_ = b; }
  void SetDataIni(TDateTime d) { dataIni_ = d; }
  void SetDataFim(TDateTime d) { dataFim_ = d; }
  void setTipoImportacaoAutomatica(int t) { tipoAutomatica_ = t; }
  void SetEditCodGeradorImpLanc(TEdit_Codigo_Search_VYN*) {}
  void SetEditCkAlterarComplemento(TCheckBox* c) { alterarComplemento_ = c; }
  void SetSeqValidacaoParticipante(int) {}
  void SetInconsistencias_VYN(TInconsistencias_VYN* l) { inconsistencias_ = l; }
  // The review class the import runs through (unattended).
  std::string ClasseRevisao = "TfrConsultaImportacaoLancCCTxt";
  // Lines equal to entries already posted are not imported again (TLancamentoMGR::CompararLancamentos).
  bool CompararLancamentos = false;

  void Execute();

 private:
  TComponent* owner_ = nullptr;
  int tipoSistema_ = 4;
  int tipoLancamento_ = 1;
  int tipoAutomatica_ = 0;
  TEdit_Codigo_Search_VYN* codEmp_ = nullptr;
  TEdit_Codigo_Search_VYN* codPlaTroca_ = nullptr;
  TEdit_Diretorio_Padrao_VYN* arquivo_ = nullptr;
  TSpeedButton* transacaoAut_ = nullptr;
  TCheckBox* alterarComplemento_ = nullptr;
  TDateTime dataIni_, dataFim_;
  TInconsistencias_VYN* inconsistencias_ = nullptr;
};

}  // namespace vyn
