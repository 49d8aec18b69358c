#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include <fmt/format.h>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "framework/accounting/contabilizacao_mgr.h"
#include "framework/accounting/itens_conciliados.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/component/lista_obj.h"
#include "framework/core/currency.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/livros/lancamentos_avulsos.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/parametros_revisao.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

bool EhNodo(const TNodoImportacao& n, const char* caption) { return UpperCase(n.Caption) == UpperCase(caption); }

// Carries the new keys of the lines into a column of a dependent data set (links, split rows).
void RemapeiaChaves(TClientDataSet* ds, const char* campo, const std::map<std::string, int>& novas) {
  if (!ds || !ds->Active() || !ds->FindField(campo)) return;
  TFilterGuard filtro(*ds, TFilterGuard::kAllRows);
  std::vector<TBookmark> linhas;
  for (ds->First(); !ds->Eof(); ds->Next()) linhas.push_back(ds->GetBookmark());
  for (TBookmark b : linhas) {
    ds->GotoBookmark(b);
    if (ds->FieldByName(campo).IsNull()) continue;
    auto it = novas.find(std::to_string(ds->FieldByName(campo).AsInteger()));
    if (it == novas.end()) continue;
    ds->Edit();
    ds->FieldByName(campo).SetAsInteger(it->second);
    ds->Post();
  }
}

}  // namespace

bool TUtilImportacao_ExtratoBancario_Treeview::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TUtilImportacao_ExtratoBancario_Treeview") ||
         TUtilImportacao_Integracao_Treeview::InheritsFrom(class_name);
}

TfrConsultaImportacaoExtratoBancario* TUtilImportacao_ExtratoBancario_Treeview::Revisao() const {
  return dynamic_cast<TfrConsultaImportacaoExtratoBancario*>(Owner());
}

bool TUtilImportacao_ExtratoBancario_Treeview::getAmbienteTeste() const {
  if (!FLista || FLista->Count() <= preAmbienteTeste) return false;
  switch (FLista->Kind(preAmbienteTeste)) {
    case TListaObj::SlotKind::Integer: return FLista->GetInteger(preAmbienteTeste) != 0;
    case TListaObj::SlotKind::Component:
      if (auto* b = dynamic_cast<TBoolean_VYN*>(FLista->GetComponent(preAmbienteTeste))) return b->Value();
      if (auto* i = dynamic_cast<TInteger_VYN*>(FLista->GetComponent(preAmbienteTeste))) return i->Value() != 0;
      return false;
    default: return false;
  }
}

int TUtilImportacao_ExtratoBancario_Treeview::ContaBanco() const {
  if (auto* r = Revisao(); r && r->EditConta()) return static_cast<int>(r->EditConta()->Codigo());
  return 0;
}

bool TUtilImportacao_ExtratoBancario_Treeview::ConciliadoLadoBanco(const TClientDataSet& ds) const {
  const int64_t banco = ContaBanco();
  if (banco <= 0) return false;
  return (Int(ds, "BDCREDITO") == banco && Flag(ds, "BDCONCC")) || (Int(ds, "BDDEBITO") == banco && Flag(ds, "BDCONCD"));
}

void TUtilImportacao_ExtratoBancario_Treeview::SetInconsistenciaMulti(TClientDataSet& ds) {
  TFilterGuard filtro(ds, TFilterGuard::kAllRows);
  TBulkLoad umaVez(ds);
  // One walk groups each line with its split lines (same key): the run stays linear in the lines.
  struct TGrupo {
    std::vector<TBookmark> Linhas, Divisoes;
  };
  std::unordered_map<int64_t, TGrupo> grupos;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    const int64_t multi = Int(ds, "BDMULTLANC");
    if (multi == 0)
      grupos[Int(ds, "BDCHAVE")].Linhas.push_back(ds.GetBookmark());
    else if (multi == 1)
      grupos[Int(ds, "BDCHAVE")].Divisoes.push_back(ds.GetBookmark());
  }
  for (const auto& [chave, g] : grupos) {
    if (g.Divisoes.empty()) continue;
    for (TBookmark linha : g.Linhas) {
      ds.GotoBookmark(linha);
      int64_t m = Int(ds, "BDINCONSISTENTE");
      // A consistent line takes the first mark of its split lines; a marked line gives them its own.
      if (m == miConsistente)
        for (TBookmark b : g.Divisoes) {
          ds.GotoBookmark(b);
          if (Int(ds, "BDINCONSISTENTE") > miConsistente) {
            m = Int(ds, "BDINCONSISTENTE");
            ds.GotoBookmark(linha);
            campos::Grava(ds, "BDINCONSISTENTE", Variant(m));
            break;
          }
        }
      if (m != miConsistente)
        for (TBookmark b : g.Divisoes) {
          ds.GotoBookmark(b);
          if (Int(ds, "BDINCONSISTENTE") != m) campos::Grava(ds, "BDINCONSISTENTE", Variant(m));
        }
    }
  }
}

