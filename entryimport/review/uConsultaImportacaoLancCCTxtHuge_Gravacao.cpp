// The staged review's write-through: every correction goes to the session's work tables at once.
#include <fmt/format.h>

#include <cctype>

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
    sql->CommandText("UPDATE TMP_VZEL_EMPRESAS_TLAN_TEMP  SET BDCOMPL = null " + c, ctExecute, chave);
  } else {
    TParams p = chave;
    p.insert(p.begin(), textoEditor.empty() ? Variant() : Variant(ComplementoDaLinha(textoEditor)));
    sql->CommandText("UPDATE TMP_VZEL_EMPRESAS_TLAN_TEMP  SET BDCOMPL = ? " + c, ctExecute, p);
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
  bool y = false;
  if (conta) {
    const Variant plano = FCodEmp ? Variant(static_cast<long long>(getCodPlano())) : Variant();
    const Variant v = GetCampoContaPlano(plano, novo, "BDPARTICIPANTE");
    y = !v.IsNull() && v.AsInteger() > 0;
  }
  TLancamentoMGR* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  if (!lanc) return;
  const Variant n = novo.IsNull() ? Variant() : Variant(novo.AsInteger());
  const std::string novoTexto = novo.IsNull() ? "^Vazio" : std::to_string(novo.AsInteger());
  const Variant o = antigo == 0 ? Variant() : Variant(antigo);
  const std::string antigoTexto = antigo == 0 ? "^Vazio" : std::to_string(antigo);
  const std::string pergunta = participante
                                   ? "Deseja alterar os outros participantes " + antigoTexto + " para " + novoTexto + " ?"
                                   : "Deseja alterar as outras contas " + antigoTexto + " para " + novoTexto + " ?";
  if (MessageDlgVYN(pergunta, mtConfirmation, mbYes | mbNo, 7) != mrYes) return;

  TfrStatusProcesso* status = TfrStatusProcesso::createStatusProcess(this, 1);
  status->setPrimaryStatusLabel("Atualizando dados, aguarde...");
  TDisabledControls controles(lanc);
  const int recno = lanc->RecNo();
  auto fim = [&] {
    status->Finalize();
    if (recno > 0 && recno <= lanc->RecordCount()) lanc->SetRecNo(recno);
  };
  try {
    auto* sql = TSQLMGR::CreateMgr(this);
    const int sessao = Sessao();
    if (participante) {
      const char lado = campo.back();
      const std::string t = fmt::format("BDCODTERCEIRO{}", lado);
      const std::string alt = fmt::format("BDALTCODTERCEIRO{}", lado);
      // A code 0 is an empty participant as much as a null one.
      std::string cond = o.IsNull() ? fmt::format("(coalesce(T.{0}, 0) = 0) and (coalesce(T.{1}, 0) = 0)", t, alt)
                                    : fmt::format("((T.{0} is null) or (T.{0} = ?)) and ((T.{1} is null) or (T.{1} = ?))", t, alt);
      TParams p{n, n, sessao};
      if (!o.IsNull()) p.insert(p.end(), {o, o});
      sql->CommandText(fmt::format("UPDATE TMP_VZEL_EMPRESAS_TLAN_TEMP T SET T.{0} = ?, T.{1} = ? WHERE  T.BDSESSAO = ? "
                                   "and T.BDTIPOTER{2} <> 0 and {3}",
                                   t, alt, lado, cond),
                       ctExecute, p);
    } else {
      const std::string col = campo == "BDDEBITO" ? "T.BDDEBITO" : "T.BDCREDITO";
      const std::string tipo = campo == "BDDEBITO" ? "T.bdtipoterd" : "T.bdtipoterc";
      TParams p{n, y ? Variant(1) : Variant(), sessao};
      std::string cond;
      if (o.IsNull()) {
        cond = " (" + col + " IS NULL) ";
      } else if (y) {
        cond = " ((" + col + " IS NULL) OR (" + col + " = ?)) ";
        p.push_back(o);
      } else {
        cond = " (" + col + " = ?) ";
        p.push_back(o);
      }
      sql->CommandText("UPDATE TMP_VZEL_EMPRESAS_TLAN_TEMP T SET " + col + " = ?, " + tipo + " = ? WHERE T.BDSESSAO = ? AND " +
                           cond,
                       ctExecute, p);
    }
    MostraLinhasAlteradas(campo, n);
  } catch (...) {
    fim();
    throw;
  }
  fim();
}

void TfrConsultaImportacaoLancCCTxtHuge::RecarregaLancamentos() {
  TLancamentoMGR* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  if (!lanc) return;
  lanc->CommandText(lanc->GetCommandText(), ctOpen, lanc->GetCommandParams());
}

void TfrConsultaImportacaoLancCCTxtHuge::MostraLinhasAlteradas(const std::string& campoDado, const Variant& novo) {
  TLancamentoMGR* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  if (!lanc) return;
  const std::string campo = UpperCase(campoDado);
  // What the mass change sets besides the field: the side's participant type, or the chosen participant.
  const bool conta = campo == "BDDEBITO" || campo == "BDCREDITO";
  const char lado = conta ? campo[2] : campo.back();
  const std::string par = (conta ? "BDTIPOTER" : "BDALTCODTERCEIRO") + std::string(1, lado);
  TField* f = lanc->FindField(campo);
  TField* fPar = lanc->FindField(par);
  // A row held in an edit, or a node without those columns, is read again whole.
  if (!f || !fPar || lanc->State() != TDataSetState::dsBrowse) {
    RecarregaLancamentos();
    return;
  }
  CheckSQLIdentifier<EDataSetError>(campo, "Nome inválido em um comando: ");
  // A cursor of its own finds each line by its key: the grid's row, order and filter stay as they are.
  TClientDataSet linhas;
  linhas.CloneCursor(*lanc, true, false);
  linhas.SetIndexFieldNames("BDCODEMP;BDCHAVE");
  TField& valor = linhas.FieldByName(campo);
  TField& valorPar = linhas.FieldByName(par);
  TParams p{Sessao()};
  if (!novo.IsNull()) p.push_back(novo);
  lanc->Database().Query(
      fmt::format("select T.BDCODEMP, T.BDCHAVE, T.{0}, T.{1} from TMP_VZEL_EMPRESAS_TLAN_TEMP T where T.BDSESSAO = ? "
                  "and T.{0} {2}",
                  campo, par, novo.IsNull() ? "is null" : "= ?"),
      p, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
        if (!linhas.FindKey({r[0], r[1]})) return;
        linhas.Edit();
        valor.SetValue(r[2]);
        valorPar.SetValue(r[3]);
        linhas.Post();
      });
}

}  // namespace integracao
