#include "framework/accounting/importacao_lanc_planilha.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <utility>

#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/arquivo_importacao.h"
#include "framework/data/planilha_servico.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"

namespace vyn {

namespace {

std::string Tipo(const std::vector<std::string>& celulas) {
  return celulas.empty() ? std::string() : UpperCase(Trim(celulas[0]));
}

bool EhRegistro(const std::vector<std::string>& celulas) {
  const std::string t = Tipo(celulas);
  if (t == "L" || t == "C" || t == "P") return true;
  TDateTime d;
  return celulas.size() > 2 && TryStrToDate(Trim(celulas[2]), d);
}

// A row as a record of the text layout: every cell quoted, so a cell holding the separator or quotes
// stays one field. A line break inside a cell becomes a blank: a record is one line.
std::string LinhaTxt(std::vector<std::string> celulas) {
  while (!celulas.empty() && Trim(celulas.back()).empty()) celulas.pop_back();
  if (celulas.empty() || Trim(celulas[0]).rfind('#', 0) == 0) return {};
  std::string r;
  for (size_t i = 0; i < celulas.size(); ++i) {
    if (i) r += ',';
    r += '"';
    for (size_t k = 0; k < celulas[i].size(); ++k) {
      const char c = celulas[i][k];
      if (c == '"') r += "\"\"";
      else if (c == '\r' && k + 1 < celulas[i].size() && celulas[i][k + 1] == '\n') continue;
      else if (c == '\r' || c == '\n') r += ' ';
      else r += c;
    }
    r += '"';
  }
  return r;
}

}  // namespace

TPlanilhaLancamentosTxt PlanilhaParaLancamentosTxt(const TLinhasPlanilha& linhas) {
  TPlanilhaLancamentosTxt r;
  r.UltimaLinha = static_cast<int>(linhas.size());
  int ultima = 0;
  for (size_t i = 0; i < linhas.size(); ++i)
    if (EhRegistro(linhas[i])) {
      if (!r.PrimeiraLinhaDados) r.PrimeiraLinhaDados = static_cast<int>(i) + 1;
      ultima = static_cast<int>(i) + 1;
    }
  r.LinhasFinais = r.UltimaLinha - ultima;
  for (int n = 1; n <= ultima; ++n) {
    if (n >= r.PrimeiraLinhaDados) r.Texto += LinhaTxt(linhas[static_cast<size_t>(n - 1)]);
    r.Texto += '\n';
  }
  return r;
}

int LinhaRecusadaNaMensagem(const std::string& mensagem) {
  static const std::string kInicio = "Linha ";
  static const std::string kRecusa = " do arquivo não importada";
  if (mensagem.rfind(kInicio, 0) != 0) return 0;
  size_t fim = kInicio.size();
  while (fim < mensagem.size() && fim - kInicio.size() < 9 && std::isdigit(static_cast<unsigned char>(mensagem[fim])))
    ++fim;
  if (fim == kInicio.size() || mensagem.compare(fim, kRecusa.size(), kRecusa) != 0) return 0;
  return std::stoi(mensagem.substr(kInicio.size(), fim - kInicio.size()));
}

std::set<int> TDadosAdicionaisPlanilha::LinhasRecusadas() const {
  std::set<int> r;
  if (!Mensagens) return r;
  const std::vector<TInconsistenciaItem>& itens = Mensagens->Itens();
  for (size_t i = PrimeiraMensagem; i < itens.size(); ++i)
    if (const int linha = LinhaRecusadaNaMensagem(itens[i].Caption)) r.insert(linha);
  return r;
}

std::vector<int> LinhasMantidasPlanilha(const TPlanilhaVYN& planilha, const std::set<int>& deixadas) {
  std::vector<int> mantidas, participantes;
  bool lancamentoMantido = false;
  for (int n = 1; n <= planilha.Linhas(); ++n) {
    const std::string t = Tipo(planilha.Celulas(n));
    if (t == "P") {
      participantes.push_back(n);
    } else if (t == "C") {
      if (lancamentoMantido) mantidas.push_back(n);
    } else {
      const bool mantida = deixadas.count(n) > 0;
      if (mantida) mantidas.push_back(n);
      if (t == "L") lancamentoMantido = mantida;
    }
  }
  if (!mantidas.empty()) mantidas.insert(mantidas.end(), participantes.begin(), participantes.end());
  std::sort(mantidas.rbegin(), mantidas.rend());
  return mantidas;
}

void TLancamentoMGR::GetImportacaoLancPlanilha(int tipoSistema, TEdit_Codigo_Search_VYN* codEmp,
                                               TEdit_Codigo_Search_VYN* codPlaTroca, const std::string& caminho,
                                               TComponent* owner, const std::string&, bool b,
                                               TBloqueioLancamento_VYN* bloqueio, TSpeedButton* transacaoAut,
                                               const std::string& dataIni, const std::string& dataFim,
                                               TSelecionaFiliais_VYN* filiais, int flag, bool alterarComplemento) {
  TInconsistencias_VYN* lista = bloqueio ? bloqueio->Inconsistencias() : nullptr;
  const int empresa = codEmp ? static_cast<int>(codEmp->Codigo()) : 0;
  TLinhasPlanilha linhas;
  std::string aviso;
  try {
    linhas = LerPastaTrabalho(caminho, &aviso);
  } catch (const EArquivoImportacao& e) {
    // Unattended, the file's failure is its caller's to record (a client folder goes on with the next
    // file); a user is told at once.
    if (IsUnattended()) throw;
    if (lista) lista->Add_Erro(empresa, e.what());
    DlgWarOk(e.what());
    return;
  }
  // Entries on the other sheets are not read: the user must know they were left.
  if (!aviso.empty() && lista) lista->Add_Atencao(empresa, aviso);
  const TPlanilhaLancamentosTxt planilha = PlanilhaParaLancamentosTxt(linhas);
  // The importer hands the last additional data the manager owns to the review: this one.
  auto* adicionais = Create<TDadosAdicionaisPlanilha>();
  adicionais->Mensagens = lista;
  adicionais->PrimeiraMensagem = lista ? lista->Itens().size() : 0;
  adicionais->IsPlanilha = true;
  adicionais->CaminhoPlanilha = caminho;
  adicionais->UltimaLinha = planilha.UltimaLinha;
  adicionais->PrimeiraLinhaDados = planilha.PrimeiraLinhaDados > 0 ? planilha.PrimeiraLinhaDados : 1;
  adicionais->LinhasFinais = planilha.LinhasFinais;
  // Only the staged review knows a sheet's rows and leaves the copy of those it did not import; the
  // manager's own choice stands for what it imports next.
  struct TRestaura {
    std::string& classe;
    std::string antes;
    ~TRestaura() { classe = antes; }
  } restaura{ClasseRevisao, std::exchange(ClasseRevisao, kClasseRevisaoArquivoGrande)};
  // The records were written with the layout's own separator, whatever the caller reads text with.
  std::istringstream in(planilha.Texto);
  GetImportacaoLancTxt(tipoSistema, codEmp, codPlaTroca, in, owner, ",", b, bloqueio, transacaoAut, dataIni,
                       dataFim, filiais, flag, alterarComplemento, nullptr);
}

}  // namespace vyn
