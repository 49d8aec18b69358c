#include "host/modelo/comandos.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"

namespace modelo {

TOpcoes& Opcoes() {
  static TOpcoes o;
  return o;
}

namespace {

const char* const kTextos[] = {"TARIFA", "PIX RECEBIDO", "TED ENVIADA", "BOLETO PAGO"};

std::string Reais(int64_t c) { return fmt::format("{},{:02}", c / 100, c % 100); }

std::string Descreve(const TMovimento& m) {
  return fmt::format("[{} id {} {:02}/{:02} {} {} dcto {}{}{}]", m.Extrato, m.Id, m.Dia, m.Mes, m.Lado,
                     Reais(m.Centavos), m.Dcto, m.Repetido ? " repetido" : "", m.Alterado ? " alterado" : "");
}

// The statement's lines, fresh: the cents of a real movement, never zero.
TLinhaNova GeraLinha(int anteriores, bool podeSemId) {
  TLinhaNova l;
  if (Opcoes().LinhasIguais && anteriores > 0 && *rc::gen::inRange(0, 5) == 0) {
    l.IgualA = *rc::gen::inRange(0, anteriores);
    l.ComId = false;
    return l;
  }
  l.ComId = !podeSemId || *rc::gen::inRange(0, 3) != 0;
  l.Mes = *rc::gen::inRange(1, 3);
  l.Dia = *rc::gen::inRange(1, 29);
  l.Centavos = *rc::gen::inRange<int64_t>(1, 300000);
  l.Lado = *rc::gen::element('D', 'C');
  return l;
}

void MostraLinha(std::ostream& os, const TLinhaNova& l) {
  os << "{" << (l.ComId ? "true" : "false") << ", " << l.Mes << ", " << l.Dia << ", " << l.Centavos << ", '" << l.Lado
     << "', " << l.IgualA << "}";
}

TMovimento NovoMovimento(TModelo& m, int extrato, const TLinhaNova& l, const std::vector<size_t>& linhas) {
  TMovimento r;
  if (l.IgualA >= 0 && static_cast<size_t>(l.IgualA) < linhas.size()) {
    r = m.Movimentos[linhas[static_cast<size_t>(l.IgualA)]];
    r.Lancado = r.Banco = r.AMao = 0;
    r.MaiorValor = r.Centavos;
    r.Repetido = r.Alterado = r.Integrado = false;
  } else {
    r.Mes = l.Mes;
    r.Dia = l.Dia;
    r.Centavos = r.MaiorValor = l.Centavos;
    r.Lado = l.Lado;
    r.Dcto = std::to_string(m.ProximoDcto++);
    r.Texto = std::string(kTextos[r.Centavos % 4]) + " " + r.Dcto;
  }
  r.Extrato = extrato;
  r.Id = l.ComId ? m.ProximoId++ : 0;
  return r;
}

// Where the statement's line at `posicao` goes among all movements (after its last line when past it).
size_t IndiceGlobal(const TModelo& m, int extrato, size_t posicao) {
  const auto linhas = m.LinhasDo(extrato);
  if (posicao < linhas.size()) return linhas[posicao];
  return linhas.empty() ? m.Movimentos.size() : linhas.back() + 1;
}

// The run's own failure, with what the screens said.
[[noreturn]] void Falha(TSistema& sut, const std::string& oque) {
  RC_FAIL(oque + "\nO que as telas disseram:\n" + sut.Usuario().Conversa());
}

std::string Lista(const std::multiset<TOferta>& o) {
  std::string r;
  for (const TOferta& x : o) r += " " + x.Dcto + "=" + Reais(x.Centavos);
  return r.empty() ? " (nenhuma)" : r;
}

std::multiset<TOferta> OfertasEsperadas(const TModelo& m, int extrato) {
  std::multiset<TOferta> r;
  for (size_t i : m.LinhasDo(extrato))
    if (TModelo::Oferecido(m.Movimentos[i])) r.insert({m.Movimentos[i].Dcto, m.Movimentos[i].Resta()});
  return r;
}

// Each document's side, and the lines the user gives no account: offered for the bank's side alone.
std::map<std::string, char> Lados(const TModelo& m, int extrato) {
  std::map<std::string, char> r;
  for (size_t i : m.LinhasDo(extrato)) r[m.Movimentos[i].Dcto] = m.Movimentos[i].Lado;
  return r;
}

std::set<TOferta> SemConta(const TModelo& m, int extrato) {
  std::set<TOferta> r;
  for (size_t i : m.LinhasDo(extrato))
    if (m.Movimentos[i].SoBanco()) r.insert({m.Movimentos[i].Dcto, m.Movimentos[i].Resta()});
  return r;
}

using TRevisao = integracao::TfrConsultaImportacaoExtratoBancario;

// The review opened on the statement offers what is left of each line; the user does `antes` to it
// (a link, a split), then imports them.
void ImportaNaRevisao(const TModelo& s0, TSistema& sut, int extrato,
                      const std::function<int64_t(TRevisao&)>& antes = {}) {
  TRevisao* t = sut.AbreRevisao(extrato);
  const auto esperadas = OfertasEsperadas(s0, extrato);
  const auto ofertas = t ? TSistema::Ofertas(*t) : std::multiset<TOferta>{};
  if (ofertas != esperadas)
    Falha(sut, fmt::format("a revisão do extrato {} oferece{} e devia oferecer{}", extrato, Lista(ofertas),
                           Lista(esperadas)));
  if (!t) return;
  const int64_t mexida = antes ? antes(*t) : 0;
  if (!ofertas.empty()) sut.Importa(*t, Lados(s0, extrato), SemConta(s0, extrato), mexida);
  sut.Fecha(*t);
}

// Marks the whole lines of the imported statement as told to Dyq: the model's expectation.
void MarcaIntegrados(TModelo& m, int extrato) {
  for (size_t i : m.LinhasDo(extrato)) {
    TMovimento& mov = m.Movimentos[i];
    if (mov.Id && !mov.Repetido && !mov.Alterado && mov.Inteiro()) mov.Integrado = true;
  }
}

// A run that threw is a fault too: the user met an error the model does not expect.
template <class F>
void Executa(TSistema& sut, const char* oque, F&& f) {
  try {
    f();
  } catch (const rc::detail::CaseResult&) {
    throw;
  } catch (const std::exception& e) {
    Falha(sut, std::string(oque) + " terminou com o erro: " + e.what());
  }
}

void MostraLinhas(std::ostream& os, const char* comando, const std::vector<TLinhaNova>& linhas) {
  os << comando << "({";
  for (size_t i = 0; i < linhas.size(); ++i) {
    if (i) os << ", ";
    MostraLinha(os, linhas[i]);
  }
  os << "})";
}

// Dyq (or the client) now holds what the command made: the books must not have moved.
void PublicaEVerifica(const TComando& c, const TModelo& s0, TSistema& sut) {
  TModelo s1 = s0;
  c.apply(s1);
  sut.Publica(s1);
  Verifica(s0, s1, sut, 0);
}

}  // namespace

// ---- invariants ----

void Verifica(const TModelo& s0, const TModelo& s1, TSistema& sut, int importado) {
  std::string falhas;
  // What the books hold of each document is what the model booked of its movements: never more
  // than their value, never twice, and what the user imported is there.
  std::map<std::string, int64_t> contrapartida, banco, teto;
  std::map<std::string, std::string> quem;
  for (const TMovimento& m : s1.Movimentos) {
    contrapartida[m.Dcto] += m.Lancado + m.AMao;
    banco[m.Dcto] += m.Banco + m.AMao;
    teto[m.Dcto] += m.MaiorValor + m.AMao;
    quem[m.Dcto] += Descreve(m);
  }
  const auto lancado = sut.Lancado();
  for (const auto& [dcto, l] : lancado)
    if (!teto.count(dcto)) falhas += fmt::format("lançado {} de um documento {} que nenhum extrato traz\n", Reais(l.Banco), dcto);
  for (const auto& [dcto, valor] : contrapartida) {
    const TLancadoDcto l = lancado.count(dcto) ? lancado.at(dcto) : TLancadoDcto{};
    if (l.Banco > teto[dcto] || l.Contrapartida > teto[dcto])
      falhas += fmt::format("{}: lançado além do valor: banco {}, contrapartida {}\n", quem[dcto], Reais(l.Banco),
                            Reais(l.Contrapartida));
    else if (l.Banco != banco[dcto] || l.Contrapartida != valor)
      falhas += fmt::format("{}: lançado banco {}, contrapartida {}; devia banco {}, contrapartida {}\n", quem[dcto],
                            Reais(l.Banco), Reais(l.Contrapartida), Reais(banco[dcto]), Reais(valor));
  }
  // An installment is paid what the links settled of it, never beyond its value.
  const std::map<int, int64_t> pago = sut.Pago();
  for (const TParcela& p : s1.Parcelas) {
    const int64_t x = pago.count(p.Chave) ? pago.at(p.Chave) : 0;
    if (x > p.Valor || x != p.Pago)
      falhas += fmt::format("a parcela {} de {} está paga em {}; devia {}\n", p.Chave, Reais(p.Valor), Reais(x), Reais(p.Pago));
  }
  // Dyq is told "integrated" exactly when a line is whole.
  const std::multiset<int> ditos = sut.IntegradosNovos();
  for (int id : std::set<int>(ditos.begin(), ditos.end())) {
    for (const TMovimento& m : s1.Movimentos)
      if (m.Id == id && (m.Repetido || !m.Inteiro()))
        falhas += fmt::format("Dyq ouviu \"integrado\" do item {} que não está inteiro nos livros: {}\n", id, Descreve(m));
  }
  if (importado)
    for (size_t i : s1.LinhasDo(importado)) {
      const TMovimento& m = s1.Movimentos[i];
      if (m.Integrado && !s0.Movimentos[i].Integrado && !ditos.count(m.Id))
        falhas += fmt::format("a linha {} foi lançada inteira e Dyq não ouviu \"integrado\"\n", Descreve(m));
    }
  const std::string razao = sut.ViolacoesNovas();
  if (!razao.empty()) falhas += "o verificador do razão acusa:\n" + razao;
  if (!falhas.empty()) Falha(sut, falhas);
  const std::string conversa = sut.Usuario().Conversa();
  if (const char* v = std::getenv("MODELO_LIVROS_VERBOSO"); v && *v == '1') {
    std::string livros;
    for (const auto& [dcto, l] : lancado) livros += fmt::format(" {}={}", dcto, Reais(l.Banco));
    std::fprintf(stderr, "livros:%s\n%s", livros.c_str(), conversa.c_str());
  }
}

// ---- Libera ----

Libera::Libera(const TModelo& m) {
  RC_PRE(m.Extratos.size() < 4);
  const int n = *rc::gen::inRange(1, 5);
  for (int i = 0; i < n; ++i) Linhas.push_back(GeraLinha(i, true));
}

void Libera::apply(TModelo& m) const {
  const int extrato = 501 + static_cast<int>(m.Extratos.size());
  m.Extratos.push_back(extrato);
  std::vector<size_t> linhas;
  for (const TLinhaNova& l : Linhas) {
    m.Movimentos.push_back(NovoMovimento(m, extrato, l, linhas));
    linhas.push_back(m.Movimentos.size() - 1);
  }
}

void Libera::run(const TModelo& s0, TSistema& sut) const {
  PublicaEVerifica(*this, s0, sut);
}

void Libera::show(std::ostream& os) const { MostraLinhas(os, "Libera", Linhas); }

// ---- InsereLinha ----

InsereLinha::InsereLinha(const TModelo& m) {
  RC_PRE(!m.Extratos.empty());
  Extrato = *rc::gen::elementOf(m.Extratos);
  const size_t n = m.LinhasDo(Extrato).size();
  Linha = GeraLinha(0, true);
  Posicao = Linha.ComId || Opcoes().LinhaSemIdNoMeio ? *rc::gen::inRange<size_t>(0, n + 1) : n;
}

void InsereLinha::checkPreconditions(const TModelo& m) const {
  RC_PRE(m.TemExtrato(Extrato));
  RC_PRE(Posicao <= m.LinhasDo(Extrato).size());
}

void InsereLinha::apply(TModelo& m) const {
  TMovimento mov = NovoMovimento(m, Extrato, Linha, {});
  m.Insere(IndiceGlobal(m, Extrato, Posicao), std::move(mov));
}

void InsereLinha::run(const TModelo& s0, TSistema& sut) const {
  PublicaEVerifica(*this, s0, sut);
}

void InsereLinha::show(std::ostream& os) const {
  os << "InsereLinha(" << Extrato << ", " << Posicao << ", ";
  MostraLinha(os, Linha);
  os << ")";
}

// ---- CorrigeLinha ----

CorrigeLinha::CorrigeLinha(const TModelo& m) {
  std::vector<size_t> comId;
  for (size_t i = 0; i < m.Movimentos.size(); ++i)
    if (m.Movimentos[i].Id && !m.Movimentos[i].Repetido) comId.push_back(i);
  RC_PRE(!comId.empty());
  Movimento = *rc::gen::elementOf(comId);
  Centavos = *rc::gen::inRange<int64_t>(1, 300000);
  RC_PRE(Centavos != m.Movimentos[Movimento].Centavos);
}

void CorrigeLinha::checkPreconditions(const TModelo& m) const {
  RC_PRE(Movimento < m.Movimentos.size());
  RC_PRE(m.Movimentos[Movimento].Id != 0 && !m.Movimentos[Movimento].Repetido);
}

void CorrigeLinha::apply(TModelo& m) const { m.Corrige(Movimento, Centavos); }

void CorrigeLinha::run(const TModelo& s0, TSistema& sut) const {
  PublicaEVerifica(*this, s0, sut);
}

void CorrigeLinha::show(std::ostream& os) const { os << "CorrigeLinha(" << Movimento << ", " << Centavos << ")"; }

// ---- RepeteId ----

RepeteId::RepeteId(const TModelo& m) {
  RC_PRE(Opcoes().IdRepetido);
  std::vector<size_t> comId;
  for (size_t i = 0; i < m.Movimentos.size(); ++i)
    if (m.Movimentos[i].Id && !m.Movimentos[i].Repetido) comId.push_back(i);
  RC_PRE(!comId.empty());
  Movimento = *rc::gen::elementOf(comId);
  Centavos = *rc::gen::inRange<int64_t>(1, 300000);
}

void RepeteId::checkPreconditions(const TModelo& m) const {
  RC_PRE(Movimento < m.Movimentos.size());
  RC_PRE(m.Movimentos[Movimento].Id != 0 && !m.Movimentos[Movimento].Repetido);
}

void RepeteId::apply(TModelo& m) const {
  TMovimento& original = m.Movimentos[Movimento];
  original.Repetido = true;
  TLinhaNova l;
  l.Mes = original.Mes;
  l.Dia = original.Dia;
  l.Centavos = Centavos;
  l.Lado = original.Lado;
  TMovimento mov = NovoMovimento(m, original.Extrato, l, {});
  mov.Id = m.Movimentos[Movimento].Id;
  mov.Repetido = true;
  --m.ProximoId;
  m.Insere(Movimento + 1, std::move(mov));
}

void RepeteId::run(const TModelo& s0, TSistema& sut) const {
  PublicaEVerifica(*this, s0, sut);
}

void RepeteId::show(std::ostream& os) const { os << "RepeteId(" << Movimento << ", " << Centavos << ")"; }

// ---- Importa ----

Importa::Importa(const TModelo& m) {
  RC_PRE(!m.Extratos.empty());
  Extrato = *rc::gen::elementOf(m.Extratos);
}

void Importa::checkPreconditions(const TModelo& m) const { RC_PRE(m.TemExtrato(Extrato)); }

void Importa::apply(TModelo& m) const {
  m.Importa(Extrato);
  MarcaIntegrados(m, Extrato);
}

void Importa::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  Executa(sut, "a importação", [&] { ImportaNaRevisao(s0, sut, Extrato); });
  Verifica(s0, s1, sut, Extrato);
}

