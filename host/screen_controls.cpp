#include "host/screen_controls.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/date_time_picker.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/form.h"
#include "framework/ui/grid.h"
#include "framework/ui/list_view.h"
#include "framework/ui/tree_view.h"

namespace integracao_host {

namespace {

using nlohmann::json;
using vyn::TControl;

[[noreturn]] void Recusa(const TControl& c, const std::string& porque) {
  throw std::invalid_argument("o controle " + c.Name() + " " + porque);
}

bool Booleano(const json& v) {
  if (v.is_boolean()) return v.get<bool>();
  const std::string t = vyn::LowerCase(Texto(v));
  if (t == "true" || t == "1" || t == "sim") return true;
  if (t == "false" || t == "0" || t == "não" || t == "nao") return false;
  throw std::invalid_argument("valor lógico inválido: " + v.dump());
}

// A row given by its index or by its text among the texts the control shows.
int IndiceDe(const TControl& c, const json& v, const std::vector<std::string>& textos) {
  if (v.is_number_integer()) {
    const int i = v.get<int>();
    if (i < 0 || i >= static_cast<int>(textos.size())) Recusa(c, "não tem a linha " + std::to_string(i));
    return i;
  }
  const std::string t = Texto(v);
  for (size_t i = 0; i < textos.size(); ++i)
    if (vyn::SameText(textos[i], t)) return static_cast<int>(i);
  Recusa(c, "não tem o item " + t);
}

const json& Item(const TControl& c, const json& passo) {
  if (!passo.contains("item")) Recusa(c, "espera \"item\"");
  return passo.at("item");
}

std::vector<std::string> Textos(const vyn::TCheckListBox& l) {
  std::vector<std::string> r;
  for (const auto& i : l.Items) r.push_back(i.Text);
  return r;
}

std::vector<std::string> Textos(const vyn::TListView& l) {
  std::vector<std::string> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(l.Item(i).Caption);
  return r;
}

// A tree node by its path of texts ("Pai/Filho") or its index among all nodes, depth first.
vyn::TTreeNode* No(const vyn::TTreeView& t, const json& v) {
  const std::vector<vyn::TTreeNode*> todos = t.AllNodes();
  if (v.is_number_integer()) {
    const int i = v.get<int>();
    if (i < 0 || i >= static_cast<int>(todos.size())) Recusa(t, "não tem o nó " + std::to_string(i));
    return todos[static_cast<size_t>(i)];
  }
  const std::string caminho = Texto(v);
  for (vyn::TTreeNode* n : todos) {
    std::string p = n->Text;
    for (vyn::TTreeNode* pai = n->Parent(); pai; pai = pai->Parent()) p = pai->Text + "/" + p;
    if (vyn::SameText(p, caminho) || vyn::SameText(n->Text, caminho)) return n;
  }
  Recusa(t, "não tem o nó " + caminho);
}

// The grid's row (1-based), moved to when the step names one.
vyn::TClientDataSet& LinhaDaGrade(vyn::TDBGrid_Padrao_VYN& g, const json& passo) {
  vyn::TClientDataSet* ds = g.DataSet();
  if (!ds) Recusa(g, "não tem dados");
  if (passo.contains("row")) {
    const int linha = passo.at("row").get<int>();
    // Going down to the row fetches the rows up to it, no more, as a user's scroll does.
    if (linha >= 1 && ds->FetchedRecordCount() < linha && !ds->IsEmpty()) ds->SetRecNo(linha);
    if (linha < 1 || linha > ds->FetchedRecordCount())
      Recusa(g, "não tem a linha " + std::to_string(linha) + " (" + std::to_string(ds->RecordCount()) + " linhas)");
    ds->SetRecNo(linha);
  }
  return *ds;
}

void DefineCelula(vyn::TDBGrid_Padrao_VYN& g, const json& passo) {
  LinhaDaGrade(g, passo);
  const std::string campo = passo.at("field").get<std::string>();
  if (!g.EditaCelula) Recusa(g, "não edita células");
  g.SelectedField = campo;
  if (!g.EditaCelula(campo, Texto(passo.at("value"))))
    throw std::invalid_argument("a edição de " + campo + " em " + g.Name() + " foi recusada");
}

void DefineData(vyn::TDateTimePicker& p, const json& v) {
  const std::string t = vyn::Trim(Texto(v));
  if (p.Kind == vyn::dtkTime) {
    const vyn::TDateTime invalida(-1);
    const vyn::TDateTime h = vyn::StrToTimeDef(t, invalida);
    if (h == invalida) Recusa(p, "não aceita a hora " + t);
    p.SetTime(h);
    return;
  }
  const auto espaco = t.find(' ');
  vyn::TDateTime d;
  if (!vyn::TryStrToDate(t.substr(0, espaco), d)) Recusa(p, "não aceita a data " + t);
  p.SetDate(d);
  if (espaco != std::string::npos) {
    const vyn::TDateTime invalida(-1);
    const vyn::TDateTime h = vyn::StrToTimeDef(vyn::Trim(t.substr(espaco + 1)), invalida);
    if (h == invalida) Recusa(p, "não aceita a hora de " + t);
    p.SetTime(h);
  }
}

void DefineCombo(vyn::TComboBox_Padrao_VYN& cb, const json& v) {
  if (v.is_number_integer()) {
    cb.Select(v.get<int>());
    return;
  }
  cb.Select(IndiceDe(cb, v, cb.Items));
}

// Controls whose value is a row among others: the step's "item" names it.
bool DefineItem(TControl& c, const json& passo) {
  if (auto* cl = dynamic_cast<vyn::TCheckListBox*>(&c)) {
    cl->SetChecked(IndiceDe(c, Item(c, passo), Textos(*cl)), Booleano(passo.at("value")));
  } else if (auto* lv = dynamic_cast<vyn::TListView*>(&c)) {
    lv->SetChecked(IndiceDe(c, Item(c, passo), Textos(*lv)), Booleano(passo.at("value")));
  } else if (auto* tv = dynamic_cast<vyn::TTreeView*>(&c)) {
    tv->SetChecked(No(*tv, Item(c, passo)), Booleano(passo.at("value")));
  } else if (auto* g = dynamic_cast<vyn::TDBGrid_Padrao_VYN*>(&c)) {
    DefineCelula(*g, passo);
  } else {
    return false;
  }
  return true;
}

int PaginaDe(const vyn::TPageControl& pc, const json& v) {
  std::vector<std::string> titulos;
  for (int i = 0; i < pc.PageCount(); ++i) titulos.push_back(pc.Page(i)->Caption());
  if (!v.is_number_integer())
    for (int i = 0; i < pc.PageCount(); ++i)
      if (vyn::SameText(pc.Page(i)->Name(), Texto(v))) return i;
  return IndiceDe(pc, v, titulos);
}

bool Focavel(const TControl& c) {
  return !dynamic_cast<const vyn::TSpeedButton*>(&c) && !dynamic_cast<const vyn::TMenuItem*>(&c) &&
         !dynamic_cast<const vyn::TLabel*>(&c) && c.TabStop() && c.Form() != nullptr;
}

const std::map<std::string, int>& Teclas() {
  static const std::map<std::string, int> teclas = {
      {"ENTER", 13},  {"RETURN", 13}, {"ESC", 27},   {"ESCAPE", 27}, {"TAB", 9},     {"SPACE", 32},
      {"PGUP", 33},   {"PAGEUP", 33}, {"PGDN", 34},  {"PAGEDOWN", 34}, {"END", 35},  {"HOME", 36},
      {"LEFT", 37},   {"UP", 38},     {"RIGHT", 39}, {"DOWN", 40},   {"INSERT", 45}, {"INS", 45},
      {"DELETE", 46}, {"DEL", 46},    {"BACKSPACE", 8}};
  return teclas;
}

// The key's code and modifiers, and the character a key press gives (0 when none).
int CodigoDaTecla(const std::string& tecla, unsigned& shift, char& caractere) {
  std::string resto = vyn::UpperCase(vyn::Trim(tecla));
  shift = 0;
  for (const auto& [prefixo, bit] : {std::pair<std::string, unsigned>{"CTRL+", vyn::ssCtrl},
                                     {"SHIFT+", vyn::ssShift}, {"ALT+", vyn::ssAlt}})
    if (resto.rfind(prefixo, 0) == 0 && resto.size() > prefixo.size()) {
      shift |= bit;
      resto = resto.substr(prefixo.size());
    }
  caractere = 0;
  if (auto it = Teclas().find(resto); it != Teclas().end()) {
    if (it->second == 13 || it->second == 27 || it->second == 8 || it->second == 32)
      caractere = static_cast<char>(it->second);
    return it->second;
  }
  if (resto.size() >= 2 && resto.size() <= 3 && resto[0] == 'F' &&
      std::all_of(resto.begin() + 1, resto.end(), [](unsigned char c) { return std::isdigit(c); })) {
    const int n = std::stoi(resto.substr(1));
    if (n >= 1 && n <= 12) return 111 + n;
  }
  if (resto.size() == 1 && std::isalnum(static_cast<unsigned char>(resto[0]))) {
    caractere = shift & vyn::ssShift ? resto[0] : static_cast<char>(std::tolower(static_cast<unsigned char>(resto[0])));
    return resto[0];
  }
  throw std::invalid_argument("tecla desconhecida: " + tecla);
}

unsigned Modificadores(const json& passo) {
  unsigned s = 0;
  if (passo.value("shift", false)) s |= vyn::ssShift;
  if (passo.value("ctrl", false)) s |= vyn::ssCtrl;
  return s;
}

// The cell a click lands on: the step's field, else the column the user is on, else the first shown.
std::string CampoDoClique(const vyn::TDBGrid_Padrao_VYN& g, const json& passo) {
  if (passo.contains("field")) return passo.at("field").get<std::string>();
  if (!g.SelectedField.empty()) return g.SelectedField;
  for (const auto& c : g.Columns)
    if (c.Visible) return c.FieldName;
  return {};
}

// The control of the screen that drops menu (a right-button click or a button's drop-down), if any.
TControl* QuemAbre(vyn::TComponent& raiz, const vyn::TMenuItem& menu) {
  for (vyn::TComponent* c : raiz.Components()) {
    if (auto* ctl = dynamic_cast<TControl*>(c); ctl && ctl->PopupMenu == &menu) return ctl;
    if (auto* b = dynamic_cast<vyn::TSpeedButton*>(c); b && b->DropdownMenu == &menu) return b;
    if (dynamic_cast<vyn::TForm_VYN*>(c)) continue;
    if (TControl* achado = QuemAbre(*c, menu)) return achado;
  }
  return nullptr;
}

}  // namespace

std::string Texto(const json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_boolean()) return v.get<bool>() ? "True" : "False";
  if (v.is_number()) return v.dump();
  throw std::invalid_argument("valor inválido: " + v.dump());
}

