// The lines grid of the statement review: what a click or a key does on a line, what each cell
// shows (texts, colours, images, as decisions the grid draws), the descriptions panel, the lookup
// kind of the account cells and the installments linked to the current line.
#include <algorithm>
#include <set>
#include <tuple>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/itens_conciliados.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/ui/fields_container.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/edit_codigo.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

bool TemLinhas(const TClientDataSet* ds) { return ds && ds->Active() && !ds->IsEmpty(); }

std::string Junta(const std::string& lista, int64_t v) { return lista.empty() ? std::to_string(v) : lista + "," + std::to_string(v); }

}  // namespace

std::string TfrConsultaImportacaoExtratoBancario::MarcaLadoBanco(const TClientDataSet& ds) const {
  const int banco = ContaBanco();
  if (banco <= 0) return {};
  if (Int(ds, "BDCREDITO") == banco) return "BDCONCC";
  if (Int(ds, "BDDEBITO") == banco) return "BDCONCD";
  return {};
}

void TfrConsultaImportacaoExtratoBancario::grGridCellClick(const std::string& coluna) {
  TDAOFactory* l = DAOAtual();
  if (!l || l->IsEmpty()) return;
  const std::string c = UpperCase(coluna);
  if (c == "BDTRANSPREP" && l->FindField("BDTRANSPREP")) {
    const bool marcado = !Flag(*l, "BDTRANSPREP");
    l->Edit();
    SetFlag(*l, "BDTRANSPREP", marcado);
    l->Post();
    if (!marcado) RemovePreparacoes(tpExtrato, static_cast<int>(Int(*l, "BDCHAVE")));
  } else if (c == "BDLANCARDUPLICATA" && l->FindField("BDDUPLICATA") && !Trim(Txt(*l, "BDDUPLICATA")).empty()) {
    // The user decides a probable duplicate: ticked, it is booked all the same.
    l->Edit();
    SetFlag(*l, "BDLANCARDUPLICATA", !Flag(*l, "BDLANCARDUPLICATA"));
    l->Post();
  } else if (c == "BDTIPOLAN") {
    const std::string marca = MarcaLadoBanco(*l);
    if (!marca.empty()) {
      l->Edit();
      SetFlag(*l, marca, !Flag(*l, marca));
      Set(*l, "bdTipoConc",
          Variant(TLancamentoMGR::getTipoConciliacao(this, true, Txt(*l, "bdCONCC"), Txt(*l, "bdCONCD"),
                                                     Txt(*l, "bdCODEMP"), Txt(*l, "bdCHAVE"), marca, false,
                                                     Txt(*l, "bdTipoConc"))));
      l->Post();
    }
  }
  if (UpperCase(NodoSelecionado()) == UpperCase(kNodoLancamentos)) AtualizaParcelas();
  AtualizaBotoesMulti();
}

void TfrConsultaImportacaoExtratoBancario::grGridKeyPress(char& key) {
  if (key != ' ') return;
  const std::string c = UpperCase(grGrid->SelectedField);
  if (c == "BDTIPOLAN" || c == "BDTRANSPREP" || c == "BDLANCARDUPLICATA") grGridCellClick(c);
}

void TfrConsultaImportacaoExtratoBancario::AtualizaBotoesLinhas() {
  spDelLink->SetEnabled(CanEnableLinkButton(false));
  spCurrencyLink->SetEnabled(CanEnableLinkButton(true));
  AtualizarStatusBotoes();
}

void TfrConsultaImportacaoExtratoBancario::grGridKeyUp() {
  pMostraDescricao_Contas();
  setControleDEBCRE();
  AtualizaBotoesLinhas();
}

void TfrConsultaImportacaoExtratoBancario::grGridMouseUp() { grGridKeyUp(); }

void TfrConsultaImportacaoExtratoBancario::grGridMouseDown(bool botaoDireito) {
  PopupGrid.clear();
  const std::string c = UpperCase(grGrid->SelectedField);
  if (botaoDireito && (c == "BDTIPOLAN" || c == "BDTRANSPREP")) PopupGrid = "pmSelecao";
  // The selection menu drops only over the columns it ticks.
  pmSelecao->SetEnabled(!PopupGrid.empty());
}

