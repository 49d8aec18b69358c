#pragma once
// The partners' spreadsheet import: reads the sheet line by line through a saved column layout, turns
// each data line into a partner row and a quota row, checks them into in-memory record sets, opens
// the review where the user commits them, and copies the committed partners to the branches.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/accounting/gerador_importacao_socios_mgr.h"
#include "framework/accounting/socios_mgr.h"
#include "framework/component/component.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TComboBox_Padrao_VYN;
class TInconsistencias_VYN;
class TfrStatusProcesso;
class TArquivoImportacao;
class TImportacaoSocios;
}  // namespace vyn

namespace integracao {

enum TTipoConteudo { trSocio = 0, trCotas = 1 };

// The keys of the two row kinds, in row order ("group|field"; five end in a TAB).
const std::vector<std::string>& ChavesSocio();
const std::vector<std::string>& ChavesCotas();

class TIntegracaoSocios : public vyn::TComponent {
 public:
  explicit TIntegracaoSocios(vyn::TComponent* owner = nullptr);
  ~TIntegracaoSocios() override;
  std::string ClassName() const override { return "TIntegracaoSocios"; }

  void carregaImportacao(vyn::TEdit_Codigo_Search_VYN* prEmpresa, vyn::TEdit_Diretorio_Padrao_VYN* prArquivo,
                         vyn::TEdit_Codigo_Search_VYN* prGerador, vyn::TComboBox_Padrao_VYN* prSocioJaCadastrado,
                         bool prCopiarMatrizParaFiliais);

  // Row assembly and rules of one line.
  std::vector<std::string> getConteudo(const vyn::TDicionarioCampos& dicionario, TTipoConteudo prTipoConteudo) const;
  void LoadSocio(const std::vector<std::string>& linha, int& codigo);
  void LoadCotas(const std::vector<std::string>& linha, int& codigo);
  static bool verificaBoolean(const std::string& texto);

  vyn::TInconsistencias_VYN* Inconsistencia() const { return FInconsistencia; }
  vyn::TSociosMGR* DAOSocio() const { return FDAOSocio.get(); }
  vyn::TEMPRESAS_TSOC_REFMGR* DAOSocioRef() const { return FDAOSocioRef.get(); }
  vyn::TEmpresas_TSoc_CotasMGR* DAOCotas() const { return FDAOCotas.get(); }
  const std::vector<vyn::TDadosCopiaSociosMatrizFilial>& ListaDadosCopiaSocios() const { return FListaDadosCopiaSocios; }
  int CountLinha() const { return FCountLinha; }

  // What carregaImportacao sets up; public so that the rules can be driven line by line.
  void Prepara(vyn::TEdit_Codigo_Search_VYN* prEmpresa, vyn::TEdit_Codigo_Search_VYN* prGerador,
               vyn::TComboBox_Padrao_VYN* prSocioJaCadastrado);
  void SetCountLinha(int n) { FCountLinha = n; }

 protected:
  void criaDAOs();
  void RealizaCopiaMatrizFilial();
  void ShowConsultaDados();
  void OnAtualizaProgressaoCopiaMatrizFilial(const std::string& prLog, int prIndiceFilial, int prQtdFiliais);

 private:
  int Modo() const;
  int CodEmp() const;
  std::string Linha() const { return std::to_string(FCountLinha + 1); }
  void verificaCampoPorcentagem(bool& ok, const std::string& campo, vyn::Currency valor);
  // A document or a quota read again from a later line of the same sheet: the first line holds, the
  // later one is refused by name, never written over the first in silence.
  bool AceitaDocumentoDaLinha(const std::string& documento, const std::vector<std::string>& linha);
  bool AceitaCotaDaLinha(int codigo, int referencia);
  // The sheet's quotas with the company's others of the same month summing past 100 % are warned.
  void AvisaCotasAcimaDeCem();
  void LiberaDAOs();

  vyn::TComponent* FOwner;
  vyn::TGERADOR_IMPORTACAO_SOCIOSMGR* FDAOGeradorPlanilha = nullptr;   // owned as a component
  std::unique_ptr<vyn::TParserGeradorPlanilha> FParserGerador;
  std::unique_ptr<vyn::TArquivoImportacao> FArquivoImportacao;
  vyn::TEdit_Codigo_Search_VYN* FGerador = nullptr;
  vyn::TInconsistencias_VYN* FInconsistencia = nullptr;                 // owned as a component
  vyn::TEdit_Codigo_Search_VYN* FEmpresa = nullptr;
  vyn::TComboBox_Padrao_VYN* FSocioJaCadastrado = nullptr;
  int FCountLinha = 0;
  vyn::TfrStatusProcesso* FProgressaoCopia = nullptr;
  std::unique_ptr<vyn::TImportacaoSocios> FImportacaoSocio;
  std::vector<vyn::TDadosCopiaSociosMatrizFilial> FListaDadosCopiaSocios;
  bool FCOPIARPARAFILIAIS = false;
  std::unique_ptr<vyn::TSociosMGR> FDAOSocio;
  std::unique_ptr<vyn::TEMPRESAS_TSOC_REFMGR> FDAOSocioRef;
  std::unique_ptr<vyn::TEmpresas_TSoc_CotasMGR> FDAOCotas;
  bool FValidaQualificacao = false;
  struct TLinhaLida {
    int Linha;
    std::vector<std::string> Celulas;
  };
  std::map<std::string, TLinhaLida> FDocumentosLidos;       // partner document (digits) -> first line
  std::map<std::pair<int, int>, int> FCotasLidas;           // (partner code, YYYYMM) -> line
  bool FLinhaRecusadaPorRepeticao = false;
};

}  // namespace integracao
