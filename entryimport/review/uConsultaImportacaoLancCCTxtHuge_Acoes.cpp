// The staged review's import action, the split of multiple entries and the grouped selection of lines
// for an installment settlement.
#include <fmt/format.h>

#include "entryimport/review/revisao_util.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/component/resultado_execucao.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/standins/vinculos_baixa.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {
// The part of a line's multiple entries that takes the line's settlement links.
constexpr int kTipoPrincipal = 1;

// A part of a source line (parte, on its line fonte) appended to d as a line of its own with key chave.
void AcrescentaLinhaDividida(const TClientDataSet& parte, const TClientDataSet& fonte, TClientDataSet& d, int chave) {
  d.Append();
  for (int i = 0; i < parte.FieldCount(); ++i) {
    const std::string n = UpperCase(parte.Fields(i).FieldName());
    if (n == "BDCHAVELANC" || n == "BDTIPOMULTLANC" || n == "BDVINC_BAIDESC" || n == "BDVINC_BAIXA" || n == "BDSESSAO")
      continue;
    if (TField* f = d.FindField(n)) f->SetValue(parte.Fields(i).Value());
  }
  const int tipo = Inteiro(parte, "BDTIPOMULTLANC");
  const std::string vinculo = UpperCase(Trim(parte.FieldByName("BDVINC_BAIXA").AsString()));
  const bool vincParte = vinculo == "T" || vinculo == "TRUE";
  const bool vincOrigem = !fonte.FieldByName("BDVINC_BAIXA").IsNull() && fonte.FieldByName("BDVINC_BAIXA").AsBoolean();
  d.FieldByName("BDVINC_BAIXA").SetValue(
      Variant(std::string(vincParte || (vincOrigem && tipo >= 1 && tipo <= 4) ? "TRUE" : "FALSE")));
  for (const char* campo : {"BDSESSAO", "BDCODPLAPADRAO", "BDTIPOLAN", "BDCODUSU"})
    if (TField* f = d.FindField(campo)) f->SetValue(fonte.FieldByName(campo).Value());
  for (const char* campo : {"BDCONCD", "BDCONCC", "BDPENDENTED", "BDPENDENTEC", "BDVINC_BAIXA_MULT"})
    if (TField* f = d.FindField(campo)) f->SetValue(Variant(std::string("FALSE")));
  d.FieldByName("BDCHAVEOWNER").SetValue(V(Inteiro(parte, "BDCHAVE")));
  d.FieldByName("BDSEQDAO").SetValue(parte.FieldByName("BDCHAVELANC").Value());
  d.FieldByName("BDCHAVE").SetValue(V(chave));
  d.FieldByName("BDMULTLANC").SetValue(V(1));
  d.FieldByName("BDINCONSISTENTE").SetValue(V(miConsistente));
  d.Post();
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Import

void TfrConsultaImportacaoLancCCTxtHuge::spImportacaoClick(TComponent* sender) {
  // The import never runs on a session still staging, nor on one whose staging failed.
  AguardaGravacao();
  if (!FFalhaGravacao.empty()) {
    DlgWarOk("A importação não pode ser feita: nem todas as linhas do arquivo foram gravadas para a revisão. Feche "
             "a revisão e importe o arquivo novamente.");
    return;
  }
  if (ArquivoGrande()) spArquivoGrandeClick(sender);
  // Each press reports afresh; what the opener had before the review opened stays.
  if (FInconsistenciaIni) {
    FInconsistenciaIni->Clear();
    for (const TInconsistenciaItem& i : FInconsistenciasAbertura) FInconsistenciaIni->Acrescenta(i);
  }
  if (FInconsistencias) FInconsistencias->Clear();
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  const int sessao = Sessao();
  {
    // A line whose complement lives in the complement table must not carry one of its own.
    auto lancs = std::make_unique<TSQLMGR>();
    auto compl_ = std::make_unique<TSQLMGR>();
    compl_->CommandText("select BDCHAVE from TMP_VZEL_EMP_TLAN_COMPL_TEMP where BDCODEMP = ? and BDSESSAO = ?",
                        ctOpen, {empresa, sessao});
    // The session's keys are read only when some line has a long complement: a large file need not be
    // read once more for none.
    if (!compl_->IsEmpty()) {
      lancs->CommandText("select BDCHAVE from " + TabelaSessao() + " where BDCODEMP = ? and BDSESSAO = ?",
                         ctOpen, {empresa, sessao});
      lancs->SetIndexFieldNames("BDCHAVE");
    }
    std::vector<std::string> script;
    for (compl_->First(); !compl_->Eof(); compl_->Next()) {
      const int chave = Inteiro(*compl_, "BDCHAVE");
      if (lancs->FindKey({V(chave)}))
        script.push_back(fmt::format("UPDATE {}  SET BDCOMPL = null  where BDCODEMP = {} and BDSESSAO = {} and BDCHAVE = {}",
                                     TabelaSessao(), empresa, sessao, chave));
    }
    if (!script.empty()) {
      const std::string erro = TDAOFactory::Executa_Script(script, false, false, "", 0, false);
      if (!erro.empty()) {
        // Importing with the complements doubled would write them twice: nothing goes on, and an
        // unattended run that imported nothing for it has failed.
        const std::string msg = "Não foi possível preparar os complementos dos lançamentos: " + erro;
        if (IsUnattended()) RegistraFalhaExecucao(msg);
        if (FInconsistenciaIni) {
          FInconsistenciaIni->Add_Erro(empresa, msg);
          FInconsistenciaIni->Execute(true, true, true, true, "");
        }
        return;
      }
    }
  }
  TLancamentoMGR* lanc = LancamentosMGR();
  if (!lanc) return;
  SetMultiplosLancamentos();
  if (FProcessoBaixas) {
    FProcessoBaixas->SetDAOImport(lanc);
    if (FBaixasAdicionaisDoVinculo) FProcessoBaixas->SetBaixasAdicionaisDoVinculo(FBaixasAdicionaisDoVinculo.get());
  }
  try {
    // The balance is checked before any settlement is posted (the check leaves the linked lines
    // out): an unbalanced file posts nothing, and a second press cannot post a settlement twice.
    if (!DiferencaDebitoCredito(*lanc)) {
      // The settlements are the run's first step (PostaBaixas), inside its write.
      TfrImportacao_Padrao_Itens_TreeView_VYN::spImportacaoClick(sender);
      // The lines the import refused are the opener's to know as well: an unattended caller judges
      // the run by its list alone.
      if (FInconsistenciaIni && FInconsistencias)
        for (const TInconsistenciaItem& i : FInconsistencias->Itens()) FInconsistenciaIni->Acrescenta(i);
    } else {
      ReportaDiferencaSemUsuario(FInconsistenciaIni, empresa);
    }
  } catch (...) {
    DeleteMultiplosLancamentos();
    throw;
  }
  DeleteMultiplosLancamentos();
  // The imported lines took their selection with them.
  DerivaSelecaoBaixa();
  // Errors are shown too: a settlement that failed or a refused line must reach the user.
  if (FInconsistenciaIni && FInconsistenciaIni->Count() > 0) FInconsistenciaIni->Execute(true, true, true, true, "");
}

bool TfrConsultaImportacaoLancCCTxtHuge::DiferencaDebitoCredito(TLancamentoMGR& lanc) {
  if (!SessaoEmPaginas(&lanc)) {
    // Every line is weighed: the lines still to fetch come in one read rather than a packet at a time.
    if (lanc.Active()) lanc.FetchAll();
    return TContasPlanosMGR::getDiferencaDebitoCredito(this, &lanc, nullptr, "BDVINC_BAIXA", false, false, true);
  }
  // A session nobody reviews is weighed where it lies, the lines read by the database alone.
  return TContasPlanosMGR::getDiferencaDebitoCreditoSessao(lanc.Database(), lanc.WorkTable(), lanc.Sessao(),
                                                          "BDVINC_BAIXA");
}

void TfrConsultaImportacaoLancCCTxtHuge::PostaBaixas() {
  // The staged marks the engine sets are in the work table, undone with the run's transaction.
  if (FProcessoBaixas)
    if (TLancamentoMGR* lanc = LancamentosMGR()) FProcessoBaixas->GetVinculoBaixa(this, FCodEmp, FInconsistenciaIni, lanc);
  ReuneLinhasDivididas();
}

void TfrConsultaImportacaoLancCCTxtHuge::ReuneLinhasDivididas() {
  TLancamentoMGR* lanc = LancamentosMGR();
  if (!lanc || FDivididas.empty()) return;
  TDatabase& db = lanc->Database();
  const std::string tabela = TabelaSessao();
  const int sessao = Sessao();
  for (const auto& [chave, principal] : FDivididas) {
    if (principal.Tipo != kTipoPrincipal) continue;
    const TQueryResult r = db.QueryAll("select BDINCONSISTENTE, BDCONCD, BDCONCC from " + tabela +
                                           " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
                                       {sessao, principal.Empresa, V(chave)});
    if (r.Rows.empty()) continue;
    // The principal's outcome is the source's: settled, it is booked whole (its parts with it); warned,
    // it stays in the review with its links, none of it booked as a plain entry.
    db.Execute("update " + tabela +
                   " set BDINCONSISTENTE = ?, BDCONCD = ?, BDCONCC = ? where BDSESSAO = ? and BDCODEMP = ? and "
                   "BDCHAVE = ?",
               {r.Value(0, "BDINCONSISTENTE"), r.Value(0, "BDCONCD"), r.Value(0, "BDCONCC"), sessao, principal.Empresa,
                principal.Fonte});
    for (const auto& [parte, dividida] : FDivididas)
      if (dividida.Fonte == principal.Fonte && dividida.Empresa == principal.Empresa &&
          dividida.Tipo >= kTipoPrincipal && dividida.Tipo <= tbaJuros)
        db.Execute("delete from " + tabela + " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
                   {sessao, principal.Empresa, V(parte)});
  }
  lanc->CommandText(lanc->GetCommandText(), ctOpen, lanc->GetCommandParams());
}

std::map<int64_t, std::vector<TParteFonte>> TfrConsultaImportacaoLancCCTxtHuge::BaixasDasFontes(
    std::map<int64_t, std::vector<TParteFonte>> porLinha) const {
  for (const auto& [chave, dividida] : FDivididas) {
    auto it = porLinha.find(chave);
    if (it == porLinha.end()) continue;
    std::vector<TParteFonte> partes = std::move(it->second);
    porLinha.erase(it);
    // A discount granted beside the principal (counted against it) moved none of the line's money: the
    // principal took the whole line less its fine and interest, which their own entries booked.
    std::erase_if(partes, [](const TParteFonte& p) { return p.Valor < Currency(); });
    auto& daFonte = porLinha[dividida.Fonte];
    daFonte.insert(daFonte.end(), partes.begin(), partes.end());
  }
  return porLinha;
}

void TfrConsultaImportacaoLancCCTxtHuge::DerivaSelecaoBaixa() {
  FCountSel = 0;
  FUltimoSel.clear();
  TDatabase* db = ProcessContext().Database;
  if (!db || Sessao() <= 0) return;
  const TQueryResult r = db->QueryAll(
      "select count(*) as N, max(case when coalesce(BDDEBITO, 0) > 0 then 1 else 0 end) as D from " + TabelaSessao() +
          " where BDSESSAO = ? and BDVINC_BAIXA_MULT = 'TRUE'",
      {Sessao()});
  FCountSel = static_cast<int>(r.Value(0, "N").AsInteger());
  if (FCountSel > 0) FUltimoSel.assign(1, r.Value(0, "D").AsInteger() == 1 ? 'D' : 'C');
}

void TfrConsultaImportacaoLancCCTxtHuge::GetAposInconsistencia() {
  for (const auto& n : Nodos())
    if (UpperCase(n->Caption) == UpperCase(kNodoLancamentos) && FProcessoBaixas)
      FProcessoBaixas->GetAposInconsistencia(n->DAO);
}

// ---------------------------------------------------------------------------------------------------
// Multiple entries

void TfrConsultaImportacaoLancCCTxtHuge::SetMultiplosLancamentos() {
  TLancamentoMGR* d = LancamentosMGR();
  if (!d) return;
  // Every press builds the additional parts afresh: a second press must not post them twice.
  if (FBaixasAdicionaisDoVinculo) FBaixasAdicionaisDoVinculo->clear();
  FDivididas.clear();
  TClientDataSet* m = d->getMultiLancamentosDAO();
  TDataSource* mestre = m->MasterSource();
  const std::string camposMestre = m->MasterFields();
  m->SetMasterSource(nullptr);
  m->SetMasterFields("");
  m->CancelRange();
  // Without multiple entries there is nothing to add: the lines are not read twice for it.
  if (m->IsEmpty()) {
    m->SetMasterFields(camposMestre);
    m->SetMasterSource(mestre);
    return;
  }
  auto* q = TSQLMGR::CreateMgr(this);
  // The source lines are looked up among the whole session, also when the node holds a page of it.
  if (SessaoEmPaginas(d))
    q->CommandText("select * from " + TabelaSessao() + " where BDSESSAO = ? order by BDCHAVE", ctOpen,
                   {d->Sessao()});
  else
    q->CommandText(d->GetCommandText(), ctOpen, d->GetCommandParams());
  q->SetIndexFieldNames("BDCODEMP;BDCHAVE");
  const std::string sqlD = d->GetCommandText();
  const TParams paramsD = d->GetCommandParams();
  d->EmptyDataSetDao();
  TfrStatusProcesso* status = TfrStatusProcesso::createStatusProcess(this, 2);
  d->DisableControls();
  m->DisableControls();
  std::unique_ptr<TClientDataSet> c;
  auto fim = [&] {
    status->Finalize();
    d->EnableControls();
    m->EnableControls();
    m->SetMasterFields(camposMestre);
    m->SetMasterSource(mestre);
    FreeComponent(q);
  };
  try {
    TDatabase& db = d->Database();
    if (!m->IsEmpty())
      db.Execute("update " + TabelaSessao() + " set BDEDITCHAVE = null where BDSESSAO = ? and BDEDITCHAVE is not null",
                 {d->Sessao()});
    // New keys count on from the highest of the session, whatever the order of the snapshot.
    int k = static_cast<int>(
        db.QueryValue("select coalesce(max(BDCHAVE), 0) from " + TabelaSessao() + " where BDSESSAO = ?", {d->Sessao()})
            .AsInteger());
    m->CancelRange();
    if (!m->IsEmpty()) {
      status->setPrimaryStatusLabel("Preparando importação dos multiplos lançamentos...");
      status->setPrimaryMaxProgress(m->RecordCount());
      status->setPrimaryStatusProgress(0);
      c = std::make_unique<TClientDataSet>();
      c->CloneCursor(*m, false, false);
      c->SetIndexFieldNames("BDCODEMP;BDCHAVE");
      int pos = 0;
      for (m->First(); !m->Eof(); m->Next()) {
        const int empresa = Inteiro(*m, "BDCODEMP");
        const int origem = Inteiro(*m, "BDCHAVE");
        if (q->FindKey({V(empresa), V(origem)})) {
          AcrescentaLinhaDividida(*m, *q, *d, ++k);
          FDivididas[k] = {empresa, origem, Inteiro(*m, "BDTIPOMULTLANC")};
          MontaBaixasAdicionaisDoVinculo(*c, *d, k, origem);
        }
        status->setPrimaryStatusProgress(++pos);
      }
    }
    d->CommitRetanning();
    d->CommandText(sqlD, ctOpen, paramsD);
  } catch (...) {
    // The view goes back to what the work table holds.
    try {
      d->CommandText(sqlD, ctOpen, paramsD);
    } catch (...) {
    }
    fim();
    throw;
  }
  fim();
}

void TfrConsultaImportacaoLancCCTxtHuge::MontaBaixasAdicionaisDoVinculo(TClientDataSet& multi, TDAOFactory& d,
                                                                       int novaChave, int chaveOwner) {
  TClientDataSet* l = Vinculos();
  TClientDataSet* m = LancamentosMGR() ? LancamentosMGR()->getMultiLancamentosDAO() : nullptr;
  if (!l || !m || l->IsEmpty() || Inteiro(*m, "BDTIPOMULTLANC") != 1) return;
  const int empresa = Inteiro(*m, "BDCODEMP");
  const int debitoPrincipal = Inteiro(*m, "BDDEBITO");
  const int creditoPrincipal = Inteiro(*m, "BDCREDITO");
  while (l->Locate("BDCHAVE", {V(chaveOwner)})) {
    l->Edit();
    l->FieldByName("BDCHAVE").SetValue(V(novaChave));
    l->FieldByName("BDCHAVEPAI").SetValue(V(chaveOwner));
    l->Post();
    // Every part of the source line.
    multi.SetRange({V(empresa), V(chaveOwner)}, {V(empresa), V(chaveOwner)});
    for (multi.First(); !multi.Eof(); multi.Next()) {
      const int tipo = Inteiro(multi, "BDTIPOMULTLANC");
      if (tipo == 0 || tipo == 5) {
        if (d.Locate("BDCHAVEOWNER;BDSEQDAO", {V(Inteiro(multi, "BDCHAVE")), V(Inteiro(multi, "BDCHAVELANC"))})) {
          d.Edit();
          if (debitoPrincipal > 0)
            d.FieldByName("BDDEBITO").SetValue(V(debitoPrincipal));
          else
            d.FieldByName("BDCREDITO").SetValue(V(creditoPrincipal));
          d.Post();
        }
      } else if (tipo >= 2 && tipo <= 4 && FBaixasAdicionaisDoVinculo) {
        const std::string chave =
            ChaveBaixaAdicional(Inteiro(*l, "BDTIPO_BAIXA"), Inteiro(*l, "BDSUBTIPO_BAIXA"), Inteiro(*l, "BDBAIXA_ID"),
                                Inteiro(*l, "BDORDEM"));
        TBaixaAdicional b;
        b.Tipo = static_cast<uint8_t>(tipo);
        if (Inteiro(multi, "BDDEBITO") > 0)
          b.ContaDebito = Inteiro(multi, "BDDEBITO");
        else
          b.ContaCredito = Inteiro(multi, "BDCREDITO");
        b.Valor = multi.FieldByName("BDVALOR").IsNull() ? Currency() : multi.FieldByName("BDVALOR").AsCurrency();
        (*FBaixasAdicionaisDoVinculo)[chave].push_back(b);
      }
    }
  }
}

void TfrConsultaImportacaoLancCCTxtHuge::DeleteMultiplosLancamentos() {
  // The split lines are the entries' level's, whichever level the user is on.
  TDAOFactory* d = DAOLancamentos() ? DAOLancamentos() : DAOAtual();
  if (!d) return;
  TDatabase& db = d->Database();
  const int sessao = Sessao();
  // Links moved onto a split line go back to their source line while it is still in the review;
  // a link whose source line is gone was consumed by its settlement.
  if (TClientDataSet* l = Vinculos()) {
    for (l->First(); !l->Eof();) {
      const TField& pai = l->FieldByName("BDCHAVEPAI");
      if (pai.IsNull() || pai.AsInteger() <= 0) {
        l->Next();
        continue;
      }
      const bool fonte = !db.QueryValue("select BDCHAVE from " + TabelaSessao() +
                                            " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?",
                                        {sessao, l->FieldByName("BDCODEMP").Value(), pai.Value()})
                              .IsNull();
      if (!fonte) {
        l->Delete();
        continue;
      }
      l->Edit();
      l->FieldByName("BDCHAVE").SetValue(pai.Value());
      l->FieldByName("BDCHAVEPAI").Clear();
      l->Post();
      l->Next();
    }
  }
  FDivididas.clear();
  auto sql = std::make_unique<TSQLMGR>();
  sql->CommandText(
      "DELETE FROM " + TabelaSessao() + " WHERE BDSESSAO = ? AND (BDCHAVEOWNER IS NOT NULL)", ctExecute, {sessao});
  d->CommandText(d->GetCommandText(), ctOpen, d->GetCommandParams());
}

// ---------------------------------------------------------------------------------------------------
// Links

void TfrConsultaImportacaoLancCCTxtHuge::spAutoLinkClick(TComponent* sender) {
  spArquivoGrandeClick(sender);
  TfrConsultaImportacaoLancCCTxt::spAutoLinkClick(sender);
}

void TfrConsultaImportacaoLancCCTxtHuge::spRemoveAutoLinkClick(TComponent* sender) {
  spArquivoGrandeClick(sender);
  TDAOFactory* atual = DAOAtual();
  if (!atual) return;
  TDisabledControls controles(atual);
  if (auto* lanc = dynamic_cast<TLancamentoMGR*>(atual); lanc && FProcessoBaixas)
    FProcessoBaixas->DeletarVinculosAutomaticos(this, FCodEmp, lanc);
}

bool TfrConsultaImportacaoLancCCTxtHuge::PodeVincular(TComponent* sender) {
  if ((sender == miImpostos || sender == miCalculo) && FCountSel > 0) {
    DlgInfOk("Ao selecionar lançamentos na coluna \"^Baixar parcelamento\", é possível vincular somente baixas de "
             "^Parcelamentos.");
    return false;
  }
  return true;
}

void TfrConsultaImportacaoLancCCTxtHuge::CompletaParametrosBaixa(TListaObj& lista) {
  lista.Posicao(pvbLinhasDoMultiLanc).AddNil();
  lista.Posicao(pvbQuantidadeSelecionada).AddBoxedInteger(FCountSel);
}

void TfrConsultaImportacaoLancCCTxtHuge::MarcaDesvinculada(TDAOFactory& linha) {
  DAOSetValue(linha, "BDVINC_BAIXA", Variant(std::string("FALSE")), 8);
  // The fine, interest and discount came with the links: the line is whole again.
  if (TLancamentoMGR* lanc = LancamentosMGR(); lanc && lanc->TemMultiLancamentosDAO())
    RemovePartesLinha(*lanc->getMultiLancamentosDAO(), Inteiro(linha, "BDCODEMP"), Inteiro(linha, "BDCHAVE"));
}

// ---------------------------------------------------------------------------------------------------
// Grouped selection

void TfrConsultaImportacaoLancCCTxtHuge::SetLancamentoSelBaixa() {
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return;
  const bool debito = Inteiro(*atual, "BDDEBITO") > 0;
  const bool credito = Inteiro(*atual, "BDCREDITO") > 0;
  if (debito && credito) {
    DlgInfOk("Não é possível selecionar lançamentos com crédito e débito informado. Selecione apenas lançamento a "
             "débito ou crédito para continuar.");
    return;
  }
  const bool marcada = !atual->FieldByName("BDVINC_BAIXA_MULT").IsNull() && atual->FieldByName("BDVINC_BAIXA_MULT").AsBoolean();
  // Only a line being selected has to match the side already chosen; clearing one never conflicts.
  if (!marcada) {
    if (!FUltimoSel.empty() && ((credito && FUltimoSel == "D") || (debito && FUltimoSel == "C"))) {
      DlgInfOk("Não é possível selecionar simultaneamente lançamentos a crédito e a débito. Selecione apenas um tipo "
               "de lançamento para continuar.");
      return;
    }
  }
  DAOSetValue(*atual, "BDVINC_BAIXA_MULT", Variant(std::string(marcada ? "FALSE" : "TRUE")), 2);
  if (marcada) {
    if (FCountSel > 0) --FCountSel;
  } else {
    ++FCountSel;
    if (FUltimoSel.empty() && (debito || credito)) FUltimoSel.assign(1, debito ? 'D' : 'C');
  }
  if (FCountSel == 0) FUltimoSel.clear();
  RefreshGridAux();
}

void TfrConsultaImportacaoLancCCTxtHuge::miTirarSelecaoBaixaClick(TComponent*) {
  TDAOFactory* atual = DAOAtual();
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  {
    auto sql = std::make_unique<TSQLMGR>();
    sql->CommandText("update " + TabelaSessao() + " set BDVINC_BAIXA_MULT = 'FALSE' where BDCODEMP = ? and BDSESSAO = ?",
                     ctExecute, {empresa, Sessao()});
  }
  if (atual && atual->FetchPending()) {
    // The lines held are read again; those still to fetch come cleared from the work table.
    atual->Refresh();
  } else if (atual) {
    TDisabledControls controles(atual);
    const int recno = atual->RecNo();
    // The rows in memory follow; the work table was cleared by the statement above.
    const bool memoria = atual->ControlMemory();
    atual->SetControlMemory(true);
    try {
      for (atual->First(); !atual->Eof(); atual->Next())
        if (!atual->FieldByName("BDVINC_BAIXA_MULT").IsNull() && atual->FieldByName("BDVINC_BAIXA_MULT").AsBoolean()) {
          atual->Edit();
          atual->FieldByName("BDVINC_BAIXA_MULT").SetValue(Variant(std::string("FALSE")));
          atual->Post();
        }
    } catch (...) {
      atual->SetControlMemory(memoria);
      throw;
    }
    atual->SetControlMemory(memoria);
    if (recno > 0 && recno <= atual->RecordCount()) atual->SetRecNo(recno);
  }
  // The selection is derived from the data: none is left, so no side is chosen.
  FCountSel = 0;
  FUltimoSel.clear();
}

void TfrConsultaImportacaoLancCCTxtHuge::grGridCellClickHuge(const std::string& campo) {
  grGrid->SelectedField = campo;
  if (SameText(campo, "BDVINC_BAIXA_MULT"))
    SetLancamentoSelBaixa();
  else if (SameText(campo, kCampoLancarDuplicata)) {
    if (TDAOFactory* atual = DAOAtual(); atual && !atual->IsEmpty()) AlternaLancarAssimMesmo(*atual);
  } else
    setLancamentoConciliado();
  AtualizaInfoGridNF();
}

void TfrConsultaImportacaoLancCCTxtHuge::grGridMouseDown(bool direito) {
  grGrid->PopupMenu = nullptr;
  if (!direito || !SameText(grGrid->SelectedField, "BDVINC_BAIXA_MULT")) return;
  grGrid->PopupMenu = pmSelecaoBaixa;
  // The menu may be dismissed (Esc) with the lines still selected: the side chosen stays what they are.
  DerivaSelecaoBaixa();
}

void TfrConsultaImportacaoLancCCTxtHuge::grGridKeyUp(int key) {
  constexpr int kTeclaCima = 38, kTeclaBaixo = 40;
  TfrConsultaImportacaoLancCCTxt::grGridKeyUp(key);
  if (key == kTeclaCima || key == kTeclaBaixo) AtualizaInfoGridNF();
}

void TfrConsultaImportacaoLancCCTxtHuge::FormKeyPress(char& key) {
  if (ActiveControl() == grGrid) {
    const bool marca = LadoMarcaSelecionada() >= 0;
    // A key the screen acted on goes no further: the grid would switch the mark back. It acts on the
    // line under the cursor, staged already: it does not wait for the rest of the file.
    auto consome = [&key](auto&& acao) {
      acao();
      key = 0;
    };
    if (key == ' ' && marca) return consome([this] { setLancamentoConciliado(); });
    if ((key == 'P' || key == 'p') && marca) return consome([this] { setLancamentoPendente(); });
    if (key == ' ' && SameText(grGrid->SelectedField, "BDVINC_BAIXA_MULT"))
      return consome([this] { SetLancamentoSelBaixa(); });
  }
  TfrConsultaImportacaoLancCCTxt::KeyPress(key);
}

}  // namespace integracao
