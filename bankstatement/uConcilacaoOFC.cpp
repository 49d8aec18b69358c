#include "bankstatement/uConcilacaoOFC.h"

#include "bankstatement/uCriteriosConciliacao.h"
#include "framework/accounting/extrato_ban_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

namespace {

bool Marcado(const TClientDataSet& ds, const char* campo) {
  TField* f = ds.FindField(campo);
  return f && !f->IsNull() && Variant(f->AsString()).AsBoolean();
}

std::string TextoCampo(const TClientDataSet& ds, const char* campo) {
  TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsString() : std::string();
}

}  // namespace

TfrConciliacaoOFC::TfrConciliacaoOFC(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      edCODCTA(Create<TEdit_Codigo_Search_VYN>(tcPlanoContas)),
      pnNOMCTA(Create<TPanel>()),
      edDATINI(Create<TEdit_Date_Padrao_VYN>()),
      edDATFIN(Create<TEdit_Date_Padrao_VYN>()),
      gbConciliacoes(Create<TGroupBox>()),
      ckDocumento(Create<TCheckBox>()),
      ckData(Create<TCheckBox>()),
      ckValor(Create<TCheckBox>()),
      ckConsiderarZeroAEsquerda(Create<TCheckBox>()) {
  edCODCTA->SetName("edCODCTA");
  pnNOMCTA->SetName("pnNOMCTA");
  edDATINI->SetName("edDATINI");
  edDATFIN->SetName("edDATFIN");
  gbConciliacoes->SetName("gbConciliacoes");
  ckDocumento->SetName("ckDocumento");
  ckValor->SetName("ckValor");
  ckData->SetName("ckData");
  ckConsiderarZeroAEsquerda->SetName("ckConsiderarZeroAEsquerda");
  SetCaption("Conciliação do extrato bancário");
  edCODCTA->EditsMaster.push_back(edCODEMP);
  edCODCTA->PanelNome = pnNOMCTA;
  edCODEMP->SetEnabled(false);
  edCODCTA->SetEnabled(false);
  edDATINI->SetEnabled(false);
  edDATFIN->SetEnabled(false);
  gbConciliacoes->SetCaption(" Conciliações ");
  ckDocumento->SetCaption("Número de documento");
  ckData->SetCaption("Comparar Data");
  ckValor->SetCaption("Comparar Valor");
  ckConsiderarZeroAEsquerda->SetCaption("Considerar zeros a esquerda");
  ckData->SetEnabled(false);
  ckValor->SetEnabled(false);
  ckConsiderarZeroAEsquerda->SetEnabled(false);
  ckDocumento->OnClick = [this](TComponent*) { TrataComponentesConciliacao(); };
}

bool TfrConciliacaoOFC::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConciliacaoOFC") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConciliacaoOFC::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  FLancamentoDAO = nullptr;
  if (auto* dono = dynamic_cast<TForm_VYN*>(Owner())) dono->SetEnabled(false);
}

void TfrConciliacaoOFC::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, 1, "Esta tela é aberta pela revisão do extrato bancário e pela conciliação bancária.");
  TfrProcesso_Empresa_Padrao_VYN::SetListaObj(lista);
}

void TfrConciliacaoOFC::FormShow() {
  TfrProcesso_Empresa_Padrao_VYN::FormShow();
  TrataComponentesConciliacao();
}

void TfrConciliacaoOFC::FormClose(TCloseAction& action) {
  TfrProcesso_Empresa_Padrao_VYN::FormClose(action);
  if (auto* dono = dynamic_cast<TForm_VYN*>(Owner())) dono->SetEnabled(true);
}

void TfrConciliacaoOFC::TrataComponentesConciliacao() {
  AplicaCriteriosConciliacao(true, *ckDocumento, *ckValor, *ckData, *ckConsiderarZeroAEsquerda, *gbConciliacoes);
}

void TfrConciliacaoOFC::Processo() {
  if (!FLancamentoDAO) return;
  if (FDaoExtrato) {
    if (!FDaoExtrato->ConciliaDaoExtrato(ckData->Checked(), ckDocumento->Checked(), ckValor->Checked(),
                                         ckConsiderarZeroAEsquerda->Checked(), FLancamentoDAO))
      DlgInfOk("Conciliação automática concluída. \r^Ainda existem lançamentos não-conciliados, verifique!");
    else
      DlgInfOk("Conciliação bancária concluída com sucesso!\r^Não há nenhuma divergência entre o extrato importado e a contabilização!");
    Close();
    return;
  }
  ConciliaLancamentos();
}

