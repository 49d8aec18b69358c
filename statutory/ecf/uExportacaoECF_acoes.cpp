// The ECF screen's toolbar actions (the preparation screens of other packages, opened by class name;
// the scheduling of automatic SPED validations) and its accounting-audit mode.
#include <algorithm>
#include <map>
#include <memory>

#include "framework/accounting/validacao_sped.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/standins/outras_telas.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "statutory/ecf/uExportacaoECF.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr int kVK_F6 = 117;
constexpr int kVK_TAB = 9;
constexpr int kVK_RETURN = 13;
constexpr int kVK_UP = 38;
constexpr int kVK_DOWN = 40;
constexpr int kVK_ESCAPE = 27;

TDateTime DataOuZero(const TEdit_Date_Padrao_VYN* e) {
  return e->IsValid() && !e->IsEmpty() ? e->GetData() : TDateTime();
}
}  // namespace

bool TfrExportacaoECF::SequenciaRelatorioRodando() {
  const auto& estado = ProcessContext().WP_SEQUENCIARELATORIO;
  return estado && estado->Executando;
}

void TfrExportacaoECF::AvisoAcao(const std::string& texto) {
  if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN(texto + ".");
  DlgWarOk(texto, FLogEvent);
}

void TfrExportacaoECF::KeyDown(int& key, unsigned shift) {
  if (key == kVK_F6) spPlanoSped->Click();
  const bool tab = key == kVK_TAB;
  if (tab || key == kVK_RETURN || key == kVK_UP || key == kVK_DOWN) {
    const bool paraTras = key == kVK_UP || (tab && (shift & ssShift));
    if (NavegaEntreAbas(paraTras, key == kVK_UP)) {
      key = 0;
      return;
    }
  }
  TfrIntegracao_Empresa_Padrao_VYN::KeyDown(key, shift);
}

void TfrExportacaoECF::PressionaEsc() {
  int tecla = kVK_ESCAPE;
  KeyDown(tecla, 0);
  char caractere = static_cast<char>(kVK_ESCAPE);
  if (tecla != 0) KeyPress(caractere);
  if (tecla != 0) KeyUp(tecla, 0);
}

std::vector<TControl*> TfrExportacaoECF::ControlesDaAba(const TTabSheet* aba) const {
  std::vector<TControl*> out;
  for (TComponent* c : Components()) {
    auto* controle = dynamic_cast<TControl*>(c);
    auto it = controle ? aba_.find(controle) : aba_.end();
    if (it != aba_.end() && it->second == aba && controle->CanFocus() && controle->TabStop()) out.push_back(controle);
  }
  return out;
}

bool TfrExportacaoECF::NavegaEntreAbas(bool paraTras, bool seta) {
  TControl* atual = ActiveControl();
  auto it = atual ? aba_.find(atual) : aba_.end();
  if (it == aba_.end()) return false;
  const std::vector<TControl*> campos = ControlesDaAba(it->second);
  const auto pos = std::find(campos.begin(), campos.end(), atual);
  if (pos == campos.end()) return false;
  TControl* destino = nullptr;
  if (paraTras && pos != campos.begin()) {
    destino = *(pos - 1);
  } else if (!paraTras && pos + 1 != campos.end()) {
    destino = *(pos + 1);
  } else {
    // The tab's end: on to the next tab that has a field (the user's move, so its rules run), or,
    // past the last one, out of the page control to the form's next field.
    int i = PageControl_VYN->ActivePageIndex();
    for (i += paraTras ? -1 : 1; i >= 0 && i < PageControl_VYN->PageCount(); i += paraTras ? -1 : 1) {
      TTabSheet* aba = PageControl_VYN->Page(i);
      const std::vector<TControl*> outros = aba->Enabled() ? ControlesDaAba(aba) : std::vector<TControl*>();
      if (outros.empty()) continue;
      SetPaginaAtiva(aba);
      destino = paraTras ? outros.back() : outros.front();
      break;
    }
    if (!destino && !paraTras && edInformacoesFiscais->CanFocus()) destino = edInformacoesFiscais;
    // Backing off the first tab is an Esc: the screen leaves it to whatever Esc does here.
    if (!destino && paraTras) {
      PressionaEsc();
      return true;
    }
    if (!destino) return false;
  }
  // Left backwards, the field's checks stay silent (ControleErro, SetaFoco); the mark lasts the move.
  struct TMarca {
    TfrExportacaoECF& t;
    TControl* c;
    bool seta;
    ~TMarca() { seta ? t.SetTeclouSetaParaCima(c, false) : t.SetTeclouShiftTab(c, false); }
  } marca{*this, atual, seta};
  if (paraTras) seta ? SetTeclouSetaParaCima(atual, true) : SetTeclouShiftTab(atual, true);
  destino->SetFocus();
  return true;
}

