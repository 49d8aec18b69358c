#pragma once
// The branch selector of a company edit: the head office in the edit and its branches, each with a
// tick. The user changes the ticks on a list of choices; the screens read the ticked codes.
#include <string>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TSpeedButton;

class TSelecionaFiliais_VYN : public TComponent {
 public:
  struct TFilial {
    int CodEmp = 0;
    std::string Nome;
    bool Checked = false;
  };

  explicit TSelecionaFiliais_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TSelecionaFiliais_VYN"; }

  // The company edit whose code is the head office.
  TEdit_Codigo_Search_VYN* EditEmpresa = nullptr;
  // Every company starts ticked; otherwise only the head office does.
  bool CheckAll = false;
  // The list is read again at every getFiliais (ticks start over); otherwise only when the edit's
  // company changed.
  bool SempreCarrega = false;
  // The head office is one of the list's choices; otherwise it is always part of the selection.
  bool IncluiMatrizNaLista = false;

  void SetEditEmpresa(TEdit_Codigo_Search_VYN* edit) { EditEmpresa = edit; }
  // The button that shows the list: its hint tells how many companies are ticked.
  void SetSpeedButton(TSpeedButton* sp, std::string hint);

  // The list of the edit's company (loaded as the flags say).
  const std::vector<TFilial>& getFiliais();
  // Shows the list; True when the user confirmed (the ticks are taken), False leaves them as they were.
  bool getLista();
  // The ticked companies, head office first: as codes, as the comma list of SQL text, and their number.
  std::vector<int> CodigosMarcados();
  std::string getCheckedItens();
  int getQtdItensChecados();
  // Refreshes the button's hint.
  void setSPFiliais();

 private:
  int CodigoMatriz() const;
  void Carrega(int matriz);
  void Atualiza();

  TSpeedButton* sp_ = nullptr;
  std::string hint_;
  bool carregada_ = false;
  int matriz_ = 0;
  std::string matriz_nome_;
  std::vector<TFilial> itens_;
};

}  // namespace vyn
