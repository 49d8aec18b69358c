#include "integrations/omie/uIntegracaoImpostosOmieMGR.h"

#include <algorithm>
#include <map>

#include "framework/component/resultado_execucao.h"
#include "framework/accounting/conf_contas_online_mgr.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/imposto_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/host/posting_lock_check.h"
#include "framework/livros/livros.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "integrations/omie/uIntegracaoOmie.Clientes.h"
#include "integrations/omie/uIntegracaoOmie.ContasAPagar.h"
#include "integrations/omie/uIntegracaoOmie.MovimentosFinanceiros.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {


std::string DataOuVazio(TDateTime d) { return d.Value == 0 ? "não informado" : DateToStr(d); }

// An Omie payment as a source of the books: Omie's own code of it, which a correction of its date or
// amount in Omie keeps. A payment without it is refused: its payable, day and amount change when it is
// corrected, and a record repeated on another page could not be told from a second payment.
std::string ChavePagamentoOmie(const TMovimentosFinanceiros& m) { return "baixa|" + m.CodigoBaixa; }

std::string DescricaoPagamentoOmie(const TMovimentosFinanceiros& m) {
  return "Pagamento na Omie do título " + m.CodigoIntegracao + " em " + DataOuVazio(m.DataPagamento) +
         (m.ValorPago ? " de " + m.ValorPago->ToBR(2) : std::string());
}

}  // namespace

std::string CodigoFornecedorImposto(int codImp) { return kPrefixoImpostoOmie + std::to_string(codImp); }

std::string CodigoContaPagarImposto(int codEmp, int codImp, int chaveDarf) {
  return kPrefixoImpostoOmie + std::to_string(codEmp) + "_" + std::to_string(codImp) + "_" + std::to_string(chaveDarf);
}

TIntegracaoImpostosOmieMGR::TIntegracaoImpostosOmieMGR(TComponent* owner) : TIntegracao_Padrao_MGR(owner) {}
TIntegracaoImpostosOmieMGR::~TIntegracaoImpostosOmieMGR() = default;

TIntegracaoImpostosOmieMGR* TIntegracaoImpostosOmieMGR::CreateMgr(TComponent* owner) {
  auto* mgr = TDAOFactory::CreateMgrOf<TIntegracaoImpostosOmieMGR>(owner);
  mgr->Inicializa();
  return mgr;
}

bool TIntegracaoImpostosOmieMGR::Inicializa() {
  TIntegracao_Padrao_MGR::Inicializa();
  FEmpresaMGR = TEmpresasMGR::CreateMgrOwned();
  FImpostoMGR = TImpostoMGR::CreateMgrOwned();
  IsTARVO = false;
  FTotalIntegrado = 0;
  TipoIntegracao = 0;
  DescricaoImposto.clear();
  FListaSQLs.clear();
  return true;
}

template <class TCliente>
TCliente* TIntegracaoImpostosOmieMGR::NovoCliente() {
  auto* c = Create<TCliente>(FAppKey, FAppSecreat);
  if (OnPreparaClienteOmie) OnPreparaClienteOmie(*c);
  return c;
}

TComandoSQL TIntegracaoImpostosOmieMGR::getUpdateTARVO(const std::string& prTabela,
                                                       const std::vector<std::string>& prCamposAdc,
                                                       const std::vector<TSQLValor>& prValoresAdc,
                                                       const std::vector<std::string>& prMatchingAdc) const {
  const TProcessContext& ctx = ProcessContext();
  std::vector<std::string> campos{"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO"};
  std::vector<std::string> matching = campos;
  std::vector<TSQLValor> valores{ctx.WP_AGENDAMENTO, Empresa, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO};
  campos.insert(campos.end(), prCamposAdc.begin(), prCamposAdc.end());
  valores.insert(valores.end(), prValoresAdc.begin(), prValoresAdc.end());
  matching.insert(matching.end(), prMatchingAdc.begin(), prMatchingAdc.end());
  return getUpdateOrInsert_VYN(prTabela, campos, valores, matching);
}

std::vector<std::string> TIntegracaoImpostosOmieMGR::NomesBloqueio() const {
  return {"TfrIntegracaoImpostosOmie", "frLancamento"};
}

