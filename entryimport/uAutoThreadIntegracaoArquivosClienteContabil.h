#pragma once
// The scheduled import of the entry files a client leaves in a folder ("CL" + CNPJ + anything +
// ".txt", in the suite's entry layout): each file of the company is registered and imported
// unattended, its problems registered with it.
#include <optional>
#include <string>

#include "framework/host/auto_thread_arquivos_cliente.h"

namespace integracao {

class TAutoThreadIntegracaoArquivosClienteContabil : public vyn::TAutoThreadIntegracaoArquivosClienteBase {
 public:
  explicit TAutoThreadIntegracaoArquivosClienteContabil(vyn::TComponent* owner = nullptr)
      : vyn::TAutoThreadIntegracaoArquivosClienteBase(owner) {}
  std::string ClassName() const override { return "TAutoThreadIntegracaoArquivosClienteContabil"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The file type handled: entries in the suite's text layout.
  static constexpr int kTipoArquivoLancamentosTxt = 21;

 protected:
  void Execute() override;

 private:
  // Registers the file (a former registration of the same file and period is replaced) and
  // answers its new number.
  int RegistraArquivo(const std::string& caminho, int refInicial, int refFinal);
  // Whether the company registered this path before (any period, finished or not).
  bool ArquivoRegistradoAntes(const std::string& caminho) const;
  // How many lines the file holds when every one of them is booked whole (such a file is told imported and
  // left alone); nothing otherwise.
  std::optional<long long> TodoLancado(const std::string& arquivo) const;
  void ImportaArquivo(int refInicial, int refFinal, bool compararLancamentos);
  void RegistraErroArquivo(const std::string& erro);
};

}  // namespace integracao
