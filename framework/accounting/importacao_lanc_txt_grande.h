#pragma once
// The staged side of the entry-text import: files too large for a review in memory are written to
// the work tables of a review session (TMP_VZEL_EMPRESAS_TLAN_TEMP and its companions), and the
// staged review reads each node from its session.
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/data/fb_database.h"
#include "framework/data/insere_linha.h"
#include "framework/schema/revisao_tabelas.h"

namespace vyn {

class TClientDataSet;
class TDAOFactory;
class TGravacaoAoFundo;
class TLancamentoMGR;

// What the importer knows of its source besides the lines: for a spreadsheet source its path and the
// row numbers of the sheet (each staged line keeps its sheet row in BDLINHA), and the review session.
// A caller importing a sheet makes one owned by the entry manager it calls GetImportacaoLancTxt on;
// the importer hands it to the staged review (made by the review otherwise).
class TDadosAdicionaisImportacaoTXT : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TDadosAdicionaisImportacaoTXT"; }
  std::string CaminhoPlanilha;
  bool IsPlanilha = false;
  int Sessao = 0;
  int UltimaLinha = 0;          // last row of the sheet
  int PrimeiraLinhaDados = 0;   // first data row (the rows above are the header)
  int LinhasFinais = 0;         // rows at the end of the sheet that are not data
  // The staging of the file's lines still under way behind the review, when it opened before the end;
  // owned by the importer, which outlives the review.
  TGravacaoAoFundo* AoFundo = nullptr;
};

// The staged review class: the importer stages its lines instead of holding them in memory.
inline constexpr const char* kClasseRevisaoArquivoGrande = "TfrConsultaImportacaoLancCCTxtHuge";
inline constexpr const char* kClasseRevisaoMemoria = "TfrConsultaImportacaoLancCCTxt";
bool RevisaoEmArquivoGrande(const std::string& classe);
// Whether the file at caminho is larger than the in-memory review takes: the installation's parameter
// LIMITE_REVISAO_MEMORIA (TPARAMETRO, BDVALORINT, bytes; 0 or absent: 8 MB, about 100,000 lines).
bool TamanhoExigeRevisaoEmEtapas(const std::string& caminho);

// A new session number (generator GEN_TMP_VZEL_SESSAO).
int NovaSessaoRevisao(TDatabase& db);

// Removes a session's rows from every work table (and its line problems) in one transaction; the
// staged review calls it when it closes, imported or not. Lines staged in the attachment's own table
// (kTabelaLancamentosAnexo) are seen and removed on that attachment only.
void ApagaSessaoArquivoGrande(TDatabase& db, int sessao);
// The same behind the caller, so that a review closes at once: on an attachment and a thread of their
// own, each row read again after the removal so that the database takes back its space then and the
// next reader of the work tables meets no leftovers. A removal that fails (or is cut short with the
// process) leaves the session to the next start's removal of abandoned sessions, as its session row
// goes with its lines. AguardaRemocoesSessoes waits for the removals under way (the host before it
// closes its database, a test before it looks at the work tables).
void ApagaSessaoArquivoGrandeAoFundo(const TDatabase& db, int sessao);
void AguardaRemocoesSessoes();
// The removal a closing review makes of its session, by where its lines are (tabela): lines private to
// db's attachment go here and now (no other attachment sees them, and they cost no shared page), the
// shared work table's behind the caller.
void EncerraSessaoArquivoGrande(TDatabase& db, int sessao, const std::string& tabela);
// The table of a session's staged lines: the shared work table, or the attachment's own for a session
// nobody reviews.
bool TabelaLancamentosSessao(const std::string& tabela);
// Removes the sessions whose attachment is gone (reviews that never closed: a killed process); only
// the sessions the database lets this attachment judge (its own user's, or all for SYSDBA).
// Answers how many were removed.
int ApagaSessoesAbandonadas(TDatabase& db);

// Writes the lines the importer filled (entry rows with BDLINHA, cost centres, long complements) into
// a new session of the work tables in one transaction, after removing the abandoned sessions;
// answers the session.
int GravaSessaoArquivoGrande(TDatabase& db, TClientDataSet& lancamentos, TClientDataSet& centros,
                             TClientDataSet& complementos);