void TIntegracaoImpostosOmieMGR::AddInconsistencia(const std::string& prInconsistencia) {
  if (IsUnattended()) {
    RegistraInconsistenciaExecucao(prInconsistencia);
    return;
  }
  if (BloqueioLancamento_VYN && BloqueioLancamento_VYN->Inconsistencias())
    BloqueioLancamento_VYN->Inconsistencias()->Add_Atencao(prInconsistencia, true, nullptr, 0, nullptr, "");
}

void TIntegracaoImpostosOmieMGR::TrataErroOmie(int prStatus, const TJsonOmie& prJSON) {
  AddInconsistencia("[OMIE] " + std::to_string(prStatus) + " - " + FaultStringOmie(prJSON));
}

bool TIntegracaoImpostosOmieMGR::VerificaBloqueio() {
  TProcessContext& ctx = ProcessContext();
  IPostingLockCheck* check = ctx.PostingLocks;
  if (!check) return false;
  std::string texto;
  if (!check->Locked(Empresa, FirstDayOfAnoMes(ReferenciaInicial), LastDayOfAnoMes(ReferenciaFinal),
                     ExecucaoDe(this).TelasSQL(), ctx.UserCode, 4, texto))
    return false;
  if (auto* v = dynamic_cast<TVerificaBloqueioLancamento*>(check)) {
    if (v->UltimoTipo() == tbBloqueioLancamento)
      texto = "Não é possível fazer a baixa do imposto pois existe bloqueio de lançamentos para o período.";
    else if (v->UltimoTipo() == tbZeramento)
      texto = "Não é possível fazer a baixa do imposto pois existe processo de zeramento para o período.";
  }
  if (IsUnattended()) {
    const std::string gravado = TextoParaColuna(Database(), "VSH_EMP_TCONF_OMIE_EXPORT", "BDINCONSISTENCIA", texto);
    const TComandoSQL status =
        getUpdateTARVO("VSH_EMP_TCONF_OMIE_EXPORT", {"BDCODSTATUS", "BDINCONSISTENCIA"}, {2, gravado}, {});
    CommandText(status.SQL, ctExecute, status.Params);
    throw EIntegracaoOmie(texto);
  }
  AddInconsistencia(texto);
  return true;
}

void TIntegracaoImpostosOmieMGR::Execute() {
  if (ImportarPagamentos && VerificaBloqueio()) return;
  FListaSQLs.clear();
  FEmpresaMGR->SetReferencia(ReferenciaInicial);
  FEmpresaMGR->CommandText("SELECT * FROM VW_TEMPRESAS_REF WHERE BDCODEMP = ?", ctOpen, {Empresa});
  FImpostoMGR->Select_Edit(Imposto);

  FAppKey = TEmpresasMGR::GetRetornaCampoEmpresa(this, Empresa, "BDCHAVEACESSOOMIE").AsString();
  FAppSecreat =
      TString_VYN(nullptr, TEmpresasMGR::GetRetornaCampoEmpresa(this, Empresa, "BDSENHAOMIE").AsString()).GetDescriptografa();
  const bool semChave = Trim(FAppKey).empty();
  const bool semSenha = Trim(FAppSecreat).empty();
  if (semChave) AddInconsistencia("Chave de acesso não informada na Configuração de Serviços Web");
  if (semSenha) AddInconsistencia("Senha de acesso não informada na Configuração de Serviços Web");
  if (semChave || semSenha) return;

  if (ExportarProvisoes && (TipoIntegracao == 1 || TipoIntegracao == 3)) Exportar();
  if (ImportarPagamentos && (TipoIntegracao == 2 || TipoIntegracao == 3)) Importar();
}

std::string TIntegracaoImpostosOmieMGR::UpsertFornecedor() {
  auto* cli = NovoCliente<TIntegracaoOmieClientes_VYN>();
  TLiberaAoSair libera(cli);
  auto* fornecedor = cli->Create<TClienteFornecedor>();
  fornecedor->CodigoCliente = CodigoFornecedorImposto(Imposto);
  fornecedor->RazaoSocial = FImpostoMGR->GetDESCIMP();
  fornecedor->NomeFantasia = FImpostoMGR->GetDESCIMP();
  fornecedor->Estado = "EX";
  fornecedor->Pais = "BRA";
  auto* r = cli->Upsert(*fornecedor);
  if (r->RetornoOmie.StatusCode != 200) {
    TrataErroOmie(r->RetornoOmie.StatusCode, r->RetornoOmie.Response);
    return {};
  }
  return r->ObjetoRetorno->CodigoClienteOmie;
}

