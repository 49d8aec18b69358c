#pragma once
// THTTP_Nibo: the suite's client of the Nibo service, and TOAUTH2MGR, the offices' OAuth2 records.
//
// Protocol (JSON over HTTPS; base address from the configuration of service "NIBO":
// INTEGRACAO_NIBO_URL):
//   POST <base>/oauth/token  {"grant_type":"client_credentials","client_id":..,"client_secret":..}
//        200 {"access_token":"..","expires_in":<seconds>}
//   GET  <base>/empresas/<id>/lancamentos-contabeis?referencia=MM/YYYY&documento=<CNPJ digits>
//        200 {"arquivo":"<entries in the suite's text layout>"}  ("" when there are none)
//   GET  <base>/empresas/<id>/notas-servico?referencia=MM/YYYY
//        200 {"notas":[{"numero":"..","xml":"<document>","chave":"<access key>","id":"<Nibo's id>",
//                       "situacao":"cancelada"}, ...]}
//        ("chave" and "id" may be missing: a note is then known in the fiscal queue by its text;
//        "situacao" "cancelada" marks the cancellation of a note, a document of its own that enters the
//        fiscal queue beside the authorised one, once)
//   Both GETs carry "Authorization: Bearer <access token>". Errors answer {"message":..}.
// An attempt fails (getErro) on what may pass: transport failures, 429, 5xx and unreadable answers;
// a refusal (other 4xx) or a company without its Nibo id ends it with FMensagem alone. Secrets
// (client secret, token) never reach FMensagem.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "framework/component/component.h"
#include "framework/core/datetime.h"

namespace vyn {

class TDatabase;

struct TDadosOAuth2 {
  int Codigo = 0;
  std::string ClientId;
  std::string ClientSecret;   // deciphered
};

class TOAUTH2MGR {
 public:
  // The office's record; Codigo 0 when there is none. The stored secret is deciphered through the
  // process context's DecifraSenha.
  static TDadosOAuth2 CarregaPorID(const TComponent* owner, int codigo, TDatabase* db = nullptr);
};

enum TTipoIntegracaoNibo : int { tinLancContabeis = 1 };

class THTTP_Nibo : public TComponent {
 public:
  explicit THTTP_Nibo(TComponent* owner = nullptr) : TComponent(owner) {}
  std::string ClassName() const override { return "THTTP_Nibo"; }

  int FCodigoEmpresa = 0;
  std::string FIdEmpresaNibo;
  std::string FDocumento;
  std::string FReferencia;   // MM/YYYY
  TDateTime FDataInicial;
  TDadosOAuth2 DadosOAuth2;
  std::string DirArquivoTempExtrair;
  void SetTipoProcesso(int t) { tipoProcesso_ = t; }
  void SetIsImpServ(bool on) { impServ_ = on; }
  void SetIsImpContab(bool on) { impContab_ = on; }
  void SetRef(int yyyymm) { ref_ = yyyymm; }
  // A scheduled run: the service documents go to the fiscal import queue here, and their work files
  // are deleted once queued (ListaNotasNFS then only names what was sent).
  void SetIsTarvo(bool on) { tarvo_ = on; }
  // Milliseconds; tests shorten it.
  int ReadTimeout = 60000;

  void Execute();

  bool FPossuiImportacao = false;
  // A scheduled run: how many of its documents the queue took (those it held already it did not).
  int NotasEnfileiradas = 0;
  std::string ArquivoTempExtraido;
  std::optional<std::vector<std::string>> ListaNotasNFS;
  // Each note's identity in the fiscal queue, in ListaNotasNFS's order: its access key, else
  // "nibo:" and Nibo's id, else empty (its text then names it).
  std::vector<std::string> IdentificadoresNotasNFS;
  bool getErro() const { return erro_; }
  std::string FMensagem;

 private:
  struct TSessao;
  void Falha(const std::string& texto, bool tentarDeNovo);
  // The run's steps; each false return means the run ended (FMensagem says why).
  bool Autentica(TSessao& s);
  bool ImportaLancamentos(TSessao& s, const std::string& empresa, const std::filesystem::path& pasta);
  void ImportaNotasServico(TSessao& s, const std::string& empresa, const std::filesystem::path& pasta);
  // Writes the service documents into dir (removed again on failure, and in a scheduled run once queued).
  std::vector<std::string> GravaNotas(const nlohmann::json& notas, const std::filesystem::path& dir);
  int tipoProcesso_ = tinLancContabeis;
  bool impServ_ = false;
  bool impContab_ = false;
  bool tarvo_ = false;
  int ref_ = 0;
  bool erro_ = false;
};

}  // namespace vyn
