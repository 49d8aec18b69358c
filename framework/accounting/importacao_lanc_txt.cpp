#include "framework/component/resultado_execucao.h"
#include "framework/accounting/importacao_lanc_txt.h"

#include <fmt/format.h>

#include <cstdint>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <set>
#include <string_view>
#include <vector>
#include <stop_token>

#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/gravacao_ao_fundo.h"
#include "framework/accounting/importacao_lanc_txt_fonte.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/lancamento_complementos.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/rateio_centro_custo.h"
#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/pasta_trabalho.h"
#include "framework/livros/colunas_lancamento.h"
#include "framework/livros/livros.h"
#include "framework/livros/marca_livros.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/importacao_treeview.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/parametros_revisao.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/seleciona_filiais.h"
#include "framework/schema/revisao_tabelas.h"

namespace vyn {

std::vector<std::string> SeparaCamposTxt(const std::string& linha, char separador) {
  std::vector<std::string> campos;
  std::string atual;
  bool aspas = false;
  for (size_t i = 0; i < linha.size(); ++i) {
    const char c = linha[i];
    if (aspas) {
      if (c == '"' && i + 1 < linha.size() && linha[i + 1] == '"') {
        atual += '"';
        ++i;
      } else if (c == '"') {
        aspas = false;
      } else {
        atual += c;
      }
    } else if (c == '"') {
      aspas = true;
    } else if (c == separador) {
      campos.push_back(atual);
      atual.clear();
    } else {
      atual += c;
    }
  }
  // A quote left open would swallow the rest of the record into one field.
  if (aspas) throw std::invalid_argument(fmt::format("campo {}: aspas não fechadas", campos.size() + 1));
  campos.push_back(atual);
  return campos;
}

namespace {

// 10^14: the first amount refused.
constexpr Currency kValorLimiteTxt = Currency::FromRaw(100'000'000'000'000LL * Currency::kScale);
constexpr Currency kValorMaximoTxt = Currency::FromRaw(INT64_MAX);

// A code field: digits only, within the range the suite stores; never wrapped nor read past a sign.
int InteiroTxt(const std::vector<std::string>& f, size_t i, const char* campo) {
  if (i >= f.size()) return 0;
  const std::string t = Trim(f[i]);
  if (t.empty()) return 0;
  if (OnlyDigits(t) != t) throw std::invalid_argument(fmt::format("campo {}: \"{}\" não é um número", campo, t));
  const std::string sem = t.substr(std::min(t.find_first_not_of('0'), t.size()));
  if (sem.size() > 10 || (sem.size() == 10 && sem > "2147483647"))
    throw std::invalid_argument(fmt::format("campo {}: o número {} é grande demais", campo, t));
  return sem.empty() ? 0 : std::stoi(sem);
}

// An amount: digits with an optional sign and thousands dots, at most two decimals ("1.234,56" or
// "1234.56"); exponents and anything else are refused rather than guessed.
Currency ValorTxt(const std::vector<std::string>& f, size_t i, const char* campo) {
  const std::string t = i < f.size() ? Trim(f[i]) : std::string();
  const bool br = t.find(',') != std::string::npos;
  const size_t sep = t.rfind(br ? ',' : '.');
  const size_t casas = sep == std::string::npos ? 0 : t.size() - sep - 1;
  const bool forma = !t.empty() && t.find_first_not_of("0123456789.,-") == std::string::npos &&
                     t.find('-', 1) == std::string::npos;
  Currency v;
  if (!forma || casas > 2 || !Currency::TryParse(t, v))
    throw std::invalid_argument(fmt::format("campo {}: valor inválido: {}", campo, t));
  // No entry is worth a hundred trillion; a value that large is a misplaced field, and the file's sums
  // must stay inside what money can hold.
  if (v.Abs() >= kValorLimiteTxt)
    throw std::invalid_argument(fmt::format("campo {}: valor fora do limite: {}", campo, t));
  return v;
}

std::string TextoTxt(const std::vector<std::string>& f, size_t i) { return i < f.size() ? f[i] : std::string(); }

// A text field the column that will keep it can hold: no longer than the column, only characters the
// WIN1252 database stores, and no control characters a ledger text cannot show. Anything else is refused
// with its line, never cut and never left for the database to refuse with the whole file.
std::string TextoLimitadoTxt(std::string texto, const char* campo, size_t limite) {
  const auto citado = [&] { return Utf8Length(texto) > 60 ? Utf8Left(texto, 60) + "..." : texto; };
  if (Utf8Length(texto) > limite)
    throw std::invalid_argument(fmt::format("campo {}: o texto \"{}\" excede {} caracteres", campo, citado(), limite));
  if (!FitsWin1252(texto))
    throw std::invalid_argument(fmt::format(
        "campo {}: o texto \"{}\" contém caracteres que o banco de dados (WIN1252) não aceita", campo, citado()));
  for (const char c : texto)
    if (static_cast<unsigned char>(c) < ' ' && c != '\t')
      throw std::invalid_argument(fmt::format("campo {}: o texto contém o caractere de controle {:#04x}", campo,
                                              static_cast<unsigned>(static_cast<unsigned char>(c))));
  return texto;
}

TLinhaLancamentoTxt LinhaLancamentoTxt(const std::vector<std::string>& f, int n, int codEmpPadrao) {
  if (f.size() < 6) throw std::invalid_argument("campos insuficientes");
  TLinhaLancamentoTxt l;
  l.Linha = n;
  l.CodEmp = InteiroTxt(f, 1, "empresa");
  if (l.CodEmp == 0) l.CodEmp = codEmpPadrao;
  if (!TryStrToDate(Trim(f[2]), l.Data)) throw std::invalid_argument("campo data: data inválida: " + Trim(f[2]));
  l.Debito = InteiroTxt(f, 3, "conta débito");
  l.Credito = InteiroTxt(f, 4, "conta crédito");
  l.Valor = ValorTxt(f, 5, "valor");
  l.Historico = InteiroTxt(f, 6, "histórico");
  l.Complemento = TextoLimitadoTxt(TextoTxt(f, 7), "complemento", kCaracteresComplementoLancamento);
  l.Documento = TextoLimitadoTxt(Trim(TextoTxt(f, 8)), "documento", kCaracteresDocumentoLancamento);
  l.Lote = InteiroTxt(f, 9, "lote");
  l.ParticipanteD = InteiroTxt(f, 10, "participante débito");
  l.ParticipanteC = InteiroTxt(f, 11, "participante crédito");
  l.NotaExplicativa = TextoLimitadoTxt(TextoTxt(f, 12), "nota explicativa", kCaracteresNotaExplicativa);
  l.Contabilizacao = InteiroTxt(f, 13, "contabilização");
  return l;
}

// The file's running total with one more line: a line that would take any sum of the file beyond what
// money holds is refused at that line.
Currency SomaDoArquivoTxt(Currency total, Currency valor) {
  const Currency v = valor.Abs();
  if (v > kValorMaximoTxt - total)
    throw std::invalid_argument("campo valor: a soma dos valores do arquivo excede o limite com este valor");
  return total + v;
}

TParticipanteTxt ParticipanteTxt(const std::vector<std::string>& f) {
  TParticipanteTxt p;
  p.Codigo = InteiroTxt(f, 1, "código do participante");
  for (size_t i = 0; i < kQtdColunasParticipanteTxt; ++i) {
    const TColunaParticipanteTxt& c = kColunasParticipanteTxt[i];
    const size_t campo = i + 2;
    const std::string t = Trim(TextoTxt(f, campo));
    Variant v;
    if (t.empty()) {
      // not given
    } else if (c.Tipo == TFieldType::ftInteger) {
      v = InteiroTxt(f, campo, c.Campo);
    } else if (c.Tipo == TFieldType::ftDate) {
      TDateTime d;
      if (!TryStrToDate(t, d)) throw std::invalid_argument(fmt::format("campo {}: data inválida: {}", c.Campo, t));
      v = d;
    } else {
      v = TextoLimitadoTxt(c.Tipo == TFieldType::ftLargeint ? OnlyDigits(t) : t, c.Campo, c.Tamanho);
    }
    p.Valores.push_back(v);
  }
  return p;
}

TLinhaCentroCustoTxt LinhaCentroCustoTxt(const std::vector<std::string>& f) {
  if (f.size() < 5) throw std::invalid_argument("campos insuficientes");
  TLinhaCentroCustoTxt c;
  c.Centro = InteiroTxt(f, 1, "centro de custo");
  c.Conta = InteiroTxt(f, 2, "conta do centro de custo");
  const std::string dc = UpperCase(Trim(f[3]));
  if (dc != "D" && dc != "C") throw std::invalid_argument("lado do centro de custo inválido: " + Trim(f[3]));
  c.DebCre = dc == "D" ? 0 : 1;
  c.Valor = ValorTxt(f, 4, "valor do centro de custo");
  return c;
}

}  // namespace

namespace {

// Why an entry's cost-centre split cannot go with it; empty when it adds up (or there is none).
std::string RateioQueNaoFecha(const TLinhaLancamentoTxt& l) {
  TRateioCentroCusto rateio;
  for (const TLinhaCentroCustoTxt& c : l.CentrosCusto) rateio.Adiciona(c.DebCre, c.Valor);
  return rateio.QueNaoFecha(l.Valor);
}

// The first character of a line that Trim keeps; 0 for a blank line.
char PrimeiroVisivel(const std::string& linha) {
  for (char c : linha)
    if (static_cast<unsigned char>(c) > ' ') return c;
  return 0;
}

// A line as a record: the carriage return and the file's mark dropped; false for a blank line or a
// comment.
bool RegistroTxt(std::string& linha, int n) {
  if (!linha.empty() && linha.back() == '\r') linha.pop_back();
  if (n == 1 && linha.rfind("\xEF\xBB\xBF", 0) == 0) linha.erase(0, 3);
  const char c = PrimeiroVisivel(linha);
  return c != 0 && c != '#';
}

}  // namespace

void LeArquivoLancamentosTxt(const std::function<bool(std::string&)>& proxima, char separador, int codEmpPadrao,
                             const std::function<void(TLinhaLancamentoTxt&)>& lancamento,
                             TArquivoLancamentosTxt& resto) {
  // An entry line is complete once a record that cannot be one of its cost centres shows up. It goes
  // with its whole split or not at all: a refused cost-centre row, or a side whose rows do not add up
  // to the entry, refuses the entry with them.
  std::optional<TLinhaLancamentoTxt> pendente;
  std::string recusaDoRateio;   // why the pending entry's split was refused
  auto entrega = [&] {
    if (pendente) {
      const std::string motivo = recusaDoRateio.empty() ? RateioQueNaoFecha(*pendente) : recusaDoRateio;
      if (motivo.empty())
        lancamento(*pendente);
      else
        resto.Erros.push_back(fmt::format("Linha {} do arquivo não importada: {}.", pendente->Linha, motivo));
    }
    pendente.reset();
    recusaDoRateio.clear();
  };
  std::string linha;
  int n = 0;
  Currency total, totalCentros;   // of the accepted lines, as absolute values
  while (proxima(linha)) {
    ++n;
    if (!RegistroTxt(linha, n)) continue;
    std::vector<std::string> f;
    try {
      f = SeparaCamposTxt(linha, separador);
    } catch (const std::exception& e) {
      resto.Erros.push_back(fmt::format("Linha {} do arquivo não importada: {}.", n, e.what()));
      continue;
    }
    const std::string tipo = UpperCase(Trim(f[0]));
    // What the caller does with a complete entry (staging it, say) may fail or be stopped: that is no
    // line's refusal, and it ends the reading.
    if (tipo == "L") entrega();
    try {
      if (tipo == "L") {
        TLinhaLancamentoTxt l = LinhaLancamentoTxt(f, n, codEmpPadrao);
        total = SomaDoArquivoTxt(total, l.Valor);
        pendente = std::move(l);
      } else if (tipo == "C") {
        if (!pendente) throw std::invalid_argument("centro de custo sem lançamento válido antes dele");
        try {
          TLinhaCentroCustoTxt c = LinhaCentroCustoTxt(f);
          totalCentros = SomaDoArquivoTxt(totalCentros, c.Valor);
          pendente->CentrosCusto.push_back(c);
        } catch (const std::exception&) {
          if (recusaDoRateio.empty())
            recusaDoRateio = fmt::format("o centro de custo da linha {} do seu rateio foi recusado", n);
          throw;
        }
      } else if (tipo == "P") {
        resto.Participantes.push_back(ParticipanteTxt(f));
      } else {
        throw std::invalid_argument("tipo de registro desconhecido: " + Trim(f[0]));
      }
    } catch (const std::exception& e) {
      resto.Erros.push_back(fmt::format("Linha {} do arquivo não importada: {}.", n, e.what()));
    }
  }
  entrega();
}

TArquivoLancamentosTxt LeArquivoLancamentosTxt(std::istream& in, char separador, int codEmpPadrao) {
  TArquivoLancamentosTxt r;
  LeArquivoLancamentosTxt([&in](std::string& linha) { return static_cast<bool>(std::getline(in, linha)); },
                          separador, codEmpPadrao,
                          [&r](TLinhaLancamentoTxt& l) { r.Lancamentos.push_back(std::move(l)); }, r);
  return r;
}

std::set<int> ParticipantesDeclaradosTxt(const std::function<bool(std::string&)>& proxima, char separador) {
  std::set<int> codigos;
  for (const TParticipanteTxt& p : ParticipantesDoArquivoTxt(proxima, separador)) codigos.insert(p.Codigo);
  return codigos;
}

std::vector<TParticipanteTxt> ParticipantesDoArquivoTxt(const std::function<bool(std::string&)>& proxima,
                                                        char separador) {
  std::vector<TParticipanteTxt> registros;
  std::string linha;
  for (int n = 1; proxima(linha); ++n) {
    if (!RegistroTxt(linha, n)) continue;
    // Only a record that may be a participant's is split: the pass costs a glance per entry line.
    const char c = PrimeiroVisivel(linha);
    if (c != 'P' && c != 'p' && c != '"') continue;
    try {
      const auto f = SeparaCamposTxt(linha, separador);
      if (UpperCase(Trim(f[0])) == "P") registros.push_back(ParticipanteTxt(f));
    } catch (const std::exception&) {
      // refused by the import's own reading, with its message
    }
  }
  return registros;
}

namespace {

// The entry a line holds, as its source's key names it before its place among equal entries.
std::string EntradaFonteLinhaTxt(const TLinhaLancamentoTxt& l) {
  const int debito = l.DebitoArquivo >= 0 ? l.DebitoArquivo : l.Debito;
  const int credito = l.CreditoArquivo >= 0 ? l.CreditoArquivo : l.Credito;
  // The texts go whole into a hash, so the identity stays within what the record keeps unhashed.
  const std::string entrada = fmt::format("{}\x1f{}\x1f{}\x1f{}\x1f{}\x1f{}\x1f{}", debito, credito, l.ParticipanteD,
                                          l.ParticipanteC, l.Historico, Trim(l.Complemento), Trim(l.Documento));
  return fmt::format("{}|{}|{}|{}", l.CodEmp, DateToStr(l.Data), l.Valor.Raw(), HashTexto(entrada));
}

// How many times each entry was met in the file so far, known by a 64-bit digest of it in an open-addressed
// table: a million-line file costs some 24 MB here, where a map of the entries' texts took 130 MB. Two
// entries of one digest would share their count: deterministic for the same file, and as likely as two
// equal 64-bit hashes among the file's lines.
class TOcorrenciasEntradas {
 public:
  int Proxima(std::string_view entrada) {
    if ((usadas_ + 1) * 10 > digestos_.size() * 7) Cresce();
    const uint64_t d = Digesto(entrada);
    size_t i = d & (digestos_.size() - 1);
    while (contagens_[i] != 0 && digestos_[i] != d) i = (i + 1) & (digestos_.size() - 1);
    if (contagens_[i] == 0) {
      digestos_[i] = d;
      ++usadas_;
    }
    return static_cast<int>(++contagens_[i]);
  }