void Importa::show(std::ostream& os) const { os << "Importa(" << Extrato << ")"; }

// ---- SegundaJanela ----

void SegundaJanela::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  Executa(sut, "a importação em duas janelas", [&] {
    integracao::TfrConsultaImportacaoExtratoBancario* primeira = sut.AbreRevisao(Extrato);
    ImportaNaRevisao(s0, sut, Extrato);
    if (!primeira) return;
    // The first window still shows what it read; whatever the second one booked meanwhile is
    // named and left out, the rest booked.
    if (!TSistema::Ofertas(*primeira).empty()) sut.Importa(*primeira, Lados(s0, Extrato), SemConta(s0, Extrato));
    sut.Fecha(*primeira);
  });
  Verifica(s0, s1, sut, Extrato);
}

void SegundaJanela::show(std::ostream& os) const { os << "SegundaJanela(" << Extrato << ")"; }

// ---- Apaga ----

namespace {
std::vector<size_t> Apagaveis(const TModelo& m) {
  std::vector<size_t> r;
  for (size_t i = 0; i < m.Lancamentos.size(); ++i)
    if (!(m.Movimentos[m.Lancamentos[i].Movimento].Mes == 1 && m.JaneiroEncerrado)) r.push_back(i);
  return r;
}
}  // namespace

