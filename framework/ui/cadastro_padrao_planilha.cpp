#include "framework/ui/cadastro_padrao_planilha.h"

#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/edit.h"
#include "framework/ui/consulta_padrao.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/packages_util.h"

namespace vyn {

TfrCadastro_Padrao_Planilha_VYN::TfrCadastro_Padrao_Planilha_VYN(TComponent* owner)
    : TForm_VYN(owner),
      edCODGERADOR(Create<TEdit_Codigo_Search_VYN>()),
      edMODELO(Create<TEdit_String_Padrao>()),
      edLINHA_INICIAL(Create<TEdit_String_Padrao>()),
      edDESCARTAR_LINHAS(Create<TEdit_String_Padrao>()),
      edARQUIVO(Create<TEdit_Diretorio_Padrao_VYN>()),
      lbModelo(Create<TLabel>()),
      sbCODGERADOR(Create<TSpeedButton>()),
      spSalvar(Create<TSpeedButton>()) {
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
    } catch (const EValidacaoCadastro& e) {
      DlgInfOk(e.what());
    }
  };
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
  Colunas.clear();
  TQueryResult c = db.QueryAll("SELECT BDCOLUNA, BDCAMPO FROM " + planilha_->TableName() +
                                   " WHERE BDCODGERADOR = ? ORDER BY CHAR_LENGTH(BDCOLUNA), BDCOLUNA",
                               {codigo});
  for (const auto& l : c.Rows) Colunas.emplace_back(l[0].AsString(), l[1].AsString());
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
  const int maximo = setNumeroColunas();
  if (maximo > 0 && static_cast<int>(Colunas.size()) > maximo)
    throw EValidacaoCadastro("O layout tem mais colunas que campos a importar.");
  for (const auto& [letra, campo] : Colunas) {
    bool conhecido = false;
    for (const auto& c : campos_) conhecido = conhecido || c == campo;
    if (!conhecido) throw EValidacaoCadastro("Campo desconhecido na coluna " + letra + ": " + campo);
  }
  fcGeradorBeforePost();
  const int codigo = static_cast<int>(edCODGERADOR->Codigo());
  TDatabase& db = gerador_->Database();
  TTransaction tr(db);
  db.Execute("UPDATE OR INSERT INTO " + gerador_->TableName() +
                 " (BDCODGERADOR, BDMODELO, BDLINHA_INICIAL, BDDESCARTAR_LINHAS, BDARQUIVO) VALUES (?, ?, ?, ?, ?)"
                 " MATCHING (BDCODGERADOR)",
             {codigo, Trim(edMODELO->Text()), linhaInicial, descartar, edARQUIVO->Text()});
  db.Execute("DELETE FROM " + planilha_->TableName() + " WHERE BDCODGERADOR = ?", {codigo});
  for (const auto& [letra, campo] : Colunas)
    db.Execute("INSERT INTO " + planilha_->TableName() + " (BDCODGERADOR, BDCOLUNA, BDCAMPO) VALUES (?, ?, ?)",
               {codigo, UpperCase(Trim(letra)), campo});
  tr.Commit();
}

}  // namespace vyn