void TUtilImportacao_ExtratoBancario_Treeview::GetAposInconsistencia() {
  TUtilImportacao_Integracao_Treeview::GetAposInconsistencia();
  FConciliadas.clear();
  FLancamentosConciliados.clear();
  FConciliadasSemLancamento.clear();
  auto* tela = Revisao();
  auto* linhas = dynamic_cast<TLancamentoMGR*>(tela ? tela->DAOLinhas() : nullptr);
  const int banco = ContaBanco();
  if (!linhas || banco <= 0) return;
  // A line reconciled with entries already posted is booked by them: inside the run's write their
  // bank side is marked reconciled, and the line leaves the review once the run committed.
  TDatabase& db = linhas->Database();
  TFilterGuard filtro(*linhas, TFilterGuard::kAllRows);
  for (linhas->First(); !linhas->Eof(); linhas->Next()) {
    const int64_t emp = Int(*linhas, "BDCODEMP"), chave = Int(*linhas, "BDCHAVE");
    if (Int(*linhas, "BDINCONSISTENTE") == miForaDaImportacao || !getItensConciliados(*linhas, emp, chave)) continue;
    if (!ConciliadoLadoBanco(*linhas)) {
      RemoveItensConciliados(*linhas, emp, chave);   // the line's bank side changed since it was matched
      continue;
    }
    const std::vector<int64_t> conciliadas = ChavesConciliadas(*linhas, emp, chave);
    for (int64_t conc : conciliadas) MarcaConciliado(db, emp, conc, banco, false);
    FConciliadas.push_back(linhas->GetBookmark());
    if (!conciliadas.empty()) FLancamentosConciliados[linhas->GetBookmark()] = static_cast<int>(conciliadas.front());
  }
}

void TUtilImportacao_ExtratoBancario_Treeview::GetChaveServidor() {
  TUtilImportacao_Integracao_Treeview::GetChaveServidor();
  auto* tela = Revisao();
  const int empresa = CodEmp() ? static_cast<int>(CodEmp()->Codigo()) : 0;
  for (TNodoImportacao* n : Nodos()) {
    if (!n->DAO || n->DAO->IsEmpty()) continue;
    if (EhNodo(*n, kNodoLancamentos)) {
      SetInconsistenciaMulti(*n->DAO);
      const int primeira = TContabilizacaoMGR::GetChaveLancamento(empresa, n->DAO->RecordCount(), true);
      SetChaveServidor(n->DAO, "BDCHAVE", primeira, true, 0, 0, nullptr, "");
      // Links and split rows follow their lines to the new keys.
      if (tela && tela->ProcessoBaixas()) {
        for (TClientDataSet* v : {tela->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA,
                                  tela->ProcessoBaixas()->cdsVINC_EXT_BAN_COMP_BAIXA}) {
          RemapeiaChaves(v, "BDCHAVE", n->ChavesNovas);
          RemapeiaChaves(v, "BDCHAVEPAI", n->ChavesNovas);
        }
      }
      if (tela && tela->DAOMulti()) {
        TClientDataSet& m = *tela->DAOMulti();
        TDetachedDetail solto(m);
        RemapeiaChaves(&m, "BDCHAVE", n->ChavesNovas);
        for (TClientDataSet* cc : tela->CentrosCustoMulti) {
          if (!cc) continue;
          TDetachedDetail ccSolto(*cc);
          RemapeiaChaves(cc, "BDCHAVE", n->ChavesNovas);
        }
      }
      // The entries' cost-centre rows are written under their entries' keys.
      for (TDAOFactory* a : n->Aggregates) RemapeiaChaves(a, "BDCHAVE", n->ChavesNovas);
      // Rules made from lines keep naming their line: a run that does not complete must not make
      // the next one take its ticked lines for new ones.
      if (tela && tela->DAOPreparacoes()) RemapeiaChaves(tela->DAOPreparacoes(), "BDCHAVELANC", n->ChavesNovas);
      // The Y570 data typed for a line goes with it to its entry's key.
      if (tela && tela->Y570DAO()) {
        TDetachedDetail solto(*tela->Y570DAO());
        RemapeiaChaves(tela->Y570DAO(), "BDCHAVE", n->ChavesNovas);
      }
    } else if (auto* regras = dynamic_cast<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR*>(n->DAO);
               regras && EhNodo(*n, kNodoPreparacoes)) {
      // The company's stored rules keep their keys: only the rules to be written get new ones.
      if (const int novas = regras->ContaRegrasNovas(); novas > 0)
        SetChaveServidor(n->DAO, "BDCHAVE", TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::GetChaveLancamento(empresa, novas, true),
                         true, 0, 0, nullptr, kFiltroPreparacoesNovas);
    }
  }
}

