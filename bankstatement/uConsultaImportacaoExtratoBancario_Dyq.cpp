// What the office reports back to Dyq: lines integrated, returned to the client or refused, and the
// refusal of a whole statement.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include <fmt/format.h>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "bankstatement/uExtratosLiberadosDYQ.h"
#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"
#include "bankstatement/uFiltroImportacaoMovimentoCaixaDYQ.h"
#include "bankstatement/uItensIntegradosDYQ.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
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

namespace {
// How the user knows a Dyq line: its id and its bank text.
std::string NomeItem(TDAOFactory& l) {
  std::string texto = Trim(Txt(l, "BDCOMPLBANCARIO"));
  if (texto.empty()) texto = Trim(Txt(l, "BDCOMPL"));
  return texto.empty() ? std::to_string(Int(l, "BDIDWEB")) : fmt::format("{} ({})", Int(l, "BDIDWEB"), texto);
}

// The service's error as a sentence of the message.
std::string Frase(std::string texto) {
  if (!texto.empty() && texto.back() != '.') texto += '.';
  return texto;
}

std::string Junta(const std::vector<std::string>& nomes) {
  std::string r;
  for (const std::string& n : nomes) r += (r.empty() ? "" : ", ") + n;
  return r;
}
}  // namespace

void TfrConsultaImportacaoExtratoBancario::PreparacoesGravadas() {
  auto* regras = DAOPreparacoes();
  if (!regras) return;
  std::vector<int64_t> ids = regras->IdsPreparacoesDYQ();
  int64_t extrato = ids.empty() ? 0 : [&] {
    TFilterGuard guarda(*regras, TFilterGuard::kAllRows);
    regras->Locate("BDIDWEB", {Variant(ids.front())});
    return Int(*regras, "BDIDEXTRATOWEB");
  }();
  // Rules stored before that Dyq sent again: it did not hear of them then.
  for (const auto& [id, doExtrato] : regras->JaGravadasDYQ()) {
    ids.push_back(id);
    if (extrato == 0) extrato = doExtrato;
  }
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  regras->getConsulta(empresa, FTipoExtrato);
  if (ids.empty() || !FRetornaDYQ) return;
  try {
    FRetornaDYQ->InformaPreparacoesImportadas(extrato, ids, ProcessContext().UserName, FAmbienteTeste);
    regras->RegistraInformadas(empresa, ids);
  } catch (const std::exception& e) {
    // The rules are the company's now, whatever Dyq heard: Dyq sends them again, the review finds them
    // stored, does not offer them twice and tells Dyq of them with its next import.
    if (auto* inc = Util() ? Util()->Inconsistencias() : nullptr)
      inc->Add_Atencao(empresa, "As preparações do extrato foram gravadas, mas o ^DYQ não foi informado: " +
                                    Frase(e.what()));
  }
}

