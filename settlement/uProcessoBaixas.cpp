#include "settlement/uProcessoBaixas.h"

#include <fmt/format.h>

#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/accounting/settlement_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"

namespace integracao {

using namespace vyn;

namespace {


bool Vazio(const Variant& v) {
  return v.IsNull() || (v.Type() == VarType::String && Trim(v.AsString()).empty());
}

std::string FlagBD(bool b) { return b ? "TRUE" : "FALSE"; }

}  // namespace

std::string ChaveGuia(int64_t codEmp, const std::string& codigoDarf) {
  return fmt::format("{}......{}..", codEmp, codigoDarf);
}

std::string ChaveCalculo(int64_t planoOnline, int64_t codEmp, int64_t baixaId) {
  return fmt::format("{}.{}.....{}", planoOnline, codEmp, baixaId);
}

std::string ChaveParcela(int64_t codEmp, int64_t baixaId, int ordem, int livro) {
  return fmt::format("{}...{}.{}.{}", codEmp, baixaId, ordem, livro);
}

std::string ChaveParcelaLancada(int64_t codEmp, int64_t chave, const std::string& parcela,
                                const std::string& natureza, int64_t chaveLancamento) {
  return fmt::format("{}|{}|{}|{}|{}", codEmp, chave, parcela, natureza, chaveLancamento);
}

bool IsTelaRevisaoImportacao(const TComponent* sender) {
  if (!sender) return false;
  const std::string n = sender->ClassName();
  return n == "TfrConsultaImportacaoExtratoBancario" || n == "TfrConsultaImportacaoLancCCTxtHuge" ||
         n == "TfrConsultaImportacaoLancCCTxt";
}

TProcessoBaixas::TProcessoBaixas(TComponent* prOwner, TDAOFactory* prDAOImport)
    : FOwner(prOwner), FDAO(prDAOImport) {
  FDataSource = std::make_unique<TDataSource>(nullptr);
  FVincBaixa = TLancamentoMGR::NewClientDataSetBaixas();
  FVincCompBaixa = TLancamentoMGR::NewClientDataSetBaixas();
  cdsVINC_EXT_BAN_BAIXA = FVincBaixa.get();
  cdsVINC_EXT_BAN_COMP_BAIXA = FVincCompBaixa.get();
  // Whether a new link is on the whole line (BDCHAVELANC not positive) is known only once its
  // columns are set, so the split lines are dropped when the new row is posted, not when it starts.
  cdsVINC_EXT_BAN_BAIXA->BeforePost = [this](TClientDataSet& ds) {
    if (ds.State() == TDataSetState::dsInsert) OnNewRecord(ds);
  };
}

TProcessoBaixas::~TProcessoBaixas() {
  // The runs unbind the entries from the link set before they return, also after an error.
  FDataSource.reset();
  cdsVINC_EXT_BAN_BAIXA = nullptr;
  cdsVINC_EXT_BAN_COMP_BAIXA = nullptr;
  FVincBaixa.reset();
  FVincCompBaixa.reset();
  // The company edit and guide manager of the tax settlements are made under the caller's screen,
  // which outlives this run: a screen running one settlement per company would keep them all.
  if (FDarfGerPgto && FDarfGerPgto->Owner()) FDarfGerPgto->Owner()->FreeComponent(FDarfGerPgto);
  if (FCodEmpBaixaImposto && FCodEmpBaixaImposto->Owner())
    FCodEmpBaixaImposto->Owner()->FreeComponent(FCodEmpBaixaImposto);
}

int TProcessoBaixas::PlanoOnlineEmpresa(const TEdit_Codigo_Search_VYN* codEmp) const {
  if (!codEmp) return 0;
  if (const TCodigoRegistro* reg = codEmp->GetDaoFactory()) {
    Variant p = reg->Campo("BDCODPLANOONLINE");
    if (!Vazio(p)) return static_cast<int>(p.AsInteger());
  }
  return static_cast<int>(codEmp->GetCodPlanoEmpresa(tpePlanoOnline));
}

const TClientDataSet* TProcessoBaixas::LinkAtual(const TFonte& f) const {
  if (f.Link) return f.Link;
  if (cdsVINC_EXT_BAN_BAIXA && !cdsVINC_EXT_BAN_BAIXA->IsEmpty()) return cdsVINC_EXT_BAN_BAIXA;
  if (cdsVINC_EXT_BAN_COMP_BAIXA && !cdsVINC_EXT_BAN_COMP_BAIXA->IsEmpty()) return cdsVINC_EXT_BAN_COMP_BAIXA;
  return nullptr;
}

TDateTime TProcessoBaixas::DataPagamento(const TFonte& f) const {
  if (RegistroEmUso()) return FDadosBaixaImposto.DataPagamento;
  return f.DAO ? f.DAO->FieldByName("BDDATA").AsDateTime() : TDateTime();
}

int TProcessoBaixas::PlanoOnline(const TFonte& f) const {
  if (RegistroEmUso()) return FDadosBaixaImposto.PlanoOnline;
  return PlanoOnlineEmpresa(f.CodEmp);
}

int TProcessoBaixas::GetChaveLancamento(TComponent*) const {
  if (RegistroEmUso()) return FDadosBaixaImposto.ChaveConfOnline;
  return FChaveConfOnline;
}

int TProcessoBaixas::ContaCredito(const TFonte& f) const {
  if (RegistroEmUso()) return FDadosBaixaImposto.ContaContabilCredito;
  return f.DAO ? GetContaInteger(*f.DAO, "BDCREDITO") : 0;
}

std::string TProcessoBaixas::NumeroDcto(const TFonte& f) const {
  if (RegistroEmUso()) return FDadosBaixaImposto.NumeroDocumento;
  return f.DAO ? f.DAO->FieldByName("BDDCTO").AsString() : std::string();
}

Currency TProcessoBaixas::ValorPgto(const TFonte& f) const {
  if (!f.DAO) return Currency();
  const Currency entrada = f.DAO->FieldByName("BDVALOR").AsCurrency();
  const TClientDataSet* link = LinkAtual(f);
  if (!link || link->IsEmpty()) return entrada;
  const Currency vinculo = link->FieldByName("BDVALOR").AsCurrency();
  return std::min(entrada, vinculo);
}

Currency TProcessoBaixas::ValorPgtoParcial(const TFonte& f) const {
  if (!f.DAO) return FValorParcial;
  return std::min(f.DAO->FieldByName("BDVALOR").AsCurrency(), FValorParcial);
}

int64_t TProcessoBaixas::ChaveOrigem(const TFonte& f) const {
  if (RegistroEmUso() || !f.DAO || f.DAO->IsEmpty()) return 0;
  return f.DAO->FieldByName("BDCHAVE").AsInteger();
}

int TProcessoBaixas::GetContaInteger(const TClientDataSet& prDAO, const std::string& prColuna) const {
  const TClientDataSet* link = nullptr;
  if (cdsVINC_EXT_BAN_BAIXA && !cdsVINC_EXT_BAN_BAIXA->IsEmpty())
    link = cdsVINC_EXT_BAN_BAIXA;
  else if (cdsVINC_EXT_BAN_COMP_BAIXA && !cdsVINC_EXT_BAN_COMP_BAIXA->IsEmpty())
    link = cdsVINC_EXT_BAN_COMP_BAIXA;
  return ContaDoVinculo(prDAO, prColuna, link);
}

int TProcessoBaixas::ContaDoVinculo(const TClientDataSet& prDAO, const std::string& prColuna,
                                    const TClientDataSet* link) const {
  const Variant v = prDAO.IsEmpty() ? Variant() : prDAO.FieldByName(prColuna).Value();
  if (!Vazio(v)) return static_cast<int>(v.AsInteger());
  if (!FEditConta) return 0;
  // A split line carries no bank account: its link answers the account of the statement.
  if (link && !link->IsEmpty() && link->FieldByName("BDCHAVEPAI").AsInteger() > 0)
    return static_cast<int>(FEditConta->Codigo());
  return 0;
}

std::string TProcessoBaixas::StringDarf(const TFonte& f, const std::string& prCodigo) const {
  return ChaveGuia(f.CodEmp ? f.CodEmp->Codigo() : 0, prCodigo);
}

int TProcessoBaixas::SessaoBaixas(TDAOFactory* dao) {
  if (ModoArquivoGrande(dao)) return dao->Sessao();
  if (FSessaoBaixas == 0 && dao) FSessaoBaixas = NovaSessaoRevisao(dao->Database());
  return FSessaoBaixas;
}

void TProcessoBaixas::IniciaContagemErros(const TInconsistencias_VYN* prInconsistencias) {
  FCountErros = prInconsistencias ? prInconsistencias->Count() : 0;
}

void TProcessoBaixas::SetaNaoImporta(TDAOFactory* dao, TInconsistencias_VYN* prInconsistencias) {
  const int count = prInconsistencias ? prInconsistencias->Count() : 0;
  const bool novaMensagem = count != FCountErros;
  // The check of saved links posts nothing, so it leaves the entries as they are.
  if (dao && !dao->IsEmpty() && !FPrimeiroTeste) {
    if (ModoArquivoGrande(dao)) {
      // The staged row is flagged in its work table, where the import and the clean-up read it.
      TDatabase& db = dao->Database();
      const std::string& tabela = TabelaTrabalho(*dao);
      const std::string onde = " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE = ?";
      const TParams chave{dao->Sessao(), Variant(static_cast<long long>(dao->FieldByName("BDCODEMP").AsInteger())),
                          Variant(static_cast<long long>(dao->FieldByName("BDCHAVE").AsInteger()))};
      const std::string aviso = std::to_string(miAvisoBaixa);
      if (novaMensagem) {
        db.Execute("update " + tabela + " set BDINCONSISTENTE = " + aviso + onde, chave);
      } else {
        TParams p{Variant(FlagBD(FContaDebCre)), Variant(FlagBD(!FContaDebCre))};
        p.insert(p.end(), chave.begin(), chave.end());
        db.Execute("update " + tabela + " set BDINCONSISTENTE = " + std::to_string(miForaDaImportacao) +
                       ", BDCONCD = ?, BDCONCC = ?" + onde + " and (BDINCONSISTENTE is null or BDINCONSISTENTE <> " +
                       aviso + ")",
                   p);
      }
    } else {
      // An entry flagged so by an earlier link of its own is left as it is.
      TField& inc = dao->FieldByName("BDINCONSISTENTE");
      const Variant aviso(static_cast<long long>(miAvisoBaixa));
      const Variant fora(static_cast<long long>(miForaDaImportacao));
      if (novaMensagem) {
        if (!inc.Holds(aviso)) {
          dao->Edit();
          inc.SetValue(aviso);
          dao->Post();
        }
      } else if (inc.IsNull() || inc.AsInteger() != miAvisoBaixa) {
        TField& concD = dao->FieldByName("BDCONCD");
        TField& concC = dao->FieldByName("BDCONCC");
        if (!(inc.Holds(fora) && concD.Holds(Variant(FContaDebCre)) && concC.Holds(Variant(!FContaDebCre)))) {
          dao->Edit();
          inc.SetValue(fora);
          concD.SetAsBoolean(FContaDebCre);
          concC.SetAsBoolean(!FContaDebCre);
          dao->Post();
        }
      }
    }
  }
  FCountErros = count;
}

void TProcessoBaixas::OnNewRecord(TClientDataSet& ds) {
  // A new link on a whole statement line replaces the line's split lines.
  auto* lanc = dynamic_cast<TLancamentoMGR*>(FDAO);
  if (!lanc || &ds != cdsVINC_EXT_BAN_BAIXA || FCarregandoVinculos) return;
  if (cdsVINC_EXT_BAN_BAIXA->State() != TDataSetState::dsInsert) return;
  if (cdsVINC_EXT_BAN_BAIXA->FieldByName("BDCHAVELANC").AsInteger() > 0) return;
  if (lanc->IsEmpty()) return;
  TClientDataSet* multi = lanc->getMultiLancamentosDAO();
  multi->CancelRange();
  const Variant emp = lanc->FieldByName("BDCODEMP").Value();
  const Variant chave = lanc->FieldByName("BDCHAVE").Value();
  multi->SetRange({emp, chave}, {emp, chave});
  multi->First();
  while (!multi->IsEmpty()) multi->Delete();
  multi->CancelRange();
}

}  // namespace integracao