bool TUtilImportacao_ExtratoBancario_Treeview::DeveImportarRegistroAtual(TDAOFactory& ds) {
  if (!dynamic_cast<TLancamentoMGR*>(&ds)) return true;
  // Lines the office returns to the client or refuses are reported, never booked.
  const int64_t status = Int(ds, "BDSTATUSWEB");
  if (status == 1 || status == 2) return false;
  auto* tela = Revisao();
  if (tela && tela->ForaPelaConta(ds)) return false;
  bool result = true;
  if (ConciliadoLadoBanco(ds)) {
    result = Int(ds, "BDINCONSISTENTE") == miForaDaImportacao;
    // Ticked "Conciliado" by hand with no posted entry behind it: nothing books it; the end message
    // names it.
    const TBookmark b = ds.GetBookmark();
    if (!result && std::find(FConciliadas.begin(), FConciliadas.end(), b) == FConciliadas.end())
      FConciliadasSemLancamento.push_back(
          fmt::format("{} ({})", Int(ds, "BDCHAVE"), Valor(ds, "BDVALOR").ToBR()));
  }
  // A linked split line is settled, never written as a plain entry: the run counts it settled (mark 1)
  // or, its settlement refused or incomplete, not imported; one its settlement never reached is left.
  if (result && Flag(ds, "BDVINC_BAIXA") && Int(ds, "BDMULTLANC") == 1 && Int(ds, "BDINCONSISTENTE") == miConsistente)
    result = false;
  // A line emptied by split entries of an earlier run is booked through them: it is not counted again.
  if (result && tela && Int(ds, "BDMULTLANC") == 0 && tela->PaiComDivisoesPendentes(ds.GetBookmark())) result = false;
  TClientDataSet* multi = tela ? tela->DAOMulti() : nullptr;
  auto divisoes = [&](auto&& cada) {
    if (!multi || Int(ds, "BDMULTLANC") == 1) return 0;
    // The link goes back before the filter: the guards leave in the reverse order they came.
    TFilterGuard filtro(*multi);
    TDetachedDetail solto(*multi);
    multi->SetFiltered(false);
    int n = 0;
    for (multi->First(); !multi->Eof(); multi->Next())
      if (Int(*multi, "BDCODEMP") == Int(ds, "BDCODEMP") && Int(*multi, "BDCHAVE") == Int(ds, "BDCHAVE")) {
        ++n;
        cada(*multi);
      }
    return n;
  };
  if (result) result = Valor(ds, "BDVALOR") > Currency() || divisoes([](TClientDataSet&) {}) == 0;
  // A settled line is booked by its settlement, prepared or not.
  const bool liquidada = Int(ds, "BDINCONSISTENTE") == miForaDaImportacao && Flag(ds, "BDVINC_BAIXA");
  if (result && FApenasPrep && !liquidada) {
    int64_t deb = Int(ds, "BDDEBITO");
    int64_t cre = Int(ds, "BDCREDITO");
    divisoes([&](TClientDataSet& m) {
      if (deb == 0 && Int(m, "BDDEBITO") != 0) deb = Int(m, "BDDEBITO");
      if (cre == 0 && Int(m, "BDCREDITO") != 0) cre = Int(m, "BDCREDITO");
    });
    // A split line is booked against its parent's bank side: its one account completes it.
    if (Int(ds, "BDMULTLANC") == 1 && (deb > 0) != (cre > 0)) {
      if (deb <= 0) deb = ContaBanco();
      if (cre <= 0) cre = ContaBanco();
    }
    result = deb > 0 && cre > 0;
    if (!result) {
      FTodosImportados = false;
      // Left out of this run only: the next run weighs it again.
      if (Int(ds, "BDINCONSISTENTE") != miForaDaImportacao) FForaPorPreparo.push_back(ds.GetBookmark());
      campos::Grava(ds, "BDINCONSISTENTE", Variant(miForaDaImportacao));
    }
  }
  return result;
}

