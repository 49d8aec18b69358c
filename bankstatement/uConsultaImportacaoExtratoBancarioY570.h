#pragma once
// The statement review's Y570 reminders: one attention line in the review's inconsistency list per
// statement line whose credit account is a financial application of the company's chart and that has
// no Y570 data yet, and the opening of the Y570 screen for a line. The review owns one of these and
// hands it its lines manager, its inconsistency list and its Y570 detail data.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/component/component.h"
#include "framework/ui/chaves_lancamentos.h"

namespace vyn {
class TClientDataSet;
class TDatabase;
class TSQLMGR;
class TInconsistencias_VYN;
class TForm_VYN;
class TVZEL_EMPRESAS_TLAN_Y570MGR;
class TDataSource;
}  // namespace vyn

namespace integracao {

inline constexpr const char* kTextoY570 = "Y570 da ECF não foram informados";

class TY570ConsultaExtratoBancario : public vyn::TComponent {
 public:
  explicit TY570ConsultaExtratoBancario(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TY570ConsultaExtratoBancario"; }

  // What the review hands over: the lines data set (its "Lançamentos" manager), the list and the form
  // that owns the Y570 screen.
  vyn::TClientDataSet* Linhas = nullptr;
  vyn::TInconsistencias_VYN* Inconsistencias = nullptr;
  vyn::TForm_VYN* Revisao = nullptr;

  // The review's parameter hook: the financial-application accounts of the company's chart.
  void CarregaAplicacoesFinanceiras(int64_t codPlanoPadrao);
  // The review's data refresh: y570 becomes a detail of the lines on "bdcodemp;bdchave" and FY570Aux
  // a second cursor on it with the same link.
  void AtualizaY570(vyn::TVZEL_EMPRESAS_TLAN_Y570MGR* y570);

  // The review's Y570 data belongs to its lines, under their provisional keys, until the import: kept
  // in memory (an entry of the company may have a line's provisional key) and opened empty.
  static void AbreDadosDasLinhas(vyn::TVZEL_EMPRESAS_TLAN_Y570MGR& y570);
  // Inside the import's write, once the lines carry their entries' keys: the rows of the lines written
  // (company, key) go to the table. Answers how many.
  int GravaY570(vyn::TDatabase& db, const vyn::TChavesLancamentos& escritas);
  // After the import committed: the rows of the lines that became entries leave the review.
  void DescartaY570(const vyn::TChavesLancamentos& escritas);

  // Y570 data belong to a line only while it credits a financial-application account: the data of
  // lines credited elsewhere (an account changed by hand, a rule, the same account for other lines)
  // leave the review. Answers the keys of the lines whose data went.
  std::vector<int64_t> DescartaForaDeAplicacao();
  bool AplicacaoFinanceira(int64_t conta);
  void geraInconsistenciaY570();
  bool fTemY570(int64_t empresa, int64_t chave);
  void spY570Click();
  void ChamaInconsistenciasY570(vyn::TForm_VYN& form);

  vyn::TSQLMGR* FSqlApliFinAux;
  vyn::TClientDataSet* FY570Aux;
  int FRecnoY570 = 0;

 private:
  vyn::TVZEL_EMPRESAS_TLAN_Y570MGR* y570_ = nullptr;
  vyn::TDataSource* linhasSource_ = nullptr;
};

}  // namespace integracao
