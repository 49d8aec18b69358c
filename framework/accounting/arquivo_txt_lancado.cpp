#include "framework/accounting/arquivo_txt_lancado.h"

#include <map>
#include <vector>

#include "framework/accounting/importacao_lanc_txt.h"
#include "framework/accounting/importacao_lanc_txt_fonte.h"
#include "framework/livros/livros.h"

namespace vyn {

namespace {

constexpr size_t kChavesPorPergunta = 500;

bool NadaResta(const TFonteRegistrada& f) {
  // A source recorded without a value is only ever booked whole; one with a value may be booked in part.
  return f.Valor == Currency() ? f.ChaveLancamento != 0 : f.Resto() <= Currency();
}

}  // namespace

std::optional<long long> ArquivoTxtTodoLancado(TLivros& livros, const std::string& caminho, char separador, int codEmpPadrao) {
  TArquivoTxtEmLinhas fonte(caminho);
  if (!fonte.Aberto()) return std::nullopt;
  std::map<int, std::vector<std::string>> pendentes;   // per company, keys not asked yet
  TChavesLinhasTxt identidades;
  long long linhas = 0;
  bool todas = true;
  auto pergunta = [&](int empresa, std::vector<std::string>& chaves) {
    const auto registradas = livros.FontesRegistradas(empresa, TTipoFonte::ArquivoLancamentos, chaves);
    for (const std::string& c : chaves) {
      const auto it = registradas.find(c);
      if (it == registradas.end() || !NadaResta(it->second)) todas = false;
    }
    chaves.clear();
  };
  TArquivoLancamentosTxt resto;
  LeArquivoLancamentosTxt([&fonte](std::string& s) { return fonte.Proxima(s); }, separador, codEmpPadrao,
                          [&](TLinhaLancamentoTxt& l) {
                            if (!todas) return;
                            ++linhas;
                            std::vector<std::string>& chaves = pendentes[l.CodEmp];
                            chaves.push_back(identidades.Proxima(l));
                            if (chaves.size() >= kChavesPorPergunta) pergunta(l.CodEmp, chaves);
                          },
                          resto);
  for (auto& [empresa, chaves] : pendentes)
    if (todas && !chaves.empty()) pergunta(empresa, chaves);
  if (linhas == 0 || !todas || !resto.Erros.empty()) return std::nullopt;
  return linhas;
}

}  // namespace vyn
