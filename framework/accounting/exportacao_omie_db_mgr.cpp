#include "framework/accounting/exportacao_omie_db_mgr.h"

#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"
#include "framework/web/json_numero.h"

namespace vyn {

namespace {

constexpr const char* kNadaAlterado = " Nada foi alterado na Omie: o plano de contas dela continua o mesmo.";

// A filter the text of the query may hold: the fixed subquery or codes and commas only.
bool FiltroValido(const std::string& f) {
  if (f == TExportacaoOmieDBMGR::kFiltroEmpresasOmie) return true;
  bool digito = false;
  for (char c : f) {
    if (c >= '0' && c <= '9') {
      digito = true;
    } else if (c != ',' && c != ' ') {
      return false;
    }
  }
  return digito;
}

}  // namespace

void TExportacaoOmieDBMGR::SetCriaBarra(TComponent* owner, int tipo) {
  Status = TfrStatusProcesso::createStatusProcess(owner, tipo);
}

std::string TExportacaoOmieDBMGR::getMensagemSimNao(const std::string& metodo) {
  if (metodo == "FORCE_REPLACE")
    return "O plano de contas da Omie será excluído por completo e substituído pelo plano de contas da empresa, "
           "inclusive as contas utilizadas nas configurações da Omie. Deseja continuar?";
  if (metodo == "REPLACE")
    return "O plano de contas da Omie será substituído pelo plano de contas da empresa, mantendo as contas "
           "utilizadas nas configurações da Omie. Deseja continuar?";
  return "";
}

void TExportacaoOmieDBMGR::Execute() {
  if (FiltroEmpresas.empty()) {
    int codEmp = CodEmpresa.empty() ? 0 : std::stoi(CodEmpresa);
    if (EnviaOmie && codEmp > 0) {
      TDatabase* db = ProcessContext().Database;
      const Variant nome = db ? db->QueryValue("SELECT FIRST 1 BDNOMEMP FROM TEMPRESAS_REF WHERE BDCODEMP = ?"
                                               " ORDER BY BDREFEMP DESC",
                                               {codEmp})
                              : Variant();
      ExecuteEmpresa(codEmp, CodPlaPadrao, nome.IsNull() ? "" : nome.AsString());
      return;
    }
    if (!lista_) return;
    lista_->Add_Atencao(codEmp, "O plano de contas " + std::to_string(CodPlaPadrao) +
                                    " não foi exportado para o Omie: a integração com o Omie não está disponível. "
                                    "Exporte o plano de contas pela integração do Omie.");
    return;
  }
  if (!FiltroValido(FiltroEmpresas)) throw std::invalid_argument("Filtro de empresas inválido: " + FiltroEmpresas);
  TDatabase* db = ProcessContext().Database;
  if (!db) throw std::logic_error("A exportação do plano de contas precisa de um banco de dados aberto.");
  if (ProcessContext().Referencia > 0) db->SetSessionReferencia(ProcessContext().Referencia);
  const TQueryResult emp = db->QueryAll(
      "select REF.BDCODEMP, REF.BDNOMEMP, REF.BDCODPLAPADRAO from VW_TEMPRESAS_REF REF where REF.BDCODEMP in (" +
      FiltroEmpresas + ") order by REF.BDCODEMP");
  if (Status) Status->SetMax(0, static_cast<int>(emp.Rows.size()));
  for (size_t i = 0; i < emp.Rows.size(); ++i) {
    const int codEmp = static_cast<int>(emp.Value(i, "BDCODEMP").AsInteger());
    if (Status) {
      Status->SetLabel(0, "Exportando o plano de contas da empresa " + std::to_string(codEmp));
      Status->Step(0);
    }
    ExecuteEmpresa(codEmp, static_cast<int>(emp.Value(i, "BDCODPLAPADRAO").AsInteger()),
                   emp.Value(i, "BDNOMEMP").AsString());
  }
  if (Status) Status->Finalize();
}

void TExportacaoOmieDBMGR::ExecuteEmpresa(int codEmp, int codPla, const std::string& nome) {
  const std::string desc = std::to_string(codEmp) + " - " + nome;
  if (!EnviaOmie) {
    if (lista_)
      lista_->Add_Atencao(codEmp, "O plano de contas da empresa " + desc +
                                      " não foi exportado para a Omie: a integração com a Omie não está disponível.");
    return;
  }
  std::string sql =
      "select P.BDCODTPLA, P.BDCTALON, P.BDNOMCTA, P.BDTIPCTA from PLANOS_TPLA P where P.BDCODPLAPADRAO = ?";
  if (ExportaSomenteAnaliticas) sql += " and P.BDTIPCTA = 'A'";
  if (SomenteContasPreparadas)
    sql += " and exists(select 1 from TCONTAS_EMPRESA CE where CE.BDCODEMP = ? and CE.BDCODPLAPADRAO = "
           "P.BDCODPLAPADRAO and CE.BDCODTPLA = P.BDCODTPLA)";
  sql += " order by P.BDCTALON, P.BDCODTPLA";
  TDatabase& db = *ProcessContext().Database;
  const TQueryResult contas = SomenteContasPreparadas ? db.QueryAll(sql, {codPla, codEmp}) : db.QueryAll(sql, {codPla});

  const bool substitui = Metodo == "FORCE_REPLACE" || Metodo == "REPLACE";
  std::map<std::string, nlohmann::ordered_json> antigas;
  if (substitui && !contas.Rows.empty() && !LeContasOmie(codEmp, desc, antigas)) return;
  nlohmann::ordered_json enviadas = nlohmann::ordered_json::array();
  std::vector<nlohmann::ordered_json> enviadasCompletas;
  for (size_t i = 0; i < contas.Rows.size(); ++i) {
    nlohmann::ordered_json p = nlohmann::ordered_json::object();
    p["codigo_conta_integracao"] = std::to_string(contas.Value(i, "BDCODTPLA").AsInteger());
    p["classificacao"] = contas.Value(i, "BDCTALON").AsString();
    p["descricao"] = contas.Value(i, "BDNOMCTA").AsString();
    p["tipo"] = contas.Value(i, "BDTIPCTA").AsString() == "S" ? "S" : "A";
    const TRetornoEnvioOmie r = EnviaOmie(codEmp, "UpsertContaContabil", p);
    if (r.StatusCode != 200) {
      std::string estado;
      if (substitui)
        estado = enviadas.empty() ? std::string(kNadaAlterado) : DesfazEnvio(codEmp, enviadasCompletas, antigas);
      Recusa(codEmp, desc, "a conta " + p["codigo_conta_integracao"].get<std::string>(), r, estado);
      break;
    }
    enviadas.push_back(p["codigo_conta_integracao"]);
    enviadasCompletas.push_back(p);
  }
  const bool completo = enviadas.size() == contas.Rows.size();
  if (substitui && completo && !contas.Rows.empty()) ExcluiContasAntigas(codEmp, desc, enviadas);
  if (lista_)
    lista_->Add_Informacao(codEmp, "Empresa " + desc + ": " + std::to_string(enviadas.size()) + " de " +
                                       std::to_string(contas.Rows.size()) + " conta(s) exportada(s) para a Omie.");
}

bool TExportacaoOmieDBMGR::LeContasOmie(int codEmp, const std::string& desc,
                                        std::map<std::string, nlohmann::ordered_json>& contas) {
  // Omie's answer decides how many pages there are; this bound keeps a peer that never ends from
  // holding the run (far more accounts than any chart has).
  constexpr int kMaxPaginas = 200;
  int total = 1;
  for (int pagina = 1; pagina <= total; ++pagina) {
    TRetornoEnvioOmie r;
    if (pagina > kMaxPaginas) {
      r.StatusCode = 502;
      r.Falha = "O plano de contas tem mais de " + std::to_string(kMaxPaginas) + " páginas";
    } else {
      nlohmann::ordered_json p = nlohmann::ordered_json::object();
      p["pagina"] = pagina;
      p["registros_por_pagina"] = 500;
      r = EnviaOmie(codEmp, "ListarContasContabeis", p);
    }
    const auto lista = r.Resposta.is_object() ? r.Resposta.find("contas") : r.Resposta.end();
    if (r.StatusCode == 200 && (lista == r.Resposta.end() || !lista->is_array())) {
      r.StatusCode = 502;
      r.Falha = "Resposta sem a lista de contas";
    }
    if (r.StatusCode != 200) {
      Recusa(codEmp, desc, "a leitura do plano de contas atual", r, kNadaAlterado);
      return false;
    }
    for (const auto& c : *lista)
      if (c.is_object() && c.contains("codigo_conta_integracao"))
        contas[c["codigo_conta_integracao"].is_string() ? c["codigo_conta_integracao"].get<std::string>()
                                                        : c["codigo_conta_integracao"].dump()] = c;
    const auto tp = r.Resposta.find("total_de_paginas");
    if (tp != r.Resposta.end()) total = InteiroJson(*tp).value_or(total);
  }
  return true;
}

std::string TExportacaoOmieDBMGR::DesfazEnvio(int codEmp, const std::vector<nlohmann::ordered_json>& enviadas,
                                              const std::map<std::string, nlohmann::ordered_json>& antigas) {
  std::vector<std::string> naoDesfeitas;
  for (auto it = enviadas.rbegin(); it != enviadas.rend(); ++it) {
    const std::string codigo = (*it)["codigo_conta_integracao"].get<std::string>();
    const auto antiga = antigas.find(codigo);
    TRetornoEnvioOmie r;
    if (antiga != antigas.end()) {
      nlohmann::ordered_json p = nlohmann::ordered_json::object();
      for (const char* campo : {"codigo_conta_integracao", "classificacao", "descricao", "tipo"})
        if (antiga->second.contains(campo)) p[campo] = antiga->second[campo];
      r = EnviaOmie(codEmp, "UpsertContaContabil", p);
    } else {
      nlohmann::ordered_json p = nlohmann::ordered_json::object();
      p["codigo_conta_integracao"] = codigo;
      r = EnviaOmie(codEmp, "ExcluirContaContabil", p);
    }
    if (r.StatusCode != 200) naoDesfeitas.insert(naoDesfeitas.begin(), codigo);
  }
  if (naoDesfeitas.empty())
    return " A substituição foi desfeita: as " + std::to_string(enviadas.size()) +
           " conta(s) já enviada(s) voltaram a ser como eram e o plano de contas da Omie continua o mesmo.";
  std::string lista;
  for (const std::string& c : naoDesfeitas) lista += (lista.empty() ? "" : ", ") + c;
  return " A substituição não pôde ser desfeita por completo: na Omie, a(s) conta(s) " + lista +
         " ficou(aram) como no plano da empresa; as demais contas da Omie continuam como eram.";
}

bool TExportacaoOmieDBMGR::ExcluiContasAntigas(int codEmp, const std::string& desc,
                                               const nlohmann::ordered_json& manter) {
  nlohmann::ordered_json p = nlohmann::ordered_json::object();
  p["verificar_configuracoes"] = Metodo == "REPLACE" ? "S" : "N";
  p["manter"] = manter;
  const TRetornoEnvioOmie r = EnviaOmie(codEmp, "ExcluirPlanoContas", p);
  if (r.StatusCode == 200) return true;
  Recusa(codEmp, desc, "a exclusão das contas que não fazem parte do plano", r,
         " As contas do plano foram exportadas e as demais contas da Omie foram mantidas.");
  return false;
}

void TExportacaoOmieDBMGR::Recusa(int codEmp, const std::string& desc, const std::string& oque,
                                  const TRetornoEnvioOmie& r, const std::string& estado) {
  if (lista_)
    lista_->Add_Erro(codEmp, "Empresa " + desc + ": " + oque + " recusado pela Omie: [OMIE] " +
                                 std::to_string(r.StatusCode) + " - " + r.Falha + estado);
}

}  // namespace vyn