Apaga::Apaga(const TModelo& m) {
  const auto r = Apagaveis(m);
  RC_PRE(!r.empty());
  Lancamento = *rc::gen::elementOf(r);
}

void Apaga::checkPreconditions(const TModelo& m) const {
  const auto r = Apagaveis(m);
  RC_PRE(std::find(r.begin(), r.end(), Lancamento) != r.end());
}

void Apaga::apply(TModelo& m) const { m.Apaga(Lancamento); }

void Apaga::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  const TLancamento& l = s0.Lancamentos[Lancamento];
  Executa(sut, "a exclusão", [&] {
    const TMovimento& mov = s0.Movimentos[l.Movimento];
    sut.ApagaLancamento(mov.Dcto, l.Centavos, l.Lado, mov.Extrato > 0 ? mov.Id : -1);
  });
  Verifica(s0, s1, sut, 0);
}

void Apaga::show(std::ostream& os) const { os << "Apaga(" << Lancamento << ")"; }

// ---- closing and locks ----

EncerraJaneiro::EncerraJaneiro(const TModelo& m) { RC_PRE(!m.JaneiroEncerrado); }
void EncerraJaneiro::checkPreconditions(const TModelo& m) const { RC_PRE(!m.JaneiroEncerrado); }
void EncerraJaneiro::apply(TModelo& m) const { m.JaneiroEncerrado = true; }
void EncerraJaneiro::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  sut.EncerraJaneiro();
  sut.RelerViolacoes();   // what was booked before the closing is not the closing's fault
  Verifica(s0, s1, sut, 0);
}

