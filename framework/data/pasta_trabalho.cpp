#include "framework/data/pasta_trabalho.h"

#include <expat.h>
#include <freexl.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "framework/data/arquivo_importacao.h"

namespace vyn {

namespace {

std::string AvisoPrimeiraPlanilha(size_t total, const std::string& nome) {
  return "A pasta tem " + std::to_string(total) + " planilhas: foi lida só a primeira, \"" + nome + "\".";
}

// A workbook part larger than this is refused instead of being inflated into memory.
constexpr zip_uint64_t kMaxParte = 256ull * 1024 * 1024;

[[noreturn]] void Invalida(const std::string& arquivo, const std::string& detalhe) {
  throw EArquivoImportacao("O arquivo " + arquivo + " não é uma pasta de trabalho válida (" + detalhe + ").");
}

// ---- dates -------------------------------------------------------------------------------------

// Days since 1970-01-01 to the civil date.
void CivilDeDias(int64_t z, int& a, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  a = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

std::string Data(int a, int m, int d) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, a);
  return buf;
}

// "2024-03-15" or "2024-03-15T10:00:00" to "15/03/2024"; anything else as it is.
std::string DataIso(const std::string& t) {
  if (t.size() < 10 || t[4] != '-' || t[7] != '-') return t;
  return t.substr(8, 2) + "/" + t.substr(5, 2) + "/" + t.substr(0, 4);
}

// ---- a small element tree over expat -----------------------------------------------------------

struct No {
  std::string nome;  // local name, without the namespace prefix
  std::vector<std::pair<std::string, std::string>> atributos;
  std::string texto;
  std::vector<std::unique_ptr<No>> filhos;

  const std::string* Atributo(const std::string& n) const {
    for (const auto& [k, v] : atributos)
      if (k == n) return &v;
    return nullptr;
  }
  std::string AtributoOu(const std::string& n, const std::string& padrao = "") const {
    const std::string* v = Atributo(n);
    return v ? *v : padrao;
  }
  const No* Filho(const std::string& n) const {
    for (const auto& f : filhos)
      if (f->nome == n) return f.get();
    return nullptr;
  }
};

std::string Local(const char* nome) {
  std::string s(nome);
  const size_t p = s.find(':');
  return p == std::string::npos ? s : s.substr(p + 1);
}

// A part is read as it inflates, and an element the reader has used when it closes (a sheet's row, a
// shared string) leaves the tree: a sheet of 100,000 rows is never held whole, as text or as elements.
using TAoFechar = std::function<bool(const No& no, const No& pai)>;   // true: the element is used up

struct Montagem {
  XML_Parser parser = nullptr;
  TAoFechar aoFechar;
  std::unique_ptr<No> raiz;
  std::vector<No*> pilha;
  std::exception_ptr erro;   // raised by aoFechar; expat is C and must not be unwound
};

void XMLCALL Abre(void* dados, const XML_Char* nome, const XML_Char** atributos) {
  auto& m = *static_cast<Montagem*>(dados);
  auto no = std::make_unique<No>();
  no->nome = Local(nome);
  for (int i = 0; atributos[i]; i += 2) no->atributos.emplace_back(Local(atributos[i]), atributos[i + 1]);
  No* p = no.get();
  if (m.pilha.empty()) m.raiz = std::move(no);
  else m.pilha.back()->filhos.push_back(std::move(no));
  m.pilha.push_back(p);
}

void XMLCALL Fecha(void* dados, const XML_Char*) {
  auto& m = *static_cast<Montagem*>(dados);
  const No* no = m.pilha.back();
  m.pilha.pop_back();
  if (!m.aoFechar || m.pilha.empty()) return;
  No& pai = *m.pilha.back();
  try {
    // The element closing is always its parent's last child.
    if (m.aoFechar(*no, pai)) pai.filhos.pop_back();
  } catch (...) {
    m.erro = std::current_exception();
    XML_StopParser(m.parser, XML_FALSE);
  }
}

void XMLCALL Texto(void* dados, const XML_Char* s, int n) {
  auto& m = *static_cast<Montagem*>(dados);
  if (!m.pilha.empty()) m.pilha.back()->texto.append(s, static_cast<size_t>(n));
}

// One part's parse, fed a piece at a time.
class TLeituraXml {
 public:
  TLeituraXml(const std::string& arquivo, const std::string& parte, TAoFechar aoFechar)
      : arquivo_(arquivo), parte_(parte), p_(XML_ParserCreate("UTF-8"), &XML_ParserFree) {
    m_.parser = p_.get();
    m_.aoFechar = std::move(aoFechar);
    XML_SetUserData(p_.get(), &m_);
    XML_SetElementHandler(p_.get(), Abre, Fecha);
    XML_SetCharacterDataHandler(p_.get(), Texto);
  }
  void Parte(const char* dados, size_t n, bool fim) {
    const XML_Status st = XML_Parse(p_.get(), dados, static_cast<int>(n), fim ? 1 : 0);
    if (m_.erro) std::rethrow_exception(m_.erro);
    if (st == XML_STATUS_ERROR) Invalida(arquivo_, parte_ + ": " + XML_ErrorString(XML_GetErrorCode(p_.get())));
  }
  std::unique_ptr<No> Raiz() {
    if (!m_.raiz) Invalida(arquivo_, parte_ + ": " + XML_ErrorString(XML_GetErrorCode(p_.get())));
    return std::move(m_.raiz);
  }