 private:
  static uint64_t Digesto(std::string_view s) { return std::hash<std::string_view>{}(s); }
  void Cresce() {
    std::vector<uint64_t> digestos(std::max<size_t>(1024, digestos_.size() * 2));
    std::vector<uint32_t> contagens(digestos.size());
    for (size_t k = 0; k < digestos_.size(); ++k) {
      if (contagens_[k] == 0) continue;
      size_t i = digestos_[k] & (digestos.size() - 1);
      while (contagens[i] != 0) i = (i + 1) & (digestos.size() - 1);
      digestos[i] = digestos_[k];
      contagens[i] = contagens_[k];
    }
    digestos_.swap(digestos);
    contagens_.swap(contagens);
  }
  std::vector<uint64_t> digestos_;
  std::vector<uint32_t> contagens_;
  size_t usadas_ = 0;
};

}  // namespace

std::string ChaveFonteLinhaTxt(const TLinhaLancamentoTxt& l, int ocorrencia) {
  return EntradaFonteLinhaTxt(l) + "|" + std::to_string(ocorrencia);
}

struct TChavesLinhasTxt::TOcorrencias {
  TOcorrenciasEntradas Entradas;
};
TChavesLinhasTxt::TChavesLinhasTxt() : ocorrencias_(std::make_unique<TOcorrencias>()) {}
TChavesLinhasTxt::~TChavesLinhasTxt() = default;

std::string TChavesLinhasTxt::Proxima(const TLinhaLancamentoTxt& l) {
  std::string fonte = EntradaFonteLinhaTxt(l);
  fonte += "|" + std::to_string(ocorrencias_->Entradas.Proxima(fonte));
  return fonte;
}

TDAOFactory* CriaDAOLancamentosRevisao(TComponent* owner) {
  TLancamentoMGR* d = TLancamentoMGR::CreateMgr(owner);
  d->SetTableName("");
  struct C {
    const char* n;
    TFieldType t;
    int s;
  };
  const C campos[] = {{"BDVINC_BAIXA", TFieldType::ftBoolean, 0},  {"BDCHAVE", TFieldType::ftInteger, 0},
                      {"BDDATA", TFieldType::ftDate, 0},           {"BDCONTABILIZACAO", TFieldType::ftInteger, 0},
                      {"BDCONCD", TFieldType::ftBoolean, 0},       {"BDDEBITO", TFieldType::ftInteger, 0},
                      {"BDCODTERCEIROD", TFieldType::ftInteger, 0}, {"BDCONCC", TFieldType::ftBoolean, 0},
                      {"BDCREDITO", TFieldType::ftInteger, 0},     {"BDCODTERCEIROC", TFieldType::ftInteger, 0},
                      {"BDVALOR", TFieldType::ftCurrency, 0},      {"BDCODTPHI", TFieldType::ftInteger, 0},
                      {"BDLOTE", TFieldType::ftInteger, 0},        {"BDDCTO", TFieldType::ftString, 30},
                      {"BDCOMPL", TFieldType::ftMemo, 0},          {"BDDESCRICAO", TFieldType::ftMemo, 0},
                      {"BDCODEMP", TFieldType::ftInteger, 0},      {"BDNOMEMP", TFieldType::ftString, 150},
                      {"BDTIPOTERD", TFieldType::ftInteger, 0},    {"BDTIPOTERC", TFieldType::ftInteger, 0},
                      {"BDALTTERD", TFieldType::ftInteger, 0},     {"BDALTTERC", TFieldType::ftInteger, 0},
                      {"BDALTCODTERCEIROD", TFieldType::ftInteger, 0}, {"BDALTCODTERCEIROC", TFieldType::ftInteger, 0},
                      {"BDCODEMPREEACAOD", TFieldType::ftInteger, 0}, {"BDCODEMPREEACAOC", TFieldType::ftInteger, 0},
                      {"BDCODUNIIMOBACAOD", TFieldType::ftInteger, 0}, {"BDCODUNIIMOBACAOC", TFieldType::ftInteger, 0},
                      {"BDCODPLAPADRAO", TFieldType::ftInteger, 0}, {"BDCODHIST", TFieldType::ftInteger, 0},
                      {"BDDEBITOARQ", TFieldType::ftInteger, 0},   {"BDCREDITOARQ", TFieldType::ftInteger, 0},
                      {"BDTIPOCONC", TFieldType::ftInteger, 0},    {"BDINCONSISTENTE", TFieldType::ftInteger, 0},
                      {"BDTIPOLAN", TFieldType::ftInteger, 0},     {"BDLINHA", TFieldType::ftInteger, 0},
                      {"BDFONTE", TFieldType::ftString, 120},      {kCampoValorFonte, TFieldType::ftCurrency, 0}};
  for (const C& c : campos) d->AddFieldDef(c.n, c.t, c.s);
  d->CreateDataSet();
  d->SetControlMemory(true);
  return d;
}

namespace {

TDAOFactory* CriaDAOParticipantes(TComponent* owner) {
  auto* d = owner->Create<TDAOFactory>();
  d->AddFieldDef("BDCODTER", TFieldType::ftInteger);
  for (const TColunaParticipanteTxt& c : kColunasParticipanteTxt)
    d->AddFieldDef(c.Coluna, c.Tipo == TFieldType::ftLargeint ? TFieldType::ftString : c.Tipo,
                   static_cast<int>(c.Tamanho));
  d->CreateDataSet();
  d->SetControlMemory(true);
  return d;
}

// The entries already posted in the period, counted by what a line of the file says, so that a line
// posted before (a file imported again after a partial import or with lines added) is not posted
// twice. Two equal lines of one file are two entries: each posted entry answers for one line only.
class TLancamentosPostados {
 public:
  TLancamentosPostados(TDatabase& db, const std::vector<int>& empresas, TDateTime ini, TDateTime fim) {
    for (int empresa : empresas) {
      const TQueryResult r = db.QueryAll(
          "select L.BDCHAVE, L.BDDATA, L.BDDEBITO, L.BDCREDITO, L.BDVALOR, L.BDCODTPHI, L.BDDCTO, L.BDCOMPL, "
          "C.BDCOMPL as BDCOMPLLONGO from VZEL_EMPRESAS_TLAN L left join VZEL_EMPRESAS_TLAN_COMPL C on C.BDCODEMP = "
          "L.BDCODEMP and C.BDCHAVE = L.BDCHAVE where L.BDCODEMP = ? and L.BDDATA between ? and ? order by L.BDCHAVE",
          {empresa, ini, fim});
      for (size_t i = 0; i < r.Rows.size(); ++i) {
        const Variant& curto = r.Value(i, "BDCOMPL");
        auto inteiro = [&](const char* c) { return r.Value(i, c).IsNull() ? 0 : static_cast<int>(r.Value(i, c).AsInteger()); };
        TChave k{empresa,
                 r.Value(i, "BDDATA").AsDateTime().Days(),
                 inteiro("BDDEBITO"),
                 inteiro("BDCREDITO"),
                 r.Value(i, "BDVALOR").AsCurrency().Raw(),
                 inteiro("BDCODTPHI"),
                 Trim(r.Value(i, "BDDCTO").AsString()),
                 Trim(curto.IsNull() ? r.Value(i, "BDCOMPLLONGO").AsString() : curto.AsString())};
        postados_[k].push_back(inteiro("BDCHAVE"));
      }
    }
  }
  // The key of a posted entry equal to the line, taken so that it answers no other line; 0 when none.
  int Toma(const TLinhaLancamentoTxt& l, const std::string& complemento) {
    auto it = postados_.find(TChave{l.CodEmp, l.Data.Days(), l.Debito, l.Credito, l.Valor.Raw(), l.Historico,
                                    Trim(l.Documento), Trim(complemento)});
    if (it == postados_.end() || it->second.empty()) return 0;
    const int chave = it->second.front();
    it->second.erase(it->second.begin());
    return chave;
  }
  // The entry a line of the file booked before is that line's: no other equal line may take it for its own.
  void Retira(const TLinhaLancamentoTxt& l, const std::string& complemento, int chave) {
    auto it = postados_.find(TChave{l.CodEmp, l.Data.Days(), l.Debito, l.Credito, l.Valor.Raw(), l.Historico,
                                    Trim(l.Documento), Trim(complemento)});
    if (it != postados_.end()) std::erase(it->second, chave);
  }