BloqueiaFevereiro::BloqueiaFevereiro(const TModelo& m) { RC_PRE(!m.FevereiroBloqueado); }
void BloqueiaFevereiro::checkPreconditions(const TModelo& m) const { RC_PRE(!m.FevereiroBloqueado); }
void BloqueiaFevereiro::apply(TModelo& m) const { m.FevereiroBloqueado = true; }
void BloqueiaFevereiro::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  sut.BloqueiaFevereiro();
  sut.RelerViolacoes();
  Verifica(s0, s1, sut, 0);
}

// ---- entry files ----

EnviaArquivo::EnviaArquivo(const TModelo& m) {
  RC_PRE(m.Arquivos.size() < 6);
  const int n = *rc::gen::inRange(1, 4);
  for (int i = 0; i < n; ++i) Linhas.push_back(GeraLinha(i, false));
}

void EnviaArquivo::apply(TModelo& m) const {
  TArquivo a;
  a.Id = m.ProximoArquivo++;
  a.Pasta = NaPasta();
  for (TLinhaNova l : Linhas) {
    l.ComId = false;
    m.Movimentos.push_back(NovoMovimento(m, 0, l, a.Linhas));
    a.Linhas.push_back(m.Movimentos.size() - 1);
  }
  m.Arquivos.push_back(std::move(a));
}