 private:
  const std::string& arquivo_;
  const std::string& parte_;
  std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> p_;
  Montagem m_;
};

// ---- the zip package ---------------------------------------------------------------------------

class Pacote {
 public:
  explicit Pacote(const std::string& arquivo) : arquivo_(arquivo) {
    int erro = 0;
    zip_ = zip_open(arquivo.c_str(), ZIP_RDONLY, &erro);
    if (!zip_) Invalida(arquivo, "não é um pacote zip legível");
  }
  ~Pacote() { zip_discard(zip_); }
  Pacote(const Pacote&) = delete;
  Pacote& operator=(const Pacote&) = delete;

  bool Existe(const std::string& nome) const { return zip_name_locate(zip_, nome.c_str(), 0) >= 0; }

  // The part's elements; aoFechar takes each element as it closes and may drop it.
  std::unique_ptr<No> Xml(const std::string& nome, TAoFechar aoFechar = {}) const {
    const zip_int64_t i = zip_name_locate(zip_, nome.c_str(), 0);
    if (i < 0) Invalida(arquivo_, "falta a parte " + nome);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip_, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        st.size > kMaxParte)
      Invalida(arquivo_, "a parte " + nome + " não pode ser lida");
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> f(zip_fopen_index(zip_, static_cast<zip_uint64_t>(i), 0),
                                                          &zip_fclose);
    if (!f) Invalida(arquivo_, "a parte " + nome + " não pode ser lida");
    TLeituraXml leitura(arquivo_, nome, std::move(aoFechar));
    std::vector<char> pedaco(64 * 1024);
    zip_uint64_t lido = 0;
    while (lido < st.size) {
      const zip_int64_t n = zip_fread(f.get(), pedaco.data(), std::min<zip_uint64_t>(pedaco.size(), st.size - lido));
      if (n <= 0) Invalida(arquivo_, "a parte " + nome + " está danificada");
      lido += static_cast<zip_uint64_t>(n);
      leitura.Parte(pedaco.data(), static_cast<size_t>(n), false);
    }
    leitura.Parte(nullptr, 0, true);
    return leitura.Raiz();
  }

 private:
  std::string arquivo_;
  zip_t* zip_ = nullptr;
};

