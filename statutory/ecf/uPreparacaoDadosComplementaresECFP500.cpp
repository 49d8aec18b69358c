#include "statutory/ecf/uPreparacaoDadosComplementaresECFP500.h"

#include "framework/component/lista_obj.h"
#include "framework/component/valor_temporario.h"
#include "framework/core/text.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr int kTeclaTab = 9;
constexpr int kTeclaAcima = 38;
}  // namespace

TfrPreparacaoDadosComplementaresECFP500::TfrPreparacaoDadosComplementaresECFP500(TComponent* owner)
    : TfrDadosComplementaresPadrao(owner),
      edValorP500_51(Create<TEdit_Numerico_Padrao_VYN>(2)),
      edValorP500_52(Create<TEdit_Numerico_Padrao_VYN>(2)) {
  SetName("frPreparacaoDadosComplementaresECFP500");
  SetCaption("Dados complementares ^P500");
  const char* dica = "F2 - Retorna o número máximo suportado pelo campo. Sinal (+) - Soma 1 centavo ao valor. "
                     "Sinal (-) - Diminui 1 centavo do valor";
  edValorP500_51->SetName("edValorP500_51");
  edValorP500_52->SetName("edValorP500_52");
  for (auto* e : {edValorP500_51, edValorP500_52}) {
    e->SetTamanho(9);
    e->AceitaNegativo = false;
    e->SetHint(dica);
    e->SetValue(Currency());
  }
  edValorP500_52->OnExit = [this](TComponent*) { edValorP500_52Exit(paraTras_); };
}

void TfrPreparacaoDadosComplementaresECFP500::KeyDown(int& key, unsigned shift) {
  TfrDadosComplementaresPadrao::KeyDown(key, shift);
  // The two values are the dialog's only fields: Tab from the second goes round to the first, and
  // leaving it so confirms; Shift+Tab and the Up arrow leave it backwards, which confirms nothing.
  const bool tab = key == kTeclaTab, acima = key == kTeclaAcima;
  if (!(tab || acima) || ActiveControl() != edValorP500_52) return;
  const TValorTemporario<bool> direcao(paraTras_, acima || (shift & ssShift) != 0);
  key = 0;
  edValorP500_51->SetFocus();
}

bool TfrPreparacaoDadosComplementaresECFP500::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrPreparacaoDadosComplementaresECFP500") ||
         TfrDadosComplementaresPadrao::InheritsFrom(class_name);
}

void TfrPreparacaoDadosComplementaresECFP500::SetListaObj(const TListaObj& lista) {
  // The values typed here live in the ECF screen's objects: without them nothing would be kept.
  ExigeListaDoAbridor(lista, pp5Dados52 + 1, "Esta tela é aberta pela exportação da ECF.");
  TfrDadosComplementaresPadrao::SetListaObj(lista);
  FDados51 = lista.Get<TParametrosBlocoP500>(pp5Dados51);
  FDados52 = lista.Get<TParametrosBlocoP500>(pp5Dados52);
  Mostra();
}

void TfrPreparacaoDadosComplementaresECFP500::Mostra() {
  edValorP500_51->SetValue(FDados51 ? FDados51->Valor : Currency());
  edValorP500_52->SetValue(FDados52 ? FDados52->Valor : Currency());
}

bool TfrPreparacaoDadosComplementaresECFP500::ExecutarProcesso() {
  return edValorP500_51->Value() >= vyn::Currency() && edValorP500_52->Value() >= vyn::Currency();
}

void TfrPreparacaoDadosComplementaresECFP500::ProcessoConfirma() {
  TfrDadosComplementaresPadrao::ProcessoConfirma();
  const Currency v51 = edValorP500_51->Value();
  const Currency v52 = edValorP500_52->Value();
  if (FDados51) PreencheP500(*FDados51, pp5Dados51, v51);
  if (FDados52) PreencheP500(*FDados52, pp5Dados52, v52);
}

void PreencheP500(TParametrosBlocoP500& dados, TParamECFP500 item, Currency valor) {
  dados.Registro = "P500";
  dados.Codigo = item == pp5Dados51 ? "0.51" : "0.52";
  dados.Descricao = item == pp5Dados51 ? "Total das receitas brutas computadas no trimestre"
                                       : "Total das receitas brutas do mês de Setembro";
  dados.Valor = valor;
}

void TfrPreparacaoDadosComplementaresECFP500::edValorP500_52Exit(bool paraTras) {
  if (!paraTras) spConfirmar->Click();
}

}  // namespace integracao