void EnviaArquivo::run(const TModelo& s0, TSistema& sut) const {
  PublicaEVerifica(*this, s0, sut);
}

void EnviaArquivo::show(std::ostream& os) const { MostraLinhas(os, "EnviaArquivo", Linhas); }
void PoeNaPasta::show(std::ostream& os) const { MostraLinhas(os, "PoeNaPasta", Linhas); }

ReenviaArquivo::ReenviaArquivo(const TModelo& m) { Escolhe(m); }
AcrescentaNaPasta::AcrescentaNaPasta(const TModelo& m) { Escolhe(m); }

void ReenviaArquivo::Escolhe(const TModelo& m) {
  std::vector<size_t> seus;
  for (size_t i = 0; i < m.Arquivos.size(); ++i)
    if (m.Arquivos[i].Pasta == NaPasta()) seus.push_back(i);
  RC_PRE(!seus.empty() && m.Arquivos.size() < 7);
  Arquivo = *rc::gen::elementOf(seus);
  Linha = *rc::gen::inRange<size_t>(0, m.Arquivos[Arquivo].Linhas.size());
  Centavos = *rc::gen::inRange<int64_t>(1, 300000);
  checkPreconditions(m);
}

void ReenviaArquivo::checkPreconditions(const TModelo& m) const {
  // Each its own RC_PRE: the macro's capture evaluates both sides of an &&.
  RC_PRE(Arquivo < m.Arquivos.size());
  RC_PRE(Linha < m.Arquivos[Arquivo].Linhas.size());
  RC_PRE(m.Arquivos[Arquivo].Pasta == NaPasta());
  // A line equal to one Dyq already sent is that movement, not a correction.
  const TMovimento& antes = m.Movimentos[m.Arquivos[Arquivo].Linhas[Linha]];
  for (const TMovimento& x : m.Movimentos) RC_PRE(!(x.Dcto == antes.Dcto && x.Centavos == Centavos));
}