// Control characters are stored in the sheet's strings as _xHHHH_.
std::string DecodificaEscapes(const std::string& s) {
  if (s.find("_x") == std::string::npos) return s;
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 2, "_x") == 0 && i + 7 <= s.size() && s[i + 6] == '_' &&
        std::all_of(s.begin() + static_cast<std::ptrdiff_t>(i) + 2, s.begin() + static_cast<std::ptrdiff_t>(i) + 6,
                    [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) {
      const unsigned cp = static_cast<unsigned>(std::stoul(s.substr(i + 2, 4), nullptr, 16));
      if (cp < 0x80) {
        out += static_cast<char>(cp);
        i += 6;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// The text of a string item: its runs, without the phonetic hints.
void TextoDoItem(const No& no, std::string& out) {
  if (no.nome == "rPh") return;
  if (no.nome == "t") out += no.texto;
  for (const auto& f : no.filhos) TextoDoItem(*f, out);
}

std::string TextoItem(const No& no) {
  std::string out;
  TextoDoItem(no, out);
  return DecodificaEscapes(out);
}

bool FormatoEhData(int id, const std::map<int, std::string>& proprios) {
  if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58)) return true;
  auto it = proprios.find(id);
  if (it == proprios.end()) return false;
  // Literal text, colours/conditions and escaped characters are not date parts.
  const std::string& f = it->second;
  for (size_t i = 0; i < f.size(); ++i) {
    const char c = f[i];
    if (c == '"') {
      i = f.find('"', i + 1);
      if (i == std::string::npos) break;
    } else if (c == '[') {
      i = f.find(']', i + 1);
      if (i == std::string::npos) break;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == 'd' || c == 'D' || c == 'y' || c == 'Y') {
      return true;
    }
  }
  return false;
}

// For each cell style index: does it show a date?
std::vector<bool> EstilosDeData(const Pacote& pacote) {
  std::vector<bool> out;
  if (!pacote.Existe("xl/styles.xml")) return out;
  auto estilos = pacote.Xml("xl/styles.xml");
  std::map<int, std::string> proprios;
  if (const No* fmts = estilos->Filho("numFmts"))
    for (const auto& f : fmts->filhos)
      if (f->nome == "numFmt") proprios[std::atoi(f->AtributoOu("numFmtId", "0").c_str())] = f->AtributoOu("formatCode");
  if (const No* xfs = estilos->Filho("cellXfs"))
    for (const auto& xf : xfs->filhos)
      if (xf->nome == "xf") out.push_back(FormatoEhData(std::atoi(xf->AtributoOu("numFmtId", "0").c_str()), proprios));
  return out;
}

// The package path of each sheet by its relationship id.
std::map<std::string, std::string> CaminhosPlanilhas(const Pacote& pacote) {
  std::map<std::string, std::string> r;
  if (!pacote.Existe("xl/_rels/workbook.xml.rels")) return r;
  auto rels = pacote.Xml("xl/_rels/workbook.xml.rels");
  for (const auto& rel : rels->filhos) {
    if (rel->nome != "Relationship") continue;
    const std::string alvo = rel->AtributoOu("Target");
    r.emplace(rel->AtributoOu("Id"), !alvo.empty() && alvo[0] == '/' ? alvo.substr(1) : "xl/" + alvo);
  }
  return r;
}

// Whether a sheet holds a cell with a value: the empty sheets a workbook is created with are nothing
// the reader leaves behind. A sheet that cannot be found is taken as holding data.
bool PlanilhaTemDados(const Pacote& pacote, const std::string& parte) {
  if (parte.empty() || !pacote.Existe(parte)) return true;
  bool temDados = false;
  pacote.Xml(parte, [&temDados](const No& no, const No& pai) {
    if (no.nome == "c" && pai.nome == "row") {
      temDados = temDados || no.Filho("v") || no.Filho("is");
      return true;
    }
    return no.nome == "row";
  });
  return temDados;
}

// The path inside the package of the workbook's first sheet; `aviso` tells which sheet that is when
// another sheet holds data.
std::string PrimeiraPlanilha(const Pacote& pacote, const No& livro, const std::string& arquivo, std::string* aviso) {
  const No* folhas = livro.Filho("sheets");
  // The first sheet the user sees: a hidden one (settings, look-up lists) is never the entries' sheet.
  const No* primeira = nullptr;
  if (folhas)
    for (const auto& f : folhas->filhos) {
      const std::string estado = f->AtributoOu("state");
      if (f->nome == "sheet" && !primeira && estado != "hidden" && estado != "veryHidden") primeira = f.get();
    }
  if (!primeira && folhas) primeira = folhas->Filho("sheet");
  if (!primeira) Invalida(arquivo, "a pasta não tem planilhas");
  const std::map<std::string, std::string> caminhos = CaminhosPlanilhas(pacote);
  auto caminho = [&](const No& folha) {
    auto it = caminhos.find(folha.AtributoOu("id"));
    return it == caminhos.end() ? std::string() : it->second;
  };
  size_t total = 0;
  bool outrasComDados = false;
  for (const auto& f : folhas->filhos) {
    if (f->nome != "sheet") continue;
    ++total;
    if (aviso && f.get() != primeira && !outrasComDados) outrasComDados = PlanilhaTemDados(pacote, caminho(*f));
  }
  if (aviso && outrasComDados) *aviso = AvisoPrimeiraPlanilha(total, primeira->AtributoOu("name"));
  const std::string alvo = caminho(*primeira);
  return alvo.empty() ? "xl/worksheets/sheet1.xml" : alvo;
}

// "AB12" -> column 27 (0-based), or -1.
int Coluna(const std::string& ref) {
  int c = 0;
  size_t i = 0;
  for (; i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])); ++i)
    c = c * 26 + (std::toupper(static_cast<unsigned char>(ref[i])) - 'A' + 1);
  return i == 0 || c > 16384 ? -1 : c - 1;
}

