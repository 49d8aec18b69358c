// The import of the reviewed lines: rules from ticked lines, balance check, split entries, settlement
// posting and the frame's write.
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/standins/lancamentos.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/inconsistencias.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

// The lines the balance weighs: a line returned or refused to the client is never booked, so it
// cannot unbalance the run (an unidentified line is the very line an office returns). The rest of a
// split line whose bank side is booked already weighs as balanced: that side is in the books.
template <class F>
std::unique_ptr<TClientDataSet> LinhasDoBalanco(TClientDataSet& linhas, F&& ladoBancoLancado, int banco) {
  auto b = std::make_unique<TClientDataSet>();
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDINCONSISTENTE"})
    b->AddFieldDef(c, TFieldType::ftInteger);
  b->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  b->AddFieldDef("BDVINC_BAIXA", TFieldType::ftBoolean);
  b->CreateDataSet();
  const TBookmark onde = linhas.IsEmpty() ? 0 : linhas.GetBookmark();
  {
    TFilterGuard guarda(linhas, TFilterGuard::kAllRows);
    TBulkLoad umaVez(linhas);
    for (linhas.First(); !linhas.Eof(); linhas.Next()) {
      const int64_t status = Int(linhas, "BDSTATUSWEB");
      if (status == 1 || status == 2) continue;
      b->Append();
      b->CopyFieldsByName(linhas);
      if (ladoBancoLancado(linhas.GetBookmark()))
        Set(*b, Vazio(linhas, "BDDEBITO") ? "BDDEBITO" : "BDCREDITO", Variant(banco));
      b->Post();
    }
  }
  if (onde && linhas.BookmarkValid(onde)) linhas.GotoBookmark(onde);
  return b;
}

// The links not yet moved to a split row, by line and split row, found in one walk of each set (a walk
// per split row cost split rows x links). Each set shows all its rows while the index is in use.
struct TVinculosDaDivisao {
  TClientDataSet* Conjunto;
  std::unique_ptr<TFilterGuard> Todas;
  std::map<std::pair<int64_t, int64_t>, std::vector<TBookmark>> Por;
};

std::vector<TVinculosDaDivisao> VinculosPorDivisao(TProcessoBaixas& baixas) {
  std::vector<TVinculosDaDivisao> r;
  for (TClientDataSet* v : {baixas.cdsVINC_EXT_BAN_BAIXA, baixas.cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!v || !v->Active()) continue;
    TVinculosDaDivisao c{v, std::make_unique<TFilterGuard>(*v, TFilterGuard::kAllRows), {}};
    for (v->First(); !v->Eof(); v->Next())
      if (Vazio(*v, "BDCHAVEPAI")) c.Por[{Int(*v, "BDCHAVE"), Int(*v, "BDCHAVELANC")}].push_back(v->GetBookmark());
    r.push_back(std::move(c));
  }
  return r;
}

// Moves the links of a split row to the entry made of it: both link sets, as a split row may have links
// made by hand and links made through receipts. The links moved, each with its set.
std::vector<std::pair<TClientDataSet*, TBookmark>> RepontaVinculos(std::vector<TVinculosDaDivisao>& vinculos,
                                                                   int64_t linha, int64_t divisao, int novaChave) {
  std::vector<std::pair<TClientDataSet*, TBookmark>> movidos;
  for (TVinculosDaDivisao& conjunto : vinculos) {
    TClientDataSet* v = conjunto.Conjunto;
    auto achados = conjunto.Por.find({linha, divisao});
    if (achados == conjunto.Por.end()) continue;
    for (TBookmark bv : achados->second) {
      v->GotoBookmark(bv);
      // A split row met twice finds its links already moved.
      if (!Vazio(*v, "BDCHAVEPAI")) continue;
      v->Edit();
      Set(*v, "BDCHAVE", Variant(novaChave));
      Set(*v, "BDCHAVEPAI", Variant(linha));
      v->Post();
      movidos.emplace_back(v, bv);
    }
  }
  return movidos;
}

}  // namespace

bool TfrConsultaImportacaoExtratoBancario::ExistePreparacaoDYQ() {
  TDAOFactory* r = DAOPreparacoes();
  if (!r) return false;
  // The company's stored rules have no origin line either, but they are stored already: only those
  // that came with the statement are Dyq's to import.
  TFilterGuard guarda(*r, TFilterGuard::kAllRows);
  r->SetFilter(kFiltroPreparacoesDYQ);
  r->SetFiltered(true);
  return !r->IsEmpty();
}

void TfrConsultaImportacaoExtratoBancario::AtualizaTreeView() {
  const std::string antes = NodoSelecionado();
  tvGrupos->Clear();
  for (const auto& n : Nodos())
    if (n->DAO && !n->DAO->IsEmpty()) tvGrupos->Add(n->Caption, n.get());
  TTreeNode* escolhido = nullptr;
  for (TTreeNode* t : tvGrupos->AllNodes()) {
    if (!escolhido) escolhido = t;
    if (!antes.empty() && UpperCase(t->Text) == UpperCase(antes)) {
      escolhido = t;
      break;
    }
  }
  if (escolhido) tvGrupos->SetSelected(escolhido);
  AtualizaDados(false);
}

