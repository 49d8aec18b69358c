#pragma once
// The posting engine: re-posting of a company's online postings per routine kind over a period, the
// change of posting plan and the start of online posting. It is at the same time the data set of
// company rows its callers walk.
//
// The producing modules (fiscal bookkeeping, payroll) are not part of this system, so this stand-in
// re-posts an online posting from its own row: it re-creates it under the chart and history plan in
// force in its month, without its reconciliation. A posting it cannot reproduce that way (a closed
// month, an account the chart in force lacks) and a routine without online postings of its own stay
// as they are and are listed for attention. A change to another chart translates the postings of the
// moved period through the mapping plan's accounts; when the company has closed a period it first
// keeps a consultation-only backup copy of the companies as they were, and the originals keep of the
// period before the change only their balances, translated, in a balance implantation nobody may alter.
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"
#include "framework/livros/livros.h"

namespace vyn {

class TfrStatusProcesso;
class TInconsistencias_VYN;
class TLogEvent;
struct TImplantacaoTroca;

// The routine kinds, 0 to 59.
enum TTipoProcRecontabiliza : uint8_t {
  // general
  tprBaixaImpostos, tprParcelamentoTributos, tprBaixaParcelamentoTributos,
  // fiscal bookkeeping
  tprFiscalEntrada, tprFiscalSaida, tprFiscalServico, tprFiscalReducaoZ, tprFiscalDemaisDocumentos,
  tprFiscalMovimentacaoFinanceira, tprFiscalApuracaoICMS, tprFiscalApuracaoPISCofins, tprFiscalApuracaoIPI,
  tprFiscalApuracaoCIAP, tprFiscalApuracaoIRCSLL, tprFiscalProvisaoDarf, tprFiscalProvisaoDarfSimples,
  tprFiscalProvisaoDarfRetencao, tprFiscalProvisaoGuiaEstadual, tprFiscalProvisaoGuiaMunicipal,
  tprFiscalBaixaParcelamentoEntrada, tprFiscalBaixaParcelamentoSaida, tprFiscalBaixaParcelamentoServicos,
  tprFiscalBaixaParcelamentoDemais, tprFiscalOperacaoImobiliaria, tprFiscalPagamentoOperacaoImobiliaria,
  tprFiscalApuracaoGIAST, tprFiscalDime, tprFiscalApuracaoBlocoM, tprFiscalApuracaoSpedFiscal,
  // payroll
  tprFolhaAdiantamento, tprFolhaAutonomos, tprFolhaFerias, tprFolhaAvulsa, tprFolhaNormal,
  tprFolhaComplementar, tprFolhaAdiantamento13, tprFolha13, tprFolhaComplemento13, tprFolhaProvisao13,
  tprFolhaProvisaoFerias, tprFolhaGPS, tprFolhaGPSFunrural, tprFolhaGPSContratante, tprFolhaCarne,
  tprFolhaNotasFiscais, tprFolhaCompensacaoGPS, tprFolhaDarfIR, tprFolhaDarfPIS, tprFolhaGRCS,
  tprFolhaGRCSPatronal, tprFolhaBaixaCalculos, tprFolhaNormalIntermitente, tprFolhaComplementarIntermitente,
  // kinds no selection of this module offers
  tprReservado53, tprReservado54, tprReservado55, tprReservado56, tprReservado57, tprReservado58,
  tprReservado59
};
inline constexpr int kQtdeTiposProcRecontabiliza = 60;

// A selection of routine kinds, held in 64 bits; ordinals above 63 cannot be held.
using TTiposProcRecontabiliza = std::bitset<64>;
// Includes the ordinal when it is 0 to 63; answers whether it was included.
bool IncluiTipoProc(TTiposProcRecontabiliza& set, int ordinal);
TTiposProcRecontabiliza TodosTiposProc();   // the 60 kinds

// The routines of each group, in the order the selection lists them.
inline constexpr std::array<uint8_t, 3> C_RECURSOS_GERAL{0, 1, 2};
inline constexpr std::array<uint8_t, 26> C_RECURSOS_FISCAL{3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                                           16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};
inline constexpr std::array<uint8_t, 24> C_RECURSOS_FOLHA{29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,
                                                          41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52};

// Posting kinds (BDTIPOLAN) of the producing modules.
inline constexpr int kTipoLanFiscal = 100;
inline constexpr int kTipoLanFolha = 200;
// The systems (TSISTEMA.BDCODSIS) a routine kind belongs to.
inline constexpr int kSistemaGeral = 1;
inline constexpr int kSistemaFiscal = 2;
inline constexpr int kSistemaFolha = 3;

// The routine's name ("Lançamento de entrada"); "" for an ordinal out of range.
std::string NomeTipoProc(int ordinal);
// The posting kind of the routine's online postings: 100, 200, or 0 when it has none of its own.
int TipoLancamentoTipoProc(int ordinal);
int SistemaTipoProc(int ordinal);

class TProcessoRecontabilizacaoMGR : public TMgr<TProcessoRecontabilizacaoMGR> {
 public:
  explicit TProcessoRecontabilizacaoMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TProcessoRecontabilizacaoMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Set by the callers before a run.
  TfrStatusProcesso* FStatus = nullptr;     // progress window of the run (not owned)
  std::string Responsavel;                  // the responsible user (the host's WP_RESPONSAVEL)
  bool PossuiZeramento = false;             // the company has a zeroing of balances
  std::vector<std::string> ListaRotinas;    // captions of the chosen routines
  std::function<bool()> OnCancelaProcesso;  // the caller's cancel test