// "B9" -> row 8 (0-based), or -1.
long LinhaRef(const std::string& ref) {
  const size_t p = ref.find_first_of("0123456789");
  if (p == std::string::npos || p == 0) return -1;
  const long r = std::atol(ref.c_str() + p);
  return r > 0 && r <= 1048576 ? r - 1 : -1;
}

// A merged range shows its first cell's value over all its cells: every row under a merged company or
// date cell holds that value, as the user reads the sheet. Only the rows and columns read are filled.
void EspalhaCelulasMescladas(const No& planilha, TLinhasPlanilha& linhas) {
  const No* mescladas = planilha.Filho("mergeCells");
  if (!mescladas) return;
  size_t largura = 0;
  for (const auto& l : linhas) largura = std::max(largura, l.size());
  for (const auto& m : mescladas->filhos) {
    const std::string ref = m->nome == "mergeCell" ? m->AtributoOu("ref") : std::string();
    const size_t dois = ref.find(':');
    if (dois == std::string::npos) continue;
    const std::string a = ref.substr(0, dois), b = ref.substr(dois + 1);
    const long r1 = LinhaRef(a), r2 = LinhaRef(b);
    const int c1 = Coluna(a), c2 = Coluna(b);
    if (r1 < 0 || r2 < r1 || c1 < 0 || c2 < c1 || static_cast<size_t>(r1) >= linhas.size()) continue;
    const auto& origem = linhas[static_cast<size_t>(r1)];
    const std::string valor = static_cast<size_t>(c1) < origem.size() ? origem[static_cast<size_t>(c1)] : std::string();
    if (valor.empty()) continue;
    const size_t ultimaLinha = std::min(static_cast<size_t>(r2), linhas.size() - 1);
    const size_t ultimaColuna = std::min(static_cast<size_t>(c2), largura - 1);
    for (size_t r = static_cast<size_t>(r1); r <= ultimaLinha; ++r) {
      auto& celulas = linhas[r];
      if (celulas.size() <= ultimaColuna) celulas.resize(ultimaColuna + 1);
      for (size_t c = static_cast<size_t>(c1); c <= ultimaColuna; ++c)
        if (celulas[c].empty()) celulas[c] = valor;
    }
  }
}

