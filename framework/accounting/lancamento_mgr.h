#pragma once
// The ledger-entry manager: entries of VZEL_EMPRESAS_TLAN (or of an import review's rows), the settlement
// link data sets, the multiple-entry split lines and the large-file session work table.
#include <iosfwd>
#include <memory>
#include <string>

#include "framework/data/dao_factory.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TBloqueioLancamento_VYN;
class TSpeedButton;
class TSelecionaFiliais_VYN;
class TCheckBox;

// Column kinds of a value written through to a session work table.
enum TLinkType : int { ltInteger = 0, ltString = 1, ltCurrency = 2, ltDate = 3, ltFloat = 4, ltFlag = 8 };

// Whether dao's rows live in a session work table (large-file mode with a session and a table).
bool ModoArquivoGrande(const TDAOFactory* dao);
// dao's work table, for statement text: anything but a plain identifier raises EDataSetError.
const std::string& TabelaTrabalho(const TDAOFactory& dao);

class TLancamentoMGR : public TMgr<TLancamentoMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMPRESAS_TLAN";
  static constexpr const char* kTabelaTemp = "TMP_VZEL_EMPRESAS_TLAN_TEMP";

  explicit TLancamentoMGR(TComponent* owner = nullptr, std::string table = kTabela, TDatabase* db = nullptr);
  ~TLancamentoMGR() override;
  std::string ClassName() const override { return "TLancamentoMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The suite's maker: owner and its flags (the reviews' in-memory copies pass (owner, False, False, 1,
  // True, True)). The manager belongs to owner.
  static TLancamentoMGR* CreateMgr(TComponent* owner, bool gravaDireto = false, bool validaContas = false,
                                   int tipoBanco = 1, bool somenteLeitura = false, bool carregaMultiLanc = false);

  // An empty link data set: imported entry (BDCHAVE) to obligation, with the columns every settlement
  // caller reads and writes. Owned by owner; the second form is held by its caller.
  static TClientDataSet* GetClientDataSetBaixas(TComponent* owner);
  static std::unique_ptr<TClientDataSet> NewClientDataSetBaixas();

  // The multiple-entry split lines of this manager's entries (BDCODEMP, BDCHAVE of the parent line,
  // BDCHAVELANC, BDTIPOMULTLANC, accounts and participants, value, batch, the entry columns of the
  // setters and the link flags), indexed on "BDCODEMP;BDCHAVE".
  TClientDataSet* getMultiLancamentosDAO();
  bool TemMultiLancamentosDAO() const { return multi_ != nullptr; }

  // Writes one column of the current row through to the session work table (large-file mode) and
  // into the row in memory; kind tells how the text value is stored.
  void SetUpdateRegHugeFileForTpIntegracao(const std::string& field, const std::string& value, int kind);

  bool IsTARVO = false;

  // The entry-text import (framework/accounting/importacao_lanc_txt.cpp): reads an entry file in the
  // suite's text layout, stages its lines and opens the review screen by class name; returns when the
  // review is closed (at once, after importing, under IsTARVO).
  bool NaoRetirarZerosContas = false;
  bool CompararLancamentos = false;
  std::string NomeArquivo;
  // The review class opened (the in-memory review unless a caller chooses another).
  std::string ClasseRevisao = "TfrConsultaImportacaoLancCCTxt";
  void GetImportacaoLancTxt(int tipoSistema, TEdit_Codigo_Search_VYN* codEmp, TEdit_Codigo_Search_VYN* codPlaTroca,
                            TEdit_Diretorio_Padrao_VYN* arquivo, TComponent* owner, const std::string& separador,
                            bool, TBloqueioLancamento_VYN* bloqueio, TSpeedButton* transacaoAut,
                            const std::string& dataIni, const std::string& dataFim, TSelecionaFiliais_VYN* filiais,
                            int, bool alterarComplemento);
  void GetImportacaoLancTxt(int tipoSistema, TEdit_Codigo_Search_VYN* codEmp, TEdit_Codigo_Search_VYN* codPlaTroca,
                            std::istream& fonte, TComponent* owner, const std::string& separador, bool,
                            TBloqueioLancamento_VYN* bloqueio, TSpeedButton* transacaoAut, const std::string& dataIni,
                            const std::string& dataFim, TSelecionaFiliais_VYN* filiais, int, bool alterarComplemento,
                            TCheckBox* baixas);

  // The conciliation type of a line from its two side marks: 0 none, 1 debit, 2 credit, 3 both.
  static int getTipoConciliacao(TComponent* owner, bool, const std::string& concC, const std::string& concD,
                                const std::string& codEmp, const std::string& chave, const std::string& campo, bool,
                                const std::string& tipoAtual);

 private:
  bool flags_[4] = {false, false, false, false};
  TClientDataSet* multi_ = nullptr;
};

}  // namespace vyn