std::vector<TBookmark> TfrConsultaImportacaoExtratoBancario::Selecionadas() const {
  if (!LinhasSelecionadas.empty()) return LinhasSelecionadas;
  // The grid's selection counts while the current line is in it: a line reached since by the keys
  // (or by a search) is the one the user means.
  std::vector<TBookmark> grade = grGrid->SelectedRows();
  TClientDataSet* ds = grGrid->DataSet();
  if (!ds || ds->IsEmpty() || std::find(grade.begin(), grade.end(), ds->GetBookmark()) == grade.end()) return {};
  return grade;
}

std::string TfrConsultaImportacaoExtratoBancario::grGridMostraDado(const std::string& campo, const std::string& texto,
                                                                   TLayoutCelula* layout) {
  const std::string c = UpperCase(campo);
  TLayoutCelula nada;
  TLayoutCelula& lay = layout ? *layout : nada;
  if (c == "BDSTATUSWEB") {
    int64_t n = 0;
    try {
      n = std::stoll(Trim(texto));
    } catch (...) {
      return {};
    }
    if (n == 0) return {};
    if (n == 1) return "Retorno do escritório";
    if (n == 2) return "Recusado pelo escritório";
    return texto;
  }
  if (c == "BDDATA") lay.LarguraMinima = 80;
  if (c == "BDVALOR") {
    lay.Direita = true;
    lay.LarguraMinima = 150;
  }
  if (c == "BDCOMPL") lay.LarguraMaxima = 650;
  if (c == "BDCHAVELANC") {
    int64_t n = 0;
    try {
      n = std::stoll(Trim(texto));
    } catch (...) {
      n = 0;
    }
    return n == 0 ? "DYQ" : "Extrato bancário";
  }
  if (c == "BDVINC_BAIXA") return {};
  return texto;
}

TfrConsultaImportacaoExtratoBancario::TCorFonte TfrConsultaImportacaoExtratoBancario::CorFonteLinha(bool selecionada) {
  auto* l = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  TCorFonte cor = selecionada ? TCorFonte::Janela : TCorFonte::TextoJanela;
  if (!l || l->IsEmpty()) return cor;
  if (getItensConciliados(*l, Int(*l, "bdCODEMP"), Int(*l, "bdCHAVE"))) cor = TCorFonte::Azul;
  if (TemDadosDYQ() && Int(*l, "BDSTATUSWEB") == 1) cor = TCorFonte::Vermelho;
  if (FY570 && FY570->fTemY570(Int(*l, "bdCODEMP"), Int(*l, "bdCHAVE"))) return TCorFonte::Verde;
  if (Int(*l, "BDTEMLANC") == 1)
    cor = TCorFonte::Azul;
  else if (FArquivo.find(".varku") == std::string::npos && Int(*l, "BDTEMCOMPROVANTE") == 1)
    cor = TCorFonte::Vermelho;
  return cor;
}

TfrConsultaImportacaoExtratoBancario::TImagemCelula TfrConsultaImportacaoExtratoBancario::grGridMostraDadoImagem(
    const std::string& campo) {
  TDAOFactory* l = DAOAtual();
  if (!l || l->IsEmpty() || !FEditConta) return TImagemCelula::Nenhuma;
  const std::string c = UpperCase(campo);
  if (c == "BDTRANSPREP") return Flag(*l, "BDTRANSPREP") ? TImagemCelula::CaixaMarcada : TImagemCelula::CaixaDesmarcada;
  if (c == "BDLANCARDUPLICATA") {
    if (Trim(Txt(*l, "BDDUPLICATA")).empty()) return TImagemCelula::Nenhuma;
    return Flag(*l, "BDLANCARDUPLICATA") ? TImagemCelula::CaixaMarcada : TImagemCelula::CaixaDesmarcada;
  }
  if (c == "BDTIPOLAN") {
    const std::string marca = MarcaLadoBanco(*l);
    return !marca.empty() && Flag(*l, marca) ? TImagemCelula::CaixaMarcada : TImagemCelula::CaixaDesmarcada;
  }
  if (c == "BDCODTERCEIROD" || c == "BDCODTERCEIROC") {
    const Variant p = GetCampoContaPlano(Variant(PlanoEmpresa()),
                                         l->FieldByName(c == "BDCODTERCEIROD" ? "BDDEBITO" : "BDCREDITO").Value(),
                                         "BDPARTICIPANTE");
    return p.IsNull() || p.AsInteger() == 0 ? TImagemCelula::Cadeado : TImagemCelula::Nenhuma;
  }
  if (c == "BDVINC_BAIXA") {
    if (!Flag(*l, "BDVINC_BAIXA")) return TImagemCelula::Nenhuma;
    const int64_t chave = Int(*l, "BDCHAVE");
    for (TClientDataSet* v : {FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA}) {
      if (!TemLinhas(v)) continue;
      TClientDataSet clone;
      clone.CloneCursor(*v);
      if (clone.Locate("BDCHAVE", {Variant(static_cast<long long>(chave))}))
        return Flag(clone, "BDAUTOMATICO") ? TImagemCelula::MoedaAmarela : TImagemCelula::Moeda;
    }
    return TImagemCelula::Moeda;
  }
  return TImagemCelula::Nenhuma;
}

