#include "partners/uConsultaImportacaoSociosTreeView.h"

#include <map>

#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/tree_view.h"

namespace integracao {

using namespace vyn;

namespace {

// Bookmarks of every row, so rows can be changed while their order may move.
std::vector<TBookmark> Marcas(TClientDataSet& ds) {
  std::vector<TBookmark> out;
  for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds.GetBookmark());
  return out;
}

void GravaLinhas(TDAOFactory& ds, TDatabase& db) {
  std::vector<std::string> colunas;
  for (const auto& c : db.TableColumns(ds.TableName()))
    if (ds.FindField(c)) colunas.push_back(c);
  const std::vector<std::string> chave = db.PrimaryKey(ds.TableName());
  std::string nomes, marcas;
  for (const auto& c : colunas) {
    nomes += (nomes.empty() ? "" : ", ") + c;
    marcas += marcas.empty() ? "?" : ", ?";
  }
  TStatement& st = db.Prepared("UPDATE OR INSERT INTO " + ds.TableName() + " (" + nomes + ") VALUES (" + marcas +
                               ") MATCHING (" + Join(chave, ", ") + ")");
  for (ds.First(); !ds.Eof(); ds.Next()) {
    TParams valores;
    for (const auto& c : colunas) valores.push_back(ds.FieldByName(c).Value());
    st.Execute(valores);
  }
}

}  // namespace

void TUtilImportacao_Socios_Treeview::GetChaveServidor(TSociosMGR& socios, TEMPRESAS_TSOC_REFMGR* refs,
                                                        TEmpresas_TSoc_CotasMGR* cotas) {
  std::vector<TBookmark> novos;
  for (TBookmark b : Marcas(socios)) {
    socios.GotoBookmark(b);
    if (socios.FieldByName("BDCODSOC").AsInteger() < 0) novos.push_back(b);
  }
  if (!novos.empty()) {
    int proximo = TSociosMGR::GetCodigoSocio(FCodEmp, static_cast<int>(novos.size()), &socios.Database());
    std::map<int64_t, int> novoCodigo;
    for (TBookmark b : novos) {
      socios.GotoBookmark(b);
      novoCodigo[socios.FieldByName("BDCODSOC").AsInteger()] = proximo;
      socios.Edit();
      socios.FieldByName("BDCODSOC").SetAsInteger(proximo++);
      socios.Post();
    }
    for (TClientDataSet* detalhe : {static_cast<TClientDataSet*>(refs), static_cast<TClientDataSet*>(cotas)}) {
      if (!detalhe) continue;
      for (TBookmark b : Marcas(*detalhe)) {
        detalhe->GotoBookmark(b);
        auto it = novoCodigo.find(detalhe->FieldByName("BDCODSOC").AsInteger());
        if (it == novoCodigo.end()) continue;
        detalhe->Edit();
        detalhe->FieldByName("BDCODSOC").SetAsInteger(it->second);
        detalhe->Post();
      }
    }
  }
  if (!FListaDadosParaCopia) return;
  for (socios.First(); !socios.Eof(); socios.Next())
    FListaDadosParaCopia->push_back({static_cast<int>(socios.FieldByName("BDCODSOC").AsInteger()),
                                     static_cast<int>(socios.FieldByName("BDREFSOC").AsInteger()),
                                     socios.FieldByName("BDCGCCEISOC").AsString()});
}

bool TUtilImportacao_Socios_Treeview::DeveImportarRegistroAtual(const TDAOFactory& ds, const TDAOFactory* cotas) const {
  return FTipoImportacao != 2 || &ds == cotas;
}

TfrConsultaImportacaoSociosTreeView::TfrConsultaImportacaoSociosTreeView(TComponent* owner)
    : TForm_VYN(owner),
      tvImportacao(Create<TTreeView>()),
      grDados(Create<TDBGrid_Padrao_VYN>()),
      grItens(Create<TDBGrid_Padrao_VYN>()),
      spImportacao(Create<TSpeedButton>()),
      dsDados_(Create<TDataSource>()),
      dsItens_(Create<TDataSource>()),
      util_(Create<TUtilImportacao_Socios_Treeview>()) {
  SetCaption("Importação de sócios");
  tvImportacao->SetName("tvImportacao");
  grDados->SetName("grDados");
  grItens->SetName("grItens");
  spImportacao->SetName("spImportacao");
  grDados->SetDataSource(dsDados_);
  grItens->SetDataSource(dsItens_);
  grItens->SetEnabled(false);
  grDados->MostraDado = [](TField& f, std::string& texto) { texto = grGridMostraDado(f.FieldName(), texto); };
  tvImportacao->OnChange = [this](TComponent*, TTreeNode* n) { AtualizaDados(n); };
  spImportacao->OnClick = [this](TComponent* s) { spImportacaoClick(s); };
}

bool TfrConsultaImportacaoSociosTreeView::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaImportacaoSociosTreeView") || TForm_VYN::InheritsFrom(class_name);
}

void TfrConsultaImportacaoSociosTreeView::SetListaObj(const TListaObj& lista) {
  inconsistencias_ = lista.Get<TInconsistencias_VYN>(4);
  util_->FInconsistencias = inconsistencias_;
  socios_ = lista.Get<TSociosMGR>(1);
  refs_ = lista.Get<TEMPRESAS_TSOC_REFMGR>(2);
  cotas_ = lista.Get<TEmpresas_TSoc_CotasMGR>(3);
  if (socios_ && !socios_->IsEmpty()) {
    socios_->First();
    FEmpresa = static_cast<int>(socios_->FieldByName("BDCODEMP").AsInteger());
  } else if (auto* emp = lista.Get<TEdit_Codigo_Search_VYN>(0)) {
    FEmpresa = static_cast<int>(emp->Codigo());
  }
  TForm_VYN::SetListaObj(lista);
  util_->SetCodEmp(FEmpresa);
  util_->FListaDadosParaCopia = lista.GetObject<std::vector<TDadosCopiaSociosMatrizFilial>>(5);
}

