#include "statutory/bi/uAutoThreadPedidosBI.h"

#include <stdexcept>

#include <fmt/format.h>

#include "framework/accounting/bi_resultados_mgr.h"
#include "framework/component/process_context.h"
#include "framework/component/resultado_execucao.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/schema/pedidos_bi_tabelas.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/item_de_menu.h"

namespace integracao {

using namespace vyn;

namespace {

// "id" and "tipo" are integers written as text (plain numbers are taken as well); anything else
// ends the run, as a conversion error would.
int Inteiro(const nlohmann::json& pedido, const char* membro) {
  const auto it = pedido.find(membro);
  if (it != pedido.end() && it->is_number_integer()) return it->get<int>();
  if (it != pedido.end() && it->is_string()) {
    const std::string t = Trim(it->get<std::string>());
    size_t usado = 0;
    try {
      const int v = std::stoi(t, &usado);
      if (usado == t.size()) return v;
    } catch (const std::exception&) {
    }
  }
  throw std::invalid_argument(std::string("'") + (it == pedido.end() ? std::string() : it->dump()) +
                              "' is not a valid integer value (" + membro + ")");
}

// Frees an owned component when the block ends, also when it raises.
struct TLibera {
  TComponent& dono;
  TComponent* c;
  ~TLibera() {
    if (c) dono.FreeComponent(c);
  }
};

// Another run holds the request: its answer is that run's to write.
constexpr const char* kPedidoEmOutraEstacao =
    "O pedido de BI {} está sendo respondido por outra estação de trabalho; esta execução não o respondeu.";
// Another run took it between this run's look and its own write, and answered it while this one waited.
constexpr const char* kPedidoRespondidoEnquantoEsperava =
    "O pedido de BI {} foi respondido por outra estação de trabalho enquanto esta execução esperava por ele; esta "
    "execução não o respondeu.";
// Something else holds it: nobody is answering it, and it waits until that change ends.
constexpr const char* kPedidoPresoPorOutraConexao =
    "O pedido de BI {} está preso por uma alteração ainda não confirmada de outra conexão ao banco de dados, que "
    "não é uma execução desta tarefa; esta execução não o respondeu. Confirme ou desfaça essa alteração e peça de "
    "novo.";
constexpr const char* kPedidoSemCadastro =
    "O pedido de BI {} não existe em TPEDIDOS_BI: sem ele o pedido não pode ser marcado como pronto, e esta "
    "execução não o respondeu.";
// A run names the request it holds in its own transaction, where another run's monitoring sees it.
constexpr const char* kVariavelPedido = "VYN_PEDIDO_BI";

}  // namespace

bool TAutoThreadPedidosBI::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadPedidosBI") || TAutoThreadPadrao::InheritsFrom(class_name);
}

TAutoThreadPedidosBI::TTomada TAutoThreadPedidosBI::TomaPedido(TDatabase& db) {
  const std::string trava = "SELECT BDID FROM TPEDIDOS_BI WHERE BDID = ?";
  try {
    // Looked at first without waiting, so that a run meeting another holder is told at once.
    if (db.MeetsUncommittedChange(trava, {FIDAtual})) return QuemSeguraPedido(db);
    db.QueryValue(std::string("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', '") + kVariavelPedido +
                      "', CAST(? AS VARCHAR(20))) FROM RDB$DATABASE",
                  {FIDAtual});
    if (db.Execute("UPDATE TPEDIDOS_BI SET BDPRONTO = 0 WHERE BDID = ?", {FIDAtual}) == 0) return TTomada::SemCadastro;
  } catch (const EDatabaseError& e) {
    if (!e.IsLockConflict()) throw;
    return QuemSeguraPedido(db);
  }
  return TTomada::Tomado;
}

TAutoThreadPedidosBI::TTomada TAutoThreadPedidosBI::QuemSeguraPedido(TDatabase& db) {
  const Variant outraExecucao = db.QueryValue(
      std::string("SELECT COUNT(*) FROM MON$CONTEXT_VARIABLES WHERE MON$VARIABLE_NAME = '") + kVariavelPedido +
          "' AND MON$VARIABLE_VALUE = CAST(? AS VARCHAR(20)) AND COALESCE(MON$TRANSACTION_ID, 0) <> CURRENT_TRANSACTION",
      {FIDAtual});
  if (outraExecucao.AsInteger() > 0) return TTomada::EmOutraExecucao;
  // The holder may have ended while this run waited on the row: a run that answered it left it ready.
  if (!db.MeetsUncommittedChange("SELECT BDID FROM TPEDIDOS_BI WHERE BDID = ?", {FIDAtual}) &&
      db.QueryValue("SELECT BDPRONTO FROM TPEDIDOS_BI WHERE BDID = ?", {FIDAtual}).AsInteger() == 1)
    return TTomada::RespondidoEnquantoEsperava;
  return TTomada::EmOutraConexao;
}

