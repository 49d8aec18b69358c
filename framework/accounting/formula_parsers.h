#pragma once
// The suite's formula parsers as the report generator's evaluator calls them: general formulas, tax
// formulas and ledger balances. Each parser writes its messages into its own inconsistency list and
// answers a Variant (null when the formula gave no value).
//
// The grammar here is the stand-in's own: exact arithmetic over money values (+ - * / and
// parentheses, decimals with '.' or ','); the ledger-balance parser adds SALDO(account). Anything else is a
// formula the parser cannot compute.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/core/variant.h"

namespace vyn {

class TClientDataSet;
class TInconsistencias_VYN;

// The calculation period kinds the parsers are told about (the evaluator passes 6 and 10).
using TTipoPerApuracao = int;
inline constexpr TTipoPerApuracao kPerApuracaoImposto = 6;
inline constexpr TTipoPerApuracao kPerApuracaoGeral = 10;

// What the parsers write when a formula of another kind of calculation reaches them.
inline constexpr const char* kMsgFormulaTipoCalculoInvalido =
    "não é válida para este tipo de cálculo, verifique seu cadastro de fórmulas e altere-a para um comando "
    "que possa ser executado por este processo.";

class TParserExpression : public TComponent {
 public:
  explicit TParserExpression(TComponent* owner = nullptr);
  ~TParserExpression() override;
  std::string ClassName() const override { return "TParserExpression"; }

  void SetSource(std::string text) { source_ = std::move(text); }
  const std::string& Source() const { return source_; }
  TInconsistencias_VYN& Inconsistencias() const { return *inconsistencias_; }

  // A name with its argument texts; answers its value, or nothing when the name is unknown.
  using TResolveNome = std::function<std::optional<Currency>(const std::string& nome,
                                                            const std::vector<std::string>& args)>;
  // Evaluates arithmetic exactly, literals with all their decimals; nothing when the text holds a name
  // the resolver does not know. A text that is not a formula throws std::invalid_argument; a division
  // by zero, or a value with no exact answer in four decimal places (1/3), std::domain_error, never a
  // rounded answer; a result beyond the money range throws ECurrencyError.
  static std::optional<Currency> AvaliaAritmetica(const std::string& text, const TResolveNome& resolve = nullptr);

 private:
  std::string source_;
  TInconsistencias_VYN* inconsistencias_;
};

// General formulas.
class TParserFormulaVYN : public TParserExpression {
 public:
  explicit TParserFormulaVYN(TComponent* owner = nullptr) : TParserExpression(owner) {}
  std::string ClassName() const override { return "TParserFormulaVYN"; }
  virtual void Avalia(const std::string& texto, int codEmp, const std::string& referencia, const std::string& dataIni,
                      const std::string& dataFim, TTipoPerApuracao tipo, const std::string& parametro,
                      const std::string& extra, Variant& resultado);
};

// Tax formulas.
class TParserImpostoVYN : public TParserExpression {
 public:
  explicit TParserImpostoVYN(TComponent* owner = nullptr) : TParserExpression(owner) {}
  std::string ClassName() const override { return "TParserImpostoVYN"; }
  virtual void Execute(const std::string& texto, int codEmp, const std::string& referencia,
                       const std::string& dataIni, const std::string& dataFim, TTipoPerApuracao tipo,
                       const std::string& parametro, const std::string& extra, Variant& resultado);
};

class TParserEF : public TParserImpostoVYN {
 public:
  explicit TParserEF(TComponent* owner = nullptr) : TParserImpostoVYN(owner) {}
  std::string ClassName() const override { return "TParserEF"; }
};

// Ledger balances. setSaldo prepares the balance context on the database attachment, so that it
// serves later parsers of the same attachment until another context is prepared.
class TParserPelmorin : public TParserExpression {
 public:
  explicit TParserPelmorin(TComponent* owner = nullptr) : TParserExpression(owner) {}
  std::string ClassName() const override { return "TParserPelmorin"; }

  // Fixed options of the caller; this parser keeps them and does not depend on them.
  std::vector<uint8_t> Opcoes;
  bool Flag1 = false;
  bool Flag2 = false;
  int Contador1 = 0;
  int Contador2 = 0;
  int Contador3 = 0;

  // The run's context.
  void SetContexto(const std::string& codEmp, const std::string& texto, TDateTime dataIni, TDateTime dataFim,
                   bool ignZeramento, int contabilizacao, int contabilizacao2);

  // The prepared balances belong to the connection, not to this object: they outlive it, and a
  // preparation by any other parser on the connection replaces them.
  virtual void setSaldo(TClientDataSet* dados, const std::string& codEmp, const std::string& texto,
                        TDateTime dataIni, TDateTime dataFim, int contabilizacao, int ignZeramento, int, bool, int,
                        int, bool, TDateTime, TDateTime);
  // Whether the connection's balances are the ones setSaldo prepared for these values (a cache of
  // the caller's must ask: another caller may have prepared others since).
  virtual bool SaldoPreparadoPara(const std::string& codEmp, TDateTime dataIni, TDateTime dataFim,
                                  int contabilizacao, int ignZeramento) const;
  // Evaluates the source over the prepared balances into ResultValue.
  virtual void Run(int codEmp, const std::string& referencia, const std::string& dataIni,
                   const std::string& dataFim, int contabilizacao, int, int, int);

  Variant ResultValue;

 private:
  std::string ctxEmp_;
  TDateTime ctxIni_{}, ctxFim_{};
  bool ctxIgn_ = false;
  int ctxContab_ = 0;
};

}  // namespace vyn