// The same writing a part at a time, so that the lines never have to be in memory all at once: the
// session is made when this is, each Grava writes the rows the data sets hold then, and Conclui
// commits. Everything goes in one transaction (a session left unconcluded leaves nothing behind), unless
// the writer commits it a stretch at a time (ConcluiTrecho): a review opened on the first stretch shows
// it while the rest is written.
class TGravacaoSessaoArquivoGrande {
 public:
  // anexo: the attachment the session belongs to when it is not db's own (a staging behind a review
  // writes on an attachment of its own, which ends before the review does); the removal of abandoned
  // sessions judges the session by it. tabela: where the lines go (TabelaLancamentosSessao); the
  // attachment's own table only when db is the attachment that reads the session.
  explicit TGravacaoSessaoArquivoGrande(TDatabase& db, int64_t anexo = 0, const char* tabela = kTabelaLancamentosTemp);
  ~TGravacaoSessaoArquivoGrande();
  TGravacaoSessaoArquivoGrande(const TGravacaoSessaoArquivoGrande&) = delete;
  TGravacaoSessaoArquivoGrande& operator=(const TGravacaoSessaoArquivoGrande&) = delete;
  int Sessao() const { return sessao_; }
  void Grava(TClientDataSet& lancamentos, TClientDataSet& centros, TClientDataSet& complementos);
  // Completes the lines written since the last stretch as Conclui does and commits them, the
  // transaction staying open for the next stretch; what is written after the last commit goes if the
  // writer never gets that far.
  void ConcluiTrecho();
  // Commits; answers the session.
  int Conclui();

 private:
  // The lines written since the last stretch: their rural-producer and real-estate rows (a company with
  // that profile), and a long complement kept in its own table only.
  void CompletaTrecho();
  TDatabase& db_;
  const char* tabela_;
  int sessao_;
  TTransaction tx_;
  TInsereLinha lancamentos_, centros_, complementos_;
  std::set<int> empresas_;   // the companies of the lines staged so far
  // The highest provisional key written, and the highest of the stretches completed (keys grow with
  // the file's lines).
  int64_t gravadaAte_ = std::numeric_limits<int32_t>::min();
  int64_t completadaAte_ = std::numeric_limits<int32_t>::min();
};

// The staged node: the entry manager over the session's rows (writes go through to the work table by
// key) and its details in the order of the review's detail bar: cost centres, observations,
// developer, rural producer, explanatory note.
struct TNodoSessao {
  TLancamentoMGR* Lancamentos = nullptr;
  std::vector<TDAOFactory*> Detalhes;
};
// Unattended, the node holds its first page only: the run reads the session a page at a time. In a
// review a user works in, the node fetches its lines in packets of kLinhasPorPacoteRevisao, in key
// order, as the grid goes down; what needs every line fetches the rest first.
inline constexpr int kLinhasPorPacoteRevisao = 50;
TNodoSessao AbreSessaoArquivoGrande(TComponent& owner, TDatabase& db, int sessao,
                                    const char* tabela = kTabelaLancamentosTemp);

// An unattended run never shows its lines, so its staged entry node holds a page of the session at a
// time (in key order) and the run goes over the session page by page: the file's size never has to fit
// in memory.
inline constexpr int kLinhasPorPaginaSessao = 20000;
bool SessaoEmPaginas(const TDAOFactory* dao);
// The lines of a paged node's session now, all pages together.
int64_t LinhasDaSessao(TDAOFactory& dao);

// Goes over the session of a paged node: each Proxima loads the next page into the node's data set
// (the lines with keys above the last page's, as the work table holds them then) and answers false
// when none is left. The node's own query is read again when the pages are done. colunas: the
// columns a pass reads (with the work table's key, BDSESSAO, BDCODEMP, BDCHAVE, its rows are written
// through as ever); a pass that reads few need not carry the rest.
class TPaginasSessao {
 public:
  explicit TPaginasSessao(TDAOFactory& dao, std::string colunas = "*");
  ~TPaginasSessao();
  TPaginasSessao(const TPaginasSessao&) = delete;
  TPaginasSessao& operator=(const TPaginasSessao&) = delete;
  bool Proxima();
  // Reads the node's own query again now (the destructor does it otherwise, swallowing a failure).
  void Restaura();
  // Gives the node its own query back unread and holding no rows, for a caller that reloads the node
  // anyway before anything reads it.
  void RestauraSemLer();
  // The lines the pages held, all pages together.
  int64_t Lidas() const { return lidas_; }

 private:
  TDAOFactory& dao_;
  std::string colunas_;
  std::string sql_;
  TParams params_;
  int64_t ultima_ = std::numeric_limits<int32_t>::min();
  int linhasPagina_ = 0;
  int64_t lidas_ = 0;
  bool primeira_ = true;
  bool restaurada_ = false;
};
// Reloads the multiple-entry parts of the session into the manager's multiple-entry data set.
void CarregaMultiLancamentosSessao(TLancamentoMGR& lancamentos);

}  // namespace vyn