void TfrConciliacaoOFC::ConciliaLancamentos() {
  TLancamentoMGR& lan = *FLancamentoDAO;
  auto* trab = TLancamentoMGR::CreateMgr(this, false, false, 1, false, true);
  const int64_t conta = edCODCTA->Codigo();
  const std::string empresa = std::to_string(edCODEMP->Codigo());
  TDisabledControls controles(lan);
  auto* status = TfrStatusProcesso::createStatusProcess(this, 2, 1);
  status->setPrimaryStatusLabel("Conciliando lançamentos...");
  status->setPrimaryMaxProgress(lan.RecordCount());
  const int rec = lan.RecNo();
  auto fim = [&] {
    status->Finalize();
    if (rec > 0 && rec <= lan.RecordCount()) lan.SetRecNo(rec);
    FreeComponent(trab);
  };
  try {
    for (lan.First(); !lan.Eof(); lan.Next()) {
      status->setPrimaryStatusProgress(lan.RecNo());
      if (Marcado(lan, "BDCONCD") || Marcado(lan, "BDCONCC")) continue;
      const bool debito = lan.FieldByName("BDDEBITO").AsInteger() == conta;
      const Currency valor = debito ? lan.FieldByName("BDVALOR").AsCurrency() : -lan.FieldByName("BDVALOR").AsCurrency();
      const std::string dcto = lan.FieldByName("BDDCTO").AsString();
      const TDateTime data = lan.FieldByName("BDDATA").AsDateTime();
      if (!trab->GetConciliacaoExtratoBancario(edCODEMP, edCODCTA, valor, dcto, data, ckDocumento->Checked(),
                                               ckData->Checked(), ckValor->Checked(),
                                               ckConsiderarZeroAEsquerda->Checked(), lan.getItensConciliadosDAO()))
        continue;
      lan.Edit();
      trab->First();
      if (debito) {
        while (!trab->Eof() && trab->FieldByName("BDCREDITO").IsNull()) trab->Next();
        if (trab->Eof()) trab->Last();
        else {
          lan.FieldByName("BDCONCD").SetAsString("TRUE");
          lan.FieldByName("BDCREDITO").SetAsInteger(trab->FieldByName("BDCREDITO").AsInteger());
          if (trab->FieldByName("BDCODTERCEIROC").AsInteger() > 0)
            if (TField* f = lan.FindField("BDCODTERCEIROC")) f->SetAsInteger(trab->FieldByName("BDCODTERCEIROC").AsInteger());
        }
      } else {
        while (!trab->Eof() && trab->FieldByName("BDDEBITO").IsNull()) trab->Next();
        if (trab->Eof()) trab->Last();
        else {
          lan.FieldByName("BDCONCC").SetAsString("TRUE");
          lan.FieldByName("BDDEBITO").SetAsInteger(trab->FieldByName("BDDEBITO").AsInteger());
          if (trab->FieldByName("BDCODTERCEIROD").AsInteger() > 0)
            if (TField* f = lan.FindField("BDCODTERCEIROD")) f->SetAsInteger(trab->FieldByName("BDCODTERCEIROD").AsInteger());
        }
      }
      if (!trab->FieldByName("bdCODHIST").IsNull())
        if (TField* f = lan.FindField("BDCODHIST")) f->SetAsInteger(trab->FieldByName("bdCODHIST").AsInteger());
      if (!trab->FieldByName("bdCODTPHI").IsNull())
        if (TField* f = lan.FindField("BDCODTPHI")) f->SetAsInteger(trab->FieldByName("bdCODTPHI").AsInteger());
      const int tipoLinha = static_cast<int>(trab->FieldByName("bdtipoconc").AsInteger());
      const bool ambos = Marcado(*trab, "bdCONCD") && Marcado(*trab, "bdCONCC");
      TField* tipo = lan.FindField("BDTIPOCONC");
      if (tipoLinha == 6) {
        if (tipo) tipo->SetAsInteger(6);
        lan.FieldByName("BDCONCD").SetAsString("TRUE");
        lan.FieldByName("BDCONCC").SetAsString("TRUE");
      } else if (trab->FieldByName("BDDEBITO").AsInteger() == conta) {
        const int k = TLancamentoMGR::getTipoConciliacao(
            trab, true, {ambos ? TextoCampo(*trab, "BDCREDITO") : "", TextoCampo(*trab, "BDDEBITO"), empresa, "", "BDCONCD"},
            false, tipoLinha);
        if (tipo) tipo->SetAsInteger(k);
        lan.FieldByName("BDCONCC").SetAsString(TextoCampo(*trab, "bdCONCC"));
        lan.FieldByName("BDCONCD").SetAsString("TRUE");
      } else if (trab->FieldByName("BDCREDITO").AsInteger() == conta) {
        const int k = TLancamentoMGR::getTipoConciliacao(
            trab, true, {TextoCampo(*trab, "BDCREDITO"), ambos ? TextoCampo(*trab, "BDDEBITO") : "", empresa, "", "BDCONCC"},
            false, tipoLinha);
        if (tipo) tipo->SetAsInteger(k);
        lan.FieldByName("BDCONCC").SetAsString("TRUE");
        lan.FieldByName("BDCONCD").SetAsString(TextoCampo(*trab, "bdCONCD"));
      }
      const int64_t emp = lan.FieldByName("BDCODEMP").AsInteger(), chave = lan.FieldByName("BDCHAVE").AsInteger();
      if (trab->RecordCount() == 1) {
        lan.setItensConciliadosItem(emp, chave, dcto, data, valor, trab->FieldByName("bdchave").AsInteger(),
                                    trab->GetTIPOCONC());
      } else {
        trab->SetRange({Variant(100)}, {Variant(100)});
        for (trab->First(); !trab->Eof(); trab->Next())
          lan.setItensConciliadosItem(emp, chave, dcto, data, valor, trab->FieldByName("bdchave").AsInteger(),
                                      trab->GetTIPOCONC());
      }
      lan.Post();
      trab->CancelRange();
      trab->SetFiltered(false);
      trab->SetFilter("");
    }
  } catch (...) {
    if (lan.State() != TDataSetState::dsBrowse) lan.Cancel();
    fim();
    throw;
  }
  fim();
  DlgInfOk("Conciliação realizada com sucesso.");
}

}  // namespace integracao