void TfrExportacaoECF::spPlanoSpedClick(TComponent*) {
  if (!(getPermissoes("TfrPreparacaoContasReferencialECF") & tpSearch)) {
    DlgInfOk(ProcessContext().UserName +
                 ", você não tem permissão para acessar a tela \"^Plano de contas referencial\".",
             FLogEvent);
    return;
  }
  if (Trim(edCODEMP->Text()).empty()) {
    AvisoAcao("Informe uma empresa para preparar as contas para exportação");
    return;
  }
  if (DataOuZero(edDataIni).Value == 0 || DataOuZero(edDataFim).Value == 0) {
    AvisoAcao("Informe um período válido para preparar as contas para exportação");
    return;
  }
  const Variant ref = CampoEmpresa("BDCODPLAPADRAOREF");
  FListaContasReferenciais = TPLANO_PADRAO_ECFMGR::GetListaContaReferencialECF(ref.IsNull() ? 0 : ref.AsInteger());
  const Variant plano = CampoEmpresa("BDCODPLAPADRAO");
  TListaObj lista;
  lista.AddInteger(plano.IsNull() ? 0 : plano.AsInteger());
  lista.Add(edDataIni);
  lista.AddInteger(ref.IsNull() ? 0 : ref.AsInteger());
  lista.AddInteger(1);
  lista.AddObject(&FListaContasReferenciais);
  lista.AddText(FiliaisMarcadas());
  lista.Add(Ck("ckExportaZeradas"));
  lista.AddInteger(edContaAjusteECF->Codigo());
  TPackagesUtil::CarregaFormParamsObj("TfrConfiguraPreparacaoContaReferencialECF", this, std::move(lista));
}

void TfrExportacaoECF::AbrePreparacao(const std::string& classe) { TPackagesUtil::CarregaForm(edCODEMP, classe); }

void TfrExportacaoECF::spDepreBensClick(TComponent*) {
  TListaObj lista;
  lista.Posicao(pmcEmpresa).AddInteger(edCODEMP->Codigo());
  lista.Posicao(pmcAno).AddInteger(YearOf(DataOuZero(edDataFim)));
  lista.Posicao(pmcCodigoBens).Add(FCodigoBens);
  lista.Posicao(pmcNomeBens).Add(FNomeBens);
  lista.Posicao(pmcArquivoBens).Add(FArquivoBens);
  lista.Posicao(pmcCodigoI157).Add(FCodigoI157);
  ScreenUserConfig->setScreenConfig(kModoConfigExportacao);
  TPackagesUtil::CarregaFormParamsObj("TfrPreparacaoECFMultiContador", this, std::move(lista));
}

TDadosAdicionais* TfrExportacaoECF::CreateDadosAdicionais() {
  auto* d = Create<TDadosAdicionais>();
  d->SetEditArquivo(edArquivo);
  d->SetClasse("TfrExportacaoECF");
  d->SetTitulo("Consulta de exportações para o Sped ECF");
  d->SetEmpresa(static_cast<int>(edCODEMP->Codigo()));
  // The loader hands the values over in name order; they are gathered and put in at the end, in the
  // screen's own order (see AplicaValores), as answered when they were saved.
  auto pendentes = std::make_shared<std::map<std::string, std::string>>();
  d->AplicaValor = [pendentes](TComponent& c, const std::string& valor) {
    (*pendentes)[UpperCase(c.Name())] = valor;
    return true;
  };
  d->SetOnLoad([this, pendentes](TDadosAdicionais& dados) {
    RestauraP500(dados.Valor(kP500Salvo[0]), dados.Valor(kP500Salvo[1]));
    AplicaValores(*pendentes);
    pendentes->clear();
    RestauraAnexos([&dados](const std::string& nome) { return dados.Valor(nome); });
    const std::string codigo = OnlyDigits(dados.Valor("edCodigoBens"));
    FCodigoBens->SetValue(codigo.empty() || codigo.size() > 9 ? 0 : std::stoi(codigo));
    FNomeBens->SetValue(dados.Valor("edNomeBens"));
    FArquivoBens->SetValue(dados.Valor("edArquivoBens"));
  });
  return d;
}