 private:
  using TChave = std::tuple<int, int, int, int, int64_t, int, std::string, std::string>;
  std::map<TChave, std::vector<int>> postados_;
};

// The movement a file line stands for, by which the same money brought by another road is told.
TMovimentoFonte MovimentoLinhaTxt(const TLinhaLancamentoTxt& l) { return {l.Data, l.Debito, l.Credito, Trim(l.Documento)}; }

// An entry file line's identity but its value ("company|day|entry|place"), when it is one.
std::optional<std::string> ChaveSemValorTxt(const std::string& fonte) {
  const std::vector<std::string> p = Split(fonte, '|');
  if (p.size() != 5) return std::nullopt;
  return p[0] + "|" + p[1] + "|" + p[3] + "|" + p[4];
}

// A line that brings an entry booked from a file with another value, in the user's words.
std::string MensagemMovimentoCorrigidoTxt(const TLinhaLancamentoTxt& l, const TFonteRegistrada& antes) {
  std::string m = fmt::format("movimento alterado: {} já lançou este movimento ({}{}) com {}",
                              antes.Descricao.empty() ? antes.Chave : antes.Descricao, DateToStr(l.Data),
                              Trim(l.Documento).empty() ? "" : ", documento " + Trim(l.Documento), antes.Valor.ToBR());
  if (antes.ChaveLancamento > 0) m += fmt::format(", no lançamento {}", antes.ChaveLancamento);
  return m + fmt::format("; esta linha o traz com {}.", l.Valor.ToBR());
}

// A line equal as a movement to a source booked under another identity, in the user's words.
std::string MensagemMovimentoIgualTxt(const TLinhaLancamentoTxt& l, const TFonteRegistrada& igual) {
  std::string m = fmt::format("provável duplicidade: o mesmo movimento ({}, {}{}) já foi lançado por {}", DateToStr(l.Data),
                              l.Valor.ToBR(), Trim(l.Documento).empty() ? "" : ", documento " + Trim(l.Documento),
                              igual.Descricao.empty() ? igual.Chave : igual.Descricao);
  if (igual.ChaveLancamento > 0) m += fmt::format(", no lançamento {}", igual.ChaveLancamento);
  if (!igual.DataHora.empty()) m += " em " + igual.DataHora;
  if (!igual.Usuario.empty()) m += " (" + igual.Usuario + ")";
  return m + ".";
}

// The complement a history with variables gives a line: the history's text with #COMPL (the file's
// complement), #DOC (the document) and #DATA (the date) replaced; nullopt when the text has none.
std::optional<std::string> ComplementoPeloHistorico(const std::string& historico, const TLinhaLancamentoTxt& l) {
  const std::pair<const char*, std::string> variaveis[] = {
      {"#COMPL", l.Complemento}, {"#DOC", l.Documento}, {"#DATA", DateToStr(l.Data)}};
  std::string r = historico;
  bool achou = false;
  for (const auto& [nome, valor] : variaveis) {
    const std::string n = nome;
    for (size_t p = r.find(n); p != std::string::npos; p = r.find(n, p + valor.size())) {
      r.replace(p, n.size(), valor);
      achou = true;
    }
  }
  if (!achou) return std::nullopt;
  return r;
}

// A file written in another chart: its accounts become the company's through the account pairs of
// the mapping plan. An account without a pair is kept (the review's chart check judges it); the
// accounts the file gave stay in BDDEBITOARQ and BDCREDITOARQ. The pairs are read once per file.
class TTrocaContas {
 public:
  explicit TTrocaContas(int planoTroca) {
    TDatabase* db = ProcessContext().Database;
    if (!db || planoTroca <= 0) return;
    const TQueryResult r = db->QueryAll(
        "select BDCODTPLADE, BDCODTPLAPARA from VINT_BASE_TINTONLINE_CONTA where BDCODINT = ?", {planoTroca});
    for (size_t i = 0; i < r.Rows.size(); ++i)
      pares_[static_cast<int>(r.Rows[i][0].AsInteger())] = static_cast<int>(r.Rows[i][1].AsInteger());
  }
  void Traduz(TLinhaLancamentoTxt& l) const {
    if (pares_.empty()) return;
    l.DebitoArquivo = l.Debito;
    l.CreditoArquivo = l.Credito;
    l.Debito = Conta(l.Debito);
    l.Credito = Conta(l.Credito);
    for (TLinhaCentroCustoTxt& c : l.CentrosCusto) c.Conta = Conta(c.Conta);
  }

