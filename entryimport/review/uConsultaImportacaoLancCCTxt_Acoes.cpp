// The in-memory review's actions: the import button and its after-check, the settlement links, the
// conciliation marks and the editing rules of the entry cells.
#include <fmt/format.h>
#include <memory>
#include <optional>

#include "entryimport/review/revisao_util.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxt.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxt_Util.h"
#include "framework/component/resultado_execucao.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/livros/colunas_lancamento.h"
#include "framework/standins/vinculos_baixa.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/component/process_context.h"
#include "framework/ui/packages_util.h"
#include "framework/schema/revisao_tabelas.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Import

void TfrConsultaImportacaoLancCCTxt::spImportacaoClick(TComponent* sender) {
  TDAOFactory* lanc = DAOLancamentos();
  if (!lanc) return;
  // The balance is checked before any settlement is posted: an unbalanced file posts nothing, so a
  // second press can never post the same settlement twice. The check leaves the linked lines out, so
  // posting them first would not change its answer.
  if (TContasPlanosMGR::getDiferencaDebitoCredito(this, lanc, nullptr, "BDVINC_BAIXA", false, false, true)) {
    ReportaDiferencaSemUsuario(UtilImportacao() ? UtilImportacao()->Inconsistencias() : nullptr,
                               FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0);
    return;
  }
  if (TDAOFactory* atual = DAOAtual()) {
    for (TDAOFactory* a : Aggregates(atual)) {
      if (!IsComplementoLongo(a)) continue;
      for (a->First(); !a->Eof(); a->Next())
        if (atual->Locate("BDCHAVE", {Variant(static_cast<long long>(a->FieldByName("BDCHAVE").AsInteger()))})) {
          atual->Edit();
          atual->FieldByName("bdcompl").Clear();
          atual->Post();
        }
      break;
    }
  }
  ImportaComBaixas(*lanc, sender);
}

void TfrConsultaImportacaoLancCCTxt::ImportaComBaixas(TDAOFactory& lanc, TComponent* sender) {
  auto* util = dynamic_cast<TUtilImportacao_LancCC_Comum*>(UtilImportacao());
  if (util) util->IniciaExecucao();
  // The settlements are posted inside the run's write (PostaBaixas, its first step): a run that does
  // not commit leaves its lines as they were, linked and unsettled, for another try. The run numbers
  // the lines and their details with the keys it reserved; they get their own back, which the links
  // name.
  TMarcasLinhas marcas(lanc, {"BDINCONSISTENTE", "BDCONCC", "BDCONCD", "BDCHAVE"});
  std::vector<std::pair<TDAOFactory*, std::unique_ptr<TMarcasLinhas>>> detalhes;
  for (TDAOFactory* a : Aggregates(&lanc)) {
    TDetachedDetail solto(*a, true);
    detalhes.emplace_back(a, std::make_unique<TMarcasLinhas>(*a, std::vector<std::string>{"BDCHAVE"}));
  }
  auto restaura = [&] {
    marcas.Restaura();
    for (auto& [a, m] : detalhes) {
      TDetachedDetail solto(*a, true);
      m->Restaura();
    }
  };
  FMarcas = &marcas;
  try {
    TfrImportacao_Padrao_Itens_TreeView_VYN::spImportacaoClick(sender);
  } catch (...) {
    FMarcas = nullptr;
    restaura();
    throw;
  }
  FMarcas = nullptr;
  if (util && !util->Concluida()) restaura();
}

void TfrConsultaImportacaoLancCCTxt::PostaBaixas() {
  if (FProcessoBaixas)
    FProcessoBaixas->GetVinculoBaixa(this, FCodEmp, UtilImportacao() ? UtilImportacao()->Inconsistencias() : nullptr,
                                     dynamic_cast<TLancamentoMGR*>(DAOLancamentos()));
}

void TfrConsultaImportacaoLancCCTxt::ReportaDiferencaSemUsuario(TInconsistencias_VYN* lista, int empresa) {
  if (!lista || !IsUnattended()) return;
  const std::string msg = MensagemExecucao();
  lista->Add_Erro(empresa, msg.empty() ? "Os débitos e os créditos dos lançamentos a importar não fecham. Nada foi "
                                         "importado."
                                       : msg);
}