void ReenviaArquivo::apply(TModelo& m) const {
  TArquivo a = m.Arquivos[Arquivo];
  a.Id = m.ProximoArquivo++;
  a.Aguardando = true;
  a.Avisado = false;
  TMovimento corrigido = m.Movimentos[a.Linhas[Linha]];
  corrigido.Centavos = corrigido.MaiorValor = Centavos;
  corrigido.Lancado = corrigido.Banco = corrigido.AMao = 0;
  corrigido.Integrado = false;
  m.Movimentos.push_back(std::move(corrigido));
  a.Linhas[Linha] = m.Movimentos.size() - 1;
  m.Arquivos.push_back(std::move(a));
}

void ReenviaArquivo::run(const TModelo& s0, TSistema& sut) const {
  PublicaEVerifica(*this, s0, sut);
}

void ReenviaArquivo::show(std::ostream& os) const {
  os << "ReenviaArquivo(" << Arquivo << ", " << Linha << ", " << Centavos << ")";
}

void AcrescentaNaPasta::show(std::ostream& os) const {
  os << "AcrescentaNaPasta(" << Arquivo << ", " << Linha << ", " << Centavos << ")";
}

namespace {
bool TemArquivo(const TModelo& m, bool pasta) {
  return std::any_of(m.Arquivos.begin(), m.Arquivos.end(), [&](const TArquivo& a) { return a.Pasta == pasta; });
}
}  // namespace

TarefaDyq::TarefaDyq(const TModelo& m) { checkPreconditions(m); }
void TarefaDyq::checkPreconditions(const TModelo& m) const { RC_PRE(TemArquivo(m, false)); }

void TarefaDyq::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  std::string mensagem;
  int status = 0;
  Executa(sut, "a tarefa do Dyq", [&] { status = sut.ExecutaTarefaDyq(mensagem); });
  // Dyq hears "integrated" of exactly the files now booked whole, once.
  std::multiset<int> esperados;
  bool resta = false;
  for (size_t i = 0; i < s1.Arquivos.size(); ++i) {
    if (s1.Arquivos[i].Pasta) continue;
    if (s0.Arquivos[i].Aguardando && !s1.Arquivos[i].Aguardando) esperados.insert(s1.Arquivos[i].Id);
    // A file a run before told of, and left as it was, is no news.
    resta = resta || (s1.Arquivos[i].Aguardando && !s0.Arquivos[i].Avisado);
  }
  const std::multiset<int> ditos = sut.ArquivosIntegradosNovos();
  std::string falhas;
  if (ditos != esperados) {
    auto lista = [](const std::multiset<int>& x) {
      std::string r;
      for (int i : x) r += " " + std::to_string(i);
      return r.empty() ? std::string(" nenhum") : r;
    };
    falhas += "Dyq ouviu \"integrado\" dos arquivos" + lista(ditos) + "; devia ouvir dos arquivos" + lista(esperados) + "\n";
  }
  // The run's outcome tells the truth: success only when every file it visited is booked whole.
  if ((status == 1) == resta)
    falhas += fmt::format("a tarefa terminou com o status {} ({}) e {} arquivo esperando\n", status, mensagem,
                          resta ? "ainda há" : "não há");
  if (!falhas.empty()) Falha(sut, falhas);
  // Dyq lists no more the files it was told of.
  sut.Publica(s1);
  Verifica(s0, s1, sut, 0);
}