void TAutoThreadPedidosBI::RespondePedido(const char* tabelaResultados, const std::function<void()>& responde) {
  TDatabase& db = *ProcessContext().Database;
  TTransaction tr(db);
  switch (TomaPedido(db)) {
    case TTomada::Tomado: break;
    case TTomada::EmOutraExecucao: return RegistraInconsistenciaExecucao(fmt::format(kPedidoEmOutraEstacao, FIDAtual));
    case TTomada::RespondidoEnquantoEsperava:
      return RegistraInconsistenciaExecucao(fmt::format(kPedidoRespondidoEnquantoEsperava, FIDAtual));
    case TTomada::EmOutraConexao:
      return RegistraInconsistenciaExecucao(fmt::format(kPedidoPresoPorOutraConexao, FIDAtual));
    case TTomada::SemCadastro: return RegistraInconsistenciaExecucao(fmt::format(kPedidoSemCadastro, FIDAtual));
  }
  db.Execute("SAVEPOINT PEDIDO_BI");
  try {
    responde();
  } catch (const std::exception& e) {
    pDescartaResposta(db, tabelaResultados, e.what());
    tr.Commit();
    throw;
  }
  pSetPedidoPronto();
  tr.Commit();
}

void TAutoThreadPedidosBI::pSetPedidoPronto() {
  FSQL->Close();
  FSQL->CommandText("update TPEDIDOS_BI set BDPRONTO = 1 where (BDID = " + SQLInteger(FIDAtual) + ")", ctExecute);
}

void TAutoThreadPedidosBI::pDescartaResposta(TDatabase& db, const std::string& tabelaResultados,
                                             const std::string& falha) {
  try {
    db.Execute("ROLLBACK TO SAVEPOINT PEDIDO_BI");
    db.Execute("DELETE FROM " + tabelaResultados + " WHERE BDID = ?", {FIDAtual});
  } catch (const EDatabaseError& e) {
    throw std::runtime_error(falha + " A resposta anterior do pedido de BI " + std::to_string(FIDAtual) +
                             " não pôde ser descartada: " + e.what());
  }
}

void TAutoThreadPedidosBI::RodaDRE(int id) {
  FSQL->CommandText("select * from TPEDIDOS_BI_DRE where (BDID = " + SQLInteger(id) + ")", ctOpen);
  if (FSQL->IsEmpty()) throw std::runtime_error("O pedido de BI " + std::to_string(id) + " não foi encontrado.");
  edEmpresa_->Vale(FSQL->FieldByName("BDCODEMP").AsInteger());
  edDataIni_->SetData(FSQL->FieldByName("BDDATAINI").AsDateTime());
  edDataFin_->SetData(FSQL->FieldByName("BDDATAFIN").AsDateTime());
  ckBox_->SetChecked(FSQL->FieldByName("BDDETALHARFILIAIS").AsInteger() == 1);

  auto* mgr = TTPEDIDOS_BI_DRE_RESULTADOSMGR::CreateMgr(this, true);
  TLibera libera{*this, mgr};
  mgr->SetEmpresa(edEmpresa_);
  mgr->SetDataIni(edDataIni_);
  mgr->SetDataFin(edDataFin_);
  mgr->SetIgnoraZeramento(FSQL->FieldByName("BDIGNORAZERAMENTO").AsInteger() == 1);
  mgr->SetPlanoFormula(static_cast<int>(FSQL->FieldByName("BDPLANO").AsInteger()));
  mgr->SetContabilizacao(static_cast<int>(FSQL->FieldByName("BDTIPOCONTABILIZACAO").AsInteger()));
  mgr->SetID_PedidoBI(id);
  mgr->SetDetalharFiliais(ckBox_);
  mgr->Execute();
}

