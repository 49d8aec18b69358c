#include "integrations/omie/uAutoThreadImportacaoFiscalOmie.h"

#include <memory>
#include <stdexcept>
#include <vector>

#include "framework/component/resultado_execucao.h"
#include "framework/core/text.h"
#include "integrations/omie/uInt_EF_API_Omie.h"
#include "integrations/omie/uIntegracaoOmie.Log.h"

namespace integracao {

using namespace vyn;

namespace {

class EConversaoParametro : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

}  // namespace

int ParametroInteiroOmie(const std::string& nome, const std::string& valor) {
  const std::string t = Trim(valor);
  const std::string digitos = !t.empty() && (t[0] == '-' || t[0] == '+') ? t.substr(1) : t;
  if (digitos.empty() || digitos.size() > 9 || OnlyDigits(digitos) != digitos)
    throw EConversaoParametro("'" + valor + "' is not a valid integer value (" + nome + ")");
  return std::stoi(t);
}

// As the host's conversion: "True"/"False" in any case, or a number (non-zero is true).
bool ParametroBooleanoOmie(const std::string& nome, const std::string& valor) {
  const std::string t = Trim(valor);
  if (SameText(t, "true")) return true;
  if (SameText(t, "false")) return false;
  try {
    return ParametroInteiroOmie(nome, t) != 0;
  } catch (const EConversaoParametro&) {
    throw EConversaoParametro("'" + valor + "' is not a valid boolean value (" + nome + ")");
  }
}

void TAutoThreadImportacaoFiscalOmie::Execute() {
  TAutoThreadPushPadrao::Execute();
  GravarLogTarvo("Iniciando o processo...");
  std::vector<std::string> tipos;
  if (ParametroBooleanoOmie("ckNFe", GetParametro("ckNFe"))) tipos.push_back("NFe");
  if (ParametroBooleanoOmie("ckNFCe", GetParametro("ckNFCe"))) tipos.push_back("NFCe");
  if (ParametroBooleanoOmie("ckCTe", GetParametro("ckCTe"))) tipos.push_back("CTe");
  if (ParametroBooleanoOmie("ckCTeos", GetParametro("ckCTeos"))) tipos.push_back("CTeOs");
  const int rg = ParametroInteiroOmie("rgTipoMov", GetParametro("rgTipoMov"));
  const TTipoMovimento mov = rg == 0 ? tmEntrada : rg == 1 ? tmSaida : tmAmbos;
  const int empresa = ParametroInteiroOmie("cod_empresa", GetParametro("cod_empresa"));
  int referencia = 0;
  try {
    referencia = ParametroInteiroOmie("referencia", GetParametro("referencia"));
  } catch (const EConversaoParametro&) {
    referencia = 0;
  }
  ProcessContext().WP_REF_TARVO = referencia;

  auto busca = std::make_unique<TInt_EF_API_Omie>(nullptr);
  busca->OnPreparaClienteOmie = OnPreparaClienteOmie;
  GravarLogTarvo("Buscando arquivos...");
  std::string mensagem;
  try {
    mensagem = busca->GetArquivos(empresa, referencia, tipos, mov);
  } catch (...) {
    busca->GravaLogSeExistir(ArquivoLogOmie());
    throw;
  }
  busca->GravaLogSeExistir(ArquivoLogOmie());
  GravarLogTarvo(RemoveCaret(mensagem));
  // What stopped the fetch fails the run; a kind refused beside documents fetched is an inconsistency.
  const std::string falha = RemoveCaret(busca->Falha());
  if (falha.empty()) return;
  if (busca->RealizouProcesso())
    RegistraInconsistenciaExecucao(falha);
  else
    RegistraFalhaExecucao(falha);
}

}  // namespace integracao
