// BI requests of report screens: the named screen runs without a user, filled from the request's
// "name=value;..." text, and its output is answered as numbered text lines (a file name, data rows
// or a message).
#include <filesystem>
#include <functional>

#include <fmt/format.h>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/component/string_list.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/diretorio_plano.h"
#include "framework/host/tipo_sistema.h"
#include "framework/schema/pedidos_bi_tabelas.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_date_texto.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/mask_edit_documentos.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/relatorio_padrao.h"
#include "framework/ui/sequencia_relatorio.h"
#include "framework/ui/status_processo.h"
#include "statutory/bi/uAutoThreadPedidosBI.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

namespace {

constexpr const char* kNaoEncontrado = "Não foi possível encontrar o relatório informado!";
constexpr const char* kTipoInvalido = "Tipo de Exportação Inválida!";

// Splits at sep outside double quotes; a part wholly in quotes loses them ("" inside is one quote).
std::vector<std::string> SeparaComAspas(const std::string& texto, char sep) {
  std::vector<std::string> partes;
  std::string atual;
  bool aspas = false;
  for (char c : texto) {
    if (c == '"') aspas = !aspas;
    if (c == sep && !aspas) {
      partes.push_back(atual);
      atual.clear();
    } else {
      atual += c;
    }
  }
  if (!atual.empty() || !partes.empty()) partes.push_back(atual);
  for (auto& p : partes) {
    const std::string t = Trim(p);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') p = ReplaceAll(t.substr(1, t.size() - 2), "\"\"", "\"");
  }
  return partes;
}

struct TParametro {
  std::string Nome, Valor;
};
std::vector<TParametro> SeparaParametros(const std::string& texto) {
  std::vector<TParametro> out;
  for (const auto& p : SeparaComAspas(texto, ';')) {
    const size_t igual = p.find('=');
    if (igual == std::string::npos) out.push_back({p, ""});
    else out.push_back({p.substr(0, igual), p.substr(igual + 1)});
    // A value wholly in quotes (name="a;b") is the text inside them.
    std::string& v = out.back().Valor;
    if (const std::string t = Trim(v); t.size() >= 2 && t.front() == '"' && t.back() == '"')
      v = ReplaceAll(t.substr(1, t.size() - 2), "\"\"", "\"");
  }
  return out;
}

bool EhRelatorioGerador(const std::string& classe) {
  static const char* const kGeradores[] = {
      "TFRRELATORIO_GERADOR_RELATORIO_PADRAO_VYN", "TFRRELGERADORRELATORIORH", "TFRRELGERADORRELATORIOEF",
      "TFRRELATORIOPADRAOGERADORVZEL", "TFRRELATORIOGERADORTAREFAS", "TFRRELATORIOGERADORORCAMENTO",
      "TFRRELATORIOGERADORPROTOCOLOS", "TFRRELATORIOGERADORTEMPORIZADOR"};
  const std::string c = UpperCase(Trim(classe));
  for (const char* g : kGeradores)
    if (c == g) return true;
  return false;
}

std::vector<std::string> verificaCamposPrioridade(const std::string& classe) {
  if (classe == "TfrRelatorioReciboFolha") return {"cbTipoFolha"};
  if (classe == "TfrRelatorioTotaisLancamentos") return {"cbPeriodo"};
  return {};
}

bool TextoBooleano(const std::string& texto) {
  const std::string t = Trim(texto);
  if (SameText(t, "True")) return true;
  if (SameText(t, "False")) return false;
  size_t usado = 0;
  try {
    const long v = std::stol(t, &usado);
    if (usado == t.size()) return v != 0;
  } catch (const std::exception&) {
  }
  throw std::invalid_argument("'" + texto + "' is not a valid boolean value");
}


void Foca(TControl& c) {
  if (c.CanFocus()) c.SetFocus();
}

// Validated as if the user had typed the code and left the edit.
void ValidaComoDigitado(TEdit_Codigo_Search_VYN& ed) {
  ed.Search();
  ed.Validate();
}

void ForEachComponente(TComponent& raiz, const std::function<void(TComponent&)>& f) {
  for (TComponent* c : raiz.Components()) {
    f(*c);
    ForEachComponente(*c, f);
  }
}

void pLimpaCamposForm(TComponent& raiz) {
  ForEachComponente(raiz, [](TComponent& c) {
    try {
      if (auto* cl = dynamic_cast<TCheckListBox*>(&c)) cl->CheckAll(false);
      else if (auto* cod = dynamic_cast<TEdit_Codigo_Search_VYN*>(&c)) cod->Vale(0);
      else if (auto* rg = dynamic_cast<TRadioGroup*>(&c)) rg->SetItemIndex(0);
      else if (auto* ck = dynamic_cast<TCheckBox*>(&c)) ck->SetChecked(false);
      else if (auto* cb = dynamic_cast<TComboBox_Padrao_VYN*>(&c)) cb->SetItemIndex(-1);
      else if (auto* dt = dynamic_cast<TEdit_Date_Padrao_VYN*>(&c)) {
        Foca(*dt);
        dt->SetData(Today());
      } else if (auto* ed = dynamic_cast<TCustomEdit*>(&c)) ed->SetText("");
    } catch (const std::exception&) {
      // a control that refuses to be emptied keeps its value
    }
  });
}

TComponent* Procura(TComponent& raiz, const std::string& nome) {
  TComponent* achou = nullptr;
  ForEachComponente(raiz, [&](TComponent& c) {
    if (!achou && SameText(c.Name(), nome)) achou = &c;
  });
  return achou;
}

void AplicaParametro(TComponent& tela, const TParametro& p) {
  TComponent* c = Procura(tela, Trim(p.Nome));
  if (!c) return;
  if (auto* cod = dynamic_cast<TEdit_Codigo_Search_VYN*>(c)) {
    Foca(*cod);
    const int v = StrToInt(p.Valor);
    if (v > 0)
      cod->Vale(v);
    else
      cod->Reset();
    ValidaComoDigitado(*cod);
  } else if (auto* rg = dynamic_cast<TRadioGroup*>(c)) {
    rg->SetItemIndex(StrToInt(p.Valor));
  } else if (auto* ck = dynamic_cast<TCheckBox*>(c)) {
    ck->SetChecked(TextoBooleano(p.Valor));
  } else if (auto* cb = dynamic_cast<TComboBox_Padrao_VYN*>(c)) {
    cb->SetItemIndex(StrToInt(p.Valor));
  } else if (auto* dt = dynamic_cast<TEdit_Date_Padrao_VYN*>(c)) {
    Foca(*dt);
    std::string v = Trim(p.Valor);
    if (v.size() == 4) v = "01/01/" + v;
    else if (v.size() == 7) v = "01/" + v;
    SetDataStrRespeitandoTipo(*dt, v);
  } else if (auto* ed = dynamic_cast<TCustomEdit*>(c)) {
    ed->SetText(p.Valor);
  } else if (auto* cl = dynamic_cast<TCheckListBox*>(c)) {
    cl->CheckAll(false);
    for (const auto& parte : SeparaComAspas(p.Valor, ',')) {
      const std::string t = Trim(parte);
      if (!t.empty()) cl->SetChecked(StrToInt(t), true);
    }
  }
}

// The request's company (with no office) and parameters into the screen, the ones the screen
// needs first before the others.
void PreencheTela(TfrRelatorio_Padrao_VYN& tela, int codEmp, const std::vector<TParametro>& partes) {
  pLimpaCamposForm(tela);
  if (codEmp != 0) {
    if (auto* ed = tela.EditCodEmp()) {
      Foca(*ed);
      ed->Vale(codEmp);
      // A company the look-up refuses ends the request with the refusal, never a report of no one.
      if (!ed->Search() || !ed->Validate()) throw std::runtime_error(ed->Mensagem());
    }
    if (auto* esc = dynamic_cast<TEdit_Codigo_Search_VYN*>(Procura(tela, "edCODESC"))) {
      Foca(*esc);
      esc->Vale(0);
      ValidaComoDigitado(*esc);
    }
  }
  const auto prioridade = verificaCamposPrioridade(tela.ClassName());
  auto ehPrioridade = [&](const TParametro& p) {
    return std::find(prioridade.begin(), prioridade.end(), Trim(p.Nome)) != prioridade.end();
  };
  for (const auto& p : partes)
    if (ehPrioridade(p)) AplicaParametro(tela, p);
  for (const auto& p : partes)
    if (!ehPrioridade(p)) AplicaParametro(tela, p);
}

// The screen's export into a file named by its caption and the moment, in the program's temp folder.
std::string ExportaArquivo(TfrRelatorio_Padrao_VYN& tela, const char* extensao) {
  const std::string nome = fEliminaCaracteresEspeciais(tela.Caption());
  std::string agora = fmt::format("{}", Now().Value);
  agora = ReplaceAll(ReplaceAll(agora, ",", ""), ".", "");
  const fs::path pasta = fs::path(ProcessContext().ProgramFolder) / "temp";
  fs::create_directories(pasta);
  const std::string arquivo = (pasta / (nome + "-" + agora + extensao)).string();
  tela.ExecutaExportar(arquivo);
  return arquivo;
}

// One report request as its row says.
struct TPedidoRelatorio {
  std::string NomeRel;
  int CodEmp = 0;
  std::string Parametros;
  int TipoSaida = 0;
};

TPedidoRelatorio LePedidoRelatorio(TSQLMGR& sql, int id) {
  sql.CommandText("select * from TPEDIDOS_BI_RELATORIOS where (BDID = ?)", ctOpen, {Variant(id)});
  if (sql.IsEmpty()) throw std::runtime_error("O pedido de BI " + std::to_string(id) + " não foi encontrado.");
  TPedidoRelatorio p;
  p.NomeRel = Trim(sql.FieldByName("BDNOMEREL").AsString());
  p.CodEmp = static_cast<int>(sql.FieldByName("BDCODEMP").AsInteger());
  p.Parametros = sql.FieldByName("BDPARAMETROS").AsString();
  p.TipoSaida = static_cast<int>(sql.FieldByName("BDTIPOSAIDA").AsInteger());
  sql.Close();
  return p;
}

}  // namespace