void TUtilImportacao_ExtratoBancario_Treeview::DevolveForaPorPreparo(TDAOFactory& linhas) {
  std::vector<TBookmark> fora;
  fora.swap(FForaPorPreparo);
  TFilterGuard filtro(linhas, TFilterGuard::kAllRows);
  for (TBookmark b : fora) {
    if (!linhas.BookmarkValid(b)) continue;
    linhas.GotoBookmark(b);
    if (Int(linhas, "BDINCONSISTENTE") == miForaDaImportacao) campos::Grava(linhas, "BDINCONSISTENTE", Variant(miConsistente));
  }
}

void TUtilImportacao_ExtratoBancario_Treeview::GetAntesValidacao() {
  auto* tela = Revisao();
  if (!tela) return;
  // What the books hold of the lines decides, before anything is posted, which lines the run leaves out.
  if (Livros()) tela->ConfereFontes(*Livros());
  tela->PostaBaixas();
}

int TUtilImportacao_ExtratoBancario_Treeview::GravaNodoAdicional(TNodoImportacao& nodo) {
  // The rules node is written once per run, after the lines: the lines' Y570 data goes with it.
  if (auto* tela = Revisao(); tela && tela->Y570() && EhNodo(nodo, kNodoPreparacoes))
    tela->Y570()->GravaY570(nodo.DAO->Database(), Importadas());
  auto* regras = dynamic_cast<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR*>(nodo.DAO);
  if (!regras || !EhNodo(nodo, kNodoPreparacoes) || regras->IsEmpty()) return 0;
  return regras->GravaRegras(regras->Database());
}

void TUtilImportacao_ExtratoBancario_Treeview::MostraMensagemFimImportacao(const std::string& texto) {
  std::string t = texto;
  if (!FConciliadasSemLancamento.empty()) {
    std::string nomes;
    for (const std::string& n : FConciliadasSemLancamento) nomes += (nomes.empty() ? "" : ", ") + n;
    t += fmt::format(" {} lançamento(s) marcado(s) como conciliado(s) sem lançamento contábil não foram importados: {}.",
                     FConciliadasSemLancamento.size(), nomes);
  }
  TUtilImportacao_Integracao_Treeview::MostraMensagemFimImportacao(t);
}

size_t TUtilImportacao_ExtratoBancario_Treeview::ContaNaoImportados(size_t recusadasNaExecucao) const {
  auto* tela = Revisao();
  TDAOFactory* l = tela ? tela->DAOLinhas() : nullptr;
  if (!l) return TUtilImportacao_Integracao_Treeview::ContaNaoImportados(recusadasNaExecucao);
  // A line left with its split rows (or a receipt's parts) is one line, however many of them are left.
  const std::map<TBookmark, TBookmark> linhaDe = tela->LinhaDasDivisoes();
  std::set<TBookmark> restantes;
  TFilterGuard filtro(*l, TFilterGuard::kAllRows);
  const TBookmark onde = l->IsEmpty() ? 0 : l->GetBookmark();
  for (l->First(); !l->Eof(); l->Next()) {
    const TBookmark b = l->GetBookmark();
    if (const auto it = linhaDe.find(b); it != linhaDe.end()) {
      restantes.insert(it->second);
      continue;
    }
    // A line emptied by its split rows is not a line of its own: its split lines stand for it.
    if (Valor(*l, "BDVALOR") == Currency() && Int(*l, "BDINCONSISTENTE") == miForaDaImportacao) continue;
    restantes.insert(b);
  }
  if (onde && l->BookmarkValid(onde)) l->GotoBookmark(onde);
  return restantes.size() + static_cast<size_t>(FRecusadasNaLeitura);
}

