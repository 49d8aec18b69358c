#include "entryimport/review/uConsultaImportacaoLancCCTxt_Util.h"

#include "framework/accounting/contabilizacao_mgr.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/lancamento_complementos.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/ui/edit_codigo.h"

namespace integracao {

using namespace vyn;

namespace {
bool EhLancamentos(const std::string& caption) { return UpperCase(caption) == UpperCase(kNodoLancamentos); }
}  // namespace

void TUtilImportacao_LancCC_Comum::GetAposInconsistencia() {
  TUtilImportacao_Integracao_Treeview::GetAposInconsistencia();
  if (FOnAposInconsistencia) FOnAposInconsistencia();
}

void TUtilImportacao_LancCC_Comum::GetAntesValidacao() {
  TUtilImportacao_Integracao_Treeview::GetAntesValidacao();
  if (FOnAntesValidacao) FOnAntesValidacao();
}

void TUtilImportacao_LancCC_Comum::ProcessosClassesFilhasAposImportacao() {
  TUtilImportacao_Integracao_Treeview::ProcessosClassesFilhasAposImportacao();
  FConcluida = true;
}

void TUtilImportacao_LancCC_Comum::MarcaArquivoImportado() {
  // A run that wrote nothing (every line refused, an empty file) leaves the file offered by the service
  // for another try.
  if (Importadas().empty() && Liquidadas().empty() && FJaLancados.empty()) return;
  // Nor is the file told integrated while a line of it is not booked (refused, left out, a rest left):
  // it stays offered, and its next import books only what its lines' accounts say is left.
  if (FRecusadasNaLeitura > 0) return;
  for (const TResumoImportacao& r : Resumo())
    if (r.NaoImportados > 0) return;
  // The feeder screen (the Dyq screen) reports its file as integrated.
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (auto* m = dynamic_cast<IMarcaImportado*>(c)) {
      m->MarcarComoImportado();
      break;
    }
}

void TUtilImportacao_LancCC_Comum::GeraTransacoesAutomaticas(TEdit_Codigo_Search_VYN* codEmp) {
  TfrImportacao_Padrao_Itens_TreeView_VYN* tela = Tela();
  if (!FTransacaoAuto || !tela) return;
  TVZEL_EMPRESAS_TVINCTRANSACAOMGR* mgr = nullptr;
  for (const TResumoImportacao& r : Resumo()) {
    if (!EhLancamentos(r.Caption) || r.Registros == r.NaoImportados) continue;
    if (!mgr) mgr = tela->Create<TVZEL_EMPRESAS_TVINCTRANSACAOMGR>(true);
    try {
      mgr->GerarTransacoes(tela, codEmp, FDtIni, FDtFim, 0, false, true, false, FSelecionaFilial, 0);
    } catch (...) {
      tela->FreeComponent(mgr);
      throw;
    }
  }
  if (mgr) tela->FreeComponent(mgr);
}

TUtilImportacao_LancCC_TreeviewNormal::TUtilImportacao_LancCC_TreeviewNormal(TComponent* owner)
    : TUtilImportacao_LancCC_Comum(owner) {}

bool TUtilImportacao_LancCC_TreeviewNormal::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TUtilImportacao_LancCC_TreeviewNormal") ||
         TUtilImportacao_LancCC_Comum::InheritsFrom(class_name);
}

void TUtilImportacao_LancCC_TreeviewNormal::GetChaveServidor() {
  TUtilImportacao_LancCC_Comum::GetChaveServidor();
  for (TNodoImportacao* n : Nodos()) {
    if (!EhLancamentos(n->Caption) || !n->DAO) continue;
    TDAOFactory& ds = *n->DAO;
    const TFilterGuard restaura(ds);
    const std::string& filtro = restaura.Filter();
    if (FDAOEmp && FDAOEmp->RecordCount() >= 2) {
      for (FDAOEmp->First(); !FDAOEmp->Eof(); FDAOEmp->Next()) {
        const std::string empresa = FDAOEmp->FieldByName("BDCODEMP").AsString();
        const std::string condicao = "(BDCODEMP = " + empresa + ")";
        ds.SetFiltered(false);
        ds.SetFilter(filtro);
        std::string f = Trim(filtro).empty() ? std::string() : "(" + filtro + ") and ";
        ds.SetFilter(f + " " + condicao);
        ds.SetFiltered(true);
        if (ds.RecordCount() > 0) {
          const int primeira = TContabilizacaoMGR::GetChaveLancamento(
              static_cast<int>(FDAOEmp->FieldByName("BDCODEMP").AsInteger()), ds.RecordCount(), true);
          SetChaveServidor(&ds, "BDCHAVE", primeira, true, 0, 0, nullptr, condicao);
        }
      }
    } else {
      // One company: every row of the node, the user's filter aside.
      ds.SetFiltered(false);
      if (ds.RecordCount() > 0) {
        const int empresa = CodEmp() ? static_cast<int>(CodEmp()->Codigo()) : 0;
        const int primeira = TContabilizacaoMGR::GetChaveLancamento(empresa, ds.RecordCount(), true);
        SetChaveServidor(&ds, "BDCHAVE", primeira, true, 0, 0, nullptr, "");
      }
    }
  }
}

void TUtilImportacao_LancCC_TreeviewNormal::GetAposChaveServidor() {
  TUtilImportacao_LancCC_Comum::GetAposChaveServidor();
  for (TNodoImportacao* n : Nodos()) {
    if (!EhLancamentos(n->Caption) || n->Aggregates.empty()) continue;
    TDAOFactory* cc = n->Aggregates.front();
    if (!dynamic_cast<TLancamentoCentroCustoMGR*>(cc)) continue;
    TDetachedDetail solto(*cc, true);
    cc->SetIndexFieldNames("");
    for (cc->First(); !cc->Eof(); cc->Next()) {
      auto it = n->ChavesNovas.find(cc->FieldByName("bdCHAVE").AsString());
      if (it == n->ChavesNovas.end() || it->second <= 0) continue;
      cc->Edit();
      cc->FieldByName("bdCHAVE").SetAsInteger(it->second);
      cc->Post();
    }
  }
}

void TUtilImportacao_LancCC_TreeviewNormal::GetAntesFinalizarProcesso() {
  TUtilImportacao_LancCC_Comum::GetAntesFinalizarProcesso();
  GeraTransacoesAutomaticas(CodEmp());
  MarcaArquivoImportado();
}

void TUtilImportacao_LancCC_TreeviewNormal::ConfirmarNotasTarvo() {
  TUtilImportacao_LancCC_Comum::ConfirmarNotasTarvo();
}

}  // namespace integracao
