#pragma once
// The spreadsheet road of the entry-text import. A workbook (.xlsx or .xls, told by its content) holds
// the text layout's records one per row of its first sheet, a field per cell in the layout's order
// (importacao_lanc_txt.h): the rows go through the same reader, checks and messages as a text file's
// lines, with the sheet's row as the line number. The rows above the first record are the sheet's
// header and those below the last record its closing rows (totals); both are left as they are.
// A row counts as a record when its first cell names a record kind (L, C, P) or its third cell holds
// a date, as an entry's does, so a mistyped kind is refused with its row rather than taken for a header.
//
// Such a source is always reviewed staged, and its review's engine writes the copy of the sheet
// holding the rows left unimported (TDadosAdicionaisImportacaoTXT carries the sheet's rows).
#include <set>
#include <string>
#include <vector>

#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/data/pasta_trabalho.h"

namespace vyn {

class TInconsistencias_VYN;
class TPlanilhaVYN;

// A sheet source's additional data: besides the sheet's rows, where this import's messages start in
// the run's list, so that the rows refused before staging are known to the copy of the rows left.
class TDadosAdicionaisPlanilha : public TDadosAdicionaisImportacaoTXT {
 public:
  using TDadosAdicionaisImportacaoTXT::TDadosAdicionaisImportacaoTXT;
  std::string ClassName() const override { return "TDadosAdicionaisPlanilha"; }
  TInconsistencias_VYN* Mensagens = nullptr;
  size_t PrimeiraMensagem = 0;
  // The rows this import refused before staging (reading, period, company, participant).
  std::set<int> LinhasRecusadas() const;
};

struct TPlanilhaLancamentosTxt {
  std::string Texto;             // one line per sheet row, line N being row N, up to the last record
  int PrimeiraLinhaDados = 0;    // the first record's row (0: no record)
  int UltimaLinha = 0;           // the sheet's last row
  int LinhasFinais = 0;          // rows after the last record
};
TPlanilhaLancamentosTxt PlanilhaParaLancamentosTxt(const TLinhasPlanilha& linhas);

// The row a message of the import refuses before staging ("Linha N do arquivo não importada..."); 0
// for any other message.
int LinhaRecusadaNaMensagem(const std::string& mensagem);

// The sheet rows a copy of the unimported lines keeps, highest first: each row left (deixadas) with
// the cost-centre rows that follow it, and, when any row is kept, the rows declaring participants
// (the kept lines may name them). A cost-centre row whose entry row is not kept goes with it.
std::vector<int> LinhasMantidasPlanilha(const TPlanilhaVYN& planilha, const std::set<int>& deixadas);

}  // namespace vyn
