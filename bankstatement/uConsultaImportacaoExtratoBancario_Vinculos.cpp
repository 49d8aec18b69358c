// Settlement links of the statement review: linking by hand and automatically, removal, and the
// enabling of the link buttons.
#include <set>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/standins/vinculos_baixa.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/packages_util.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

bool TerminaCom(const std::string& s, const std::string& fim) {
  return s.size() >= fim.size() && SameText(s.substr(s.size() - fim.size()), fim);
}
bool ComecaCom(const std::string& s, const std::string& ini) {
  return s.size() >= ini.size() && SameText(s.substr(0, ini.size()), ini);
}

// Deletes the rows of ds that match.
template <class F>
void ApagaSe(TClientDataSet* ds, F&& casa) {
  if (!ds || !ds->Active()) return;
  TFilterGuard guarda(*ds, TFilterGuard::kAllRows);
  for (ds->First(); !ds->Eof();)
    if (casa(*ds))
      ds->Delete();
    else
      ds->Next();
}

}  // namespace

void TfrConsultaImportacaoExtratoBancario::LimpaAvisoBaixa(TClientDataSet& ds) {
  if (ds.IsEmpty() || !ds.FindField("BDINCONSISTENTE") || Int(ds, "BDINCONSISTENTE") != miAvisoBaixa) return;
  ds.Edit();
  ds.FieldByName("BDINCONSISTENTE").SetAsInteger(miConsistente);
  ds.Post();
}

void TfrConsultaImportacaoExtratoBancario::miDuplicatasClick(TComponent* sender) {
  TDAOFactory* l = DAOLinhas();
  TClientDataSet* m = DAOMulti();
  if (!sender || !l || !m) return;
  const std::string nome = sender->Name();
  const bool multi = TerminaCom(nome, "Multi");
  // The kind menu drops from the link button: a line the button refuses (linked already, complete,
  // returned or refused to Dyq) is not linked through it either, whatever the button last showed.
  if (!multi && !PodeVincularLinha()) return;
  // A tax guide or a calculation is paid: money coming in never settles one.
  if ((ComecaCom(nome, "miImpostos") || ComecaCom(nome, "miCalculo")) && !LinhaDePagamento()) {
    DlgWarOk("Guias de impostos e cálculos só podem ser baixados por um pagamento.");
    return;
  }
  if (!multi) {
    TFilterGuard guarda(*m, TFilterGuard::kAllRows);
    for (m->First(); !m->Eof(); m->Next())
      if (Int(*m, "BDCODEMP") == Int(*l, "BDCODEMP") && Int(*m, "BDCHAVE") == Int(*l, "BDCHAVE") &&
          Flag(*m, "BDVINC_BAIXA")) {
        DlgWarOk("Não é possível fazer duplicatas, pois existem lançamento de destino com duplicatas.");
        return;
      }
  } else if (Flag(*l, "BDVINC_BAIXA")) {
    DlgWarOk("Não é possível fazer duplicatas, pois o lançamento de origem já as tem.");
    return;
  }
  TListaObj p;
  if (!multi) {
    p.Posicao(pvbOrigem).Add(l);
    p.Posicao(pvbVinculos).Add(FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA);
    p.Posicao(pvbMultiLanc).Add(m);
  } else {
    p.Posicao(pvbOrigem).Add(m);
    p.Posicao(pvbVinculos).Add(FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA);
    p.Posicao(pvbMultiLanc).AddNil();
    p.Posicao(pvbLinhasDoMultiLanc).Add(l);
  }
  const char* classe = ComecaCom(nome, "miImpostos")       ? "TfrFiltroImpostosEmitidos"
                       : ComecaCom(nome, "miParcelamento") ? "TfrFiltroBaixaParcelamento"
                       : ComecaCom(nome, "miCalculo")      ? "TfrProcessoFiltroCalculosBaixa"
                                                           : nullptr;
  if (classe) TPackagesUtil::CarregaFormParamsObj(classe, this, std::move(p));
}

bool TfrConsultaImportacaoExtratoBancario::LinhaDePagamento() {
  TDAOFactory* l = DAOLinhas();
  if (!l || l->IsEmpty()) return false;
  // The bank's side tells the line's nature (a split row has its line's); the counter-account the
  // user typed does not. Without a known bank account, a line with no credit is money coming in.
  const int banco = ContaBanco();
  if (banco > 0) return Int(*l, "BDCREDITO") == banco;
  return !Vazio(*l, "BDCREDITO") && Int(*l, "BDCREDITO") != 0;
}

