// What the office reports back to Dyq: lines integrated, returned to the client or refused, and the
// refusal of a whole statement.
#include <algorithm>
#include <filesystem>
#include <map>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"
#include "bankstatement/uFiltroImportacaoMovimentoCaixaDYQ.h"
#include "bankstatement/uItensIntegradosDYQ.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/component/process_context.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/fb_database.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "framework/web/dyq_client.h"

namespace integracao {

using namespace vyn;
using namespace campos;

void TfrConsultaImportacaoExtratoBancario::DeleteDir(const std::string& pasta) {
  std::error_code ec;
  std::filesystem::remove_all(pasta, ec);   // failures are not reported
}

void TfrConsultaImportacaoExtratoBancario::BeforeClearDao() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::BeforeClearDao();
  DeleteMultiplosLancamentos();
  EnviaRetornosDYQ(false);
}

void TfrConsultaImportacaoExtratoBancario::EnviaRetornosDYQ(bool aposImportacao) {
  if (!TemDadosDYQ() || FRecusado) return;
  TDAOFactory* l = DAOLinhas();
  if (!l) return;
  const std::string usuario = ProcessContext().UserName;
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  std::string falha;
  auto envia = [&](int tipo, const nlohmann::ordered_json& doc) {
    try {
      FRetornaDYQ->AlterarStatusRetornoLancamentosDYQ(this, tipo, doc, FAmbienteTeste, FTipoExtrato == 2);
      return true;
    } catch (const std::exception& e) {
      falha = std::string("Retorno ao DYQ não enviado: ") + e.what();
      if (inc) inc->Add_Erro(empresa, falha);
      return false;
    }
  };
  // Integrated lines leave the review once written: a report Dyq did not take is kept here (and in
  // the booked items' record) and sent again with the next reports (the next run, the close, or the
  // next review of the company).
  nlohmann::ordered_json& integrados = FIntegradosPendentes;
  std::vector<std::pair<int, int64_t>>& idsIntegrados = FIdsPendentes;
  auto pendente = [&](int64_t id) {
    return std::any_of(idsIntegrados.begin(), idsIntegrados.end(), [id](const auto& p) { return p.second == id; });
  };
  {
    TFilterGuard guarda(*l, TFilterGuard::kAllRows);
    TBulkLoad umaVez(*l);
    for (l->First(); !l->Eof(); l->Next()) {
      if (Vazio(*l, "BDIDWEB")) continue;
      const int64_t id = Int(*l, "BDIDWEB");
      const int64_t status = Int(*l, "BDSTATUSWEB");
      const std::pair<int, int> chave{static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))};
      if ((status == 1 || status == 2) && Int(*l, "BDINCONSISTENTE") != miForaDaImportacao) {
        if (auto it = FRetornosEnviados.find(id); it != FRetornosEnviados.end() && it->second == status) continue;
        nlohmann::ordered_json doc;
        doc["extratoItemId"] = id;
        doc["observacao"] = Txt(*l, "BDOBSWEB");
        doc["retornadoPor"] = usuario;
        if (envia(status == 1 ? 1 : 4, doc)) FRetornosEnviados[id] = status;
      } else if (aposImportacao && status == 0 && FIntegradas.count(chave) && !FIntegradosInformados.count(id) &&
                 !pendente(id)) {
        // Booked after a return was reported (its status cleared): Dyq learns it was integrated.
        nlohmann::ordered_json item;
        item["extratoItemId"] = id;
        item["integradoPor"] = usuario;
        integrados.push_back(item);
        idsIntegrados.emplace_back(chave.first, id);
      }
    }
  }
  if (!integrados.empty()) {
    nlohmann::ordered_json doc;
    doc["aDado"] = integrados;
    if (envia(0, doc)) {
      std::map<int, std::vector<int64_t>> porEmpresa;
      for (const auto& [emp, id] : idsIntegrados) {
        FIntegradosInformados.insert(id);
        porEmpresa[emp].push_back(id);
      }
      integrados = nlohmann::ordered_json::array();
      idsIntegrados.clear();
      if (TDatabase* db = ProcessContext().Database)
        for (const auto& [emp, ids] : porEmpresa) TItensIntegradosDYQ::MarcaInformados(*db, emp, ids);
    }
  }
  AtualizaListaChamador();
  // Closing is the last chance to send: what still failed is told, not dropped silently.
  if (!aposImportacao && !falha.empty())
    DlgErroOk(falha + "\r\nOs lançamentos já gravados não foram informados ao ^DYQ.");
}

void TfrConsultaImportacaoExtratoBancario::RemoveItensJaIntegrados() {
  TDAOFactory* l = DAOLinhas();
  TDatabase* db = ProcessContext().Database;
  if (!l || !db || !TemDadosDYQ() || !l->FindField("BDIDWEB")) return;
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  std::map<int, std::map<int64_t, bool>> porEmpresa;
  auto integrados = [&](int emp) -> const std::map<int64_t, bool>& {
    auto it = porEmpresa.find(emp);
    if (it == porEmpresa.end()) it = porEmpresa.emplace(emp, TItensIntegradosDYQ::Integrados(*db, emp)).first;
    return it->second;
  };
  const std::string usuario = ProcessContext().UserName;
  for (const auto& [id, informado] : integrados(empresa)) {
    if (informado) continue;
    nlohmann::ordered_json item;
    item["extratoItemId"] = id;
    item["integradoPor"] = usuario;
    FIntegradosPendentes.push_back(item);
    FIdsPendentes.emplace_back(empresa, id);
  }
  std::vector<TBookmark> jaIntegradas;
  {
    TFilterGuard filtro(*l, TFilterGuard::kAllRows);
    for (l->First(); !l->Eof(); l->Next())
      if (!Vazio(*l, "BDIDWEB") && integrados(static_cast<int>(Int(*l, "BDCODEMP"))).count(Int(*l, "BDIDWEB")))
        jaIntegradas.push_back(l->GetBookmark());
  }
  if (jaIntegradas.empty()) return;
  ExcluiLinhas(l, jaIntegradas);
  l->First();
  // Told at once: the user opened the statement to book these lines.
  if (auto* u = Util(); u && u->Inconsistencias()) {
    u->Inconsistencias()->Add_Atencao(
        empresa, std::to_string(jaIntegradas.size()) +
                     " lançamento(s) deste extrato já foram integrados anteriormente e não serão importados novamente.");
    u->Inconsistencias()->Show();
  }
}

