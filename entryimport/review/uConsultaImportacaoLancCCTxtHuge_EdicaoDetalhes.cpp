// The staged review's editing rules of the details of an entry: the rural-producer and real-estate rows
// (an edit the rules refuse is refused silently: the cell keeps its value) and the explanatory note.
#include <algorithm>

#include "entryimport/review/revisao_util.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/schema/revisao_tabelas.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"

namespace integracao {

using namespace vyn;

namespace {

bool Nulo(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return !f || f->IsNull();
}

bool Transferencia(const TClientDataSet& ds) {
  const TField* f = ds.FindField("BDTRANSFERENCIA");
  return f && UpperCase(Trim(f->AsString())) == "TRUE";
}

// The transfer columns are refused only on a line known not to be a transfer ("FALSE"); a flag not
// yet derived leaves them open.
bool TransferenciaRecusada(const TClientDataSet& ds) {
  const TField* f = ds.FindField("BDTRANSFERENCIA");
  return f && UpperCase(Trim(f->AsString())) == "FALSE";
}

// The code a choice stores: its position, except in the cash book's lists, whose codes count from 1.
long long CodigoDaEscolha(const std::string& campo, size_t posicao) {
  const std::string f = UpperCase(campo);
  return static_cast<long long>(posicao) + (f == "BDTIPDOC" || f == "BDTIPLAN" ? 1 : 0);
}

}  // namespace

bool TfrConsultaImportacaoLancCCTxtHuge::EditaNotaExplicativa(TDAOFactory& nota, const std::string& campo,
                                                              const std::string& texto) {
  TDAOFactory* linha = DAOAtual();
  if (!SameText(campo, "BDDESCRICAO") || !linha || linha->IsEmpty()) return false;
  bool rejeita = false;
  ValidarDescricao(texto, rejeita);
  if (rejeita) return false;
  const TParams chave{Sessao(), linha->FieldByName("BDCODEMP").Value(), linha->FieldByName("BDCHAVE").Value()};
  TSQLMGRHandle sql = getSQLMgr_do_Pool();
  if (texto.empty())
    sql->CommandText("DELETE FROM TMP_VZEL_EMPRESAS_TLAN_NE_TEMP WHERE BDSESSAO = ? AND BDCODEMP = ? AND BDCHAVE = ?",
                     ctExecute, chave);
  else
    sql->CommandText("UPDATE OR INSERT INTO TMP_VZEL_EMPRESAS_TLAN_NE_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDESCRICAO) "
                     "VALUES (?, ?, ?, ?) MATCHING (BDSESSAO, BDCODEMP, BDCHAVE)",
                     ctExecute, {chave[0], chave[1], chave[2], Variant(texto)});
  // The detail in memory shows what the work table now holds; nothing is written back from it.
  const bool memoria = nota.ControlMemory();
  nota.SetControlMemory(true);
  try {
    if (texto.empty()) {
      if (!nota.IsEmpty()) nota.Delete();
    } else {
      if (nota.IsEmpty()) {
        nota.Append();
        nota.FieldByName("BDSESSAO").SetValue(chave[0]);
        nota.FieldByName("BDCODEMP").SetValue(chave[1]);
        nota.FieldByName("BDCHAVE").SetValue(chave[2]);
      } else {
        nota.Edit();
      }
      nota.FieldByName("BDDESCRICAO").SetValue(Variant(texto));
      nota.Post();
    }
  } catch (...) {
    nota.SetControlMemory(memoria);
    throw;
  }
  nota.SetControlMemory(memoria);
  return true;
}

bool TfrConsultaImportacaoLancCCTxtHuge::EditaCelulaItens(const std::string& campo, const std::string& texto) {
  auto* d = dynamic_cast<TDAOFactory*>(dsGridItens->DataSet());
  // The explanatory note is the user's to correct, add or take away, as in memory.
  if (d && SameText(d->WorkTable(), kTabelaNotaExplicativa)) return EditaNotaExplicativa(*d, campo, texto);
  const bool pr = d && SameText(d->WorkTable(), kTabelaProdutorRural);
  const bool inc = d && SameText(d->WorkTable(), kTabelaIncorporacao);
  if (!pr && !inc) return TfrConsultaImportacaoLancCCTxt::EditaCelulaItens(campo, texto);
  if (d->IsEmpty() || !d->FindField(campo)) return false;
  auto* editor = Create<TEdit_Codigo_Search_VYN>();
  TLiberaAoSair fecha(editor);
  std::vector<std::string> opcoes;
  bool accept = true;
  if (pr)
    fcLancamentosPRBeforeEditField(campo, editor, &opcoes, accept);
  else
    fcLancamentosIncBeforeEditField(campo, editor, accept);
  if (!accept) return false;
  Variant valor;
  if (!opcoes.empty()) {
    // A choice is stored as its position; the user picks it by its words.
    const auto it = std::find_if(opcoes.begin(), opcoes.end(), [&](const std::string& o) { return SameText(o, Trim(texto)); });
    if (it == opcoes.end()) return false;
    valor = Variant(CodigoDaEscolha(campo, static_cast<size_t>(it - opcoes.begin())));
  } else if (editor->TipoCodigo != tcNenhum) {
    editor->SetText(texto);
    if (!editor->Validate()) {
      DlgWarOk(editor->Mensagem());
      return false;
    }
    if (!editor->Text().empty()) valor = Variant(static_cast<long long>(editor->Codigo()));
  } else if (!Trim(texto).empty()) {
    valor = Variant(Trim(texto));
  }
  d->Edit();
  d->FieldByName(campo).SetValue(valor);
  d->Post();
  if (pr)
    fcLancamentosPRAfterEditField(campo);
  else
    fcLancamentosIncAfterEditField(campo);
  return true;
}

TDAOFactory* TfrConsultaImportacaoLancCCTxtHuge::Detalhe(const char* tabela) const {
  for (TDAOFactory* d : Aggregates(DAOAtual()))
    if (SameText(d->WorkTable(), tabela)) return d->IsEmpty() ? nullptr : d;
  return nullptr;
}

void TfrConsultaImportacaoLancCCTxtHuge::fcLancamentosPRBeforeEditField(const std::string& campo,
                                                                        TEdit_Codigo_Search_VYN* editor,
                                                                        std::vector<std::string>* combo, bool& accept) {
  TDAOFactory* pr = Detalhe(kTabelaProdutorRural);
  if (!pr) return;
  const std::string f = UpperCase(campo);
  auto opcoes = [&](std::vector<std::string> v) {
    if (combo) *combo = std::move(v);
  };
  if (f == "BDTIPOPARTICIPANTE") {
    opcoes({"Participante", "CPF produtor rural", "CPF/CNPJ manual"});
  } else if (f == "BDCODTER") {
    accept = Inteiro(*pr, "BDTIPOPARTICIPANTE") == 0;
  } else if (f == "BDCPFMANUAL") {
    accept = Inteiro(*pr, "BDTIPOPARTICIPANTE") == 2;
  } else if (f == "BDTIPMOV") {
    opcoes({"Em espécie", "Conta bancária", "Em trânsito"});
  } else if (f == "BDCTACOR") {
    accept = Inteiro(*pr, "BDTIPMOV") == 1;
  } else if (f == "BDTRANSTIPMOV") {
    opcoes({"Em espécie", "Conta bancária"});
    accept = !TransferenciaRecusada(*pr);
  } else if (f == "BDTRANSCTACOR") {
    accept = !Nulo(*pr, "BDTRANSTIPMOV") && Inteiro(*pr, "BDTRANSTIPMOV") == 1;
  } else if (f == "BDTIPOPE" || f == "BDTRANSTIPOPE") {
    opcoes({"Entrada", "Saída"});
    if (f == "BDTRANSTIPOPE") accept = !TransferenciaRecusada(*pr);
  } else if (f == "BDTIPDOC") {
    opcoes(TPreencheCombosVYN::combo(TComboDocumentoProdutorRural));
  } else if (f == "BDTIPLAN") {
    opcoes(TPreencheCombosVYN::combo(TComboTipoLancamentoProdutorRural));
  }
  if (editor && f == "BDCODIMOVRUR") editor->SetTypeCodeVYN(tcImoveisRurais);
  if (editor && (f == "BDCTACOR" || f == "BDTRANSCTACOR")) editor->SetTypeCodeVYN(tcContaBancaria);
  if (editor && f == "BDCODTER") editor->SetTypeCodeVYN(tcParticipanteDebito);
  if (editor && FCodEmp && (f == "BDCODIMOVRUR" || f == "BDCTACOR" || f == "BDTRANSCTACOR") &&
      std::find(editor->EditsMaster.begin(), editor->EditsMaster.end(), FCodEmp) == editor->EditsMaster.end())
    editor->EditsMaster.push_back(FCodEmp);
}

void TfrConsultaImportacaoLancCCTxtHuge::fcLancamentosPRAfterEditField(const std::string& campo) {
  TDAOFactory* pr = Detalhe(kTabelaProdutorRural);
  if (!pr) return;
  const std::string f = UpperCase(campo);
  const bool editou = pr->State() == TDataSetState::dsBrowse;
  if (editou) pr->Edit();
  auto limpa = [&](const char* c) {
    if (TField* x = pr->FindField(c)) x->Clear();
  };
  try {
    if (f == "BDTIPOPARTICIPANTE") {
      const int tipo = Inteiro(*pr, "BDTIPOPARTICIPANTE");
      if (tipo == 0 || tipo == 1) limpa("BDCPFMANUAL");
      if (tipo == 1 || tipo == 2) limpa("BDCODTER");
    } else if (f == "BDTIPMOV") {
      if (Inteiro(*pr, "BDTIPMOV") != 1) limpa("BDCTACOR");
    } else if (f == "BDTRANSTIPMOV") {
      if (Inteiro(*pr, "BDTRANSTIPMOV") != 1) limpa("BDTRANSCTACOR");
    } else if ((f == "BDTIPOPE" || f == "BDTRANSTIPOPE") && Transferencia(*pr) && !Nulo(*pr, f.c_str())) {
      // A transfer leaves one side and enters the other.
      const char* outro = f == "BDTIPOPE" ? "BDTRANSTIPOPE" : "BDTIPOPE";
      pr->FieldByName(outro).SetAsInteger(Inteiro(*pr, f) == 0 ? 1 : 0);
    }
    if (editou) pr->Post();
  } catch (...) {
    if (editou) pr->Cancel();
    throw;
  }
}

void TfrConsultaImportacaoLancCCTxtHuge::fcLancamentosIncBeforeEditField(const std::string& campo,
                                                                         TEdit_Codigo_Search_VYN* editor, bool& accept) {
  TDAOFactory* inc = Detalhe(kTabelaIncorporacao);
  if (!inc) return;
  const std::string f = UpperCase(campo);
  if (f == "BDCODEMPREENDIMENTO") {
    accept = true;
    if (editor) {
      if (FCodEmp) editor->EditsMaster = {FCodEmp};
      editor->SetTypeCodeVYN(tcEmpreendimentos);
      editor->CampoRetorno = "BDCODEMPREENDIMENTO";
    }
  } else if (f == "BDCODIGOUNIIMOB") {
    const int empreendimento = Inteiro(*inc, "BDCODEMPREENDIMENTO");
    accept = empreendimento > 0;
    if (!accept) return;
    if (!FEdCodEmpree) {
      FEdCodEmpree = Create<TEdit_Codigo_Search_VYN>(tcEmpreendimentosEmpresa);
      FEdCodEmpree->SetName("edCODEMPREE");
      FEdCodEmpree->SetVisible(false);
      if (FCodEmp) FEdCodEmpree->EditsMaster.push_back(FCodEmp);
    }
    FEdCodEmpree->Vale(empreendimento);
    FEdCodEmpree->Search();
    if (editor) {
      editor->EditsMaster = {FEdCodEmpree};
      editor->SetTypeCodeVYN(tcUnidadesImobiliarias);
      editor->CampoRetorno = "BDCODIGOUNIIMOB";
    }
  }
}

void TfrConsultaImportacaoLancCCTxtHuge::fcLancamentosIncAfterEditField(const std::string& campo) {
  TDAOFactory* inc = Detalhe(kTabelaIncorporacao);
  TDAOFactory* atual = DAOAtual();
  if (!inc || !atual || atual->IsEmpty()) return;
  const std::string f = UpperCase(campo);
  const bool debito = Inteiro(*inc, "BDDEBCRE") == 0;
  if (f == "BDCODEMPREENDIMENTO") {
    DAOSetValue(*atual, debito ? "BDCODEMPREEACAOD" : "BDCODEMPREEACAOC", V(Inteiro(*inc, "BDCODEMPREENDIMENTO")), 1);
    // A unit belongs to its development: another development leaves the line without one.
    if (!inc->FieldByName("BDCODIGOUNIIMOB").IsNull()) {
      inc->Edit();
      inc->FieldByName("BDCODIGOUNIIMOB").Clear();
      inc->Post();
      DAOSetValue(*atual, debito ? "BDCODUNIIMOBACAOD" : "BDCODUNIIMOBACAOC", Variant(), 1);
    }
  } else if (f == "BDCODIGOUNIIMOB")
    DAOSetValue(*atual, debito ? "BDCODUNIIMOBACAOD" : "BDCODUNIIMOBACAOC", V(Inteiro(*inc, "BDCODIGOUNIIMOB")), 1);
}

}  // namespace integracao