void TfrConsultaImportacaoExtratoBancario::pmTipoBaixaPopup(TComponent* sender) {
  const bool pagamento = LinhaDePagamento();
  const bool multi = sender == spCurrencyLinkMulti || sender == pmTipoBaixaMulti;
  (multi ? miImpostosMulti : miImpostos)->SetEnabled(pagamento);
  (multi ? miCalculoMulti : miCalculo)->SetEnabled(pagamento);
  (multi ? miParcelamentoMulti : miParcelamento)->SetEnabled(true);
}

void TfrConsultaImportacaoExtratoBancario::spAutoLinkClick(TComponent*) {
  if (!DAOAtual() || !FCodEmp) return;
  TDisabledControls controles(DAOAtual());
  FProcessoBaixas->GetVinculosAutomaticos(this, DAOAtual(), static_cast<int>(FCodEmp->Codigo()), miDocumento->Checked,
                                          miConsiderarZeros->Checked, miDistinguirValores->Checked, false, nullptr);
}

void TfrConsultaImportacaoExtratoBancario::spDelLinkClick(TComponent*) {
  TDAOFactory* l = DAOLinhas();
  if (!l || l->IsEmpty()) return;
  const int64_t chave = Int(*l, "BDCHAVE");
  // A split line an earlier run left in the review holds its split row's links as its own.
  const bool divisao = Int(*l, "BDMULTLANC") == 1;
  for (TClientDataSet* v : {FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA})
    ApagaSe(v, [&](TClientDataSet& d) {
      return Int(d, "BDCHAVE") == chave && (divisao || Int(d, "BDCHAVELANC") == 0);
    });
  l->Edit();
  SetFlag(*l, "BDVINC_BAIXA", false);
  // A line its settlements booked in part keeps what they booked: it is left with its rest; a split line
  // so settled, with what its own settlements left of it.
  if (auto conta = FContas.find(l->GetBookmark()); conta != FContas.end() && conta->second.Valor > Currency())
    Set(*l, "BDVALOR", Variant(conta->second.Resto()));
  if (auto baixado = FLiquidadoDivisao.find(l->GetBookmark()); divisao && baixado != FLiquidadoDivisao.end()) {
    if (Valor(*l, "BDVALOR") > baixado->second) Set(*l, "BDVALOR", Variant(Valor(*l, "BDVALOR") - baixado->second));
    FLiquidadoDivisao.erase(baixado);
  }
  l->Post();
  LimpaAvisoBaixa(*l);
}

void TfrConsultaImportacaoExtratoBancario::spDelLinkMultiClick(TComponent*) {
  TClientDataSet* m = DAOMulti();
  if (!m || m->IsEmpty()) return;
  const int64_t chave = Int(*m, "BDCHAVE");
  const int64_t lanc = Int(*m, "BDCHAVELANC");
  for (TClientDataSet* v : {FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA})
    ApagaSe(v, [&](TClientDataSet& d) { return Int(d, "BDCHAVE") == chave && Int(d, "BDCHAVELANC") == lanc; });
  m->Edit();
  SetFlag(*m, "BDVINC_BAIXA", false);
  m->Post();
  LimpaAvisoBaixa(*m);
  if (TDAOFactory* l = DAOLinhas(); l && !l->IsEmpty() && Int(*l, "BDCHAVE") == chave) LimpaAvisoBaixa(*l);
  AtualizaBotoesMulti();
}