void TfrConsultaImportacaoExtratoBancario::spRateioCreditoClick(TComponent*) {
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  FPrepExtratoBancarioDAO->getConsulta(empresa, FTipoExtrato);
  if (TDAOFactory* l = DAOLinhas()) GetContraPartida(ContaBanco(), *FPrepExtratoBancarioDAO, *l, FTipoExtrato, FDYQ && FSubPrepWeb);
}

void TfrConsultaImportacaoExtratoBancario::RemovePreparacoes(int tipo, int chaveLinha) {
  TDAOFactory* r = DAOPreparacoes();
  if (!r) return;
  {
    TFilterGuard guarda(*r, TFilterGuard::kAllRows);
    r->SetFilter(tipo == tpExtrato ? "BDCHAVELANC = " + std::to_string(chaveLinha) : std::string(kFiltroPreparacoesDYQ));
    r->SetFiltered(true);
    for (r->First(); !r->IsEmpty();) r->Delete();
  }
  if (r->IsEmpty()) AtualizaTreeView();
}

// One rule of the company c from the marked line (the rule's key is chave).
void TfrConsultaImportacaoExtratoBancario::AdicionaPreparacao(TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR& regras,
                                                              TClientDataSet& marcadas, int c, int chave, int banco,
                                                              TSQLMGR& hist) {
  std::string nomeHist;
  if (Int(marcadas, "BDCODTPHI") > 0) {
    hist.CommandText("select BDNOME from HIST_TPHI where BDCODHIST = ? and BDCODTPHI = ?", ctOpen,
                     {Variant(Int(marcadas, "BDCODHIST")), Variant(Int(marcadas, "BDCODTPHI"))});
    if (!hist.IsEmpty()) nomeHist = Txt(hist, "BDNOME");
  }
  // The counter account is the side that is not the bank's; a line no rule filled carries no
  // side of its own, and taking its credit would store the bank account as its counter account.
  const bool lado1 = Vazio(marcadas, "BDCONTRAPARTDEBCRED") ? Int(marcadas, "BDCREDITO") == banco
                                                            : Int(marcadas, "BDCONTRAPARTDEBCRED") == 1;
  regras.Append();
  Set(regras, "BDCODEMP", Variant(c));
  Set(regras, "BDCHAVE", Variant(chave));
  if (Int(marcadas, "BDCREDITO") == banco) Set(regras, "BDAMBOSENTSAI", Variant(2));
  else if (Int(marcadas, "BDDEBITO") == banco) Set(regras, "BDAMBOSENTSAI", Variant(1));
  Set(regras, "BDCODTPLA", Variant(banco));
  Set(regras, "BDCOMPL", Variant(Txt(marcadas, "BDCOMPLBANCARIO")));
  Set(regras, "BDCOINCIDE", Variant(std::string(FNaoCoincidirTransPrep ? "FALSE" : "TRUE")));
  const int64_t contra = Int(marcadas, lado1 ? "BDDEBITO" : "BDCREDITO");
  if (contra > 0) Set(regras, "BDCONTRAPARTIDA", Variant(contra));
  Set(regras, "BDCONTRAPARTDEBCRED", Variant(lado1 ? 1 : 0));
  const int64_t ter = Int(marcadas, lado1 ? "BDCODTERCEIROD" : "BDCODTERCEIROC");
  if (ter > 0) Set(regras, "BDCODTER", Variant(ter));
  if (Int(marcadas, "BDCODTPHI") > 0) Set(regras, "BDCODTPHI", Variant(Int(marcadas, "BDCODTPHI")));
  if (nomeHist.find('*') == std::string::npos) {
    const bool alt = !Trim(Txt(marcadas, "BDCOMPL")).empty();
    Set(regras, "BDALTCOMPL", Variant(std::string(alt ? "TRUE" : "FALSE")));
    if (alt) Set(regras, "BDCOMPLPARA", Variant(Txt(marcadas, "BDCOMPL")));
  }
  if (!Vazio(marcadas, "BDCODHIST")) Set(regras, "BDCODHIST", Variant(Int(marcadas, "BDCODHIST")));
  if (!Vazio(marcadas, "BDCODPLAPADRAO")) Set(regras, "BDCODPLAPADRAO", Variant(Int(marcadas, "BDCODPLAPADRAO")));
  // Rules are kept per kind of account, so a cash movement's rules serve cash movements.
  Set(regras, "BDTIPOCONTA", Variant(FTipoExtrato));
  Set(regras, "BDCHAVELANC", Variant(Int(marcadas, "BDCHAVE")));
  Set(regras, "BDEDITCHAVE", Variant(0));
  regras.Post();
}

