#include "partners/uConsultaImportacaoSociosTreeView.h"

#include <map>

#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/fields_container.h"
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

// Field, caption, hidden (H) and key (K) flags of a review column.
struct Coluna {
  const char* campo;
  const char* titulo;
  const char* flags = "";
};

const std::vector<Coluna> kColunasSocios = {
    {"BDCODEMP", "Empresa", "K"}, {"BDCODSOC", "Código sócio", "K"}, {"BDNOMSOC", "Nome"},
    {"BDEXTERIORSOC", "Exterior"}, {"BDCODPAIS", "Código país"}, {"BDCGCCEISOC", "CNPJ/CPF/CEI"},
    {"BDRGSOC", "RG"}, {"BDORGEMISOC", "Orgão emissor"}, {"BDRESPONSAVELSOC", "", "H"},
    {"BDDATANASCSOC", "Data de nascimento"}, {"BDCEPSOC", "CEP"}, {"BDENDSOC", "Endereço"},
    {"BDLOGRSOC", "Logradouro"}, {"BDNUMSOC", "Número"}, {"BDCOMPLSOC", "Complemento"},
    {"BDCODCID", "Código cidade"}, {"BDDDDSOC", "DDD", "H"}, {"BDTELRESSOC", "Telefone", "H"},
    {"BDDDDFAXSOC", "DDD Fax", "H"}, {"BDFAXSOC", "Fax", "H"}, {"BDDDCELSOC", "DDD Celular", "H"},
    {"BDTELCELSOC", "Celular", "H"}, {"BDDATAENTSOC", "Entrada na sociedade"},
    {"BDDATASAISOC", "Data saída da sociedade"}, {"BDCODCBO", "Código CBO"}, {"BDEMAILSOC", "E-mail", "H"},
    {"BDQUALIFICACAOSOC", "Qualificação"}, {"BDQUALILEGALDIPJSOC", "Qualificação DIPJ"},
    {"BDQUALIRESPLEGALSOC", "Qualificação (Rep. Legal-DIPJ)"}, {"BDQUALISPEDSOC", "Qualificação Sped"},
    {"BDCODCTA", "Código conta dist. de lucros"}, {"BDCODTER", "Código partipante part. de lucros"},
    {"BDCODCTACONV", "Código conta convênio"}, {"BDCODTERCONV", "Código participante convênio"},
    {"BDCODCTAEMPREST", "Código conta empréstimos a sócios"}, {"BDCODTEREMPREST", "Código part. empréstimos "},
    {"BDCODPAISORIG", "Código país origem"}, {"BDNATURALIZADO", "Naturalizado brasileiro"},
    {"BDPORTNAT", "Portaria da naturalização"}, {"BDDATANATURALIZACAO", "Data de naturalização"},
    {"BDDATACHEBRASIL", "Data de chegada ao Brasil"}, {"BDSEXO", "Sexo"}, {"BDDATAEMIRG", "Data emissão do RG"},
    {"BDCODCIDNASC", "Código cidade de nascimento"}, {"BDGRAUINST", "Grau de instrução"},
    {"BDINSCNIT", "Inscrição NIT"}, {"BDINDNIF", "Indicador NIF"}, {"BDNUMNIF", "NIF"},
    {"BDFORMATRIBU", "Forma de tributação"}, {"BDFALECIDO", "Falecido"}, {"BDDATAOBITO", "Data do óbito"},
    {"BDSITESPOLIO", "Situação do espólio", "H"}, {"BDCPFINVENTARIANTE", "CPF do inventariante", "H"},
    {"BDNOMEINVENTARIANTE", "Nome do inventariante", "H"}, {"BDESTCIVILSOC", "Estado civil"},
    {"BDSOCREPRESENTANTE", "", "H"}};

const std::vector<Coluna> kColunasCotas = {
    {"BDCODEMP", "", "HK"}, {"BDCODSOC", "", "HK"}, {"BDREFCOTA", "Referência", "HK"},
    {"BDPRESCOTA", "Particip. do result (%)"}, {"BDCAPTOTCOTA", "Capital total (%)"},
    {"BDCAPVOLCOTA", "Capital votante (%)"}, {"BDRENISECOTA", "Rendimentos isentos"},
    {"BDRENTRICOTA", "Rendimentos tributáveis"}, {"BDIRFONTCOTA", "IR retino na fonte"},
    {"BDREMTRACOTA", "Rem. do trabalho (R$)"}, {"BDDEMRENCOTA", "Demais rendimentos"},
    {"BDQTDCOTA", "Quantidade de cotas"}, {"BDPERCCOTA", "Percentual de cotas"}, {"BDVALCOTA", "Valor das cotas"},
    {"BDCODREC", "Código de receita"}, {"BDVALOREMPRESTIMO", "Valor empréstimos"},
    {"BDVALORDISTRIBLUCRO", "Valor distribuição lucros"}, {"BDCOMPENVIO", "Competência do envio"},
    {"BDVALORCONVENIO", "Valor convênio"}, {"BDCODRECCONVENIO", "Código receita convênio"}};

