// What the in-memory review's grids show beyond the raw columns, and the account description panel.
#include <fmt/format.h>

#include "entryimport/review/revisao_util.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxt.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/edit_codigo.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {
// The open installments of the documents ids (none when empty) of the kind of a link: the kinds
// name a book and a side (0 entries, 1 exits, 2/3 services received/paid, 6/7 other documents
// paid/received) or, for a line whose links mix books, one side across the books (8 paid, 9
// received).
std::string ConsultaParcelas(TComponent* owner, int empresa, int tipo, const std::vector<int>& ids) {
  struct TTipo {
    int Codigo, Grupo, Livro;
  };
  static const TTipo kTipos[] = {{0, gpPagar, 0},   {1, gpReceber, 1}, {2, gpReceber, 2}, {3, gpPagar, 2},
                                 {6, gpPagar, 3},   {7, gpReceber, 3}, {8, gpPagar, -1},  {9, gpReceber, -1}};
  const TTipo* t = nullptr;
  for (const TTipo& k : kTipos)
    if (k.Codigo == tipo) t = &k;
  std::vector<std::string> chaves;
  for (int id : ids) chaves.push_back(std::to_string(id));
  std::string onde = chaves.empty() || !t ? "1=0" : "Q.BDCHAVE in (" + Join(chaves, ",") + ")";
  if (t && t->Livro >= 0) onde += fmt::format(" and Q.BDTIPOLANCEF = {}", t->Livro);
  return "select Q.BDCODEMP, Q.BDCHAVE, Q.BDORDEMPAR as BDPARCELAPAR, Q.BDNUMDOCINI, Q.BDDUPLICATAPAR, Q.BDDATAEMISSAO, "
         "Q.BDDATAVENCTOPAR, Q.BDVALORPAR, Q.BDCODTER, Q.BDCGCTER, Q.BDNOMETER from (" +
         TMovParMGR::GetConsultaParcelamentoGroup(owner, "", empresa, t ? t->Grupo : gpPagar) + ") Q where " + onde +
         " order by Q.BDCHAVE, Q.BDORDEMPAR";
}

}  // namespace

void TfrConsultaImportacaoLancCCTxt::grGridMostraDado(const std::string& campo, std::string& texto, int& largura) {
  const std::string f = UpperCase(campo);
  if (f == "BDVALOR") {
    for (TGridColumn& c : grGrid->Columns)
      if (SameText(c.FieldName, "BDVALOR") && c.Width < 150) c.Width = 150;
    largura = std::max(largura, 150);
  } else if (f == "BDCONTABILIZACAO") {
    if (texto == "0") texto = "Ambos";
    else if (texto == "1") texto = "Fiscal";
    else if (texto == "2") texto = "Societária";
  } else if (f == "BDVINC_BAIXA") {
    texto.clear();
  }
}

std::string TfrConsultaImportacaoLancCCTxt::grGridMostraDadoImagem(const std::string& campo) {
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return {};
  const std::string f = UpperCase(campo);
  if (f == "BDCODTERCEIROD") return Inteiro(*atual, "bdTIPOTERD") == 0 ? "ilock" : "";
  if (f == "BDCODTERCEIROC") return Inteiro(*atual, "bdTIPOTERC") == 0 ? "ilock" : "";
  if (f == "BDCONCD" || f == "BDCONCC")
    return UpperCase(atual->FieldByName(f).AsString()) == "TRUE" ? "iChecked" : "iUnChecked";
  // Only a marked line has a tick to give.
  if (f == kCampoLancarDuplicata) {
    if (!MarcadaDuplicata(*atual)) return {};
    return LancarAssimMesmo(*atual) ? "iChecked" : "iUnChecked";
  }
  if (f == "BDVINC_BAIXA") {
    const TField* v = atual->FindField("BDVINC_BAIXA");
    if (!v || v->IsNull() || !v->AsBoolean()) return {};
    TClientDataSet* links = Vinculos();
    if (links && links->Locate("BDCHAVE", {Variant(static_cast<long long>(Inteiro(*atual, "BDCHAVE")))}) &&
        links->FieldByName("BDAUTOMATICO").AsBoolean())
      return "iCurrency_yellow";
    return "iCurrency";
  }
  return {};
}

void TfrConsultaImportacaoLancCCTxt::grGridItensMostraDado(const std::string& campo, std::string& texto, int& largura) {
  if (UpperCase(NodoSelecionado()) != UpperCase(kNodoLancamentos)) return;
  const std::string f = UpperCase(campo);
  if (f == "BDDEBCRE" && !texto.empty()) {
    if (texto == "0") texto = "Débito";
    else if (texto == "1") texto = "Crédito";
  } else if (f == "BDVALOR") {
    largura = 115;
  }
}