 private:
  int Conta(int conta) const {
    auto it = pares_.find(conta);
    return it == pares_.end() ? conta : it->second;
  }
  std::map<int, int> pares_;
};

// The participants a line may name: those registered, and those the file declares (registered with
// the import). A line naming any other would post an entry pointing at nobody.
class TParticipantesConhecidos {
 public:
  TParticipantesConhecidos(TDatabase& db, const std::set<int>& declarados) : db_(db) {
    for (int codigo : declarados) conhecidos_[codigo] = true;
  }
  // The first participant of the line that is neither; 0 when both are known (or not given).
  int Desconhecido(const TLinhaLancamentoTxt& l) {
    for (int p : {l.ParticipanteD, l.ParticipanteC})
      if (p != 0 && !Conhecido(p)) return p;
    return 0;
  }

 private:
  bool Conhecido(int codigo) {
    auto it = conhecidos_.find(codigo);
    if (it == conhecidos_.end())
      it = conhecidos_.emplace(codigo, !db_.QueryValue("select BDCODTER from TTERCEIRO where BDCODTER = ?", {codigo})
                                            .IsNull())
               .first;
    return it->second;
  }
  TDatabase& db_;
  std::map<int, bool> conhecidos_;
};

// Company data of a month, read once per company and month.
struct TDadosEmpresa {
  std::string Nome;
  int Plano = 0;
  int Historico = 0;
};

// Lines of a staged file held in memory before they go to the work tables.
constexpr int kLinhasPorLote = 5000;
// The first stretch a staged review opens on while the rest stages behind it: a screenful many times
// over (kLinhasPorPacoteRevisao a packet), soon read and staged.
constexpr size_t kLinhasPrimeiroTrecho = 1000;

// What a caller asks of one import of entry text.
struct TPedidoImportacaoTxt {
  TEdit_Codigo_Search_VYN* CodEmp = nullptr;
  TEdit_Codigo_Search_VYN* CodPlaTroca = nullptr;
  TComponent* Owner = nullptr;
  char Separador = ',';
  TBloqueioLancamento_VYN* Bloqueio = nullptr;
  TSpeedButton* TransacaoAut = nullptr;
  std::string DataIni, DataFim;
  TSelecionaFiliais_VYN* Filiais = nullptr;
  bool AlterarComplemento = false;
  // How the record of booked lines names the file (its display name, else its file name).
  std::string NomeFonte;
};

// One line of the file as a row of the review's entry data set (fonte: its identity as a source), with its
// long complement and its cost centres in theirs.
// The review's entry fields a line fills, each found once per reading by its name's text (a reading fills
// some forty fields a line: finding each by name again cost more than setting it).
class TCamposLinhaRevisao {
 public:
  TField& operator()(TDAOFactory& lanc, const char* nome) {
    TField*& f = campos_[nome];
    if (!f) f = &lanc.FieldByName(nome);
    return *f;
  }

 private:
  std::unordered_map<const char*, TField*> campos_;
};

void AnexaLinhaRevisao(TDAOFactory& lanc, TCamposLinhaRevisao& campos, TDAOFactory& cc, TDAOFactory& compl_,
                       const TLinhaLancamentoTxt& l, int chave, const TDadosEmpresa& d, const std::string& complemento,
                       int tipoD, int tipoC, const std::string& fonte) {
  lanc.Append();
  auto set = [&](const char* campo, const Variant& v) { campos(lanc, campo).SetValue(v); };
  auto setInt = [&](const char* campo, int v) { set(campo, v ? Variant(v) : Variant()); };
  set("BDCODEMP", l.CodEmp);
  set("BDCHAVE", chave);
  set("BDLINHA", l.Linha);
  set("BDFONTE", fonte);
  set("BDDATA", l.Data);
  setInt("BDDEBITO", l.Debito);
  setInt("BDCREDITO", l.Credito);
  set("BDDEBITOARQ", l.DebitoArquivo >= 0 ? l.DebitoArquivo : l.Debito);
  set("BDCREDITOARQ", l.CreditoArquivo >= 0 ? l.CreditoArquivo : l.Credito);
  set("BDVALOR", l.Valor);
  setInt("BDCODTPHI", l.Historico);
  set("BDCODHIST", d.Historico);
  set("BDCODPLAPADRAO", d.Plano);
  set("BDNOMEMP", d.Nome);
  set("BDCOMPL", complemento.empty() ? Variant() : Variant(complemento));
  setInt("BDLOTE", l.Lote);
  set("BDDCTO", l.Documento.empty() ? Variant() : Variant(l.Documento));
  setInt("BDCODTERCEIROD", l.ParticipanteD);
  setInt("BDCODTERCEIROC", l.ParticipanteC);
  set("BDALTCODTERCEIROD", l.ParticipanteD);
  set("BDALTCODTERCEIROC", l.ParticipanteC);
  set("BDTIPOTERD", tipoD);
  set("BDTIPOTERC", tipoC);
  set("BDDESCRICAO", l.NotaExplicativa.empty() ? Variant() : Variant(l.NotaExplicativa));
  set("BDCONTABILIZACAO", l.Contabilizacao);
  for (const char* c : {"BDCONCD", "BDCONCC", "BDVINC_BAIXA"}) set(c, false);
  for (const char* c : {"BDTIPOCONC", "BDINCONSISTENTE", "BDTIPOLAN", "BDALTTERD", "BDALTTERC", "BDCODEMPREEACAOD",
                        "BDCODEMPREEACAOC", "BDCODUNIIMOBACAOD", "BDCODUNIIMOBACAOC"})
    set(c, 0);
  lanc.Post();
  if (ComplementoLongo(complemento)) compl_.AppendRecord({l.CodEmp, chave, complemento});
  int seq = 0;
  for (const TLinhaCentroCustoTxt& c : l.CentrosCusto)
    cc.AppendRecord({l.CodEmp, chave, c.Centro, ++seq, c.Conta, c.DebCre, c.Valor});
}

// What the review needs of the company, the chart and the histories, each read once per file on the
// reading's attachment.
class TDadosLinhasTxt {
 public:
  TDadosLinhasTxt(TDatabase& db, bool alterarComplemento) : db_(db), alterarComplemento_(alterarComplemento) {}

  const TDadosEmpresa& Empresa(int emp, TDateTime data) {
    const int ref = AnoMes(data);
    auto k = std::make_pair(emp, ref);
    auto it = dados_.find(k);
    if (it != dados_.end()) return it->second;
    TDadosEmpresa d;
    d.Nome = TEmpresasMGR::GetRetornaCampoEmpresaRef(nullptr, emp, "BDNOMEMP", ref, &db_).AsString();
    Variant p = TEmpresasMGR::GetRetornaCampoEmpresaRef(nullptr, emp, "BDCODPLAPADRAO", ref, &db_);
    Variant h = TEmpresasMGR::GetRetornaCampoEmpresaRef(nullptr, emp, "BDCODHIST", ref, &db_);
    d.Plano = p.IsNull() ? 0 : static_cast<int>(p.AsInteger());
    d.Historico = h.IsNull() ? 0 : static_cast<int>(h.AsInteger());
    return dados_.emplace(k, d).first->second;
  }

  int TipoParticipante(int plano, int conta) {
    if (conta <= 0 || plano <= 0) return 0;
    auto k = std::make_pair(plano, conta);
    auto it = tipos_.find(k);
    if (it != tipos_.end()) return it->second;
    Variant v = TContasPlanosMGR::GetCampoConta(nullptr, plano, conta, "BDPARTICIPANTE", &db_);
    return tipos_[k] = v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
  }

  // The complement the line keeps: from its history's text with variables when the caller asks so.
  std::string Complemento(const TLinhaLancamentoTxt& l, int planoHistorico) {
    if (!alterarComplemento_ || l.Historico <= 0) return l.Complemento;
    auto k = std::make_pair(planoHistorico, l.Historico);
    auto it = historicos_.find(k);
    if (it == historicos_.end())
      it = historicos_
               .emplace(k, db_.QueryValue("select BDNOME from HIST_TPHI where BDCODHIST = ? and BDCODTPHI = ?",
                                          {planoHistorico, l.Historico})
                               .AsString())
               .first;
    return ComplementoPeloHistorico(it->second, l).value_or(l.Complemento);
  }