// Every marked line becomes a rule of every chosen company that does not have it yet.
void TfrConsultaImportacaoExtratoBancario::GravaPreparacoes(TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR& regras,
                                                            TClientDataSet& marcadas, int chave) {
  if (FDYQ && !regras.TemDAODYQAux()) regras.CriaDAODYQAux();
  const int banco = ContaBanco();
  TSQLMGR hist;
  for (marcadas.First(); !marcadas.Eof(); marcadas.Next()) {
    ++chave;
    for (const std::string& emp : FEmpresasPrep) {
      const int c = std::stoi(emp);
      int chaveRegra = chave;
      // A rule made at a stopped import is made again from the line as the user completed it since.
      if (regras.Locate("BDCODEMP;BDCHAVELANC", {Variant(c), Variant(Int(marcadas, "BDCHAVE"))})) {
        chaveRegra = static_cast<int>(Int(regras, "BDCHAVE"));
        regras.Delete();
      }
      try {
        AdicionaPreparacao(regras, marcadas, c, chaveRegra, banco, hist);
      } catch (const EDataSetError& e) {
        // A text the rule cannot hold whole would match other lines or none: this line gets no rule.
        if (regras.State() != TDataSetState::dsBrowse) regras.Cancel();
        if (auto* u = Util(); u && u->Inconsistencias())
          u->Inconsistencias()->Add_Atencao(
              c, "A preparação do lançamento " + Utf8Left(Txt(marcadas, "BDCOMPLBANCARIO"), 60) +
                     " não foi criada: " + e.what());
      }
    }
  }
}

// The answers given and the companies chosen go to the run's information once.
void TfrConsultaImportacaoExtratoBancario::RegistraLogPreparacoes(const std::string& pergunta1,
                                                                  const std::string& resposta1,
                                                                  const std::string& pergunta2,
                                                                  const std::string& resposta2) {
  if (FLogAdicionalPrep.empty()) {
    FLogAdicionalPrep.push_back("[Preparação de importação de extrato]");
    if (!resposta1.empty()) FLogAdicionalPrep.push_back("  " + pergunta1 + " " + resposta1);
    if (!resposta2.empty()) FLogAdicionalPrep.push_back("  " + pergunta2 + " " + resposta2);
    if (!FEmpresasPrep.empty()) {
      FLogAdicionalPrep.push_back("Empresa(s):");
      for (const auto& e : FEmpresasPrep) FLogAdicionalPrep.push_back("  " + e);
    }
    FLogAdicionalPrep.push_back("[Fim]");
  }
  // What the rules did is the run's record, not a problem: it goes to the run's additional log.
  if (auto* u = Util())
    for (const auto& l : FLogAdicionalPrep) u->AdicionaLogAdicional(l);
  if (OwnerNaCadeia("TfrImportacaoOFCConciliacao")) {
    FLogAdicional = std::string("[Opções]\r\n  Não marcar coincidir sequência inteira ao transformar em preparação: ") +
                    (FNaoCoincidirTransPrep ? "Sim" : "Não") + "\r\n[Fim]";
    if (auto* u = Util()) u->AdicionaLogAdicional(FLogAdicional);
  }
}

void TfrConsultaImportacaoExtratoBancario::CriaPreparacoes(TDAOFactory* linhas, bool& parar) {
  parar = false;
  auto* regras = DAOPreparacoes();
  const std::string usuario = ProcessContext().UserName;
  const std::string pergunta1 = usuario +
                                ", nenhum lançamento foi marcado para transformar em preparação.\r\n"
                                "Deseja continuar a importação sem transformar os lançamentos em preparação?";
  const std::string pergunta2 =
      usuario + ", deseja transformar os lançamentos em preparações para as próximas importações de extrato bancário?";
  std::string resposta1, resposta2;
  const int empresaRevisao = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  [&] {
    if (!linhas || !regras || linhas->IsEmpty()) return;
    TClientDataSet marcadas;
    marcadas.CloneCursor(*linhas);
    marcadas.SetFilter("BDTRANSPREP = 'TRUE'");
    marcadas.SetFiltered(true);
    if (marcadas.IsEmpty() && !FImpPrepaConfigurada) {
      if (MessageDlgVYNGlobal(pergunta1, mtConfirmation, mbYes | mbNo, {"Sim", "Não"}) == mrNo) {
        parar = true;
        return;
      }
      resposta1 = "Sim";
      return;
    }
    regras->Last();
    int chave = regras->IsEmpty() ? 0 : static_cast<int>(Int(*regras, "BDCHAVE"));
    if (!FImpPrepaConfigurada) {
      if (FEmpresasPrep.empty()) FEmpresasPrep.push_back(std::to_string(empresaRevisao));
      const int r = MessageDlgVYNGlobal(pergunta2, mtConfirmation, mbYes | mbNo | mbYesToAll,
                                        {"Transformar somente nesta empresa", "Não",
                                         "Transformar e replicar para outras empresas"});
      if (r == mrYesToAll) {
        TListaObj p;
        p.Posicao(pepEmpresa).Add(FCodEmp);
        p.Posicao(pepEmpresas).AddObject(&FEmpresasPrep);
        TPackagesUtil::CarregaFormParamsObj("TfrEmpresasPreparacaoExtratoBancario", this, std::move(p), nullptr, true);
        resposta2 = "Transformar e replicar para outras empresas";
      } else if (r == mrNo) {
        resposta2 = "Não";
        return;
      } else {
        resposta2 = "Transformar somente nesta empresa";
      }
      regras->setEmpresas(FEmpresasPrep);
    }
    GravaPreparacoes(*regras, marcadas, chave);
    FImpPrepaConfigurada = true;
  }();
  if (parar) return;
  RegistraLogPreparacoes(pergunta1, resposta1, pergunta2, resposta2);
}

