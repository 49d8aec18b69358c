#pragma once
// The entry-text import: the suite's text layout of entry files, the staging of its lines in the data
// sets an entry review shows, and the unattended import manager of client folders.
//
// Layout: one record per line, fields split by the caller's separator; a field may be quoted ("..."
// with "" inside). Blank lines and lines starting with '#' are skipped. The first field is the kind:
//   L, company, date DD/MM/YYYY, debit account, credit account, value (1234.56 or "1.234,56"),
//      history, complement, document, batch, debit participant, credit participant[, note[, books]]
//   C, cost centre, cost-centre account, D or C, value        (a cost-centre row of the previous L)
//   P, participant code, short name, name, CNPJ/CPF[, address ..., country]
//      (a participant record: the registry columns of kColunasParticipanteTxt, in that order)
// An empty company is the company of the import.
//
// With a plan-change code (a mapping plan), the file is taken as written in the mapping plan's "from"
// chart: its accounts are translated through the plan's account pairs (VINT_BASE_TINTONLINE_CONTA).
//
// With "rewrite complements from histories with variables" on, a line whose history (in its company's
// history plan) has a text with variables takes that text as its complement, the variables replaced:
// #COMPL the complement the file gave, #DOC the document, #DATA the date (DD/MM/YYYY).
#include <functional>
#include <iosfwd>
#include <iterator>
#include <set>
#include <memory>
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

// A participant record: its code, then the registry columns in the order of kColunasParticipanteTxt
// (those the record leaves out at its end are empty).
struct TColunaParticipanteTxt {
  const char* Coluna;    // the registry column (and the review's field)
  const char* Campo;     // how a refusal names it
  TFieldType Tipo;       // ftString (ftLargeint: digits only, as registry numbers are kept), ftInteger, ftDate
  size_t Tamanho;        // characters a text holds
};
inline constexpr TColunaParticipanteTxt kColunasParticipanteTxt[] = {
    {"BDAPELIDOTER", "apelido do participante", TFieldType::ftString, 40},
    {"BDNOMETER", "nome do participante", TFieldType::ftString, 150},
    {"BDCGCTER", "CNPJ/CPF do participante", TFieldType::ftLargeint, 14},
    {"BDLOGRTER", "logradouro", TFieldType::ftString, 20},
    {"BDENDTER", "endereço", TFieldType::ftString, 150},
    {"BDNUMTER", "número", TFieldType::ftString, 10},
    {"BDCOMPTER", "complemento do endereço", TFieldType::ftString, 60},
    {"BDBAITER", "bairro", TFieldType::ftString, 60},
    {"BDCEPTER", "CEP", TFieldType::ftLargeint, 8},
    {"BDCODCID", "cidade", TFieldType::ftInteger, 0},
    {"BDIETER", "inscrição estadual", TFieldType::ftString, 20},
    {"BDIMTER", "inscrição municipal", TFieldType::ftString, 20},
    {"BDINSCSUFRAMATER", "inscrição Suframa", TFieldType::ftString, 20},
    {"BDDDDTER", "DDD", TFieldType::ftString, 4},
    {"BDFONETER", "telefone", TFieldType::ftString, 15},
    {"BDDDDFAXTER", "DDD do fax", TFieldType::ftString, 4},
    {"BDFAXTER", "fax", TFieldType::ftString, 15},
    {"BDDATACADTER", "data de cadastro", TFieldType::ftDate, 0},
    {"BDEMAILTER", "e-mail", TFieldType::ftString, 100},
    {"BDCODPAIS", "país", TFieldType::ftInteger, 0},
};
inline constexpr size_t kQtdColunasParticipanteTxt = std::size(kColunasParticipanteTxt);

struct TParticipanteTxt {
  int Codigo = 0;
  std::vector<Variant> Valores;   // one per kColunasParticipanteTxt; null when not given
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
// The same reading without holding the file: `proxima` gives one line at a time (false at the end);
// each entry line reaches `lancamento` with its cost centres once the record after it shows it
// complete. Participants and refused lines collect in `resto`, whose Lancamentos stay empty.
void LeArquivoLancamentosTxt(const std::function<bool(std::string&)>& proxima, char separador, int codEmpPadrao,
                             const std::function<void(TLinhaLancamentoTxt&)>& lancamento,
                             TArquivoLancamentosTxt& resto);
// The codes of the participants the file declares (the participant records the reading takes),
// wherever they stand: a first pass, so that a line may name a participant declared after it.
std::set<int> ParticipantesDeclaradosTxt(const std::function<bool(std::string&)>& proxima, char separador);
// The participant records themselves, in the file's order (a record the reading refuses is left out).
std::vector<TParticipanteTxt> ParticipantesDoArquivoTxt(const std::function<bool(std::string&)>& proxima,
                                                        char separador);

// The identity of an entry-file line in the record of booked sources: the entry it holds (company, day,
// the accounts and participants the file gave, value, history, complement and document, their texts
// trimmed; the file's name, encoding and line ends play no part) and its place (ocorrencia, from 1)
// among the equal entries of its file. A corrected or grown file keeps the identity of the lines it
// did not change; two equal lines of one file stay two sources.
std::string ChaveFonteLinhaTxt(const TLinhaLancamentoTxt& l, int ocorrencia);
// The identities of a file's lines as they are read, each with its place among the equal entries met
// before it, in little memory however long the file.
class TChavesLinhasTxt {
 public:
  TChavesLinhasTxt();
  ~TChavesLinhasTxt();
  std::string Proxima(const TLinhaLancamentoTxt& l);

 private:
  struct TOcorrencias;
  std::unique_ptr<TOcorrencias> ocorrencias_;
};

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
