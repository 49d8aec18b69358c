#include "entryimport/uAutoThreadIntegracaoArquivosClienteContabil.h"

#include <filesystem>

#include <fmt/format.h>

#include "entryimport/task_parametros.h"
#include "framework/component/resultado_execucao.h"
#include "framework/accounting/arquivo_txt_lancado.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/livros/livros.h"
#include "framework/ui/importacao_treeview.h"
#include "framework/accounting/importacao_lanc_txt.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/class_registry.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

namespace {

// The client's files are in the suite's text layout, fields split by commas.
constexpr char kSeparadorArquivoCliente = ',';

// A period bound YYYYMMDD: eight digits naming a real date.
TDateTime DataParametro(const std::string& nome, const std::string& texto) {
  const std::string t = Trim(texto);
  if (t.size() == 8 && OnlyDigits(t) == t) {
    const int v = std::stoi(t);
    if (IsValidDate(v / 10000, v / 100 % 100, v % 100)) return EncodeDate(v / 10000, v / 100 % 100, v % 100);
  }
  throw std::invalid_argument("'" + texto + "' is not a valid date (" + nome + ", AAAAMMDD)");
}

int DataInteira(TDateTime d) {
  int a = 0, m = 0, dia = 0;
  DecodeDate(d, a, m, dia);
  return a * 10000 + m * 100 + dia;
}

}  // namespace

bool TAutoThreadIntegracaoArquivosClienteContabil::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadIntegracaoArquivosClienteContabil") ||
         TAutoThreadIntegracaoArquivosClienteBase::InheritsFrom(class_name);
}

void TAutoThreadIntegracaoArquivosClienteContabil::Execute() {
  TAutoThreadIntegracaoArquivosClienteBase::Execute();
  CodEmp = ParametroInteiroEstrito(GetParametro("cod_emp"));
  const std::string tipo = Trim(GetParametro("tipo_arquivo"));
  if (tipo.empty() || ParametroInteiroDef(tipo, -1) != kTipoArquivoLancamentosTxt) return;
  // The period goes into the register and the import: only real dates are taken.
  const int refInicial = DataInteira(DataParametro("ref_inicial", GetParametro("ref_inicial")));
  const int refFinal = DataInteira(DataParametro("ref_final", GetParametro("ref_final")));
  if (refInicial > refFinal) {
    RegistraFalhaExecucao(fmt::format("Período inválido: ref_inicial {} é posterior a ref_final {}.", refInicial,
                                      refFinal));
    return;
  }

  const std::string caminho = GetParametro("caminho");
  std::string pasta = caminho;
  if (!pasta.empty() && pasta.back() != '/') pasta += '/';
  std::error_code ec;
  // A folder that is not there is a failed run, not one that found nothing to do.
  if (!fs::is_directory(pasta, ec) && !fs::is_regular_file(caminho, ec)) {
    RegistraFalhaExecucao("Pasta de arquivos do cliente não encontrada: " + caminho);
    return;
  }
  std::vector<std::string> arquivos = ListaArquivos(pasta, "CL*.txt", false);
  if (arquivos.empty() && !caminho.empty() && fs::is_regular_file(caminho, ec)) arquivos.push_back(caminho);
  AddRetornoServidor("ArquivosEncontradosParaOProcesso", static_cast<long long>(arquivos.size()));
  const std::unique_ptr<TDatabase> trava = arquivos.empty() ? nullptr : TravaImportacaoEmpresa(CodEmp);

  int deixados = 0;   // files left alone, every line of them booked before
  for (const std::string& arquivo : arquivos) {
    Arquivo = arquivo;
    const std::string nome = fs::path(arquivo).filename().string();
    const std::string cnpj = nome.size() > 2 ? nome.substr(2, 14) : std::string();
    if (cnpj.size() != 14 || OnlyDigits(cnpj) != cnpj || !IsValidCNPJ(cnpj)) {
      logProcesso("Arquivo \"" + arquivo + "\": CNPJ do arquivo não é válido, portanto o arquivo será ignorado.");
      continue;
    }
    const std::vector<int> empresas = TEmpresasMGR::getCodigoEmpresaPorCNPJ(this, cnpj);
    if (std::find(empresas.begin(), empresas.end(), CodEmp) == empresas.end()) {
      logProcesso("Arquivo \"" + arquivo + "\": CNPJ do arquivo não corresponde ao CNPJ da empresa " +
                  std::to_string(CodEmp) + ", portanto o arquivo será ignorado.");
      continue;
    }
    // A file run before is read again: its lines' accounts in the record of booked sources, not the file,
    // say what is booked (lines whose entries were deleted since, or refused then, are booked now; the
    // others are told as booked before). A file seen before may also hold lines posted by other means:
    // its lines are compared with the entries already posted, so that each is posted once.
    const bool registradoAntes = ArquivoRegistradoAntes(arquivo);
    if (registradoAntes)
      if (const std::optional<long long> lancadas = TodoLancado(arquivo)) {
        logProcesso("Arquivo \"" + arquivo + "\" já importado: todas as suas linhas estão lançadas.");
        TContagemImportacao contagem;
        contagem.Importacoes = 1;
        contagem.JaLancados = *lancadas;
        RegistraContagemExecucao(contagem);
        ++deixados;
        Arquivo.clear();
        continue;
      }
    Ordem = RegistraArquivo(arquivo, refInicial, refFinal);
    ImportacaoConcluida = false;
    try {
      ImportaArquivo(refInicial, refFinal, registradoAntes);
    } catch (const std::exception& e) {
      // One unreadable file is that file's problem: it is recorded under its registration and the
      // folder goes on with the next file.
      RegistraErroArquivo(e.what());
    } catch (...) {
      setProcessoFinalizado();
      Arquivo.clear();
      throw;
    }
    setProcessoFinalizado();
    Arquivo.clear();
  }
  // Each file told its own end; the run's message tells what all of them did.
  const TResultadoExecucao* r = ResultadoExecucao();
  if (r && (r->Contagem.Importacoes > 1 || deixados > 0)) RegistraMensagemExecucao(MensagemFimImportacao(r->Contagem));
}