void TfrConsultaImportacaoExtratoBancario::SetMultiplosLancamentos() {
  TDAOFactory* l = DAOLinhas();
  TClientDataSet* m = DAOMulti();
  // An expansion not undone stays: expanding again would book its split rows twice.
  if (!l || !m || FExpansao.Ativa) return;
  TFilterGuard guardaL(*l, TFilterGuard::kAllRows);
  TDetachedDetail solto(*m);
  TExpansao e;
  int64_t maior = 0;
  std::map<std::pair<int64_t, int64_t>, TBookmark> pais;
  {
    // One walk, each column found once: the lines are the statement's thousands.
    const TField* empresa = l->FindField("BDCODEMP");
    const TField* chave = l->FindField("BDCHAVE");
    const TField* multi = l->FindField("BDMULTLANC");
    const TField* status = l->FindField("BDSTATUSWEB");
    for (l->First(); !l->Eof(); l->Next()) {
      maior = std::max(maior, Int(chave));
      // A line returned or refused to the client books none of its split rows: it is not expanded.
      const int64_t s = Int(status);
      if (Int(multi) == 0 && s != 1 && s != 2) pais[{Int(empresa), Int(chave)}] = l->GetBookmark();
    }
  }
  if (FUltimaChave < maior) FUltimaChave = static_cast<int>(maior);
  // "company;line;split row" → the key of the entry made of that split row.
  std::map<std::string, int> mapa;
  std::map<std::pair<int64_t, int64_t>, std::vector<TBookmark>> divisoes;
  for (m->First(); !m->Eof(); m->Next()) divisoes[{Int(*m, "BDCODEMP"), Int(*m, "BDCHAVE")}].push_back(m->GetBookmark());
  std::vector<TVinculosDaDivisao> vinculos;
  if (FProcessoBaixas) vinculos = VinculosPorDivisao(*FProcessoBaixas);
  {
    // The details of the lines (Y570, cost centres) follow once, after the walk, not at every move.
    TBulkLoad umaVez(*l);
    const TCamposEmComum copia(*m, *l);
    for (auto& [chave, linhasM] : divisoes) {
      auto it = pais.find(chave);
      if (it == pais.end()) continue;   // no parent line: the split row is skipped
      l->GotoBookmark(it->second);
      Currency total;
      for (TBookmark b : linhasM) {
        m->GotoBookmark(b);
        if (!Flag(*m, "BDVINC_BAIXA")) continue;
        if (Flag(*m, "BDVINC_BAIDESC")) total -= Valor(*m, "BDVALOR");
        else total += Valor(*m, "BDVALOR");
      }
      TPaiExpandido pai{it->second, l->FieldByName("BDVALOR").Value(), l->FieldByName("BDDEBITO").Value(),
                        l->FieldByName("BDCREDITO").Value(), l->FieldByName("BDINCONSISTENTE").Value(), false};
      const Currency valor = Valor(*l, "BDVALOR");
      l->Edit();
      // The side the split rows take is left open on the line (a Dyq line carries it as 0): the
      // entry of the line must not name an account 0.
      for (const char* lado : {"BDDEBITO", "BDCREDITO"})
        if (!Vazio(*l, lado) && Int(*l, lado) == 0) Set(*l, lado, Variant());
      if (total > valor) {
        Set(*l, "BDVALOR", Variant(total - valor));
        if (Int(*l, "BDCREDITO") > 0 && Valor(*l, "BDDESCONTOS") > Currency()) {
          Set(*l, "BDDEBITO", Variant(Int(*l, "BDCREDITO")));
          Set(*l, "BDCREDITO", Variant());
        }
      } else {
        Set(*l, "BDVALOR", Variant(valor - total));
      }
      if (Valor(*l, "BDVALOR") == Currency()) {
        Set(*l, "BDINCONSISTENTE", Variant(miForaDaImportacao));
        pai.Zerado = true;
      }
      l->Post();
      std::vector<TBookmark> novasDoPai;
      for (TBookmark b : linhasM) {
        m->GotoBookmark(b);
        l->Append();
        copia.Copia();
        Set(*l, "BDCHAVE", Variant(++FUltimaChave));
        Set(*l, "BDMULTLANC", Variant(1));
        Set(*l, "BDINCONSISTENTE", Variant(miConsistente));
        Set(*l, "BDCHAVELANC", Variant(Int(*m, "BDCHAVELANC")));
        l->Post();
        mapa[std::to_string(Int(*m, "BDCODEMP")) + ";" + std::to_string(Int(*m, "BDCHAVE")) + ";" +
             std::to_string(Int(*m, "BDCHAVELANC"))] = FUltimaChave;
        novasDoPai.push_back(l->GetBookmark());
        e.Novas.push_back(l->GetBookmark());
        for (auto& [v, bv] : RepontaVinculos(vinculos, chave.second, Int(*m, "BDCHAVELANC"), FUltimaChave))
          e.Vinculos.push_back({v, bv, it->second});
      }
      e.NovasPorPai.push_back({it->second, novasDoPai});
      e.Pais.push_back(pai);
    }
  }
  wTeveMultLanc = !e.Novas.empty();
  e.Ativa = !e.Pais.empty();
  FExpansao = std::move(e);
  // The split rows' cost-centre rows go with the entries made of them (remembered with the expansion).
  if (FExpansao.Ativa) CopiaCentrosCustoMulti(mapa, CentrosCustoMulti);
  l->First();
}

