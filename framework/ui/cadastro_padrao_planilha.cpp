#include "framework/ui/cadastro_padrao_planilha.h"

#include <algorithm>
#include <set>

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/edit.h"
#include "framework/ui/grid.h"
#include "framework/ui/consulta_padrao.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/packages_util.h"

namespace vyn {

namespace {
// A sheet column as the user names it: one to three letters ("A", "AB").
bool ColunaDePlanilha(const std::string& letras) {
  return !letras.empty() && letras.size() <= 3 &&
         std::all_of(letras.begin(), letras.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}
}  // namespace

TfrCadastro_Padrao_Planilha_VYN::TfrCadastro_Padrao_Planilha_VYN(TComponent* owner)
    : TForm_VYN(owner),
      edCODGERADOR(Create<TEdit_Codigo_Search_VYN>()),
      edMODELO(Create<TEdit_String_Padrao>()),
      edLINHA_INICIAL(Create<TEdit_String_Padrao>()),
      edDESCARTAR_LINHAS(Create<TEdit_String_Padrao>()),
      edARQUIVO(Create<TEdit_Diretorio_Padrao_VYN>()),
      lbModelo(Create<TLabel>()),
      sbCODGERADOR(Create<TSpeedButton>()),
      spSalvar(Create<TSpeedButton>()),
      spExcluir(Create<TSpeedButton>()),
      grColunas(Create<TDBGrid_Padrao_VYN>()),
      cdsColunas(Create<TClientDataSet>()),
      dsColunas(Create<TDataSource>()) {
  edCODGERADOR->SetName("edCODGERADOR");
  edMODELO->SetName("edMODELO");
  edLINHA_INICIAL->SetName("edLINHA_INICIAL");
  edDESCARTAR_LINHAS->SetName("edDESCARTAR_LINHAS");
  edARQUIVO->SetName("edARQUIVO");
  edARQUIVO->Pasta = false;
  lbModelo->SetName("lbModelo");
  sbCODGERADOR->SetName("sbCODGERADOR");
  spSalvar->SetName("spSalvar");
  spSalvar->SetHint("Salvar");
  spSalvar->OnClick = [this](TComponent*) {
    try {
      Salvar();
      DlgInfOk("Registro salvo com sucesso!");
    } catch (const EValidacaoCadastro& e) {
      DlgInfOk(e.what());
    }
  };
  spExcluir->SetName("spExcluir");
  spExcluir->SetHint("Excluir");
  spExcluir->OnClick = [this](TComponent*) {
    if (edCODGERADOR->Codigo() <= 0 || Trim(edMODELO->Text()).empty()) {
      DlgInfOk("Informe o gerador a excluir.");
      return;
    }
    if (DlgConfSimNao("Confirma a exclusão do gerador " + edCODGERADOR->Text() + " - " + Trim(edMODELO->Text()) +
                      "?") != mrYes)
      return;
    if (Excluir()) DlgInfOk("Registro excluído com sucesso!");
  };
  cdsColunas->SetName("cdsColunas");
  cdsColunas->AddFieldDef("BDCOLUNA", TFieldType::ftString, 3);
  cdsColunas->AddFieldDef("BDCAMPO", TFieldType::ftString, 200);
  cdsColunas->CreateDataSet();
  dsColunas->SetDataSet(cdsColunas);
  grColunas->SetName("grColunas");
  grColunas->SetDataSource(dsColunas);
  grColunas->ReadOnly = false;
  grColunas->AddColumn("BDCOLUNA", "Coluna", 60);
  grColunas->AddColumn("BDCAMPO", "Campo", 300);
  grColunas->EditaCelula = [this](const std::string& campo, const std::string& texto) { return EditaColuna(campo, texto); };
  grColunas->OnKeyDown = [this](TComponent*, int& key, unsigned shift) { TeclaColunas(key, shift); };
  edCODGERADOR->AceitaZero = true;
  // A code without a layout is a new layout.
  edCODGERADOR->AceitaNaoCadastrado = true;
  edCODGERADOR->OnExit = [this](TComponent*) { edCODGERADORExit(); };
  sbCODGERADOR->OnClick = [this](TComponent*) { Pesquisar(); };
}

void TfrCadastro_Padrao_Planilha_VYN::edCODGERADORExit() {
  const int64_t codigo = edCODGERADOR->Codigo();
  if (codigo <= 0 || !gerador_ || !planilha_) return;
  TDatabase& db = gerador_->Database();
  TQueryResult h = db.QueryAll("SELECT BDMODELO, BDLINHA_INICIAL, BDDESCARTAR_LINHAS, BDARQUIVO FROM " +
                                   gerador_->TableName() + " WHERE BDCODGERADOR = ?",
                               {codigo});
  if (h.Rows.empty()) return;
  const auto& r = h.Rows[0];
  auto numero = [](const Variant& v) { return v.IsNull() || v.AsInteger() == 0 ? std::string() : v.AsString(); };
  edMODELO->SetText(r[0].AsString());
  edLINHA_INICIAL->SetText(numero(r[1]));
  edDESCARTAR_LINHAS->SetText(numero(r[2]));
  edARQUIVO->SetText(r[3].IsNull() ? "" : r[3].AsString());
  TQueryResult c = db.QueryAll("SELECT BDCOLUNA, BDCAMPO FROM " + planilha_->TableName() +
                                   " WHERE BDCODGERADOR = ? ORDER BY CHAR_LENGTH(BDCOLUNA), BDCOLUNA",
                               {codigo});
  std::vector<std::pair<std::string, std::string>> colunas;
  for (const auto& l : c.Rows) colunas.emplace_back(l[0].AsString(), l[1].AsString());
  SetColunas(colunas);
}

std::vector<std::pair<std::string, std::string>> TfrCadastro_Padrao_Planilha_VYN::Colunas() const {
  std::vector<std::pair<std::string, std::string>> out;
  if (cdsColunas->State() == TDataSetState::dsEdit || cdsColunas->State() == TDataSetState::dsInsert)
    cdsColunas->Post();
  const bool vazio = cdsColunas->IsEmpty();
  const TBookmark atual = vazio ? 0 : cdsColunas->GetBookmark();
  for (cdsColunas->First(); !cdsColunas->Eof(); cdsColunas->Next())
    out.emplace_back(cdsColunas->FieldByName("BDCOLUNA").AsString(), cdsColunas->FieldByName("BDCAMPO").AsString());
  if (!vazio) cdsColunas->GotoBookmark(atual);
  return out;
}

void TfrCadastro_Padrao_Planilha_VYN::SetColunas(const std::vector<std::pair<std::string, std::string>>& colunas) {
  cdsColunas->EmptyDataSet();
  for (const auto& [letra, campo] : colunas) cdsColunas->AppendRecord({Variant(letra), Variant(campo)});
  cdsColunas->First();
}

// A column is typed as letters; a field is picked from the menu (the menu's caption is stored, so a
// caption that ends in a TAB is found also when typed without it).
bool TfrCadastro_Padrao_Planilha_VYN::EditaColuna(const std::string& campo, const std::string& texto) {
  std::string valor = Trim(texto);
  if (SameText(campo, "BDCOLUNA")) {
    valor = UpperCase(valor);
    if (!ColunaDePlanilha(valor)) return false;
  } else if (SameText(campo, "BDCAMPO")) {
    auto it = std::find_if(campos_.begin(), campos_.end(),
                           [&](const std::string& c) { return c == texto || Trim(c) == valor; });
    if (it == campos_.end()) return false;
    valor = *it;
  } else {
    return false;
  }
  if (cdsColunas->IsEmpty()) cdsColunas->Append();
  else if (cdsColunas->State() == TDataSetState::dsBrowse) cdsColunas->Edit();
  cdsColunas->FieldByName(campo).SetAsString(valor);
  cdsColunas->Post();
  return true;
}

void TfrCadastro_Padrao_Planilha_VYN::TeclaColunas(int& key, unsigned shift) {
  constexpr int kInsert = 45, kDelete = 46;
  if (key == kInsert && shift == 0) {
    cdsColunas->Append();
    cdsColunas->Post();
    key = 0;
  } else if (key == kDelete && shift == ssCtrl && !cdsColunas->IsEmpty()) {
    cdsColunas->Delete();
    key = 0;
  }
}

void TfrCadastro_Padrao_Planilha_VYN::LimpaEditor() {
  edCODGERADOR->Vale(0);
  for (TCustomEdit* e : std::initializer_list<TCustomEdit*>{edMODELO, edLINHA_INICIAL, edDESCARTAR_LINHAS, edARQUIVO})
    e->SetText("");
  SetColunas({});
}

bool TfrCadastro_Padrao_Planilha_VYN::Excluir() {
  const int64_t codigo = edCODGERADOR->Codigo();
  if (codigo <= 0 || !gerador_ || !planilha_) return false;
  TDatabase& db = gerador_->Database();
  TTransaction tr(db);
  db.Execute("DELETE FROM " + planilha_->TableName() + " WHERE BDCODGERADOR = ?", {codigo});
  const bool havia = db.QueryValue("SELECT COUNT(*) FROM " + gerador_->TableName() + " WHERE BDCODGERADOR = ?",
                                   {codigo}).AsInteger() > 0;
  db.Execute("DELETE FROM " + gerador_->TableName() + " WHERE BDCODGERADOR = ?", {codigo});
  tr.Commit();
  LimpaEditor();
  return havia;
}

void TfrCadastro_Padrao_Planilha_VYN::Pesquisar() {
  const std::string classe = ClasseConsulta();
  if (classe.empty()) return;
  int64_t escolhido = 0;
  TPackagesUtil::CarregaFormParamsObj(
      classe, this, {},
      [&escolhido](TForm_VYN& f) {
        auto* consulta = dynamic_cast<TfrConsulta_Padrao_VYN*>(&f);
        if (f.ModalResult() != mrOk || !consulta || !consulta->DAO() || consulta->DAO()->IsEmpty()) return;
        if (TField* campo = consulta->DAO()->FindField("BDCODGERADOR")) escolhido = campo->AsInteger();
      },
      true);
  if (escolhido <= 0) return;
  edCODGERADOR->Vale(escolhido);
  edCODGERADORExit();
}

bool TfrCadastro_Padrao_Planilha_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrCadastro_Padrao_Planilha_VYN") || TForm_VYN::InheritsFrom(class_name);
}

void TfrCadastro_Padrao_Planilha_VYN::FormCreate() {
  TForm_VYN::FormCreate();
  setDAOS();
}

// The map as it will be stored: rows left empty are dropped; a column without letters or given
// twice, or a field outside the menu, refuses the save.
std::vector<std::pair<std::string, std::string>> TfrCadastro_Padrao_Planilha_VYN::ColunasValidas() {
  std::vector<std::pair<std::string, std::string>> out;
  std::set<std::string> vistas;
  for (auto [letra, campo] : Colunas()) {
    letra = UpperCase(Trim(letra));
    if (letra.empty() && campo.empty()) continue;
    if (!ColunaDePlanilha(letra))
      throw EValidacaoCadastro("Informe a coluna do campo " + campo + ".");
    if (!vistas.insert(letra).second) throw EValidacaoCadastro("A coluna " + letra + " foi informada duas vezes.");
    if (std::find(campos_.begin(), campos_.end(), campo) == campos_.end())
      throw EValidacaoCadastro("Campo desconhecido na coluna " + letra + ": " + campo);
    out.emplace_back(letra, campo);
  }
  const int maximo = setNumeroColunas();
  if (maximo > 0 && static_cast<int>(out.size()) > maximo)
    throw EValidacaoCadastro("O layout tem mais colunas que campos a importar.");
  return out;
}

void TfrCadastro_Padrao_Planilha_VYN::Salvar() {
  if (!gerador_ || !planilha_) throw EValidacaoCadastro("O cadastro não tem onde gravar.");
  if (Trim(edMODELO->Text()).empty()) throw EValidacaoCadastro("Informe o modelo.");
  auto inteiro = [](const TCustomEdit& e) {
    std::string t = Trim(e.Text());
    if (t.empty()) return 0;
    if (OnlyDigits(t) != t || t.size() > 9) throw EValidacaoCadastro("Informe um número: " + t);
    return std::stoi(t);
  };
  const int linhaInicial = inteiro(*edLINHA_INICIAL);
  const int descartar = inteiro(*edDESCARTAR_LINHAS);
  const auto colunas = ColunasValidas();
  fcGeradorBeforePost();
  const int codigo = static_cast<int>(edCODGERADOR->Codigo());
  TDatabase& db = gerador_->Database();
  TTransaction tr(db);
  db.Execute("UPDATE OR INSERT INTO " + gerador_->TableName() +
                 " (BDCODGERADOR, BDMODELO, BDLINHA_INICIAL, BDDESCARTAR_LINHAS, BDARQUIVO) VALUES (?, ?, ?, ?, ?)"
                 " MATCHING (BDCODGERADOR)",
             {codigo, Trim(edMODELO->Text()), linhaInicial, descartar, edARQUIVO->Text()});
  db.Execute("DELETE FROM " + planilha_->TableName() + " WHERE BDCODGERADOR = ?", {codigo});
  for (const auto& [letra, campo] : colunas)
    db.Execute("INSERT INTO " + planilha_->TableName() + " (BDCODGERADOR, BDCOLUNA, BDCAMPO) VALUES (?, ?, ?)",
               {codigo, letra, campo});
  tr.Commit();
}

}  // namespace vyn