bool TIntegracaoImpostosOmieMGR::GuiaJaExportada(int chaveDarf) {
  return !Database()
              .QueryValue("SELECT FIRST 1 1 FROM VSH_EMP_TCONF_OMIE_DARF WHERE BDCODEMP = ? AND BDCHAVEDARF = ? AND "
                          "BDEXPORTACAO = 1",
                          {Empresa, chaveDarf})
              .IsNull();
}

void TIntegracaoImpostosOmieMGR::Exportar() {
  auto guias = TDarfEmitidosPadraoMGR::CreateMgrOwned();
  guias->SetControlMemory(true);
  guias->CommandText(
      "SELECT d.*, i.bdcodtipimp, i.bdDescImp FROM TDARFPADRAO d left outer join TIMPOSTO i on (d.BDCODIMP = "
      "i.bdcodimp) WHERE d.BDCODEMP = ? AND d.BDCODIMP = ? AND d.BDREFERENCIA BETWEEN ? AND ? ORDER BY d.BDCHAVEDARF",
      ctOpen, {Empresa, Imposto, ReferenciaInicial, ReferenciaFinal});
  TComponent contas;
  std::vector<TContasAPagar*> lote;
  std::string descricao;
  bool algumValor = false;
  int jaExportadas = 0;
  for (guias->First(); !guias->Eof(); guias->Next()) {
    descricao = guias->FieldByName("BDDESCIMP").AsString();
    // A guide a scheduled run already put in Omie is not sent again: Omie would refuse it.
    if (GuiaJaExportada(guias->getChaveDarf())) {
      ++jaExportadas;
      continue;
    }
    const std::string fornecedor = UpsertFornecedor();
    auto* conta = contas.Create<TContasAPagar>();
    conta->CodigoIntegracao = CodigoContaPagarImposto(guias->GetCODEMP(), Imposto, guias->getChaveDarf());
    conta->CodigoCliente = fornecedor;
    conta->DataVencimento = DateToStr(guias->GetDATAVCTO());
    conta->DataPrevisao = conta->DataVencimento;
    conta->ValorDocumento = guias->GetVLRIMPORIGINAL();
    algumValor = algumValor || conta->ValorDocumento > Currency();
    FListaSQLs.push_back(getUpdateTARVO("VSH_EMP_TCONF_OMIE_DARF", {"BDCHAVEDARF", "BDEXPORTACAO"},
                                        {guias->getChaveDarf(), 1}, {"BDCHAVEDARF"}));
    lote.push_back(conta);
  }
  // Guides already in Omie are done: a repeated run has nothing left to send for them.
  FTotalIntegrado += jaExportadas;
  if (!algumValor || lote.empty()) {
    FListaSQLs.clear();
    InformaExportacao(descricao, 0, jaExportadas);
    return;
  }
  EnviaLote(lote, descricao, jaExportadas);
}

void TIntegracaoImpostosOmieMGR::InformaExportacao(const std::string& descricao, int incluidas, int jaNaOmie) {
  if (IsUnattended() || !BloqueioLancamento_VYN || !BloqueioLancamento_VYN->Inconsistencias()) return;
  TInconsistencias_VYN* lista = BloqueioLancamento_VYN->Inconsistencias();
  const std::string prefixo = "Imposto " + std::to_string(Imposto) + " - " + descricao + ": ";
  if (incluidas > 0) lista->Add_Informativo(prefixo + std::to_string(incluidas) + " impostos exportados.");
  if (jaNaOmie > 0) lista->Add_Informativo(prefixo + std::to_string(jaNaOmie) + " impostos já estavam na Omie.");
}

