// The smaller actions of the statement review: the selection menu of the lines grid, the Y570
// message of the inconsistency list, and the screens opened with the review's context.
#include "bankstatement/uConcilacaoOFC.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Desfaz.h"
#include "bankstatement/uImportacaoCompPagto.h"
#include "framework/accounting/contabilizacao_mgr.h"
#include "framework/accounting/itens_conciliados.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/seleciona_filiais.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

// The byte offset of the n-th character (0-based) of a UTF-8 text; its size when shorter.
size_t OffsetCaractere(const std::string& s, size_t n) {
  size_t i = 0;
  for (size_t c = 0; i < s.size() && c < n; ++c) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

}  // namespace

TMenuItem* TfrConsultaImportacaoExtratoBancario::CriaItemSelecao(const char* nome, const char* caption) {
  // The head comes first (declared first); its items are reached only when the grid drops it.
  if (std::string(nome) == "pmSelecao") {
    auto* m = Create<TMenuItem>();
    m->SetName(nome);
    m->SetCaption(caption);
    return m;
  }
  TMenuItem* m = pmSelecao->Add(nome, caption);
  m->OnClick = [this](TComponent* s) { setCheckItem(s); };
  return m;
}

void TfrConsultaImportacaoExtratoBancario::setCheckItem(TComponent* sender) {
  TDAOFactory* l = DAOAtual();
  if (!sender || !l || l->IsEmpty()) return;
  const std::string nome = sender->Name();
  enum { Todos, Acima, Abaixo } linhas = Todos;
  if (nome == "miSelecionarTodosAcima" || nome == "miTirarSelecaoTodosAcima") linhas = Acima;
  if (nome == "miSelecionarTodosAbaixo" || nome == "miTirarSelecaoTodosAbaixo") linhas = Abaixo;
  const bool inverte = nome == "miInverterSelecao";
  const bool valor = nome == "miSelecinarTodos" || nome == "miSelecionarTodosAcima" || nome == "miSelecionarTodosAbaixo";
  const bool prep = UpperCase(grGrid->SelectedField) == "BDTRANSPREP";
  TDisabledControls controles(l);
  const int recno = l->RecNo();
  TDesfazLinhas desfaz(*l);
  auto marca = [&] {
    // A line without a bank side has no conciliation mark to set.
    const std::string coluna = prep ? "BDTRANSPREP" : MarcaLadoBanco(*l);
    if (coluna.empty() || !l->FindField(coluna)) return;
    desfaz.Guarda();
    l->Edit();
    SetFlag(*l, coluna, inverte ? !Flag(*l, coluna) : valor);
    if (!prep)
      Set(*l, "bdTipoConc",
          Variant(TLancamentoMGR::getTipoConciliacao(this, true, Txt(*l, "bdCONCC"), Txt(*l, "bdCONCD"),
                                                     Txt(*l, "bdCODEMP"), Txt(*l, "bdCHAVE"), coluna, false,
                                                     Txt(*l, "bdTipoConc"))));
    l->Post();
  };
  try {
    if (linhas == Todos) {
      for (l->First(); !l->Eof(); l->Next()) marca();
    } else if (linhas == Acima) {
      for (int r = recno; r >= 1; --r) {
        l->SetRecNo(r);
        marca();
      }
    } else {
      const int total = l->RecordCount();
      for (int r = recno; r <= total; ++r) {
        l->SetRecNo(r);
        marca();
      }
    }
  } catch (...) {
    desfaz.Desfaz();
    if (recno > 0 && recno <= l->RecordCount()) l->SetRecNo(recno);
    throw;
  }
  if (recno > 0 && recno <= l->RecordCount()) l->SetRecNo(recno);
}

void TfrConsultaImportacaoExtratoBancario::Inconsistencias_VYNExecuteItem(const std::string& texto) {
  if (texto.find(kTextoY570) == std::string::npos) return;
  // "Lançamento <key>: ..." - the key starts at the twelfth character, whatever its bytes.
  const size_t inicio = OffsetCaractere(texto, 11);
  const size_t fim = texto.find(':');
  if (fim == std::string::npos || fim <= inicio) return;
  const std::string chave = Trim(texto.substr(inicio, fim - inicio));
  TDAOFactory* l = DAOLinhas();
  if (!l || l->IsEmpty() || chave.empty()) return;
  const int recno = l->RecNo();
  bool achou = false;
  {
    TDisabledControls controles(l);
    for (l->First(); !l->Eof(); l->Next()) {
      if (Txt(*l, "bdchave") != chave) continue;
      AtualizarStatusBotoes();
      achou = spY570->Enabled();
      if (achou) break;
    }
    if (!achou && recno > 0 && recno <= l->RecordCount()) l->SetRecNo(recno);
  }
  if (achou) {
    LinhasSelecionadas.clear();
    spY570->Click();
    return;
  }
  AtualizarStatusBotoes();
}