 private:
  TDatabase& db_;
  bool alterarComplemento_;
  std::map<std::pair<int, int>, TDadosEmpresa> dados_;
  std::map<std::pair<int, int>, int> tipos_;
  std::map<std::pair<int, int>, std::string> historicos_;
};

// The review's participant node: the records the file declares.
void AdicionaParticipantes(TfrImportacao_Padrao_Itens_TreeView_VYN& tela, const std::vector<TParticipanteTxt>& lista) {
  if (lista.empty()) return;
  TDAOFactory* part = CriaDAOParticipantes(&tela);
  for (const TParticipanteTxt& p : lista) {
    std::vector<Variant> linha{p.Codigo};
    linha.insert(linha.end(), p.Valores.begin(), p.Valores.end());
    part->AppendRecord(linha);
  }
  tela.AdicionaNodo(kNodoParticipantes, part);
}

// The review's list of objects (the file's companies, the period, the inconsistency list), set and
// run: imported at once when unattended, shown otherwise.
void AbreRevisaoTxt(TfrImportacao_Padrao_Itens_TreeView_VYN& tela, const TPedidoImportacaoTxt& p,
                    TInconsistencias_VYN* lista, const std::vector<int>& empresas, TDateTime ini, TDateTime fim,
                    TDadosAdicionaisImportacaoTXT* adicionais) {
  auto* emp = tela.Create<TEmpresasMGR>();
  std::vector<std::string> marcas(empresas.size(), "?");
  TParams params(empresas.begin(), empresas.end());
  emp->CommandText("select BDCODEMP from TEMPRESAS where BDCODEMP in (" + Join(marcas, ", ") + ") order by BDCODEMP",
                   ctOpen, params);
  TListaObj l;
  l.Posicao(prlArquivo).AddNil();
  l.Posicao(prlInconsistencias).Add(lista);
  l.Posicao(prlEmpresa).Add(p.CodEmp);
  l.Posicao(prlEmpresas).Add(emp);
  l.Posicao(prlTransacao).AddBoxedBoolean(p.TransacaoAut && p.TransacaoAut->Down);
  l.Posicao(prlDataIni).AddBoxedDateTime(ini);
  l.Posicao(prlDataFim).AddBoxedDateTime(fim);
  l.Posicao(prlFiliais).Add(p.Filiais);
  if (adicionais) {
    l.Posicao(prlMultiplos).AddBoxedInteger(1);   // the multiple-entry panel
    l.Posicao(prlDadosAdicionais).Add(adicionais);
  }
  const TListaObj& guardada = tela.AdoptListaObj(std::move(l));
  tela.SetListaObj(guardada);
  tela.SetListaDAO();
  tela.AfterListaObj();
}

// The staged review's entry node over its session, with the session's details.
void AdicionaNodoSessao(TfrImportacao_Padrao_Itens_TreeView_VYN& tela, TDatabase& db, int sessao,
                        const char* tabela = kTabelaLancamentosTemp) {
  TNodoSessao nodo = AbreSessaoArquivoGrande(tela, db, sessao, tabela);
  TNodoImportacao& n = tela.AdicionaNodo(kNodoLancamentos, nodo.Lancamentos);
  n.Aggregates = nodo.Detalhes;
}

// A line read and checked, waiting for the record of sources to tell whether it was booked before.
struct TLinhaLida {
  TLinhaLancamentoTxt Linha;
  std::string Complemento;
  std::string Fonte;
  Currency ValorFonte;   // the line's whole value when an earlier run booked part of it
};

// The file's lines on their way to the review: each checked against the import (period, companies,
// participants, complement), then, a batch at a time, against the record of booked sources. A line
// booked already (by this file, an earlier copy of it or another road that brought the same file) is
// left out and counted; a line equal as a movement to a source booked under another identity is a
// probable duplicate: told, and left out when nobody reviews the lines. Everything it reads and writes
// goes through db and the data sets it fills are dono's, so that it can run on a thread and an
// attachment of its own once it was made (AoFundo).
class TLeituraRevisaoTxt {
 public:
  // anexoDaSessao: the attachment a staged session belongs to when db is not the review's own.
  TLeituraRevisaoTxt(TLancamentoMGR& m, const TPedidoImportacaoTxt& p, TDatabase& db, TComponent& dono,
                     const TExecucaoLivros& execucao, std::vector<int> empresas, const std::set<int>& declarados,
                     int64_t anexoDaSessao = 0)
      : p_(p), db_(db), dono_(dono), desassistida_(IsUnattended()), empresas_(std::move(empresas)),
        permitidas_(empresas_.begin(), empresas_.end()), ini_(StrToDate(p.DataIni)), fim_(StrToDate(p.DataFim)),
        livros_(db_, execucao), lanc_(CriaDAOLancamentosRevisao(&dono)),
        cc_(dono.Create<TLancamentoCentroCustoMGR>()), compl_(dono.Create<TVZEL_EMPRESAS_TLAN_COMPLMGR>()),
        dados_(db_, p.AlterarComplemento), participantes_(db_, declarados),
        troca_(p.CodPlaTroca ? static_cast<int>(p.CodPlaTroca->Codigo()) : 0) {
    if (m.CompararLancamentos) postados_ = std::make_unique<TLancamentosPostados>(db_, empresas_, ini_, fim_);
    // The staged review's lines go to the work tables a batch at a time while the file is read, so that
    // only a batch is ever in memory; the session is written in one transaction unless it stages behind
    // its review.
    // A session nobody reviews, staged and read on the run's own attachment, lives in that attachment's
    // own table: removing it then costs no shared page, and a killed run leaves none of its lines.
    if (RevisaoEmArquivoGrande(m.ClasseRevisao)) {
      if (desassistida_ && anexoDaSessao == 0 && &db_ == ProcessContext().Database) tabela_ = kTabelaLancamentosAnexo;
      gravacao_ = std::make_unique<TGravacaoSessaoArquivoGrande>(db_, anexoDaSessao, tabela_);
      sessao_ = gravacao_->Sessao();
    }
  }

  // Behind a review: each stretch is committed as it is written and told (the lines staged so far), and
  // the reading stops at the next line once parada asks it to.
  void AoFundo(std::stop_token parada, std::function<void(int64_t)> aoConcluirTrecho) {
    parada_ = std::move(parada);
    aoConcluirTrecho_ = std::move(aoConcluirTrecho);
  }

  void Linha(TLinhaLancamentoTxt& l) {
    if (parada_.stop_requested()) throw EGravacaoInterrompida();
    troca_.Traduz(l);
    std::optional<std::string> complemento = Aceita(l);
    if (!complemento) return;
    std::string fonte = chaves_.Proxima(l);
    pendentes_.push_back({std::move(l), std::move(*complemento), std::move(fonte), Currency()});
    if (pendentes_.size() >= LinhasDoLote()) ConfereFontes();
  }

  // Once the file is read: the last lines staged (a staged session committed) and what the reading tells
  // besides them; arq holds what the reading refused, told under empresa.
  TDesfechoLeituraTxt Conclui(const TArquivoLancamentosTxt& arq, int empresa);
  // The review's entry node: the lines in memory, or the staged session.
  void AdicionaNodo(TfrImportacao_Padrao_Itens_TreeView_VYN& tela, TDatabase& db);

  int Sessao() const { return sessao_; }

 private:
  // A batch reads the movements booked over the days it spans and is staged as a stretch: few, large
  // batches, but for the first one behind a review, which the review waits for.
  size_t LinhasDoLote() const {
    return aoConcluirTrecho_ && gravadas_ == 0 ? kLinhasPrimeiroTrecho : static_cast<size_t>(kLinhasPorLote);
  }

  // The complement the line keeps when the import takes it; nullopt (the line told) when it does not.
  std::optional<std::string> Aceita(const TLinhaLancamentoTxt& l);
  void Recusa(int empresa, std::string texto) {
    ++recusadas_;
    foraDaImportacao_.push_back({empresa, std::move(texto)});
  }
  void ConfereFontes();
  // A line an earlier run booked in part (settled for less, or a part's entry deleted since): offered at
  // what is left, or named when nobody reviews it.
  void OfereceResto(const TLinhaLida& l, const TLivros::TContaPeriodo& conta);
  // The line of an entry file booked in the period that is this line's entry (its document too), at its
  // place among equal entries, with another value: this line corrects it (nothing when none).
  std::optional<TFonteRegistrada> Corrigida(const TLinhaLida& lida);
  // conferePostados: the line is weighed against the entries posted before here (the caller did not).
  void Anexa(const TLinhaLida& l, bool conferePostados = true);
  // The lines the data sets hold go to the session (committed and told behind a review).
  void GravaTrecho();