void DescartaLinhasVaziasDoFim(TLinhasPlanilha& linhas) {
  auto vazia = [](const std::vector<std::string>& l) {
    return std::all_of(l.begin(), l.end(), [](const std::string& c) { return c.empty(); });
  };
  while (!linhas.empty() && vazia(linhas.back())) linhas.pop_back();
}

std::string CelulaXlsx(const No& c, const std::vector<std::string>& compartilhados, const std::vector<bool>& datas,
                       bool sistema1904) {
  const std::string tipo = c.AtributoOu("t", "n");
  if (tipo == "inlineStr") {
    const No* is = c.Filho("is");
    return is ? TextoItem(*is) : "";
  }
  const No* v = c.Filho("v");
  if (!v) return "";
  const std::string& valor = v->texto;
  if (tipo == "s") {
    size_t i = 0;
    auto [p, ec] = std::from_chars(valor.data(), valor.data() + valor.size(), i);
    return ec == std::errc() && i < compartilhados.size() ? compartilhados[i] : "";
  }
  if (tipo == "str" || tipo == "e") return DecodificaEscapes(valor);
  if (tipo == "b") return valor == "1" ? "TRUE" : "FALSE";
  if (tipo == "d") return DataIso(valor);
  const size_t estilo = static_cast<size_t>(std::atoi(c.AtributoOu("s", "0").c_str()));
  if (estilo < datas.size() && datas[estilo]) {
    std::string d = SerialParaData(valor, sistema1904);
    if (!d.empty()) return d;
  }
  return NumeroArmazenadoParaTexto(valor);
}

// A double is exact to 15 significant digits; what a sheet stores beyond them is the noise of binary
// arithmetic (a formula's 0.1*3 is stored 0.30000000000000004), which the sheet never shows nor
// exports as text. Rounded half up to 15, in decimal; the digits cut become zeros.
void ArredondaSignificativos(std::string& digitos, long& ponto) {
  const size_t primeiro = digitos.find_first_not_of('0');
  if (primeiro == std::string::npos || digitos.size() - primeiro <= 15) return;
  const size_t corte = primeiro + 15;
  const bool sobe = digitos[corte] >= '5';
  for (size_t k = corte; k < digitos.size(); ++k) digitos[k] = '0';
  if (!sobe) return;
  for (size_t k = corte; k-- > 0;) {
    if (digitos[k] != '9') {
      ++digitos[k];
      return;
    }
    digitos[k] = '0';
  }
  digitos.insert(digitos.begin(), '1');
  ++ponto;
}

}  // namespace

std::string NumeroArmazenadoParaTexto(const std::string& armazenado) {
  std::string s = armazenado;
  size_t i = 0;
  std::string sinal;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) sinal = s[i] == '-' ? "-" : "", ++i;
  std::string inteiro, fracao;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) inteiro += s[i++];
  if (i < s.size() && s[i] == '.')
    for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]));) fracao += s[i++];
  long expoente = 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    auto [p, ec] = std::from_chars(s.data() + i + (s[i + 1] == '+' ? 2 : 1), s.data() + s.size(), expoente);
    if (ec != std::errc() || expoente > 400 || expoente < -400) return armazenado;
    i = static_cast<size_t>(p - s.data());
  }
  if (i != s.size() || (inteiro.empty() && fracao.empty())) return armazenado;
  std::string digitos = inteiro + fracao;
  long ponto = static_cast<long>(inteiro.size()) + expoente;
  if (ponto < 0) {
    digitos.insert(0, static_cast<size_t>(-ponto), '0');
    ponto = 0;
  }
  if (ponto > static_cast<long>(digitos.size())) digitos.append(static_cast<size_t>(ponto) - digitos.size(), '0');
  ArredondaSignificativos(digitos, ponto);
  std::string ip = digitos.substr(0, static_cast<size_t>(ponto));
  std::string fp = digitos.substr(static_cast<size_t>(ponto));
  ip.erase(0, std::min(ip.find_first_not_of('0'), ip.size()));
  if (ip.empty()) ip = "0";
  while (!fp.empty() && fp.back() == '0') fp.pop_back();
  if (ip == "0" && fp.empty()) sinal.clear();
  return sinal + ip + (fp.empty() ? "" : "," + fp);
}