void TfrConsultaImportacaoExtratoBancario::spConciliacaoAutClick(TComponent*) {
  auto* f = CreateForm<TfrConciliacaoOFC>(*this);
  if (FCodEmp) {
    f->edCODEMP->Vale(FCodEmp->Codigo());
    f->edCODEMP->Validate();
  }
  f->edCODEMP->SetEnabled(false);
  for (const auto& [de, para] : {std::pair<TComponent*, TEdit_Date_Padrao_VYN*>{FDtIni, f->edDATINI},
                                 std::pair<TComponent*, TEdit_Date_Padrao_VYN*>{FDtFim, f->edDATFIN}})
    if (auto* origem = dynamic_cast<TEdit_Date_Padrao_VYN*>(de)) para->SetText(origem->Text());
  if (FEditConta) {
    f->edCODCTA->Vale(FEditConta->Codigo());
    f->edCODCTA->Validate();
  }
  f->FLancamentoDAO = dynamic_cast<TLancamentoMGR*>(DAOAtual());
  f->Show();
}

void TfrConsultaImportacaoExtratoBancario::spImportarModeloClick(TComponent*) {
  TListaObj p;
  p.Posicao(picEmpresa).Add(FCodEmp);
  p.Posicao(picLinhas).Add(DAOAtual());
  p.Posicao(picMultiplos).Add(DAOMulti());
  p.Posicao(picProcessoBaixas).AddObject(FProcessoBaixas.get());
  p.Posicao(picRevisao).Add(this);
  p.Posicao(picConta).Add(FEditConta);
  p.Posicao(picReservado).AddNil();
  // The receipt import runs to its end before the review goes on.
  TPackagesUtil::CarregaFormParamsObj("TfrImportacaoCompPagto", this, std::move(p), nullptr, true);
}

std::string TfrConsultaImportacaoExtratoBancario::SQLLancamentosConciliados(std::vector<Variant>& params) {
  params.clear();
  std::vector<int64_t> chaves;
  TDAOFactory* l = DAOLinhas();
  if (auto* mgr = dynamic_cast<TLancamentoMGR*>(l); mgr && !l->IsEmpty())
    chaves = ChavesConciliadas(*mgr, Int(*l, "bdCODEMP"), Int(*l, "bdCHAVE"));
  if (chaves.empty()) chaves.push_back(0);
  std::string lista;
  params.resize(chaves.size() + 1);
  params[0] = Variant(static_cast<int>(FCodEmp ? FCodEmp->Codigo() : 0));
  size_t i = 0;
  for (int64_t k : chaves) {
    lista += lista.empty() ? "?" : ", ?";
    params[++i] = Variant(static_cast<int>(k));
  }
  return "select BDCHAVE as Chave, BDDATA as Data, BDCODHIST as BDPLANOHIST, BDCODTPHI as \"Histórico\", "
         "BDCODPLAPADRAO as BDPLANOCONTA, BDDEBITO as \"Débito\", BDCREDITO as \"Crédito\", BDVALOR as Valor, "
         "BDCOMPL as Complemento, BDTRANSACAO as \"Transação\", BDCODEMP \"Empresa\" "
         "from VZEL_EMPRESAS_TLAN where BDCODEMP = ? and (BDCHAVE IN (" +
         lista + "))";
}

void TfrConsultaImportacaoExtratoBancario::spOnlineClick(TComponent*) {
  std::vector<Variant> params;
  const std::string sql = SQLLancamentosConciliados(params);
  // The consultation runs plain SQL text: the parameters, all integers of the review, go in as numbers.
  std::string texto;
  size_t p = 0;
  for (char c : sql) {
    if (c == '?' && p < params.size())
      texto += std::to_string(params[p++].AsInteger());
    else
      texto += c;
  }
  auto* f = CreateForm<TfrConsultaContabilizacao>(*this);
  f->SetSQL(texto);
  f->Atualiza();
  f->Show();
}

}  // namespace integracao