int TfrConsultaImportacaoExtratoBancario::fRetornaTipoLancamento(int tipo, bool comprovante) {
  if (tipo == 1) return 8;
  if (tipo == 2) return 9;
  TClientDataSet* v = comprovante ? FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA : FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA;
  if (!TemLinhas(v)) return 0;
  const int64_t sub = Int(*v, "BDSUBTIPO_BAIXA");
  const int64_t serv = Int(*v, "BDTIPOSERVICO");
  switch (sub) {
    case 1: return 1;
    case 2: return serv == 0 ? 2 : (serv == 1 ? 3 : 0);
    case 3: return serv == 1 ? 6 : 7;
    default: return 0;
  }
}

TConsultaGrupoDAO& TfrConsultaImportacaoExtratoBancario::Parcelas() {
  // Without a database at the screen's creation the installments are an in-memory set of their own.
  if (!FConsultaParcelamentoDAO) {
    FConsultaParcelamentoDAO = Create<TConsultaGrupoDAO>();
    FConsultaParcelamentoDAO->SetControlMemory(true);
  }
  if (dsGridNF->DataSet() != FConsultaParcelamentoDAO) dsGridNF->SetDataSet(FConsultaParcelamentoDAO);
  return *FConsultaParcelamentoDAO;
}

void TfrConsultaImportacaoExtratoBancario::CriaGradeParcelas() {
  pnNF = Create<TPanel>();
  pnNF->SetName("pnNF");
  grGridNF = Create<TDBGrid_Padrao_VYN>();
  grGridNF->SetName("grGridNF");
  dsGridNF = Create<TDataSource>();
  grGridNF->SetDataSource(dsGridNF);
  FieldsContainerEF = Create<TFieldsContainer>();
  FieldsContainerEF->SetName("FieldsContainerEF");
  TFieldsContainer& fc = *FieldsContainerEF;
  // The installments are shown, never edited here.
  const std::pair<const char*, const char*> colunas[] = {
      {"BDCODEMP", "Empresa"},         {"BDCHAVE", "Chave"},
      {"BDPARCELAPAR", "Parcela"},     {"BDNUMDOCINI", "Número do documento"},
      {"BDDUPLICATAPAR", ""},          {"BDDATAEMISSAO", "Data de emissão"},
      {"BDDATAVENCTOPAR", "Data de vencimento"}, {"BDVALORPAR", "Valor"},
      {"BDCODTER", "Participante"},    {"BDCGCTER", "CNPJ Participante"},
      {"BDNOMETER", "Nome participante"}};
  for (const auto& [campo, titulo] : colunas) fc.Add(campo, titulo).ReadOnly = true;
  for (const char* oculto : {"BDCODEMP", "BDCODTER"}) fc.SetVisible(oculto, false);
  fc.SetGridSearch(grGridNF);
  grGridNF->MostraDado = [this](TField& f, std::string& texto) { grGridNFMostraDado(f, texto); };
}

void TfrConsultaImportacaoExtratoBancario::pMostraDadosPadrao(const TField& campo, std::string& texto) {
  pMostraDadosPadrao_VYN(campo, texto);
}