void TIntegracaoImpostosOmieMGR::EnviaLote(const std::vector<TContasAPagar*>& lote, const std::string& descricao,
                                           int jaExportadas) {
  auto* cli = NovoCliente<TIntegracaoOmieContasAPagar_VYN>();
  TLiberaAoSair libera(cli);
  std::vector<TSituacaoLoteOmie> situacao;
  const TRetornoOmieRegistro ret = cli->IncluirPorLote(lote, &situacao);
  // Only what Omie confirmed, or said it already had, counts as exported and is marked so.
  std::vector<TComandoSQL> marcadas;
  int incluidas = 0, jaCadastradas = 0;
  for (size_t i = 0; i < situacao.size() && i < FListaSQLs.size(); ++i) {
    if (situacao[i] == slRecusado) continue;
    (situacao[i] == slIncluido ? incluidas : jaCadastradas)++;
    marcadas.push_back(FListaSQLs[i]);
  }
  FListaSQLs = std::move(marcadas);
  FTotalIntegrado += incluidas + jaCadastradas;
  if (ret.StatusCode != 200) TrataErroOmie(ret.StatusCode, ret.Response);
  if (IsUnattended()) ExecutaListaSQLs(FListaSQLs.size());
  InformaExportacao(descricao, incluidas, jaExportadas + jaCadastradas);
  FListaSQLs.clear();
}

TComandoSQL TIntegracaoImpostosOmieMGR::MarcaGuiaImportada(int chave) {
  return getUpdateTARVO("VSH_EMP_TCONF_OMIE_DARF", {"BDCHAVEDARF", "BDIMPORTACAO"}, {chave, 1}, {"BDCHAVEDARF"});
}

void TIntegracaoImpostosOmieMGR::ExecutaListaSQLs(size_t quantos) {
  quantos = std::min(quantos, FListaSQLs.size());
  if (quantos > 0) {
    TDatabase& db = Database();
    try {
      TTransaction t(db);
      for (size_t i = 0; i < quantos; ++i) FListaSQLs[i].Execute(db);
      t.Commit();
    } catch (const std::exception& e) {
      AddInconsistencia(std::string("Não foi possível gravar a conferência da integração Omie: ") + e.what());
    }
  }
  FListaSQLs.clear();
}

int TIntegracaoImpostosOmieMGR::LocalizaGuia(const TMovimentosFinanceiros& mov, const std::vector<int>& jaBaixadas) {
  const std::string nosso = kPrefixoImpostoOmie + std::to_string(Empresa) + "_" + std::to_string(Imposto) + "_";
  if (!StartsWithText(mov.CodigoIntegracao, kPrefixoImpostoOmie)) {
    // A payable made in Omie names no guide. Its due date may fit several open guides, and a guide
    // settled by it leaves the next one of that date open for the same payment on the next run: so it
    // settles nothing and the user matches it by hand.
    AddInconsistencia("O pagamento do título \"" + mov.CodigoIntegracao + "\" (documento \"" + mov.NumeroDocumento +
                      "\", vencimento " + DataOuVazio(mov.DataVencimento) + ", pago em " +
                      DataOuVazio(mov.DataPagamento) +
                      ") não foi incluído por esta integração na Omie e não indica a guia que paga: nenhuma guia "
                      "foi baixada por ele.");
    return -1;
  }
  // Our own payable names its guide; one of another company or tax is not this run's to settle.
  if (mov.CodigoIntegracao.rfind(nosso, 0) != 0) return -1;
  const std::string chaveTexto = mov.CodigoIntegracao.substr(nosso.size());
  if (chaveTexto.empty() || chaveTexto.size() > 9 || OnlyDigits(chaveTexto) != chaveTexto) return -1;
  const int chave = std::stoi(chaveTexto);
  // Looked up by its key, not in the due-date window: Omie lets the user move a payable's due date.
  const Variant guia = Database().QueryValue(
      "SELECT BDCHAVEDARF FROM TDARFPADRAO WHERE BDCODEMP = ? AND BDCODIMP = ? AND BDCHAVEDARF = ?",
      {Empresa, Imposto, chave});
  if (guia.IsNull()) return -1;
  if (std::find(jaBaixadas.begin(), jaBaixadas.end(), chave) != jaBaixadas.end()) return -1;
  const Variant saldo = Database().QueryValue(
      "SELECT BDSALDOAPAGAR FROM TDARFGERPGTO WHERE BDCODEMP = ? AND BDCHAVEDARF = ?", {Empresa, chave});
  if (!saldo.IsNull() && saldo.AsCurrency() <= Currency()) {
    // Paid already, by the payable that names it: an earlier run settled it and may have ended before
    // it marked it, so the mark is written now.
    FListaSQLs.push_back(MarcaGuiaImportada(chave));
    return -1;
  }
  if (mov.DataPagamento.Value == 0) {
    // Without it the settlement would be dated 30/12/1899 and refused for a reason that hides this one.
    AddInconsistencia("O pagamento da guia " + std::to_string(chave) + " (título \"" + mov.CodigoIntegracao +
                      "\") veio da Omie sem data de pagamento: a guia não foi baixada.");
    return -1;
  }
  return chave;
}