void Foca(TControl& c) {
  if (!c.Enabled() || !c.Visible()) Recusa(c, "está inacessível");
  c.SetFocus();
  vyn::TForm_VYN* f = c.Form();
  // A page control entered may hand the focus on to a field of its tab, as the user sees it do.
  if (f && f->ActiveControl() != &c && !dynamic_cast<vyn::TPageControl*>(&c)) {
    TControl* foco = f->ActiveControl();
    Recusa(c, "não recebeu o foco: ficou em " + (foco ? foco->Name() : std::string("nenhum controle")));
  }
}

void FocaAte(TControl& c, const std::string& destino) {
  if (!c.Enabled() || !c.Visible()) Recusa(c, "está inacessível");
  c.SetFocus();
  vyn::TForm_VYN* f = c.Form();
  TControl* foco = f ? f->ActiveControl() : nullptr;
  if (!foco || !vyn::SameText(foco->Name(), destino))
    Recusa(c, "levou o foco a " + (foco ? foco->Name() : std::string("nenhum controle")) + ", esperado " + destino);
}

void DefineValor(TControl& c, const json& passo) {
  if (!passo.contains("value")) Recusa(c, "espera \"value\"");
  const json& valor = passo.at("value");
  Foca(c);
  if (DefineItem(c, passo)) return;
  if (auto* ck = dynamic_cast<vyn::TCheckBox*>(&c)) {
    if (ck->Checked() != Booleano(valor)) ck->Click();
  } else if (auto* rg = dynamic_cast<vyn::TRadioGroup*>(&c)) {
    rg->Select(IndiceDe(c, valor, rg->Items));
  } else if (auto* cb = dynamic_cast<vyn::TComboBox_Padrao_VYN*>(&c)) {
    DefineCombo(*cb, valor);
  } else if (auto* dt = dynamic_cast<vyn::TDateTimePicker*>(&c)) {
    DefineData(*dt, valor);
  } else if (auto* pc = dynamic_cast<vyn::TPageControl*>(&c)) {
    pc->Select(PaginaDe(*pc, valor));
  } else if (auto* ed = dynamic_cast<vyn::TCustomEdit*>(&c)) {
    if (ed->ReadOnly()) Recusa(c, "é somente leitura");
    ed->SetText(Texto(valor));
  } else {
    Recusa(c, "não recebe valores");
  }
}