std::optional<long long> TAutoThreadIntegracaoArquivosClienteContabil::TodoLancado(const std::string& arquivo) const {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  TLivros livros(*db, ExecucaoDe(this));
  return ArquivoTxtTodoLancado(livros, arquivo, kSeparadorArquivoCliente, CodEmp);
}

void TAutoThreadIntegracaoArquivosClienteContabil::RegistraErroArquivo(const std::string& erro) {
  ImportacaoConcluida = false;
  // Whatever the failed import left open is undone before anything is recorded.
  if (TDatabase* db = ProcessContext().Database; db && db->InTransaction()) db->Rollback();
  const std::string texto = fmt::format("Arquivo \"{}\" não importado: {}", Arquivo, erro);
  logProcesso(texto);
  TInconsistencias_VYN lista;
  lista.Add_Erro(CodEmp, texto);
  try {
    gravaInconsistenciasArquivo(lista);
  } catch (const std::exception& e) {
    logProcesso(std::string("Não foi possível registrar a inconsistência do arquivo: ") + e.what());
  }
  RegistraInconsistenciaExecucao(texto);
}

int TAutoThreadIntegracaoArquivosClienteContabil::RegistraArquivo(const std::string& caminho, int refInicial,
                                                                  int refFinal) {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  TTransaction tx(*db);
  db->Execute(
      "delete from TINTEGRACAO_ARQ_CLIENTE a where ((a.BDCODEMP = ?) and (a.BDCAMINHO = ?) and (a.BDREFINICIAL = ?) "
      "and (a.BDREFFINAL = ?) and (a.BDTIPOARQUIVO = ?))",
      {CodEmp, caminho, refInicial, refFinal, kTipoArquivoLancamentosTxt});
  const std::vector<Variant> r = db->ExecuteReturning(
      "insert into TINTEGRACAO_ARQ_CLIENTE (BDORDEM, BDCODEMP, BDCAMINHO, BDREFINICIAL, BDREFFINAL, BDTIPOARQUIVO) "
      "values ((select coalesce(max(bdordem),0)+1 from TINTEGRACAO_ARQ_CLIENTE where BDCODEMP = ?), ?, ?, ?, ?, ?) "
      "returning BDORDEM",
      {CodEmp, CodEmp, caminho, refInicial, refFinal, kTipoArquivoLancamentosTxt});
  const int ordem = static_cast<int>(r.at(0).AsInteger());
  // The number may be the one an earlier attempt of this file had: its problems are not this attempt's.
  db->Execute("delete from TINTEGRACAO_ARQ_CLIENTE_INCONS where BDCODEMP = ? and BDORDEM = ?", {CodEmp, ordem});
  tx.Commit();
  return ordem;
}