void TfrConsultaImportacaoExtratoBancario::DeleteMultiplosLancamentos() {
  TDAOFactory* l = DAOLinhas();
  if (!l || !FExpansao.Ativa) return;
  TFilterGuard guarda(*l, TFilterGuard::kAllRows);
  for (const TVinculoRepontado& v : FExpansao.Vinculos) {
    if (!v.Conjunto->BookmarkValid(v.Linha) || !l->BookmarkValid(v.Pai)) continue;
    l->GotoBookmark(v.Pai);
    const int64_t chavePai = Int(*l, "BDCHAVE");
    v.Conjunto->GotoBookmark(v.Linha);
    v.Conjunto->Edit();
    Set(*v.Conjunto, "BDCHAVE", Variant(chavePai));
    Set(*v.Conjunto, "BDCHAVEPAI", Variant());
    v.Conjunto->Post();
  }
  // The cost-centre rows copied for the new entries go with them.
  if (const auto& agregados = Aggregates(l); !agregados.empty() && !FExpansao.CentrosCusto.empty()) {
    TDAOFactory& cc = *agregados.front();
    TFilterGuard guardaCC(cc, TFilterGuard::kAllRows);
    for (TBookmark b : FExpansao.CentrosCusto)
      if (cc.BookmarkValid(b)) {
        cc.GotoBookmark(b);
        cc.Delete();
      }
  }
  for (TBookmark b : FExpansao.Novas)
    if (l->BookmarkValid(b)) {
      l->GotoBookmark(b);
      l->Delete();
    }
  for (const TPaiExpandido& p : FExpansao.Pais) {
    if (!l->BookmarkValid(p.Linha)) continue;
    l->GotoBookmark(p.Linha);
    l->Edit();
    Set(*l, "BDVALOR", p.Valor);
    Set(*l, "BDDEBITO", p.Debito);
    Set(*l, "BDCREDITO", p.Credito);
    Set(*l, "BDINCONSISTENTE", p.Inconsistente);
    l->Post();
  }
  FExpansao = TExpansao();
  l->First();
}

// The zeroed lines of earlier runs whose last split lines this run booked are integrated now.
void TfrConsultaImportacaoExtratoBancario::ConfirmaPaisPendentes(const std::set<std::pair<int, int>>& gravadas) {
  TDAOFactory* l = DAOLinhas();
  for (auto it = FPaisPendentes.begin(); it != FPaisPendentes.end();) {
    if (!l->BookmarkValid(it->first)) {
      it = FPaisPendentes.erase(it);
      continue;
    }
    it->second = DivisoesPendentes(it->second, gravadas);
    if (!it->second.empty()) {
      ++it;
      continue;
    }
    l->GotoBookmark(it->first);
    FIntegradas.insert({static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))});
    FPaisIntegrados.push_back(it->first);
    it = FPaisPendentes.erase(it);
  }
}

// A linked split row's part of the bank movement was taken off its line (its settlement books it):
// left in the review by a run that did not settle it, the row stands alone and carries the bank
// account on its open side, so unlinked it is a whole line and the next run weighs it balanced.
void TfrConsultaImportacaoExtratoBancario::CompletaDivisoesVinculadas(const std::set<std::pair<int, int>>& gravadas) {
  TDAOFactory* l = DAOLinhas();
  const int banco = ContaBanco();
  if (!l || banco <= 0) return;
  for (size_t i = 0; i < FExpansao.Pais.size() && i < FExpansao.NovasPorPai.size(); ++i) {
    const TPaiExpandido& pai = FExpansao.Pais[i];
    const char* lado = !pai.Debito.IsNull() && pai.Debito.AsInteger() == banco     ? "BDDEBITO"
                       : !pai.Credito.IsNull() && pai.Credito.AsInteger() == banco ? "BDCREDITO"
                                                                                   : nullptr;
    if (!lado) continue;
    for (TBookmark b : FExpansao.NovasPorPai[i].second) {
      if (!l->BookmarkValid(b)) continue;
      l->GotoBookmark(b);
      if (!Flag(*l, "BDVINC_BAIXA") || Int(*l, lado) != 0 ||
          gravadas.count({static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))}))
        continue;
      Grava(*l, lado, Variant(banco));
    }
  }
}