std::string SerialParaData(const std::string& armazenado, bool sistema1904) {
  const std::string plano = NumeroArmazenadoParaTexto(armazenado);
  const std::string inteiro = plano.substr(0, plano.find(','));
  int64_t dias = 0;
  auto [p, ec] = std::from_chars(inteiro.data(), inteiro.data() + inteiro.size(), dias);
  if (ec != std::errc() || p != inteiro.data() + inteiro.size() || dias < 0 || dias > 2958465) return "";
  // 1970-01-01 is day 25569 of the 1900 system and day 24107 of the 1904 one.
  if (sistema1904) dias -= 24107;
  else if (dias == 60) return "29/02/1900";  // the 1900 system counts a 29 February that never was
  else if (dias < 60) dias -= 25568;
  else dias -= 25569;
  int a = 0, m = 0, d = 0;
  CivilDeDias(dias, a, m, d);
  return Data(a, m, d);
}

TLinhasPlanilha LerPastaXlsx(const std::string& arquivo, std::string* aviso) {
  Pacote pacote(arquivo);
  auto livro = pacote.Xml("xl/workbook.xml");
  const No* pr = livro->Filho("workbookPr");
  const std::string d1904 = pr ? pr->AtributoOu("date1904") : "";
  const bool sistema1904 = d1904 == "1" || d1904 == "true";
  const std::string folha = PrimeiraPlanilha(pacote, *livro, arquivo, aviso);

  std::vector<std::string> compartilhados;
  if (pacote.Existe("xl/sharedStrings.xml"))
    pacote.Xml("xl/sharedStrings.xml", [&compartilhados](const No& no, const No& pai) {
      if (no.nome != "si" || pai.nome != "sst") return false;
      compartilhados.push_back(TextoItem(no));
      return true;
    });
  const std::vector<bool> datas = EstilosDeData(pacote);

  // Each row becomes its cells as it closes.
  TLinhasPlanilha linhas;
  auto planilha = pacote.Xml(folha, [&](const No& row, const No& pai) {
    if (row.nome != "row" || pai.nome != "sheetData") return false;
    const long r = std::atol(row.AtributoOu("r", "0").c_str());
    size_t indice = r > 0 ? static_cast<size_t>(r - 1) : linhas.size();
    if (indice > 1048575) Invalida(arquivo, "linha fora dos limites da planilha");
    if (indice < linhas.size()) Invalida(arquivo, "linhas fora de ordem na planilha");
    linhas.resize(indice + 1);
    std::vector<std::string>& celulas = linhas[indice];
    for (const auto& c : row.filhos) {
      if (c->nome != "c") continue;
      const std::string* ref = c->Atributo("r");
      const int col = ref ? Coluna(*ref) : static_cast<int>(celulas.size());
      if (col < 0) Invalida(arquivo, "referência de célula inválida");
      if (static_cast<size_t>(col) >= celulas.size()) celulas.resize(static_cast<size_t>(col) + 1);
      celulas[static_cast<size_t>(col)] = CelulaXlsx(*c, compartilhados, datas, sistema1904);
    }
    return true;
  });
  EspalhaCelulasMescladas(*planilha, linhas);
  DescartaLinhasVaziasDoFim(linhas);
  return linhas;
}

namespace {

// Whether sheet f of a binary workbook holds a cell with a value (one that cannot be read: taken as so).
bool PlanilhaXlsTemDados(const void* h, unsigned short f) {
  unsigned int nLinhas = 0;
  unsigned short nColunas = 0;
  if (freexl_select_active_worksheet(h, f) != FREEXL_OK || freexl_worksheet_dimensions(h, &nLinhas, &nColunas) != FREEXL_OK)
    return true;
  for (unsigned int r = 0; r < nLinhas; ++r)
    for (unsigned short c = 0; c < nColunas; ++c) {
      FreeXL_CellValue v;
      if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK || v.type != FREEXL_CELL_NULL) return true;
    }
  return false;
}

}  // namespace

