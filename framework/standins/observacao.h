#pragma once
// Observation dialogs of other packages: the Dyq observation (TfrDadosObservacaoDYQ) and the
// observation screen of an entry's sides (TfrObservacoes).
#include <cstddef>

#include "framework/standins/tela_substituta.h"

namespace vyn {

class TClientDataSet;
class TEdit_String_Padrao;

// Opened with one parameter: either an empty JSON array, which receives the typed text as its one
// element (a JSON string), or a lines data set, whose current row gets the text in BDOBSWEB.
// Cancelled, or confirmed without text, it leaves both as they were.
class TfrDadosObservacaoDYQ : public TfrTelaSubstituta {
 public:
  explicit TfrDadosObservacaoDYQ(TComponent* owner);
  TEdit_String_Padrao* mmObservacao;
  static constexpr size_t kTamanhoObservacao = 500;   // the width of the line's BDOBSWEB

 protected:
  void SetListaObj(const TListaObj& lista) override;
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;

 private:
  void* FArray = nullptr;   // the opener's nlohmann::json array (the list holds it)
  TClientDataSet* FLinhas = nullptr;
};

// Opened with the observation rows of the current entry (BDCODEMP, BDCHAVE, BDDEBCRE 0 debit /
// 1 credit, BDOBSERVACAO) in slots 0 and 1: shows the current row's text and writes the typed text
// into that row on confirm.
class TfrObservacoes : public TfrTelaSubstituta {
 public:
  explicit TfrObservacoes(TComponent* owner);
  TEdit_String_Padrao* mmObservacao;

 protected:
  void SetListaObj(const TListaObj& lista) override;
  void ProcessoConfirma() override;

 private:
  TClientDataSet* FObservacoes = nullptr;
};

}  // namespace vyn
