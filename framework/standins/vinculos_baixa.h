#pragma once
// The linking screens of the tax-guide, calculation and fiscal-installment packages. Opened on a
// line (or a split row) of a review with [origin data set, link data set, multiple-entry data set]
// (a split row: [split rows, link data set, nil, lines]), they list the company's open obligations
// of their kind; confirming on one (the grid's current row, or the one whose number is typed in
// edChave/edOrdem) adds its link row (BDAUTOMATICO False, the origin's BDCHAVE and, for a split
// row, its BDCHAVELANC) and marks the origin BDVINC_BAIXA True, as the reviews and the settlement
// engine read them. On a whole line of the staged entry review the user may also give the fine and
// interest the payment carried and the discount granted (edMulta, edJuros, edDesconto): the line's
// multiple entries then hold its principal and those parts (vinculos_baixa_partes.h).
#include "framework/data/fb_database.h"
#include "framework/standins/vinculos_baixa_partes.h"
#include "framework/standins/tela_substituta.h"

namespace vyn {

class TClientDataSet;
class TDAOFactory;
class TDBGrid_Padrao_VYN;
class TDataSource;
class TEdit_String_Padrao;

// The parameter array of the linking screens.
enum TParamVinculoBaixa : int {
  pvbOrigem = 0,              // the line, or the split rows
  pvbVinculos,                // the link data set
  pvbMultiLanc,               // the line's split rows; nil when the origin is a split row
  pvbLinhasDoMultiLanc,       // the lines of a split row's origin
  pvbQuantidadeSelecionada,   // the staged review: the lines selected (boxed integer)
};

class TfrVinculoBaixaSubstituto : public TfrTelaSubstituta {
 public:
  TfrVinculoBaixaSubstituto(TComponent* owner, std::string classe, std::string titulo, int tipoBaixa);

  TDBGrid_Padrao_VYN* grObrigacoes;
  TEdit_String_Padrao* edChave;
  TEdit_String_Padrao* edOrdem;
  // Enabled only where the line's multiple entries are split at the import.
  TEdit_String_Padrao* edMulta;
  TEdit_String_Padrao* edJuros;
  TEdit_String_Padrao* edDesconto;
  // The open obligations listed: BDID, BDORDEM, BDSUBTIPO, BDSALDO, BDTIPOSERVICO, BDNUMDOC, BDDESCRICAO.
  TDAOFactory* Obrigacoes() const { return FObrigacoes; }

 protected:
  void SetListaObj(const TListaObj& lista) override;
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;
  // The query of the company's open obligations, with the columns above; nature 1 the company pays.
  struct TConsulta {
    std::string Sql;
    TParams Parametros;
  };
  virtual TConsulta ConsultaObrigacoes(int64_t codEmp, int natureza) const = 0;

 private:
  bool Posiciona();
  bool LePartes();
  void MarcaOrigem();
  int Natureza(const TListaObj& lista) const;
  // Leaves out of the list the obligations the links already made take in full.
  void OcultaTomadas(const TListaObj& lista);

  int FTipoBaixa;
  TClientDataSet* FOrigem = nullptr;
  TClientDataSet* FVinculos = nullptr;
  bool FMultiLanc = false;
  // The line's multiple entries where its parts can go (a whole line of the staged review), else nil.
  TClientDataSet* FPartesEm = nullptr;
  int FNatureza = 0;
  TPartesVinculo FPartes;
  TDAOFactory* FObrigacoes;
  TDataSource* FFonte;
};

// Tax guides (TDARFGERPGTO with a balance to pay).
class TfrFiltroImpostosEmitidos : public TfrVinculoBaixaSubstituto {
 public:
  explicit TfrFiltroImpostosEmitidos(TComponent* owner);

 protected:
  TConsulta ConsultaObrigacoes(int64_t codEmp, int natureza) const override;
};

// Payroll and tax calculations (TDADOSPGTOCALC not paid in full).
class TfrProcessoFiltroCalculosBaixa : public TfrVinculoBaixaSubstituto {
 public:
  explicit TfrProcessoFiltroCalculosBaixa(TComponent* owner);

 protected:
  TConsulta ConsultaObrigacoes(int64_t codEmp, int natureza) const override;
};

// Fiscal-module installments not paid in full, of the origin's nature.
class TfrFiltroBaixaParcelamento : public TfrVinculoBaixaSubstituto {
 public:
  explicit TfrFiltroBaixaParcelamento(TComponent* owner);

 protected:
  TConsulta ConsultaObrigacoes(int64_t codEmp, int natureza) const override;
};

}  // namespace vyn
