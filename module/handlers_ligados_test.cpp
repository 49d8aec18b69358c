// Every event handler of the module's screens is reached from an event: a control's event (a
// member such as OnClick, OnExit or AfterSearch given a lambda or a method, or a sender-taking
// lambda handed to whatever builds the control) or the form's own lifecycle and key hooks. A
// handler nothing binds is behaviour no user can reach, however well a test calls it directly.
// The sources are read as text at test time (INTEGRACAO_SOURCE_DIR); test files bind nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace integracao {
namespace {

namespace fs = std::filesystem;

struct TFonte {
  fs::path Caminho;   // relative to the source tree
  std::string Texto;
};

// A screen method the scan takes for an event handler.
struct THandler {
  std::string Classe, Nome;
  fs::path Cabecalho;
  bool Virtual = false;   // virtual or override: its binding may sit in a base class's unit
  std::string Id() const { return Classe + "::" + Nome; }
};

const std::vector<std::string> kPastasDasTelas = {"bankstatement", "entryimport", "integrations", "partners",
                                                  "postingutil",   "settlement",  "statutory"};
const std::vector<std::string> kPastasQueLigam = {"framework", "host", "module"};

bool EhFonte(const fs::path& p) {
  const std::string n = p.filename().string();
  const bool teste = n.size() > 9 && n.compare(n.size() - 9, 9, "_test.cpp") == 0;
  return !teste && (p.extension() == ".h" || p.extension() == ".cpp");
}

std::vector<TFonte> LeFontes(const fs::path& raiz, const std::vector<std::string>& pastas) {
  std::vector<TFonte> out;
  for (const auto& pasta : pastas) {
    for (const auto& e : fs::recursive_directory_iterator(raiz / pasta)) {
      if (!e.is_regular_file() || !EhFonte(e.path())) continue;
      std::ifstream in(e.path(), std::ios::binary);
      std::ostringstream s;
      s << in.rdbuf();
      out.push_back({fs::relative(e.path(), raiz), s.str()});
    }
  }
  return out;
}

// The position of the brace closing the one at `abre` (the text's end when unbalanced).
size_t FechaChave(const std::string& t, size_t abre) {
  int nivel = 0;
  for (size_t i = abre; i < t.size(); ++i) {
    if (t[i] == '{') ++nivel;
    if (t[i] == '}' && --nivel == 0) return i;
  }
  return t.size();
}

// The names called in the block that opens at or after `de`.
std::set<std::string> ChamadasDoBloco(const std::string& t, size_t de) {
  const size_t abre = t.find('{', de);
  if (abre == std::string::npos) return {};
  static const std::regex chamada(R"(\b(\w+)\s*\()");
  const std::string corpo = t.substr(abre, FechaChave(t, abre) - abre);
  std::set<std::string> out;
  for (std::sregex_iterator it(corpo.begin(), corpo.end(), chamada), fim; it != fim; ++it) out.insert((*it)[1]);
  return out;
}

// Handler name -> the files that bind it to an event.
using TLigacoes = std::map<std::string, std::set<fs::path>>;

void ColetaLigacoes(const TFonte& f, TLigacoes& lig) {
  static const std::regex membro(R"((?:->|\.)\s*\w+\s*=\s*(?:(\[)|(?:std::bind\s*\(\s*)?&\s*(?:\w+::)+(\w+)))");
  static const std::regex lambdaDeSender(R"(\[[^\]]*\]\s*\(\s*(?:vyn::)?TComponent\s*\*)");
  // The form's own events: a Form... handler called from one of them is reached by that event.
  static const std::regex ganchoDoForm(
      R"(\b(?:Form(?:Create|Show|Activate|Deactivate|Close|Hide|Destroy)|Key(?:Press|Down|Up)))"
      R"(\s*\([^)]*\)\s*(?:override\s*)?\{)");
  const std::string& t = f.Texto;
  for (std::sregex_iterator it(t.begin(), t.end(), membro), fim; it != fim; ++it) {
    if ((*it)[2].matched) lig[(*it)[2]].insert(f.Caminho);
    if ((*it)[1].matched)
      for (const auto& n : ChamadasDoBloco(t, static_cast<size_t>(it->position()))) lig[n].insert(f.Caminho);
  }
  for (std::sregex_iterator it(t.begin(), t.end(), lambdaDeSender), fim; it != fim; ++it)
    for (const auto& n : ChamadasDoBloco(t, static_cast<size_t>(it->position()))) lig[n].insert(f.Caminho);
  for (std::sregex_iterator it(t.begin(), t.end(), ganchoDoForm), fim; it != fim; ++it)
    for (const auto& n : ChamadasDoBloco(t, static_cast<size_t>(it->position())))
      if (n.rfind("Form", 0) == 0) lig[n].insert(f.Caminho);
}

struct TClasse {
  fs::path Cabecalho;
  std::vector<std::string> Bases;
};
// Every class with a base, from every header read.
using TClasses = std::map<std::string, TClasse>;

void ColetaClasses(const TFonte& f, TClasses& classes) {
  static const std::regex classe(R"(\bclass\s+(\w+)\s*(?:final\s*)?:([^{;]+)\{)");
  static const std::regex base(R"((\w+)\s*(?:,|$))");
  for (std::sregex_iterator it(f.Texto.begin(), f.Texto.end(), classe), fim; it != fim; ++it) {
    TClasse& c = classes[(*it)[1]];
    if (c.Cabecalho.empty()) c.Cabecalho = f.Caminho;
    const std::string lista = (*it)[2];
    for (std::sregex_iterator b(lista.begin(), lista.end(), base), bf; b != bf; ++b) c.Bases.push_back((*b)[1]);
  }
}

// The headers of a class and of all its bases, the class's own first.
void Linhagem(const TClasses& classes, const std::string& classe, std::vector<fs::path>& out, int profundidade = 0) {
  auto it = classes.find(classe);
  if (it == classes.end() || profundidade > 32) return;
  out.push_back(it->second.Cabecalho);
  for (const auto& b : it->second.Bases) Linhagem(classes, b, out, profundidade + 1);
}

bool EhTela(const TClasses& classes, const std::string& classe, int profundidade = 0) {
  if (classe == "TForm_VYN") return true;
  auto it = classes.find(classe);
  if (it == classes.end() || profundidade > 32) return false;
  for (const auto& b : it->second.Bases)
    if (EhTela(classes, b, profundidade + 1)) return true;
  return false;
}

bool PareceHandler(const std::string& nome, const std::string& parametros) {
  static const std::regex sender(R"(^\s*(?:vyn::)?TComponent\s*\*\s*[Ss]ender\b)");
  // A control's name (its lower-case kind prefix) or Form, then the event.
  static const std::regex nomeDeEvento(
      "^(?:Form|[a-z]{1,4}[A-Z0-9_]\\w*?)"
      "(?:Click|DblClick|Change|Changing|Enter|Exit|KeyDown|KeyPress|KeyUp|MouseDown|MouseUp|MouseEnter|MouseLeave|"
      "MouseMove|Popup|CellClick|BeforeSearch|AfterSearch|ClickCheck|Show|Close|Timer|Expanded|Collapsed|Select|"
      "Resize|DrawCell|DataChange|Validar)$");
  return std::regex_search(parametros, sender) || std::regex_match(nome, nomeDeEvento);
}

// The handlers the screen classes of a header declare.
void ColetaHandlers(const TFonte& f, const TClasses& classes, std::vector<THandler>& out) {
  static const std::regex classe(R"(\bclass\s+(\w+)\s*(?:final\s*)?:[^{;]+\{)");
  static const std::regex metodo(R"((?:^|[\n;{}])\s*(virtual\s+)?void\s+(\w+)\s*\(([^)]*)\)([^;{]*))");
  const std::string& t = f.Texto;
  for (std::sregex_iterator c(t.begin(), t.end(), classe), fim; c != fim; ++c) {
    if (!EhTela(classes, (*c)[1])) continue;
    const size_t abre = static_cast<size_t>(c->position() + c->length() - 1);
    const std::string corpo = t.substr(abre + 1, FechaChave(t, abre) - abre - 1);
    for (std::sregex_iterator m(corpo.begin(), corpo.end(), metodo), mf; m != mf; ++m) {
      if (!PareceHandler((*m)[2], (*m)[3])) continue;
      const std::string cauda = (*m)[4];
      const bool virt = (*m)[1].matched || cauda.find("override") != std::string::npos;
      out.push_back({(*c)[1], (*m)[2], f.Caminho, virt});
    }
  }
}

// A unit is its header and the files beside it named after it (uTela.cpp, uTela_Acoes.cpp).
bool DaUnidade(const fs::path& cabecalho, const fs::path& arquivo) {
  return arquivo.parent_path() == cabecalho.parent_path() &&
         arquivo.filename().string().rfind(cabecalho.stem().string(), 0) == 0;
}

bool Ligado(const THandler& h, const TLigacoes& lig, const TClasses& classes) {
  // The form's own lifecycle hooks run by virtue of being overrides.
  static const std::set<std::string> ganchos = {"FormCreate", "FormShow",  "FormActivate", "FormDeactivate",
                                                "FormClose",  "FormHide",  "FormDestroy"};
  if (h.Virtual && ganchos.count(h.Nome)) return true;
  auto it = lig.find(h.Nome);
  if (it == lig.end()) return false;
  // A virtual handler runs from its own unit's binding or from the one a base class makes.
  std::vector<fs::path> unidades = {h.Cabecalho};
  if (h.Virtual) Linhagem(classes, h.Classe, unidades);
  for (const auto& arq : it->second)
    for (const auto& u : unidades)
      if (DaUnidade(u, arq)) return true;
  return false;
}

// "Classe::Metodo  reason" lines; '#' starts a comment.
std::set<std::string> LeExcecoes(const fs::path& arquivo) {
  std::ifstream in(arquivo);
  std::set<std::string> out;
  for (std::string linha; std::getline(in, linha);) {
    std::istringstream s(linha);
    std::string id;
    if (s >> id && id[0] != '#') out.insert(id);
  }
  return out;
}

struct TVarredura {
  std::vector<THandler> Handlers;
  std::vector<THandler> Soltos;   // bound to no event
};

TVarredura Varre(const std::vector<TFonte>& telas, const std::vector<TFonte>& todas) {
  TClasses classes;
  TLigacoes lig;
  for (const auto& f : todas) {
    if (f.Caminho.extension() == ".h") ColetaClasses(f, classes);
    ColetaLigacoes(f, lig);
  }
  TVarredura v;
  for (const auto& f : telas)
    if (f.Caminho.extension() == ".h") ColetaHandlers(f, classes, v.Handlers);
  for (const auto& h : v.Handlers)
    if (!Ligado(h, lig, classes)) v.Soltos.push_back(h);
  return v;
}

TVarredura VarreArvore() {
  const fs::path raiz = INTEGRACAO_SOURCE_DIR;
  const auto telas = LeFontes(raiz, kPastasDasTelas);
  auto todas = LeFontes(raiz, kPastasQueLigam);
  todas.insert(todas.end(), telas.begin(), telas.end());
  return Varre(telas, todas);
}

TEST(HandlersLigados, EveryScreenHandlerIsBoundToAnEventOrExplainedInTheAllowList) {
  const TVarredura v = VarreArvore();
  const auto excecoes = LeExcecoes(fs::path(INTEGRACAO_SOURCE_DIR) / "module" / "handlers_ligados_excecoes.txt");
  std::set<std::string> soltos;
  for (const auto& h : v.Soltos) {
    soltos.insert(h.Id());
    if (!excecoes.count(h.Id())) ADD_FAILURE() << h.Cabecalho.string() << ": " << h.Id() << " is bound to no event";
  }
  // An exception for a handler that is now bound (or gone) hides the next one that is not.
  for (const auto& id : excecoes)
    EXPECT_TRUE(soltos.count(id)) << id << " is in the allow-list but needs no exception";
}

TEST(HandlersLigados, TheScanSeesTheScreensHandlersAndNothingOutsideTheScreens) {
  const TVarredura v = VarreArvore();
  std::set<std::string> ids;
  for (const auto& h : v.Handlers) ids.insert(h.Id());
  EXPECT_GT(ids.size(), 150u);
  EXPECT_TRUE(ids.count("TfrExportacaoECF::clbListaArquivosKeyDown"));        // named after its control and event
  EXPECT_TRUE(ids.count("TfrConsultaImportacaoExtratoBancario::spY570Click"));  // takes the sender
  EXPECT_FALSE(ids.count("TY570ConsultaExtratoBancario::spY570Click"));       // a screen's helper, no screen
  EXPECT_FALSE(ids.count("IRevisaoExtratoComprovantes::spRateioCreditoClick"));
}

TEST(HandlersLigados, AHandlerCalledOnlyFromAnotherMethodOrFromATestIsUnbound) {
  const std::vector<TFonte> telas = {
      {"x/uTela.h",
       "class TfrTela : public vyn::TForm_VYN {\n"
       "  void spOkClick(vyn::TComponent* sender);\n  void spSoltoClick(vyn::TComponent* sender);\n"
       "  void edNomeExit();\n  void FormShow() override;\n  void FormKeyPress(char& k);\n"
       "  void KeyPress(char& k) override { FormKeyPress(k); }\n};\n"},
      {"x/uTela.cpp",
       "TfrTela::TfrTela() { spOk->OnClick = [this](TComponent* s) { spOkClick(s); };\n"
       "  edNome->OnExit = std::bind(&TfrTela::edNomeExit, this); }\n"
       "void TfrTela::Outro() { spSoltoClick(nullptr); }\n"},
      {"y/uOutra.cpp", "void F() { b->OnClick = [this](TComponent* s) { spSoltoClick(s); }; }\n"}};
  const TVarredura v = Varre(telas, telas);
  ASSERT_EQ(v.Handlers.size(), 5u);
  ASSERT_EQ(v.Soltos.size(), 1u);
  EXPECT_EQ(v.Soltos[0].Id(), "TfrTela::spSoltoClick");   // another unit's binding is not its own
}

TEST(HandlersLigados, AnOverrideIsBoundByABaseClassesUnitNotByAnUnrelatedOne) {
  const std::vector<TFonte> fontes = {
      {"x/uBase.h", "class TfrBase : public vyn::TForm_VYN {\n  virtual void spOkClick(vyn::TComponent* sender);\n};\n"},
      {"x/uBase.cpp", "TfrBase::TfrBase() { spOk->OnClick = [this](TComponent* s) { spOkClick(s); }; }\n"},
      {"x/uFilha.h",
       "class TfrFilha : public TfrBase {\n  void spOkClick(vyn::TComponent* sender) override;\n"
       "  void spAlheioClick(vyn::TComponent* sender) override;\n};\n"},
      {"y/uAlheia.cpp", "void F() { b->OnClick = [this](TComponent* s) { spAlheioClick(s); }; }\n"}};
  const TVarredura v = Varre(fontes, fontes);
  ASSERT_EQ(v.Handlers.size(), 3u);
  ASSERT_EQ(v.Soltos.size(), 1u);
  EXPECT_EQ(v.Soltos[0].Id(), "TfrFilha::spAlheioClick");
}

}  // namespace
}  // namespace integracao
