#include "framework/ui/inconsistencias.h"

#include <algorithm>

#include "framework/core/text.h"
#include "framework/ui/dialogs.h"

namespace vyn {

TInconsistencias_VYN::TInconsistencias_VYN(TComponent* owner) : TComponent(owner) {}

void TInconsistencias_VYN::Clear() { itens_.clear(); }

void TInconsistencias_VYN::Add(TNivelInconsistencia n, int codEmp, std::string_view text, TComponent* obj,
                               int cat, std::string_view chave) {
  TInconsistenciaItem it;
  it.Nivel = n;
  it.CodEmp = codEmp;
  it.Caption = RemoveCaret(text);
  it.Objeto = obj;
  it.Categoria = cat;
  it.Chave = std::string(chave);
  itens_.push_back(std::move(it));
}

void TInconsistencias_VYN::Add_Erro(std::string_view text, bool, TComponent* obj, int categoria, const void*,
                                    std::string_view chave) {
  Add(niErro, empresaAtual_, text, obj, categoria, chave);
}

void TInconsistencias_VYN::Add_Atencao(std::string_view text, bool, TComponent* obj, int categoria,
                                       const void*, std::string_view chave) {
  Add(niAtencao, empresaAtual_, text, obj, categoria, chave);
}

void TInconsistencias_VYN::Add_Informativo(std::string_view text, bool, TComponent* obj, int categoria,
                                           const void*, std::string_view chave) {
  Add(niInformativo, empresaAtual_, text, obj, categoria, chave);
}

int TInconsistencias_VYN::CountNivel(TNivelInconsistencia n) const {
  return static_cast<int>(std::count_if(itens_.begin(), itens_.end(), [n](auto& i) { return i.Nivel == n; }));
}

std::vector<int> TInconsistencias_VYN::Grupos() const {
  std::vector<int> out;
  for (auto& i : itens_)
    if (std::find(out.begin(), out.end(), i.CodEmp) == out.end()) out.push_back(i.CodEmp);
  return out;
}

std::vector<TInconsistenciaItem> TInconsistencias_VYN::ItensDoGrupo(int codEmp) const {
  std::vector<TInconsistenciaItem> out;
  for (auto& i : itens_)
    if (i.CodEmp == codEmp) out.push_back(i);
  return out;
}

int TInconsistencias_VYN::RemoveTexto(std::string_view text) {
  std::string t = RemoveCaret(text);
  auto before = itens_.size();
  std::erase_if(itens_, [&](auto& i) { return i.Caption == t; });
  return static_cast<int>(before - itens_.size());
}

std::vector<TInconsistenciaItem> TInconsistencias_VYN::Filtra(bool erros, bool atencao, bool informativo) const {
  std::vector<TInconsistenciaItem> out;
  for (auto& i : itens_)
    if ((i.Nivel == niErro && erros) || (i.Nivel == niAtencao && atencao) ||
        (i.Nivel == niInformativo && informativo))
      out.push_back(i);
  return out;
}

void TInconsistencias_VYN::Execute(bool erros, bool atencao, bool informativo, bool, const std::string& titulo) {
  if (IsUnattended()) return;
  TInconsistencias_VYN shown;
  shown.OnExecuteItem = OnExecuteItem;
  for (auto& i : Filtra(erros, atencao, informativo)) shown.itens_.push_back(i);
  if (shown.IsEmpty()) return;
  Dialogs().ShowInconsistencias(shown, RemoveCaret(titulo));
}

}  // namespace vyn