void Seleciona(TControl& c, const json& passo) {
  // A click on a row focuses its control first, as any click does.
  Foca(c);
  if (auto* g = dynamic_cast<vyn::TDBGrid_Padrao_VYN*>(&c)) {
    if (!passo.contains("row")) Recusa(c, "espera \"row\"");
    LinhaDaGrade(*g, passo);
    g->MouseClick(CampoDoClique(*g, passo), false, Modificadores(passo));
  } else if (auto* lv = dynamic_cast<vyn::TListView*>(&c)) {
    lv->Select(IndiceDe(c, Item(c, passo), Textos(*lv)), Modificadores(passo));
  } else if (auto* tv = dynamic_cast<vyn::TTreeView*>(&c)) {
    tv->SetSelected(No(*tv, Item(c, passo)));
  } else if (auto* cl = dynamic_cast<vyn::TCheckListBox*>(&c)) {
    cl->Select(IndiceDe(c, Item(c, passo), Textos(*cl)));
  } else if (dynamic_cast<vyn::TComboBox_Padrao_VYN*>(&c) || dynamic_cast<vyn::TRadioGroup*>(&c) ||
             dynamic_cast<vyn::TPageControl*>(&c)) {
    json comoValor = passo;
    comoValor["value"] = passo.contains("item") ? passo.at("item") : passo.value("value", json());
    DefineValor(c, comoValor);
  } else {
    Recusa(c, "não tem linhas para escolher");
  }
}

