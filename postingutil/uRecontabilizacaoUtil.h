#pragma once
// What the screens that drive the posting engine share: the filter of the company rows the engine
// walks, the end-of-run result, and the swap of the engine after a run.
#include <string>
#include <vector>

#include "framework/core/datetime.h"

namespace vyn {
class TClientDataSet;
class TComponent;
class TInconsistencias_VYN;
class TfrStatusProcesso;
class TProcessoRecontabilizacaoMGR;
}  // namespace vyn

namespace integracao {

inline constexpr const char* kMsgEmpresaNaoProcessada =
    "Não foi possível executar o processo: verifique o plano de contabilização, os encerramentos de exercício, "
    "bloqueios de lançamento e data de início das atividades da empresa.";
inline constexpr const char* kMsgProcessoCancelado = "Processo cancelado pelo usuário!";
inline constexpr const char* kMsgProcessoIncompleto = "Processo executado incompletamente. Verifique as inconsistências.";
inline constexpr const char* kMsgProcessoSucesso = "Processo finalizado com sucesso!";
inline constexpr const char* kMsgVerificacaoCancelada = "Verificação de inconsistências cancelado pelo usuário!";
inline constexpr const char* kMsgVerificacaoIncompleta =
    "Não foi possível executar o processo completamente. Verifique as inconsistências.";
inline constexpr const char* kMsgVerificacaoSemInconsistencia = "Nenhuma inconsistência encontrada!";

// A company left out of the run: its code and its group text "Empresa: <code> - <name>".
struct TEmpresaRecusada {
  int CodEmp = 0;
  std::string Grupo;
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

// Adds the error of every left-out company under its own group.
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

}  // namespace integracao
