#include "integrations/omie/uInt_EF_API_Omie.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>

#include "framework/accounting/empresas_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "integrations/omie/uIntegracaoOmie.Log.h"
#include "integrations/omie/uIntegracaoOmie.MovimentosFiscais.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

namespace {

struct TTipoDocumento {
  const char* Entrada;     // the kind's text in the caller's list
  int Posicao;
  const char* Progresso;
  const char* Modelo;      // "cModelo"
  const char* Pasta;
  TTypeLancamentos Tipo;
  const char* Recebidas;   // summary labels
  const char* Emitidas;
};

constexpr TTipoDocumento kTipos[] = {
    {"NFe", 3, "Buscando NF-e...", "55", "NFe", 34, "* NF-e de entrada: ", "* NF-e de saída: "},
    {"NFCe", 4, "Buscando NFC-e...", "65", "NFCe", 79, "* NFC-e de entrada: ", "* NFC-e de saída: "},
    {"CTe", 5, "Buscando CT-e...", "57", "CTe", 35, "* CT-e de entrada: ", "* CT-e de saída: "},
    {"CTeOs", 6, "Buscando CT-e OS...", "67", "CTeOS", 90, "* CT-e OS de entrada: ", "* CT-e OS de saída: "},
};

constexpr const char* kNaoEncontrados = "Não foram encontrados arquivos nesta referência!";

// A file-name part from the peer's text: letters, digits, '-' and '_' only, so that no name can leave
// the folder or be a device or hidden name.
std::string ParteNomeArquivo(const std::string& texto) {
  std::string out;
  for (char c : texto) {
    const auto u = static_cast<unsigned char>(c);
    out += (std::isalnum(u) && u < 0x80) || c == '-' || c == '_' ? c : '_';
  }
  return out.substr(0, 60);
}

// Lines of UTF-8 text, each ended by CR LF, after the byte-order mark.
void GravaLinhasUTF8(const fs::path& arquivo, const std::string& texto) {
  std::ofstream out(arquivo, std::ios::binary | std::ios::trunc);
  out << "\xEF\xBB\xBF";
  size_t i = 0;
  while (i < texto.size()) {
    size_t fim = texto.find_first_of("\r\n", i);
    if (fim == std::string::npos) fim = texto.size();
    out << texto.substr(i, fim - i) << "\r\n";
    if (fim < texto.size() && texto[fim] == '\r' && fim + 1 < texto.size() && texto[fim + 1] == '\n') ++fim;
    i = fim + 1;
  }
  if (!out) throw std::runtime_error("Não foi possível gravar o arquivo " + arquivo.string());
}

// Omie's cStatus of a cancelled document (its text then carries cStat 101).
constexpr const char* kStatusCancelada = "10";

// The document's identity in the queue: its access key, else Omie's id of it; empty without either.
// A cancellation is a state of its own: the fiscal module must receive it even when the authorised
// version was queued before, and receive it once.
std::string IdentificadorDocumento(const TMovimentosFiscais& doc) {
  std::string id = Trim(doc.FChaveNFe);
  if (id.empty() && !Trim(doc.FIdNF).empty()) id = "nIdNF:" + Trim(doc.FIdNF);
  if (!id.empty() && Trim(doc.FStatus) == kStatusCancelada) id = "cancelada:" + id;
  return id.substr(0, 100);
}

}  // namespace

std::string ChaveOmieEmpresa(const TComponent* owner, int prCodEmp) {
  return TEmpresasMGR::GetRetornaCampoEmpresa(owner, prCodEmp, "BDCHAVEACESSOOMIE").AsString();
}

std::string SenhaOmieEmpresa(const TComponent* owner, int prCodEmp) {
  return TString_VYN(nullptr, TEmpresasMGR::GetRetornaCampoEmpresa(owner, prCodEmp, "BDSENHAOMIE").AsString())
      .GetDescriptografa();
}

TInt_EF_API_Omie::TInt_EF_API_Omie(TComponent* AOwner) : TInt_EF_API_Parceiros(AOwner) {}

std::string TInt_EF_API_Omie::BuscaAutenticacao() {
  FAppKey = ChaveOmieEmpresa(this, FCodEmp);
  FAppSecret = SenhaOmieEmpresa(this, FCodEmp);
  if (Trim(FAppKey).empty()) return "Chave de acesso não informada na Configuração de Serviços Web";
  if (Trim(FAppSecret).empty()) return "Senha de acesso não informada na Configuração de Serviços Web";
  return {};
}

void TInt_EF_API_Omie::ApagarDiretorio(const std::string& prCaminho) {
  std::error_code ec;
  fs::remove_all(prCaminho, ec);
}

void TInt_EF_API_Omie::AddArquivos(const std::string& prPasta, const TRetornoOmieLista<TMovimentosFiscais>& prRetorno,
                                   std::vector<TDocumentoParceiro>& prLista) {
  for (const TMovimentosFiscais* doc : prRetorno.ObjetoRetorno) {
    if (doc->FXML.empty()) continue;
    // A document without a usable access key keeps its Omie id; one without either gets a number of
    // the run, so that two of them never share a file.
    std::string chave = ParteNomeArquivo(doc->FChaveNFe);
    if (chave.empty() && !Trim(doc->FIdNF).empty()) chave = "SEMCHAVE-" + ParteNomeArquivo(doc->FIdNF);
    if (chave.empty()) chave = "SEMID-" + std::to_string(++FSemIdentificacao);
    const std::string nome = chave + "_" + ParteNomeArquivo(doc->FNumero) + ".xml";
    const std::string caminho = (fs::path(prPasta) / nome).string();
    GravaLinhasUTF8(caminho, doc->FXML);
    // The file holds the last version written, so its identity is that version's (a cancellation listed
    // after the authorised document is queued as the cancellation).
    auto mesmo = std::find_if(prLista.begin(), prLista.end(), [&](const auto& d) { return d.Arquivo == caminho; });
    if (mesmo == prLista.end())
      prLista.push_back({caminho, IdentificadorDocumento(*doc)});
    else
      mesmo->Identificador = IdentificadorDocumento(*doc);
  }
  FPossuiNotas = FPossuiNotas || !prLista.empty();
}