bool TAutoThreadIntegracaoArquivosClienteContabil::ArquivoRegistradoAntes(const std::string& caminho) const {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return db->QueryValue("select count(*) from TINTEGRACAO_ARQ_CLIENTE where BDCODEMP = ? and BDCAMINHO = ? and "
                        "BDTIPOARQUIVO = ?",
                        {CodEmp, caminho, kTipoArquivoLancamentosTxt})
             .AsInteger() > 0;
}

void TAutoThreadIntegracaoArquivosClienteContabil::ImportaArquivo(int refInicial, int refFinal,
                                                                  bool compararLancamentos) {
  logProcesso("Lançamento contábeis layout VYN padrão TXT");
  const std::string processo = "Importação de lançamentos contábeis layout VYN";

  auto* mgr = TImportacaoLancamentoContabilTxtMgr::CreateMgr(this);
  struct TLibera {
    TComponent* dono;
    TComponent* c;
    ~TLibera() { dono->FreeComponent(c); }
  } libera{this, mgr};
  mgr->SetOwner(this);
  mgr->SetTypeSistema(4);
  mgr->SetTypeLancamento(1);
  auto* edEmpresa = mgr->Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  edEmpresa->Vale(CodEmp);
  edEmpresa->Validate();
  mgr->SetCodEmp(edEmpresa);
  auto* edArquivo = mgr->Create<TEdit_Diretorio_Padrao_VYN>();
  edArquivo->Pasta = false;
  edArquivo->SetText(Arquivo);
  mgr->SetArquivo(edArquivo);
  auto* edPlano = mgr->Create<TEdit_Codigo_Search_VYN>(tcPlanosTrocaContabilOnLine);
  edPlano->AceitaZero = true;
  edPlano->Vale(0);
  edPlano->Validate();
  mgr->SetEditCodPlaTrocaInt(edPlano);
  auto* ckRateio = mgr->Create<TCheckBox>();
  mgr->SetEditCkRateioAutomatico(ckRateio);
  auto* spTransacao = mgr->Create<TSpeedButton>();
  spTransacao->Down = false;
  mgr->SetToolButtonTransacaoAut(spTransacao);
  mgr->SetDataIni(EncodeDate(refInicial / 10000, refInicial / 100 % 100, refInicial % 100));
  mgr->SetDataFim(EncodeDate(refFinal / 10000, refFinal / 100 % 100, refFinal % 100));
  mgr->setTipoImportacaoAutomatica(3);
  auto* edGerador = mgr->Create<TEdit_Codigo_Search_VYN>(tcGeradorImportacaoLancamentos);
  edGerador->AceitaZero = true;
  edGerador->Vale(0);
  edGerador->Validate();
  mgr->SetEditCodGeradorImpLanc(edGerador);
  auto* ckComplemento = mgr->Create<TCheckBox>();
  mgr->SetEditCkAlterarComplemento(ckComplemento);
  mgr->SetSeqValidacaoParticipante(0);
  auto* lista = mgr->Create<TInconsistencias_VYN>();
  mgr->SetInconsistencias_VYN(lista);
  // A client file goes through the staged review, whose engine registers the file's problems under
  // its registration (TINTEGRACAO_ARQ_CLIENTE_INCONS); the lines never have to fit in memory.
  mgr->ClasseRevisao = kClasseRevisaoArquivoGrande;
  mgr->CompararLancamentos = compararLancamentos;
  // The file is marked imported by the transaction that writes its entries and by nothing else: a
  // run whose write failed leaves the file to be imported again.
  mgr->Execute();

  if (lista->Count() == 0) {
    logProcesso(fmt::format("{}: importação concluída com sucesso!", processo));
  } else {
    gravaInconsistenciasArquivo(*lista);
    const std::string texto = fmt::format(
        "{}: houveram inconsistências na importação! Verifique-as na tabela \"TINTEGRACAO_ARQ_CLIENTE_INCONS\" para o "
        "registro de ordem {} da empresa {} na tabela \"TINTEGRACAO_ARQ_CLIENTE\".",
        processo, Ordem, CodEmp);
    logProcesso(texto);
    RegistraInconsistenciaExecucao(texto);
  }
}

}  // namespace integracao