std::string LeValor(TControl& c, const json& passo) {
  if (auto* g = dynamic_cast<vyn::TDBGrid_Padrao_VYN*>(&c); g && passo.value("columns", false)) {
    // The column titles a user sees, left to right; hidden columns are not seen.
    std::string titulos;
    for (const vyn::TGridColumn& col : g->Columns)
      if (col.Visible) titulos += (titulos.empty() ? "" : " | ") + col.Title;
    return titulos;
  }
  if (auto* g = dynamic_cast<vyn::TDBGrid_Padrao_VYN*>(&c)) {
    vyn::TClientDataSet& ds = LinhaDaGrade(*g, passo);
    if (!passo.contains("field")) return std::to_string(ds.RecordCount());
    return g->CellText(passo.at("field").get<std::string>());
  }
  if (auto* cl = dynamic_cast<vyn::TCheckListBox*>(&c)) {
    if (passo.contains("item")) return cl->Checked(IndiceDe(c, passo.at("item"), Textos(*cl))) ? "True" : "False";
    std::string marcados;
    for (const auto& i : cl->Items)
      if (i.Checked) marcados += (marcados.empty() ? "" : "; ") + i.Text;
    return marcados;
  }
  if (auto* lv = dynamic_cast<vyn::TListView*>(&c)) {
    if (passo.contains("item")) return lv->Item(IndiceDe(c, passo.at("item"), Textos(*lv))).Checked ? "True" : "False";
    return lv->ItemIndex < 0 ? std::string() : lv->Item(lv->ItemIndex).Caption;
  }
  if (auto* tv = dynamic_cast<vyn::TTreeView*>(&c)) {
    if (passo.contains("item")) return No(*tv, passo.at("item"))->Checked ? "True" : "False";
    return tv->Selected() ? tv->Selected()->Text : std::string();
  }
  if (auto* pc = dynamic_cast<vyn::TPageControl*>(&c)) return pc->ActivePage() ? pc->ActivePage()->Caption() : "";
  if (auto* dt = dynamic_cast<vyn::TDateTimePicker*>(&c)) return dt->Text();
  if (auto* ck = dynamic_cast<vyn::TCheckBox*>(&c)) return ck->Checked() ? "True" : "False";
  if (auto* rg = dynamic_cast<vyn::TRadioGroup*>(&c)) return std::to_string(rg->ItemIndex());
  if (auto* cb = dynamic_cast<vyn::TComboBox_Padrao_VYN*>(&c)) return cb->Text();
  if (auto* ed = dynamic_cast<vyn::TCustomEdit*>(&c)) return ed->Text();
  return c.Caption();
}

vyn::TMenuItem* Clica(TControl& c) {
  if (!c.Enabled() || !c.Visible()) Recusa(c, "está inacessível");
  if (Focavel(c)) Foca(c);
  if (auto* b = dynamic_cast<vyn::TButtonControl*>(&c))
    b->Click();
  else if (auto* ck = dynamic_cast<vyn::TCheckBox*>(&c))
    ck->Click();
  else if (auto* codigo = dynamic_cast<vyn::TEdit_Codigo_Search_VYN*>(&c))
    codigo->Pesquisar();   // the edit's search button: its search list, when its kind has one
  else
    Recusa(c, "não é clicável");
  auto* sb = dynamic_cast<vyn::TSpeedButton*>(&c);
  // The click may have disabled the button or its menu: then nothing drops down.
  if (!sb || sb->DropdownArrowOnly || !sb->DropDown()) return nullptr;
  return sb->DropdownMenu;
}