int TfrConsultaImportacaoLancCCTxt::getCodPlano() {
  if (FCodPlano == 0 && DAOAtual() && !DAOAtual()->IsEmpty()) FCodPlano = Inteiro(*DAOAtual(), "bdcodplapadrao");
  return FCodPlano;
}

void TfrConsultaImportacaoLancCCTxt::pMostraDescricao_Conta() {
  if (UpperCase(NodoSelecionado()) == UpperCase(kNodoParticipantes)) return;
  lbDebito->SetCaption("Débito: ");
  lbCredito->SetCaption("Crédito: ");
  for (TLabel* l : {lbParticipanteDebito, lbParticipanteCredito}) l->SetCaption("Participante: ");
  for (TLabel* l : {lbEmpreendimentoDeb, lbEmpreendimentoCre}) l->SetCaption("Empreendimento: ");
  for (TLabel* l : {lbUnidImobiliariaDeb, lbUnidImobiliariaCre}) l->SetCaption("Unidade imobiliária: ");
  lbHistorico->SetCaption("Histórico: ");
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) {
    pCalculaTamanhoLegenda();
    return;
  }
  TDatabase& db = atual->Database();
  const long long empresa = FCodEmp ? FCodEmp->Codigo() : Inteiro(*atual, "BDCODEMP");

  // A side's development and unit, of the opener's company.
  auto empreendimento = [&](const char* campoEmpree, const char* campoUnidade, TLabel* lbEmpree, TLabel* lbUnidade) {
    const int empree = Inteiro(*atual, campoEmpree);
    if (empree == 0) return;
    auto e = db.QueryAll("select BDCODEMPREENDIMENTO, BDNOMEEMPRE from VEF_EMP_TCADEMPREENDIMENTO where BDCODEMP = ? "
                         "and BDCODEMPREENDIMENTO = ?",
                         {empresa, empree});
    if (!e.Rows.empty())
      lbEmpree->SetCaption("Empreendimento: " + e.Value(0, "BDCODEMPREENDIMENTO").AsString() + " - " +
                           e.Value(0, "BDNOMEEMPRE").AsString());
    const int unidade = Inteiro(*atual, campoUnidade);
    if (unidade == 0) return;
    auto u = db.QueryAll("select BDCODIGOUNIIMOB, BDDESCRICAO from VEF_BASE_TCADUNIDIMOBILIARIA where BDCODEMP = ? and "
                         "BDCODEMPREENDIMENTO = ? and BDCODIGOUNIIMOB = ?",
                         {empresa, empree, unidade});
    if (!u.Rows.empty())
      lbUnidade->SetCaption("Unidade imobiliária: " + u.Value(0, "BDCODIGOUNIIMOB").AsString() + " - " +
                            u.Value(0, "BDDESCRICAO").AsString());
  };
  auto lado = [&](const char* conta, const char* part, TLabel* lbConta, const std::string& rotulo, TLabel* lbPart) {
    std::unique_ptr<TComponent> guarda(TContasPlanosMGR::GetContaDAO(this, getCodPlano(), Inteiro(*atual, conta))
                                           ->ReleaseFromOwner());
    auto& c = static_cast<TDAOFactory&>(*guarda);
    if (c.IsEmpty() || Trim(c.FieldByName("BDCODTPLA").AsString()).empty()) return;
    lbConta->SetCaption(rotulo + c.FieldByName("BDCODTPLA").AsString() + " - " + c.FieldByName("BDCTALON").AsString() +
                        " - " + c.FieldByName("BDAPECTA").AsString() + " - " + c.FieldByName("BDNOMCTA").AsString());
    const int participante = Inteiro(*atual, part);
    if (Inteiro(c, "bdparticipante") != 0 && participante != 0) {
      auto r = db.QueryAll("select first 1 bdnometer, bdcodter from TTERCEIRO_REF where bdcodter = ? order by BDREFTER desc",
                           {participante});
      if (!r.Rows.empty())
        lbPart->SetCaption("Participante: " + r.Value(0, "bdcodter").AsString() + " - " + r.Value(0, "bdnometer").AsString());
    }
    const bool debito = std::string(conta) == "BDDEBITO";
    empreendimento(debito ? "BDCODEMPREEACAOD" : "BDCODEMPREEACAOC", debito ? "BDCODUNIIMOBACAOD" : "BDCODUNIIMOBACAOC",
                   debito ? lbEmpreendimentoDeb : lbEmpreendimentoCre, debito ? lbUnidImobiliariaDeb : lbUnidImobiliariaCre);
  };
  lado("BDDEBITO", "BDCODTERCEIROD", lbDebito, "Débito: ", lbParticipanteDebito);
  lado("BDCREDITO", "BDCODTERCEIROC", lbCredito, "Crédito: ", lbParticipanteCredito);
  const int historico = Inteiro(*atual, "BDCODTPHI");
  if (historico != 0) {
    // The history of the line's own history plan: the same code exists in every plan.
    auto r = db.QueryAll("select BDCODTPHI, BDNOME from HIST_TPHI where BDCODHIST = ? and BDCODTPHI = ?",
                         {Inteiro(*atual, "BDCODHIST"), historico});
    if (!r.Rows.empty())
      lbHistorico->SetCaption("Histórico: " + r.Value(0, "BDCODTPHI").AsString() + " - " + r.Value(0, "BDNOME").AsString());
  }
  pCalculaTamanhoLegenda();
}