void TAutoThreadPedidosBI::InsereResultado(int linha, const std::string& texto) {
  FSQL->Close();
  FSQL->CommandText(std::string("insert into ") + kTabelaResultadosRelatorios +
                        "(BDID, BDLINHA, BDRESULTADO) values (?, ?, ?)",
                    ctExecute, {Variant(FIDAtual), Variant(linha), Variant(Utf8Left(texto, 8000))});
}

std::string TAutoThreadPedidosBI::GetDescRelatorioGerador(const std::string& codigo) {
  FSQL->Close();
  FSQL->CommandText("select BDDESCREP from TREPOSITORIO where (BDCODREP = ?)", ctOpen, {Variant(StrToInt(codigo))});
  const std::string desc = FSQL->IsEmpty() ? "" : FSQL->FieldByName("BDDESCREP").AsString();
  FSQL->Close();
  return desc;
}

// The report screen by name (a generator report gets its description and code); none when there is
// no such screen, and erroAntes says when the request itself could not be read.
TForm_VYN* TAutoThreadPedidosBI::CarregaTelaRelatorio(const std::string& nomeRel, const std::string& codigoGerador,
                                                      int& tipoSaida, std::string& erroAntes) {
  TForm_VYN* form = nullptr;
  try {
    if (EhRelatorioGerador(nomeRel)) {
      if (tipoSaida == 3) tipoSaida = 5;
      auto linhas = std::make_unique<TStringList>();
      linhas->Add(GetDescRelatorioGerador(codigoGerador));
      linhas->Add(codigoGerador);
      TListaObj lista;
      lista.AddOwned(std::move(linhas));
      TComponent* dono = ProcessContext().MainForm ? static_cast<TComponent*>(ProcessContext().MainForm) : this;
      form = TPackagesUtil::CarregaFormParamsObj(nomeRel, dono, std::move(lista));
    } else {
      form = TPackagesUtil::CarregaFormERetorna(nomeRel, this);
    }
  } catch (const EFormLoaderError&) {
    form = nullptr;   // no such screen: answered below
  } catch (const EClassNotFound&) {
    form = nullptr;
  } catch (const EConvertError& e) {
    erroAntes = e.what();   // a generator code that is not a number
  }
  return form;
}