void TfrConsultaImportacaoExtratoBancario::spRemoveAutoLinkClick(TComponent*) {
  TDAOFactory* l = DAOLinhas();
  if (!l) return;
  TDisabledControls controles(l);
  for (TClientDataSet* v : {FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA})
    ApagaSe(v, [](TClientDataSet& d) { return Flag(d, "BDAUTOMATICO"); });
  // A line, or a split row, keeps its mark while it still has links of any kind (made by hand or
  // through receipts).
  auto resta = [this](int64_t chave, int64_t chaveLanc) {
    for (TClientDataSet* v : {FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA}) {
      if (!v || !v->Active()) continue;
      TFilterGuard gv(*v, TFilterGuard::kAllRows);
      for (v->First(); !v->Eof(); v->Next())
        if (Int(*v, "BDCHAVE") == chave && Int(*v, "BDCHAVELANC") == chaveLanc) return true;
    }
    return false;
  };
  auto recalcula = [&](TClientDataSet& ds, bool divisao) {
    for (ds.First(); !ds.Eof(); ds.Next())
      if (Flag(ds, "BDVINC_BAIXA") && !resta(Int(ds, "BDCHAVE"), divisao ? Int(ds, "BDCHAVELANC") : 0)) {
        ds.Edit();
        SetFlag(ds, "BDVINC_BAIXA", false);
        ds.Post();
        LimpaAvisoBaixa(ds);
      }
  };
  {
    TFilterGuard guarda(*l, TFilterGuard::kAllRows);
    recalcula(*l, false);
  }
  if (TClientDataSet* m = DAOMulti(); m && m->Active() && m->FindField("BDVINC_BAIXA")) {
    TFilterGuard guarda(*m, TFilterGuard::kAllRows);
    TDetachedDetail solto(*m);
    recalcula(*m, true);
  }
}

bool TfrConsultaImportacaoExtratoBancario::CanEnableLinkButton(bool link) {
  TDAOFactory* l = DAOLinhas();
  if (!l || DAOAtual() != l || l->IsEmpty()) return false;
  if (!GridLinhasComFoco || Selecionadas().size() >= 2) return false;
  // A complete line is no settlement to link; a linked one is always let go of (a split row left alone
  // by a run carries its bank side too).
  if (link && Int(*l, "BDDEBITO") != 0 && Int(*l, "BDCREDITO") != 0) return false;
  return Flag(*l, "BDVINC_BAIXA") != link;
}

bool TfrConsultaImportacaoExtratoBancario::PodeVincularLinha() {
  if (!CanEnableLinkButton(true)) return false;
  TDAOFactory* l = DAOLinhas();
  return !TemDadosDYQ() || Int(*l, "BDSTATUSWEB") == 0;
}

void TfrConsultaImportacaoExtratoBancario::AtualizaBotoesMulti() {
  TClientDataSet* ds = grLancamentoManual ? grLancamentoManual->DataSet() : nullptr;
  const bool tem = ds && ds->Active() && !ds->IsEmpty();
  spCurrencyLinkMulti->SetEnabled(tem);
  spDelLinkMulti->SetEnabled(tem);
}

void TfrConsultaImportacaoExtratoBancario::MontaFilterVinculados(std::string& filter) {
  TfrImportacao_Padrao_Itens_TreeView_VYN::MontaFilterVinculados(filter);
  // Links belong to lines: a deleted rule's key may equal a line's and must not take its links. The
  // rows deleted are those of the data set being deleted from, whatever node is shown.
  TDAOFactory* atual = DAOExcluindo() ? DAOExcluindo() : DAOAtual() ? DAOAtual() : DAOLinhas();
  if (!atual || atual != DAOLinhas() || atual->IsEmpty() || Int(*atual, "BDCHAVE") <= 0) return;
  auto tem = [](TClientDataSet* v) { return v && v->Active() && !v->IsEmpty(); };
  if (!tem(FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA) && !tem(FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA)) return;
  if (!IsBlank(filter)) filter += " or ";
  filter += "(BDCHAVE = " + std::to_string(Int(*atual, "BDCHAVE")) + ")";
  FChavesExcluidas.insert(Int(*atual, "BDCHAVE"));
}

void TfrConsultaImportacaoExtratoBancario::DeleteVinculados(const std::string& filter) {
  TfrImportacao_Padrao_Itens_TreeView_VYN::DeleteVinculados(filter);
  std::set<int64_t> chaves;
  chaves.swap(FChavesExcluidas);
  if (IsBlank(filter)) return;
  // Receipt links of a deleted line would be left pointing at nothing: both sets are cleaned. The keys
  // the filter names are answered from their set when it holds them: a filter of one term per deleted
  // line, read for every link, cost links x lines.
  for (TClientDataSet* v : {FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA}) {
    if (!v || !v->Active()) continue;
    v->SetFiltered(false);
    if (!chaves.empty()) {
      v->SetFilter("");
      for (v->First(); !v->Eof();)
        if (chaves.count(Int(*v, "BDCHAVE"))) v->Delete();
        else v->Next();
      continue;
    }
    v->SetFilter(filter);
    v->SetFiltered(true);
    while (!v->IsEmpty()) {
      v->First();
      v->Delete();
    }
    v->SetFilter("");
    v->SetFiltered(false);
  }
}

}  // namespace integracao