void TfrConsultaImportacaoExtratoBancario::ConfirmaMultiplosLancamentos(const std::set<std::pair<int, int>>& gravadas,
                                                                        const std::map<std::string, int>&) {
  TDAOFactory* l = DAOLinhas();
  TClientDataSet* m = DAOMulti();
  if (!l || !m) return;
  TFilterGuard guarda(*l, TFilterGuard::kAllRows);
  ConfirmaPaisPendentes(gravadas);
  if (!FExpansao.Ativa) return;
  // The split rows are entries now: they leave their lines, with their cost-centre rows (one walk of
  // each set for every expanded line: a walk per line cost lines x split rows).
  std::set<std::pair<int64_t, int64_t>> expandidas;
  for (const auto& [pai, novas] : FExpansao.NovasPorPai) {
    if (!l->BookmarkValid(pai)) continue;
    l->GotoBookmark(pai);
    expandidas.insert({Int(*l, "BDCODEMP"), Int(*l, "BDCHAVE")});
  }
  std::vector<TClientDataSet*> conjuntos{m};
  conjuntos.insert(conjuntos.end(), CentrosCustoMulti.begin(), CentrosCustoMulti.end());
  for (TClientDataSet* d : conjuntos) {
    if (!d || !d->Active() || expandidas.empty()) continue;
    TDetachedDetail solto(*d);
    TFilterGuard todas(*d, TFilterGuard::kAllRows);
    for (d->First(); !d->Eof();)
      if (expandidas.count({Int(*d, "BDCODEMP"), Int(*d, "BDCHAVE")}))
        d->Delete();
      else
        d->Next();
  }
  CompletaDivisoesVinculadas(gravadas);
  SoltaDivisoes(gravadas);
  for (const auto& [pai, novas] : FExpansao.NovasPorPai) {
    if (!l->BookmarkValid(pai)) continue;
    const bool todas = DivisoesGravadas(novas, gravadas);
    l->GotoBookmark(pai);
    const auto chavePai = std::make_pair(static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE")));
    if (Valor(*l, "BDVALOR") != Currency()) continue;
    // A line wholly booked through its split entries is integrated as well; one whose split entries
    // were not all booked waits for the run that books the last of them.
    if (todas) {
      FIntegradas.insert(chavePai);
      FPaisIntegrados.push_back(pai);
    } else {
      FPaisPendentes[pai] = DivisoesPendentes(novas, gravadas);
    }
  }
  // The copies of the cost-centre rows of the entries written are in the ledger now; those of split
  // lines left in the review stay with them for the next run.
  if (const auto& agregados = Aggregates(l); !agregados.empty()) {
    TDAOFactory& cc = *agregados.front();
    TFilterGuard guardaCC(cc, TFilterGuard::kAllRows);
    for (TBookmark b : FExpansao.CentrosCusto) {
      if (!cc.BookmarkValid(b)) continue;
      cc.GotoBookmark(b);
      if (gravadas.count({static_cast<int>(Int(cc, "BDCODEMP")), static_cast<int>(Int(cc, "BDCHAVE"))})) cc.Delete();
    }
  }
  FExpansao = TExpansao();
}

void TfrConsultaImportacaoExtratoBancario::SoltaDivisoes(const std::set<std::pair<int, int>>& gravadas) {
  TDAOFactory* l = DAOLinhas();
  for (auto it = FDivisoesSoltas.begin(); it != FDivisoesSoltas.end();) {
    bool fica = l->BookmarkValid(it->first);
    if (fica) {
      l->GotoBookmark(it->first);
      fica = !gravadas.count({static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))});
    }
    it = fica ? std::next(it) : FDivisoesSoltas.erase(it);
  }
  for (const auto& [pai, novas] : FExpansao.NovasPorPai) {
    const TOrigemLinha* origem = OrigemDe(pai);
    if (!origem || !l->BookmarkValid(pai)) continue;
    l->GotoBookmark(pai);
    const std::pair<int, int> chavePai{static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))};
    // A zeroed line stays in the review with its split lines (FPaisPendentes); a line written leaves it.
    if (Valor(*l, "BDVALOR") == Currency() || !gravadas.count(chavePai)) continue;
    for (TBookmark b : DivisoesPendentes(novas, gravadas))
      if (l->BookmarkValid(b)) FDivisoesSoltas[b] = {chavePai.first, *origem};
  }
}

bool TfrConsultaImportacaoExtratoBancario::DivisoesGravadas(const std::vector<TBookmark>& novas,
                                                            const std::set<std::pair<int, int>>& gravadas) {
  TDAOFactory* l = DAOLinhas();
  for (TBookmark b : novas) {
    if (!l->BookmarkValid(b)) continue;
    l->GotoBookmark(b);
    if (!gravadas.count({static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))})) return false;
  }
  return true;
}