void TfrConsultaImportacaoLancCCTxt::GetAposInconsistencia() {
  TDAOFactory* atual = DAOAtual();
  std::optional<TFilterGuard> filtro;
  if (atual) {
    filtro.emplace(*atual, TFilterGuard::kAllRows);
    atual->SetFilter("");
  }
  TClientDataSet* v = Vinculos();
  for (const auto& n : Nodos()) {
    if (UpperCase(n->Caption) != UpperCase(kNodoLancamentos) || !v) continue;
    TDAOFactory& ds = *n->DAO;
    const TBulkLoad semDetalhes(ds);
    for (ds.First(); !ds.Eof();) {
      const bool vinculada = v->Locate("BDCHAVE", {Variant(static_cast<long long>(Inteiro(ds, "BDCHAVE")))});
      const bool conciliada = ds.FieldByName("BDCONCC").AsBoolean() || ds.FieldByName("BDCONCD").AsBoolean();
      if (vinculada && conciliada && Inteiro(ds, "bdINCONSISTENTE") != 1) {
        if (FMarcas) FMarcas->GuardaExcluida();
        ds.Delete();
      }
      else
        ds.Next();
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Settlement links

void TfrConsultaImportacaoLancCCTxt::miDuplicatasClick(TComponent* sender) {
  std::string classe;
  if (sender == miImpostos)
    classe = "TfrFiltroImpostosEmitidos";
  else if (sender == miParcelamento)
    classe = "TfrFiltroBaixaParcelamento";
  else if (sender == miCalculo)
    classe = "TfrProcessoFiltroCalculosBaixa";
  else
    return;
  if (!PodeVincular(sender)) return;
  TListaObj lista;
  lista.Posicao(pvbOrigem).Add(DAOAtual());
  lista.Posicao(pvbVinculos).Add(Vinculos());
  auto* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  lista.Posicao(pvbMultiLanc).Add(lanc ? lanc->getMultiLancamentosDAO() : nullptr);
  CompletaParametrosBaixa(lista);
  TPackagesUtil::CarregaFormParamsObj(classe, this, std::move(lista), nullptr, true);
  OnAlterSelectedItem();
}

void TfrConsultaImportacaoLancCCTxt::spDelLinkClick(TComponent*) {
  TDAOFactory* atual = DAOAtual();
  TClientDataSet* v = Vinculos();
  if (!atual || atual->IsEmpty() || !v) return;
  const int64_t chave = atual->FieldByName("BDCHAVE").AsInteger();
  for (v->First(); !v->Eof();) {
    if (v->FieldByName("BDCHAVE").AsInteger() == chave)
      v->Delete();
    else
      v->Next();
  }
  MarcaDesvinculada(*atual);
  OnAlterSelectedItem();
}

void TfrConsultaImportacaoLancCCTxt::MarcaDesvinculada(TDAOFactory& linha) {
  linha.Edit();
  linha.FieldByName("BDVINC_BAIXA").SetAsBoolean(false);
  linha.Post();
}

void TfrConsultaImportacaoLancCCTxt::spAutoLinkClick(TComponent*) {
  if (!FProcessoBaixas || !DAOAtual()) return;
  TDisabledControls semControles(DAOAtual());
  FProcessoBaixas->GetVinculosAutomaticos(this, DAOAtual(), FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0,
                                          miDocumento->Checked, miConsiderarzero->Checked, false, false, nullptr);
}

void TfrConsultaImportacaoLancCCTxt::miDocumentoClick(TComponent*) {
  miConsiderarzero->SetEnabled(miDocumento->Checked);
  miConsiderarzero->Checked = miConsiderarzero->Checked && miDocumento->Checked;
}

void TfrConsultaImportacaoLancCCTxt::spRemoveAutoLinkClick(TComponent*) {
  TDAOFactory* atual = DAOAtual();
  TClientDataSet* v = Vinculos();
  if (!atual || !v) return;
  TDisabledControls semControles(atual);
  const int64_t empresa = FCodEmp ? FCodEmp->Codigo() : 0;
  for (v->First(); !v->Eof();) {
    if (!v->FieldByName("BDAUTOMATICO").AsBoolean()) {
      v->Next();
      continue;
    }
    const std::vector<Variant> chave{Variant(static_cast<long long>(empresa)),
                                     Variant(static_cast<long long>(v->FieldByName("BDCHAVE").AsInteger()))};
    bool achou = false;
    if (UpperCase(atual->IndexFieldNames()) == "BDCODEMP;BDCHAVE") achou = atual->FindKey(chave);
    if (!achou) achou = atual->SearchKey("BDCODEMP;BDCHAVE", chave);
    if (achou) {
      atual->Edit();
      atual->FieldByName("BDVINC_BAIXA").SetAsBoolean(false);
      atual->Post();
    }
    v->Delete();
  }
}

void TfrConsultaImportacaoLancCCTxt::pmTipoBaixaPopup(TComponent*) {
  TDAOFactory* atual = DAOAtual();
  const bool credito = atual && !atual->IsEmpty() && !atual->FieldByName("BDCREDITO").IsNull();
  miImpostos->SetEnabled(credito);
  miCalculo->SetEnabled(credito);
}

void TfrConsultaImportacaoLancCCTxt::OnAlterSelectedItem() {
  if (!tvGrupos->Selected()) return;
  if (UpperCase(NodoSelecionado()) == UpperCase(kNodoParticipantes)) {
    for (TSpeedButton* b : {spCurrencyLink, spDelLink, spAutoLink, spRemoveAutoLink}) b->SetEnabled(false);
    if (FPainelNF) pnNF->SetVisible(false);
  } else {
    TDAOFactory* atual = DAOAtual();
    const bool pronto = ActiveControl() == grGrid && atual && !atual->IsEmpty();
    const bool vinculada = pronto && atual->FieldByName("BDVINC_BAIXA").AsBoolean();
    spDelLink->SetEnabled(pronto && vinculada);
    spCurrencyLink->SetEnabled(pronto && !vinculada);
    if (pronto) {
      const bool semContas = atual->FieldByName("BDCREDITO").IsNull() && atual->FieldByName("BDDEBITO").IsNull();
      if (semContas) {
        for (TSpeedButton* b : {spCurrencyLink, spDelLink, spAutoLink, spRemoveAutoLink}) b->SetEnabled(false);
      } else {
        spAutoLink->SetEnabled(true);
        spRemoveAutoLink->SetEnabled(true);
      }
    }
    if (FPainelNF) pnNF->SetVisible(true);
  }
  if (!FPainelNF) return;
  miDocumento->SetEnabled(spAutoLink->Enabled());
  miConsiderarzero->SetEnabled(spAutoLink->Enabled());
}

// ---------------------------------------------------------------------------------------------------
// Conciliation marks

void TfrConsultaImportacaoLancCCTxt::setLancamentoConciliado() {
  TDAOFactory* atual = DAOAtual();
  const std::string campo = UpperCase(grGrid->SelectedField);
  if (!atual || atual->IsEmpty() || (campo != "BDCONCD" && campo != "BDCONCC")) return;
  const bool novo = UpperCase(atual->FieldByName(campo).AsString()) == "FALSE";
  atual->Edit();
  atual->FieldByName(campo).SetAsBoolean(novo);
  const std::string concC = atual->FieldByName("bdCONCC").AsBoolean() ? "True" : "False";
  const std::string concD = atual->FieldByName("bdCONCD").AsBoolean() ? "True" : "False";
  atual->FieldByName("BDTIPOCONC")
      .SetAsInteger(TLancamentoMGR::getTipoConciliacao(this, false, concC, concD, atual->FieldByName("bdCODEMP").AsString(),
                                                        atual->FieldByName("bdCHAVE").AsString(), campo, false,
                                                        atual->FieldByName("BDTIPOCONC").AsString()));
  atual->Post();
}

void TfrConsultaImportacaoLancCCTxt::grGridKeyPress(char& key) {
  if (key == ' ') setLancamentoConciliado();
}

// A row change (key, mouse) refreshes the descriptions and the link buttons, which follow the line.
void TfrConsultaImportacaoLancCCTxt::grGridKeyUp(int) {
  pMostraDescricao_Conta();
  RefreshGridAux();
  OnAlterSelectedItem();
}

void TfrConsultaImportacaoLancCCTxt::grGridMouseUp() {
  pMostraDescricao_Conta();
  RefreshGridAux();
  OnAlterSelectedItem();
}

void TfrConsultaImportacaoLancCCTxt::grGridCellClick(const std::string& campo) {
  grGrid->SelectedField = campo;
  if (SameText(campo, kCampoLancarDuplicata)) {
    if (TDAOFactory* atual = DAOAtual(); atual && !atual->IsEmpty()) AlternaLancarAssimMesmo(*atual);
  }
  setLancamentoConciliado();
  if (pnNF->Visible()) AtualizaPainelNF();
  OnAlterSelectedItem();
}

// ---------------------------------------------------------------------------------------------------
// Editing rules

bool TfrConsultaImportacaoLancCCTxt::ParticipanteDoArquivo(int64_t codigo, TCodigoRegistro& r) const {
  TNodoImportacao* nodo = NodoPorCaption(kNodoParticipantes);
  if (!nodo || !nodo->DAO || !nodo->DAO->Active() || !nodo->DAO->FindField("BDCODTER")) return false;
  TClientDataSet c;
  c.CloneCursor(*nodo->DAO, true);
  if (!c.Locate("BDCODTER", {Variant(static_cast<long long>(codigo))})) return false;
  if (const TField* nome = c.FindField("BDNOMETER")) r.Nome = nome->AsString();
  r.Campos = {{"bdCODTER", Variant(static_cast<long long>(codigo))}};
  return true;
}

void TfrConsultaImportacaoLancCCTxt::fcLancamentosBeforeEditField(const std::string& campo,
                                                                  TEdit_Codigo_Search_VYN* editor, std::string* texto,
                                                                  std::vector<std::string>* combo, bool& accept) {
  accept = true;
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return;
  const std::string f = UpperCase(campo);
  auto daEmpresa = [this](TEdit_Codigo_Search_VYN* e) {
    if (e && FCodEmp && std::find(e->EditsMaster.begin(), e->EditsMaster.end(), FCodEmp) == e->EditsMaster.end())
      e->EditsMaster.push_back(FCodEmp);
  };
  if (f == "BDDEBITO" || f == "BDCREDITO" || f == "BDCODTPHI") {
    daEmpresa(editor);
    if (editor) editor->SetTypeCodeVYN(f == "BDCODTPHI" ? tcHistoricos : tcContasPlanoContas);
  } else if (f == "BDCODTERCEIROD" || f == "BDCODTERCEIROC") {
    const bool debito = f == "BDCODTERCEIROD";
    if (Inteiro(*atual, debito ? "bdTIPOTERD" : "bdTIPOTERC") > 0) {
      if (editor) {
        editor->CampoRetorno = "bdCODTER";
        editor->SetTypeCodeVYN(debito ? tcParticipanteDebito : tcParticipanteCredito);
        // A participant the file declares is registered only by the import: until then the review's
        // own node knows it, for any line.
        editor->Lookup = [this](const TEdit_Codigo_Search_VYN& e, int64_t codigo, TCodigoRegistro& r) {
          if (ParticipanteDoArquivo(codigo, r)) return true;
          ICodeLookup* l = ProcessContext().CodeLookup;
          return !l || l->Lookup(e, codigo, r);
        };
      }
    } else {
      accept = false;
    }
  } else if (f == "BDCONTABILIZACAO") {
    if (combo) *combo = {"Ambos", "Fiscal", "Societária"};
  } else if (f == "BDCOMPL") {
    if (texto) {
      *texto = atual->FieldByName("BDCOMPL").AsString();
      for (TDAOFactory* a : Aggregates(atual))
        if (IsComplementoLongo(a) &&
            a->Locate("BDCODEMP;BDCHAVE", {Variant(static_cast<long long>(Inteiro(*atual, "BDCODEMP"))),
                                          Variant(static_cast<long long>(Inteiro(*atual, "BDCHAVE")))}) &&
            !Trim(a->FieldByName("bdcompl").AsString()).empty())
          *texto = a->FieldByName("bdcompl").AsString();
    }
  }
  FDebBefore = Inteiro(*atual, "BDDEBITO");
  FCreBefore = Inteiro(*atual, "BDCREDITO");
}

void TfrConsultaImportacaoLancCCTxt::fcLancamentosAfterEditField(const std::string& campo, const std::string& textoEditor) {
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return;
  RepesaDuplicata(campo);
  const std::string f = UpperCase(campo);
  auto trocaConta = [&](bool debito) {
    const char* conta = debito ? "bdDEBITO" : "bdCREDITO";
    const char* tipo = debito ? "bdTIPOTERD" : "bdTIPOTERC";
    Variant v = TContasPlanosMGR::GetCampoConta(this, getCodPlano(), Inteiro(*atual, conta), "bdPARTICIPANTE");
    const int novo = v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
    if (novo != Inteiro(*atual, tipo)) {
      atual->Edit();
      atual->FieldByName(tipo).SetAsInteger(novo);
      atual->FieldByName(debito ? "bdALTTERD" : "bdALTTERC").SetAsInteger(0);
      atual->FieldByName(debito ? "bdCODTERCEIROD" : "bdCODTERCEIROC").Clear();
      atual->FieldByName(debito ? "bdALTCODTERCEIROD" : "bdALTCODTERCEIROC").Clear();
      atual->Post();
    }
    if (Inteiro(*atual, conta) != (debito ? FDebBefore : FCreBefore)) {
      atual->Edit();
      atual->FieldByName(debito ? "BDDEBITOARQ" : "BDCREDITOARQ").Clear();
      atual->Post();
    }
  };
  if (f == "BDDEBITO") {
    trocaConta(true);
  } else if (f == "BDCREDITO") {
    trocaConta(false);
  } else if (f == "BDCODTERCEIROC" || f == "BDCODTERCEIROD") {
    const bool debito = f == "BDCODTERCEIROD";
    atual->Edit();
    atual->FieldByName(debito ? "bdALTCODTERCEIROD" : "bdALTCODTERCEIROC")
        .SetAsInteger(Inteiro(*atual, debito ? "bdCODTERCEIROD" : "bdCODTERCEIROC"));
    atual->Post();
  } else if (f == "BDCOMPL") {
    for (TDAOFactory* a : Aggregates(atual)) {
      if (!IsComplementoLongo(a)) continue;
      const bool temLinha = a->Locate("BDCODEMP;BDCHAVE", {Variant(static_cast<long long>(Inteiro(*atual, "BDCODEMP"))),
                                                          Variant(static_cast<long long>(Inteiro(*atual, "BDCHAVE")))});
      if (temLinha && ComplementoLongo(a->FieldByName("bdcompl").AsString())) {
        a->Edit();
        a->FieldByName("bdcompl").SetAsString(textoEditor);
        a->Post();
      }
    }
  }
}

void TfrConsultaImportacaoLancCCTxt::RepesaDuplicata(const std::string& campo) {
  const std::string f = UpperCase(campo);
  if (f != "BDDATA" && f != "BDVALOR" && f != "BDDCTO" && f != "BDDEBITO" && f != "BDCREDITO") return;
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty() || !atual->FindField(kCampoDuplicata) || !ArquivoFonte.Registra) return;
  TLivros livros(atual->Database(), ExecucaoDe(this));
  PesaDuplicata(*atual, livros, ArquivoFonte.Nome);
}

void TfrConsultaImportacaoLancCCTxt::fcLancamentosCCBeforeEditField(const std::string& campo,
                                                                    TEdit_Codigo_Search_VYN* editor, bool& accept) {
  accept = true;
  if (editor && UpperCase(campo) == "BDCODTPCC") editor->SetTypeCodeVYN(tcContasCentroCustos);
  if (editor && FCodEmp && UpperCase(campo) == "BDCODTPCC" &&
      std::find(editor->EditsMaster.begin(), editor->EditsMaster.end(), FCodEmp) == editor->EditsMaster.end())
    editor->EditsMaster.push_back(FCodEmp);
}

bool TfrConsultaImportacaoLancCCTxt::EditaCelulaItens(const std::string& campo, const std::string& texto) {
  TClientDataSet* cc = dsGridItens->DataSet();
  if (!cc || cc->IsEmpty() || UpperCase(NodoSelecionado()) != UpperCase(kNodoLancamentos)) return false;
  // Of a cost-centre split line only its cost-centre account is the user's; the key, the side and the
  // value are the split's.
  if (!cc->FindField("BDCODCENTRO") || !SameText(campo, "BDCODTPCC")) return false;
  auto* editor = Create<TEdit_Codigo_Search_VYN>();
  TLiberaAoSair fecha(editor);
  bool accept = false;
  fcLancamentosCCBeforeEditField(campo, editor, accept);
  if (!accept) return false;
  editor->SetText(texto);
  if (!editor->Validate()) {
    DlgWarOk(editor->Mensagem());
    return false;
  }
  cc->Edit();
  cc->FieldByName(campo).SetValue(Variant(static_cast<long long>(editor->Codigo())));
  cc->Post();
  return true;
}

void TfrConsultaImportacaoLancCCTxt::ValidarDescricao(const std::string& texto, bool& rejeita) {
  if (Utf8Length(texto) > vyn::kCaracteresNotaExplicativa) {
    rejeita = true;
    DlgWarOk("Informe uma nota explicativa menor que 25000 caracteres!");
  } else if (!FitsWin1252(texto)) {
    // Taken, it would cancel the whole import when written.
    rejeita = true;
    DlgWarOk("A nota explicativa contém caracteres que o banco de dados (WIN1252) não aceita.");
  }
}

}  // namespace integracao
