#include "framework/ui/edit_codigo.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/campos_procurar.h"
#include "framework/ui/pesquisa_codigo.h"

namespace vyn {

Variant TCodigoRegistro::Campo(std::string_view name) const {
  for (auto& [k, v] : Campos)
    if (SameText(k, name)) return v;
  return Variant();
}

TEdit_Codigo_Search_VYN::TEdit_Codigo_Search_VYN(TComponent* owner, int tipoCodigo)
    : TEdit_String_Padrao(owner), TipoCodigo(tipoCodigo) {}

void TEdit_Codigo_Search_VYN::SetTypeCodeVYN(int tipo) {
  if (tipo == TipoCodigo) return;
  TipoCodigo = tipo;
  found_ = false;
  validated_ = false;
}

namespace {
// "1,2", "1; 2", "1 2": digits parted by a separator are several codes, not one code of their
// digits joined. Letters are dropped as the edit's keyboard filter drops them.
bool VariosCodigos(const std::string& texto, std::vector<int64_t>& codigos, bool& soPontoEVirgula) {
  codigos.clear();
  soPontoEVirgula = true;
  std::string atual;
  for (char c : Trim(texto) + ";") {
    if (c >= '0' && c <= '9') {
      atual += c;
    } else if (std::string_view(",;.-/ ").find(c) != std::string_view::npos) {
      if (atual.empty()) continue;
      if (c != ';' && c != ' ') soPontoEVirgula = false;
      if (atual.size() > 18) return false;
      codigos.push_back(std::stoll(atual));
      atual.clear();
    }
  }
  return codigos.size() > 1;
}
}  // namespace

void TEdit_Codigo_Search_VYN::SetText(std::string t) {
  if (selecaoDoTexto_) {
    selecao_.clear();
    multi_ = false;
    selecaoDoTexto_ = false;
  }
  std::vector<int64_t> codigos;
  bool soPontoEVirgula = false;
  if (VariosCodigos(t, codigos, soPontoEVirgula)) {
    found_ = false;
    validated_ = false;
    varios_ = true;
    // An edit that takes several codes takes them parted by ";", each looked up on exit.
    if (AceitaMultiSelecao && soPontoEVirgula) {
      for (int64_t c : codigos)
        if (std::none_of(selecao_.begin(), selecao_.end(), [c](const auto& s) { return s.second == c; }))
          selecao_.emplace_back(std::to_string(c), c);
      multi_ = selecaoDoTexto_ = true;
    }
    TEdit_String_Padrao::SetText(Trim(t));
    return;
  }
  varios_ = false;
  std::string digits = OnlyDigits(t);
  if (digits != Text()) {
    found_ = false;
    validated_ = false;
  }
  TEdit_String_Padrao::SetText(std::move(digits));
}

int64_t TEdit_Codigo_Search_VYN::Codigo() const {
  if (varios_) return 0;
  std::string t = StripLeadingZeros(Text());
  if (t.empty()) return 0;
  // More digits than a code holds is no code at all.
  if (t.size() > 18) return 0;
  return std::stoll(t);
}

std::string TEdit_Codigo_Search_VYN::getCodigoStr() const {
  return Text().empty() ? std::string() : std::to_string(Codigo());
}

bool TEdit_Codigo_Search_VYN::ValorInformado() const { return !Text().empty(); }

void TEdit_Codigo_Search_VYN::Vale(int64_t code) { SetText(code == 0 ? std::string() : std::to_string(code)); }

void TEdit_Codigo_Search_VYN::Reset() {
  selecao_.clear();
  found_ = false;
  registro_ = TCodigoRegistro();
  if (PanelNome) PanelNome->SetCaption("");
  SetText("");
}

bool TEdit_Codigo_Search_VYN::Reject(std::string message) {
  rejeitado_ = true;
  found_ = false;
  mensagem_ = RemoveCaret(message);
  if (PanelNome) PanelNome->SetCaption("");
  return false;
}

TCamposProcurar& TEdit_Codigo_Search_VYN::CamposProcurar() {
  if (!campos_) campos_ = Create<TCamposProcurar>();
  return *campos_;
}

void TEdit_Codigo_Search_VYN::AntesDaPesquisa() {
  if (campos_) FreeComponent(std::exchange(campos_, nullptr));
  CamposProcurar();
  if (OnBeforeSearch) OnBeforeSearch(this);
}

bool TEdit_Codigo_Search_VYN::Pesquisar() {
  if (!Enabled() || !Visible()) return false;
  AntesDaPesquisa();
  ICodeLookup* l = ProcessContext().CodeLookup;
  auto lista = std::make_unique<TClientDataSet>();
  if (!l || !l->Pesquisa(*this, CamposProcurar().Campos(), *lista)) return false;
  auto tela = MakeForm<TfrPesquisaCodigo_VYN>();
  tela->Prepara(lista.get(), CamposProcurar());
  if (tela->ShowModal() != mrOk || tela->CodigoEscolhido() == 0) return false;
  Vale(tela->CodigoEscolhido());
  return Search();
}

bool TEdit_Codigo_Search_VYN::Search() {
  rejeitado_ = false;
  mensagem_.clear();
  AntesDaPesquisa();
  int64_t code = Codigo();
  TCodigoRegistro reg;
  bool ok = true;
  if (Lookup) {
    ok = Lookup(*this, code, reg);
  } else if (ICodeLookup* l = ProcessContext().CodeLookup) {
    ok = l->Lookup(*this, code, reg);
  }
  // Without any look-up (no data layer) the code is taken as typed.
  if (!ok && !AceitaNaoCadastrado) return Reject("Código " + getCodigoStr() + " não encontrado!");
  registro_ = std::move(reg);
  found_ = ok;
  if (PanelNome) PanelNome->SetCaption(registro_.Nome);
  bool recusar = false;
  if (AfterSearch) AfterSearch(this, recusar);
  if (recusar) return Reject(mensagem_.empty() ? "Código " + getCodigoStr() + " recusado!" : mensagem_);
  validated_ = true;
  validated_text_ = Text();
  return true;
}

bool TEdit_Codigo_Search_VYN::Validate() {
  rejeitado_ = false;
  mensagem_.clear();
  if (varios_ && !selecaoDoTexto_)
    return Reject(AceitaMultiSelecao ? "Informe um código, ou vários separados por \";\": " + Text()
                                     : "Informe um único código: " + Text());
  if (selecaoDoTexto_) return ValidaSelecao();
  if (multi_ && !selecao_.empty()) return true;
  if (Text().empty()) {
    found_ = false;
    if (PanelNome) PanelNome->SetCaption("");
    return AceitaVazio ? true : Reject("Informe o código!");
  }
  if (Codigo() == 0) {
    found_ = false;
    if (PanelNome) PanelNome->SetCaption("");
    return AceitaZero ? true : Reject("Código inválido!");
  }
  return Search();
}

// Every code typed in a list is looked up, as a single code would be.
bool TEdit_Codigo_Search_VYN::ValidaSelecao() {
  ICodeLookup* l = Lookup ? nullptr : ProcessContext().CodeLookup;
  for (auto& [texto, codigo] : selecao_) {
    TCodigoRegistro reg;
    const bool ok = Lookup ? Lookup(*this, codigo, reg) : (!l || l->Lookup(*this, codigo, reg));
    if (!ok && !AceitaNaoCadastrado) return Reject("Código " + std::to_string(codigo) + " não encontrado!");
    if (ok && !reg.Nome.empty()) texto = std::to_string(codigo) + " - " + reg.Nome;
  }
  validated_ = true;
  validated_text_ = Text();
  return true;
}

void TEdit_Codigo_Search_VYN::DoExit() {
  // An unchanged code that was already found is not looked up again.
  if (!(validated_ && validated_text_ == Text()) && !Validate()) throw EValidationError(mensagem_);
  TEdit_String_Padrao::DoExit();
}

int64_t TEdit_Codigo_Search_VYN::GetCodPlanoEmpresa(int kind) const {
  ICodeLookup* l = ProcessContext().CodeLookup;
  return l && Codigo() != 0 ? l->CodPlanoEmpresa(Codigo(), kind) : 0;
}

void TEdit_Codigo_Search_VYN::SetMultiSelect(bool on) {
  multi_ = on && AceitaMultiSelecao;
  if (!multi_) selecao_.clear();
}

void TEdit_Codigo_Search_VYN::AddMultiSelecao(const std::string& text, int64_t code) {
  if (!AceitaMultiSelecao) return;
  multi_ = true;
  for (auto& s : selecao_)
    if (s.second == code) return;
  selecao_.emplace_back(text, code);
}

int TEdit_Codigo_Search_VYN::QtdeSelecionados() const {
  if (multi_ && !selecao_.empty()) return static_cast<int>(selecao_.size());
  return ValorInformado() ? 1 : 0;
}

std::vector<int64_t> TEdit_Codigo_Search_VYN::CodigosSelecionados() const {
  std::vector<int64_t> out;
  if (multi_ && !selecao_.empty()) {
    for (auto& s : selecao_) out.push_back(s.second);
  } else if (ValorInformado()) {
    out.push_back(Codigo());
  }
  return out;
}

std::string TEdit_Codigo_Search_VYN::GetSQLMultiSelectInteger() const {
  std::vector<std::string> parts;
  for (int64_t c : CodigosSelecionados()) parts.push_back(std::to_string(c));
  return Join(parts, ",");
}

std::string TEdit_Codigo_Search_VYN::GetSQLMultiSelectString(const std::string& column) const {
  auto codes = CodigosSelecionados();
  if (codes.empty()) return "";
  if (codes.size() == 1) return column + " = " + std::to_string(codes[0]);
  return column + " IN (" + GetSQLMultiSelectInteger() + ")";
}

void PreparaEditEmpresa(TEdit_Codigo_Search_VYN& edCODEMP, TPanel& pnNOMEMP) {
  edCODEMP.SetName("edCODEMP");
  edCODEMP.SetMaxLength(6);
  edCODEMP.CampoRetorno = "BDCODEMP";
  edCODEMP.AceitaVazio = false;
  edCODEMP.PanelNome = &pnNOMEMP;
  pnNOMEMP.SetName("pnNOMEMP");
}

}  // namespace vyn