bool TIntegracaoImpostosOmieMGR::PagamentoAceito(const TMovimentosFinanceiros& m, int chave) {
  const std::string guia = "O pagamento da guia " + std::to_string(chave) + " (título \"" + m.CodigoIntegracao + "\")";
  if (!m.ValorPagoInvalido.empty() || (m.ValorPago && *m.ValorPago <= Currency())) {
    AddInconsistencia(guia + " veio da Omie com o valor pago \"" + (m.ValorPago ? m.ValorPago->ToBR(2) : m.ValorPagoInvalido) +
                      "\": a guia não foi baixada.");
    return false;
  }
  if (m.CodigoBaixa.empty()) {
    AddInconsistencia(guia + ", pago em " + DataOuVazio(m.DataPagamento) +
                      ", veio da Omie sem o código da baixa (nCodBaixa): a guia não foi baixada.");
    return false;
  }
  return true;
}

bool TIntegracaoImpostosOmieMGR::PagamentoJaLancado(TLivros& livros, const TMovimentosFinanceiros& m) {
  const std::optional<TFonteRegistrada> antes =
      livros.FonteRegistrada(Empresa, TTipoFonte::PagamentoOmie, ChavePagamentoOmie(m));
  if (!antes) return false;
  // Omie corrected a payment settled before: the settlement stands as it was booked, and the user is
  // told what changed, which no run settles by itself.
  std::vector<std::string> mudou;
  if (!m.Liquidado && m.ValorPago && antes->Valor > Currency() && *m.ValorPago != antes->Valor)
    mudou.push_back("o valor para " + m.ValorPago->ToBR(2) + " (baixado " + antes->Valor.ToBR(2) + "; diferença de " +
                    (*m.ValorPago - antes->Valor).Abs().ToBR(2) + " não baixada)");
  if (antes->ChaveLancamento > 0 && m.DataPagamento.Value != 0) {
    const Variant dia = Database().QueryValue("SELECT BDDATA FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDCHAVE = ?",
                                              {Empresa, antes->ChaveLancamento});
    if (!dia.IsNull() && dia.AsDateTime().Days() != m.DataPagamento.Days())
      mudou.push_back("a data para " + DateToStr(m.DataPagamento) + " (baixado em " + DateToStr(dia.AsDateTime()) + ")");
  }
  if (mudou.empty()) return true;
  std::string aviso = "O pagamento " + m.CodigoBaixa + " do título \"" + m.CodigoIntegracao + "\" foi alterado na Omie: " +
                      Join(mudou, " e ") + ". A baixa";
  if (antes->ChaveLancamento > 0) aviso += " do lançamento " + std::to_string(antes->ChaveLancamento);
  if (!antes->DataHora.empty()) aviso += ", feita em " + antes->DataHora + ",";
  AddInconsistencia(aviso + " não foi alterada; confira o pagamento e a baixa da guia.");
  return true;
}