void TAutoThreadPedidosBI::RodaFaturamento(int id) {
  // Revenue tables are the fiscal module's: the host runs in it for the request, and goes back after.
  struct TVoltaSistema {
    int sistema;
    ~TVoltaSistema() {
      if (MenuSistema().Sistema != sistema) TItemDeMenu::CallChangeSistema(sistema);
    }
  } volta{MenuSistema().Sistema};
  TItemDeMenu::CallChangeSistema(3);
  FSQL->CommandText("select * from TPEDIDOS_BI_FAT where (BDID = " + SQLInteger(id) + ")", ctOpen);
  if (FSQL->IsEmpty()) throw std::runtime_error("O pedido de BI " + std::to_string(id) + " não foi encontrado.");
  edEmpresa_->Vale(FSQL->FieldByName("BDCODEMP").AsInteger());
  edPlano_->Vale(FSQL->FieldByName("BDPLANO").AsInteger());
  auto* edQuadro = Create<TEdit_Codigo_Search_VYN>();
  TLibera liberaQuadro{*this, edQuadro};
  edQuadro->Vale(FSQL->FieldByName("BDQUADRO").AsInteger());
  edDataIni_->SetTipo(tdDataInteiro);
  edDataFin_->SetTipo(tdDataInteiro);
  edDataIni_->SetData(FSQL->FieldByName("BDDATAINI").AsDateTime());
  edDataFin_->SetData(FSQL->FieldByName("BDDATAFIN").AsDateTime());
  ckBox_->SetChecked(FSQL->FieldByName("BDSOMAMATRIZFILIAL").AsInteger() == 1);

  auto* mgr = TTPEDIDOS_BI_FAT_RESULTADOSMGR::CreateMgr(this, true);
  TLibera libera{*this, mgr};
  mgr->SetRefInicial(edDataIni_);
  mgr->SetRefFinal(edDataFin_);
  mgr->SetSomaMatrizFilial(ckBox_);
  mgr->SetEmpresa(edEmpresa_);
  mgr->SetPlanoConfiguracao(edPlano_);
  mgr->SetQuadro(edQuadro);
  mgr->SetID_PedidoBI(id);
  mgr->SetPerApu(taMensal);
  mgr->GerarFaturamento(this);
}

void TAutoThreadPedidosBI::Execute() {
  TAutoThreadPadrao::Execute();
  FSQL = TSQLMGR::CreateMgr(this);
  edEmpresa_ = Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  edPlano_ = Create<TEdit_Codigo_Search_VYN>();
  edDataIni_ = Create<TEdit_Date_Padrao_VYN>();
  edDataFin_ = Create<TEdit_Date_Padrao_VYN>();
  ckBox_ = Create<TCheckBox>();
  struct TLiberaTudo {
    TAutoThreadPedidosBI& t;
    ~TLiberaTudo() {
      for (TComponent* c : {static_cast<TComponent*>(t.ckBox_), static_cast<TComponent*>(t.FSQL),
                            static_cast<TComponent*>(t.edEmpresa_), static_cast<TComponent*>(t.edPlano_),
                            static_cast<TComponent*>(t.edDataIni_), static_cast<TComponent*>(t.edDataFin_)})
        if (c) t.FreeComponent(c);
      t.ckBox_ = nullptr;
      t.FSQL = nullptr;
      t.edEmpresa_ = t.edPlano_ = nullptr;
      t.edDataIni_ = t.edDataFin_ = nullptr;
    }
  } libera{*this};

  const auto it = Parametros.find("pedidos");
  // A run told nothing it can answer is refused, not ended as if every request were answered.
  if (it == Parametros.end() || !it->is_array())
    throw std::invalid_argument("O parâmetro \"pedidos\" deve ser uma lista de pedidos, como [{\"id\": \"1\", \"tipo\": \"1\"}].");
  for (const auto& pedido : *it) {
    const int id = Inteiro(pedido, "id");
    const int tipo = Inteiro(pedido, "tipo");
    FIDAtual = id;
    switch (tipo) {
      case 1: RespondePedido("TPEDIDOS_BI_DRE_RESULTADOS", [&] { RodaDRE(id); }); break;
      case 2: RespondePedido("TPEDIDOS_BI_FAT_RESULTADOS", [&] { RodaFaturamento(id); }); break;
      case 3: RespondePedido(kTabelaResultadosRelatorios, [&] { pRodaProcessoBIRelatorios(); }); break;
      case 4: RespondePedido(kTabelaResultadosFolha, [&] { pRodaProcessoBIFolhaConfiguravel(); }); break;
      default: break;  // unknown kinds are left as they are
    }
  }
}

}  // namespace integracao