std::string TfrConsultaImportacaoExtratoBancario::getCollumnSearch() {
  for (TFieldsContainer* fc : {fieldsContainerExtrato, fcPreparacoes}) {
    if (!fc || fc->GridSearch() != grGrid) continue;
    const TFieldsContainerItem* item = fc->Item(grGrid->SelectedField);
    return item && item->Visible && item->Navegavel ? item->FieldName : std::string();
  }
  return "";
}

void TfrConsultaImportacaoExtratoBancario::grGridNFMostraDado(const TField& campo, std::string& texto) {
  pMostraDadosPadrao(campo, texto);
  // The installments query gives the amount as a plain number; it reads as money all the same.
  if (UpperCase(campo.FieldName()) == "BDVALORPAR" && !campo.IsNull()) texto = campo.AsCurrency().ToBR(2);
}

void TfrConsultaImportacaoExtratoBancario::CriaPainelDescricoes() {
  pnContaContabil = Create<TPanel>();
  pnContaContabil->SetName("pnContaContabil");
  auto rotulo = [this](const char* nome) {
    auto* l = Create<TLabel>();
    l->SetName(nome);
    return l;
  };
  lbDebito = rotulo("lbDebito");
  lbCredito = rotulo("lbCredito");
  lbParticipanteDebito = rotulo("lbParticipanteDebito");
  lbParticipanteCredito = rotulo("lbParticipanteCredito");
  lbHistorico = rotulo("lbHistorico");
  lbEmpreendimentoDebito = rotulo("lbEmpreendimentoDebito");
  lbEmpreendimentoCredito = rotulo("lbEmpreendimentoCredito");
  lbUnidadeDebito = rotulo("lbUnidadeDebito");
  lbUnidadeCredito = rotulo("lbUnidadeCredito");
}

void TfrConsultaImportacaoExtratoBancario::EsvaziaParcelas() {
  if (Parcelas().Active()) FConsultaParcelamentoDAO->EmptyDataSetDao();
}

void TfrConsultaImportacaoExtratoBancario::AtualizaParcelas() {
  auto esvazia = [this] { EsvaziaParcelas(); };
  TDAOFactory* l = DAOLinhas();
  TClientDataSet* m = grLancamentoManual ? grLancamentoManual->DataSet() : nullptr;
  if (!l || l->IsEmpty() || (m && m->Active() && m->RecordCount() > 1)) {
    esvazia();
    return;
  }
  CarregaParcelas(Int(*l, "BDCHAVE"), -1);
}