void TfrExportacaoECF::spConsultaClick(TComponent*) {
  TListaObj lista;
  lista.Add(CreateDadosAdicionais());
  TPackagesUtil::CarregaFormParamsObj("TfrConsultaExportacaoECD", this, std::move(lista));
}

void TfrExportacaoECF::spSpedAutomaticoClick(TComponent*) {
  TParamsAgendamento p;
  p.Empresas = edCODEMP->CodigosSelecionados();
  p.DataIni = DataOuZero(edDataIni);
  p.DataFim = DataOuZero(edDataFim);
  p.Referencia = p.DataFim.Value == 0 ? 0 : YearOf(p.DataFim);
  p.Tipo = tvECF;
  TVALIDACAOSPED_AGENDAMENTOSMGR::RodarSpedAutomatico(this, p);
}

void TfrExportacaoECF::BeforeExportarSequencia(TDadosAdicionaisSeqRel& dados) {
  if (edDataIni->CanFocus()) edDataIni->SetFocus();
  edDataIni->SetData(dados.Geral.DataInicial);
  if (edDataFim->CanFocus()) edDataFim->SetFocus();   // leaving the start date runs its rules
  edDataFim->SetData(dados.Geral.DataFinal);
}

TDadosAberturaTela TfrExportacaoECF::getDadosSelecionarSequencia(unsigned) {
  TDadosAberturaTela d;
  d.Nome = "ECF";
  return d;
}

void TfrExportacaoECF::ExecutarSequencia(const TDadosAdicionaisSeqRel&, TDadosFinaisSeqRel&) {
  // A confirm button the taxation check switched off runs nothing: the step would pass for an export.
  if (!spConfirmar->Enabled()) throw EExceptionTratadaInformativa_VYN(MotivoNaoExportado());
  spConfirmar->Click();
}

void TfrExportacaoECF::spCancelarClick(TComponent* sender) {
  if (DadosTelaAuxiliarAuditoria->Auditoria) {
    DadosTelaAuxiliarAuditoria->Auditoria = false;
    if (auto* dono = dynamic_cast<TControl*>(Owner())) dono->SetEnabled(true);
  }
  TfrIntegracao_Empresa_Padrao_VYN::spCancelarClick(sender);
}

void TfrExportacaoECF::FormClose(TCloseAction& action) {
  if (DadosTelaAuxiliarAuditoria->Auditoria) {
    // A Yes closes again at once as the confirmed close; No (or Esc) hands the data back all the same.
    if (!IsClosingAuditoria &&
        DlgConfSimNaoEsc("Deseja confirmar as informações selecionadas?", FLogEvent) == mrYes)
      IsClosingAuditoria = true;
    DevolveAuditoria();
    action = caHide;
    return;
  }
  ScreenUserConfig->setScreenConfig(kModoConfigNenhum);
  TfrIntegracao_Empresa_Padrao_VYN::FormClose(action);
}

void TfrExportacaoECF::DevolveAuditoria() {
  AlimentaDAOExportacao();
  IsClosingAuditoria = false;
  auto* dados = Create<TDadosTelaExportacaoECF>();
  dados->SetParametrosTela(Gerador()->ParametrosTela);
  dados->SetInformacoesFiscais(edInformacoesFiscais->Text());
  dados->SetExportacaoEF(FExportacaoEF);
  TListaObj lista;
  lista.Add(dados);
  TForm_VYN::SetListaObj(AdoptListaObj(std::move(lista)));
  // The audit screen, enabled again, finds the parameters already handed back.
  if (auto* dono = dynamic_cast<TControl*>(Owner())) dono->SetEnabled(true);
}

}  // namespace integracao