  // The reference month the company query sees.
  void SetCompentencia(int yyyymm) { SetReferencia(yyyymm); }

  // The SQL listing the head offices named by the condition (all of them when `informado` is
  // False or the condition is empty), with BDCODEMP, BDNOMEMP, BDULTENC (last closing, may be null),
  // BDDATAFIM (last day of the current month) and BDSTATUSEMP, as of the reference set above. The
  // plan text and the last flag are accepted for the callers and do not narrow the rows.
  std::string GetSelectDataInicioProcesso(const std::string& condicao, const std::string& plano, bool informado,
                                          bool flag) const;
  // The company or one of its branches has closed a period (a closing zeroes the result accounts).
  bool getPossuiZeramento(int codEmp) const;
  // The month (YYYYMM) a change of plan starts at for a company that has never closed a period: its
  // whole period, from the first posting of the company or a branch (else its first registered
  // month); 0 when it has neither.
  int GetInicioTodoPeriodo(int codEmp) const;
  // True, with the errors in the list, when the mapping plan does not lead from the plan in force to
  // the new one, or an account of the current chart that the company's postings from the first date
  // on use has no account of the new chart in the mapping plan.
  bool getInconsistenciaContaSemPreparacao(int planoAtual, int planoNovo, int codEmp, int planoContasAtual,
                                           int planoTroca, TDateTime dataIni, TDateTime dataFim,
                                           TInconsistencias_VYN* lista) const;
  // Re-posts the chosen routines' online postings of the company (and its branches) between the two
  // dates and records the run. When the plans differ, the company's references move instead to the
  // new plan (with its chart and history plan) from the start month, but never before the first month
  // after the last closing, and the postings from then on follow it: their accounts through the
  // mapping plan, which must lead from the plan in force to the new one, and the generic participant
  // where a mapped account asks for one. With PossuiZeramento set, the companies are first copied into
  // consultation-only backups of the period before the change and, on a change of chart, their
  // postings of that period are replaced by a balance implantation the day before the change (see
  // implantacao_saldo_troca.h). A new plan without its plan row is refused. All in one
  // transaction. A verification (executa False) only checks. Problems go into the list under the
  // company; a run that changed nothing says so as an attention line.
  void ExecutaRecontabiliza(int planoAtual, int planoNovo, int planoTroca, int codEmp, TDateTime dataIni,
                            TDateTime dataFim, TInconsistencias_VYN* lista, bool executa,
                            const TTiposProcRecontabiliza& rotinas, int planoLalur, int participante, bool flag);
  // Records the start of online posting and the cut-offs (a zero date leaves the recorded one) of the
  // company for the system whose posting kind is tipoLanContab, and deletes that kind's online
  // postings before the start. False (with an error in the list) when nothing was recorded.
  bool ProcessoInicioContabilizacao(TComponent* owner, TLogEvent* log, int codEmp, int tipoLanContab,
                                    TDateTime inicio, TDateTime corteBaixa, TDateTime corteOpeImob,
                                    TDateTime corteImpostos, TInconsistencias_VYN* lista);