std::string TInt_EF_API_Omie::GetArquivos(int prCodEmp, int prReferencia, const std::vector<std::string>& prTiposArq,
                                          TTipoMovimento prTipoMov) {
  FCodEmp = prCodEmp;
  FReferencia = prReferencia;
  FContador = 0;
  FFalha = BuscaAutenticacao();
  if (FFalha.empty() && !IsValidAnoMes(prReferencia))
    FFalha = "Referência " + std::to_string(prReferencia) + " inválida!";
  if (!FFalha.empty()) return FFalha;
  std::string resultado;

  const TDateTime dataIni = FirstDayOfAnoMes(prReferencia);
  const TDateTime dataFim = LastDayOfAnoMes(prReferencia);
  const bool recebidas = prTipoMov == tmAmbos || prTipoMov == tmEntrada;
  const bool emitidas = prTipoMov == tmAmbos || prTipoMov == tmSaida;
  bool marcado[std::size(kTipos)] = {};
  for (const std::string& t : prTiposArq)
    for (size_t i = 0; i < std::size(kTipos); ++i)
      if (t == kTipos[i].Entrada) marcado[i] = true;   // exact: "nfe" is not a kind

  FPossuiNotas = false;
  FSemIdentificacao = 0;
  FDiretorio = (fs::path(PastaTempOmie()) / (std::to_string(prCodEmp) + "_" + FormatDate("yyyy_mm_dd_hhnnss", Now())))
                   .string();
  fs::create_directories(FDiretorio);
  ProgressoBarra(2, "Realizando busca das notas");

  // Held here, so that it is freed on every way out of the run.
  auto cliente = std::make_unique<TIntegracaoOmieMovimentosFiscais_VYN>(nullptr, FAppKey, FAppSecret);
  cliente->SetCaminhoSalvarRequisicao((fs::path(FDiretorio) / "Envio").string());
  if (OnPreparaClienteOmie) OnPreparaClienteOmie(*cliente);
  std::vector<TDocumentoParceiro> arquivos;
  std::vector<std::string> falhas;
  std::string resumo =
      "Consulta de documentos realizado com sucesso! \r\n\r\nOs seguintes documentos foram encontrados e foram "
      "enviados para a fila de importação: ";

  // A run that fails midway leaves nothing behind: the documents already queued are in the queue, and
  // a folder nobody is told about would only pile up.
  try {
    for (size_t i = 0; i < std::size(kTipos); ++i) {
      const TTipoDocumento& tipo = kTipos[i];
      ProgressoBarra(tipo.Posicao, tipo.Progresso);
      if (marcado[i] && (recebidas || emitidas)) {
        FContador = 0;
        for (const bool entrada : {true, false}) {
          if (entrada ? !recebidas : !emitidas) continue;
          const fs::path pasta = fs::path(FDiretorio) / "Retorno" / tipo.Pasta / (entrada ? "Recebidas" : "Emitidas");
          fs::create_directories(pasta);
          auto* ret = cliente->GetMovimentosDaReferencia(dataIni, dataFim, tipo.Modelo, entrada ? "0" : "1");
          std::unique_ptr<TComponent> libera(ret->ReleaseFromOwner());
          AddArquivos(pasta.string(), *ret, arquivos);
          const char* rotulo = entrada ? tipo.Recebidas : tipo.Emitidas;
          // An Omie refusal (wrong credentials, a failed page) must not read as an empty month.
          if (ret->RetornoOmie.StatusCode != 200) {
            const std::string falha = std::string(rotulo) + "[OMIE] " + std::to_string(ret->RetornoOmie.StatusCode) +
                                      " - " + FaultStringOmie(ret->RetornoOmie.Response);
            falhas.push_back(falha);
            AddLog(falha);
          }
          // What a repeated run finds already queued was not sent now: the summary counts only the new.
          const int novos = IntegrarNotas(arquivos, tipo.Tipo);
          if (!arquivos.empty()) resumo += "\r\n" + std::string(rotulo) + std::to_string(novos);
          arquivos.clear();
        }
      }
      ApagarDiretorio((fs::path(FDiretorio) / "Retorno" / tipo.Pasta).string());
    }
  } catch (...) {
    ApagarDiretorio(FDiretorio);
    throw;
  }

  std::string falhasTexto;
  if (!falhas.empty()) {
    falhasTexto = "Falha na consulta de documentos da Omie:";
    for (const std::string& f : falhas) falhasTexto += "\r\n" + f;
  }
  FFalha = falhasTexto;
  if (FPossuiNotas) {
    FRealizouProcesso = true;
    resultado = resumo + "\r\n\r\n";
    if (!falhasTexto.empty()) resultado += falhasTexto + "\r\n\r\n";
  } else {
    ApagarDiretorio(FDiretorio);
    resultado = falhasTexto.empty() ? kNaoEncontrados : falhasTexto;
  }
  return resultado;
}

}  // namespace integracao