namespace integracao {

using namespace vyn;

void TProcessoBaixas::RealizaBaixaImposto(TComponent* prSender, const TDadosBaixaImposto& prDados,
                                          TBloqueioLancamento_VYN* prBloqueioLancamento) {
  FDadosBaixaImposto = prDados;
  FDadosBaixaImposto.Utilizado = true;
  if (!FCodEmp) {
    FCodEmp = FCodEmpBaixaImposto = prSender->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
    FCodEmp->SetText(std::to_string(prDados.CodigoEmpresa));
  }
  if (FCodEmp->Codigo() != prDados.CodigoEmpresa) {
    FCodEmp->Vale(prDados.CodigoEmpresa);
    FCodEmp->Validate();
  }
  const std::vector<std::string> chaves{GetStringDarf(prDados.CodigoDarf)};
  if (!FDarfGerPgto) FDarfGerPgto = TDARFGERPGTOMGR::CreateMgr(prSender, true, false, false);
  FDarfGerPgto->Inicializa();
  FDarfGerPgto->SetCODEMP(FCodEmp);
  FDarfGerPgto->SetInconsistencia(prBloqueioLancamento ? prBloqueioLancamento->Inconsistencias() : nullptr);
  FDarfGerPgto->OnGetDataPagamento = [this](TComponent* s) { return GetDataPagamento(s); };
  FDarfGerPgto->OnGetPlanoOnline = [this](TComponent* s) { return GetPlanoOnline(s); };
  FDarfGerPgto->OnGetChaveLancamento = [this](TComponent* s) { return GetChaveLancamento(s); };
  FDarfGerPgto->OnGetContaCredito = [this](TComponent* s) { return GetContaCredito(s); };
  FDarfGerPgto->OnGetNumeroDcto = [this](TComponent* s) { return GetNumeroDcto(s); };
  // A paid guide settles what was paid (above its open balance it is refused), or its open balance when
  // the payment names no amount; there is no imported entry behind it.
  if (prDados.ValorPago > vyn::Currency())
    FDarfGerPgto->OnGetValorPgto = [v = prDados.ValorPago](TComponent*) { return v; };
  else
    FDarfGerPgto->OnGetValorPgto = nullptr;
  FDarfGerPgto->OnGetChaveOrigem = nullptr;
  // A paid guide is never settled into a locked or closed period: the caller's lock object checks
  // the payment date and reports into the list the caller reads.
  FDarfGerPgto->SelectGuiasParaBaixa(chaves, prBloqueioLancamento, prSender->Name(), false);
  FDarfGerPgto->SetIndexFieldNames("BDCHAVEDARF");
  FDarfGerPgto->First();
  FLancamentosImposto.clear();
  while (!FDarfGerPgto->Eof()) {
    const size_t antes = FDarfGerPgto->LancamentosGerados().size();
    FDarfGerPgto->LancaBaixaImpostoAtual("", nullptr, nullptr);
    if (FDarfGerPgto->LancamentosGerados().size() > antes)
      FLancamentosImposto[FDarfGerPgto->LancamentosGerados().back()] += FDarfGerPgto->ValorLancado();
    FDarfGerPgto->Next();
  }
}

bool TProcessoBaixas::NomeiaBaixaImposto(TFonteLancada& f) const {
  f.Valor = Currency();
  for (const auto& [lancamento, valor] : FLancamentosImposto) f.Valor += valor;
  if (f.Valor <= Currency()) return false;
  f.ChaveLancamento = 0;
  f.Partes.clear();
  if (FLancamentosImposto.size() == 1)
    f.ChaveLancamento = FLancamentosImposto.begin()->first;
  else
    f.Partes = PartesPorLancamento(FLancamentosImposto);
  return true;
}

}  // namespace integracao
