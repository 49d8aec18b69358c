#pragma once
// Answers the business-intelligence requests another part of the suite leaves in the company
// database: each request of the JSON array "pedidos" is computed by its kind's result manager and
// marked ready.
//
// Several workstations may run the task over one request at once. A run takes the request first (its
// row, changed in the run's transaction) and writes the answer and the ready flag in that transaction,
// so a reader sees the earlier answer or the new one whole; a run that meets the request taken is told
// so and leaves it to the other; a request held by anything else, or without its row in TPEDIDOS_BI,
// is told as such and not answered. A failed answer undoes only what this run wrote, drops the earlier
// answer and leaves the request waiting, under the same hold.
#include <functional>
#include <string>

#include "framework/host/auto_thread.h"

namespace vyn {
class TCheckBox;
class TDatabase;
class TForm_VYN;
class TfrRelatorio_Padrao_VYN;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TSQLMGR;
}  // namespace vyn

namespace integracao {

class TAutoThreadPedidosBI : public vyn::TAutoThreadPadrao {
 public:
  explicit TAutoThreadPedidosBI(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadPedidosBI"; }
  bool InheritsFrom(const std::string& class_name) const override;

  void pSetPedidoPronto();

 protected:
  void Execute() override;

 private:
  // Answers the request FIDAtual through responde, whose rows go into tabelaResultados, as above.
  void RespondePedido(const char* tabelaResultados, const std::function<void()>& responde);
  enum class TTomada { Tomado, EmOutraExecucao, RespondidoEnquantoEsperava, EmOutraConexao, SemCadastro };
  // Holds the request in the open transaction, or says why it cannot: another run holds it, another
  // connection's change that is no run of this task, or the request has no row in TPEDIDOS_BI.
  TTomada TomaPedido(vyn::TDatabase& db);
  TTomada QuemSeguraPedido(vyn::TDatabase& db);
  // After falha: what this answer wrote is undone and the earlier answer goes; a failure of that is told
  // with falha, never instead of it.
  void pDescartaResposta(vyn::TDatabase& db, const std::string& tabelaResultados, const std::string& falha);
  void RodaDRE(int id);
  void RodaFaturamento(int id);
  // Configurable payroll requests: column sums per person and month.
  void pRodaProcessoBIFolhaConfiguravel();
  // Report requests: runs the named report screen without a user and answers in text lines.
  void pRodaProcessoBIRelatorios();
  vyn::TForm_VYN* CarregaTelaRelatorio(const std::string& nomeRel, const std::string& codigoGerador, int& tipoSaida,
                                       std::string& erroAntes);
  void EmiteRelatorio(vyn::TfrRelatorio_Padrao_VYN& tela, int tipoSaida);
  void EnviaDados(vyn::TfrRelatorio_Padrao_VYN& tela);
  void InsereResultado(int linha, const std::string& texto);
  std::string GetDescRelatorioGerador(const std::string& codigo);

  int FIDAtual = 0;
  vyn::TSQLMGR* FSQL = nullptr;
  vyn::TEdit_Codigo_Search_VYN* edEmpresa_ = nullptr;
  vyn::TEdit_Codigo_Search_VYN* edPlano_ = nullptr;
  vyn::TEdit_Date_Padrao_VYN* edDataIni_ = nullptr;
  vyn::TEdit_Date_Padrao_VYN* edDataFin_ = nullptr;
  vyn::TCheckBox* ckBox_ = nullptr;
};

}  // namespace integracao