// The data set's header and rows as text lines of the answer.
void TAutoThreadPedidosBI::EnviaDados(TfrRelatorio_Padrao_VYN& tela) {
  TClientDataSet* dados = tela.frxDBDados;
  if (dados) {
    dados->First();
    std::string cabecalho;
    for (int i = 0; i < dados->FieldCount(); ++i) cabecalho += dados->Fields(i).FieldName() + ";";
    if (dados->FieldCount() > 0) InsereResultado(0, cabecalho);
    for (; !dados->Eof(); dados->Next()) {
      std::string linha;
      for (int i = 0; i < dados->FieldCount(); ++i) linha += dados->Fields(i).AsString() + ";";
      InsereResultado(dados->RecNo(), linha);
    }
  }
}

// The report in the asked output: the data as text lines, or a file whose name is the answer.
void TAutoThreadPedidosBI::EmiteRelatorio(TfrRelatorio_Padrao_VYN& tela, int tipoSaida) {
  TSpeedButton* botoes[] = {nullptr, tela.spExportaPDF, tela.spExportaTXT, tela.spExportaPDF,
                            tela.spExportaExcelXLSX, tela.spExportaCSV};
  const char* extensoes[] = {"", ".pdf", ".txt", "", ".xlsx", ".csv"};
  if (tipoSaida < 1 || tipoSaida > 5) {
    InsereResultado(0, kTipoInvalido);
  } else {
    tela.spPreviaImpressaoClick(botoes[tipoSaida]);
    if (tipoSaida == 3) {
      EnviaDados(tela);
    } else {
      const std::string arquivo = ExportaArquivo(tela, extensoes[tipoSaida]);
      InsereResultado(0, arquivo);
    }
  }
}

