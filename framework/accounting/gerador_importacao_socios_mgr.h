#pragma once
// Partner import layouts: the header (TGERADOR_IMPORTACAO_SOCIOS), its column map
// (TGERADOR_COLUNAS_SOCIOS: sheet column letter -> field caption), the field-caption table the map
// chooses from, and the parser that turns the cells of one sheet line into caption -> text.
#include <map>
#include <string>
#include <vector>

#include "framework/data/dao_factory.h"

namespace vyn {

// The mappable fields, "group|field". Five captions end in a TAB after the last letter, as the
// suite's layouts store them; they are matched with it.
const std::vector<std::string>& cFields();

class TGERADOR_COLUNAS_SOCIOSMGR : public TMgr<TGERADOR_COLUNAS_SOCIOSMGR> {
 public:
  explicit TGERADOR_COLUNAS_SOCIOSMGR(TComponent* owner = nullptr, bool = true, TDatabase* db = nullptr)
      : TMgr(owner, "TGERADOR_COLUNAS_SOCIOS", db) {}
  std::string ClassName() const override { return "TGERADOR_COLUNAS_SOCIOSMGR"; }
  // Made and opened empty.
  static TGERADOR_COLUNAS_SOCIOSMGR* CreateMgrFirst0(TComponent* owner, bool flag = true);
  // The column map of one layout, in column order.
  void Carrega(int codGerador);
};

class TGERADOR_IMPORTACAO_SOCIOSMGR : public TMgr<TGERADOR_IMPORTACAO_SOCIOSMGR> {
 public:
  explicit TGERADOR_IMPORTACAO_SOCIOSMGR(TComponent* owner = nullptr, bool = false, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TGERADOR_IMPORTACAO_SOCIOSMGR"; }

  // Loads the layout whose code is in the text, with its column map; False when the text is not a
  // code or no layout has it (the header is then empty).
  bool getPlanilha_Gerador(const std::string& codigo);
  // A new layout code from the server.
  int GetChaveServidor();
  // Every layout, for the consultation.
  void Select_Consulta();
  // The consultation screen the layout code's search opens.
  void SetSearch(std::string classeConsulta) { search_ = std::move(classeConsulta); }
  const std::string& Search() const { return search_; }

  int LinhaInicial() const;
  int DescartarLinhas() const;
  TGERADOR_COLUNAS_SOCIOSMGR& Colunas() { return *colunas_; }

 private:
  TGERADOR_COLUNAS_SOCIOSMGR* colunas_;
  std::string search_;
};

using TDicionarioCampos = std::map<std::string, std::string>;

class TParserGeradorPlanilha {
 public:
  void setDAOGerador(TGERADOR_IMPORTACAO_SOCIOSMGR* gerador) { gerador_ = gerador; }
  // Caption -> cell text for the captions of `campos` that the layout maps to a column; a mapped
  // column past the end of the line gives "".
  TDicionarioCampos getValoresPorCampos(const std::vector<std::string>& campos,
                                        const std::vector<std::string>& celulas) const;
  // "A" -> 0, "Z" -> 25, "AA" -> 26; -1 for a text that is not a column letter.
  static int letraParaIndice(const std::string& letra);

 private:
  TGERADOR_IMPORTACAO_SOCIOSMGR* gerador_ = nullptr;
};

}  // namespace vyn
