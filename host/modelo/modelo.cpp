#include "host/modelo/modelo.h"

#include <algorithm>

namespace modelo {

int64_t TMovimento::Resta() const {
  const int64_t contra = Centavos - Lancado, banco = Centavos - Banco;
  const int64_t ambos = std::min(contra, banco);
  return ambos > 0 ? ambos : std::max<int64_t>({contra, banco, 0});
}

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
    if (Lancavel(m)) LancaResto(i);
  }
}

void TModelo::LancaResto(size_t movimento) {
  TMovimento& m = Movimentos[movimento];
  const int64_t resta = m.Resta();
  const TLado lado = m.SoBanco() ? TLado::Banco : m.SoContrapartida() ? TLado::Contrapartida : TLado::Ambos;
  Lancamentos.push_back({movimento, resta, lado});
  if (lado != TLado::Banco) m.Lancado += resta;
  if (lado != TLado::Contrapartida) m.Banco += resta;
}

void TModelo::Divide(size_t movimento, const std::vector<int64_t>& linhas) {
  TMovimento& m = Movimentos[movimento];
  Lancamentos.push_back({movimento, m.Resta(), TLado::Banco});
  m.Banco += m.Resta();
  for (int64_t v : linhas) {
    Lancamentos.push_back({movimento, v, TLado::Contrapartida});
    m.Lancado += v;
  }
}

void TModelo::Baixa(size_t movimento, size_t parcela) {
  TMovimento& m = Movimentos[movimento];
  TParcela& p = Parcelas[parcela];
  const int64_t valor = std::min(m.Resta(), p.Deve());
  if (valor <= 0) return;
  Lancamentos.push_back({movimento, valor, TLado::Ambos, static_cast<int>(parcela)});
  m.Lancado += valor;
  m.Banco += valor;
  p.Pago += valor;
}

void TModelo::ImportaArquivos() {
  for (TArquivo& a : Arquivos) {
    if (!a.Aguardando || a.Pasta || a.Avisado) continue;
    bool inteiro = true;
    for (size_t i : a.Linhas) {
      TMovimento& m = Movimentos[i];
      if (m.Resta() > 0 && !(m.Mes == 1 && JaneiroEncerrado)) LancaResto(i);
      inteiro = inteiro && m.Inteiro();
    }
    if (inteiro) a.Aguardando = false;
    else a.Avisado = true;
  }
}

void TModelo::ImportaPasta() {
  for (const TArquivo& a : Arquivos)
    if (a.Pasta)
      for (size_t i : a.Linhas)
        if (Movimentos[i].Resta() > 0 && !(Movimentos[i].Mes == 1 && JaneiroEncerrado)) LancaResto(i);
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
  if (l.Lado != TLado::Banco) m.Lancado -= l.Centavos;
  if (l.Lado != TLado::Contrapartida) m.Banco -= l.Centavos;
  m.Integrado = false;
}

void TModelo::Corrige(size_t movimento, int64_t centavos) {
  TMovimento& m = Movimentos.at(movimento);
  if (m.Lancado > 0 || m.Banco > 0) m.Alterado = true;
  m.Centavos = centavos;
  m.MaiorValor = std::max(m.MaiorValor, centavos);
}

}  // namespace modelo