void TfrConsultaImportacaoExtratoBancario::CarregaParcelas(int64_t chave, int64_t chaveLanc) {
  Parcelas();
  auto esvazia = [this] { EsvaziaParcelas(); };
  TDAOFactory* l = DAOLinhas();
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : static_cast<int>(Int(*l, "BDCODEMP"));
  auto doVinculo = [&](const TClientDataSet& v) {
    return Int(v, "BDCHAVE") == chave && (chaveLanc < 0 || Int(v, "BDCHAVELANC") == chaveLanc);
  };
  std::string ids, ordens;
  int grupo = 0;
  bool temSubtipo = false;
  int64_t subtipo = 0;
  auto passo = [&](TClientDataSet* v, bool comprovante) {
    if (!TemLinhas(v)) return;
    TFilterGuard guarda(*v, TFilterGuard::kAllRows);
    for (v->First(); !v->Eof(); v->Next()) {
      if (Int(*v, "BDTIPO_BAIXA") != 2 || !doVinculo(*v)) continue;
      ids = Junta(ids, Int(*v, "BDBAIXA_ID"));
      ordens = Junta(ordens, Int(*v, "BDORDEM"));
      const int64_t sub = Int(*v, "BDSUBTIPO_BAIXA");
      if (!temSubtipo) {
        temSubtipo = true;
        subtipo = sub;
      } else if (grupo == 0 && sub != subtipo) {
        const int64_t serv = Int(*v, "bdTIPOSERVICO");
        grupo = ((sub == 2 && serv == 1) || sub == 0 || (sub == 3 && serv == 1)) ? 1 : 2;
      }
    }
    v->First();
    while (!v->Eof() && !doVinculo(*v)) v->Next();
    const bool achou = !v->Eof();
    if (ids.empty() || !achou) {
      esvazia();
      return;
    }
    const int tipo = fRetornaTipoLancamento(grupo, comprovante);
    // The query builder knows the groups the company pays (8) and receives (9); any other kind
    // takes both, the links of the line choosing the rows.
    std::string sql;
    if (tipo == gpPagar || tipo == gpReceber)
      sql = TMovParMGR::GetConsultaParcelamentoGroup(this, std::to_string(empresa), empresa, tipo);
    else
      sql = TMovParMGR::GetConsultaParcelamentoGroup(this, std::to_string(empresa), empresa, gpPagar) +
            " union all " + TMovParMGR::GetConsultaParcelamentoGroup(this, std::to_string(empresa), empresa, gpReceber);
    FConsultaParcelamentoDAO->CommandText(sql, ctOpen);
    // An installment is known by its book too: a purchase and a sale may share key and order.
    std::set<std::tuple<int64_t, int64_t, int64_t>> daLinha;
    for (v->First(); !v->Eof(); v->Next())
      if (Int(*v, "BDTIPO_BAIXA") == 2 && doVinculo(*v))
        daLinha.insert({Int(*v, "BDSUBTIPO_BAIXA"), Int(*v, "BDBAIXA_ID"), Int(*v, "BDORDEM")});
    TDAOFactory& p = *FConsultaParcelamentoDAO;
    for (p.First(); !p.Eof();)
      if (daLinha.count({Int(p, "BDTIPOLANCEF"), Int(p, "BDCHAVE"), Int(p, "BDORDEMPAR")}))
        p.Next();
      else
        p.Delete();
    p.First();
  };
  passo(FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA, false);
  // A line with plain links only keeps what the plain pass found.
  TClientDataSet* comp = FProcessoBaixas->cdsVINC_EXT_BAN_COMP_BAIXA;
  if (TemLinhas(comp)) {
    TClientDataSet c;
    c.CloneCursor(*comp);
    bool tem = false;
    for (c.First(); !c.Eof() && !tem; c.Next()) tem = doVinculo(c);
    if (tem) passo(comp, true);
  }
}

void TfrConsultaImportacaoExtratoBancario::pMostraDescricao_Contas() {
  CalculaDescricoes();
  const TDescricoes& d = Descricoes;
  lbDebito->SetCaption(d.Debito);
  lbCredito->SetCaption(d.Credito);
  lbParticipanteDebito->SetCaption(d.ParticipanteD);
  lbParticipanteCredito->SetCaption(d.ParticipanteC);
  lbHistorico->SetCaption(d.Historico);
  lbEmpreendimentoDebito->SetCaption(d.EmpreendimentoD);
  lbEmpreendimentoCredito->SetCaption(d.EmpreendimentoC);
  lbUnidadeDebito->SetCaption(d.UnidadeD);
  lbUnidadeCredito->SetCaption(d.UnidadeC);
  pCalculaTamanhoLegenda();
}

void TfrConsultaImportacaoExtratoBancario::pCalculaTamanhoLegenda() {
  const int largura = pnContaContabil->Width;
  for (TLabel* l : {lbDebito, lbCredito, lbParticipanteDebito, lbParticipanteCredito}) l->Width = largura / 2;
  // The credit unit label keeps its own width.
  for (TLabel* l : {lbEmpreendimentoDebito, lbEmpreendimentoCredito, lbUnidadeDebito}) l->Width = largura / 4;
}

