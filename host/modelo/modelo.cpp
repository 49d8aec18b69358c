#include "host/modelo/modelo.h"

#include <algorithm>

namespace modelo {

bool TModelo::TemExtrato(int e) const { return std::find(Extratos.begin(), Extratos.end(), e) != Extratos.end(); }

std::vector<size_t> TModelo::LinhasDo(int extrato) const {
  std::vector<size_t> r;
  for (size_t i = 0; i < Movimentos.size(); ++i)
    if (Movimentos[i].Extrato == extrato) r.push_back(i);
  return r;
}

void TModelo::Importa(int extrato) {
  for (size_t i : LinhasDo(extrato)) {
    TMovimento& m = Movimentos[i];
    if (!Lancavel(m)) continue;
    Lancamentos.push_back({i, m.Resta()});
    m.Lancado = m.Centavos;
  }
}

void TModelo::ImportaArquivos() {
  for (TArquivo& a : Arquivos) {
    if (!a.Aguardando || a.Avisado) continue;
    bool inteiro = true;
    for (size_t i : a.Linhas) {
      TMovimento& m = Movimentos[i];
      if (m.Resta() > 0 && !(m.Mes == 1 && JaneiroEncerrado)) {
        Lancamentos.push_back({i, m.Resta()});
        m.Lancado = m.Centavos;
      }
      inteiro = inteiro && m.Inteiro();
    }
    if (inteiro) a.Aguardando = false;
    else a.Avisado = true;
  }
}

void TModelo::Insere(size_t onde, TMovimento mov) {
  for (TLancamento& l : Lancamentos)
    if (l.Movimento >= onde) ++l.Movimento;
  for (TArquivo& a : Arquivos)
    for (size_t& i : a.Linhas)
      if (i >= onde) ++i;
  Movimentos.insert(Movimentos.begin() + static_cast<std::ptrdiff_t>(onde), std::move(mov));
}

void TModelo::Apaga(size_t lancamento) {
  const TLancamento l = Lancamentos.at(lancamento);
  Lancamentos.erase(Lancamentos.begin() + static_cast<std::ptrdiff_t>(lancamento));
  TMovimento& m = Movimentos.at(l.Movimento);
  m.Lancado -= l.Centavos;
  m.Integrado = false;
}

void TModelo::Corrige(size_t movimento, int64_t centavos) {
  TMovimento& m = Movimentos.at(movimento);
  if (m.Lancado > 0) m.Alterado = true;
  m.Centavos = centavos;
  m.MaiorValor = std::max(m.MaiorValor, centavos);
}

}  // namespace modelo
