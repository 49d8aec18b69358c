#pragma once
// The report portal's publication of report-sequence outputs (TGestaoWeb, as the sequences use it):
// publishes one PDF for a report key, and sends the notice of the publications of an export.
// POST <base>/sequencias/publicacoes and <base>/sequencias/avisos with JSON bodies; the base URL is
// the service setting VYNREPORT_SEQUENCIA URL unless given.
#include <string>

#include "framework/component/component.h"

namespace vyn {

class TGestaoWebSequencia : public TComponent {
 public:
  explicit TGestaoWebSequencia(TComponent* owner = nullptr) : TComponent(owner) {}
  std::string ClassName() const override { return "TGestaoWebSequencia"; }

  void SetBaseURL(std::string url) { baseURL_ = std::move(url); }
  std::string Usuario;
  std::string Arquivo;      // the PDF to publish
  int ChaveRelatorio = 0;   // the portal's report key
  std::string Descricao;
  std::string Erro;         // why the last publication failed

  // True when Arquivo was published; else Erro says why.
  bool EnviaRelatorioNuvem(bool enviarEmail);
  // Sends the notice of this export's publications; texto receives the portal's answer.
  bool EnviaAvisoVYNReport(std::string& texto);
  int Publicados() const { return publicados_; }

 private:
  std::string BaseURL() const;
  int publicados_ = 0;
  std::string baseURL_;
};

}  // namespace vyn