void TfrConsultaImportacaoLancCCTxt::pCalculaTamanhoLegenda() {
  const int w = pnContaContabil->Width;
  lbDebito->Width = w / 2;
  for (TLabel* l : {lbCredito, lbParticipanteDebito, lbParticipanteCredito}) l->Width = lbDebito->Width;
  lbEmpreendimentoDeb->Width = w / 4;
  for (TLabel* l : {lbEmpreendimentoCre, lbUnidImobiliariaDeb}) l->Width = lbEmpreendimentoDeb->Width;
}

void TfrConsultaImportacaoLancCCTxt::AtualizaPainelNF() {
  TDAOFactory* painel = FConsultaParcelamentoDAO;
  TDAOFactory* atual = DAOAtual();
  TClientDataSet* l = Vinculos();
  if (!painel) return;
  const int empresa = atual && !atual->IsEmpty() ? Inteiro(*atual, "BDCODEMP") : 0;
  const int chave = atual && !atual->IsEmpty() ? Inteiro(*atual, "BDCHAVE") : 0;
  std::vector<int> ids;
  int mistura = 0;
  bool primeiro = true;
  int subtipo = 0;
  if (l && chave > 0) {
    for (l->First(); !l->Eof(); l->Next()) {
      if (Inteiro(*l, "BDTIPO_BAIXA") != 2 || Inteiro(*l, "BDCHAVE") != chave) continue;
      const int sub = Inteiro(*l, "BDSUBTIPO_BAIXA");
      if (primeiro) {
        subtipo = sub;
        primeiro = false;
      } else if (mistura == 0 && sub != subtipo) {
        const int servico = Inteiro(*l, "BDTIPOSERVICO");
        mistura = (sub == 2 && servico == 1) || sub == 0 || (sub == 3 && servico == 1) ? 1 : 2;
      }
      ids.push_back(Inteiro(*l, "BDBAIXA_ID"));
    }
  }
  // The kind is read from the line's first installment link: another kind of link of the line (a tax
  // guide) would name another book.
  bool achou = false;
  if (!ids.empty())
    for (l->First(); !l->Eof(); l->Next())
      if (Inteiro(*l, "BDTIPO_BAIXA") == 2 && Inteiro(*l, "BDCHAVE") == chave) {
        achou = true;
        break;
      }
  const int tipo = achou ? fRetornaTipoLancamento(mistura) : -1;
  painel->CommandText(ConsultaParcelas(this, empresa, tipo, achou ? ids : std::vector<int>{}), ctOpen);
  if (!achou) return;
  // Only the installments linked to this line stay (a document may have others, open or linked to
  // other lines).
  const std::string indice = l->IndexFieldNames();
  l->SetIndexFieldNames("BDBAIXA_ID;BDORDEM;BDCHAVE");
  const bool memoria = painel->ControlMemory();
  painel->SetControlMemory(true);
  try {
    for (painel->First(); !painel->Eof();) {
      if (l->FindKey({V(Inteiro(*painel, "BDCHAVE")), V(Inteiro(*painel, "BDPARCELAPAR")), V(chave)}))
        painel->Next();
      else
        painel->Delete();
    }
  } catch (...) {
    painel->SetControlMemory(memoria);
    l->SetIndexFieldNames(indice);
    throw;
  }
  painel->SetControlMemory(memoria);
  l->SetIndexFieldNames(indice);
  painel->First();
}

int TfrConsultaImportacaoLancCCTxt::fRetornaTipoLancamento(int mistura) const {
  if (mistura == 2) return 9;
  TClientDataSet* v = Vinculos();
  if (!v || v->IsEmpty()) return 0;
  const int sub = static_cast<int>(v->FieldByName("BDSUBTIPO_BAIXA").AsInteger());
  const int servico = static_cast<int>(v->FieldByName("BDTIPOSERVICO").AsInteger());
  switch (sub) {
    case 0: return 0;
    case 1: return 1;
    case 2: return servico == 0 ? 2 : servico == 1 ? 3 : 0;
    case 3: return servico == 1 ? 6 : 7;
    default: return 0;
  }
}

}  // namespace integracao
