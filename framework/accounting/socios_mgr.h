#pragma once
// The company's partners (TEMPRESAS_TSOC), their data per reference month (TEMPRESAS_TSOC_REF) and
// their quotas (TEMPRESAS_TSOC_COTAS); the partner-code reservation and the copy of partners from a
// head office to its branches; the company look-ups the partners' import needs.
#include <functional>
#include <string>
#include <vector>

#include "framework/core/variant.h"
#include "framework/data/dao_factory.h"

namespace vyn {

class TInconsistencias_VYN;

// How a record set is shown in an import review tree: its node caption, whether it is a node, the
// name of its column container and its detail record sets (aggregates, in order).
struct TInfoArvoreDAO {
  std::string TreeCaption;
  bool TreeNode = false;
  std::string FieldsContainerName;
  int TreeAggregationKind = 0;
  std::vector<TDAOFactory*> Aggregates;
};

// A partner to register in the head office's branches.
struct TDadosCopiaSociosMatrizFilial {
  int FCodSocio = 0;
  int FReferencia = 0;
  std::string FDocumento;
};

// Opens the table's structure, with no rows and the extra integer columns, as a record set kept
// in memory (posts and deletes are not written to the table).
void AbreEmMemoria(TDAOFactory& dao, const std::vector<std::string>& colunasExtras = {});

class TSociosMGR : public TMgr<TSociosMGR> {
 public:
  explicit TSociosMGR(TComponent* owner = nullptr, bool = true, bool = true, TDatabase* db = nullptr)
      : TMgr(owner, "TEMPRESAS_TSOC", db) {}
  std::string ClassName() const override { return "TSociosMGR"; }

  TInfoArvoreDAO Arvore;
  // Set by the import review once the user committed the import.
  bool FImportouNaTreeView = false;

  // Reserves `quantidade` consecutive new partner codes of the company (never handed out before,
  // above every code in use) and answers the first. The reservation is committed at once.
  static int GetCodigoSocio(int codEmp, int quantidade, TDatabase* db = nullptr);

  using TProgressoCopia = std::function<void(const std::string& log, int indiceFilial, int qtdFiliais)>;
  // Registers the listed partners of the head office in each of its branches: a branch partner with
  // the same CPF/CNPJ is updated, otherwise a new one is made. Each branch is written all or
  // nothing; a branch that fails is reported and the next one is done.
  static void CopiaSociosMatrizParaFiliais(TComponent* owner, const std::vector<TDadosCopiaSociosMatrizFilial>& lista,
                                           int codEmp, TInconsistencias_VYN& inconsistencias,
                                           const TProgressoCopia& progresso, TDatabase* db = nullptr);
};

class TEMPRESAS_TSOC_REFMGR : public TMgr<TEMPRESAS_TSOC_REFMGR> {
 public:
  explicit TEMPRESAS_TSOC_REFMGR(TComponent* owner = nullptr, bool = true, bool = true, TDatabase* db = nullptr)
      : TMgr(owner, "TEMPRESAS_TSOC_REF", db) {}
  std::string ClassName() const override { return "TEMPRESAS_TSOC_REFMGR"; }
  TInfoArvoreDAO Arvore;
};

class TEmpresas_TSoc_CotasMGR : public TMgr<TEmpresas_TSoc_CotasMGR> {
 public:
  explicit TEmpresas_TSoc_CotasMGR(TComponent* owner = nullptr, bool = true, bool = true, TDatabase* db = nullptr)
      : TMgr(owner, "TEMPRESAS_TSOC_COTAS", db) {}
  std::string ClassName() const override { return "TEmpresas_TSoc_CotasMGR"; }
  TInfoArvoreDAO Arvore;
  // Positions on the quota of the partner and month: first among the rows in memory, else in the
  // table, whose row is then brought into memory (unchanged). False when there is none.
  bool LocalizaCota(int codEmp, int codSoc, int referencia, bool trazerDoBanco);
  // Whether the current row was brought from the table by LocalizaCota (not made by this run).
  bool CotaVeioDoBanco() const;

 private:
  std::vector<TBookmark> doBanco_;
};

// Whether the company (its code as text) has branches.
bool getExisteFiliaisEmpresa(const std::string& codEmp, TDatabase* db = nullptr);
// The company's chart of accounts at the process context's reference month (0 when none).
int GetCodigoPlanoContas(int codEmp, TDatabase* db = nullptr);

}  // namespace vyn
