#include "postingutil/uMensagemAlertaProcesso.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/packages_util.h"

namespace integracao {

using namespace vyn;

TfrMensagemAlertaProcesso::TfrMensagemAlertaProcesso(TComponent* owner, std::string telaProcesso)
    : TfrDadosComplementaresPadrao(owner), tela_(std::move(telaProcesso)) {}

bool TfrMensagemAlertaProcesso::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrMensagemAlertaProcesso") || TfrDadosComplementaresPadrao::InheritsFrom(class_name);
}

bool TfrMensagemAlertaProcesso::ExecutarProcesso() { return ShowSegurancaProcesso(this); }

void TfrMensagemAlertaProcesso::ProcessoConfirma() {
  TfrDadosComplementaresPadrao::ProcessoConfirma();
  // The process screen outlives the warning: the main form owns it (the warning's owner without one).
  TComponent* dono = ProcessContext().MainForm;
  if (!dono) dono = Owner();
  TPackagesUtil::CarregaForm(dono, tela_);
  Close();
}

TLabel* TfrMensagemAlertaProcesso::Texto(const std::string& caption, const std::string& nome) {
  TLabel* l = Create<TLabel>();
  l->SetName(nome.empty() ? "lbTexto" + std::to_string(Components().size()) : nome);
  l->SetCaption(caption);
  return l;
}

TButtonControl* TfrMensagemAlertaProcesso::LinkAjuda(const std::string& parametro) {
  auto* link = Create<TButtonControl>();
  link->SetName("lbLinkAjuda");
  link->SetCaption("clique aqui");
  link->OnClick = [parametro](TComponent*) {
    TDatabase* db = ProcessContext().Database;
    if (!db) return;
    Variant url = db->QueryValue("SELECT BDVALORSTR FROM TPARAMETRO WHERE BDPARAM = ?", {Variant(parametro)});
    std::string endereco = url.IsNull() ? std::string() : Trim(url.AsString());
    if (!endereco.empty()) ShellExecuteVYN(endereco);
  };
  return link;
}

}  // namespace integracao
