#pragma once
// The module's own client of the Omie web API: JSON over HTTPS, one POST per call, every request in
// the same envelope {"call", "app_key", "app_secret", "param": [obj]} with the company's key and
// secret. Endpoint classes derive from TIntegracaoOmie_VYN<T> for their entity and give the path.
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/component/component.h"
#include "framework/web/http_retry.h"

namespace vyn {
class THTTPVYN;
}

namespace integracao {

using TJsonOmie = nlohmann::ordered_json;

// The API's path under the configured host; the endpoint path follows it directly.
inline constexpr const char* C_URL_CAMINHO = "/api/v1";
inline constexpr int C_LOTE = 1000;
// Throttling answer of the API, compared in upper case.
inline constexpr const char* C_OMIE_TENTE_NOVAMENTE = "PODE TENTAR NOVAMENTE EM ALGUNS INSTANTES";
inline constexpr int C_OMIE_TENTATIVAS = 3;
// A refusal of a record already there, compared in upper case.
inline constexpr const char* C_OMIE_JA_CADASTRADO = "JÁ CADASTRAD";
inline constexpr int C_OMIE_ESPERA_MS = 30500;
// The most pages a paged query reads (100 records each): a peer that answers a larger total, or a
// total that never ends, must not keep the client paging for ever.
inline constexpr int C_OMIE_MAX_PAGINAS = 1000;
// The status given to a 2xx answer that is not what the call expects (not a JSON object, a page
// without its list, a total of pages beyond the bound): the peer failed, as a gateway's 502 says.
inline constexpr int C_OMIE_RESPOSTA_INVALIDA = 502;

// The raw outcome of one exchange: 200 on success (whatever 2xx the server sent), else the HTTP status;
// Response is never null after a completed exchange.
struct TRetornoOmieRegistro {
  int StatusCode = 0;
  TJsonOmie Response = TJsonOmie::object();
};

// An Omie entity: renders itself to, and reads itself from, a JSON object.
class TObjetoOmie : public vyn::TComponent {
 public:
  using vyn::TComponent::TComponent;
  virtual TJsonOmie ToJSON() const = 0;
  virtual void FromJSON(const TJsonOmie& prJSONObject) = 0;
  // The whole element of a list answer, after FromJSON read its "detalhes": what a list keeps beside them.
  virtual void FromElementoLista(const TJsonOmie&) {}
};

// A member read as text; an absent or null member reads as the empty text.
std::string LeTextoOmie(const TJsonOmie& obj, const std::string& membro);
// An integer member given as a number or as decimal text; fallback otherwise.
int LeInteiroOmie(const TJsonOmie& obj, const std::string& membro, int fallback);
// "faultstring" of an answer as text (empty when absent).
std::string FaultStringOmie(const TJsonOmie& resposta);
// Whether a refusal says the record is already there: Omie refuses a second inclusion of an
// integration code with a fault text holding "já cadastrado" (any case).
bool JaCadastradoOmie(const TRetornoOmieRegistro& r);
// What became of one record of a batch.
enum TSituacaoLoteOmie { slIncluido, slJaCadastrado, slRecusado };
// A failed exchange for a 2xx answer Omie should not have given; the text says what was wrong.
TRetornoOmieRegistro RespostaInvalidaOmie(const std::string& prMotivo);

// Result of an entity-level call: the (last) exchange and the entity read from it, or nullptr.
template <class T>
class TRetornoOmie : public vyn::TComponent {
 public:
  using vyn::TComponent::TComponent;
  TRetornoOmieRegistro RetornoOmie;
  T* ObjetoRetorno = nullptr;   // owned by the client
};

// Result of a paged query: every entity read, and the exchange that decides the outcome (the first
// page that failed, else the last page).
template <class T>
class TRetornoOmieLista : public vyn::TComponent {
 public:
  using vyn::TComponent::TComponent;
  TRetornoOmieRegistro RetornoOmie;
  std::vector<T*> ObjetoRetorno;   // owned by the client
};

// What the generic client does for any entity.
class TIntegracaoOmieBase : public vyn::TComponent {
 public:
  TIntegracaoOmieBase(vyn::TComponent* AOwner, std::string AppKey, std::string AppSecret);
  ~TIntegracaoOmieBase() override;

  const std::string& AppKey() const { return FAppKey; }
  const std::string& AppSecret() const { return FAppSecret; }
  std::function<void(vyn::TComponent*)> OnAfterPost;
  const std::string& CaminhoSalvarRequisicao() const { return FCaminhoSalvarRequisicao; }
  void SetCaminhoSalvarRequisicao(std::string caminho) { FCaminhoSalvarRequisicao = std::move(caminho); }

  // The host part of the address ("https://host"); unset, it comes from the service configuration
  // (INTEGRACAO_OMIE_URL or the parameter table).
  void SetURLBase(std::string url) { FURLBase = std::move(url); }
  // Waits between throttled attempts; unset, the calling thread sleeps.
  void SetSleeper(vyn::TSleeper sleeper) { FSleeper = std::move(sleeper); }

  virtual std::string GetURL() const = 0;

  static TJsonOmie converteRespostaJSON(const std::string& texto);

  // The one place where the module talks to Omie. Transport failures raise vyn::EHTTPError.
  TRetornoOmieRegistro RealizaPostGenerico(const std::string& prCall, const TJsonOmie& prParam);

