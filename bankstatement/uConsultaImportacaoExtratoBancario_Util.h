#pragma once
// The per-line engine of the statement review: which lines the import writes, the server keys of
// lines and rules, the rules' write and the reports after the import.
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/importacao_treeview.h"

namespace integracao {

class TfrConsultaImportacaoExtratoBancario;

class TUtilImportacao_ExtratoBancario_Treeview : public vyn::TUtilImportacao_Integracao_Treeview {
 public:
  using TUtilImportacao_Integracao_Treeview::TUtilImportacao_Integracao_Treeview;
  std::string ClassName() const override { return "TUtilImportacao_ExtratoBancario_Treeview"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The run imports only lines with both accounts (menu "Importar apenas os lançamentos preparados").
  bool FApenasPrep = false;

  void SetListaObj(const vyn::TListaObj* lista) { FLista = lista; }
  bool getAmbienteTeste() const;
  // Position 6 of the opener's array: the statement's bank or cash account.
  int ContaBanco() const;
  // Whether the current line is reconciled on its bank side.
  bool ConciliadoLadoBanco(const vyn::TClientDataSet& ds) const;
  // Spreads a line's mark over its split lines (and a split line's mark back to the line).
  static void SetInconsistenciaMulti(vyn::TClientDataSet& ds);

  // The linked lines' settlements, inside the run's transaction.
  void GetAntesValidacao() override;
  void GetAposInconsistencia() override;
  void GetChaveServidor() override;
  bool DeveImportarRegistroAtual(vyn::TDAOFactory& ds) override;
  int GravaNodoAdicional(vyn::TNodoImportacao& nodo) override;
  // Records the Dyq items the run booked, with its entries.
  void GetAposGravacao() override;
  void ProcessosClassesFilhasAposImportacao() override;
  // The run's end message, naming the lines ticked reconciled that nothing booked.
  void MostraMensagemFimImportacao(const std::string& texto) override;
  // Every line the run left in the review: refused, returned, left out by "only prepared", ticked
  // reconciled without an entry, or settled for less.
  size_t ContaNaoImportados(size_t recusadasNaExecucao) const override;
  // Statement lines, not rows: a line booked as split rows (or as a receipt's parts) is one line.
  long long ContaImportados(int gravadasELiquidadas) const override;

  // The lines the last "only prepared" run left out go back to the import (their mark was the
  // run's, not theirs).
  void DevolveForaPorPreparo(vyn::TDAOFactory& linhas);

  // The first posted entry the line is reconciled with, in the run under way (0: none).
  int LancamentoConciliado(vyn::TBookmark linha) const {
    auto it = FLancamentosConciliados.find(linha);
    return it == FLancamentosConciliados.end() ? 0 : it->second;
  }

  // Whether the last run reached its end (committed).
  bool Concluida() const { return FConcluida; }
  void IniciaExecucao() {
    FConcluida = false;
    FLinhasImportadas = -1;
  }

 private:
  TfrConsultaImportacaoExtratoBancario* Revisao() const;
  const vyn::TListaObj* FLista = nullptr;
  bool FConcluida = false;
  long long FLinhasImportadas = -1;   // the statement lines this run booked; -1: not counted yet
  std::vector<vyn::TBookmark> FForaPorPreparo;
  std::vector<vyn::TBookmark> FConciliadas;   // lines booked by entries already posted, this run
  std::map<vyn::TBookmark, int> FLancamentosConciliados;
  // Lines ticked reconciled by hand without a posted entry, this run ("key (value)").
  std::vector<std::string> FConciliadasSemLancamento;
  // (company, key) of the lines the run under way booked whole (their account has nothing left).
  std::set<std::pair<int, int>> FCompletas;
};

}  // namespace integracao