long long TUtilImportacao_ExtratoBancario_Treeview::ContaImportados(int gravadasELiquidadas) const {
  return FLinhasImportadas >= 0 ? FLinhasImportadas : gravadasELiquidadas;
}

void TUtilImportacao_ExtratoBancario_Treeview::GetAposGravacao() {
  auto* tela = Revisao();
  TDAOFactory* l = tela ? tela->DAOLinhas() : nullptr;
  if (!l) return;
  std::set<std::pair<int, int>> gravadas(Importadas().begin(), Importadas().end());
  gravadas.insert(Liquidadas().begin(), Liquidadas().end());
  TFilterGuard filtro(*l, TFilterGuard::kAllRows);
  for (TBookmark b : FConciliadas)
    if (l->BookmarkValid(b)) {
      l->GotoBookmark(b);
      gravadas.insert({static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))});
    }
  for (const auto& pai : tela->PaisIntegradosPorDivisoes(gravadas)) gravadas.insert(pai);
  FCompletas.clear();
  if (Livros()) FCompletas = tela->RegistraFontes(*Livros(), gravadas);
}

void TUtilImportacao_ExtratoBancario_Treeview::ProcessosClassesFilhasAposImportacao() {
  TUtilImportacao_Integracao_Treeview::ProcessosClassesFilhasAposImportacao();
  FConcluida = true;
  auto* tela = Revisao();
  if (!tela) return;
  tela->ConfirmaFontes();
  std::set<std::pair<int, int>> gravadas(Importadas().begin(), Importadas().end());
  gravadas.insert(Liquidadas().begin(), Liquidadas().end());
  std::vector<TBookmark> conciliadas;
  conciliadas.swap(FConciliadas);
  if (TDAOFactory* l = tela->DAOLinhas()) {
    TFilterGuard filtro(*l, TFilterGuard::kAllRows);
    for (TBookmark b : conciliadas)
      if (l->BookmarkValid(b)) {
        l->GotoBookmark(b);
        gravadas.insert({static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))});
      }
  }
  std::map<std::string, int> novas;
  if (TNodoImportacao* n = tela->NodoPorCaption(kNodoLancamentos)) novas = n->ChavesNovas;
  {
    // Lines an entry posted before stands for are not counted as imported by this run.
    std::set<std::pair<int, int>> escritas(Importadas().begin(), Importadas().end());
    escritas.insert(Liquidadas().begin(), Liquidadas().end());
    FLinhasImportadas = static_cast<long long>(tela->ContaLinhasDoExtrato(escritas));
  }
  // Dyq hears "integrated" only of lines wholly booked.
  tela->FIntegradas.clear();
  for (const auto& k : gravadas)
    if (FCompletas.count(k)) tela->FIntegradas.insert(k);
  if (tela->Y570()) tela->Y570()->DescartaY570(Importadas());
  tela->ConfirmaMultiplosLancamentos(gravadas, novas);
  tela->EnviaRetornosDYQ(true);
  tela->RemovePaisIntegrados();
  tela->ExcluiLinhas(tela->DAOLinhas(), conciliadas);
  // The rules are in the database now; their lines are no longer to be turned into rules.
  if (tela->DAOPreparacoes()) {
    tela->PreparacoesGravadas();
    if (TDAOFactory* linhas = tela->DAOLinhas()) {
      TFilterGuard filtro(*linhas, TFilterGuard::kAllRows);
      TBulkLoad umaVez(*linhas);
      for (linhas->First(); !linhas->Eof(); linhas->Next())
        if (Flag(*linhas, "BDTRANSPREP")) {
          linhas->Edit();
          SetFlag(*linhas, "BDTRANSPREP", false);
          linhas->Post();
        }
    }
  }
}

}  // namespace integracao
