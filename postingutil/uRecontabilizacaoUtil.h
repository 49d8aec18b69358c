#pragma once
// What the screens that drive the posting engine share: the filter of the company rows the engine
// walks, the end-of-run result, the swap of the engine after a run, and the screen base that holds
// the engine.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/accounting/processo_recontabilizacao_mgr.h"
#include "framework/core/datetime.h"
#include "framework/core/variant.h"
#include "framework/data/fb_database.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/processo_padrao.h"

namespace vyn {
class TClientDataSet;
class TComponent;
class TInconsistencias_VYN;
class TPanel;
class TfrStatusProcesso;
}  // namespace vyn

namespace integracao {

inline constexpr const char* kMsgEmpresaNaoProcessada =
    "Não foi possível executar o processo: verifique o plano de contabilização, os encerramentos de exercício, "
    "bloqueios de lançamento e data de início das atividades da empresa.";
// After the user's name: a change of plan whose new plan keeps the accounts is a reposting.
inline constexpr const char* kMsgRecontabilizacao =
    ", a recontabilização deve ser efetuada pelo menu de Utilitários / Recontabilização.";
inline constexpr const char* kMsgProcessoCancelado = "Processo cancelado pelo usuário!";
inline constexpr const char* kMsgProcessoIncompleto = "Processo executado incompletamente. Verifique as inconsistências.";
inline constexpr const char* kMsgProcessoSucesso = "Processo finalizado com sucesso!";
inline constexpr const char* kMsgVerificacaoCancelada = "Verificação de inconsistências cancelado pelo usuário!";
inline constexpr const char* kMsgVerificacaoIncompleta =
    "Não foi possível executar o processo completamente. Verifique as inconsistências.";
inline constexpr const char* kMsgVerificacaoSemInconsistencia = "Nenhuma inconsistência encontrada!";
inline constexpr const char* kMsgEmpresaNaoInformada = "Empresa não informada!";
inline constexpr const char* kMsgEmpresaSomenteConsulta =
    "Empresa somente para consulta. Pois a mesma provém do processo de troca do plano de contas!";

// A company left out of the run: its code, its group text "Empresa: <code> - <name>" and why.
struct TEmpresaRecusada {
  int CodEmp = 0;
  std::string Grupo;
  std::string Motivo = kMsgEmpresaNaoProcessada;
};

struct TFiltroEmpresas {
  int RefInicial = 0;           // start month YYYYMM; 0 leaves the rows as they are
  vyn::TDateTime NovoInicio;    // becomes BDULTENC of every kept row
  int RefFinal = 0;             // when > 0, BDDATAFIM of every kept row becomes that month's last day
  bool RecusaSomenteConsulta = false;   // also leave out consultation-only copies (BDSTATUSEMP 1), whatever the start
};

// Walks the rows (BDCODEMP, BDNOMEMP, BDULTENC, BDDATAFIM[, BDSTATUSEMP]) from the first: a company
// whose last closing lies after the start month is deleted from the rows and listed; the others get
// the new start (and end). Ends on the first row; the progress window follows.
void FiltraEmpresasProcesso(vyn::TClientDataSet& rows, const TFiltroEmpresas& filtro, vyn::TfrStatusProcesso* status,
                            std::vector<TEmpresaRecusada>& recusadas);

// Adds the error of every left-out company, its reason, under its own group.
void RegistraEmpresasRecusadas(vyn::TInconsistencias_VYN& lista, const std::vector<TEmpresaRecusada>& recusadas);

// Frees the engine and makes a fresh one owned by owner; the responsible user goes through the host's
// WP_RESPONSAVEL to the new one.
vyn::TProcessoRecontabilizacaoMGR* TrocaMotor(vyn::TComponent& owner, vyn::TProcessoRecontabilizacaoMGR* motor);

enum class TResultadoProcesso { Cancelado, Incompleto, Sucesso, Lista };

// The end of a run, first match wins: cancelled; rows processed with a start period and exactly the
// left-out companies as errors; nothing to report; otherwise the list. A verification counts
// informative, attention and error lines as something to report.
TResultadoProcesso ApuraResultado(bool cancelado, int linhas, bool temPeriodo, int recusadas,
                                  const vyn::TInconsistencias_VYN& lista, bool verificacao = false);
// Tells the user: the message of the result and, for Incompleto and Lista, the list window.
void ApresentaResultado(TResultadoProcesso r, vyn::TInconsistencias_VYN& lista, bool verificacao = false);

// The first month of activity (bdREFEMP) of the companies of condicao (an SQL condition on r.BDCODEMP;
// empty: every company); 0 when there is none.
int PrimeiroMesAtividade(const std::string& condicao);

// False, after telling the user, when the last closing of the first company row of selectEmpresas
// (read at refInicial) lies after refInicial.
bool EncerramentoPermiteInicio(const std::string& selectEmpresas, int refInicial);

// The latest closing of the head office and its branches, on any register month (null when none
// closed): a change of plan starts after it, whichever of them closed last.
vyn::Variant UltimoEncerramentoGrupo(vyn::TDatabase& db, int64_t matriz);

// Chart and history plan of the posting plan in the plan edit; both emptied when it has no row, so
// that nothing stays from an earlier plan.
void CarregaPlanoConfOnline(vyn::TEdit_Codigo_Search_VYN& plano, vyn::TEdit_Codigo_Search_VYN& planoContas,
                            vyn::TEdit_Codigo_Search_VYN& planoHistorico);

// False, after showing the edit's message and focusing it, when the edit refused its code.
bool AceitaCodigo(vyn::TEdit_Codigo_Search_VYN& edit, bool validado);
// False, after telling the user and focusing it, when the new posting plan was refused, is 0 or was
// not found: nothing can be posted to it.
bool AceitaNovoPlano(vyn::TEdit_Codigo_Search_VYN& edCODPLANOONLINE, bool validado);

// A process screen that hands its company rows to the posting engine: the engine is its FDAO, the
// progress window is the engine's, the companies the start filter leaves out are reported at the end,
// and a fresh engine waits for the next run.
class TfrProcessoComMotor : public vyn::TfrProcesso_Padrao_VYN {
 public:
  using vyn::TfrProcesso_Padrao_VYN::TfrProcesso_Padrao_VYN;

  vyn::TProcessoRecontabilizacaoMGR* Motor() const { return FMotor; }
  vyn::TfrStatusProcesso* Status() const { return FStatus; }

  // Also the cancel button of the progress window.
  bool fCancelaProcesso() override;

 protected:
  void CreateDAO() override;
  // The head-office edit: an empty company passes it, to be refused by the start check with its
  // own message.
  static void PreparaEditMatriz(vyn::TEdit_Codigo_Search_VYN& edCODEMP, vyn::TPanel& pnNOMEMP);
  // For InicioProcesso: a new progress window, handed to the engine; the list and the left-out
  // companies emptied.
  void IniciaMotor(vyn::TInconsistencias_VYN& lista);
  // For Processo: the company of the engine's row, made the list's current one and shown.
  int EmpresaDaLinha(vyn::TInconsistencias_VYN& lista);
  // For FimProcesso: closes the progress window, swaps the engine, lists the left-out companies and
  // tells the user the result.
  TResultadoProcesso EncerraMotor(vyn::TInconsistencias_VYN& lista, bool temPeriodo, bool verificacao = false);

  vyn::TProcessoRecontabilizacaoMGR* FMotor = nullptr;
  vyn::TfrStatusProcesso* FStatus = nullptr;
  std::vector<TEmpresaRecusada> FEmpresasRecusadas;
};

}  // namespace integracao