// ---- the client folder ----

TarefaPasta::TarefaPasta(const TModelo& m) { checkPreconditions(m); }
void TarefaPasta::checkPreconditions(const TModelo& m) const { RC_PRE(TemArquivo(m, true)); }

void TarefaPasta::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  std::string mensagem;
  int status = 0;
  Executa(sut, "a tarefa da pasta do cliente", [&] { status = sut.ExecutaTarefaPasta(mensagem); });
  // The run's outcome tells the truth: success only when every line of the folder is booked whole.
  bool falta = false;
  for (const TArquivo& a : s1.Arquivos)
    for (size_t i : a.Linhas) falta = falta || (a.Pasta && s1.Movimentos[i].Resta() > 0);
  if ((status == 1) == falta || status == 5)
    Falha(sut, fmt::format("a tarefa da pasta terminou com o status {} ({}) e {} linha por lançar\n", status, mensagem,
                           falta ? "ainda há" : "não há"));
  Verifica(s0, s1, sut, 0);
}

// ---- links and splits ----

CriaParcela::CriaParcela(const TModelo& m) {
  RC_PRE(m.Parcelas.size() < 4);
  Centavos = *rc::gen::inRange<int64_t>(1, 300000);
}

void CriaParcela::apply(TModelo& m) const {
  m.Parcelas.push_back({30 + static_cast<int>(m.Parcelas.size()), Centavos, 0});
}

void CriaParcela::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  Executa(sut, "o parcelamento", [&] { sut.CriaParcela(s1.Parcelas.back().Chave, Centavos); });
  Verifica(s0, s1, sut, 0);
}

namespace {

// A line of the statement the user may link or split: offered whole of both sides, not a duplicate.
size_t LinhaMexivel(const TModelo& m, int extrato, size_t posicao) {
  RC_PRE(m.TemExtrato(extrato));
  const auto linhas = m.LinhasDo(extrato);
  RC_PRE(posicao < linhas.size());
  const TMovimento& mov = m.Movimentos[linhas[posicao]];
  RC_PRE(TModelo::Oferecido(mov) && mov.Simples() && !mov.AMao);
  return linhas[posicao];
}

void EscolheLinha(const TModelo& m, int& extrato, size_t& posicao) {
  RC_PRE(!m.Extratos.empty());
  extrato = *rc::gen::elementOf(m.Extratos);
  const size_t n = m.LinhasDo(extrato).size();
  RC_PRE(n > 0);
  posicao = *rc::gen::inRange<size_t>(0, n);
}

// The rest of the statement, imported with the line the user handled.
void ImportaOsOutros(TModelo& m, int extrato, size_t mexida) {
  for (size_t i : m.LinhasDo(extrato))
    if (i != mexida && m.Lancavel(m.Movimentos[i])) m.LancaResto(i);
  MarcaIntegrados(m, extrato);
}

}  // namespace

Vincula::Vincula(const TModelo& m) {
  RC_PRE(!m.Parcelas.empty());
  EscolheLinha(m, Extrato, Posicao);
  Parcela = *rc::gen::inRange<size_t>(0, m.Parcelas.size());
  checkPreconditions(m);
}

void Vincula::checkPreconditions(const TModelo& m) const {
  const size_t i = LinhaMexivel(m, Extrato, Posicao);
  RC_PRE(m.Movimentos[i].Lado == 'D');
  RC_PRE(Parcela < m.Parcelas.size());
  RC_PRE(m.Parcelas[Parcela].Deve() > 0);
}