 protected:
  std::unique_ptr<vyn::THTTPVYN> montaHTTPVYN();
  std::string EnderecoCompleto() const;
  // The request copy: secrets masked, one file per call.
  void SalvaRequisicao(const std::string& prCall, const TJsonOmie& envelope) const;

 private:
  std::string FAppKey;
  std::string FAppSecret;
  std::string FCaminhoSalvarRequisicao;
  std::string FURLBase;
  vyn::TSleeper FSleeper;
};

template <class T>
class TIntegracaoOmie_VYN : public TIntegracaoOmieBase {
 public:
  using TIntegracaoOmieBase::TIntegracaoOmieBase;

  // One entity per element; an element with a non-empty "detalhes" object is read from it.
  void AddRegistrosNaLista(std::vector<T*>& lista, const TJsonOmie& itens) {
    if (!itens.is_array()) return;
    for (const TJsonOmie& item : itens) {
      if (!item.is_object()) continue;
      const TJsonOmie* origem = &item;
      auto det = item.find("detalhes");
      if (det != item.end() && det->is_object() && !det->empty()) origem = &*det;
      T* obj = Create<T>();
      obj->FromJSON(*origem);
      obj->FromElementoLista(item);
      lista.push_back(obj);
    }
  }

  // Entity always created; filled only on success.
  TRetornoOmie<T>* RealizaPostRetornando(const std::string& prCall, const TJsonOmie& prParam) {
    auto* r = Create<TRetornoOmie<T>>();
    r->ObjetoRetorno = Create<T>();
    r->RetornoOmie = RealizaPostGenerico(prCall, prParam);
    if (r->RetornoOmie.StatusCode == 200) r->ObjetoRetorno->FromJSON(r->RetornoOmie.Response);
    return r;
  }

  // Entity created only on success.
  TRetornoOmie<T>* RealizaConsultaPorCampo(const std::string& prCall, const TJsonOmie& prParam) {
    auto* r = Create<TRetornoOmie<T>>();
    r->RetornoOmie = RealizaPostGenerico(prCall, prParam);
    if (r->RetornoOmie.StatusCode == 200) {
      r->ObjetoRetorno = Create<T>();
      r->ObjetoRetorno->FromJSON(r->RetornoOmie.Response);
    }
    return r;
  }

  // 100 records a page until the answered total of pages (at most C_OMIE_MAX_PAGINAS), or until a
  // page comes back empty. A page that fails, or answers without its list, adds nothing, but the
  // result keeps its status and answer, so an incomplete list is never taken for a complete one.
  TRetornoOmieLista<T>* RealizaConsultaPaginada(const std::string& prCall, const std::string& prLista,
                                                TJsonOmie& prParam, const std::string& prPagina,
                                                const std::string& prPorPagina, const std::string& prTotalPaginas) {
    auto* r = Create<TRetornoOmieLista<T>>();
    prParam[prPorPagina] = 100;
    int total = 1;
    for (int pagina = 1; pagina <= total; ++pagina) {
      prParam[prPagina] = pagina;
      TRetornoOmieRegistro ret = RealizaPostGenerico(prCall, prParam);
      bool vazia = false;
      if (ret.StatusCode == 200) {
        auto lista = ret.Response.find(prLista);
        total = LeInteiroOmie(ret.Response, prTotalPaginas, total);
        if (lista == ret.Response.end() || !lista->is_array()) {
          ret = RespostaInvalidaOmie("a página " + std::to_string(pagina) + " veio sem a lista \"" + prLista + "\"");
        } else if (total > C_OMIE_MAX_PAGINAS) {
          ret = RespostaInvalidaOmie("foram informadas " + std::to_string(total) + " páginas, além do limite de " +
                                     std::to_string(C_OMIE_MAX_PAGINAS));
        } else {
          AddRegistrosNaLista(r->ObjetoRetorno, *lista);
          vazia = lista->empty();
        }
      }
      r->RetornoOmie = std::move(ret);
      if (r->RetornoOmie.StatusCode != 200 || vazia) break;
    }
    return r;
  }

  // One record per request ({"lote": "1000", list: [record]}); stops at the first refusal, except
  // one saying the record is already in Omie (a repeated run), which goes on with the next record.
  // Answers the refusal that stopped the batch, else the last acceptance; prSituacao (when given)
  // gets the outcome of every record sent, in order.
  TRetornoOmieRegistro RealizaPostGenericoEmLote(const std::string& prCall, const std::string& prLista,
                                                 const std::vector<T*>& prItens,
                                                 std::vector<TSituacaoLoteOmie>* prSituacao = nullptr) {
    TRetornoOmieRegistro decisivo;
    decisivo.StatusCode = 200;
    if (prSituacao) prSituacao->clear();
    TJsonOmie param = TJsonOmie::object();
    param["lote"] = std::to_string(C_LOTE);
    for (const T* item : prItens) {
      param[prLista] = TJsonOmie::array({item->ToJSON()});
      TRetornoOmieRegistro ret = RealizaPostGenerico(prCall, param);
      const TSituacaoLoteOmie situacao =
          ret.StatusCode == 200 ? slIncluido : (JaCadastradoOmie(ret) ? slJaCadastrado : slRecusado);
      if (prSituacao) prSituacao->push_back(situacao);
      if (situacao != slJaCadastrado) decisivo = std::move(ret);
      if (situacao == slRecusado) break;
    }
    return decisivo;
  }
};

}  // namespace integracao