std::vector<TBookmark> TfrConsultaImportacaoExtratoBancario::DivisoesPendentes(
    const std::vector<TBookmark>& divisoes, const std::set<std::pair<int, int>>& gravadas) {
  TDAOFactory* l = DAOLinhas();
  std::vector<TBookmark> r;
  for (TBookmark b : divisoes) {
    // A split line gone from the review without a run booking it was deleted: it stays unbooked.
    if (!l->BookmarkValid(b)) {
      r.push_back(b);
      continue;
    }
    l->GotoBookmark(b);
    if (!gravadas.count({static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))})) r.push_back(b);
  }
  return r;
}

bool TfrConsultaImportacaoExtratoBancario::PaiComDivisoesPendentes(TBookmark linha) const {
  return FPaisPendentes.count(linha) > 0;
}

std::map<TBookmark, TBookmark> TfrConsultaImportacaoExtratoBancario::LinhaDasDivisoes() const {
  std::map<TBookmark, TBookmark> r;
  for (const auto& [pai, pendentes] : FPaisPendentes)
    for (TBookmark b : pendentes) r[b] = pai;
  if (FExpansao.Ativa)
    for (const auto& [pai, novas] : FExpansao.NovasPorPai)
      for (TBookmark b : novas) r[b] = pai;
  return r;
}

size_t TfrConsultaImportacaoExtratoBancario::ContaLinhasDoExtrato(const std::set<std::pair<int, int>>& linhas) const {
  TDAOFactory* l = DAOLinhas();
  if (!l) return linhas.size();
  auto chave = [&] { return std::make_pair(static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))); };
  std::map<std::pair<int, int>, std::pair<int, int>> linhaDe;
  // A line with a split row this run did not write, or with its own part of the value unwritten, stays
  // in the review and is counted there, as not imported: one line is never told both.
  std::set<std::pair<int, int>> ficam;
  TFilterGuard guarda(*l, TFilterGuard::kAllRows);
  for (const auto& [divisao, pai] : LinhaDasDivisoes()) {
    if (!l->BookmarkValid(pai)) continue;
    l->GotoBookmark(pai);
    const auto dePai = chave();
    if (Valor(*l, "BDVALOR") != Currency() && !linhas.count(dePai)) ficam.insert(dePai);
    if (!l->BookmarkValid(divisao)) continue;
    l->GotoBookmark(divisao);
    linhaDe[chave()] = dePai;
    if (!linhas.count(chave())) ficam.insert(dePai);
  }
  std::set<std::pair<int, int>> r;
  for (const auto& k : linhas) {
    const auto it = linhaDe.find(k);
    const auto linha = it == linhaDe.end() ? k : it->second;
    if (!ficam.count(linha)) r.insert(linha);
  }
  return r.size();
}

