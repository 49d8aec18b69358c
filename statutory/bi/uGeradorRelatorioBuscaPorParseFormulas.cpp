#include "statutory/bi/uGeradorRelatorioBuscaPorParseFormulas.h"

#include <vector>

#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"

namespace integracao {

using namespace vyn;

std::unique_ptr<TParserImpostoVYN> TBuscaFormulasPorParse::CriaParserImposto() {
  return std::make_unique<TParserEF>(nullptr);
}

TParserPelmorin* TBuscaFormulasPorParse::CriaParserSaldos() { return Create<TParserPelmorin>(); }

std::unique_ptr<TParserFormulaVYN> TBuscaFormulasPorParse::CriaParserFormula() {
  return std::make_unique<TParserFormulaVYN>(nullptr);
}

void TBuscaFormulasPorParse::BloquearMessagemIndesejada(TInconsistencias_VYN& lista) {
  if (lista.Count() == 0 || lista.getItemObjeto(0).Caption.find(kMsgFormulaTipoCalculoInvalido) == std::string::npos)
    return;
  // Only that message goes: whatever else the parser reported still reaches the user.
  std::vector<std::string> remover;
  for (const auto& item : lista.Itens())
    if (item.Caption.find(kMsgFormulaTipoCalculoInvalido) != std::string::npos) remover.push_back(item.Caption);
  for (const auto& texto : remover) lista.RemoveTexto(texto);
  if (lista.Count() == 0) lista.Execute(true, true, true, true, "");
}

void TBuscaFormulasPorParse::GuardaMensagens(const TInconsistencias_VYN& lista) {
  for (const auto& item : lista.Itens()) {
    const std::string texto = RemoveCaret(item.Caption);
    if (FMotivoSemValor.find(texto) != std::string::npos) continue;   // the fallback says it again
    FMotivoSemValor += (FMotivoSemValor.empty() ? "" : "\r\n") + texto;
  }
}

Variant TBuscaFormulasPorParse::ExecuteSaldos(const std::string& texto, int CodEmp, const std::string& Referencia,
                                              const std::string& DataIni, const std::string& DataFim,
                                              int Contabilizacao, bool IgnZeramento) {
  TParserPelmorin* parser = CriaParserSaldos();
  struct TLibera {
    TComponent* dono;
    TComponent* parser;
    ~TLibera() { dono->FreeComponent(parser); }
  } libera{this, parser};

  parser->Opcoes = {3, 0, 1, 2};
  parser->Flag1 = true;
  parser->Flag2 = false;
  parser->Contador1 = 1;
  parser->Contador2 = 1;
  parser->Contador3 = 0;
  parser->SetSource(texto);

  const TDateTime ini = StrToDate(DataIni);
  const TDateTime fim = StrToDate(DataFim);
  parser->SetContexto(std::to_string(CodEmp), "", ini, fim, IgnZeramento, Contabilizacao, Contabilizacao);

  TInformacoesSetSaldo info;
  info.CodEmp = CodEmp;
  info.Referencia = Referencia;
  info.DataIni = DataIni;
  info.DataFim = DataFim;
  info.Contabilizacao = Contabilizacao;
  info.IgnZeramento = IgnZeramento ? 1 : 0;
  // The balances live on the connection, which other evaluators share: the handle's cache holds only
  // while the connection still has its preparation.
  if (!(info == FInfoSetSaldo) ||
      !parser->SaldoPreparadoPara(std::to_string(CodEmp), ini, fim, Contabilizacao, info.IgnZeramento)) {
    // The context counts as prepared only once setSaldo has done it: a failed preparation must not
    // let the next call with the same values skip it.
    FInfoSetSaldo = TInformacoesSetSaldo();
    parser->setSaldo(nullptr, std::to_string(CodEmp), "", ini, fim, Contabilizacao, info.IgnZeramento, 0, false, 1,
                     0, false, TDateTime(), TDateTime());
    FInfoSetSaldo = info;
  }

  parser->Run(CodEmp, Referencia, DataIni, DataFim, Contabilizacao, 0, 0, 0);
  BloquearMessagemIndesejada(parser->Inconsistencias());
  GuardaMensagens(parser->Inconsistencias());
  return parser->ResultValue;
}

Variant TBuscaFormulasPorParse::Execute(const std::string& Formula, const std::string& Complemento, int TipoCalculo,
                                        int CodEmp, const std::string& Referencia, const std::string& DataIni,
                                        const std::string& DataFim, int Contabilizacao, bool IgnZeramento,
                                        const std::string& /*Reservado*/, const std::string& Parametro) {
  const std::string texto = Formula + Complemento;
  Variant resultado;
  FMotivoSemValor.clear();

  if (TipoCalculo == 3) {
    auto parser = CriaParserImposto();
    parser->Execute(texto, CodEmp, Referencia, DataIni, DataFim, kPerApuracaoImposto, Parametro, "", resultado);
    BloquearMessagemIndesejada(parser->Inconsistencias());
    GuardaMensagens(parser->Inconsistencias());
  } else if (TipoCalculo == 4) {
    resultado = ExecuteSaldos(texto, CodEmp, Referencia, DataIni, DataFim, Contabilizacao, IgnZeramento);
  }

  if (resultado.IsNull()) {
    auto parser = CriaParserFormula();
    parser->Avalia(texto, CodEmp, Referencia, DataIni, DataFim, kPerApuracaoGeral, Parametro, "", resultado);
    BloquearMessagemIndesejada(parser->Inconsistencias());
    GuardaMensagens(parser->Inconsistencias());
  }
  if (!resultado.IsNull()) FMotivoSemValor.clear();
  return resultado;
}

}  // namespace integracao
