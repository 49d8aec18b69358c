#include "postingutil/uMensagemAlertaTrocaContabilizacao.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kParagrafo1 =
    "Quando houver troca do plano de contas de uma empresa que já possui encerramento ou bloqueios de período "
    "anterior, será criada uma cópia da empresa original e suas filiais, se houverem. Nesta cópia ficarão apenas os "
    "lançamentos do período anterior a troca e não terá mais o vínculo on-line. Na empresa original os dados "
    "referente ao período anterior serão apagados sendo criada uma implantação de saldo um dia antes a data da "
    "troca, já com o novo plano de contas. Será incluída de forma automática a data de início de contabilização a "
    "partir da data de troca do plano de contas. Importante ressaltar que não será permitido alteração nos "
    "lançamentos da empresa cópia e na implantação de saldo criada na empresa(s) original(is). ";
constexpr const char* kParagrafo2 =
    "Para empresas que ainda não possuem encerramentos ou bloqueios a troca será de todo o período, nesses casos em "
    "específico não será criada a empresa cópia, assim ficando todos os lançamentos na empresa original.";

// The first four bullets are logged; the last one is shown only.
constexpr const char* kItens[] = {
    "Serão realizadas alterações apenas para o período posterior ao último encerramento contábil",
    "Os lançamentos contábeis da empresa selecionada ficarão bloqueados durante a realização do processo",
    "Este processo pode ser demorado dependendo da quantidade de informações",
    "Em caso de cancelamento do processo, não haverá alteração nos dados.",
    "Não é possível reverter o processo já realizado"};

}  // namespace

TfrMensagemAlertaTrocaContabilizacao::TfrMensagemAlertaTrocaContabilizacao(TComponent* owner)
    : TfrDadosComplementaresPadrao(owner),
      lbAtencao(Create<TLabel>()),
      lbOQueSeraFeito(Create<TLabel>()),
      lbTrocaPlano(Create<TLabel>()),
      lbSeta(Create<TLabel>()),
      pnParagrafos(Create<TPanel>()),
      lbSaibaMais(Create<TLabel>()),
      lbCliqueAqui(Create<TButtonControl>()),
      LinkAjuda("https://ajuda.vyn.com.br/troca-do-plano-de-contas") {
  lbAtencao->SetName("lbAtencao");
  lbOQueSeraFeito->SetName("lbOQueSeraFeito");
  lbTrocaPlano->SetName("lbTrocaPlano");
  lbSeta->SetName("lbSeta");
  lbSaibaMais->SetName("lbSaibaMais");
  lbCliqueAqui->SetName("lbCliqueAqui");
  SetName("frMensagemAlertaTrocaContabilizacao");
  SetCaption("Processo de troca de contabilização (Atenção)");
  lbAtencao->SetCaption("Atenção");
  lbOQueSeraFeito->SetCaption("O que será feito neste processo:");
  lbTrocaPlano->SetCaption("Troca do plano de contas: ");
  lbSeta->SetCaption("->");
  pnParagrafos->SetName("pnParagrafos");
  for (const char* texto : {kParagrafo1, kParagrafo2}) {
    // The labels belong to the panel: their order there is the order they are read in.
    auto* l = pnParagrafos->Create<TLabel>();
    l->SetName("lbParagrafos" + std::to_string(lbParagrafos.size() + 1));
    l->SetCaption(texto);
    lbParagrafos.push_back(l);
  }
  for (const char* texto : kItens) {
    auto* l = Create<TLabel>();
    l->SetName("lbItens" + std::to_string(lbItens.size() + 1));
    l->SetCaption(texto);
    lbItens.push_back(l);
  }
  lbSaibaMais->SetCaption("Para saber mais sobre a troca do plano de contas ");
  lbCliqueAqui->SetCaption("clique aqui");
  lbCliqueAqui->OnClick = [this](TComponent* s) { lbCliqueAquiClick(s); };
}

void TfrMensagemAlertaTrocaContabilizacao::lbCliqueAquiClick(TComponent*) { ShellExecuteVYN(LinkAjuda); }

bool TfrMensagemAlertaTrocaContabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrMensagemAlertaTrocaContabilizacao") ||
         TfrDadosComplementaresPadrao::InheritsFrom(class_name);
}

bool TfrMensagemAlertaTrocaContabilizacao::ExecutarProcesso() { return ShowSegurancaProcesso(this); }

void TfrMensagemAlertaTrocaContabilizacao::ProcessoConfirma() {
  TfrDadosComplementaresPadrao::ProcessoConfirma();
  {
    auto* log = Create<TLogEvent>(logProcesso);
    log->AddAcao("Atenção:");
    log->AddAcao("");
    log->AddAcao("• O que será feito neste processo:");
    log->AddAcao("  ->\tTroca do plano de contabilização: ");
    for (TComponent* c : pnParagrafos->Components())
      if (auto* l = dynamic_cast<TLabel*>(c)) log->AddAcao(l->Caption());
    for (size_t i = 0; i < 4; ++i) log->AddAcao(std::string("• ") + kItens[i]);
    log->Logger();
    FreeComponent(log);
  }
  // The screen outlives the warning: the main form owns it (the warning's owner without one).
  TComponent* dono = ProcessContext().MainForm;
  if (!dono) dono = Owner();
  TPackagesUtil::CarregaForm(dono, "TfrProcessoTrocaPlanoContabilizacao");
  Close();
}

}  // namespace integracao