void TAutoThreadPedidosBI::pRodaProcessoBIRelatorios() {
  const TPedidoRelatorio pedido = LePedidoRelatorio(*FSQL, FIDAtual);
  // An answer replaces the request's earlier one (a re-sent id, a retry after a stopped run).
  FSQL->CommandText(std::string("delete from ") + kTabelaResultadosRelatorios + " where BDID = ?", ctExecute,
                    {Variant(FIDAtual)});
  const std::string& nomeRel = pedido.NomeRel;
  const int codEmp = pedido.CodEmp;
  int tipoSaida = pedido.TipoSaida;
  // The sequence state is the host's: it is lent to this request and given back as it was, with
  // the module, so that later screens do not see a run that ended.
  auto& estado = WP_SEQUENCIARELATORIO();
  const TEstadoSequenciaRelatorio salvo = estado;
  const int sistemaSalvo = MenuSistema().Sistema;
  auto* progresso = TfrStatusProcesso::createStatusProcess(this, 7, 1, true);
  struct TRestaura {
    TAutoThreadPedidosBI& t;
    TEstadoSequenciaRelatorio& e;
    const TEstadoSequenciaRelatorio& salvo;
    TfrStatusProcesso* progresso;
    int sistema;
    ~TRestaura() {
      e = salvo;
      progresso->Finalize();
      t.FreeComponent(progresso);
      if (MenuSistema().Sistema != sistema) TItemDeMenu::CallChangeSistema(sistema);
    }
  } restaura{*this, estado, salvo, progresso, sistemaSalvo};
  estado.Executando = true;
  estado.ExportarIndividualmente = false;
  estado.EnviarEmail = false;
  estado.StatusProcesso = progresso;
  estado.OnInconsistencia = [this](TTipoInconsistenciaSeq tipo, const std::string& msg) {
    if (tipo == tisErro) InsereResultado(0, msg);
  };

  const std::vector<TParametro> partes = SeparaParametros(pedido.Parametros);
  // A module no one knows ends the run before the screen opens: the request stays waiting.
  int sistema = -1;
  try {
    if (!partes.empty()) sistema = SistemaPorNome(partes.front().Valor);
  } catch (const std::invalid_argument& e) {
    throw std::runtime_error("O pedido de BI " + std::to_string(FIDAtual) + " não foi respondido: " + e.what());
  }
  if (sistema >= 0) TItemDeMenu::CallChangeSistema(sistema);

  std::string erroAntes;
  TForm_VYN* form = CarregaTelaRelatorio(nomeRel, partes.size() > 1 ? Trim(partes[1].Valor) : "", tipoSaida, erroAntes);
  struct TLiberaTela {
    TForm_VYN* f;
    ~TLiberaTela() {
      if (f) f->Free();
    }
  } liberaTela{form};

  try {
    auto* tela = dynamic_cast<TfrRelatorio_Padrao_VYN*>(form);
    if (!erroAntes.empty()) {
      InsereResultado(0, "Erro ao rodar pedido: " + erroAntes);
    } else if (!tela) {
      InsereResultado(0, kNaoEncontrado);
    } else {
      PreencheTela(*tela, codEmp, partes);
      EmiteRelatorio(*tela, tipoSaida);
    }
  } catch (const std::exception& e) {
    InsereResultado(0, "Erro ao rodar pedido: " + std::string(e.what()));
  }
}

}  // namespace integracao