  // Change of posting plan: the change recorded for the head office (the next order), with the LALUR
  // integration plan the user gave (0: none), and the trial
  // balances of its companies per year of the period, saved before the references move (side 0) and
  // after (side 1). Runs inside the caller's transaction; answers the order.
  int RegistraProcessoTroca(int codEmp, const std::vector<int>& empresas, int planoAtual, int planoNovo,
                            int planoTroca, TDateTime dataIni, TDateTime dataFim, int planoLalur = 0);
  // Every posting counts, so that the saved balances agree with the ledger: one without a chart is
  // counted in contasSemPlano (the chart it was made under), and the years run to the last posting.
  void SalvaBalancetes(int codEmp, int ordem, int dePara, const std::vector<int>& empresas, TDateTime dataIni,
                       TDateTime dataFim, int contasSemPlano);
  // A reference row at the start month for each company that has none there (a copy of the one in
  // force), so that the new plan takes effect from that month and not from the next row.
  void AbreReferenciaInicio(const std::vector<int>& empresas, int referencia);

 private:
  struct TPlanoConf {
    int Contas = 0;       // chart of accounts
    int Historicos = 0;   // history plan
  };
  std::vector<int> EmpresaEFiliais(int codEmp) const;
  // A re-posting keeps the plan: the error text when the one named is not the company's at the end
  // of the period, "" when it is (or the company has no reference then).
  std::string PlanoForaDeVigor(int codEmp, int plano, TDateTime fim) const;
  // Why the change may not rewrite the postings it would: a zeroing or a lock over a month in which it
  // rewrites some (from its start on, in the chart or history plan it leaves); nothing when none.
  std::optional<TRecusaLivros> RecusaReescrita(const std::vector<int>& empresas, const TPlanoConf& de,
                                               const TPlanoConf& para, TDateTime inicio);
  // The checks of a change of plan; the start moves to the month after the last closing. False when
  // it cannot be done, with the errors in the list.
  bool ConfereTroca(int codEmp, const std::vector<int>& empresas, int planoAtual, int planoNovo, int planoTroca,
                    TDateTime& dataIni, TDateTime dataFim, int participante, TInconsistencias_VYN* lista);
  // Inside the run's transaction: the change recorded, the references moved, the postings following.
  // Answers what it did, for the list.
  std::vector<std::string> TrocaPlano(int codEmp, const std::vector<int>& empresas, int planoAtual, int planoNovo,
                                      int planoTroca, TDateTime dataIni, TDateTime dataFim, int participante,
                                      int planoLalur);
  // A consultation-only copy of each company (the head office first) with its references and
  // postings as they are before the change; answers the copies' codes in the same order.
  std::vector<int> CriaEmpresasBackup(const std::vector<int>& empresas);
  // The companies' statement lines reconciled with an entry dated before inicio (BDCODEMP, BDCHAVE).
  TQueryResult LinhasConciliadasAntes(const std::vector<int>& empresas, TDateTime inicio);
  // The automatic start of online posting at the change, for every producing system of the companies.
  void RegistraInicioAutomatico(const std::vector<int>& empresas, TDateTime inicio);
  void RegistraRecontabilizacao(int codEmp, TDateTime dataIni, TDateTime dataFim, const std::vector<int>& ordinais);
  TPlanoConf LePlano(int plano) const;
  // The chart and history plan the company's postings of the date's month were made under; the
  // plan's when the company has no reference then.
  TPlanoConf PlanoEmVigor(int codEmp, int plano, TDateTime data) const;
  // The history items the change's postings use that the new history plan lacks, one message each.
  std::vector<std::string> HistoricosSemTraducao(const std::vector<int>& empresas, const TPlanoConf& de,
                                                 const TPlanoConf& para, TDateTime inicio) const;
  // The error texts of a change between the two plans that the mapping plan cannot carry, for the
  // postings of the companies from the date on and, with an implantation, for their balances before it.
  std::vector<std::string> ErrosTraducao(const std::vector<int>& empresas, int planoAtual, int planoNovo,
                                         int planoTroca, TDateTime inicio, bool implantacao) const;
  static TImplantacaoTroca ImplantacaoTroca(int ordem, const TPlanoConf& de, const TPlanoConf& para, int planoTroca,
                                            int participante, TDateTime inicio);
  // The change's postings from the date on take the new chart's accounts and history plan.
  void TraduzLancamentos(const std::vector<int>& empresas, const TPlanoConf& de, const TPlanoConf& para,
                         int planoTroca, TDateTime inicio, int participante);
  // Re-creates the routines' online postings it can reproduce; answers how many it re-created.
  // What it cannot re-create goes into avisos.
  int RefazLancamentos(const std::vector<int>& empresas, const std::vector<int>& ordinais, TDateTime dataIni,
                       TDateTime dataFim, std::vector<std::string>& avisos);
  void RefazLancamento(int codEmp, int chave, const Variant& contas, const Variant& historicos,
                       const std::string& colunas);
  bool Cancelado() const { return OnCancelaProcesso && OnCancelaProcesso(); }
};

}  // namespace vyn
