#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge_Util.h"

#include <filesystem>
#include <set>

#include "entryimport/review/uConsultaImportacaoLancCCTxt_Util.h"
#include "framework/accounting/importacao_lanc_planilha.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/core/text.h"
#include "framework/data/planilha_servico.h"
#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/inconsistencias.h"

namespace integracao {

using namespace vyn;

TUtilImportacao_LancCC_Treeview::TUtilImportacao_LancCC_Treeview(TComponent* owner)
    : TUtilImportacao_LancCC_Comum(owner) {}

bool TUtilImportacao_LancCC_Treeview::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TUtilImportacao_LancCC_Treeview") ||
         TUtilImportacao_LancCC_Comum::InheritsFrom(class_name);
}

void TUtilImportacao_LancCC_Treeview::GetAntesFinalizarProcesso() {
  TUtilImportacao_LancCC_Comum::GetAntesFinalizarProcesso();
  GeraTransacoesAutomaticas(FCodEmp);
  MarcaArquivoImportado();
}

// Runs inside the transaction that writes the entries: the client file is marked imported with them.
void TUtilImportacao_LancCC_Treeview::GetAposChaveServidor() {
  TUtilImportacao_LancCC_Comum::GetAposChaveServidor();
  IArquivoClienteImportacao* arquivo = nullptr;
  for (TComponent* c = Owner(); c && !arquivo; c = c->Owner()) arquivo = dynamic_cast<IArquivoClienteImportacao*>(c);
  if (arquivo) arquivo->MarcaArquivoClienteImportado();
}

void TUtilImportacao_LancCC_Treeview::confirmaNotasIntegracaoArquivosClientes() {
  TUtilImportacao_LancCC_Comum::confirmaNotasIntegracaoArquivosClientes();
  const IArquivoClienteImportacao* arquivo = nullptr;
  for (TComponent* c = Owner(); c && !arquivo; c = c->Owner()) arquivo = dynamic_cast<IArquivoClienteImportacao*>(c);
  if (!arquivo || !Inconsistencias()) return;
  const int empresa = arquivo->CodEmpArquivoCliente();
  const int ordem = arquivo->OrdemArquivoCliente();
  TDatabase* db = ProcessContext().Database;
  if (!db || Inconsistencias()->Count() == 0) return;
  // Numbered 1, 2, 3 ... per file, all of the file's rows in one commit.
  TTransaction tx(*db, TTransaction::kJuntaAberta);
  TStatement& insere = db->Prepared(
      "INSERT INTO TINTEGRACAO_ARQ_CLIENTE_INCONS (BDCODEMP,BDORDEM, BDORDEMINCONS, BDINCONSISTENCIA,  "
      "BDCATEGORIAINCONSISTENCIA) VALUES (?, ?, (SELECT COALESCE(MAX(BDORDEMINCONS),0) +1 FROM "
      "TINTEGRACAO_ARQ_CLIENTE_INCONS WHERE BDCODEMP = ? AND BDORDEM = ?), ?, ?)");
  for (const TInconsistenciaItem& item : Inconsistencias()->Itens())
    insere.Execute({empresa, ordem, empresa, ordem,
                    TextoParaColuna(*db, "TINTEGRACAO_ARQ_CLIENTE_INCONS", "BDINCONSISTENCIA", RemoveCaret(item.Caption)),
                    static_cast<int>(item.Nivel)});
  tx.Commit();
}

std::vector<int> LinhasPlanilhaExcluir(const std::vector<int>& linhasDesc, int ultimaLinha, int linhasFinais,
                                       int primeiraLinhaDados) {
  std::vector<int> r;
  int p = ultimaLinha - linhasFinais;
  for (int l : linhasDesc) {
    for (int i = p; i > l; --i) r.push_back(i);
    p = l - 1;
  }
  for (int i = p; i >= primeiraLinhaDados; --i) r.push_back(i);
  return r;
}

void TUtilImportacao_LancCC_Treeview::ClearListaDAO() {
  TUtilImportacao_LancCC_Comum::ClearListaDAO();
  FArquivoPlanilha.clear();
  if (!FDadosAdicionais || !FDadosAdicionais->IsPlanilha) return;
  std::unique_ptr<TPlanilhaVYN> planilha = GetInstanciaExcel();
  if (!planilha->IsOpenOffice()) planilha->SetPreparacao(false);
  planilha->Abrir(FDadosAdicionais->CaminhoPlanilha);
  const std::filesystem::path origem(FDadosAdicionais->CaminhoPlanilha);
  const std::string destino =
      planilha->CaminhoGravacao((origem.parent_path() / ("naoimportados_" + origem.filename().string())).string());

  auto q = std::make_unique<TSQLMGR>();
  // A session's lines are in one of the two tables (an unattended run's in its attachment's own).
  q->CommandText(std::string("select BDLINHA from ") + kTabelaLancamentosTemp + " where BDSESSAO = ? union all select "
                     "BDLINHA from " + kTabelaLancamentosAnexo + " where BDSESSAO = ?",
                 ctOpen, {FDadosAdicionais->Sessao, FDadosAdicionais->Sessao});
  // Left unimported: the lines still staged and the rows refused before staging (read, period,
  // company), which the copy is for as much as the others.
  std::set<int> deixadas;
  for (q->First(); !q->Eof(); q->Next())
    if (!q->FieldByName("BDLINHA").IsNull()) deixadas.insert(static_cast<int>(q->FieldByName("BDLINHA").AsInteger()));
  if (const auto* p = dynamic_cast<const TDadosAdicionaisPlanilha*>(FDadosAdicionais))
    for (int linha : p->LinhasRecusadas()) deixadas.insert(linha);
  const std::vector<int> linhas = LinhasMantidasPlanilha(*planilha, deixadas);
  if (linhas.empty()) {
    std::error_code ec;
    std::filesystem::remove(destino, ec);
    return;
  }
  for (int n : LinhasPlanilhaExcluir(linhas, FDadosAdicionais->UltimaLinha, FDadosAdicionais->LinhasFinais,
                                     FDadosAdicionais->PrimeiraLinhaDados))
    planilha->ExcluiLinha(n);
  planilha->SalvarComo(destino);
  FArquivoPlanilha = destino;
}

void TUtilImportacao_LancCC_Treeview::MostraMensagemFimImportacao(const std::string& texto) {
  if (IsUnattended() || !FDadosAdicionais || !FDadosAdicionais->IsPlanilha || FArquivoPlanilha.empty()) {
    TUtilImportacao_LancCC_Comum::MostraMensagemFimImportacao(texto);
    return;
  }
  if (MessageDlgVYNGlobal(texto, mtInformation, mbYes | mbOK, {"Abrir arquivo", "Ok"}) == mrYes)
    ShellExecuteVYN(FArquivoPlanilha);
}

}  // namespace integracao
