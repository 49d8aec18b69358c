#pragma once
// The real module the model drives: a company database made as the host's demo makes it, the
// platform's services as the host installs them, the module's shipped registry, a loopback Dyq that
// serves the statements the model holds and records every report, and a user who answers the
// screens' questions the same way each time.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/ui/dialogs.h"
#include "host/journeys/ledger_invariants.h"
#include "host/modelo/modelo.h"

namespace vyn {
class TAutoThreadPadrao;
}

namespace vyn {
class TDatabase;
class TFakeHttpServer;
class TTestCompanyDatabase;
}  // namespace vyn

namespace integracao {
class TfrConsultaImportacaoExtratoBancario;
}

namespace modelo {

// The user at the screens: answers each question by what it asks, and keeps what was said to them.
class TUsuario : public vyn::IDialogService {
 public:
  int Message(const vyn::TDialogRequest& request) override;
  bool ShowSegurancaProcesso(const std::string&, bool) override { return true; }
  std::vector<std::string> ChooseFile(const vyn::TFileRequest& request) override;
  bool Shell(const std::string&) override { return true; }
  void ShowInconsistencias(const vyn::TInconsistencias_VYN& list, const std::string& title) override;
  void RunModal(vyn::TForm_VYN& form) override;
  bool ChooseItems(const std::string& title, const std::vector<std::string>& items, std::vector<bool>& checked) override;

  // What the screens said since the last call, a line each.
  std::string Conversa();

 private:
  std::string conversa_;
};

// A line the review offers: its document and value in cents.
struct TOferta {
  std::string Dcto;
  int64_t Centavos = 0;
  bool operator<(const TOferta& o) const { return Dcto != o.Dcto ? Dcto < o.Dcto : Centavos < o.Centavos; }
  bool operator==(const TOferta& o) const { return Dcto == o.Dcto && Centavos == o.Centavos; }
};

// What the books hold of a document: the bank's side and the counterpart's.
struct TLancadoDcto {
  int64_t Banco = 0, Contrapartida = 0;
  int Lancamentos = 0;
};

class TSistema {
 public:
  TSistema();
  ~TSistema();
  TSistema(const TSistema&) = delete;
  TSistema& operator=(const TSistema&) = delete;

  // Dyq serves the statements and the entry files as the model holds them.
  void Publica(const TModelo& m);

  // Dyq's entry-file service lists the files the model holds waiting.
  void PublicaArquivos(const TModelo& m);
  // The scheduled Dyq task runs as the host runs it; answers its status (1 success, 2 inconsistent,
  // 5 error) and, in `mensagem`, what it said.
  int ExecutaTarefaDyq(std::string& mensagem);
  // The files Dyq was told are integrated since the last call, each as often as it was.
  std::multiset<int> ArquivosIntegradosNovos();

  // The user opens the statement in the review (filter dialog, the statement picked, Confirmar); null
  // when the review did not open (the dialog said why).
  integracao::TfrConsultaImportacaoExtratoBancario* AbreRevisao(int extrato);
  static std::multiset<TOferta> Ofertas(integracao::TfrConsultaImportacaoExtratoBancario& t);
  // Gives every line without a counterpart the expense (money out) or revenue (money in) account,
  // through the grid's cells, and presses Importar. `lados`: each document's side; `semConta`: the
  // lines offered for the bank's side alone, given no account, nor is the line `mexida` (its key in
  // the review: the one split or linked).
  void Importa(integracao::TfrConsultaImportacaoExtratoBancario& t, const std::map<std::string, char>& lados,
               const std::set<TOferta>& semConta, int64_t mexida = 0);
  // Links the line offered to the installment of that purchase through the link button's menu and
  // the installments' screen; answers the line's key in the review.
  int64_t Vincula(integracao::TfrConsultaImportacaoExtratoBancario& t, const TOferta& linha, int64_t idDyq, int parcela);
  // Splits the line offered into rows of these values (expenses for money out, revenue for money in);
  // answers the line's key in the review. `idDyq` tells the line from its equal twins (0: none).
  int64_t Divide(integracao::TfrConsultaImportacaoExtratoBancario& t, const TOferta& linha, int64_t idDyq, char lado,
                 const std::vector<int64_t>& linhas);
  // Closes the review and the dialog that opened it.
  void Fecha(integracao::TfrConsultaImportacaoExtratoBancario& t);

  // The suite's entry screen deletes the entry that booked this part of the document on those sides
  // (a settlement's installment keeps its payment). `idDyq`: the statement line's Dyq id, which tells
  // its entries from an equal twin's (0: a line without one; -1: not a statement's line).
  void ApagaLancamento(const std::string& dcto, int64_t centavos, TLado lado, int64_t idDyq);
  // The suite's entry screen books an entry equal to the statement's line.
  void LancaAMao(const TMovimento& m);
  // The fiscal module's purchase with one installment.
  void CriaParcela(int chave, int64_t centavos);
  // The client-folder task runs over the folder as the scheduler runs it: status and message.
  int ExecutaTarefaPasta(std::string& mensagem);
  // The company's closing reaches 31/01/2025; a posting lock of the review over February.
  void EncerraJaneiro();
  void BloqueiaFevereiro();

  std::map<std::string, TLancadoDcto> Lancado();
  // What each purchase's installment holds of payments.
  std::map<int, int64_t> Pago();
  // Dyq's item ids reported integrated since the last call, each as often as it was.
  std::multiset<int> IntegradosNovos();
  // The ledger's rows that break a rule and were not there at the last call.
  std::string ViolacoesNovas();
  // A fresh baseline (a closing makes older entries fall in the closed period: not the run's doing).
  void RelerViolacoes();

  TUsuario& Usuario() { return usuario_; }
  vyn::TDatabase& Db();

 private:
  struct TPlataforma;
  std::unique_ptr<vyn::TTestCompanyDatabase> empresa_;
  std::unique_ptr<vyn::TFakeHttpServer> dyq_;
  std::unique_ptr<TPlataforma> plataforma_;
  TUsuario usuario_;
  vyn::IDialogService* dialogosAntes_ = nullptr;
  int ExecutaTarefa(vyn::TAutoThreadPadrao& task, std::string& mensagem);
  // The source the books' record says the entry booked (empty: none).
  std::string FonteDoLancamento(int64_t chave);
  std::mutex mutex_;
  std::string liberados_;
  std::map<int, std::string> extratos_;   // each statement's lines, as Dyq serves them
  std::string arquivosLista_ = R"({"lancamentos_contabeis":[]})";
  std::map<int, std::string> arquivos_;   // each file's text
  std::string pasta_;                     // the client folder
  size_t retornosLidos_ = 0, marcasLidas_ = 0;
  integracao_host::TInvariantesRazao::TViolacoes violacoes_;
};

}  // namespace modelo
