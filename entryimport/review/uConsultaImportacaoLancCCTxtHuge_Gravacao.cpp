// The staged review's write-through: every correction goes to the session's work tables at once.
#include <fmt/format.h>

#include <cctype>
#include <functional>

#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/status_processo.h"
#include "framework/schema/revisao_tabelas.h"

namespace integracao {

using namespace vyn;

namespace {

// The key of the current row in its work table.
TParams ChaveLinha(const TDAOFactory& dao) {
  return {dao.Sessao(), dao.FieldByName("BDCODEMP").Value(), dao.FieldByName("BDCHAVE").Value()};
}

bool Marcado(const TDAOFactory& dao, const char* campo) {
  const TField* f = dao.FindField(campo);
  return f && !f->IsNull() && f->AsBoolean();
}

const char* MarcaOposta(const std::string& campo) {
  const std::string f = UpperCase(campo);
  if (f == "BDCONCC") return "BDPENDENTEC";
  if (f == "BDCONCD") return "BDPENDENTED";
  if (f == "BDPENDENTEC") return "BDCONCC";
  if (f == "BDPENDENTED") return "BDCONCD";
  return nullptr;
}

// A mass change: the statement that makes it in the work table, and the same change for the rows in
// memory: the lines whose field holds one of Antigos (null for an empty one) and pass Aceita take Novo,
// NovoPar in the column Par, and lose what the columns Limpa held.
struct TMudancaEmMassa {
  std::string SQL;
  TParams Params;
  std::string Campo, Par;
  std::vector<Variant> Antigos;
  Variant Novo, NovoPar;
  std::vector<std::string> Limpa;
  std::function<bool(const TClientDataSet&)> Aceita = [](const TClientDataSet&) { return true; };
};

// An account: the lines on the old account of that side (the account the question names, an empty one
// only when it names an empty one) take the new one; the side's participant type follows it (1, or
// null), and an account that takes no participant (y false) leaves the side without one.
TMudancaEmMassa MudancaDeConta(const std::string& campo, const Variant& n, const Variant& o, bool y, int sessao,
                               const std::string& tabela) {
  TMudancaEmMassa m;
  const bool debito = campo == "BDDEBITO";
  const std::string lado = debito ? "D" : "C";
  const std::string col = debito ? "T.BDDEBITO" : "T.BDCREDITO";
  const std::string tipo = debito ? "T.bdtipoterd" : "T.bdtipoterc";
  if (!y) m.Limpa = {"BDCODTERCEIRO" + lado, "BDALTCODTERCEIRO" + lado};
  std::string limpa;
  for (const std::string& c : m.Limpa) limpa += ", T." + c + " = null";
  m.Params = {n, y ? Variant(1) : Variant(), sessao};
  std::string cond;
  if (o.IsNull()) {
    cond = " (" + col + " IS NULL) ";
    m.Antigos = {Variant()};
  } else {
    cond = " (" + col + " = ?) ";
    m.Params.push_back(o);
    m.Antigos = {o};
  }
  m.SQL = "UPDATE " + tabela + " T SET " + col + " = ?, " + tipo + " = ?" + limpa +
          " WHERE T.BDSESSAO = ? AND " + cond;
  m.Campo = campo;
  m.Par = debito ? "BDTIPOTERD" : "BDTIPOTERC";
  m.Novo = n;
  m.NovoPar = m.Params[1];
  return m;
}

// A participant: the lines of the side that takes participants whose participant and chosen
// participant are empty or the old one take the new one in both.
TMudancaEmMassa MudancaDeParticipante(const std::string& campo, const Variant& n, const Variant& o, int sessao,
                                      const std::string& tabela) {
  TMudancaEmMassa m;
  const char lado = campo.back();
  const std::string t = fmt::format("BDCODTERCEIRO{}", lado);
  const std::string alt = fmt::format("BDALTCODTERCEIRO{}", lado);
  const std::string tipo = fmt::format("BDTIPOTER{}", lado);
  // A code 0 is an empty participant as much as a null one.
  std::string cond = o.IsNull() ? fmt::format("(coalesce(T.{0}, 0) = 0) and (coalesce(T.{1}, 0) = 0)", t, alt)
                                : fmt::format("((T.{0} is null) or (T.{0} = ?)) and ((T.{1} is null) or (T.{1} = ?))", t, alt);
  m.Params = {n, n, sessao};
  if (!o.IsNull()) m.Params.insert(m.Params.end(), {o, o});
  m.SQL = fmt::format("UPDATE {4} T SET T.{0} = ?, T.{1} = ? WHERE  T.BDSESSAO = ? "
                      "and T.BDTIPOTER{2} <> 0 and {3}",
                      t, alt, lado, cond, tabela);
  m.Campo = t;
  m.Par = alt;
  m.Novo = m.NovoPar = n;
  const int64_t antigo = o.IsNull() ? 0 : o.AsInteger();
  m.Antigos = {Variant(), Variant(static_cast<long long>(antigo))};
  m.Aceita = [tipo, alt, antigo](const TClientDataSet& ds) {
    const TField& tp = ds.FieldByName(tipo);
    const TField& a = ds.FieldByName(alt);
    return !tp.IsNull() && tp.AsInteger() != 0 && (a.IsNull() || a.AsInteger() == antigo);
  };
  return m;
}

// The change made to the rows in memory, which hold what the work table holds (every write of the
// review goes to both): a cursor of its own shows the lines whose field holds an old value and takes
// them one by one (a changed line leaves it), so the work follows the lines changed and the grid's row,
// order and filter stay as they are. False when it cannot be made so (a row held in an edit, a column
// missing): the caller reads the lines again.
bool MudaEmMemoria(TDAOFactory& lanc, const TMudancaEmMassa& m) {
  if (lanc.State() != TDataSetState::dsBrowse || !lanc.FindField(m.Campo) || !lanc.FindField(m.Par)) return false;
  for (const char* c : {"BDTIPOTERD", "BDTIPOTERC"})
    if (!lanc.FindField(c)) return false;
  for (const std::string& c : m.Limpa)
    if (!lanc.FindField(c)) return false;
  TClientDataSet linhas;
  linhas.CloneCursor(lanc, true, false);
  std::string filtro;
  for (const Variant& antigo : m.Antigos)
    filtro += (filtro.empty() ? "(" : " OR (") + m.Campo +
              (antigo.IsNull() ? std::string(" IS NULL)") : " = " + std::to_string(antigo.AsInteger()) + ")");
  linhas.SetFilter(filtro);
  linhas.SetFiltered(true);
  TField& valor = linhas.FieldByName(m.Campo);
  TField& par = linhas.FieldByName(m.Par);
  linhas.First();
  while (!linhas.Eof()) {
    if (!m.Aceita(linhas)) {
      linhas.Next();
      continue;
    }
    const TBookmark b = linhas.GetBookmark();
    linhas.Edit();
    valor.SetValue(m.Novo);
    par.SetValue(m.NovoPar);
    for (const std::string& c : m.Limpa) linhas.FieldByName(c).Clear();
    linhas.Post();
    // A line the new value keeps in view is passed over.
    if (!linhas.Eof() && linhas.GetBookmark() == b) linhas.Next();
  }
  return true;
}

}  // namespace

void TfrConsultaImportacaoLancCCTxtHuge::GravaCampo(TDAOFactory& dao, const std::string& campo, const Variant& valor,
                                                    int) {
  if (TField* f = dao.FindField(campo)) f->SetValue(valor);
  if (!ModoArquivoGrande(&dao)) return;
  CheckSQLIdentifier<EDataSetError>(campo, "Nome inválido em um comando: ");
  const std::string& tabela = CheckSQLIdentifier<EDataSetError>(dao.WorkTable(), "Nome inválido em um comando: ");
  TSQLMGRHandle sql = getSQLMgr_do_Pool();
  TParams p = ChaveLinha(dao);
  std::string valorSql = " = null ";
  if (!valor.IsNull()) {
    valorSql = " = ? ";
    p.insert(p.begin(), valor);
  }
  sql->CommandText("UPDATE " + tabela + " T SET T." + campo + valorSql +
                       "WHERE T.BDSESSAO = ? AND T.BDCODEMP = ? AND T.BDCHAVE = ?",
                   ctExecute, p);
}

void TfrConsultaImportacaoLancCCTxtHuge::PostaEmMemoria(TDAOFactory& dao, bool editou) {
  if (!editou || dao.State() == TDataSetState::dsBrowse) return;
  const bool memoria = dao.ControlMemory();
  dao.SetControlMemory(true);
  try {
    dao.Post();
  } catch (...) {
    dao.SetControlMemory(memoria);
    throw;
  }
  dao.SetControlMemory(memoria);
}

void TfrConsultaImportacaoLancCCTxtHuge::DAOSetValue(TDAOFactory& dao, const std::string& campo, const Variant& valor,
                                                     int tipo) {
  const bool editou = dao.State() == TDataSetState::dsBrowse;
  if (editou) dao.Edit();
  auto posta = [&] { PostaEmMemoria(dao, editou); };
  try {
    GravaCampo(dao, campo, valor, tipo);
    const char* oposta = MarcaOposta(campo);
    if (oposta && !valor.IsNull() && UpperCase(Trim(valor.AsString())) == "TRUE") {
      // A side is conciliated or pending, never both.
      GravaCampo(dao, oposta, Variant(std::string("FALSE")), tipo);
      const int pendente = (Marcado(dao, "BDPENDENTED") ? 1 : 0) + 2 * (Marcado(dao, "BDPENDENTEC") ? 1 : 0);
      GravaCampo(dao, "BDCONCILIACAOPENDENTE", Variant(pendente), 1);
    }
  } catch (...) {
    posta();
    throw;
  }
  posta();
}

std::string TfrConsultaImportacaoLancCCTxtHuge::DAORealizarCommit(const std::vector<std::string>& script) {
  std::string erro;
  try {
    TDatabase* db = ProcessContext().Database;
    if (!db) throw EDatabaseError("Nenhum banco de dados conectado.");
    TTransaction tr(*db);
    erro = TDAOFactory::Executa_Script(script, true, true, "", 0, false, db);
    if (erro.empty()) tr.Commit();
  } catch (const std::exception& e) {
    erro = e.what();
  }
  return erro;
}

bool TfrConsultaImportacaoLancCCTxtHuge::fcLancamentosHugeSaveAlterSearch(const std::string& campo,
                                                                          const std::string& textoEditor, int) {
  if (campo != "BDCOMPL") return false;
  if (textoEditor == FComplemento) return true;
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return true;
  const TParams chave{atual->FieldByName("BDCODEMP").Value(), Sessao(), atual->FieldByName("BDCHAVE").Value()};
  const std::string c = " where BDCODEMP = ? AND BDSESSAO = ? AND BDCHAVE = ?";
  auto sonda = std::make_unique<TSQLMGR>();
  sonda->CommandText("Select BDSESSAO from TMP_VZEL_EMP_TLAN_COMPL_TEMP " + c, ctOpen, chave);
  auto sql = std::make_unique<TSQLMGR>();
  // One measure of length for saving and showing (ComplementoLongo).
  if (ComplementoLongo(textoEditor)) {
    sql->CommandText(
        "UPDATE OR INSERT INTO TMP_VZEL_EMP_TLAN_COMPL_TEMP (BDCODEMP, BDSESSAO, BDCHAVE, BDCOMPL) VALUES(?, ?, ?, ?) "
        "matching (BDCODEMP, BDSESSAO, BDCHAVE)",
        ctExecute, {chave[0], chave[1], chave[2], Variant(textoEditor)});
    sql->CommandText("UPDATE " + TabelaSessao() + "  SET BDCOMPL = null " + c, ctExecute, chave);
  } else {
    TParams p = chave;
    p.insert(p.begin(), textoEditor.empty() ? Variant() : Variant(ComplementoDaLinha(textoEditor)));
    sql->CommandText("UPDATE " + TabelaSessao() + "  SET BDCOMPL = ? " + c, ctExecute, p);
    if (!sonda->IsEmpty()) sql->CommandText("DELETE FROM TMP_VZEL_EMP_TLAN_COMPL_TEMP " + c, ctExecute, chave);
  }
  return true;
}

bool TfrConsultaImportacaoLancCCTxtHuge::SalvaCelula(const std::string& campo, const std::string& texto) {
  if (!SameText(campo, "BDCOMPL") || !fcLancamentosHugeSaveAlterSearch("BDCOMPL", texto, 0)) return false;
  // The page in memory shows what the work table now holds; nothing is written back from it.
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty() || texto == FComplemento) return true;
  const bool memoria = atual->ControlMemory();
  atual->SetControlMemory(true);
  try {
    atual->Edit();
    atual->FieldByName("BDCOMPL").SetValue(texto.empty() || ComplementoLongo(texto) ? Variant()
                                                                                   : Variant(ComplementoDaLinha(texto)));
    atual->Post();
  } catch (...) {
    atual->SetControlMemory(memoria);
    throw;
  }
  atual->SetControlMemory(memoria);
  return true;
}

