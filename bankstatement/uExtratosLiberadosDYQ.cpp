#include "bankstatement/uExtratosLiberadosDYQ.h"

#include <memory>

#include "bankstatement/uItensIntegradosDYQ.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/form.h"
#include "framework/ui/list_view.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/status_processo.h"
#include "framework/web/dyq_client.h"

namespace integracao {

using namespace vyn;

bool AbertoPelasNotificacoes(const TComponent* owner) {
  return owner && SameText(owner->ClassName(), "TfrFiltroImportacaoExtratoBancarioDYQNotificacoes");
}

bool PeriodoListado(TDateTime I, TDateTime F, TDateTime S, TDateTime E) {
  const bool temI = I.Days() != 0, temF = F.Days() != 0;
  if (!temI && !temF) return true;
  if (temI && !temF) return I <= S || I <= E;
  if (!temI) return S <= F || E <= F;
  return (I <= S && S <= F) || (I <= E && E <= F) || (I > S && F < E);
}

TDateTime DataDYQ(const std::string& texto) {
  std::string t = Trim(texto);
  TDateTime d;
  if (TryStrToDate(t.substr(0, 10), d)) return d;
  if (t.size() >= 10 && t[4] == '-' && t[7] == '-') {
    try {
      return SQLToDate(t.substr(0, 10));
    } catch (const std::exception&) {
    }
  }
  return TDateTime();
}

std::string TextoDYQ(const nlohmann::ordered_json& objeto, const char* chave) {
  if (!objeto.is_object() || !objeto.contains(chave)) return {};
  const auto& v = objeto[chave];
  if (v.is_null()) return {};
  return v.is_string() ? v.get<std::string>() : v.dump();
}

int PreencheLinhasLiberadas(TListView& lista, const nlohmann::ordered_json& documento, const std::string& tipoConta,
                            TDateTime I, TDateTime F, TfrStatusProcesso* progresso) {
  if (progresso) progresso->setPrimaryMaxProgress(static_cast<int>(documento.size()));
  int indice = 0;
  for (auto it = documento.begin(); it != documento.end(); ++it, ++indice) {
    if (progresso) progresso->setPrimaryStatusProgress(indice);
    if (UpperCase(it.key()) == "TOTAL") continue;
    const auto& extrato = it.value();
    if (TextoDYQ(extrato, "tipoConta") != tipoConta) continue;
    const std::string ini = TextoDYQ(extrato, "dataInicial"), fim = TextoDYQ(extrato, "dataFinal");
    if (!PeriodoListado(I, F, DataDYQ(ini), DataDYQ(fim))) continue;
    auto& item = lista.Add(it.key());
    item.SubItems = {TextoDYQ(extrato, "conta"), ini, fim, TextoDYQ(extrato, "logLiberacaoData")};
  }
  if (lista.Count() > 0) SelecionaUnico(lista, 0);
  return lista.Count();
}

int64_t EmpresaDYQ(const TEdit_Codigo_Search_VYN& edCODEMP) {
  return edCODEMP.Rejeitado() ? 0 : edCODEMP.Codigo();
}

bool CarregaLiberadosDYQ(TForm_VYN& dialogo, TListView& lista, const TRetornaMetodoDYQ& cliente, int64_t empresa,
                         bool ambienteTeste, const std::string& tipoConta, TDateTime I, TDateTime F, bool Silent,
                         const std::string& rotuloBusca, const std::string& semResultado) {
  lista.Clear();
  if (empresa <= 0) return false;
  std::unique_ptr<TfrStatusProcesso> progresso;
  if (!Silent) {
    progresso = std::make_unique<TfrStatusProcesso>(nullptr, 2);
    progresso->setPrimaryStatusLabel("Enviando dados da empresa, aguarde...");
    progresso->setPrimaryMaxProgress(2);
    progresso->setPrimaryStatusProgress(0);
    progresso->setPrimaryStatusLabel(rotuloBusca);
    progresso->setPrimaryStatusProgress(1);
  }
  auto documento = cliente.GetExtratosEmpresa(&dialogo, empresa, 1, ambienteTeste);
  if (progresso) {
    progresso->setPrimaryStatusProgress(2);
    progresso->setPrimaryStatusLabel("");
  }
  if (documento) PreencheLinhasLiberadas(lista, *documento, tipoConta, I, F, progresso.get());
  if (progresso) {
    if (lista.Count() == 0) DlgInfOk(semResultado);
    progresso->Finalize();
  }
  return true;
}

bool PreparaImportacaoDYQ(const TListView& lista, TImportacaoDYQMGR& mgr, int64_t empresa) {
  const int sel = PrimeiroSelecionado(lista);
  if (lista.Count() == 0 || sel < 0) {
    DlgInfOk("Nenhum extrato selecionado!");
    return false;
  }
  const TListItem& item = lista.Item(sel);
  const std::string conta = PrimeiraPalavra(item.SubItems.at(0));
  if (conta.empty()) {
    DlgInfOk("Extrato sem conta informada!");
    return false;
  }
  mgr.SetCodigoEmpresa(empresa);
  mgr.SetIDExtrato(CodigoConta(item.Caption));
  mgr.SetNrConta(CodigoConta(conta));
  TDateTime_VYN ini(nullptr, DataDYQ(item.SubItems.at(1)));
  TDateTime_VYN fim(nullptr, DataDYQ(item.SubItems.at(2)));
  mgr.SetIniExtrato(&ini);
  mgr.SetFimExtrato(&fim);
  return true;
}

int PrimeiroSelecionado(const TListView& lista) {
  for (int i = 0; i < lista.Count(); ++i)
    if (lista.Item(i).Selected) return i;
  return -1;
}

void SelecionaUnico(TListView& lista, int i) {
  for (int k = 0; k < lista.Count(); ++k) lista.Item(k).Selected = k == i;
  lista.ItemIndex = i;
}

std::string PrimeiraPalavra(const std::string& texto) {
  for (const auto& p : Split(texto, ' '))
    if (!p.empty()) return p;
  return {};
}

int64_t CodigoConta(const std::string& palavra) {
  // Account 0 when the word is not a number: the import still runs and the review shows no bank
  // account, as the service's statements have always been taken.
  if (palavra.empty() || palavra.size() > 18 || OnlyDigits(palavra) != palavra) return 0;
  return std::stoll(palavra);
}

void RecusaExtratoDYQ(TForm_VYN& dialogo, TListView& lista, const TRetornaMetodoDYQ& cliente, bool ambienteTeste,
                      const std::function<void()>& atualizaSilencioso, TLogEvent& log, int64_t empresa,
                      int tipoConta) {
  const int sel = PrimeiroSelecionado(lista);
  if (lista.Count() == 0 || sel < 0) {
    DlgInfOk("Nenhum extrato selecionado!");
    return;
  }
  const std::string id = lista.Item(sel).Caption;
  // Dyq names its statements by number: any other id would refuse statement 0.
  const int64_t extrato = CodigoConta(id);
  if (extrato <= 0) {
    DlgWarOk("O extrato \"" + id + "\" não tem identificação numérica no ^DYQ: nada foi recusado.");
    return;
  }
  log.SetEmpresaAtual(static_cast<int>(empresa));
  const int resposta = MessageDlgVYN("Tem certeza que deseja recusar o extrato? O processo não pode ser revertido!",
                                     mtInformation, mbYes | mbNo, 0, &log);
  // Kept whatever comes next: a refusal cannot be taken back.
  log.GravarLog(false);
  if (resposta != mrYes) return;
  if (!ShowSegurancaProcesso(&dialogo)) {
    DlgInfOk("Processo não realizado!");
    return;
  }
  if (!AceitaRecusarComGravados(empresa, tipoConta, extrato)) return;
  nlohmann::json observacao = nlohmann::json::array();
  TListaObj parametros;
  parametros.AddObject(&observacao);
  TPackagesUtil::CarregaFormParamsObj("TfrDadosObservacaoDYQ", &dialogo, std::move(parametros), nullptr, true);
  // Left without an observation: nothing is refused.
  if (observacao.empty() || !observacao[0].is_string()) return;

  nlohmann::ordered_json documento;
  documento["extratoId"] = extrato;
  documento["observacao"] = ReplaceAll(observacao[0].get<std::string>(), "%20", " ");
  documento["retornadoPor"] = ProcessContext().UserName;
  cliente.AlterarStatusRetornoLancamentosDYQ(&dialogo, 3, documento, ambienteTeste, false);
  atualizaSilencioso();
  DlgInfOk("O Extrato foi enviado para o ^DYQ como recusado!");
}

bool AceitaRecusarComGravados(int64_t empresa, int tipoConta, int64_t idExtrato) {
  TDatabase* db = ProcessContext().Database;
  if (!db) return true;
  const int64_t gravados = TItensIntegradosDYQ::GravadosDoExtrato(*db, static_cast<int>(empresa), tipoConta, idExtrato);
  if (gravados == 0) return true;
  return MessageDlgVYN(std::to_string(gravados) +
                           " lançamento(s) deste extrato já foram importados e continuarão na contabilidade. Deseja "
                           "recusar o extrato mesmo assim?",
                       mtWarning, mbYes | mbNo, 0) == mrYes;
}

}  // namespace integracao