void TfrConsultaImportacaoExtratoBancario::CalculaDescricoes() {
  TDescricoes& d = Descricoes;
  d = {"Débito: ", "Crédito: ", "Participante: ", "Participante: ", "Histórico: ", "Empreendimento: ",
       "Empreendimento: ", "Unidade imobiliária: ", "Unidade imobiliária: "};
  TDAOFactory* l = DAOAtual();
  if (!l || l->IsEmpty()) return;
  const int64_t empresa = Int(*l, "BDCODEMP");
  TSQLMGR q;
  auto lado = [&](const char* conta, const char* ter, const char* empre, const char* unid, std::string& lbConta,
                  std::string& lbTer, std::string& lbEmpre, std::string& lbUnid) {
    if (!l->FindField(conta)) return;
    TDAOFactory* c = TContasPlanosMGR::GetContaDAO(this, getCodPlano(), static_cast<int>(Int(*l, conta)));
    struct TLibera {
      TComponent* dono;
      TDAOFactory* d;
      ~TLibera() { dono->FreeComponent(d); }
    } libera{this, c};
    if (!c || c->IsEmpty() || Vazio(*c, "BDCODTPLA")) return;
    lbConta += Txt(*c, "BDCODTPLA") + " - " + Txt(*c, "BDCTALON") + " - " + Txt(*c, "BDAPECTA") + " - " +
               Txt(*c, "BDNOMCTA");
    if (Int(*c, "bdparticipante") != 0 && Int(*l, ter) > 0) {
      q.CommandText(
          "select first 1 bdnometer, bdcodter from TTERCEIRO_REF where bdcodter = ? order by BDREFTER desc", ctOpen,
          {Variant(static_cast<long long>(Int(*l, ter)))});
      if (!q.IsEmpty()) lbTer += Txt(q, "bdcodter") + " - " + Txt(q, "bdnometer");
    }
    if (Int(*l, empre) != 0) {
      q.CommandText(
          "Select BDCODEMPREENDIMENTO, BDNOMEEMPRE from VEF_EMP_TCADEMPREENDIMENTO where BDCODEMP = ? and "
          "BDCODEMPREENDIMENTO = ?",
          ctOpen, {Variant(static_cast<long long>(empresa)), Variant(static_cast<long long>(Int(*l, empre)))});
      if (!q.IsEmpty()) lbEmpre += Txt(q, "BDCODEMPREENDIMENTO") + " - " + Txt(q, "BDNOMEEMPRE");
    }
    if (Int(*l, unid) != 0) {
      q.CommandText(
          "Select BDCODIGOUNIIMOB, BDDESCRICAO from VEF_BASE_TCADUNIDIMOBILIARIA where BDCODEMP = ? and "
          "BDCODEMPREENDIMENTO = ? and BDCODIGOUNIIMOB = ?",
          ctOpen,
          {Variant(static_cast<long long>(empresa)), Variant(static_cast<long long>(Int(*l, empre))),
           Variant(static_cast<long long>(Int(*l, unid)))});
      if (!q.IsEmpty()) lbUnid += Txt(q, "BDCODIGOUNIIMOB") + " - " + Txt(q, "BDDESCRICAO");
    }
  };
  lado("BDDEBITO", "BDCODTERCEIROD", "BDCODEMPREEACAOD", "BDCODUNIIMOBACAOD", d.Debito, d.ParticipanteD,
       d.EmpreendimentoD, d.UnidadeD);
  lado("BDCREDITO", "BDCODTERCEIROC", "BDCODEMPREEACAOC", "BDCODUNIIMOBACAOC", d.Credito, d.ParticipanteC,
       d.EmpreendimentoC, d.UnidadeC);
  if (Int(*l, "BDCODTPHI") != 0) {
    q.CommandText("select BDCODTPHI, BDNOME from hist_tphi where bdcodhist = ? and bdcodtphi = ?", ctOpen,
                  {Variant(PlanoHistorico()), Variant(static_cast<long long>(Int(*l, "BDCODTPHI")))});
    if (!q.IsEmpty()) d.Historico += Txt(q, "bdcodtphi") + " - " + Txt(q, "bdnome");
  }
}

void TfrConsultaImportacaoExtratoBancario::setControleDEBCRE() {
  if (UpperCase(NodoSelecionado()) != UpperCase(kNodoLancamentos)) return;
  TDAOFactory* l = DAOLinhas();
  if (!l || l->IsEmpty()) return;
  TClientDataSet* m = DAOMulti();
  bool multi = false;
  if (m && m->Active()) {
    TClientDataSet c;
    c.CloneCursor(*m);
    c.SetMasterSource(nullptr);
    multi = c.Locate("BDCODEMP;BDCHAVE", {Variant(static_cast<long long>(Int(*l, "BDCODEMP"))),
                                          Variant(static_cast<long long>(Int(*l, "BDCHAVE")))});
  }
  const int banco = ContaBanco();
  TipoCodigoDebito = (banco > 0 && Int(*l, "BDDEBITO") == banco) || multi ? 0 : 20;
  TipoCodigoCredito = (banco > 0 && Int(*l, "BDCREDITO") == banco) || multi ? 0 : 20;
}

}  // namespace integracao