void Preenche(TFieldsContainer& fc, const std::vector<Coluna>& colunas) {
  for (const Coluna& c : colunas) {
    TFieldsContainerItem& i = fc.Add(c.campo, c.titulo);
    const std::string flags = c.flags;
    i.Visible = flags.find('H') == std::string::npos;
    i.Key = flags.find('K') != std::string::npos;
  }
}

bool Percentual(const std::string& campo) {
  for (const char* c : {"BDPRESCOTA", "BDCAPTOTCOTA", "BDCAPVOLCOTA", "BDPERCCOTA"})
    if (SameText(campo, c)) return true;
  return false;
}

// The cell text as a value of the column's kind; false when it does not fit.
bool Converte(const TField& f, const std::string& texto, Variant& out) {
  const std::string t = Trim(texto);
  if (t.empty()) return out = Variant(), true;
  switch (f.DataType()) {
    case TFieldType::ftInteger:
    case TFieldType::ftSmallint:
    case TFieldType::ftLargeint: {
      if (OnlyDigits(t) != t || t.size() > 18) return false;
      out = Variant(static_cast<long long>(std::stoll(t)));
      return true;
    }
    case TFieldType::ftCurrency:
    case TFieldType::ftFloat: {
      Currency c;
      if (!Currency::TryParse(t, c)) return false;
      out = Variant(c);
      return true;
    }
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
      TDateTime d;
      if (!TryStrToDate(t, d)) return false;
      out = Variant(d);
      return true;
    }
    default:
      out = Variant(t);
      return true;
  }
}

// Writes the rows `importa` lets through.
template <typename F>
void GravaLinhas(TDAOFactory& ds, TDatabase& db, F importa) {
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
    if (!importa()) continue;
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
    if (FSociosFora && FSociosFora->count(b)) continue;
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
  // The list holds the partners of the import being committed: pressing import again must not
  // queue every partner a second time for the branches.
  FListaDadosParaCopia->clear();
  for (socios.First(); !socios.Eof(); socios.Next())
    if (!FSociosFora || !FSociosFora->count(socios.GetBookmark()))
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
      spCancelar(Create<TSpeedButton>()),
      fcSocios(Create<TFieldsContainer>()),
      fcCotas(Create<TFieldsContainer>()),
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
  spCancelar->SetName("spCancelar");
  spCancelar->OnClick = [this](TComponent* s) { spCancelarClick(s); };
  util_->FSociosFora = &sociosFora_;
  CriaFieldsContainers();
}

void TfrConsultaImportacaoSociosTreeView::CriaFieldsContainers() {
  fcSocios->SetName("fcSocios");
  fcCotas->SetName("fcCotas");
  Preenche(*fcSocios, kColunasSocios);
  Preenche(*fcCotas, kColunasCotas);
  // The editor takes any text; the column's kind decides here, so a cell refuses what its field
  // cannot hold instead of storing it as typed.
  for (TFieldsContainer* fc : {fcSocios, fcCotas}) {
    fc->OnValidaCampo = [fc](const TFieldsContainerItem& item, TControl*, const std::string& texto) {
      Variant valor;
      return fc->DataSet() && ValorDaCelula(*fc->DataSet(), item.FieldName, texto, valor);
    };
    fc->OnSalvaCampo = [fc](const TFieldsContainerItem& item, TControl*, const std::string& texto) {
      TClientDataSet& ds = *fc->DataSet();
      Variant valor;
      ValorDaCelula(ds, item.FieldName, texto, valor);
      ds.Edit();
      ds.FieldByName(item.FieldName).SetValue(valor);
      ds.Post();
      return true;
    };
  }
}

bool TfrConsultaImportacaoSociosTreeView::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaImportacaoSociosTreeView") || TForm_VYN::InheritsFrom(class_name);
}

void TfrConsultaImportacaoSociosTreeView::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, prsCopiaMatrizFilial + 1, "Esta tela é aberta pela importação de sócios.");
  inconsistencias_ = lista.Get<TInconsistencias_VYN>(prsInconsistencias);
  util_->FInconsistencias = inconsistencias_;
  socios_ = lista.Get<TSociosMGR>(prsSocios);
  refs_ = lista.Get<TEMPRESAS_TSOC_REFMGR>(prsReferencias);
  cotas_ = lista.Get<TEmpresas_TSoc_CotasMGR>(prsCotas);
  if (socios_ && !socios_->IsEmpty()) {
    socios_->First();
    FEmpresa = static_cast<int>(socios_->FieldByName("BDCODEMP").AsInteger());
  } else if (auto* emp = lista.Get<TEdit_Codigo_Search_VYN>(prsEmpresa)) {
    FEmpresa = static_cast<int>(emp->Codigo());
  }
  TForm_VYN::SetListaObj(lista);
  util_->SetCodEmp(FEmpresa);
  util_->FListaDadosParaCopia = lista.GetObject<std::vector<TDadosCopiaSociosMatrizFilial>>(prsCopiaMatrizFilial);
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
  grDados->EditaCelula = nullptr;
  if (cotas_ && cotas_->MasterSource()) {
    cotas_->SetMasterSource(nullptr);
    cotas_->SetMasterFields("");
  }
  dsItens_->SetDataSet(nullptr);
  grItens->Columns.clear();
  grItens->EditaCelula = nullptr;
  grItens->SetEnabled(false);
  atual_ = node ? static_cast<TClientDataSet*>(node->Data) : nullptr;
  if (node) SetFieldsContainerGrid();
}