Variant TfrConsultaImportacaoLancCCTxtHuge::GetCampoContaPlano(const Variant& plano, const Variant& conta,
                                                               const std::string& coluna) {
  // Every call reads the chart again: the manager goes before returning.
  FDAOContasPlanos = TContasPlanosMGR::CreateMgr(this);
  auto libera = [this] {
    FreeComponent(FDAOContasPlanos);
    FDAOContasPlanos = nullptr;
  };
  try {
    FDAOContasPlanos->AbrePlano(plano.IsNull() ? 0 : static_cast<int>(plano.AsInteger()));
    const Variant r = FDAOContasPlanos->GetCampoContaPlano(conta, coluna);
    libera();
    return r;
  } catch (...) {
    libera();
    throw;
  }
}

void TfrConsultaImportacaoLancCCTxtHuge::GravaContas(const std::string& campoDado, int antigo, const Variant& novo) {
  const std::string campo = UpperCase(campoDado);
  const bool conta = campo == "BDDEBITO" || campo == "BDCREDITO";
  const bool participante = campo == "BDCODTERCEIROD" || campo == "BDCODTERCEIROC";
  if (!conta && !participante) return;
  // The same account typed again changes nothing: nothing to ask.
  if (novo.IsNull() ? antigo == 0 : novo.AsInteger() == antigo) return;
  const bool y = conta && ContaTemParticipante(novo);
  TLancamentoMGR* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  if (!lanc) return;
  const Variant n = novo.IsNull() ? Variant() : Variant(novo.AsInteger());
  const std::string novoTexto = novo.IsNull() ? "^Vazio" : std::to_string(novo.AsInteger());
  const Variant o = antigo == 0 ? Variant() : Variant(antigo);
  const std::string antigoTexto = antigo == 0 ? "^Vazio" : std::to_string(antigo);
  // An account that takes no participant takes the other lines' participants away too: the question
  // says so.
  const std::string pergunta =
      participante ? "Deseja alterar os outros participantes " + antigoTexto + " para " + novoTexto + " ?"
                   : "Deseja alterar as outras contas " + antigoTexto + " para " + novoTexto + " ?" +
                         (y ? "" : " Os participantes dessas linhas serão retirados.");
  if (MessageDlgVYN(pergunta, mtConfirmation, mbYes | mbNo, 7) != mrYes) return;

  TfrStatusProcesso* status = TfrStatusProcesso::createStatusProcess(this, 1);
  status->setPrimaryStatusLabel("Atualizando dados, aguarde...");
  TDisabledControls controles(lanc);
  const int recno = lanc->RecNo();
  auto fim = [&] {
    status->Finalize();
    if (recno > 0 && recno <= lanc->FetchedRecordCount()) lanc->SetRecNo(recno);
  };
  try {
    const TMudancaEmMassa m = participante ? MudancaDeParticipante(campo, n, o, Sessao(), TabelaSessao())
                                           : MudancaDeConta(campo, n, o, y, Sessao(), TabelaSessao());
    TSQLMGR::CreateMgr(this)->CommandText(m.SQL, ctExecute, m.Params);
    // The grid shows the lines changed; the session is not read again.
    MostraMudancaEmMassa(campo, antigo, novo);
  } catch (...) {
    fim();
    throw;
  }
  fim();
}

