// The run log of scheduled sequence runs and the one-time acknowledgement of the sequence FAQ.
#include "framework/component/resultado_execucao.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/disputa.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/balloon_hint.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_date.h"
#include "statutory/reportsequence/uConfirmacaoSequenciaProcessos.h"
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

namespace integracao {

using namespace vyn;

namespace {
// The first 200 characters (not bytes) of a UTF-8 text.
std::string Primeiros200(const std::string& s) {
  size_t chars = 0, i = 0;
  while (i < s.size() && chars < 200) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    i += c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
    ++chars;
  }
  return s.substr(0, std::min(i, s.size()));
}
}  // namespace

void TfrRelSequenciaRelatorios::AddConferencia(const std::string& msg) {
  auto& ctx = ProcessContext();
  auto cmd = getUpdateOrInsert_VYN(
      "VSH_EMP_TCONF_TSEQREL",
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO", "BDCODSTATUS", "BDREFERENCIA",
       "BDDATAEXECUTADO", "BDINCONSISTENCIA"},
      {ctx.WP_AGENDAMENTO, ctx.WP_EMPRESA_PROCESSO, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO, msg.empty() ? 1 : 2,
       edReferencia->GetData_AnoMes(), Variant(Now()), Primeiros200(msg)},
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO"});
  auto sql = getSQLMgr_do_Pool();
  // Two workstations running one sequence for a company write its row at once.
  RepeteSeDisputado([&] { sql->CommandText(cmd.SQL, ctExecute, cmd.Params); });
}

void TfrRelSequenciaRelatorios::OnInconsistenciaTARVO(TTipoInconsistenciaSeq tipo, const std::string& msg) {
  if (!IsUnattended() || (tipo != tisAtencao && tipo != tisErro)) return;
  auto& ctx = ProcessContext();
  // Called with no text for an item that ran clean: only a text is an inconsistency of the run.
  if (!msg.empty()) RegistraInconsistenciaExecucao(msg);
  AddConferencia(MensagemExecucao());
  FOcorreuInconsistenciaTARVO = true;
  auto& estado = WP_SEQUENCIARELATORIO();
  const std::string tipoTexto = Primeiros200(estado.DadosGlobal.NomeItem + estado.DadosGlobal.DistincaoDeTipo);
  auto sql = getSQLMgr_do_Pool();
  // The row's number is the trigger's MAX + 1: a workstation running the same sequence at once may
  // take it first, and the next try numbers after it.
  RepeteSeDisputado([&] {
    sql->CommandText("INSERT INTO VSH_EMP_TCONF_TSEQREL_SEQ (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, "
                     "BDORDEMAGENDAMENTO, BDORDEM, BDCODCOL, BDTIPO, BDINCONSISTENCIA) VALUES (?, ?, ?, ?, 0, ?, ?, ?)",
                     ctExecute,
                     {Variant(ctx.WP_AGENDAMENTO), Variant(ctx.WP_EMPRESA_PROCESSO), Variant(ctx.WP_PLANO_TARVO),
                      Variant(ctx.WP_ORDEM_AGENDAMENTO), Variant(estado.WP_COL_TARVO), Variant(tipoTexto),
                      Variant(Primeiros200(msg))});
  });
  sql->CommandText("select MAX(BDORDEM) as BDORDEM from VSH_EMP_TCONF_TSEQREL_SEQ where BDCODAGENDAMENTO = ? and "
                   "BDCODEMP = ? and BDCODPLANOTARVO = ? and BDORDEMAGENDAMENTO = ? and BDCODCOL = ?",
                   ctOpen,
                   {Variant(ctx.WP_AGENDAMENTO), Variant(ctx.WP_EMPRESA_PROCESSO), Variant(ctx.WP_PLANO_TARVO),
                    Variant(ctx.WP_ORDEM_AGENDAMENTO), Variant(estado.WP_COL_TARVO)});
  TLinhaLogSequencia linha{ctx.WP_AGENDAMENTO, ctx.WP_EMPRESA_PROCESSO, estado.WP_COL_TARVO, ctx.WP_PLANO_TARVO,
                           ctx.WP_ORDEM_AGENDAMENTO, static_cast<int>(sql->FieldByName("BDORDEM").AsInteger()),
                           estado.DadosGlobal.DistincaoDeTipo};
  estado.Linhas.push_back(linha);
}

void TfrRelSequenciaRelatorios::TimerConfirmacaoTimer() {
  TimerConfirmacao->Enabled = false;
  BallonSequencia->Hide();
  auto* dlg = CreateForm<TfrConfirmacaoSequenciaProcessos>(*this);
  const int r = dlg->Executa();
  dlg->Free();
  if (r == mrNo) Close();
}

}  // namespace integracao
