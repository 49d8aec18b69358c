#pragma once
// SPED validation jobs: the job table's manager, each workstation's validator configuration and the
// job writer that leaves a job file for the outside validator.
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"

namespace vyn {

// The kinds of SPED file a job validates (the job row's BDTIPO).
enum TTiposValidacao : int { tvFiscal = 1, tvContribuicoes = 2, tvECD = 3, tvECF = 4 };
// The validator's routines.
enum TTipoSped : int { tsECD = 0, tsECF = 1, tsFiscal = 2, tsContribuicoes = 3 };
// Subfolders of the validator's PDF reports.
enum TTipoSubpasta : int { tsEmpresa = 0, tsReferencia = 1 };
using TTipoSubPastas = std::bitset<2>;

// What an export screen asks the scheduler to validate: the companies, the period, the reference
// the validator files the reports under and the kind (TTiposValidacao).
struct TParamsAgendamento {
  std::vector<int64_t> Empresas;
  TDateTime DataIni;
  TDateTime DataFim;
  int Referencia = 0;
  int Tipo = tvECF;
};

class TVALIDACAOSPED_AGENDAMENTOSMGR : public TMgr<TVALIDACAOSPED_AGENDAMENTOSMGR> {
 public:
  explicit TVALIDACAOSPED_AGENDAMENTOSMGR(TComponent* owner = nullptr, bool = true)
      : TMgr(owner, "TVALIDACAOSPED_AGENDAMENTOS") {}
  std::string ClassName() const override { return "TVALIDACAOSPED_AGENDAMENTOSMGR"; }

  // Whether automatic validations can be scheduled for the companies (a comma list of codes) and
  // period: a company, a valid period within one year and a workstation with a validator configured.
  static bool PodeHabilitarSpedAutomatico(const std::string& empresas, TDateTime dataIni, TDateTime dataFim);
  // Schedules one validation job per company (one transaction: all or none) on the workstation that
  // validates (this one when it is configured, else the first configured one) and tells the user.
  // Answers the number of jobs scheduled; 0 when nothing could be scheduled (the reason told).
  static int RodarSpedAutomatico(TComponent* tela, const TParamsAgendamento& params);

 protected:
  // A job left "exporting" by a run that no longer holds it (a killed process, a lost machine) is
  // told as a run that did not finish before any reading of the jobs.
  void AntesDeLer() override;
};

// The validator configuration of one workstation.
struct TConfiguracoesValidacao {
  int Micro = 0;
  std::string ECD;
  std::string ECF;
  std::string Fiscal;
  std::string Contribuicoes;
  std::string PastaArquivo;             // base folder of the validator's PDF reports
  TTipoSubPastas TipoSubPasta;          // indexed by TTipoSubpasta
  std::string PastaArquivosAnteriores;

  // The validator program of a kind; empty when none is configured (or the kind is unknown).
  std::string GetExePath(int tipo) const;
};

// The workstation's configuration (table TVALIDACAOSPED_CONFIG); one without a row has nothing
// configured.
TConfiguracoesValidacao GetConfiguracoesValidadores(int micro);

// What the validator is asked to do.
struct TDadosValidacao {
  int Id = 0;
  std::string ArquivoImportacao;   // relative to the validacao_sped folder under the program folder
  std::string CaminhoPrograma;
  std::string PastaPDF;
  TTipoSped Rotina = tsECD;
  std::string CaminhoArquivosAnteriores;
  std::string CNPJ;
  TDateTime DataIncial;
  TDateTime DataFinal;
};

class TUtilValidacaoSped {
 public:
  // The validacao_sped folder under the program folder, with a trailing delimiter.
  static std::string PastaValidacaoSped();
  // The folder the job files go to: validacao_sped/agendamentos under the program folder.
  static std::string PastaAgendamentos();
  // Writes the job file for the workstation's validator: a JSON object named after the workstation,
  // the job and the moment, written whole or not at all. Answers the file's full name.
  static std::string SalvarArquivoValidacaoSped(const TDadosValidacao& dados, const std::string& computador,
                                                const std::string& usuario);
};

}  // namespace vyn
