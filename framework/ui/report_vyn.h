#pragma once
// The report engine as the portal export uses it: a report with named data sets, global variables,
// registered user functions answered by the owner's handler, and one memo whose text holds
// expressions in brackets. Preparing the report runs the band's before-print script, evaluates the
// memo and runs the after-print script. Expressions: 'text', numbers, True and False,
// <Set."FIELD">, variables, functions with or without arguments, parentheses and '+' (text joins
// when either side is text).
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/core/variant.h"

namespace vyn {

class TClientDataSet;

class EReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TfrxReportVYN : public TComponent {
 public:
  // Answers a user function; nullopt when the handler does not know the name.
  using TUserFunction = std::function<std::optional<Variant>(const std::string& name, std::vector<Variant>& params)>;
  using TScript = std::function<void(TfrxReportVYN& report)>;

  using TComponent::TComponent;
  std::string ClassName() const override { return "TfrxReportVYN"; }

  // Registers a function by its declaration ("function TagYRK: String", "procedure setYRKValor(p: String)").
  void AddFunction(const std::string& declaracao, const std::string& categoria = {}, const std::string& descricao = {});
  bool HasFunction(const std::string& nome) const;
  size_t FunctionCount() const { return funcoes_.size(); }
  TUserFunction OnUserFunction;

  void AddDataSet(const std::string& nome, TClientDataSet* ds) { datasets_[nome] = ds; }
  // A data set whose fields the owner answers through OnGetValue (field name, value to set).
  void AddUserDataSet(const std::string& nome) { userDatasets_[nome] = true; }
  void ClearDataSets() {
    datasets_.clear();
    userDatasets_.clear();
  }
  std::map<std::string, Variant> Variables;
  // Answers the fields of the user data sets and the names no variable holds; a value left
  // untouched stays null.
  std::function<void(const std::string& nome, Variant& valor)> OnGetValue;

  // Where the engine is on its page: page, column and line (of the data band), from 1. Preparing
  // the report starts them over.
  int PageNo = 1;
  int CurColumn = 1;
  int CurLine = 1;
  void NewColumn() { ++CurColumn; }
  void NewPage() {
    ++PageNo;
    CurColumn = 1;
    CurLine = 1;
  }

  // The one memo of the band and the band's scripts.
  std::string MemoText;
  Variant MemoValue;
  TScript OnBeforePrint;
  TScript OnAfterPrint;

  // Calls a registered function (EReportError for an unknown one).
  Variant CallFunction(const std::string& nome, std::vector<Variant> params = {});
  // The text with every [expression] replaced by its value.
  std::string ExpandText(const std::string& texto);
  Variant Evaluate(const std::string& expressao);
  void PrepareReport(bool limpar = true);

 private:
  friend class TReportParser;
  Variant Campo(const std::string& conjunto, const std::string& campo) const;
  std::map<std::string, std::string> funcoes_;   // upper-cased name -> declaration
  std::map<std::string, TClientDataSet*> datasets_;
  std::map<std::string, bool> userDatasets_;
};

}  // namespace vyn