void TfrConsultaImportacaoSociosTreeView::AfterListaObj() {
  TForm_VYN::AfterListaObj();
  tvImportacao->Clear();
  if (socios_ && socios_->Arvore.TreeNode) tvImportacao->Add(socios_->Arvore.TreeCaption, socios_);
  if (inconsistencias_ && !inconsistencias_->IsEmpty()) inconsistencias_->Execute(true, true, true, true, "");
  if (tvImportacao->RootCount() > 0) tvImportacao->SetSelected(tvImportacao->Root(0));
}

void TfrConsultaImportacaoSociosTreeView::AtualizaDados(TTreeNode* node) {
  dsDados_->SetDataSet(nullptr);
  grDados->Columns.clear();
  if (cotas_ && cotas_->MasterSource()) {
    cotas_->SetMasterSource(nullptr);
    cotas_->SetMasterFields("");
  }
  dsItens_->SetDataSet(nullptr);
  grItens->Columns.clear();
  grItens->SetEnabled(false);
  atual_ = node ? static_cast<TClientDataSet*>(node->Data) : nullptr;
  if (node) SetFieldsContainerGrid();
}

void TfrConsultaImportacaoSociosTreeView::SetFieldsContainerGrid() {
  if (!atual_ || atual_ != socios_) return;
  grItens->SetEnabled(true);
  if (refs_) refs_->First();
  dsDados_->SetDataSet(socios_);
  for (int i = 0; i < socios_->FieldCount(); ++i) grDados->AddColumn(socios_->Fields(i).FieldName());
  if (cotas_) {
    cotas_->SetIndexFieldNames("BDCODEMP;BDCODSOC;BDREFCOTA");
    cotas_->SetMasterFields("BDCODEMP;BDCODSOC");
    cotas_->SetMasterSource(dsDados_);
    dsItens_->SetDataSet(cotas_);
    for (int i = 0; i < cotas_->FieldCount(); ++i) grItens->AddColumn(cotas_->Fields(i).FieldName());
  }
}

std::string TfrConsultaImportacaoSociosTreeView::grGridMostraDado(const std::string& campo, const std::string& texto) {
  static const std::vector<std::string> estadoCivil = {"Solteiro", "Casado", "Divorciado", "Viúvo",
                                                       "Separado judicialmente", "União estável", "Outros"};
  static const std::vector<std::string> regime = {
      "Regime de comunhão parcial de bens", "Regime de comunhão universal de bens", "Regime de separação de bens",
      "Regime de participação final nos aquestos"};
  static const std::vector<std::string> qualiResp = {"Administrador", "Procurador", "Inventariante", "Liquidante",
                                                     "Tutor ou curador", "Outros"};
  auto porIndice = [&](const std::vector<std::string>& nomes, const std::string& vazio) {
    const std::string t = Trim(texto);
    if (t.empty() || OnlyDigits(t) != t || t.size() > 2) return vazio;
    size_t i = static_cast<size_t>(std::stoi(t));
    return i < nomes.size() ? nomes[i] : vazio;
  };
  if (SameText(campo, "BDESTCIVILSOC")) return porIndice(estadoCivil, "");
  if (SameText(campo, "BDREGESTCIVILSOC")) return porIndice(regime, "");
  if (SameText(campo, "BDINDNIF")) {
    if (texto == "0") return "Beneficiário com NIF";
    if (texto == "1") return "Beneficiário dispensado do NIF";
    if (texto == "2") return "País não exige NIF";
    if (texto == "-1") return "";
    return texto;
  }
  if (SameText(campo, "BDQUALIRESPLEGALSOC")) return porIndice(qualiResp, texto);
  return texto;
}

void TfrConsultaImportacaoSociosTreeView::OnAntesImportar() {
  if (socios_ && !socios_->IsEmpty()) {
    TField* tipo = socios_->FindField("BDTIPOIMPORTACAO");
    if (tipo) util_->FTipoImportacao = static_cast<int>(tipo->AsInteger());
  }
}

void TfrConsultaImportacaoSociosTreeView::spImportacaoClick(TComponent*) {
  FImportacaoConcluida = false;
  if (!socios_) return;
  OnAntesImportar();
  // The detail follows no master while keys change and rows are written.
  AtualizaDados(nullptr);
  if (cotas_) cotas_->SetIndexFieldNames("");
  TDatabase& db = socios_->Database();
  try {
    TTransaction tr(db);
    util_->GetChaveServidor(*socios_, refs_, cotas_);
    for (TDAOFactory* ds : {static_cast<TDAOFactory*>(socios_), static_cast<TDAOFactory*>(refs_),
                            static_cast<TDAOFactory*>(cotas_)})
      if (ds && util_->DeveImportarRegistroAtual(*ds, cotas_)) GravaLinhas(*ds, db);
    tr.Commit();
    FImportacaoConcluida = true;
  } catch (const std::exception& e) {
    if (util_->FListaDadosParaCopia) util_->FListaDadosParaCopia->clear();
    DlgErroOk(std::string("A importação dos sócios não foi concluída: ") + e.what());
  }
  if (tvImportacao->RootCount() > 0) tvImportacao->SetSelected(tvImportacao->Root(0));
  if (FImportacaoConcluida) socios_->FImportouNaTreeView = true;
}

}  // namespace integracao