void TfrConsultaImportacaoExtratoBancario::EnviaRetornosDYQ(bool aposImportacao) {
  if (!TemDadosDYQ() || FRecusado) return;
  TDAOFactory* l = DAOLinhas();
  if (!l) return;
  const std::string usuario = ProcessContext().UserName;
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  TDatabase* db = ProcessContext().Database;
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  std::vector<std::string> falhas;
  auto envia = [&](int tipo, const nlohmann::ordered_json& doc, std::string& erro) {
    try {
      FRetornaDYQ->AlterarStatusRetornoLancamentosDYQ(this, tipo, doc, FAmbienteTeste, FTipoExtrato == 2);
      return true;
    } catch (const std::exception& e) {
      erro = e.what();
      return false;
    }
  };
  auto falhou = [&](const std::string& texto) {
    falhas.push_back(texto);
    if (inc) inc->Add_Erro(empresa, texto);
  };
  // A return or refusal Dyq did not take is kept in the database, note and all, and sent again by this
  // review or by the next one of the company: the client's question must reach the client.
  std::vector<std::string> retornosFalhos;
  std::string erroRetorno;
  auto enviaRetorno = [&](int emp, const TItensIntegradosDYQ::TRetorno& r, const std::string& nome) {
    nlohmann::ordered_json doc;
    doc["extratoItemId"] = r.IdWeb;
    doc["observacao"] = r.Observacao;
    doc["retornadoPor"] = r.Usuario;
    if (envia(r.Tipo == 1 ? 1 : 4, doc, erroRetorno)) {
      if (FRetornosGuardados.erase(r.IdWeb) && db) TItensIntegradosDYQ::DescartaRetorno(*db, emp, FTipoExtrato, r.IdWeb);
      return true;
    }
    if (db) TItensIntegradosDYQ::GuardaRetorno(*db, emp, FTipoExtrato, r);
    FRetornosGuardados.insert(r.IdWeb);
    retornosFalhos.push_back(nome);
    return false;
  };
  for (auto it = FRetornosForaDaRevisao.begin(); it != FRetornosForaDaRevisao.end();)
    it = enviaRetorno(empresa, *it, std::to_string(it->IdWeb)) ? FRetornosForaDaRevisao.erase(it) : std::next(it);
  // Integrated lines leave the review once written: a report Dyq did not take is kept here (and in
  // the booked items' record) and sent again with the next reports (the next run, the close, or the
  // next review of the company).
  nlohmann::ordered_json& integrados = FIntegradosPendentes;
  std::vector<std::pair<int, int64_t>>& idsIntegrados = FIdsPendentes;
  // Looked up for every line: a walk of the pending reports for each line cost lines x reports.
  std::set<int64_t> pendentes;
  for (const auto& p : idsIntegrados) pendentes.insert(p.second);
  auto pendente = [&](int64_t id) { return pendentes.count(id) > 0; };
  {
    TFilterGuard guarda(*l, TFilterGuard::kAllRows);
    TBulkLoad umaVez(*l);
    for (l->First(); !l->Eof(); l->Next()) {
      if (Vazio(*l, "BDIDWEB")) continue;
      const int64_t id = Int(*l, "BDIDWEB");
      const int64_t status = Int(*l, "BDSTATUSWEB");
      const std::pair<int, int> chave{static_cast<int>(Int(*l, "BDCODEMP")), static_cast<int>(Int(*l, "BDCHAVE"))};
      // The user took a kept answer back before it reached Dyq: it is not sent later either.
      if (status == 0 && FRetornosGuardados.erase(id) && db)
        TItensIntegradosDYQ::DescartaRetorno(*db, chave.first, FTipoExtrato, id);
      // A line any part of which is booked is never returned nor refused.
      if ((status == 1 || status == 2) && Int(*l, "BDINCONSISTENTE") != miForaDaImportacao &&
          !TemLancamentoNaConta(l->GetBookmark())) {
        if (auto it = FRetornosEnviados.find(id); it != FRetornosEnviados.end() && it->second == status) continue;
        const TItensIntegradosDYQ::TRetorno r{id, Int(*l, "BDIDEXTRATOWEB"), static_cast<int>(status),
                                             Txt(*l, "BDOBSWEB"), usuario};
        if (enviaRetorno(chave.first, r, NomeItem(*l))) FRetornosEnviados[id] = status;
      } else if (aposImportacao && status == 0 && FIntegradas.count(chave) && !FIntegradosInformados.count(id) &&
                 !pendente(id)) {
        // Booked after a return was reported (its status cleared): Dyq learns it was integrated.
        nlohmann::ordered_json item;
        item["extratoItemId"] = id;
        item["integradoPor"] = usuario;
        integrados.push_back(item);
        idsIntegrados.emplace_back(chave.first, id);
        pendentes.insert(id);
      }
    }
  }
  if (!retornosFalhos.empty())
    falhou(fmt::format("Retorno ao DYQ não enviado: {} O retorno dos itens {} foi guardado e será enviado novamente "
                       "na próxima revisão da empresa.",
                       Frase(erroRetorno), Junta(retornosFalhos)));
  InformaIntegrados(envia, falhou);
  AtualizaListaChamador();
  // Closing is the last chance to send: what still failed is told, not dropped silently.
  if (!aposImportacao && !falhas.empty()) {
    std::string texto;
    for (const std::string& f : falhas) texto += (texto.empty() ? "" : "\r\n") + f;
    DlgErroOk(texto);
  }
}

// The lines booked since their return was reported, told to Dyq as integrated in one document; kept
// for the next report when Dyq did not take them.
void TfrConsultaImportacaoExtratoBancario::InformaIntegrados(const TEnviaDYQ& envia,
                                                            const std::function<void(const std::string&)>& falhou) {
  nlohmann::ordered_json& integrados = FIntegradosPendentes;
  std::vector<std::pair<int, int64_t>>& idsIntegrados = FIdsPendentes;
  if (integrados.empty()) return;
  TDatabase* db = ProcessContext().Database;
  nlohmann::ordered_json doc;
  doc["aDado"] = integrados;
  std::string erro;
  if (envia(0, doc, erro)) {
    std::map<int, std::vector<int64_t>> porEmpresa;
    for (const auto& [emp, id] : idsIntegrados) {
      FIntegradosInformados.insert(id);
      porEmpresa[emp].push_back(id);
    }
    integrados = nlohmann::ordered_json::array();
    idsIntegrados.clear();
    if (db)
      for (const auto& [emp, ids] : porEmpresa) TItensIntegradosDYQ::MarcaInformados(*db, emp, FTipoExtrato, ids);
  } else {
    std::vector<std::string> ids;
    for (const auto& p : idsIntegrados) ids.push_back(std::to_string(p.second));
    falhou(fmt::format("Retorno ao DYQ não enviado: {} Os itens já gravados {} não foram informados ao ^DYQ como "
                       "integrados; serão informados na próxima revisão da empresa.",
                       Frase(erro), Junta(ids)));
  }
}