  const TPedidoImportacaoTxt p_;
  TDatabase& db_;
  TComponent& dono_;
  const bool desassistida_;
  std::vector<int> empresas_;
  std::set<int> permitidas_;
  TDateTime ini_, fim_;
  TLivros livros_;
  TDAOFactory* lanc_;
  TLancamentoCentroCustoMGR* cc_;
  TVZEL_EMPRESAS_TLAN_COMPLMGR* compl_;
  TDadosLinhasTxt dados_;
  TParticipantesConhecidos participantes_;
  const TTrocaContas troca_;
  std::unique_ptr<TLancamentosPostados> postados_;
  std::unique_ptr<TGravacaoSessaoArquivoGrande> gravacao_;
  const char* tabela_ = kTabelaLancamentosTemp;   // where the session's lines are staged
  std::stop_token parada_;
  std::function<void(int64_t)> aoConcluirTrecho_;
  TChavesLinhasTxt chaves_;   // the identities of the file's lines, equal entries counted
  std::map<int, std::map<std::string, TLivros::TContaPeriodo>> lancadas_;   // per company, its file lines booked in the period
  // lancadas_ by the hash of their keys but the value (a hash: the period may hold a large file's lines).
  std::map<int, std::unordered_multimap<size_t, const std::string*>> semValor_;
  TCamposLinhaRevisao campos_;
  std::vector<TLinhaLida> pendentes_;
  TDesfechoLeituraTxt desfecho_;   // the probable duplicates and the lines booked before, as they come
  // The lines the import leaves out are told after the lines the reading refused.
  std::vector<std::pair<int, std::string>> foraDaImportacao_;
  // Provisional keys are unique in the whole review (all companies), so a key names one line.
  int chave_ = 0;
  int recusadas_ = 0;
  int sessao_ = 0;
  int64_t gravadas_ = 0;
};

std::optional<std::string> TLeituraRevisaoTxt::Aceita(const TLinhaLancamentoTxt& l) {
  if (l.Data < ini_ || l.Data > fim_) {
    Recusa(l.CodEmp, fmt::format("Linha {} do arquivo não importada: data {} fora do período de {} a {}.", l.Linha,
                                 DateToStr(l.Data), p_.DataIni, p_.DataFim));
    return std::nullopt;
  }
  if (!permitidas_.count(l.CodEmp)) {
    Recusa(l.CodEmp, fmt::format("Linha {} do arquivo não importada: a empresa {} não faz parte da importação.",
                                 l.Linha, l.CodEmp));
    return std::nullopt;
  }
  if (const int desconhecido = participantes_.Desconhecido(l)) {
    Recusa(l.CodEmp, fmt::format("Linha {} do arquivo não importada: o participante {} não está cadastrado nem "
                                 "declarado no arquivo.",
                                 l.Linha, desconhecido));
    return std::nullopt;
  }
  try {
    // A history with variables may lengthen the complement past what its column holds.
    return TextoLimitadoTxt(dados_.Complemento(l, dados_.Empresa(l.CodEmp, l.Data).Historico), "complemento",
                            kCaracteresComplementoLancamento);
  } catch (const std::invalid_argument& e) {
    Recusa(l.CodEmp, fmt::format("Linha {} do arquivo não importada: {}.", l.Linha, e.what()));
    return std::nullopt;
  }
}

void TLeituraRevisaoTxt::ConfereFontes() {
  // Only the lines not booked yet are looked for among the movements booked by other roads.
  std::vector<const TLinhaLida*> novas;
  std::vector<TFonteLancada> movimentos;
  for (const TLinhaLida& l : pendentes_) {
    // Every line taken is within the import's period: its company's booked lines are read once.
    auto lidas = lancadas_.find(l.Linha.CodEmp);
    if (lidas == lancadas_.end())
      lidas = lancadas_
                  .emplace(l.Linha.CodEmp,
                           livros_.ContasDoPeriodo(l.Linha.CodEmp, TTipoFonte::ArquivoLancamentos, ini_, fim_))
                  .first;
    if (auto it = lidas->second.find(l.Fonte); it != lidas->second.end()) {
      const TLivros::TContaPeriodo& conta = it->second;
      if (conta.Valor > Currency() && conta.Resto() > Currency()) {
        OfereceResto(l, conta);
        continue;
      }
      desfecho_.JaLancados.push_back({l.Linha.CodEmp, conta.ChaveLancamento});
      if (postados_) postados_->Retira(l.Linha, l.Complemento, conta.ChaveLancamento);
      continue;
    }
    // An entry posted before that this line repeats (the comparison the caller asked for) is this
    // line booked, not a probable duplicate of it.
    if (postados_)
      if (const int postada = postados_->Toma(l.Linha, l.Complemento)) {
        desfecho_.JaLancados.push_back({l.Linha.CodEmp, postada});
        continue;
      }
    novas.push_back(&l);
    movimentos.push_back(TLivros::FonteLinhaArquivo(p_.NomeFonte, l.Linha.CodEmp, l.Linha.Linha, l.Fonte, 0,
                                                    l.Linha.Valor, MovimentoLinhaTxt(l.Linha)));
  }
  const std::vector<std::optional<TFonteRegistrada>> iguais = livros_.MovimentosIguais(movimentos);
  for (size_t i = 0; i < novas.size(); ++i) {
    const TLinhaLancamentoTxt& l = novas[i]->Linha;
    std::string texto;
    if (iguais[i])
      texto = MensagemMovimentoIgualTxt(l, *iguais[i]);
    // A corrected file is the client's word, taken by an unattended run; a user reviewing it is told.
    else if (const std::optional<TFonteRegistrada> corrigida = desassistida_ ? std::nullopt : Corrigida(*novas[i]))
      texto = MensagemMovimentoCorrigidoTxt(l, *corrigida);
    if (!texto.empty()) {
      // Nobody reviews an unattended run's lines: the user decides on it, from the list.
      if (desassistida_) {
        Recusa(l.CodEmp, "Linha " + std::to_string(l.Linha) + " do arquivo não importada: " + texto);
        continue;
      }
      desfecho_.Mensagens.push_back(
          {niAtencao, l.CodEmp, "Linha " + std::to_string(l.Linha) + " do arquivo: " + texto, nullptr, ciNenhum, {}});
    }
    Anexa(*novas[i], false);
  }
  pendentes_.clear();
}

std::optional<TFonteRegistrada> TLeituraRevisaoTxt::Corrigida(const TLinhaLida& lida) {
  const int empresa = lida.Linha.CodEmp;
  // Without a document, an entry of another value on the same day is as likely another movement.
  auto lidas = lancadas_.find(empresa);
  const std::optional<std::string> k = ChaveSemValorTxt(lida.Fonte);
  if (Trim(lida.Linha.Documento).empty() || lidas == lancadas_.end() || !k) return std::nullopt;
  auto [porEntrada, novo] = semValor_.try_emplace(empresa);
  if (novo)
    for (const auto& [chave, conta] : lidas->second)
      if (auto sem = ChaveSemValorTxt(chave)) porEntrada->second.emplace(std::hash<std::string>{}(*sem), &chave);
  auto [de, ate] = porEntrada->second.equal_range(std::hash<std::string>{}(*k));
  for (auto it = de; it != ate; ++it)
    if (*it->second != lida.Fonte && ChaveSemValorTxt(*it->second) == k)
      return livros_.FonteRegistrada(empresa, TTipoFonte::ArquivoLancamentos, *it->second);
  return std::nullopt;
}

void TLeituraRevisaoTxt::OfereceResto(const TLinhaLida& lida, const TLivros::TContaPeriodo& conta) {
  const TLinhaLancamentoTxt& l = lida.Linha;
  // Who booked what of it, and when, for the few lines that come back at a rest.
  TFonteRegistrada antes = livros_.FonteRegistrada(l.CodEmp, TTipoFonte::ArquivoLancamentos, lida.Fonte)
                               .value_or(TFonteRegistrada{});
  antes.Valor = conta.Valor;
  antes.Lancado = conta.Lancado;
  const std::string texto =
      EFonteJaLancada(TLivros::FonteLinhaArquivo(p_.NomeFonte, l.CodEmp, l.Linha, lida.Fonte, 0, l.Valor, {}), antes)
          .what();
  // Nobody reviews an unattended run's lines: what is left needs the accounts a user gives it.
  if (desassistida_) {
    Recusa(l.CodEmp, "Linha " + std::to_string(l.Linha) + " do arquivo não importada: " + texto +
                         " O que resta deve ser lançado na revisão.");
    return;
  }
  desfecho_.Mensagens.push_back({niAtencao, l.CodEmp,
                                 "Linha " + std::to_string(l.Linha) + " do arquivo: " + texto +
                                     " Fica na revisão pelo que resta.",
                                 nullptr, ciNenhum, {}});
  TLinhaLida resto = lida;
  resto.Linha.Valor = conta.Resto();
  // The rest is booked as a part of the line's account, never as a line of its own.
  resto.ValorFonte = conta.Valor;
  Anexa(resto);
}

void TLeituraRevisaoTxt::Anexa(const TLinhaLida& lida, bool conferePostados) {
  const TLinhaLancamentoTxt& l = lida.Linha;
  if (postados_ && conferePostados)
    if (const int postada = postados_->Toma(l, lida.Complemento)) {
      desfecho_.JaLancados.push_back({l.CodEmp, postada});
      return;
    }
  const TDadosEmpresa& d = dados_.Empresa(l.CodEmp, l.Data);
  AnexaLinhaRevisao(*lanc_, campos_, *cc_, *compl_, l, ++chave_, d, lida.Complemento, dados_.TipoParticipante(d.Plano, l.Debito),
                    dados_.TipoParticipante(d.Plano, l.Credito), lida.Fonte);
  if (lida.ValorFonte > Currency()) {
    lanc_->Edit();
    lanc_->FieldByName(kCampoValorFonte).SetValue(Variant(lida.ValorFonte));
    lanc_->Post();
  }
  if (gravacao_ && static_cast<size_t>(lanc_->RecordCount()) >= LinhasDoLote()) GravaTrecho();
}

void TLeituraRevisaoTxt::GravaTrecho() {
  gravacao_->Grava(*lanc_, *cc_, *compl_);
  gravadas_ += lanc_->RecordCount();
  for (TDAOFactory* ds : std::initializer_list<TDAOFactory*>{lanc_, cc_, compl_}) ds->EmptyDataSet();
  if (!aoConcluirTrecho_) return;
  gravacao_->ConcluiTrecho();
  aoConcluirTrecho_(gravadas_);
  if (parada_.stop_requested()) throw EGravacaoInterrompida();
}

TDesfechoLeituraTxt TLeituraRevisaoTxt::Conclui(const TArquivoLancamentosTxt& arq, int empresa) {
  ConfereFontes();
  recusadas_ += static_cast<int>(arq.Erros.size());
  for (const std::string& e : arq.Erros) desfecho_.Mensagens.push_back({niErro, empresa, e, nullptr, ciNenhum, {}});
  for (auto& [emp, msg] : foraDaImportacao_)
    desfecho_.Mensagens.push_back({niErro, emp, std::move(msg), nullptr, ciNenhum, {}});
  foraDaImportacao_.clear();
  desfecho_.Recusadas = recusadas_;
  desfecho_.Oferecidas = chave_;
  if (gravacao_) {
    gravacao_->Grava(*lanc_, *cc_, *compl_);
    gravacao_->Conclui();
    // The staged review reads the lines from the session; the data sets were only the way there.
    for (TComponent* c : std::vector<TComponent*>{lanc_, cc_, compl_}) dono_.FreeComponent(c);
    lanc_ = nullptr;
    cc_ = nullptr;
    compl_ = nullptr;
  }
  return std::move(desfecho_);
}

void TLeituraRevisaoTxt::AdicionaNodo(TfrImportacao_Padrao_Itens_TreeView_VYN& tela, TDatabase& db) {
  if (gravacao_) {
    AdicionaNodoSessao(tela, db, sessao_, tabela_);
    return;
  }
  tela.AdicionaNodo(kNodoLancamentos, lanc_);
  tela.AddAggregateDAO(lanc_, cc_, 0);
  tela.AddAggregateDAO(lanc_, compl_, 1);
}

// Where the review finds its session: the opener's additional data when it gave one (a sheet's), the
// review's own otherwise.
TDadosAdicionaisImportacaoTXT* AdicionaisDaSessao(TLancamentoMGR& m, TComponent& tela, int sessao) {
  TDadosAdicionaisImportacaoTXT* adicionais = nullptr;
  for (TComponent* c : m.Components())
    if (auto* d = dynamic_cast<TDadosAdicionaisImportacaoTXT*>(c)) adicionais = d;
  if (!adicionais) adicionais = tela.Create<TDadosAdicionaisImportacaoTXT>();
  adicionais->Sessao = sessao;
  return adicionais;
}

// The review the manager names, owned by the caller's screen so that its engine finds that screen up the
// owner chain.
TfrImportacao_Padrao_Itens_TreeView_VYN* CriaRevisaoTxt(TLancamentoMGR& m, TComponent& owner) {
  TComponent* criado = ClassRegistry().CreateComponent(m.ClasseRevisao, owner);
  auto* tela = dynamic_cast<TfrImportacao_Padrao_Itens_TreeView_VYN*>(criado);
  if (!tela) {
    owner.FreeComponent(criado);
    throw EClassRegistryError("A classe " + m.ClasseRevisao + " não é uma tela de revisão de importação.");
  }
  return tela;
}

// The staging behind a review runs on an attachment of its own: the same database and month as the
// review's, and the module's, as every attachment the module works through.
std::unique_ptr<TDatabase> AnexoDaLeitura(TDatabase& db) {
  auto anexo = std::make_unique<TDatabase>();
  anexo->Open(db.ConnectionString());
  MarcaConexaoDoModulo(*anexo);
  if (db.SessionReferencia() > 0) anexo->SetSessionReferencia(db.SessionReferencia());
  return anexo;
}

// What a staging behind its review holds, given up on its thread when it ends however it ends: the
// stretch under way rolled back with the reading, then the attachment closed.
struct TLeituraAoFundo {
  std::unique_ptr<TDatabase> Db;
  std::unique_ptr<TComponent> Dono;
  std::unique_ptr<TLeituraRevisaoTxt> Leitura;
};

// Whether a staged review may open before its file is staged: a user reviews it, and no transaction of
// the caller's holds what the reading's own attachment would not see.
bool PodeGravarAoFundo(TLancamentoMGR& m) {
  return RevisaoEmArquivoGrande(m.ClasseRevisao) && !IsUnattended() && !m.Database().InTransaction();
}

// Starts reading, checking and staging the file behind the review, a stretch at a time, each committed;
// sessao: the session it stages into.
std::unique_ptr<TGravacaoAoFundo> IniciaGravacaoAoFundo(TLancamentoMGR& m, const TPedidoImportacaoTxt& p,
                                                       TLinhasArquivoTxt& fonte, const TComponent& tela,
                                                       const std::vector<int>& empresas,
                                                       const std::set<int>& declarados, int empresa, int& sessao) {
  auto l = std::make_shared<TLeituraAoFundo>();
  l->Db = AnexoDaLeitura(m.Database());
  l->Dono = std::make_unique<TComponent>();
  // The session belongs to the review's attachment, which lives as long as the review does.
  const int64_t anexo = m.Database().QueryValue("select CURRENT_CONNECTION from RDB$DATABASE").AsInteger();
  l->Leitura = std::make_unique<TLeituraRevisaoTxt>(m, p, *l->Db, *l->Dono, ExecucaoDe(&tela), empresas, declarados,
                                                    anexo);
  sessao = l->Leitura->Sessao();
  return std::make_unique<TGravacaoAoFundo>(
      [l, &fonte, separador = p.Separador, empresa, aposTrecho = m.AposTrechoAoFundo](TGravacaoAoFundo& g,
                                                                                      std::stop_token parada) {
        TLeituraAoFundo minha = std::move(*l);
        minha.Leitura->AoFundo(parada, [&g, &aposTrecho, parada](int64_t linhas) {
          g.PrimeiroTrecho(linhas);
          if (aposTrecho) aposTrecho(linhas, parada);
        });
        TArquivoLancamentosTxt arq;   // the lines the reading refused
        LeArquivoLancamentosTxt([&fonte](std::string& s) { return fonte.Proxima(s); }, separador, empresa,
                                [&minha](TLinhaLancamentoTxt& x) { minha.Leitura->Linha(x); }, arq);
        return minha.Leitura->Conclui(arq, empresa);
      });
}

// The lines read, checked and staged before the review opens (in its data sets, or in a session for the
// staged review): what the reading told, and the session. leitura: the reading, the caller's to keep.
TDesfechoLeituraTxt LeAqui(TLancamentoMGR& m, const TPedidoImportacaoTxt& p, TLinhasArquivoTxt& fonte,
                           TfrImportacao_Padrao_Itens_TreeView_VYN& tela, const std::vector<int>& empresas,
                           int empresa, const std::set<int>& declarados, int& sessao,
                           std::unique_ptr<TLeituraRevisaoTxt>& leitura) {
  leitura = std::make_unique<TLeituraRevisaoTxt>(m, p, m.Database(), tela, ExecucaoDe(&tela), empresas, declarados);
  TArquivoLancamentosTxt arq;   // the lines the reading refused
  LeArquivoLancamentosTxt([&fonte](std::string& l) { return fonte.Proxima(l); }, p.Separador, empresa,
                          [&leitura](TLinhaLancamentoTxt& l) { leitura->Linha(l); }, arq);
  TDesfechoLeituraTxt desfecho = leitura->Conclui(arq, empresa);
  leitura->AdicionaNodo(tela, m.Database());
  sessao = leitura->Sessao();
  return desfecho;
}

// The staged review's lines staged behind it: the review opens on the session once its first stretch is
// committed (aoFundo goes on), or once the whole file is when it ends within that stretch (what the
// reading told then comes back).
TDesfechoLeituraTxt LeAoFundo(TLancamentoMGR& m, const TPedidoImportacaoTxt& p, TLinhasArquivoTxt& fonte,
                              TfrImportacao_Padrao_Itens_TreeView_VYN& tela, const std::vector<int>& empresas,
                              int empresa, const std::set<int>& declarados,
                              std::unique_ptr<TGravacaoAoFundo>& aoFundo, int& sessao) {
  TDesfechoLeituraTxt desfecho;
  aoFundo = IniciaGravacaoAoFundo(m, p, fonte, tela, empresas, declarados, empresa, sessao);
  if (!aoFundo->AguardaPrimeiroTrecho()) {
    if (aoFundo->Erro()) std::rethrow_exception(aoFundo->Erro());
    desfecho = aoFundo->Desfecho();
    aoFundo.reset();
  }
  AdicionaNodoSessao(tela, m.Database(), sessao);
  return desfecho;
}

// Stops a staging behind the review before the review goes, however the import ends (the review then
// removes its session), and takes it from the additional data that may outlive it.
class TEncerraAoFundo {
 public:
  explicit TEncerraAoFundo(std::unique_ptr<TGravacaoAoFundo>& gravacao) : gravacao_(gravacao) {}
  ~TEncerraAoFundo() {
    if (gravacao_) gravacao_->Interrompe();
    if (adicionais_) adicionais_->AoFundo = nullptr;
  }
  TEncerraAoFundo(const TEncerraAoFundo&) = delete;
  TEncerraAoFundo& operator=(const TEncerraAoFundo&) = delete;
  void Entrega(TDadosAdicionaisImportacaoTXT* adicionais) {
    adicionais_ = adicionais;
    if (adicionais_) adicionais_->AoFundo = gravacao_.get();
  }

