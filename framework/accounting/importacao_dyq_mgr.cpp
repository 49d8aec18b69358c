#include "framework/accounting/importacao_dyq_mgr.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <regex>
#include <tuple>

#include <fmt/format.h>

#include "framework/accounting/concilia_linhas_extrato.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/parametros_revisao.h"

namespace vyn {

namespace {
std::string Texto(const nlohmann::json& linha, const char* chave) {
  if (!linha.contains(chave) || linha[chave].is_null()) return {};
  const auto& v = linha[chave];
  return v.is_string() ? v.get<std::string>() : v.dump();
}

// "D" (money out) puts the bank on the credit side, "C" (money in) on the debit side. Any other
// text is refused: guessing the side would post the amount the wrong way round.
bool SaidaBanco(const nlohmann::json& linha) {
  const std::string t = UpperCase(Trim(Texto(linha, "tipo")));
  if (t != "D" && t != "C")
    throw EDyqError("Tipo inválido no lançamento do extrato: \"" + Texto(linha, "tipo") + "\"", 200);
  return t == "D";
}

TDateTime DataLinha(const nlohmann::json& linha) {
  TDateTime d;
  if (!TryStrToDate(Texto(linha, "data"), d))
    throw EDyqError("Data inválida no lançamento do extrato: \"" + Texto(linha, "data") + "\"", 200);
  return d;
}
}  // namespace

namespace {
// The line's id is what its report names to Dyq: a line without a usable one could never be
// reported, so the statement is refused like any other bad value.
void IdLinhaDYQ(const nlohmann::json& linha) {
  if (!linha.contains("id")) return;
  const auto& id = linha["id"];
  if (id.is_number_integer() && id.get<int64_t>() > 0) return;
  throw EDyqError("Identificação inválida no lançamento do extrato: " + id.dump(), 200);
}
}  // namespace

Currency ValorLinhaDYQ(const nlohmann::json& linha) {
  const std::string t = Texto(linha, "valor");
  // The side comes from "tipo" alone: a signed value would be ambiguous. A bank moves cents: a third
  // decimal would be rounded away without anyone seeing it. An exponent ("1e3") is no bank's amount, and
  // a value past what the review's value cell holds (nine integer digits) could never be corrected there.
  static const std::regex kValor(R"(\d{1,9}([.,]\d{1,2})?)");
  Currency v;
  if (!std::regex_match(t, kValor) || !Currency::TryParse(t, v))
    throw EDyqError("Valor inválido no lançamento do extrato: \"" + t + "\"", 200);
  return v;
}

TLancamentoMGR* CriaLinhasExtrato(TComponent* owner) {
  auto* lanc = TLancamentoMGR::CreateMgr(owner, false, false, 1, false, true);
  lanc->SetControlMemory(true);
  lanc->AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  lanc->AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  lanc->AddFieldDef("BDDATA", TFieldType::ftDate);
  lanc->AddFieldDef("BDDEBITO", TFieldType::ftInteger);
  lanc->AddFieldDef("BDCREDITO", TFieldType::ftInteger);
  lanc->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  // A bank text longer than an entry's own column goes to the entry's long complement: the line keeps
  // it whole.
  lanc->AddFieldDef("BDCOMPL", TFieldType::ftString, kTamanhoTextoLinhaDYQ);
  lanc->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
  // The Dyq item and statement, the bank's own text and the client's note: what the review reports
  // back to Dyq and matches its rules with.
  lanc->AddFieldDef("BDIDWEB", TFieldType::ftInteger);
  lanc->AddFieldDef("BDIDEXTRATOWEB", TFieldType::ftInteger);
  lanc->AddFieldDef("BDCOMPLBANCARIO", TFieldType::ftString, kTamanhoTextoLinhaDYQ);
  lanc->AddFieldDef("BDOBS", TFieldType::ftString, kTamanhoTextoLinhaDYQ);
  // What reconciling a line with a posted entry fills in before the review opens.
  for (const char* c : {"BDCODTERCEIROD", "BDCODTERCEIROC", "BDCODHIST", "BDCODTPHI", "BDTIPOCONC"})
    lanc->AddFieldDef(c, TFieldType::ftInteger);
  for (const char* c : {"BDCONCD", "BDCONCC"}) lanc->AddFieldDef(c, TFieldType::ftBoolean);
  lanc->CreateDataSet();
  return lanc;
}

namespace {
// The line appended and filled, left in its insert for the caller's own columns: one Post a line.
void IniciaLinhaExtrato(TLancamentoMGR& linhas, int64_t empresa, int chave, TDateTime data, bool saida,
                        int64_t conta, Currency valor, const std::string& compl_, const std::string& dcto) {
  linhas.Append();
  linhas.FieldByName("BDCODEMP").SetAsInteger(empresa);
  linhas.FieldByName("BDCHAVE").SetAsInteger(chave);
  linhas.FieldByName("BDDATA").SetAsDateTime(data);
  linhas.FieldByName("BDDEBITO").SetAsInteger(saida ? 0 : conta);
  linhas.FieldByName("BDCREDITO").SetAsInteger(saida ? conta : 0);
  linhas.FieldByName("BDVALOR").SetAsCurrency(valor);
  linhas.FieldByName("BDCOMPL").SetAsString(compl_);
  linhas.FieldByName("BDDCTO").SetAsString(dcto);
}
}  // namespace

void AdicionaLinhaExtrato(TLancamentoMGR& linhas, int64_t empresa, int chave, TDateTime data, bool saida,
                          int64_t conta, Currency valor, const std::string& compl_, const std::string& dcto) {
  IniciaLinhaExtrato(linhas, empresa, chave, data, saida, conta, valor, compl_, dcto);
  linhas.Post();
}

TImportacaoDYQMGR::TImportacaoDYQMGR(TComponent* owner) : TComponent(owner) {}

void TImportacaoDYQMGR::SetIniExtrato(TDateTime_VYN* v) { FIni = v ? v->Value() : TDateTime(); }
void TImportacaoDYQMGR::SetFimExtrato(TDateTime_VYN* v) { FFim = v ? v->Value() : TDateTime(); }

void TImportacaoDYQMGR::PreparaControles() {
  if (!edEmpresa) {
    edEmpresa = Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
    edConta = Create<TEdit_Codigo_Search_VYN>(tcPlanoContas);
    edConta->EditsMaster.push_back(edEmpresa);
    edIni = Create<TEdit_Date_Padrao_VYN>();
    edFim = Create<TEdit_Date_Padrao_VYN>();
    edArquivo = Create<TEdit_Diretorio_Padrao_VYN>();
    spTransacao = Create<TSpeedButton>();
    filtro = Create<TFiltroConciliacao>();
  }
  edEmpresa->Vale(FCodigoEmpresa);
  edConta->Vale(FNrConta);
  edIni->SetData(FIni);
  edFim->SetData(FFim);
  spTransacao->Down = FGerarTransacao;
  filtro->PorData = FPorData;
  filtro->PorDocumento = FPorNrDoc;
  filtro->PorValor = FPorValor;
  filtro->ConsiderarZeros = FConsiderarZeros;
}

namespace {
// Why a line of Dyq cannot be brought ('' when it can): a value, date, side or id that is not the
// protocol's, or a text longer than the road keeps. Only that line stays out.
std::string MotivoLinhaNaoTrazida(const nlohmann::json& l, size_t limiteTexto) {
  try {
    DataLinha(l);
    ValorLinhaDYQ(l);
    SaidaBanco(l);
    IdLinhaDYQ(l);
  } catch (const EDyqError& e) {
    return e.what();
  }
  const size_t texto = Utf8Length(Texto(l, "descricao"));
  if (texto > limiteTexto)
    return "o texto do banco tem " + std::to_string(texto) + " caracteres, o máximo é " + std::to_string(limiteTexto);
  const size_t nota = Utf8Length(Texto(l, "observacao"));
  if (nota > kTamanhoTextoLinhaDYQ)
    return "a observação do cliente tem " + std::to_string(nota) + " caracteres, o máximo é " +
           std::to_string(kTamanhoTextoLinhaDYQ);
  return {};
}

// How the message names a line left out: its id, day and value as far as Dyq gave them usably.
std::string NomeLinhaNaoTrazida(const nlohmann::json& l) {
  const bool temId = l.is_object() && l.contains("id");
  std::string nome = "Lançamento " + (temId ? l["id"].dump() : std::string("sem identificação")) + " do extrato";
  if (!l.is_object()) return nome;
  Currency valor;
  TDateTime data;
  const bool valorLido = [&] {
    try {
      valor = ValorLinhaDYQ(l);
      return true;
    } catch (const EDyqError&) {
      return false;
    }
  }();
  if (TryStrToDate(Texto(l, "data"), data) && valorLido) nome += " (" + Texto(l, "data") + ", " + valor.ToBR() + ")";
  return nome;
}
}  // namespace

nlohmann::json TImportacaoDYQMGR::LinhasTrazidas(nlohmann::json recebidas, bool conciliacao,
                                                 TInconsistencias_VYN& inconsistencias) {
  // The reconciliation keeps the bank text in the statement table's column.
  const size_t limiteTexto = conciliacao ? kTamanhoTextoConciliacaoDYQ : kTamanhoTextoLinhaDYQ;
  nlohmann::json linhas = nlohmann::json::array();
  FNaoTrazidas = 0;
  // An id names one item: lines that repeat it could be neither booked nor reported apart.
  std::map<int64_t, int> vezes;
  for (const auto& l : recebidas)
    if (l.is_object() && l.contains("id") && l["id"].is_number_integer()) ++vezes[l["id"].get<int64_t>()];
  for (auto& l : recebidas) {
    std::string motivo = l.is_object() ? MotivoLinhaNaoTrazida(l, limiteTexto) : "não é um lançamento";
    if (motivo.empty() && l.contains("id") && l["id"].is_number_integer() && vezes[l["id"].get<int64_t>()] > 1)
      motivo = fmt::format("a identificação {} se repete em {} linhas do extrato, e nenhuma delas é trazida",
                           l["id"].get<int64_t>(), vezes[l["id"].get<int64_t>()]);
    if (motivo.empty()) {
      linhas.push_back(std::move(l));
      continue;
    }
    ++FNaoTrazidas;
    inconsistencias.Add_Atencao(NomeLinhaNaoTrazida(l) + " não foi trazido: " + motivo + ".");
  }
  return linhas;
}

void TImportacaoDYQMGR::ExecutaIntegracao(TInconsistencias_VYN& inconsistencias) {
  ++FExecucoes;
  // What this run notes is shown here, before the next screen opens: the statement review empties
  // the list when it imports, and the reconciliation screen has none.
  const int antes = inconsistencias.Count();
  auto mostra = [&] {
    if (inconsistencias.Count() > antes) inconsistencias.Execute(true, true, true, true, "");
  };
  if (FCodigoEmpresa <= 0 || FIDExtrato <= 0) {
    inconsistencias.Add_Erro("Extrato do DYQ não informado.");
    mostra();
    return;
  }
  const bool caixa = FTipoExtrato == tceCaixa;
  const bool conciliacao = ConciliarManualmente && !caixa;
  // A line that cannot be brought is named and stays out; the others go on.
  nlohmann::json trazidas =
      LinhasTrazidas(Cliente.GetLancamentosExtrato(FIDExtrato, AmbienteTesteDYQ, caixa), conciliacao, inconsistencias);
  documento_ = nlohmann::json::object();
  documento_["extratoId"] = FIDExtrato;
  // The lines are read from the document the review reports back from: one copy of them, not two.
  documento_["lancamentos"] = std::move(trazidas);
  const nlohmann::json& linhas = documento_["lancamentos"];
  GravaPDF(inconsistencias);
  PreparaControles();
  if (!conciliacao && !caixa) TrazPreparacoes(inconsistencias);
  mostra();
  if (conciliacao)
    AbreConciliacao(linhas);
  else
    AbreRevisao(linhas, inconsistencias);
}

void TImportacaoDYQMGR::TrazPreparacoes(TInconsistencias_VYN& inconsistencias) {
  if (!FPreparacoes) FPreparacoes = Create<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR>(Cliente.Database);
  FPreparacoes->EmptyDataSet();
  nlohmann::json recebidas;
  try {
    recebidas = Cliente.GetPreparacoesExtrato(FIDExtrato, AmbienteTesteDYQ);
  } catch (const std::exception& e) {
    // The rules serve the next statements: without them this one is still reviewed.
    inconsistencias.Add_Atencao("As preparações do extrato " + std::to_string(FIDExtrato) +
                                " não foram trazidas do ^DYQ: " + e.what());
    return;
  }
  std::vector<std::string> recusadas;
  AdicionaPreparacoesDYQ(*FPreparacoes, recebidas, FIDExtrato, static_cast<int>(FCodigoEmpresa),
                         static_cast<int>(FNrConta), FTipoExtrato, recusadas);
  for (const std::string& r : recusadas) inconsistencias.Add_Atencao(r);
}

void TImportacaoDYQMGR::GravaPDF(TInconsistencias_VYN& inconsistencias) {
  if (ArquivoExtratoPDF.empty()) return;
  if (ArquivoExtratoPDF == "NENHUM") {
    inconsistencias.Add_Atencao("Extrato PDF não salvo: o usuário não possui pasta configurada para o extrato PDF.");
    return;
  }
  std::string pdf;
  try {
    pdf = Cliente.GetExtratoPDF(FIDExtrato, AmbienteTesteDYQ);
  } catch (const EDyqError& e) {
    // Dyq keeps no PDF of every statement, and one it cannot serve now is no reason to hold back the
    // lines: they are still reviewed, nothing is saved.
    inconsistencias.Add_Atencao(e.Status() == 404 ? "Extrato PDF não salvo: o ^DYQ não tem o PDF do extrato " +
                                                        std::to_string(FIDExtrato) + "."
                                                  : std::string("Extrato PDF não salvo: ") + e.what());
    return;
  } catch (const std::exception& e) {
    inconsistencias.Add_Atencao(std::string("Extrato PDF não salvo: ") + e.what());
    return;
  }
  std::filesystem::path alvo(ArquivoExtratoPDF);
  std::error_code ec;
  if (alvo.has_parent_path()) std::filesystem::create_directories(alvo.parent_path(), ec);
  std::ofstream f(alvo, std::ios::binary | std::ios::trunc);
  f.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
  f.close();
  if (!f) inconsistencias.Add_Erro("Não foi possível gravar o extrato PDF em " + ArquivoExtratoPDF);
}

void TImportacaoDYQMGR::AbreRevisao(const nlohmann::json& linhas, TInconsistencias_VYN& inconsistencias) {
  auto* lanc = CriaLinhasExtrato(this);
  int chave = 0;
  for (const auto& l : linhas) {
    const std::string descricao = Texto(l, "descricao");
    IniciaLinhaExtrato(*lanc, FCodigoEmpresa, ++chave, DataLinha(l), SaidaBanco(l), FNrConta, ValorLinhaDYQ(l),
                       descricao, Texto(l, "documento"));
    if (l.contains("id") && l["id"].is_number_integer()) lanc->FieldByName("BDIDWEB").SetAsInteger(l["id"].get<int64_t>());
    lanc->FieldByName("BDIDEXTRATOWEB").SetAsInteger(FIDExtrato);
    lanc->FieldByName("BDCOMPLBANCARIO").SetAsString(descricao);
    lanc->FieldByName("BDOBS").SetAsString(Texto(l, "observacao"));
    lanc->Post();
  }
  // Reconciling on import: a line whose entry is already posted (a fee booked by hand) comes to the
  // review reconciled with it, so the import does not book it again.
  if (FConciliar && FTipoExtrato != tceCaixa) {
    TCriteriosConciliacaoLinha c;
    c.PorDocumento = FPorNrDoc;
    c.PorData = FPorData;
    c.PorValor = FPorValor;
    c.ConsiderarZeros = FConsiderarZeros;
    ConciliaLinhasExtrato(*lanc, edEmpresa, edConta, c);
  }
  lanc->First();
  TAberturaRevisaoExtrato a;
  a.Arquivo = edArquivo;
  a.Inconsistencias = &inconsistencias;
  a.Empresa = edEmpresa;
  a.Linhas = lanc;
  a.Documento = &documento_;
  a.Conta = edConta;
  a.Transacao = spTransacao;
  a.DataIni = edIni;
  a.DataFim = edFim;
  a.UltimaChave = chave;
  a.SubPrepWeb = FSubPrepWeb;
  a.DYQ = true;
  a.NaoCoincidirSequencia = NaoCoincidirSequencia;
  a.AmbienteTeste = AmbienteTesteDYQ;
  a.Preparacoes = FPreparacoes && !FPreparacoes->IsEmpty() ? FPreparacoes : nullptr;
  a.NaoTrazidas = FNaoTrazidas;
  TListaObj lista = ParametrosRevisaoExtrato(a);
  TComponent* dono = Owner() ? Owner() : this;
  TPackagesUtil::CarregaFormParamsObj("TfrConsultaImportacaoExtratoBancario", dono, std::move(lista));
}

void TImportacaoDYQMGR::AbreConciliacao(const nlohmann::json& linhas) {
  TDatabase* db = Cliente.Database;
  TDAOFactory ext(nullptr, "VZEL_EMPRESAS_TEXTRATOBAN", db);
  auto& base = ext.Database();
  const TParams extrato{Variant(static_cast<long long>(FCodigoEmpresa)), Variant(static_cast<long long>(FIDExtrato))};
  TTransaction tr(base);
  {
    // A line already reconciled keeps its entry: only the free lines are replaced, and a line of the
    // new copy that a kept line already stands for is not stored twice.
    std::multiset<std::tuple<int, int, int64_t, std::string>> conciliadas;
    const TQueryResult r = base.QueryAll(
        "select BDDATAMOV, BDTIPO, BDVALOR, BDDCTO from VZEL_EMPRESAS_TEXTRATOBAN where BDCODEMP = ? and "
        "BDIDEXTRATODYQ = ? and BDCHAVELANC is not null",
        extrato);
    for (size_t i = 0; i < r.Rows.size(); ++i)
      conciliadas.insert({r.Value(i, "BDDATAMOV").AsDateTime().Days(), static_cast<int>(r.Value(i, "BDTIPO").AsInteger()),
                          r.Value(i, "BDVALOR").AsCurrency().Raw(), Trim(r.Value(i, "BDDCTO").AsString())});
    base.Execute(
        "delete from VZEL_EMPRESAS_TEXTRATOBAN where BDCODEMP = ? and BDIDEXTRATODYQ = ? and BDCHAVELANC is null",
        extrato);
    for (const auto& l : linhas) {
      auto guardada = conciliadas.find(
          {DataLinha(l).Days(), SaidaBanco(l) ? 0 : 1, ValorLinhaDYQ(l).Raw(), Trim(Texto(l, "documento"))});
      if (guardada != conciliadas.end()) {
        conciliadas.erase(guardada);
        continue;
      }
      base.Execute(
          "insert into VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDIDEXTRATODYQ, BDIDITEMDYQ, "
          "BDDATAMOV, BDDESCRICAO, BDDCTO, BDTIPO, BDVALOR) values (?, gen_id(GEN_VZEL_EMPRESAS_TEXTRATOBAN, 1), ?, ?, "
          "?, ?, ?, ?, ?, ?)",
          {Variant(static_cast<long long>(FCodigoEmpresa)), Variant(static_cast<long long>(FNrConta)),
           Variant(static_cast<long long>(FIDExtrato)),
           l.contains("id") && l["id"].is_number_integer() ? Variant(static_cast<long long>(l["id"].get<int64_t>()))
                                                           : Variant(),
           Variant(DataLinha(l)), Variant(Texto(l, "descricao")),
           Variant(Texto(l, "documento")), Variant(SaidaBanco(l) ? 0 : 1), Variant(ValorLinhaDYQ(l))});
    }
    tr.Commit();
  }
  TListaObj lista;
  lista.Posicao(pcbEmpresa).Add(edEmpresa);
  lista.Posicao(pcbFiliais).AddOwned(std::make_unique<TString_VYN>(nullptr, std::to_string(FCodigoEmpresa)));
  lista.Posicao(pcbDataIni).Add(edIni);
  lista.Posicao(pcbDataFim).Add(edFim);
  lista.Posicao(pcbConta).Add(edConta);
  lista.Posicao(pcbArquivo).Add(edArquivo);
  lista.Posicao(pcbTransacao).Add(spTransacao);
  lista.Posicao(pcbDocumento).AddObject(&documento_);
  lista.Posicao(pcbFiltro).Add(filtro);
  lista.Posicao(pcbIDExtrato).AddInteger(FIDExtrato);
  lista.Posicao(pcbNaoCoincidirSequencia).AddInteger(NaoCoincidirSequencia ? 1 : 0);
  TComponent* dono = Owner() ? Owner() : this;
  TPackagesUtil::CarregaFormParamsObj("TfrProcessoConciliacaoBancaria", dono, std::move(lista));
}

void TVZEL_USU_DYQ_DIRETORIOMGR::getConsulta(int codUsuario) {
  OpenTable("BDCODUSU = ?", {Variant(codUsuario)});
  First();
}

}  // namespace vyn
