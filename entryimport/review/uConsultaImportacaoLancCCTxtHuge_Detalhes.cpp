// The staged review's detail bar (which aggregate the detail grid shows) and the drawing of its
// multiple-entry grid.
#include <algorithm>

#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/component/process_context.h"
#include "framework/schema/revisao_tabelas.h"
#include "framework/ui/edit_codigo.h"

namespace integracao {

using namespace vyn;

namespace {

// A company profile flag of TEMPRESAS ('TRUE'); false where the company table does not carry it.
bool PerfilEmpresa(const TEdit_Codigo_Search_VYN* codEmp, const char* coluna) {
  TDatabase* db = ProcessContext().Database;
  if (!db || !codEmp || codEmp->Codigo() == 0) return false;
  const auto cols = db->TableColumns("TEMPRESAS");
  if (std::find(cols.begin(), cols.end(), coluna) == cols.end()) return false;
  const Variant v = db->QueryValue(std::string("select ") + coluna + " from TEMPRESAS where BDCODEMP = ?",
                                   {Variant(static_cast<long long>(codEmp->Codigo()))});
  return !v.IsNull() && UpperCase(Trim(v.AsString())) == "TRUE";
}

}  // namespace

void TfrConsultaImportacaoLancCCTxtHuge::AfterAddButtons() {
  TfrConsultaImportacaoLancCCTxt::AfterAddButtons();
  CarregaBotoes();
}

void TfrConsultaImportacaoLancCCTxtHuge::CarregaBotoes() {
  const std::pair<TSpeedButton*, const char*> imagens[] = {
      {spLancamentosCC, "spRateio100"},        {spLancamentosObs, "spDestacar"},
      {spLancamentosInc, "spProtocoloSaidaEmpresa"}, {spLancamentosPR, "spProdutorRural"},
      {spNotaExplicativa, "spNE"},             {spAutoLinkVerde, "spAutoLinkVerde"},
      {spCurrencyLinkMulti, "spCurrencyLink"}, {spDelLinkMulti, "spDelLink"}};
  for (const auto& [botao, imagem] : imagens) FImagemBotao[botao] = grGridItens->AddBitmap("", imagem);
  spCurrencyLinkMulti->SetVisible(false);
  spDelLinkMulti->SetVisible(false);
  for (TSpeedButton* b : {spLancamentosCC, spLancamentosObs, spLancamentosPR, spLancamentosInc, spNotaExplicativa})
    AddClickBotao(b);
}

void TfrConsultaImportacaoLancCCTxtHuge::AfterSetFieldsContainerItem() {
  TfrConsultaImportacaoLancCCTxt::AfterSetFieldsContainerItem();
  AjusteBotoesSetFieldsContainer();
}

void TfrConsultaImportacaoLancCCTxtHuge::AjusteBotoesSetFieldsContainer() {
  const bool lancamentos = tvGrupos->Selected() && tvGrupos->Selected()->Text == kNodoLancamentos;
  spLancamentosCC->SetVisible(lancamentos);
  spLancamentosObs->SetVisible(lancamentos);
  // Staging gives every line of such a company its rows (framework/accounting/importacao_lanc_txt_grande.h).
  spLancamentosInc->SetVisible(PerfilEmpresa(FCodEmp, "BDINCORPORADORA"));
  spLancamentosPR->SetVisible(PerfilEmpresa(FCodEmp, "BDPRODUTORRURAL"));
}

void TfrConsultaImportacaoLancCCTxtHuge::OnClickButtonGridDetalhe(TComponent* sender) { TrataDownBotoes(sender); }

void TfrConsultaImportacaoLancCCTxtHuge::TrataDownBotoes(TComponent* sender) {
  for (TSpeedButton* b : {spLancamentosCC, spLancamentosObs, spLancamentosInc, spLancamentosPR, spNotaExplicativa})
    b->Down = b == sender;
  int indice = 0;
  if (spLancamentosObs->Down)
    indice = 1;
  else if (spLancamentosInc->Down)
    indice = 2;
  else if (spLancamentosPR->Down)
    indice = 3;
  else if (spNotaExplicativa->Down)
    indice = 4;
  SetSelectedDetailIndex(indice);
  // The detail shown changes; the lines do not.
  AtualizaDetalhesHugeFile();
}

void TfrConsultaImportacaoLancCCTxtHuge::ClickBotaoItem(TComponent* sender) {
  TfrConsultaImportacaoLancCCTxt::ClickBotaoItem(sender);
  spAcaoItem->SetVisible(sender != spLancamentosObs && sender != spLancamentosPR && sender != spLancamentosInc &&
                         sender != spNotaExplicativa);
}

void TfrConsultaImportacaoLancCCTxtHuge::pMostraDadosPadrao(const TClientDataSet& ds, const std::string& campo,
                                                            std::string& texto) const {
  if (const TField* f = ds.IsEmpty() ? nullptr : ds.FindField(campo)) pMostraDadosPadrao_VYN(*f, texto);
}

void TfrConsultaImportacaoLancCCTxtHuge::grLancamentoManualMostraDado(const std::string& campo, std::string& texto) {
  if (!DAOAtual()) return;
  if (const TClientDataSet* m = grLancamentoManual->DataSet()) pMostraDadosPadrao(*m, campo, texto);
  const std::string f = UpperCase(campo);
  auto coluna = [this, &campo]() -> TGridColumn* {
    for (TGridColumn& c : grLancamentoManual->Columns)
      if (SameText(c.FieldName, campo)) return &c;
    return nullptr;
  };
  TGridColumn* c = coluna();
  if (f == "BDDATA") {
    if (c && c->Width < 80) c->Width = 80;
  } else if (f == "BDVALOR") {
    if (c && c->Width != 180) c->Width = 180;
    if (c) c->Alignment = TAlignment::taRightJustify;
  } else if (f == "BDCOMPL") {
    if (c && c->Width != 700) c->Width = 700;
  } else if (f == "BDVINC_BAIXA") {
    texto.clear();
  }
}

int TfrConsultaImportacaoLancCCTxtHuge::grLancamentoManualMostraDadoImagem(const std::string& campo) {
  if (!SameText(campo, "BDVINC_BAIXA")) return -1;
  TClientDataSet* ds = grLancamentoManual->DataSet();
  if (!ds || ds->IsEmpty()) return -1;
  const TField* f = ds->FindField("BDVINC_BAIXA");
  if (!f || f->IsNull()) return -1;
  const std::string v = UpperCase(Trim(f->AsString()));
  return v == "TRUE" || v == "T" ? FBMPMoeda : -1;
}

void TfrConsultaImportacaoLancCCTxtHuge::spExcluirItemClick(TComponent* sender) {
  if (!spExcluirItem->Enabled()) return;
  TfrConsultaImportacaoLancCCTxt::spExcluirItemClick(sender);
}

}  // namespace integracao