bool TfrConsultaImportacaoLancCCTxtHuge::ContaTemParticipante(const Variant& conta) {
  const Variant plano = FCodEmp ? Variant(static_cast<long long>(getCodPlano())) : Variant();
  const Variant v = GetCampoContaPlano(plano, conta, "BDPARTICIPANTE");
  return !v.IsNull() && v.AsInteger() > 0;
}

void TfrConsultaImportacaoLancCCTxtHuge::MostraMudancaEmMassa(const std::string& campoDado, int antigo,
                                                              const Variant& novo) {
  TLancamentoMGR* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  if (!lanc) return;
  const std::string campo = UpperCase(campoDado);
  const bool conta = campo == "BDDEBITO" || campo == "BDCREDITO";
  if (!conta && campo != "BDCODTERCEIROD" && campo != "BDCODTERCEIROC") return;
  const Variant n = novo.IsNull() ? Variant() : Variant(novo.AsInteger());
  const Variant o = antigo == 0 ? Variant() : Variant(antigo);
  const TMudancaEmMassa m = conta ? MudancaDeConta(campo, n, o, ContaTemParticipante(n), Sessao(), TabelaSessao())
                                  : MudancaDeParticipante(campo, n, o, Sessao(), TabelaSessao());
  TDisabledControls controles(lanc);
  const int recno = lanc->RecNo();
  // Lines still to fetch come from the work table as the statement left it; the packets held are
  // read again, as many lines as were held, which costs less than taking the change in memory.
  if (lanc->FetchPending() || !MudaEmMemoria(*lanc, m)) RecarregaLancamentos();
  if (recno > 0 && recno <= lanc->FetchedRecordCount()) lanc->SetRecNo(recno);
}

void TfrConsultaImportacaoLancCCTxtHuge::RecarregaLancamentos() {
  TLancamentoMGR* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  if (!lanc) return;
  lanc->Refresh();
}

}  // namespace integracao