std::vector<std::pair<int, int>> TfrConsultaImportacaoExtratoBancario::PaisIntegradosPorDivisoes(
    const std::set<std::pair<int, int>>& gravadas) {
  std::vector<std::pair<int, int>> r;
  TDAOFactory* l = DAOLinhas();
  if (!l) return r;
  TFilterGuard guarda(*l, TFilterGuard::kAllRows);
  auto integrado = [&](TBookmark pai) {
    l->GotoBookmark(pai);
    if (Valor(*l, "BDVALOR") == Currency())
      r.emplace_back(static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE")));
  };
  for (const auto& [pai, pendentes] : FPaisPendentes)
    if (l->BookmarkValid(pai) && DivisoesPendentes(pendentes, gravadas).empty()) integrado(pai);
  if (!FExpansao.Ativa) return r;
  for (const auto& [pai, novas] : FExpansao.NovasPorPai)
    if (l->BookmarkValid(pai) && DivisoesGravadas(novas, gravadas)) integrado(pai);
  return r;
}

void TfrConsultaImportacaoExtratoBancario::RemovePaisIntegrados() {
  std::vector<TBookmark> pais;
  pais.swap(FPaisIntegrados);
  ExcluiLinhas(DAOLinhas(), pais);
}

void TfrConsultaImportacaoExtratoBancario::PostaBaixas() {
  TDAOFactory* l = DAOLinhas();
  auto* linhas = dynamic_cast<TLancamentoMGR*>(l);
  if (!linhas || !FProcessoBaixas) return;
  // Links of lines returned or refused to the client (their split rows' links name them still), of
  // lines the run leaves out by their account, and of lines already settled by an earlier run, are put
  // aside while the engine posts.
  std::set<int64_t> fora;
  {
    TFilterGuard guarda(*l, TFilterGuard::kAllRows);
    for (l->First(); !l->Eof(); l->Next()) {
      const int64_t st = Int(*l, "BDSTATUSWEB");
      if (st == 1 || st == 2 || ForaPelaConta(*l) ||
          (Int(*l, "BDINCONSISTENTE") == miForaDaImportacao && Flag(*l, "BDVINC_BAIXA")))
        fora.insert(Int(*l, "BDCHAVE"));
      // A warning is the run's that gave it: this run's posting warns again if its cause is still there,
      // and a link that posts now leaves the line settled, not warned.
      else if (Int(*l, "BDINCONSISTENTE") == miAvisoBaixa && Flag(*l, "BDVINC_BAIXA"))
        Grava(*l, "BDINCONSISTENTE", Variant(miConsistente));
    }
  }
  struct TReserva {
    TClientDataSet* Conjunto;
    std::vector<std::vector<Variant>> Linhas;
  };
  std::vector<TReserva> reservas;
  for (TClientDataSet* v : {FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!v || !v->Active() || fora.empty()) continue;
    TReserva r{v, {}};
    TFilterGuard gv(*v, TFilterGuard::kAllRows);
    for (v->First(); !v->Eof();) {
      if (fora.count(Int(*v, "BDCHAVE"))) {
        std::vector<Variant> vals;
        for (int i = 0; i < v->FieldCount(); ++i) vals.push_back(v->Fields(i).Value());
        r.Linhas.push_back(std::move(vals));
        v->Delete();
      } else {
        v->Next();
      }
    }
    reservas.push_back(std::move(r));
  }
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  try {
    FProcessoBaixas->GetVinculoBaixa(this, FCodEmp, inc, linhas);
    FProcessoBaixas->GetVinculoBaixaComp(this, FCodEmp, inc, linhas);
  } catch (...) {
    for (auto& r : reservas)
      for (auto& vals : r.Linhas) r.Conjunto->AppendRecord(vals);
    throw;
  }
  for (auto& r : reservas)
    for (auto& vals : r.Linhas) r.Conjunto->AppendRecord(vals);
}

void TfrConsultaImportacaoExtratoBancario::spImportacaoClick(TComponent* sender) {
  auto* util = Util();
  if (!util) return;
  util->FApenasPrep = sender == miImportarPreparados;
  if (FDYQ && ExistePreparacaoDYQ() &&
      MessageDlgVYN("Deseja importar as preparações e atualizá-las no ^DYQ?", mtInformation, mbYes | mbNo) != mrYes)
    RemovePreparacoes(tpDYQ, 0);
  TDAOFactory* linhas = DAOLinhas();
  if (linhas) util->DevolveForaPorPreparo(*linhas);
  if (util->Inconsistencias()) util->Inconsistencias()->Clear();
  if (FImpPreparacao) {
    bool parar = false;
    CriaPreparacoes(linhas, parar);
    if (parar) {
      util->FApenasPrep = false;
      return;
    }
  }
  // Accounts a rule or another line's change moved: the data go before the run writes them.
  DescartaY570ForaDeAplicacao(true);
  const bool temRecibos = FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA &&
                          !FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA->IsEmpty();
  const auto balanco =
      linhas ? LinhasDoBalanco(*linhas, [this](TBookmark b) { return LadoBancoJaLancado(b) || SoLadoBanco(b); }, ContaBanco()) : nullptr;
  if (TContasPlanosMGR::getDiferencaDebitoCredito(this, balanco.get(), DAOMulti(), "BDVINC_BAIXA",
                                                  util->FApenasPrep, temRecibos, true)) {
    util->FApenasPrep = false;
    // The rules made from the ticked lines wait for the next try: the user reaches them in the tree.
    if (FImpPreparacao) AtualizaTreeView();
    return;
  }
  wTeveMultLanc = false;
  {
    // The run walks, writes and removes every line several times; the lines' details (Y570 data) are
    // read detached by the run, so they follow the lines once, when it ends, not at every move.
    std::optional<TBulkLoad> umaVez;
    if (linhas) umaVez.emplace(*linhas);
    SetMultiplosLancamentos();
    util->FSemMultiLancamentos = !wTeveMultLanc;
    util->IniciaExecucao();
    // The settlements are posted inside the run's write (the engine's first step).
    std::optional<TMarcasLinhas> marcas;
    if (linhas) marcas.emplace(*linhas, std::vector<std::string>{"BDINCONSISTENTE", "BDCONCC", "BDCONCD"});
    TfrImportacao_Padrao_Itens_TreeView_VYN::spImportacaoClick(sender);
    if (!util->Concluida()) {
      if (marcas) marcas->Restaura();
      // Nothing was written: the review goes back to the lines the user had, its split rows under their
      // lines again, so a retry weighs and expands them once.
      DeleteMultiplosLancamentos();
    }
  }
  if (wTeveMultLanc || FEstado) AtualizaDados(false);
  setBaixaTarefa(false, 15);
  util->FApenasPrep = false;
  if (FImpPreparacao && !FEstado) AtualizaTreeView();
  // What the run could not import is only useful to the user who sees it.
  if (auto* inc = util->Inconsistencias(); inc && inc->Count() > 0) inc->Execute(true, true, true, true, "");
}

}  // namespace integracao
