#include "partners/uIntegracaoSocios.h"

#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/importacao_socios.h"
#include "framework/core/text.h"
#include "framework/data/arquivo_importacao.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/status_processo.h"
#include "partners/uConsultaImportacaoSociosTreeView.h"

namespace integracao {

using namespace vyn;

TIntegracaoSocios::TIntegracaoSocios(TComponent* owner) : TComponent(owner), FOwner(owner) {}

TIntegracaoSocios::~TIntegracaoSocios() { LiberaDAOs(); }

int TIntegracaoSocios::Modo() const { return FSocioJaCadastrado ? FSocioJaCadastrado->ItemIndex() : 0; }

int TIntegracaoSocios::CodEmp() const { return FEmpresa ? static_cast<int>(FEmpresa->Codigo()) : 0; }

void TIntegracaoSocios::LiberaDAOs() {
  // The writer refers to the record sets: it goes first.
  FImportacaoSocio.reset();
  FDAOSocio.reset();
  FDAOSocioRef.reset();
  FDAOCotas.reset();
  FListaDadosCopiaSocios.clear();
  FDocumentosLidos.clear();
  FCotasLidas.clear();
  FLinhaRecusadaPorRepeticao = false;
}

void TIntegracaoSocios::criaDAOs() {
  LiberaDAOs();
  if (FInconsistencia) FreeComponent(FInconsistencia);
  FInconsistencia = Create<TInconsistencias_VYN>();
  FInconsistencia->SetEmpresaAtual(CodEmp());

  FDAOSocio = TSociosMGR::CreateMgrOwned(true, true);
  AbreEmMemoria(*FDAOSocio, {"BDTIPOIMPORTACAO"});
  FDAOSocio->Arvore.TreeCaption = "Socios";
  FDAOSocio->Arvore.TreeNode = true;
  FDAOSocio->Arvore.FieldsContainerName = "fcSocios";

  FDAOSocioRef = TEMPRESAS_TSOC_REFMGR::CreateMgrOwned(true, true);
  AbreEmMemoria(*FDAOSocioRef);
  FDAOCotas = TEmpresas_TSoc_CotasMGR::CreateMgrOwned(true, true);
  AbreEmMemoria(*FDAOCotas);
  FDAOCotas->Arvore.FieldsContainerName = "fcCotas";
  FDAOCotas->Arvore.TreeAggregationKind = 2;
  FDAOSocio->Arvore.Aggregates = {FDAOCotas.get(), FDAOSocioRef.get()};

  FImportacaoSocio = std::make_unique<TImportacaoSocios>(nullptr, CodEmp(), Modo());
  FImportacaoSocio->FDAOSocios = FDAOSocio.get();
  FImportacaoSocio->FDAOSociosRef = FDAOSocioRef.get();
  FImportacaoSocio->FInconsistencia = FInconsistencia;

  if (FDAOGeradorPlanilha) FreeComponent(FDAOGeradorPlanilha);
  FDAOGeradorPlanilha = TGERADOR_IMPORTACAO_SOCIOSMGR::CreateMgr(this, false);
  FDAOGeradorPlanilha->getPlanilha_Gerador(FGerador ? FGerador->getCodigoStr() : "");
  FParserGerador = std::make_unique<TParserGeradorPlanilha>();
  FParserGerador->setDAOGerador(FDAOGeradorPlanilha);

  Variant forma = TEmpresasMGR::GetRetornaCampoEmpresa(this, CodEmp(), "BDFORMATRIBUTACAOEMP");
  FValidaQualificacao = !forma.IsNull() && forma.AsInteger() > 0;

  if (!FArquivoImportacao) FArquivoImportacao = std::make_unique<TArquivoImportacao>();
}

void TIntegracaoSocios::Prepara(TEdit_Codigo_Search_VYN* prEmpresa, TEdit_Codigo_Search_VYN* prGerador,
                                TComboBox_Padrao_VYN* prSocioJaCadastrado) {
  FCountLinha = 0;
  FEmpresa = prEmpresa;
  FGerador = prGerador;
  FSocioJaCadastrado = prSocioJaCadastrado;
  criaDAOs();
}

void TIntegracaoSocios::carregaImportacao(TEdit_Codigo_Search_VYN* prEmpresa, TEdit_Diretorio_Padrao_VYN* prArquivo,
                                          TEdit_Codigo_Search_VYN* prGerador, TComboBox_Padrao_VYN* prSocioJaCadastrado,
                                          bool prCopiarMatrizParaFiliais) {
  FCOPIARPARAFILIAIS = prCopiarMatrizParaFiliais;
  Prepara(prEmpresa, prGerador, prSocioJaCadastrado);
  // Without a layout no cell can be read: say so rather than report an empty sheet.
  if (FDAOGeradorPlanilha->IsEmpty()) {
    DlgWarOk("Gerador de importação não encontrado: informe um gerador de importação de sócios cadastrado.");
    FArquivoImportacao.reset();
    FParserGerador.reset();
    return;
  }
  TComponent* dono = FOwner ? FOwner : this;
  TfrStatusProcesso* progresso = nullptr;
  // Also when the run fails: the reader, the reading window and the parser go.
  struct TFimLeitura {
    TIntegracaoSocios& e;
    TComponent* dono;
    TfrStatusProcesso*& janela;
    ~TFimLeitura() {
      e.FArquivoImportacao.reset();
      if (janela) {
        janela->Finalize();
        dono->FreeComponent(janela);
      }
      e.FParserGerador.reset();
    }
  } fim{*this, dono, progresso};

  FArquivoImportacao->LoadArquivo(prArquivo->Text(), 60);
  if (!FArquivoImportacao->Aviso().empty()) FInconsistencia->Add_Informativo(FArquivoImportacao->Aviso(), true);
  progresso = TfrStatusProcesso::createStatusProcess(dono, 3);

  const int total = FArquivoImportacao->Count();
  const int inicial = FDAOGeradorPlanilha->LinhaInicial();
  const int descartar = FDAOGeradorPlanilha->DescartarLinhas();
  const std::vector<std::string>& campos = cFields();
  int codigo = 0;
  while (FCountLinha < total) {
    progresso->setPrimaryStatusLabel("Importação de Sócios. Linha(" + Linha() + ")");
    progresso->setPrimaryStatusProgress(FCountLinha * 100 / total);
    if (FCountLinha > 0) FArquivoImportacao->Next();
    bool pula = (inicial != 0 && FCountLinha < inicial - 1) || (descartar != 0 && FCountLinha >= total - descartar);
    if (!pula) {
      const std::vector<std::string>& celulas = FArquivoImportacao->Celulas();
      FImportacaoSocio->FLinha = FCountLinha + 1;
      LoadSocio(getConteudo(FParserGerador->getValoresPorCampos(campos, celulas), trSocio), codigo);
      if (Modo() != 1)
        LoadCotas(getConteudo(FParserGerador->getValoresPorCampos(campos, celulas), trCotas), codigo);
    }
    ++FCountLinha;
  }
  AvisaCotasAcimaDeCem();

  if ((!FDAOSocio->IsEmpty() && !FDAOSocioRef->IsEmpty()) || !FDAOCotas->IsEmpty()) {
    ShowConsultaDados();
    if (FDAOSocio->FImportouNaTreeView && !FListaDadosCopiaSocios.empty() && FCOPIARPARAFILIAIS)
      RealizaCopiaMatrizFilial();
  } else {
    DlgWarOk("Não existe registros para serem importados!\rVerifique o arquivo e o filtro da tela de importação.");
    FInconsistencia->Execute(true, true, true, true, "");
    if (FEmpresa && FEmpresa->CanFocus()) FEmpresa->SetFocus();
  }
}

std::vector<std::string> TIntegracaoSocios::getConteudo(const TDicionarioCampos& dicionario,
                                                        TTipoConteudo prTipoConteudo) const {
  std::vector<std::string> row{prTipoConteudo == trSocio ? "0" : "1"};
  for (const auto& chave : prTipoConteudo == trSocio ? ChavesSocio() : ChavesCotas()) {
    auto it = dicionario.find(chave);
    row.push_back(it == dicionario.end() ? std::string() : it->second);
  }
  return row;
}

void TIntegracaoSocios::ShowConsultaDados() {
  TListaObj lista;
  lista.Posicao(prsEmpresa).Add(FEmpresa);
  lista.Posicao(prsSocios).Add(FDAOSocio.get());
  lista.Posicao(prsReferencias).Add(FDAOSocioRef.get());
  lista.Posicao(prsCotas).Add(FDAOCotas.get());
  lista.Posicao(prsInconsistencias).Add(FInconsistencia);
  lista.Posicao(prsCopiaMatrizFilial).AddObject(&FListaDadosCopiaSocios);
  TPackagesUtil::CarregaFormParamsObj("TfrConsultaImportacaoSociosTreeView", FOwner ? FOwner : this, std::move(lista),
                                      nullptr, true);
}

void TIntegracaoSocios::RealizaCopiaMatrizFilial() {
  FInconsistencia->Clear();
  TComponent* dono = FOwner ? FOwner : this;
  FProgressaoCopia = TfrStatusProcesso::createStatusProcess(dono, 5);
  FProgressaoCopia->setSecondaryMaxProgress(static_cast<int>(FListaDadosCopiaSocios.size()));
  struct TFecha {
    TIntegracaoSocios& e;
    TComponent* dono;
    ~TFecha() {
      e.FProgressaoCopia->Finalize();
      dono->FreeComponent(e.FProgressaoCopia);
      e.FProgressaoCopia = nullptr;
    }
  } fecha{*this, dono};
  TSociosMGR::CopiaSociosMatrizParaFiliais(
      this, FListaDadosCopiaSocios, CodEmp(), *FInconsistencia,
      [this](const std::string& log, int i, int qtd) { OnAtualizaProgressaoCopiaMatrizFilial(log, i, qtd); });
  // Every level is shown: a branch the copy failed for is an error the user must see.
  if (!FInconsistencia->IsEmpty()) FInconsistencia->Execute(true, true, true, true, "");
}

void TIntegracaoSocios::OnAtualizaProgressaoCopiaMatrizFilial(const std::string& prLog, int prIndiceFilial,
                                                              int prQtdFiliais) {
  if (!FProgressaoCopia) return;
  if (FProgressaoCopia->Bar(0).Max != prQtdFiliais) FProgressaoCopia->setPrimaryMaxProgress(prQtdFiliais);
  FProgressaoCopia->setPrimaryStatusLabel("Cadastrando sócio na Filial - " + std::to_string(prIndiceFilial) + "/" +
                                          std::to_string(prQtdFiliais));
  FProgressaoCopia->setPrimaryStatusProgress(prIndiceFilial);
  FProgressaoCopia->setSecondaryStatusLabel(prLog);
  FProgressaoCopia->setSecondaryStatusProgress(FProgressaoCopia->Bar(1).Position + 1);
}

}  // namespace integracao
