#pragma once
// The messages of one run, grouped by company, at three levels; counted at the end and shown once.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

enum TNivelInconsistencia { niErro, niAtencao, niInformativo };
enum TCategoriaInconsistencia : int { ciNenhum = 0 };

struct TInconsistenciaItem {
  TNivelInconsistencia Nivel = niErro;
  int CodEmp = 0;                 // the group: the company the message is about (0: none)
  std::string Caption;            // the text, without carets
  TComponent* Objeto = nullptr;   // what the message refers to, when any
  int Categoria = ciNenhum;
  std::string Chave;
};

class TInconsistencias_VYN : public TComponent {
 public:
  using TItemEvent = std::function<void(const TInconsistenciaItem&)>;

  explicit TInconsistencias_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TInconsistencias_VYN"; }

  void Clear();
  // The company later messages without a company of their own are grouped under.
  void SetEmpresaAtual(int codEmp) { empresaAtual_ = codEmp; }
  int EmpresaAtual() const { return empresaAtual_; }

  // The framework's calling form: (text, flag, object, category, extra, key).
  void Add_Erro(std::string_view text, bool flag = true, TComponent* obj = nullptr, int categoria = ciNenhum,
                const void* extra = nullptr, std::string_view chave = "");
  void Add_Atencao(std::string_view text, bool flag = true, TComponent* obj = nullptr, int categoria = ciNenhum,
                   const void* extra = nullptr, std::string_view chave = "");
  void Add_Informativo(std::string_view text, bool flag = true, TComponent* obj = nullptr,
                       int categoria = ciNenhum, const void* extra = nullptr, std::string_view chave = "");
  void Add_Informacao(std::string_view text) { Add_Informativo(text); }
  // Under a given company.
  void Add_Erro(int codEmp, std::string_view text) { Add(niErro, codEmp, text, nullptr, ciNenhum, ""); }
  void Add_Atencao(int codEmp, std::string_view text) { Add(niAtencao, codEmp, text, nullptr, ciNenhum, ""); }
  void Add_Informacao(int codEmp, std::string_view text) { Add(niInformativo, codEmp, text, nullptr, ciNenhum, ""); }
  void Add_Informativo(int codEmp, std::string_view text) { Add_Informacao(codEmp, text); }
  // A message another list holds (or held), as it is there.
  void Acrescenta(const TInconsistenciaItem& i) { Add(i.Nivel, i.CodEmp, i.Caption, i.Objeto, i.Categoria, i.Chave); }

  int Count() const { return static_cast<int>(itens_.size()); }
  int CountErros() const { return CountNivel(niErro); }
  int CountAtencao() const { return CountNivel(niAtencao); }
  int CountInformativo() const { return CountNivel(niInformativo); }
  bool IsEmpty() const { return itens_.empty(); }

  // In the order added.
  const std::vector<TInconsistenciaItem>& Itens() const { return itens_; }
  const TInconsistenciaItem& getItemObjeto(int i) const { return itens_.at(static_cast<size_t>(i)); }
  // The companies in the order of their first message, and one company's messages.
  std::vector<int> Grupos() const;
  std::vector<TInconsistenciaItem> ItensDoGrupo(int codEmp) const;
  // Removes every message with this text (carets ignored); answers how many went.
  int RemoveTexto(std::string_view text);

  // Shows the list through the dialog service (nothing when empty; nothing in an unattended run,
  // where the task reads the list itself). The flags choose the levels shown.
  void Execute(bool erros = true, bool atencao = true, bool informativo = true, bool agrupar = true,
               const std::string& titulo = "");
  void Show(const std::string& titulo = "") { Execute(true, true, true, true, titulo); }
  // A copy holding only the levels asked for.
  std::vector<TInconsistenciaItem> Filtra(bool erros, bool atencao, bool informativo) const;

  // Fired when the user activates an item of the shown list.
  TItemEvent OnExecuteItem;

 private:
  void Add(TNivelInconsistencia n, int codEmp, std::string_view text, TComponent* obj, int cat,
           std::string_view chave);
  int CountNivel(TNivelInconsistencia n) const;
  std::vector<TInconsistenciaItem> itens_;
  int empresaAtual_ = 0;
};

}  // namespace vyn
