// The ECF screen's options by taxation, qualification, entity, special situation and year. They look
// like display rules, but they decide values the generator receives (resets, unchecks, CSLL items).
#include <initializer_list>

#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "statutory/ecf/ecf_listas.h"
#include "statutory/ecf/uExportacaoECF.h"
#include "statutory/ecf/uPreparacaoDadosComplementaresECFP500.h"

namespace integracao {

using namespace vyn;
using ecf::kRegimes2023;
using ecf::kRegimesAnteriores;

namespace {
void Desliga(TComboBox_Padrao_VYN* cb) {
  cb->SetItemIndex(-1);
  cb->SetEnabled(false);
}
void Liga(TComboBox_Padrao_VYN* cb) {
  cb->SetEnabled(true);
  if (cb->ItemIndex() < 0 && !cb->Items.empty()) cb->SetItemIndex(0);
}
void Liga(TComboBox_Padrao_VYN* cb, bool on) { on ? Liga(cb) : Desliga(cb); }
void Desliga(TCheckBox* ck) {
  ck->SetChecked(false);
  ck->SetEnabled(false);
}
void Liga(TCheckBox* ck, bool on) {
  if (on)
    ck->SetEnabled(true);
  else
    Desliga(ck);
}
bool Em(int v, std::initializer_list<int> l) {
  for (int x : l)
    if (x == v) return true;
  return false;
}


struct TVersaoCSLL {
  int Ano;
  std::vector<std::string> Itens;
};
const TVersaoCSLL kVersoesCSLL[] = {
    {2023, {"1 - 9%", "3 - 20%", "4 - 15%"}},
    {2022, {"1 - 9%", "3 - 20%-21%", "4 - 15%-16%"}},
    {2021, {"1 - 9%", "5 - 20%-25%", "6 - 15%-20%"}},
    {2020, {"1 - 9%", "3 - 20%", "4 - 15%"}},
    {2019, {"1 - 9%", "4 - 15%"}},
    {2015, {"1 - 9%", "2 - 17%", "3 - 20%"}},
};
const TVersaoCSLL kVersao2014 = {2014, {"N - Não sujeita", "S - Sujeita a 15%"}};
}  // namespace

void TfrExportacaoECF::LigaEventos() {
  cbTributacao->OnChange = [this](TComponent* s) { cbTributacaoChange(s); };
  cbTributacao->OnExit = [this](TComponent* s) { cbTributacaoExit(s); };
  cbQualificacaoPJ->OnChange = [this](TComponent* s) { cbQualificacaoPJChange(s); };
  cbTipoEntidade->OnChange = [this](TComponent* s) { cbTipoEntidadeChange(s); };
  cbTipoEscrituracao->OnChange = [this](TComponent* s) { cbTipoEscrituracaoChange(s); };
  cbOptanteRefis->OnChange = [this](TComponent* s) { cbOptanteRefisChange(s); };
  cbApuracaoIRPJImunesIsentas->OnChange = [this](TComponent* s) { cbApuracaoIRPJImunesIsentasChange(s); };
  cbApuracaoCSLL->OnChange = [this](TComponent* s) { cbApuracaoCSLLChange(s); };
  cbPercentualAliquotaCSLL->OnChange = [this](TComponent* s) { cbPercentualAliquotaCSLLChange(s); };
  cbSituacaoEspecial->OnChange = [this](TComponent* s) { cbSituacaoEspecialChange(s); };
  cbInicioPeriodo->OnChange = [this](TComponent* s) { cbInicioPeriodoChange(s); };
  cbOptantePelaLei->OnChange = [this](TComponent* s) { cbOptantePelaLeiChange(s); };
  cbDiferencaSocFCont->OnChange = [this](TComponent* s) { cbDiferencaSocFContChange(s); };
  Ck("ckRepes_Recap_Padis")->OnClick = [this](TComponent*) { HabilitaInformacoesEconomicas(); };
  Ck("ckCebas")->OnClick = [this](TComponent* s) { ckCebasClick(s); };
  Ck("ckGrupoMultinacional")->OnClick = [this](TComponent* s) { ckGrupoMultinacionalClick(s); };
  Ck("ckExportaPlanoAnterior")->OnClick = [this](TComponent* s) { ckExportaPlanoAnteriorClick(s); };
  cbRetificadora->OnChange = [this](TComponent* s) { cbRetificadoraChange(s); };
  cbTipoECF->OnChange = [this](TComponent* s) { cbTipoECFChange(s); };
  edCodEmpSCP->OnChange = [this](TComponent* s) { edCodEmpSCPChange(s); };
  edCNPJSCP->OnExit = [this](TComponent* s) { edCNPJSCPExit(s); };
  rgResponsavel->OnClick = [this](TComponent* s) { rgResponsavelClick(s); };
  rgTipoProcurador->OnClick = [this](TComponent* s) { rgTipoProcuradorClick(s); };
  edContaAjusteECF->OnBeforeSearch = [this](TComponent* s) { edContaAjusteECFBeforeSearch(s); };
  edContaLivroCaixa->OnBeforeSearch = [this](TComponent* s) { edContaLivroCaixaBeforeSearch(s); };
  edContaLivroCaixa->OnChange = [this](TComponent*) {
    const bool varias = edContaLivroCaixa->MultiSelect() && edContaLivroCaixa->QtdeSelecionados() > 1;
    pnContaLivroCaixa->SetCaption(varias ? "Contas analíticas selecionadas" : "");
  };
  edProcurador->OnBeforeSearch = [this](TComponent* s) { edProcuradorBeforeSearch(s); };
  edRtf->OnChange = [this](TComponent* s) { edRtfChange(s); };
  clbListaArquivos->OnKeyDown = [this](TComponent*, int& key, unsigned shift) { clbListaArquivosKeyDown(key, shift); };
  edCODEMP->OnExit = [this](TComponent* s) { edCODEMPExit(s); };
  edCODEMP->AfterSearch = [this](TComponent*, bool&) { edCODEMPAfterSearch(); };
  edDataIni->OnExit = [this](TComponent* s) { edDataIniExit(s); };
  edDataFim->OnExit = [this](TComponent* s) { edDataFimExit(s); };
  edDataSituacaoEspecial->OnExit = [this](TComponent* s) { edDataSituacaoEspecialExit(s); };
  edRemanescente->OnExit = [this](TComponent* s) { edRemanescenteExit(s); };
  edAliquotaReduzida->OnExit = [this](TComponent* s) { edRemanescenteExit(s); };
  edQuantidadeSCP->OnExit = [this](TComponent* s) { edQuantidadeSCPExit(s); };
  edNumeroRecibo->OnExit = [this](TComponent* s) { edNumeroReciboExit(s); };
  edContaLivroCaixa->SetOnValidar([this](TComponent*, std::string& msg) {
    if (!edContaLivroCaixaValidar()) return true;
    msg = kMsgContaNaoAtivo;
    return false;
  });
  spP500->OnClick = [this](TComponent* s) { spP500Click(s); };
  spPlanoSped->OnClick = [this](TComponent* s) { spPlanoSpedClick(s); };
  spY665->OnClick = [this](TComponent*) { AbrePreparacao("TfrPreparacaoContasECFY665"); };
  spY671->OnClick = [this](TComponent*) { AbrePreparacao("TfrPreparacaoContasECFY671"); };
  spY672->OnClick = [this](TComponent*) { AbrePreparacao("TfrPreparacaoContasECFY672"); };
  spDepreBens->OnClick = [this](TComponent* s) { spDepreBensClick(s); };
  spConsulta->OnClick = [this](TComponent* s) { spConsultaClick(s); };
  spSpedAutomatico->OnClick = [this](TComponent* s) { spSpedAutomaticoClick(s); };
  spConfigPadraoRel->OnClick = [this](TComponent* s) { spConfigPadraoRelClick(s); };
  mmSalvarConfig->OnClick = [this](TComponent* s) { mmSalvarConfigClick(s); };
  mmLimparconfig->OnClick = [this](TComponent* s) { mmLimparconfigClick(s); };
}

namespace {
// Whether the layout of y0 applies to a period starting in year y with special situation s (a special
// event in y0 itself takes the previous layout).
bool VersaoVale(int y0, int y, int s) {
  if (y > y0) return true;
  if (y != y0) return false;
  return y0 < 2020 ? s == 0 : Em(s, {0, 8, 9});
}

const TVersaoCSLL& VersaoCSLL(int ano, int situacao) {
  for (const auto& c : kVersoesCSLL)
    if (VersaoVale(c.Ano, ano, situacao)) return c;
  return kVersao2014;
}
}  // namespace

bool TfrExportacaoECF::getVersao(int y0) const { return VersaoVale(y0, Ano(), SituacaoEspecial()); }

void TfrExportacaoECF::pCarregaItemsAliquotaCSLL() {
  const TVersaoCSLL& v = VersaoCSLL(Ano(), SituacaoEspecial());
  if (FCSLLCarregado != v.Ano) {
    FCSLLCarregado = v.Ano;
    cbPercentualAliquotaCSLL->Clear();
    cbPercentualAliquotaCSLL->Items = v.Itens;
    const int n = static_cast<int>(v.Itens.size());
    // A rate restored without its year (a default configuration) is read in the year's list: an index
    // beyond it is a saved rate the list lacks, never its first item.
    if (!csllSalvo_.Pendente && csllRestaurado_ >= n) {
      csllSalvo_.Pendente = true;
      csllSalvo_.Item = std::to_string(csllRestaurado_);
      csllRestaurado_ = -1;
    }
    if (csllSalvo_.Pendente)
      SelecionaAliquotaCSLLSalva();
    else
      cbPercentualAliquotaCSLL->SetItemIndex(csllRestaurado_ >= 0 ? csllRestaurado_ : 0);
  }
  DesligaAliquotaSemCSLL();
  RegraP500();
}

void TfrExportacaoECF::DesligaAliquotaSemCSLL() {
  const int t = Tributacao();
  if (!((t == 8 || t == 9) && GetCaractereCombo(*cbApuracaoCSLL) == "D")) return;
  Desliga(cbPercentualAliquotaCSLL);
  // No rate is owed: a rate saved beside "D" by an older set is not one the year's list has lost.
  csllSalvo_ = TCsllSalvo();
  csllRestaurado_ = -1;
}

void TfrExportacaoECF::RegraP500() {
  const int c = GetIndexCombo(*cbPercentualAliquotaCSLL);
  if ((c == 3 || c == 6) && Ano() >= 2015) {
    TParametrosBlocoP500** dados[2] = {&FDadosP500_51, &FDadosP500_52};
    for (int i = 0; i < 2; ++i)
      if (!*dados[i]) {
        *dados[i] = Create<TParametrosBlocoP500>();
        if (p500Salvo_[i]) PreencheP500(**dados[i], static_cast<TParamECFP500>(i), *p500Salvo_[i]);
      }
    spP500->SetEnabled(true);
  } else {
    if (FDadosP500_51) FreeComponent(FDadosP500_51);
    if (FDadosP500_52) FreeComponent(FDadosP500_52);
    FDadosP500_51 = FDadosP500_52 = nullptr;
    spP500->SetEnabled(false);
  }
}

void TfrExportacaoECF::cbTributacaoChange(TComponent*) {
  const int t = Tributacao();
  const int q = GetIndexCombo(*cbQualificacaoPJ);
  const int e = GetIndexCombo(*cbTipoEntidade);
  const int y = Ano();
  const bool imune = t == 8 || t == 9;
  if (t == 5) {
    SetCaractereCombo("T", *cbPeriodoIRPJ);
    cbPeriodoIRPJ->SetEnabled(false);
    SetCaractereCombo("01", *cbQualificacaoPJ);
    cbQualificacaoPJ->SetEnabled(false);
  } else {
    Liga(cbPeriodoIRPJ, !imune);
    Liga(cbQualificacaoPJ, !imune);
  }
  Liga(cbTipoEscrituracao, t != 1);
  const int q2 = GetIndexCombo(*cbQualificacaoPJ);
  (void)q;
  Liga(Ck("ckAtividadeRural"), q2 == 1 && (t == 1 || t == 5));
  Liga(Ck("ckLucroExploracao"), q2 == 1 && (t == 1 || t == 5));
  cbOptanteRefisChange(nullptr);
  Liga(Ck("ckFinor_Finam_Funres"), t == 1);
  for (auto* cb : {cbAlteracaoCapital, cbEscrituracaoAtivo, cbAvaliacaoEstoqueFinal}) {
    if (t != 1) cb->SetItemIndex(cb->Items.empty() ? -1 : 0);
    cb->SetEnabled(t == 1);
  }
  for (auto* cb : {cbRegimeApuracao, cbAvaliacaoEstoques}) {
    if (t != 5) cb->SetItemIndex(cb->Items.empty() ? -1 : 0);
    cb->SetEnabled(t == 5);
  }
  cbTipoEscrituracaoChange(nullptr);
  for (const char* n : {"ckCampanhasEleitorais", "ckOperacoesExterior", "ckInovacaoTecnologica", "ckInclusaoDigital",
                        "ckRepes_Recap_Padis", "ckPoloIndustrial", "ckZonasExportacao", "ckAreasLivreComercio"}) {
    if (imune)
      Desliga(Ck(n));
    else
      Ck(n)->SetEnabled(true);
  }
  if (imune) {
    edAliquotaReduzida->SetValue(Currency());
    edAliquotaReduzida->SetEnabled(false);
  } else if (y < 2018) {
    lbAliquotaReduzida->SetEnabled(true);
    edAliquotaReduzida->SetEnabled(true);
  }
  Liga(Ck("ckEfetuouVendas"), !imune && q2 == 1);
  Liga(Ck("ckComercialExportadora"), !imune && q2 == 1);
  cbApuracaoCSLL->SetEnabled(imune && GetCaractereCombo(*cbApuracaoIRPJImunesIsentas) == "D");
  if (imune) {
    Liga(cbApuracaoIRPJImunesIsentas);
    // Put in by program the combo fires no change, yet the CSLL apuração follows it as the user's
    // pick makes it: left empty it would go out blank for every immune or exempt company.
    cbApuracaoIRPJImunesIsentasChange(cbApuracaoIRPJImunesIsentas);
  } else {
    Desliga(cbApuracaoIRPJImunesIsentas);
    cbApuracaoCSLL->SetItemIndex(-1);
  }
  cbApuracaoCSLLChange(nullptr);
  Liga(cbTipoEntidade, imune);
  Ck("ckAdministradoraFundos")->SetEnabled(!(t == 8 && Em(GetIndexCombo(*cbTipoEntidade), {6, 11, 12})));
  (void)e;
  spY671->SetEnabled(t == 1 && y < 2020);
  spY672->SetEnabled(t == 5);
}

void TfrExportacaoECF::cbQualificacaoPJChange(TComponent*) {
  const int t = Tributacao();
  const int q = GetIndexCombo(*cbQualificacaoPJ);
  const bool imune = t == 8 || t == 9;
  Liga(Ck("ckAtividadeRural"), q == 1 && (t == 1 || t == 5));
  Liga(Ck("ckLucroExploracao"), q == 1 && (t == 1 || t == 5));
  cbOptanteRefisChange(nullptr);
  Liga(Ck("ckEfetuouVendas"), !imune && q == 1);
  Liga(Ck("ckComercialExportadora"), !imune && q == 1);
  Liga(Ck("ckAtivosExterior"), GetIndexCombo(*cbTipoEntidade) != 13 && q == 1);
}

void TfrExportacaoECF::cbTipoEntidadeChange(TComponent*) {
  const bool fifa = GetIndexCombo(*cbTipoEntidade) == 13;
  for (const char* n : {"ckParticipacoesConsorcios", "ckParticipacaoPermanente", "ckRecebimentosExterior",
                        "ckPagamentosExterior", "ckComercioEletronico", "ckRoyaltiesRecebidos", "ckRoyaltiesPagos",
                        "ckRendimentosExterior", "ckRemessasExterior"}) {
    if (fifa)
      Desliga(Ck(n));
    else
      Ck(n)->SetEnabled(true);
  }
  Liga(Ck("ckAtivosExterior"), !fifa && GetIndexCombo(*cbQualificacaoPJ) == 1);
  Ck("ckAdministradoraFundos")->SetEnabled(!(Tributacao() == 8 && Em(GetIndexCombo(*cbTipoEntidade), {6, 11, 12})));
}

void TfrExportacaoECF::cbTipoEscrituracaoChange(TComponent*) {
  if (Tributacao() != 1 && GetCaractereCombo(*cbTipoEscrituracao) == "L") {
    edContaLivroCaixa->SetEnabled(true);
  } else {
    edContaLivroCaixa->Clear();
    edContaLivroCaixa->ClearMultiSelecao();
    edContaLivroCaixa->SetEnabled(false);
  }
}

void TfrExportacaoECF::cbOptanteRefisChange(TComponent*) {
  Liga(Ck("ckImpostoLucroPresumido"),
       GetCaractereCombo(*cbOptanteRefis) == "S" && GetIndexCombo(*cbQualificacaoPJ) == 1 && Tributacao() == 5);
}

void TfrExportacaoECF::cbApuracaoIRPJImunesIsentasChange(TComponent*) {
  const std::string c = GetCaractereCombo(*cbApuracaoIRPJImunesIsentas);
  if (c == "D") {
    if (Tributacao() == 8 || Tributacao() == 9) cbApuracaoCSLL->SetEnabled(true);
  } else {
    SetCaractereCombo(c, *cbApuracaoCSLL);
    cbApuracaoCSLL->SetEnabled(false);
  }
}

void TfrExportacaoECF::cbApuracaoCSLLChange(TComponent*) {
  const int t = Tributacao();
  Liga(cbPercentualAliquotaCSLL, !((t == 8 || t == 9) && GetCaractereCombo(*cbApuracaoCSLL) == "D"));
}

void TfrExportacaoECF::cbPercentualAliquotaCSLLChange(TComponent*) {
  csllRestaurado_ = -1;   // the user's pick replaces the restored rate, and its P500 values
  csllSalvo_ = TCsllSalvo();
  p500Salvo_[0].reset();
  p500Salvo_[1].reset();
  RegraP500();
}

void TfrExportacaoECF::RestauraP500(const std::string& valor51, const std::string& valor52) {
  const std::string* valores[2] = {&valor51, &valor52};
  TParametrosBlocoP500* dados[2] = {FDadosP500_51, FDadosP500_52};
  for (int i = 0; i < 2; ++i) {
    Currency v;
    p500Salvo_[i].reset();
    if (!Trim(*valores[i]).empty() && Currency::TryParse(Trim(*valores[i]), v)) p500Salvo_[i] = v;
    if (dados[i] && p500Salvo_[i]) PreencheP500(*dados[i], static_cast<TParamECFP500>(i), *p500Salvo_[i]);
  }
}

void TfrExportacaoECF::RestauraAliquotaCSLL(int indice, std::optional<int> anoSalvo, int situacaoSalva) {
  csllRestaurado_ = -1;
  csllSalvo_ = TCsllSalvo();
  if (!anoSalvo) {
    csllRestaurado_ = indice;
    const int n = static_cast<int>(cbPercentualAliquotaCSLL->Items.size());
    cbPercentualAliquotaCSLL->SetItemIndex(indice >= 0 && indice < n ? indice : -1);
    return;
  }
  if (indice < 0) {   // no rate was chosen (switched off): none is put in
    cbPercentualAliquotaCSLL->SetItemIndex(-1);
    return;
  }
  const std::vector<std::string>& itens = VersaoCSLL(*anoSalvo, situacaoSalva).Itens;
  csllSalvo_.Pendente = true;
  if (indice < static_cast<int>(itens.size())) {
    csllSalvo_.Item = itens[static_cast<size_t>(indice)];
    csllSalvo_.Codigo = CodigoItem(csllSalvo_.Item);
  } else {
    csllSalvo_.Item = std::to_string(indice);   // an index no list of its year has: no rate matches it
  }
  SelecionaAliquotaCSLLSalva();
}

void TfrExportacaoECF::SelecionaAliquotaCSLLSalva() {
  int achado = -1;
  for (size_t i = 0; i < cbPercentualAliquotaCSLL->Items.size(); ++i)
    if (!csllSalvo_.Codigo.empty() && CodigoItem(cbPercentualAliquotaCSLL->Items[i]) == csllSalvo_.Codigo)
      achado = static_cast<int>(i);
  cbPercentualAliquotaCSLL->SetItemIndex(achado);
}

bool TfrExportacaoECF::AliquotaCSLLSalvaPerdida() const {
  // A saved index no list has names no rate: no item of the combo, nor an empty one, stands for it;
  // nor does an index restored without its year that the year's list lacks.
  if (!csllSalvo_.Pendente)
    return FCSLLCarregado != 0 && csllRestaurado_ >= static_cast<int>(cbPercentualAliquotaCSLL->Items.size());
  return csllSalvo_.Codigo.empty() || GetCaractereCombo(*cbPercentualAliquotaCSLL) != csllSalvo_.Codigo;
}

void TfrExportacaoECF::ConfereAliquotaCSLLSalva() {
  if (!AliquotaCSLLSalvaPerdida()) return;
  ControleErro(cbPercentualAliquotaCSLL,
               "A alíquota da ^CSLL salva, \"" +
                   (csllSalvo_.Pendente ? csllSalvo_.Item : std::to_string(csllRestaurado_)) +
                   "\", não existe na lista do ano " + std::to_string(Ano()) + ": escolha a alíquota da ^CSLL do ano em \"Parâmetros complementares\".");
  SetaFoco(cbPercentualAliquotaCSLL);
}

void TfrExportacaoECF::cbTributacaoExit(TComponent*) {
  const int t = Tributacao();
  if ((t == 8 || t == 9) && SituacaoEspecial() == 8) {
    cbTributacao->SetItemIndex(0);
    DlgInfOk("Não é possível selecionar as opções \"8 - ^Imune\" ou \"9 - ^Isenta\" quando a situação especial e "
             "outros eventos for ~\"8 - Desenquadramento de Imunes/Isentas\".",
             FLogEvent);
  }
}

void TfrExportacaoECF::cbSituacaoEspecialChange(TComponent*) {
  if (getPossuiConfigPadrao()) return;
  ControlaOptanteDiferencaSocECont();
  HabilitaCamposSituacaoEspecial();
  if (SituacaoEspecial() == 0) edDataSituacaoEspecial->SetData(TDateTime());
  pCarregaItemsAliquotaCSLL();
  HabilitaInformacoesEconomicas();
}

void TfrExportacaoECF::cbInicioPeriodoChange(TComponent*) { ControlaOptanteDiferencaSocECont(); }

void TfrExportacaoECF::cbOptantePelaLeiChange(TComponent*) {
  const int y = Ano();
  const std::string c = GetCaractereCombo(*cbOptantePelaLei);
  if ((y < 2015 && c == "S") || (y >= 2015 && c == "N")) {
    cbDiferencaSocFCont->SetEnabled(true);
  } else {
    cbDiferencaSocFCont->SetItemIndex(0);
    cbDiferencaSocFCont->SetEnabled(false);
  }
}

void TfrExportacaoECF::cbDiferencaSocFContChange(TComponent*) {
  const int y = Ano();
  const bool s = GetCaractereCombo(*cbDiferencaSocFCont) == "S";
  spY665->SetEnabled((s && y < 2016) || (y == 2016 && cbSituacaoEspecial->ItemIndex() > 0));
}

void TfrExportacaoECF::ckCebasClick(TComponent*) {
  const bool on = Ck("ckCebas")->Checked();
  edCebas->SetEnabled(on);
  if (!on) edCebas->Clear();
}

void TfrExportacaoECF::ControlaOptanteDiferencaSocECont() {
  if (getPossuiConfigPadrao()) return;
  const int y = Ano();
  const bool off = (GetIndexCombo(*cbInicioPeriodo) == 1 && SituacaoEspecial() == 1) || y > 2016 ||
                   (y == 2016 && cbSituacaoEspecial->ItemIndex() == 0);
  Liga(cbOptantePelaLei, !off);
  Liga(cbDiferencaSocFCont, !off);
}

void TfrExportacaoECF::HabilitaInformacoesEconomicas() {
  const int y = Ano();
  const bool on = Ck("ckRepes_Recap_Padis")->Checked() && (y > 2016 || (y == 2016 && cbSituacaoEspecial->ItemIndex() == 0));
  tsInformacoesEconomicas->SetEnabled(on);
  for (auto* c : infoEconomicas_) {
    c->SetEnabled(on);
    if (!on)
      if (auto* ck = dynamic_cast<TCheckBox*>(c)) ck->SetChecked(false);
  }
  NovasInformacoesEconomicas2023();
  if (y >= 2022)
    for (const char* n : kRegimesAnteriores) Ck(n)->SetEnabled(false);
  AjustaCaptionRepes_Recap_Padis();
}

void TfrExportacaoECF::NovasInformacoesEconomicas2023() {
  const int y = Ano();
  for (const char* n : kRegimesAnteriores) Ck(n)->SetVisible(y != 2023);
  for (const char* n : kRegimes2023) Ck(n)->SetVisible(y == 2023);
  const bool on = tsInformacoesEconomicas->Enabled() && !spConfigPadraoRel->Marked;
  for (auto* c : infoEconomicas_) c->SetEnabled(on);
}

void TfrExportacaoECF::AjustaCaptionRepes_Recap_Padis() {
  Ck("ckRepes_Recap_Padis")
      ->SetCaption(Ano() < 2022
                       ? "Repes, Recap, Padis, PATVD, Reidi, Repenec, Reicomp, Retaero, Recine, Resíduos sólidos, "
                         "Recopa, Copa do mundo, Retid, REPNBL-Redes, Reif e Olimpíadas"
                       : "PJ Habilitada ao Repes, Recap, Padis, Reidi, Recine, Retid, Óleo Bunker, Reporto, RET II, "
                         "RET PMCMV/PCVA, RET EEI, EBAS Imune, Repetro-Industrialização, Repetro e Repetro-Sped");
}

void TfrExportacaoECF::HabilitaParametrosTributacao() {
  if (getPossuiConfigPadrao()) return;
  cbOptantePaes->SetEnabled(Ano() < 2020);
}

void TfrExportacaoECF::HabilitaOutrasInfo() {
  if (getPossuiConfigPadrao()) return;
  const int y = Ano();
  if (y >= 2018) {
    lbAliquotaReduzida->SetEnabled(false);
    edAliquotaReduzida->SetEnabled(false);
  }
  Liga(Ck("ckExportaPlanoAnterior"), y >= 2019);
}

void TfrExportacaoECF::HabilitaParametrosComplementares() {
  if (getPossuiConfigPadrao()) return;
  const int y = Ano();
  for (const char* n : {"ckEfetuouVendas", "ckComercialExportadora", "ckCampanhasEleitorais"})
    Ck(n)->SetEnabled(y < 2020);
  Ck("ckGrupoMultinacional")->SetEnabled(y >= 2020);
  auto* nova = Ck("ckNovaRegraPrecoTransf2023");
  nova->SetEnabled(y == 2023 || y == 2024);
  nova->SetVisible(y < 2025);
  if (!nova->Visible() || !nova->Enabled()) nova->SetChecked(false);
  auto* cebas = Ck("ckCebas");
  cebas->SetEnabled(y >= 2025);
  cebas->SetVisible(y >= 2025);
  edCebas->SetVisible(cebas->Visible());
  lbCebas->SetVisible(cebas->Visible());
  if (!cebas->Visible()) cebas->SetChecked(false);
  ckCebasClick(cebas);
  AjustaCaptionRepes_Recap_Padis();
}

void TfrExportacaoECF::pControlaDerex() {
  auto* ck = Ck("ckDerex");
  Liga(ck, Ano() >= 2017);
}

void TfrExportacaoECF::RegraCebasComConfigPadrao() {
  VisibilidadeCebasPrecoTransf();
  AjustaCaptionRepes_Recap_Padis();
  NovasInformacoesEconomicas2023();
}

void TfrExportacaoECF::spConfigPadraoRelClick(TComponent*) {
  // The framework's part: the button switches between the saved default configuration shown (marked,
  // its values frozen) and the screen open for editing.
  spConfigPadraoRel->SetMarked(!spConfigPadraoRel->Marked);
  const bool m = spConfigPadraoRel->Marked;
  edDataIni->SetEnabled(true);
  edDataFim->SetEnabled(true);
  VisibilidadeCebasPrecoTransf();
  if (Ano() == 2023) {
    for (const char* n : kRegimes2023) Ck(n)->SetEnabled(!m);
  } else {
    for (auto* c : infoEconomicas_) c->SetEnabled(tsInformacoesEconomicas->Enabled());
  }
}

void TfrExportacaoECF::VisibilidadeCebasPrecoTransf() {
  const int y = Ano();
  const bool m = spConfigPadraoRel->Marked;
  auto* cebas = Ck("ckCebas");
  auto* nova = Ck("ckNovaRegraPrecoTransf2023");
  cebas->SetVisible(y >= 2025);
  cebas->SetEnabled(y >= 2025 && !m);
  nova->SetVisible(y < 2025);
  nova->SetEnabled((y == 2023 || y == 2024) && !m);
  edCebas->SetVisible(cebas->Visible());
  lbCebas->SetVisible(cebas->Visible());
  if (!cebas->Visible()) cebas->SetChecked(false);
  if (!nova->Visible()) nova->SetChecked(false);
  ckCebasClick(cebas);
}

void TfrExportacaoECF::PageControl_VYNChange(TTabSheet* novaAba) {
  if (novaAba == tsTributacao) verificaK155();
  if (getPossuiConfigPadrao()) return;
  if (novaAba == tsTributacao) {
    FormaTributacaoOK(true);
    HabilitaParametrosTributacao();
  } else if (novaAba == tsComplementar) {
    HabilitaParametrosComplementares();
  } else if (novaAba == tsOutras) {
    HabilitaOutrasInfo();
  }
}

}  // namespace integracao