bool TIntegracaoImpostosOmieMGR::BaixaPagamento(TLivros& livros, TProcessoBaixas& baixas, const TDadosBaixaImposto& dados,
                                                TFonteLancada& f, TBloqueioLancamento_VYN* bloqueioBaixa) {
  TInconsistencias_VYN* problemas = bloqueioBaixa->Inconsistencias();
  // The settlement engine reports instead of raising: a new warning or error means the guide was not
  // settled, and then it is neither counted nor marked, nor its payment recorded.
  const int antes = problemas->CountErros() + problemas->CountAtencao();
  TTransaction tx(Database());
  try {
    // The same money booked by another road (the entry fetch's line of this payment) is left out; two
    // payments Omie tells apart by their codes are two payments, however alike.
    if (const std::optional<TFonteRegistrada> igual = livros.MovimentoIgual(f);
        igual && igual->Tipo != TTipoFonte::PagamentoOmie) {
      tx.Rollback();
      AddInconsistencia(f.Descricao + ": não foi baixado, provável duplicidade de " + igual->Descricao +
                        (igual->ChaveLancamento > 0 ? ", já lançado no lançamento " + std::to_string(igual->ChaveLancamento)
                                                    : std::string(", já lançado")) +
                        ".");
      return false;
    }
    baixas.RealizaBaixaImposto(this, dados, bloqueioBaixa);
    // The payment's record names the settlement's entry and what it booked, in its transaction.
    if (problemas->CountErros() + problemas->CountAtencao() != antes || !baixas.NomeiaBaixaImposto(f)) {
      tx.Rollback();
      return false;
    }
    livros.RegistraFonte(f);
  } catch (const EFonteJaLancada& e) {
    tx.Rollback();   // another workstation booked it meanwhile
    AddInconsistencia(e.what());
    return false;
  }
  tx.Commit();
  return true;
}

namespace {

// The run's paying account: the classification's main configuration (the one no other is linked
// under), else its lowest key, so that the choice never depends on the order rows come in.
void ContaDePagamento(TIntegracaoImpostosOmieMGR& mgr, int plano, int refIni, int refFim, TDadosBaixaImposto& dados) {
  auto* conf = TCONF_CONTAS_ONLINEMGR::CreateMgr(&mgr);
  TLiberaAoSair liberaConf(conf);
  conf->getConsultaVariasContas(plano, 0, refIni, kClassificacaoPrincipal.Pagamento, true, true, false, -1);
  // A range that starts before the configuration does still has payments it covers: its accounts as
  // of the range's last month (the settlement checks them at each payment's date).
  if (conf->IsEmpty() && refFim != refIni)
    conf->getConsultaVariasContas(plano, 0, refFim, kClassificacaoPrincipal.Pagamento, true, true, false, -1);
  for (conf->First(); !conf->Eof() && !conf->FieldByName("BDCHAVEVINC").IsNull();) conf->Next();
  if (conf->Eof()) conf->First();
  dados.ChaveConfOnline = conf->GetCHAVE();
  dados.ContaContabilCredito = conf->GetCONTACREDPGTO();
}

// The settlements' own messages, once each and under their own kind.
void RepassaMensagensDasBaixas(TIntegracaoImpostosOmieMGR& mgr, const TInconsistencias_VYN& problemas,
                               TInconsistencias_VYN* lista) {
  for (const TInconsistenciaItem& item : problemas.Itens()) {
    if (IsUnattended()) {
      if (item.Nivel != niInformativo) mgr.AddInconsistencia(item.Caption);
    } else if (lista) {
      if (item.Nivel == niErro) lista->Add_Erro(item.Caption);
      else if (item.Nivel == niAtencao) lista->Add_Atencao(item.Caption);
      else lista->Add_Informativo(item.Caption);
    }
  }
}

}  // namespace