TLinhasPlanilha LerPastaXls(const std::string& arquivo, std::string* aviso) {
  const void* h = nullptr;
  if (freexl_open(arquivo.c_str(), &h) != FREEXL_OK) {
    if (h) freexl_close(h);
    Invalida(arquivo, "não foi possível ler a pasta .xls; pastas protegidas por senha não são lidas");
  }
  std::unique_ptr<const void, int (*)(const void*)> guarda(h, &freexl_close);
  unsigned int folhas = 0;
  if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &folhas) != FREEXL_OK || folhas == 0)
    Invalida(arquivo, "a pasta não tem planilhas");
  bool outrasComDados = false;
  for (unsigned short f = 1; aviso && f < folhas && !outrasComDados; ++f) outrasComDados = PlanilhaXlsTemDados(h, f);
  unsigned int nLinhas = 0;
  unsigned short nColunas = 0;
  if (freexl_select_active_worksheet(h, 0) != FREEXL_OK || freexl_worksheet_dimensions(h, &nLinhas, &nColunas) != FREEXL_OK)
    Invalida(arquivo, "a primeira planilha não pode ser lida");
  const char* nome = nullptr;
  if (aviso && outrasComDados && freexl_get_worksheet_name(h, 0, &nome) == FREEXL_OK)
    *aviso = AvisoPrimeiraPlanilha(folhas, nome ? nome : "");
  TLinhasPlanilha linhas(nLinhas);
  for (unsigned int r = 0; r < nLinhas; ++r) {
    auto& celulas = linhas[r];
    celulas.resize(nColunas);
    for (unsigned short c = 0; c < nColunas; ++c) {
      FreeXL_CellValue v;
      if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK) Invalida(arquivo, "célula ilegível");
      switch (v.type) {
        case FREEXL_CELL_INT: celulas[c] = std::to_string(v.value.int_value); break;
        case FREEXL_CELL_DOUBLE: {
          // The shortest text that reads back as the same double: what the sheet stored, no noise.
          char buf[64];
          auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v.value.double_value);
          celulas[c] = ec == std::errc() ? NumeroArmazenadoParaTexto(std::string(buf, p)) : "";
          break;
        }
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT: celulas[c] = v.value.text_value ? v.value.text_value : ""; break;
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME: celulas[c] = v.value.text_value ? DataIso(v.value.text_value) : ""; break;
        case FREEXL_CELL_TIME: celulas[c] = v.value.text_value ? v.value.text_value : ""; break;
        default: break;
      }
    }
  }
  DescartaLinhasVaziasDoFim(linhas);
  return linhas;
}

TTipoPastaTrabalho TipoPastaTrabalho(std::string_view inicio) {
  if (inicio.substr(0, 4) == std::string_view("PK\x03\x04", 4)) return TTipoPastaTrabalho::Xlsx;
  if (inicio.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return TTipoPastaTrabalho::Xls;
  return TTipoPastaTrabalho::Nenhuma;
}

TTipoPastaTrabalho TipoPastaTrabalhoArquivo(const std::string& arquivo) {
  std::ifstream in(arquivo, std::ios::binary);
  char buf[8] = {};
  in.read(buf, sizeof buf);
  return TipoPastaTrabalho(std::string_view(buf, static_cast<size_t>(in.gcount())));
}

TLinhasPlanilha LerPastaTrabalho(const std::string& arquivo, std::string* aviso) {
  switch (TipoPastaTrabalhoArquivo(arquivo)) {
    case TTipoPastaTrabalho::Xlsx: return LerPastaXlsx(arquivo, aviso);
    case TTipoPastaTrabalho::Xls: return LerPastaXls(arquivo, aviso);
    default: Invalida(arquivo, "não é .xlsx nem .xls");
  }
}

}  // namespace vyn