void Vincula::apply(TModelo& m) const {
  const size_t i = m.LinhasDo(Extrato)[Posicao];
  if (m.MesAberto(m.Movimentos[i].Mes)) m.Baixa(i, Parcela);
  ImportaOsOutros(m, Extrato, i);
}

void Vincula::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  const TMovimento& mov = s0.Movimentos[s0.LinhasDo(Extrato)[Posicao]];
  const int chave = s0.Parcelas[Parcela].Chave;
  Executa(sut, "a importação com o vínculo", [&] {
    ImportaNaRevisao(s0, sut, Extrato, [&](TRevisao& t) { return sut.Vincula(t, {mov.Dcto, mov.Resta()}, mov.Id, chave); });
  });
  Verifica(s0, s1, sut, Extrato);
}

void Vincula::show(std::ostream& os) const { os << "Vincula(" << Extrato << ", " << Posicao << ", " << Parcela << ")"; }

Divide::Divide(const TModelo& m) {
  EscolheLinha(m, Extrato, Posicao);
  const size_t i = LinhaMexivel(m, Extrato, Posicao);
  RC_PRE(m.Movimentos[i].Resta() >= 2);
  Primeira = *rc::gen::inRange<int64_t>(1, m.Movimentos[i].Resta());
}

void Divide::checkPreconditions(const TModelo& m) const {
  const size_t i = LinhaMexivel(m, Extrato, Posicao);
  RC_PRE(Primeira >= 1 && Primeira < m.Movimentos[i].Resta());
}

void Divide::apply(TModelo& m) const {
  const size_t i = m.LinhasDo(Extrato)[Posicao];
  if (m.MesAberto(m.Movimentos[i].Mes)) m.Divide(i, {Primeira, m.Movimentos[i].Resta() - Primeira});
  ImportaOsOutros(m, Extrato, i);
}

void Divide::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  const TMovimento& mov = s0.Movimentos[s0.LinhasDo(Extrato)[Posicao]];
  const std::vector<int64_t> linhas{Primeira, mov.Resta() - Primeira};
  Executa(sut, "a importação com a divisão", [&] {
    ImportaNaRevisao(s0, sut, Extrato, [&](TRevisao& t) { return sut.Divide(t, {mov.Dcto, mov.Resta()}, mov.Id, mov.Lado, linhas); });
  });
  Verifica(s0, s1, sut, Extrato);
}

void Divide::show(std::ostream& os) const { os << "Divide(" << Extrato << ", " << Posicao << ", " << Primeira << ")"; }

// ---- entries typed by hand ----

LancaAMao::LancaAMao(const TModelo& m) {
  RC_PRE(Opcoes().LancaAMao && !m.Movimentos.empty());
  Movimento = *rc::gen::inRange<size_t>(0, m.Movimentos.size());
  checkPreconditions(m);
}

void LancaAMao::checkPreconditions(const TModelo& m) const {
  RC_PRE(Movimento < m.Movimentos.size());
  const TMovimento& mov = m.Movimentos[Movimento];
  RC_PRE(mov.Extrato > 0 && mov.Lancado == 0 && mov.Banco == 0 && mov.AMao == 0 && !mov.Repetido && !mov.Alterado);
  RC_PRE(!(mov.Mes == 1 && m.JaneiroEncerrado));
}

void LancaAMao::run(const TModelo& s0, TSistema& sut) const {
  TModelo s1 = s0;
  apply(s1);
  Executa(sut, "o lançamento à mão", [&] { sut.LancaAMao(s0.Movimentos[Movimento]); });
  sut.RelerViolacoes();   // an entry the suite typed is not the module's doing
  Verifica(s0, s1, sut, 0);
}

// ---- kept sequences ----

void Reproduz(const std::vector<TComandoPtr>& comandos) {
  TModelo m;
  TSistema sut;
  for (const TComandoPtr& c : comandos) {
    if (const char* v = std::getenv("MODELO_LIVROS_VERBOSO"); v && *v == '1') { c->show(std::cerr); std::cerr << "\n"; }
    c->checkPreconditions(m);
    c->run(m, sut);
    c->apply(m);
  }
}

}  // namespace modelo