void TfrConsultaImportacaoSociosTreeView::SetFieldsContainerGrid() {
  if (!atual_ || atual_ != socios_) return;
  grItens->SetEnabled(true);
  if (refs_) refs_->First();
  dsDados_->SetDataSet(socios_);
  if (cotas_) {
    cotas_->SetIndexFieldNames("BDCODEMP;BDCODSOC;BDREFCOTA");
    cotas_->SetMasterFields("BDCODEMP;BDCODSOC");
    cotas_->SetMasterSource(dsDados_);
    dsItens_->SetDataSet(cotas_);
    fcCotas->SetDataSet(cotas_);
    fcCotas->SetGridSearch(grItens);
  }
  fcSocios->SetDataSet(socios_);
  fcSocios->SetGridSearch(grDados);
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
  // Partners left out take their references and quotas with them (codes read before renumbering:
  // rows left out keep theirs).
  std::set<int64_t> codigosFora;
  for (TBookmark b : sociosFora_) {
    socios_->GotoBookmark(b);
    codigosFora.insert(socios_->FieldByName("BDCODSOC").AsInteger());
  }
  auto socioFica = [&](TClientDataSet& ds) { return !codigosFora.count(ds.FieldByName("BDCODSOC").AsInteger()); };
  TDatabase& db = socios_->Database();
  // A failed press leaves the list as the last committed import left it.
  std::vector<TDadosCopiaSociosMatrizFilial> copiaAnterior;
  if (util_->FListaDadosParaCopia) copiaAnterior = *util_->FListaDadosParaCopia;
  try {
    TTransaction tr(db);
    util_->GetChaveServidor(*socios_, refs_, cotas_);
    if (util_->DeveImportarRegistroAtual(*socios_, cotas_))
      GravaLinhas(*socios_, db, [&] { return !sociosFora_.count(socios_->GetBookmark()); });
    if (refs_ && util_->DeveImportarRegistroAtual(*refs_, cotas_)) GravaLinhas(*refs_, db, [&] { return socioFica(*refs_); });
    if (cotas_ && util_->DeveImportarRegistroAtual(*cotas_, cotas_))
      GravaLinhas(*cotas_, db, [&] { return socioFica(*cotas_) && !cotasFora_.count(cotas_->GetBookmark()); });
    tr.Commit();
    FImportacaoConcluida = true;
  } catch (const std::exception& e) {
    if (util_->FListaDadosParaCopia) *util_->FListaDadosParaCopia = std::move(copiaAnterior);
    DlgErroOk(std::string("A importação dos sócios não foi concluída: ") + e.what());
  }
  if (tvImportacao->RootCount() > 0) tvImportacao->SetSelected(tvImportacao->Root(0));
  if (FImportacaoConcluida) socios_->FImportouNaTreeView = true;
}

void TfrConsultaImportacaoSociosTreeView::spCancelarClick(TComponent*) {
  SetModalResult(mrCancel);   // closes a modal form
  if (Showing()) Close();
}

TClientDataSet* TfrConsultaImportacaoSociosTreeView::SetDaGrade(TDBGrid_Padrao_VYN* grid) const {
  if (grid == grDados) return atual_;
  if (grid == grItens && grItens->Enabled()) return cotas_;
  return nullptr;
}

bool TfrConsultaImportacaoSociosTreeView::ValorDaCelula(TClientDataSet& ds, const std::string& campo,
                                                        const std::string& texto, Variant& valor) {
  TField* f = ds.FindField(campo);
  if (!f) return false;
  if (!Converte(*f, texto, valor))
    return DlgWarOk("Valor inválido para o campo " + campo + ": \"" + texto + "\"."), false;
  if (Percentual(campo) && !valor.IsNull() &&
      (valor.AsCurrency() < Currency::FromInt(0) || valor.AsCurrency() > Currency::FromInt(100)))
    return DlgWarOk("O valor do campo " + campo + " deve estar entre 0% e 100%."), false;
  return true;
}

void TfrConsultaImportacaoSociosTreeView::MarcaLinha(TDBGrid_Padrao_VYN* grid) {
  TClientDataSet* ds = SetDaGrade(grid);
  if (!ds || ds->IsEmpty()) return;
  std::set<TBookmark>& marcas = ds == cotas_ ? cotasFora_ : sociosFora_;
  const TBookmark b = ds->GetBookmark();
  if (!marcas.erase(b)) marcas.insert(b);
}

bool TfrConsultaImportacaoSociosTreeView::LinhaMarcada(TDBGrid_Padrao_VYN* grid) const {
  TClientDataSet* ds = SetDaGrade(grid);
  if (!ds || ds->IsEmpty()) return false;
  return (ds == cotas_ ? cotasFora_ : sociosFora_).count(ds->GetBookmark()) > 0;
}

}  // namespace integracao
