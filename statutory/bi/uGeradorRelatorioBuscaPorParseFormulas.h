#pragma once
// The report generator's formula evaluator: picks one of the framework's formula parsers by the
// formula's calculation type, falls back to the general parser when it gives no value, and keeps the
// ledger-balance context of the previous call so that a run over one company and period prepares it
// once.
#include <memory>
#include <string>

#include "framework/accounting/formula_parsers.h"
#include "framework/accounting/gerador_relatorio_formulas.h"
#include "framework/component/component.h"

namespace integracao {

struct TInformacoesSetSaldo {
  int CodEmp = 0;
  std::string Referencia;
  std::string DataIni;   // DD/MM/YYYY
  std::string DataFim;   // DD/MM/YYYY
  int Contabilizacao = 0;
  int IgnZeramento = 0;  // 1: closing entries ignored
  bool FPreenchido = false;  // not compared

  bool operator==(const TInformacoesSetSaldo& o) const {
    return CodEmp == o.CodEmp && Referencia == o.Referencia && DataIni == o.DataIni && DataFim == o.DataFim &&
           Contabilizacao == o.Contabilizacao && IgnZeramento == o.IgnZeramento;
  }
};

class TBuscaFormulasPorParse : public vyn::TComponent, public vyn::IBuscaFormulasGerador {
 public:
  explicit TBuscaFormulasPorParse(vyn::TComponent* owner = nullptr) : vyn::TComponent(owner) {}
  std::string ClassName() const override { return "TBuscaFormulasPorParse"; }

  vyn::Variant Execute(const std::string& Formula, const std::string& Complemento, int TipoCalculo, int CodEmp,
                       const std::string& Referencia, const std::string& DataIni, const std::string& DataFim,
                       int Contabilizacao, bool IgnZeramento, const std::string& Reservado,
                       const std::string& Parametro) override;

  const TInformacoesSetSaldo& InfoSetSaldo() const { return FInfoSetSaldo; }
  std::string MotivoSemValor() const override { return FMotivoSemValor; }

  // Keeps the parsers' "not valid for this kind of calculation" message from reaching the user.
  static void BloquearMessagemIndesejada(vyn::TInconsistencias_VYN& lista);

 protected:
  // The parsers of one call (tests replace them).
  virtual std::unique_ptr<vyn::TParserImpostoVYN> CriaParserImposto();
  virtual vyn::TParserPelmorin* CriaParserSaldos();  // owned by the evaluator
  virtual std::unique_ptr<vyn::TParserFormulaVYN> CriaParserFormula();

 private:
  vyn::Variant ExecuteSaldos(const std::string& texto, int CodEmp, const std::string& Referencia,
                             const std::string& DataIni, const std::string& DataFim, int Contabilizacao,
                             bool IgnZeramento);
  // Keeps what a parser of this call still reports after the filter, for a call that gives no value.
  void GuardaMensagens(const vyn::TInconsistencias_VYN& lista);
  TInformacoesSetSaldo FInfoSetSaldo;
  std::string FMotivoSemValor;
};

}  // namespace integracao