 private:
  std::unique_ptr<TGravacaoAoFundo>& gravacao_;
  TDadosAdicionaisImportacaoTXT* adicionais_ = nullptr;
};

// Reads the file (a first pass for the participants it declares, then its lines one by one), stages
// the lines not booked before in the review's data sets (a batch at a time into a session of the work
// tables for the staged review) and opens the review; with nothing left to review but lines booked
// before, the import runs at once and tells them. A staged review a user works in opens once the first
// stretch of its session is committed, the rest staging behind it.
void ImportaLinhasTxt(TLancamentoMGR& m, const TPedidoImportacaoTxt& p, TLinhasArquivoTxt& fonte) {
  if (!p.Owner) throw EDataSetError("A importação de lançamentos precisa da tela que a chama (owner).");
  TInconsistencias_VYN* lista = p.Bloqueio ? p.Bloqueio->Inconsistencias() : nullptr;
  if (!lista) lista = m.Create<TInconsistencias_VYN>();
  const int empresa = p.CodEmp ? static_cast<int>(p.CodEmp->Codigo()) : 0;
  std::vector<int> empresas = p.Filiais ? p.Filiais->CodigosMarcados() : std::vector<int>{};
  if (std::find(empresas.begin(), empresas.end(), empresa) == empresas.end()) empresas.insert(empresas.begin(), empresa);
  // The participants node shows every record the file declares from the start, wherever it stands.
  const std::vector<TParticipanteTxt> participantes =
      ParticipantesDoArquivoTxt([&fonte](std::string& l) { return fonte.Proxima(l); }, p.Separador);
  std::set<int> declarados;
  for (const TParticipanteTxt& d : participantes) declarados.insert(d.Codigo);
  fonte.Reinicia();

  std::unique_ptr<TGravacaoAoFundo> aoFundo;   // outlives the review, which stops it when it closes
  TFormPtr<TfrImportacao_Padrao_Itens_TreeView_VYN> guarda(CriaRevisaoTxt(m, *p.Owner));
  TEncerraAoFundo encerra(aoFundo);
  // A reading made here ends with the import, as it did before the review could open early: freeing
  // its file-sized indexes takes tenths of a second at a million lines, and doing it before the import
  // moves the session's removal against the end of the caller's transactions, and with it the reader
  // that collects the rows the import deleted.
  std::unique_ptr<TLeituraRevisaoTxt> leitura;
  TfrImportacao_Padrao_Itens_TreeView_VYN* tela = guarda.get();
  tela->AfterConstruction();
  // The file's display name tells the user which file the review holds.
  if (!m.NomeArquivo.empty()) tela->SetCaption(tela->Caption() + " - " + m.NomeArquivo);
  tela->ArquivoFonte.Nome = m.NomeArquivo.empty() ? p.NomeFonte : m.NomeArquivo;
  tela->ArquivoFonte.Registra = true;

  TPedidoImportacaoTxt pedido = p;
  pedido.NomeFonte = tela->ArquivoFonte.Nome;
  int sessao = 0;
  TDesfechoLeituraTxt desfecho =
      PodeGravarAoFundo(m) ? LeAoFundo(m, pedido, fonte, *tela, empresas, empresa, declarados, aoFundo, sessao)
                           : LeAqui(m, pedido, fonte, *tela, empresas, empresa, declarados, sessao, leitura);
  for (const TInconsistenciaItem& i : desfecho.Mensagens) lista->Acrescenta(i);
  AdicionaParticipantes(*tela, participantes);
  TDadosAdicionaisImportacaoTXT* adicionais = sessao > 0 ? AdicionaisDaSessao(m, *tela, sessao) : nullptr;
  encerra.Entrega(adicionais);
  AbreRevisaoTxt(*tela, p, lista, empresas, StrToDate(p.DataIni), StrToDate(p.DataFim), adicionais);
  TUtilImportacao_Padrao_Treeview* util = tela->UtilImportacao();
  // Behind the review, the review hands these over once the staging ended.
  if (util && !aoFundo) {
    util->FRecusadasNaLeitura = desfecho.Recusadas;
    util->FJaLancados = std::move(desfecho.JaLancados);
  }
  const bool soLancadas = !aoFundo && desfecho.Oferecidas == 0 && participantes.empty() && util &&
                          !util->FJaLancados.empty();
  if (IsUnattended() || soLancadas) {
    tela->spImportacaoClick(tela->spImportacao);
  } else {
    tela->ShowModal();
  }
}

}  // namespace

void TLancamentoMGR::GetImportacaoLancTxt(int tipoSistema, TEdit_Codigo_Search_VYN* codEmp,
                                          TEdit_Codigo_Search_VYN* codPlaTroca, TEdit_Diretorio_Padrao_VYN* arquivo,
                                          TComponent* owner, const std::string& separador, bool b,
                                          TBloqueioLancamento_VYN* bloqueio, TSpeedButton* transacaoAut,
                                          const std::string& dataIni, const std::string& dataFim,
                                          TSelecionaFiliais_VYN* filiais, int flag, bool alterarComplemento) {
  const std::string caminho = arquivo ? arquivo->Text() : std::string();
  // A workbook is told by its first bytes (a missing file has none).
  if (TipoPastaTrabalhoArquivo(caminho) != TTipoPastaTrabalho::Nenhuma) {
    GetImportacaoLancPlanilha(tipoSistema, codEmp, codPlaTroca, caminho, owner, separador, b, bloqueio, transacaoAut,
                              dataIni, dataFim, filiais, flag, alterarComplemento);
    return;
  }
  // Client files come in the Windows encoding as often as in UTF-8; both are read as the Dyq road reads
  // them, a line at a time: a file for the staged review need not fit in memory.
  TArquivoTxtEmLinhas fonte(caminho);
  if (!fonte.Aberto()) {
    TInconsistencias_VYN* lista = bloqueio ? bloqueio->Inconsistencias() : nullptr;
    const std::string msg = "Arquivo de lançamentos não encontrado: " + caminho;
    if (lista) lista->Add_Erro(codEmp ? static_cast<int>(codEmp->Codigo()) : 0, msg);
    if (IsUnattended())
      RegistraFalhaExecucao(msg);
    else
      DlgWarOk(msg);
    return;
  }
  // A file too large to review in memory is reviewed staged, whoever opened it.
  if (SameText(ClasseRevisao, kClasseRevisaoMemoria) && TamanhoExigeRevisaoEmEtapas(caminho))
    ClasseRevisao = kClasseRevisaoArquivoGrande;
  ImportaLinhasTxt(*this, {codEmp, codPlaTroca, owner, separador.empty() ? ',' : separador[0], bloqueio, transacaoAut,
                    dataIni, dataFim, filiais, alterarComplemento,
                    std::filesystem::path(caminho).filename().string()},
                   fonte);
}

void TLancamentoMGR::GetImportacaoLancTxt(int, TEdit_Codigo_Search_VYN* codEmp, TEdit_Codigo_Search_VYN* codPlaTroca,
                                          std::istream& fonte, TComponent* owner, const std::string& separador, bool,
                                          TBloqueioLancamento_VYN* bloqueio, TSpeedButton* transacaoAut,
                                          const std::string& dataIni, const std::string& dataFim,
                                          TSelecionaFiliais_VYN* filiais, int, bool alterarComplemento, TCheckBox*) {
  TFluxoTxtEmLinhas linhas(fonte);
  ImportaLinhasTxt(*this, {codEmp, codPlaTroca, owner, separador.empty() ? ',' : separador[0], bloqueio, transacaoAut,
                    dataIni, dataFim, filiais, alterarComplemento, NomeArquivo},
                   linhas);
}

TImportacaoLancamentoContabilTxtMgr* TImportacaoLancamentoContabilTxtMgr::CreateMgr(TComponent* owner) {
  if (!owner) throw EDataSetError("O gerenciador de importação precisa de um dono (owner).");
  return owner->Create<TImportacaoLancamentoContabilTxtMgr>();
}

void TImportacaoLancamentoContabilTxtMgr::Execute() {
  if (!inconsistencias_) inconsistencias_ = Create<TInconsistencias_VYN>();
  if (!codEmp_ || !arquivo_) {
    inconsistencias_->Add_Erro(std::string_view("Importação de lançamentos sem empresa ou sem arquivo."));
    return;
  }
  // The import runs without a user for as long as it runs, not for as long as its manager lives.
  TUnattendedScope semUsuario;
  TLancamentoMGR* m = TLancamentoMGR::CreateMgr(this);
  m->NaoRetirarZerosContas = true;
  m->ClasseRevisao = ClasseRevisao;
  m->CompararLancamentos = CompararLancamentos;
  auto* bloqueio = Create<TBloqueioLancamento_VYN>();
  bloqueio->SetInconsistencias(inconsistencias_);
  m->GetImportacaoLancTxt(tipoSistema_, codEmp_, codPlaTroca_, arquivo_, owner_ ? owner_ : this, ",", false, bloqueio,
                          transacaoAut_, DateToStr(dataIni_), DateToStr(dataFim_), nullptr, 0,
                          alterarComplemento_ && alterarComplemento_->Checked());
}

}  // namespace vyn