void TIntegracaoImpostosOmieMGR::Importar() {
  FListaSQLs.clear();
  std::string fornecedor;
  {
    auto* cli = NovoCliente<TIntegracaoOmieClientes_VYN>();
    TLiberaAoSair libera(cli);
    auto* r = cli->GetPeloCodigoIntegracao(CodigoFornecedorImposto(Imposto));
    if (r->RetornoOmie.StatusCode == 200 && r->ObjetoRetorno) fornecedor = r->ObjetoRetorno->CodigoClienteOmie;
  }
  if (Trim(fornecedor).empty()) {
    AddInconsistencia("Não foi encontrado um fornecedor vinculado com o imposto \"" + std::to_string(Imposto) + " - " +
                      DescricaoImposto + "\" na Omie! Para criar um fornecedor para o imposto realize a exportação.");
    return;
  }
  auto* bloqueioBaixa = Create<TBloqueioLancamento_VYN>();
  TLiberaAoSair liberaBloqueio(bloqueioBaixa);
  auto* cli = NovoCliente<TIntegracaoOmieMovimentosFinanceiros_VYN>();
  TLiberaAoSair liberaCliente(cli);
  TProcessoBaixas baixas(this, nullptr);

  auto* r = cli->GetPagosDaReferencia(FirstDayOfAnoMes(ReferenciaInicial), LastDayOfAnoMes(ReferenciaFinal), fornecedor);
  if (r->RetornoOmie.StatusCode != 200) {
    TrataErroOmie(r->RetornoOmie.StatusCode, r->RetornoOmie.Response);
    return;
  }

  const int plano = FEmpresaMGR->IsEmpty() ? 0 : static_cast<int>(FEmpresaMGR->FieldByName("BDCODPLANOONLINE").AsInteger());
  TDadosBaixaImposto dados;
  dados.CodigoEmpresa = Empresa;
  dados.PlanoOnline = plano;
  ContaDePagamento(*this, plano, ReferenciaInicial, ReferenciaFinal, dados);
  const int contaCredito = dados.ContaContabilCredito;
  TInconsistencias_VYN* problemas = bloqueioBaixa->Inconsistencias();
  TInconsistencias_VYN* lista = BloqueioLancamento_VYN ? BloqueioLancamento_VYN->Inconsistencias() : nullptr;
  TDatabase& db = Database();
  TLivros livros(db, ExecucaoDe(this));
  std::vector<int> baixadas;   // guides left with nothing to pay by this run
  int contador = 0;
  // The guides' tax is the run's: its description is the one the guide listing carries.
  const std::string descricao = FImpostoMGR->GetDESCIMP().empty() ? DescricaoImposto : FImpostoMGR->GetDESCIMP();
  for (const TMovimentosFinanceiros* m : r->ObjetoRetorno) {
    if (!m->CodigoBaixa.empty() && PagamentoJaLancado(livros, *m)) {
      // Its guide is still looked up: one it paid off is marked, should an earlier run have ended first.
      LocalizaGuia(*m, baixadas);
      continue;
    }
    const int chave = LocalizaGuia(*m, baixadas);
    if (chave < 0 || !PagamentoAceito(*m, chave)) continue;
    dados.DataPagamento = m->DataPagamento;
    dados.NumeroDocumento = m->NumeroDocumento;
    dados.CodigoDarf = std::to_string(chave);
    // A payable Omie calls paid off settles what the guide still owes (an earlier part was settled by
    // its own payment); a payment that names no amount as well.
    dados.ValorPago = m->Liquidado ? Currency() : m->ValorPago.value_or(Currency());
    TFonteLancada f{Empresa, TTipoFonte::PagamentoOmie, ChavePagamentoOmie(*m), DescricaoPagamentoOmie(*m)};
    f.Valor = m->ValorPago.value_or(Currency());
    f.Movimento = {m->DataPagamento, 0, contaCredito, m->NumeroDocumento};
    if (!BaixaPagamento(livros, baixas, dados, f, bloqueioBaixa)) continue;
    ++contador;
    const Variant saldo =
        db.QueryValue("SELECT BDSALDOAPAGAR FROM TDARFGERPGTO WHERE BDCODEMP = ? AND BDCHAVEDARF = ?", {Empresa, chave});
    if (!saldo.IsNull() && saldo.AsCurrency() > Currency()) {
      // Settled partly: the rest stays open for the payments still to come.
      if (lista)
        lista->Add_Informativo("Imposto " + std::to_string(Imposto) + " - " + descricao + ": a guia " +
                               std::to_string(chave) + " foi baixada parcialmente (pago " + f.Valor.ToBR(2) + " em " +
                               DateToStr(m->DataPagamento) + "); restam " + saldo.AsCurrency().ToBR(2) + " a pagar.");
      continue;
    }
    baixadas.push_back(chave);
    FListaSQLs.push_back(MarcaGuiaImportada(chave));
  }
  FTotalIntegrado += contador;
  if (IsUnattended()) ExecutaListaSQLs(FListaSQLs.size());
  if (contador > 0 && !IsUnattended() && lista)
    lista->Add_Informativo("Imposto " + std::to_string(Imposto) + " - " + descricao + ": " +
                           std::to_string(contador) + " impostos importados.");
  FListaSQLs.clear();
  RepassaMensagensDasBaixas(*this, *problemas, lista);
}

}  // namespace integracao