void TfrConsultaImportacaoExtratoBancario::AtualizaListaChamador() {
  if (FTipoExtrato == 2) {
    for (TComponent* c = Owner(); c; c = c->Owner())
      if (auto* d = dynamic_cast<TfrFiltroImportacaoMovimentoCaixaDYQ*>(c)) {
        d->carregaMovimentos(true);
        return;
      }
    return;
  }
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (auto* d = dynamic_cast<TfrFiltroImportacaoExtratoBancarioDYQ*>(c)) {
      d->PreencheListaExtratos(true);
      return;
    }
}

std::string TfrConsultaImportacaoExtratoBancario::PedeObservacao() {
  nlohmann::json observacao = nlohmann::json::array();
  TListaObj p;
  p.AddObject(&observacao);
  TPackagesUtil::CarregaFormParamsObj("TfrDadosObservacaoDYQ", this, std::move(p), nullptr, true);
  if (observacao.empty() || !observacao[0].is_string()) return {};
  return observacao[0].get<std::string>();
}

void TfrConsultaImportacaoExtratoBancario::Delete() {
  const std::string pergunta = FTipoExtrato == 2 ? "Deseja retornar os movimentos de caixa para o DYQ?"
                                                 : "Deseja retornar os extratos para o DYQ?";
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return;
  // The rows the user selected in the lines grid, or the current one.
  std::vector<TBookmark> linhas;
  if (atual == DAOLinhas()) linhas = LinhasSelecionadas;
  if (linhas.empty()) linhas.push_back(atual->GetBookmark());
  if (!TemDadosDYQ() || (atual->FindField("BDCHAVELANC") && !Vazio(*atual, "BDCHAVELANC") && atual != DAOLinhas())) {
    TfrImportacao_Padrao_Itens_TreeView_VYN::Delete();
    ExcluiLinhas(atual, linhas);
    if (atual == DAOLinhas()) LinhasSelecionadas.clear();
    return;
  }
  if (atual != DAOLinhas()) return;
  const int r = MessageDlgVYNGlobal(pergunta, mtConfirmation, mbYes | mbNo | mbCancel, {"Retornar", "Recusar", "Cancelar"});
  int status = 0;
  if (r == mrYes) status = 1;
  else if (r == mrNo) status = 2;
  else return;
  const std::string nota = PedeObservacao();
  // Without a note the client would get a return or refusal it cannot act on.
  if (Trim(nota).empty()) return;
  for (TBookmark b : linhas) {
    if (!atual->BookmarkValid(b)) continue;
    atual->GotoBookmark(b);
    atual->Edit();
    Set(*atual, "BDSTATUSWEB", Variant(status));
    Set(*atual, "BDOBSWEB", Variant(nota));
    atual->Post();
  }
}

void TfrConsultaImportacaoExtratoBancario::spRecusaExtratoClick(TComponent*) {
  const bool extrato = FTipoExtrato == 1;
  // The question and its answer are kept whatever follows: a refusal cannot be taken back.
  TLogEvent log(nullptr, logProcesso, FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0, ClassName());
  const int resposta =
      MessageDlgVYN(extrato ? "Tem certeza que deseja recusar o extrato? O processo não pode ser revertido!"
                            : "Tem certeza que deseja recusar o movimento de caixa? O processo não pode ser revertido!",
                    mtInformation, mbYes | mbNo, 0, &log);
  log.GravarLog(false);
  if (resposta != mrYes) return;
  if (!ShowSegurancaProcesso(this)) {
    DlgInfOk("Processo não realizado!");
    return;
  }
  TDAOFactory* l = DAOLinhas();
  const int64_t idExtrato = l && !l->IsEmpty() ? Int(*l, "BDIDEXTRATOWEB") : 0;
  if (idExtrato <= 0) {
    DlgInfOk("Extrato sem identificação no ^DYQ: nada foi recusado.");
    return;
  }
  const std::string nota = PedeObservacao();
  if (Trim(nota).empty()) return;
  nlohmann::ordered_json doc;
  doc["extratoId"] = idExtrato;
  doc["observacao"] = nota;
  doc["retornadoPor"] = ProcessContext().UserName;
  try {
    FRetornaDYQ->AlterarStatusRetornoLancamentosDYQ(this, 3, doc, FAmbienteTeste, FTipoExtrato == 2);
  } catch (const std::exception& e) {
    DlgErroOk(std::string("O ^DYQ não aceitou a recusa: ") + e.what());
    return;
  }
  FRecusado = true;
  AtualizaListaChamador();
  DlgInfOk(extrato ? "O Extrato foi enviado para o ^DYQ como recusado!"
                   : "O Movimento de caixa foi enviado para o ^DYQ como recusado!");
  FEstado = true;
  Close();
}

}  // namespace integracao
