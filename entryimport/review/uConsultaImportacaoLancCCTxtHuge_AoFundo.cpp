// The staged review while its file still stages behind it: it opened on the first stretch of the
// session, and what needs a line not staged yet waits for the staging to end. What acts on the line
// under the cursor alone (a click or a key on a grid's line, a mouse press) answers at once: every line
// the grid holds was committed with its details before the review opened, and the staging writes no
// line it already committed.
#include <utility>

#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/gravacao_ao_fundo.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/interrupcao.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"
#include "framework/ui/tree_view.h"

namespace integracao {

using namespace vyn;

namespace {

// The controls' events that may need every line: a button, a cell edited (a mass change), a double
// click (an editor over the cell), a node or a search changed. Moving through the rows and what acts
// on the current line only (a cell click, a key, a mouse press) are not among them.
template <class F>
void PercorreAcoes(TComponent& raiz, const F& espera) {
  for (TComponent* c : raiz.Components()) {
    if (dynamic_cast<TForm_VYN*>(c)) continue;   // a screen it opened waits on its own
    if (auto* b = dynamic_cast<TButtonControl*>(c)) espera(b->OnClick);
    if (auto* g = dynamic_cast<TDBGrid_Padrao_VYN*>(c)) {
      espera(g->OnDblClick);
      espera(g->EditaCelula);
    }
    if (auto* t = dynamic_cast<TTreeView*>(c)) espera(t->OnChange);
    if (auto* e = dynamic_cast<TCustomEdit*>(c)) espera(e->OnChange);
    PercorreAcoes(*c, espera);
  }
}

}  // namespace

bool TfrConsultaImportacaoLancCCTxtHuge::GravacaoEmAndamento() const {
  return FGravacao && !FGravacaoEntregue && FGravacao->EmAndamento();
}

void TfrConsultaImportacaoLancCCTxtHuge::RecebeGravacao() {
  FGravacao = FDadosAdicionais ? FDadosAdicionais->AoFundo : nullptr;
  if (!FGravacao) return;
  // Going down past the lines the review opened on waits for the rest: a packet read now would end the
  // lines at what is staged so far.
  if (TDAOFactory* lanc = DAOLancamentos())
    lanc->BeforeFetch = [this](int held, int wanted) {
      if (FGravacaoEntregue) return;
      if (wanted < 0 || held + wanted > FGravacao->LinhasIniciais()) AguardaGravacao();
    };
  tmGravacao->Enabled = true;
}

void TfrConsultaImportacaoLancCCTxtHuge::SeguraAcoesAteGravacao() {
  if (!FGravacao || FGravacaoEntregue) return;
  PercorreAcoes(*this, [this](auto& evento) {
    if (!evento) return;
    evento = [this, acao = evento](auto&&... args) {
      AguardaGravacao();
      return acao(std::forward<decltype(args)>(args)...);
    };
  });
}

void TfrConsultaImportacaoLancCCTxtHuge::AguardaGravacao() {
  if (!FGravacao || FGravacaoEntregue) return;
  // Set first: what the hand-over reads (the details, a packet of lines) must not wait again.
  FGravacaoEntregue = true;
  tmGravacao->Enabled = false;
  if (FGravacao->EmAndamento()) {
    TfrStatusProcesso* status = TfrStatusProcesso::createStatusProcess(this, 1);
    status->setPrimaryStatusLabel("Gravando as linhas do arquivo, aguarde...");
    FGravacao->Aguarda();   // as long as the rest of the file takes: the staging ends with it
    status->Finalize();
    FreeComponent(status);
  } else {
    FGravacao->Aguarda();
  }
  EntregaGravacao();
}

void TfrConsultaImportacaoLancCCTxtHuge::EntregaGravacao() {
  // A staging a signal stopped is no failure of the file: the run ends as interrupted.
  VerificaInterrupcao();
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  if (!FGravacao->Falha().empty() || FGravacao->Interrompida()) {
    const std::string motivo = FGravacao->Interrompida() ? kGravacaoInterrompida : FGravacao->Falha();
    FFalhaGravacao = "Não foi possível gravar as linhas do arquivo para a revisão: " + motivo;
    TInconsistenciaItem falha{niErro, empresa, FFalhaGravacao, nullptr, ciNenhum, {}};
    FInconsistenciasAbertura.push_back(falha);
    if (FInconsistenciaIni) FInconsistenciaIni->Acrescenta(falha);
    DlgWarOk(FFalhaGravacao);
    return;
  }
  const TDesfechoLeituraTxt& desfecho = FGravacao->Desfecho();
  // What the reading told, as a review that opened after it would have it from its opener.
  for (const TInconsistenciaItem& i : desfecho.Mensagens) {
    FInconsistenciasAbertura.push_back(i);
    if (FInconsistenciaIni) FInconsistenciaIni->Acrescenta(i);
  }
  if (auto* u = UtilImportacao()) {
    u->FRecusadasNaLeitura = desfecho.Recusadas;
    u->FJaLancados = desfecho.JaLancados;
  }
  // The details were read with the first stretch: every line's now.
  RecarregaDetalhesHugeFile();
}

void TfrConsultaImportacaoLancCCTxtHuge::InterrompeGravacao() {
  if (!FGravacao) return;
  // Closing stops the staging: the stretch under way is rolled back, the session's removal takes the rest.
  FGravacao->Interrompe();
  FGravacao = nullptr;
  if (TDAOFactory* lanc = DAOLancamentos()) lanc->BeforeFetch = nullptr;
}

}  // namespace integracao
