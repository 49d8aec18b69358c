#include "framework/ui/seleciona_filiais.h"

#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"

namespace vyn {

TSelecionaFiliais_VYN::TSelecionaFiliais_VYN(TComponent* owner) : TComponent(owner) { SetName("SelecionaFiliais"); }

void TSelecionaFiliais_VYN::SetSpeedButton(TSpeedButton* sp, std::string hint) {
  sp_ = sp;
  hint_ = std::move(hint);
  if (sp_) sp_->SetHint(hint_);
}

int TSelecionaFiliais_VYN::CodigoMatriz() const { return EditEmpresa ? static_cast<int>(EditEmpresa->Codigo()) : 0; }

void TSelecionaFiliais_VYN::Carrega(int matriz) {
  itens_.clear();
  matriz_ = matriz;
  matriz_nome_.clear();
  carregada_ = true;
  if (matriz == 0) return;
  TDatabase* db = ProcessContext().Database;
  if (!db) throw std::logic_error("No database in the process context");
  // Names as of the session's reference month; a company without data then still shows its code.
  auto rows = db->QueryAll(
      "SELECT E.BDCODEMP, R.BDNOMEMP, E.BDCODMATRIZ FROM TEMPRESAS E"
      " LEFT OUTER JOIN VW_TEMPRESAS_REF R ON (R.BDCODEMP = E.BDCODEMP)"
      " WHERE E.BDCODEMP = ? OR E.BDCODMATRIZ = ? ORDER BY E.BDCODEMP",
      {Variant(matriz), Variant(matriz)});
  for (auto& r : rows.Rows) {
    const int cod = static_cast<int>(r[0].AsInteger());
    if (cod == matriz) {
      matriz_nome_ = r[1].IsNull() ? "" : r[1].AsString();
      if (!IncluiMatrizNaLista) continue;
      itens_.insert(itens_.begin(), {cod, matriz_nome_, true});
    } else {
      itens_.push_back({cod, r[1].IsNull() ? "" : r[1].AsString(), CheckAll});
    }
  }
}

void TSelecionaFiliais_VYN::Atualiza() {
  if (!carregada_ || matriz_ != CodigoMatriz()) Carrega(CodigoMatriz());
}

const std::vector<TSelecionaFiliais_VYN::TFilial>& TSelecionaFiliais_VYN::getFiliais() {
  if (SempreCarrega)
    Carrega(CodigoMatriz());
  else
    Atualiza();
  return itens_;
}

bool TSelecionaFiliais_VYN::getLista() {
  getFiliais();
  std::vector<std::string> textos;
  std::vector<bool> marcados;
  for (auto& f : itens_) {
    textos.push_back(std::to_string(f.CodEmp) + " - " + f.Nome);
    marcados.push_back(f.Checked);
  }
  if (!ChooseItems(hint_.empty() ? "Seleção de filiais" : hint_, textos, marcados)) return false;
  for (size_t i = 0; i < itens_.size() && i < marcados.size(); ++i) itens_[i].Checked = marcados[i];
  setSPFiliais();
  return true;
}

std::vector<int> TSelecionaFiliais_VYN::CodigosMarcados() {
  Atualiza();
  std::vector<int> out;
  if (matriz_ != 0 && !IncluiMatrizNaLista) out.push_back(matriz_);
  for (auto& f : itens_)
    if (f.Checked) out.push_back(f.CodEmp);
  return out;
}

std::string TSelecionaFiliais_VYN::getCheckedItens() {
  std::vector<std::string> parts;
  for (int c : CodigosMarcados()) parts.push_back(std::to_string(c));
  return Join(parts, ",");
}

int TSelecionaFiliais_VYN::getQtdItensChecados() { return static_cast<int>(CodigosMarcados().size()); }

void TSelecionaFiliais_VYN::setSPFiliais() {
  if (!sp_) return;
  Atualiza();
  const int total = static_cast<int>(itens_.size()) + (matriz_ != 0 && !IncluiMatrizNaLista ? 1 : 0);
  if (total == 0) {
    sp_->SetHint(hint_);
    return;
  }
  sp_->SetHint(hint_ + " (" + std::to_string(getQtdItensChecados()) + " de " + std::to_string(total) +
               " empresas marcadas)");
}

}  // namespace vyn
