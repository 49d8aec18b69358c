// The staged review's conciliation and pending marks. A side of a line is conciliated or pending,
// never both; a pending side carries one observation row, which conciliating the side removes. Every
// change is written to the session's work tables at once.
#include <fmt/format.h>

#include "entryimport/review/revisao_util.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/schema/revisao_tabelas.h"

namespace integracao {

using namespace vyn;

namespace {

bool Marcado(const TDAOFactory& dao, const std::string& campo) {
  const TField* f = dao.FindField(campo);
  return f && !f->IsNull() && UpperCase(Trim(f->AsString())) == "TRUE";
}

// The condition of a side's observation rows; all of its values are integers of the screen's own.
std::string CondicaoObservacao(int sessao, const TDAOFactory& linha, int lado) {
  return fmt::format(" where BDSESSAO = {} AND BDCODEMP = {} AND BDCHAVE = {} AND BDDEBCRE = {}", sessao,
                     Inteiro(linha, "BDCODEMP"), Inteiro(linha, "BDCHAVE"), lado);
}

int64_t ContaObservacoes(TDAOFactory& linha, const std::string& cond) {
  return linha.Database().QueryValue("select count(*) from " + std::string(kTabelaObservacoes) + cond).AsInteger();
}

}  // namespace

TDAOFactory* TfrConsultaImportacaoLancCCTxtHuge::Observacoes() const {
  const auto& ag = Aggregates(DAOAtual());
  return ag.size() > 1 ? ag[1] : nullptr;
}

int TfrConsultaImportacaoLancCCTxtHuge::LadoMarcaSelecionada() const {
  const std::string campo = UpperCase(grGrid->SelectedField);
  if (campo == "BDCONCD") return 0;
  if (campo == "BDCONCC") return 1;
  return -1;
}

void TfrConsultaImportacaoLancCCTxtHuge::GravaObservacoes(const std::vector<std::string>& script) {
  const std::string erro = DAORealizarCommit(script);
  if (!erro.empty()) throw EDataSetError("Não foi possível gravar as observações do lançamento: " + erro);
}

void TfrConsultaImportacaoLancCCTxtHuge::setLancamentoConciliado() {
  TDAOFactory* atual = DAOAtual();
  const int lado = LadoMarcaSelecionada();
  if (!atual || atual->IsEmpty() || lado < 0) return;
  const std::string campo = lado == 0 ? "BDCONCD" : "BDCONCC";
  const bool conciliada = !Marcado(*atual, campo);
  const std::string novo = conciliada ? "True" : "False";
  auto texto = [&](const std::string& f) { return f == campo ? novo : atual->FieldByName(f).AsString(); };
  const int tipo = TLancamentoMGR::getTipoConciliacao(this, false, texto("BDCONCC"), texto("BDCONCD"),
                                                      atual->FieldByName("bdCODEMP").AsString(),
                                                      atual->FieldByName("bdCHAVE").AsString(), campo, false,
                                                      atual->FieldByName("BDTIPOCONC").AsString());
  // A conciliated side keeps no observation; they go first, so a failure leaves the marks as they were.
  if (conciliada) {
    const std::string cond = CondicaoObservacao(Sessao(), *atual, lado);
    if (ContaObservacoes(*atual, cond) > 0) {
      GravaObservacoes({"delete from " + std::string(kTabelaObservacoes) + cond});
      if (TDAOFactory* obs = Observacoes()) obs->Refresh();
    }
  }
  const bool editou = atual->State() == TDataSetState::dsBrowse;
  if (editou) atual->Edit();
  auto posta = [&] { PostaEmMemoria(*atual, editou); };
  try {
    DAOSetValue(*atual, campo, Variant(novo), 8);
    DAOSetValue(*atual, "BDTIPOCONC", Variant(tipo), 1);
  } catch (...) {
    posta();
    throw;
  }
  posta();
  RefreshGridAux();
}

void TfrConsultaImportacaoLancCCTxtHuge::setLancamentoPendente() {
  TDAOFactory* atual = DAOAtual();
  const int lado = LadoMarcaSelecionada();
  if (!atual || atual->IsEmpty() || lado < 0) return;
  if (Marcado(*atual, lado == 0 ? "BDCONCD" : "BDCONCC")) setLancamentoConciliado();
  const std::string cond = CondicaoObservacao(Sessao(), *atual, lado);
  TDAOFactory* obs = Observacoes();
  if (ContaObservacoes(*atual, cond) == 0) {
    GravaObservacoes({fmt::format("insert into {} (BDSESSAO, BDCODEMP, BDCHAVE, BDDEBCRE) values ({}, {}, {}, {})",
                                  kTabelaObservacoes, Sessao(), Inteiro(*atual, "BDCODEMP"), Inteiro(*atual, "BDCHAVE"),
                                  lado)});
    if (obs) obs->Refresh();
  }
  RefreshGridAux();
  if (obs)
    obs->Locate("BDCODEMP;BDCHAVE;BDDEBCRE", {V(Inteiro(*atual, "BDCODEMP")), V(Inteiro(*atual, "BDCHAVE")), V(lado)});
  DAOSetValue(*atual, lado == 0 ? "BDPENDENTED" : "BDPENDENTEC", Variant(std::string("TRUE")), 8);
  OpenObservation();
}

}  // namespace integracao
