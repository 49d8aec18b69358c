#pragma once
// Stand-ins for the suite's managers behind the ECF checks: the referential-plan preparation, the
// history of SPED exports, the saved-settings sequence and the count of closings of a period.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"

namespace vyn {

// Accounts of a chart prepared for the ECF's referential plan (TPREPARACAO_CONTAS_ECF).
class TPLANOS_TPLA_ECFMGR : public TDAOFactory {
 public:
  explicit TPLANOS_TPLA_ECFMGR(TComponent* owner = nullptr, bool /*abrir*/ = false) : TDAOFactory(owner) {}
  std::string ClassName() const override { return "TPLANOS_TPLA_ECFMGR"; }
  // Analytic accounts only.
  std::string GetFiltroPadrao() const { return "P.BDTIPCTA = 'A'"; }
  // Fills the data set with the analytic accounts of the chart not prepared for the referential plan
  // at the year (the latest preparation year not after it); without zero-balance accounts only those
  // moved by the branches in the year count. The K155 account is never asked for. Answers the count.
  int GetConsultaPlanoEmpresa(int64_t codPlaPadrao, int ano, int64_t codPlaPadraoRef, const std::string& filtro,
                              bool exportaZeradas, const std::string& filiais, int64_t contaK155);
  // Whether the preparation of the year was validated.
  bool VerificarValidacaoContas(int64_t codPlaPadrao, int ano, int64_t codPlaPadraoRef);
};

// The history of SPED exports (PLANOS_TPLA_SPED).
class TPLANOS_TPLA_SPEDMGR : public TDAOFactory {
 public:
  explicit TPLANOS_TPLA_SPEDMGR(TComponent* owner = nullptr, bool /*abrir*/ = false) : TDAOFactory(owner) {}
  std::string ClassName() const override { return "TPLANOS_TPLA_SPEDMGR"; }
  std::string FormConsulta;
  // The statement that records one export.
  std::string GetItemExportacao(int64_t codEmp, int sequencia, bool centroCusto, const std::string& tela,
                                const std::string& descricao) const;
};

class TEXPORTACAO_ITEMSTELA_CONFIGMGR {
 public:
  // The next settings sequence of the company and screen (class name without its leading T). The
  // database's generator gives each call its own number, so two workstations confirming at once never
  // take the same one; numbers are not consecutive, only increasing.
  static int GetChaveServidor(int64_t codEmp, const std::string& classe);
};

// Closings of the company's books of a kind (1 fiscal, 2 corporate) within the period.
int GetQtdEncerramentosPeriodo(int64_t codEmp, int tipo, TDateTime ini, TDateTime fim);

// The installation's customisations.
class TPersonalizacaoMGR {
 public:
  // Whether the installation keeps its books on the COSIF chart (financial institutions): the global
  // parameter "PLANO_COSIF" of TPARAMETRO with the text TRUE.
  static bool TemCOSIF();
};

// The referential plans' accounts (PLANO_PADRAO_ECF).
class TPLANO_PADRAO_ECFMGR {
 public:
  // The accounts of a referential plan, in code order: one array per account (code, description,
  // kind "S" synthetic or "A" analytic).
  static std::vector<std::vector<std::string>> GetListaContaReferencialECF(int64_t codPlaPadraoRef);
};

}  // namespace vyn