void TfrConsultaImportacaoExtratoBancario::RemoveItensJaIntegrados() {
  TDAOFactory* l = DAOLinhas();
  TDatabase* db = ProcessContext().Database;
  if (!l || !db || !TemDadosDYQ() || !l->FindField("BDIDWEB")) return;
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  std::map<int, std::map<int64_t, bool>> porEmpresa;
  auto integrados = [&](int emp) -> const std::map<int64_t, bool>& {
    auto it = porEmpresa.find(emp);
    if (it == porEmpresa.end())
      it = porEmpresa.emplace(emp, TItensIntegradosDYQ::Integrados(*db, emp, FTipoExtrato)).first;
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
  // Returns kept from an earlier review: their line shows the answer the user gave (and it goes with
  // the next reports); those of lines this statement does not bring go with them too.
  std::map<int64_t, TItensIntegradosDYQ::TRetorno> guardados;
  for (auto& r : TItensIntegradosDYQ::RetornosPendentes(*db, empresa, FTipoExtrato)) {
    FRetornosGuardados.insert(r.IdWeb);
    guardados.emplace(r.IdWeb, std::move(r));
  }
  std::vector<TBookmark> jaIntegradas;
  {
    TFilterGuard filtro(*l, TFilterGuard::kAllRows);
    for (l->First(); !l->Eof(); l->Next()) {
      if (Vazio(*l, "BDIDWEB")) continue;
      const int64_t id = Int(*l, "BDIDWEB");
      if (integrados(static_cast<int>(Int(*l, "BDCODEMP"))).count(id)) {
        jaIntegradas.push_back(l->GetBookmark());
      } else if (auto it = guardados.find(id); it != guardados.end()) {
        l->Edit();
        Set(*l, "BDSTATUSWEB", Variant(it->second.Tipo));
        Set(*l, "BDOBSWEB", Variant(it->second.Observacao));
        l->Post();
        guardados.erase(it);
      }
    }
  }
  for (auto& [id, r] : guardados) FRetornosForaDaRevisao.push_back(std::move(r));
  if (jaIntegradas.empty()) return;
  // An item Dyq sends again with another day, value or side is not booked twice, nor dropped unnamed.
  const std::map<TBookmark, std::string> alterados = MovimentosAlterados(jaIntegradas);
  ExcluiLinhas(l, jaIntegradas);
  l->First();
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  if (!inc) return;
  for (const auto& [b, texto] : alterados)
    inc->Add_Atencao(empresa, texto + " Não será importado novamente: confira o lançamento.");
  if (jaIntegradas.size() > alterados.size())
    inc->Add_Atencao(empresa, std::to_string(jaIntegradas.size() - alterados.size()) +
                                  " lançamento(s) deste extrato já foram integrados anteriormente e não serão "
                                  "importados novamente.");
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
  if (atual == DAOLinhas()) linhas = Selecionadas();
  if (linhas.empty()) linhas.push_back(atual->GetBookmark());
  if (!TemDadosDYQ() || (atual->FindField("BDCHAVELANC") && !Vazio(*atual, "BDCHAVELANC") && atual != DAOLinhas())) {
    TfrImportacao_Padrao_Itens_TreeView_VYN::Delete();
    ExcluiLinhas(atual, linhas);
    if (atual == DAOLinhas()) {
      LinhasSelecionadas.clear();
      grGrid->ClearSelection();
    }
    return;
  }
  if (atual != DAOLinhas()) return;
  // Only a line Dyq knows by its id can go back to the client; the others (lines handed by the
  // reconciliation, or brought without an id) leave the review as in any review.
  std::vector<TBookmark> semId;
  for (auto it = linhas.begin(); it != linhas.end();) {
    if (atual->BookmarkValid(*it)) atual->GotoBookmark(*it);
    if (Vazio(*atual, "BDIDWEB")) {
      semId.push_back(*it);
      it = linhas.erase(it);
    } else {
      ++it;
    }
  }
  if (linhas.empty()) {
    TfrImportacao_Padrao_Itens_TreeView_VYN::Delete();
    ExcluiLinhas(atual, semId);
    LinhasSelecionadas.clear();
    grGrid->ClearSelection();
    return;
  }
  if (!semId.empty())
    DlgInfOk(std::to_string(semId.size()) +
             " lançamento(s) selecionado(s) sem identificação no ^DYQ não serão retornados nem recusados.");
  // What the books hold of a line is the client's movement: part of it booked, it is not returned.
  const size_t antes = linhas.size();
  linhas.erase(std::remove_if(linhas.begin(), linhas.end(), [&](TBookmark b) { return TemLancamentoNaConta(b); }),
               linhas.end());
  if (linhas.size() != antes)
    DlgInfOk(std::to_string(antes - linhas.size()) +
             " lançamento(s) selecionado(s) com parte já lançada não serão retornados nem recusados.");
  if (linhas.empty()) return;
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
  LinhasSelecionadas.clear();
  grGrid->ClearSelection();
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
  if (!AceitaRecusarComGravados(FCodEmp ? FCodEmp->Codigo() : 0, FTipoExtrato, idExtrato)) return;
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