vyn::TMenuItem* AbreMenu(TControl& c) {
  if (!c.Enabled() || !c.Visible()) Recusa(c, "está inacessível");
  auto* sb = dynamic_cast<vyn::TSpeedButton*>(&c);
  if (!sb || !sb->DropdownMenu) Recusa(c, "não tem menu suspenso");
  if (!sb->DropDown()) Recusa(*sb->DropdownMenu, "está inacessível");
  return sb->DropdownMenu;
}

vyn::TMenuItem* CliqueDireito(TControl& c, const json& passo) {
  if (!c.Enabled() || !c.Visible()) Recusa(c, "está inacessível");
  if (Focavel(c)) Foca(c);
  if (auto* g = dynamic_cast<vyn::TDBGrid_Padrao_VYN*>(&c)) {
    LinhaDaGrade(*g, passo);
    g->MouseClick(CampoDoClique(*g, passo), true);
  } else if (auto* lv = dynamic_cast<vyn::TListView*>(&c); lv && passo.contains("item")) {
    lv->Select(IndiceDe(c, passo.at("item"), Textos(*lv)));
  } else if (auto* tv = dynamic_cast<vyn::TTreeView*>(&c); tv && passo.contains("item")) {
    tv->SetSelected(No(*tv, passo.at("item")));
  }
  vyn::TMenuItem* menu = c.PopupMenu;
  if (!menu || !c.Enabled() || !menu->Reachable()) return nullptr;
  menu->Popup(&c);
  return menu;
}

void VerificaItemDeMenu(vyn::TMenuItem& item, const vyn::TMenuItem* aberto) {
  for (vyn::TMenuItem* m = &item; m; m = m->Parent())
    if (!m->Enabled() || !m->Visible())
      Recusa(item, m == &item ? "está inacessível" : "está no menu " + m->Name() + ", inacessível");
  vyn::TMenuItem* menu = item.Menu();
  TControl* abre = item.Form() ? QuemAbre(*item.Form(), *menu) : nullptr;
  if (abre && menu != aberto)
    Recusa(item, "está no menu " + menu->Name() + ", que não está aberto (" + abre->Name() + " o abre)");
}

void Procura(TControl& c) {
  if (!c.Enabled() || !c.Visible()) Recusa(c, "está inacessível");
  if (auto* ed = dynamic_cast<vyn::TEdit_Diretorio_Padrao_VYN*>(&c)) {
    if (Focavel(c)) Foca(c);
    ed->Procurar();
  } else if (dynamic_cast<vyn::TButtonControl*>(&c)) {
    Clica(c);
  } else {
    Recusa(c, "não abre a escolha de arquivos");
  }
}

void DuploClique(TControl& c) {
  if (!c.Enabled() || !c.Visible()) Recusa(c, "está inacessível");
  if (auto* lv = dynamic_cast<vyn::TListView*>(&c))
    lv->DblClick();
  else if (auto* g = dynamic_cast<vyn::TDBGrid_Padrao_VYN*>(&c))
    g->DblClick();
  else if (auto* cl = dynamic_cast<vyn::TCheckListBox*>(&c))
    cl->DblClick();
  else
    Recusa(c, "não aceita duplo clique");
}

void PressionaTecla(vyn::TForm_VYN& form, TControl* alvo, const std::string& tecla) {
  unsigned shift = 0;
  char caractere = 0;
  int codigo = CodigoDaTecla(tecla, shift, caractere);
  int solta = codigo;   // the key let go, whatever the key-down handlers did with it
  if (alvo && Focavel(*alvo)) Foca(*alvo);
  auto* grade = dynamic_cast<vyn::TDBGrid_Padrao_VYN*>(alvo);
  auto* lista = dynamic_cast<vyn::TCheckListBox*>(alvo);
  // The screens see their keys first (their key preview), then the control.
  form.KeyDown(codigo, shift);
  if (codigo != 0 && grade) grade->KeyDown(codigo, shift);
  if (codigo != 0 && lista) lista->KeyDown(codigo, shift);
  if (codigo != 0 && caractere != 0) {
    form.KeyPress(caractere);
    if (caractere != 0 && grade) grade->KeyPress(caractere);
  }
  if (codigo != 0 && grade) grade->KeyUp(codigo, shift);
  if (solta != 0) form.KeyUp(solta, shift);
}

}  // namespace integracao_host
