#pragma once
// A user's moves across the statement roads, each against the model and the real module. A command
// is generated from the model (RapidCheck picks its arguments) or built with its arguments by a
// sequence kept as a test; `show` prints it as such a test writes it.
#include <rapidcheck.h>
#include <rapidcheck/state.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/modelo/modelo.h"
#include "host/modelo/sistema.h"

namespace modelo {

using TComando = rc::state::Command<TModelo, TSistema>;
using TComandoPtr = std::shared_ptr<const TComando>;

// What every command leaves true, checked after it ran: s1 is the model after the command.
// `importado`: the statement the user imported in it (0: none).
void Verifica(const TModelo& s0, const TModelo& s1, TSistema& sut, int importado);

// Which moves the model makes. Those that meet a fault another branch is fixing are left out of the
// run CI makes (the property stays a net for new faults) and in when exploring (scripts/explore --all).
struct TOpcoes {
  bool IdRepetido = true;         // Dyq re-sends a statement with an id on two lines
  bool LinhaSemIdNoMeio = true;   // a line without an id inserted before the statement's end
  bool LinhasIguais = true;       // equal lines in one statement or file
  bool LancaAMao = true;          // an entry typed by hand equal to a line not booked yet
};
TOpcoes& Opcoes();

struct TLinhaNova {
  bool ComId = true;
  int Mes = 1, Dia = 1;
  int64_t Centavos = 100;
  char Lado = 'D';
  int IgualA = -1;   // a copy of that line of the statement (an equal fee), without an id
};

// Dyq releases a new statement with these lines.
struct Libera : TComando {
  std::vector<TLinhaNova> Linhas;
  explicit Libera(const TModelo& m);
  explicit Libera(std::vector<TLinhaNova> linhas) : Linhas(std::move(linhas)) {}
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// Dyq re-sends a statement with a line inserted at a position.
struct InsereLinha : TComando {
  int Extrato = 0;
  size_t Posicao = 0;
  TLinhaNova Linha;
  explicit InsereLinha(const TModelo& m);
  InsereLinha(int extrato, size_t posicao, TLinhaNova linha) : Extrato(extrato), Posicao(posicao), Linha(linha) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// Dyq re-sends a statement with one item's value corrected (same id).
struct CorrigeLinha : TComando {
  size_t Movimento = 0;
  int64_t Centavos = 0;
  explicit CorrigeLinha(const TModelo& m);
  CorrigeLinha(size_t movimento, int64_t centavos) : Movimento(movimento), Centavos(centavos) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// Dyq re-sends a statement with a new line under the id of one of its lines.
struct RepeteId : TComando {
  size_t Movimento = 0;
  int64_t Centavos = 0;
  explicit RepeteId(const TModelo& m);
  RepeteId(size_t movimento, int64_t centavos) : Movimento(movimento), Centavos(centavos) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// The user opens a statement in the review, gives its lines their accounts and imports all.
struct Importa : TComando {
  int Extrato = 0;
  explicit Importa(const TModelo& m);
  explicit Importa(int extrato) : Extrato(extrato) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// Two windows open the same statement; the second imports first, then the first one imports.
struct SegundaJanela : Importa {
  using Importa::Importa;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// Another program of the suite deletes one of the entries the module wrote.
struct Apaga : TComando {
  size_t Lancamento = 0;
  explicit Apaga(const TModelo& m);
  explicit Apaga(size_t lancamento) : Lancamento(lancamento) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// The company's closing reaches January's end.
struct EncerraJaneiro : TComando {
  EncerraJaneiro() = default;
  explicit EncerraJaneiro(const TModelo& m);
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override { os << "EncerraJaneiro()"; }
};

// A posting lock of the review over February.
struct BloqueiaFevereiro : TComando {
  BloqueiaFevereiro() = default;
  explicit BloqueiaFevereiro(const TModelo& m);
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override { os << "BloqueiaFevereiro()"; }
};

// The client uploads an entry file of new lines to Dyq.
struct EnviaArquivo : TComando {
  std::vector<TLinhaNova> Linhas;
  explicit EnviaArquivo(const TModelo& m);
  explicit EnviaArquivo(std::vector<TLinhaNova> linhas) : Linhas(std::move(linhas)) {}
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
  virtual bool NaPasta() const { return false; }
};

// The client drops an entry file of new lines in the client folder.
struct PoeNaPasta : EnviaArquivo {
  using EnviaArquivo::EnviaArquivo;
  void show(std::ostream& os) const override;
  bool NaPasta() const override { return true; }
};

// The client uploads a file again with one line's value corrected: the other lines are the same
// movements, the corrected one a new movement.
struct ReenviaArquivo : TComando {
  size_t Arquivo = 0, Linha = 0;
  int64_t Centavos = 0;
  explicit ReenviaArquivo(const TModelo& m);
  ReenviaArquivo(size_t arquivo, size_t linha, int64_t centavos) : Arquivo(arquivo), Linha(linha), Centavos(centavos) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
  virtual bool NaPasta() const { return false; }

 protected:
  ReenviaArquivo() = default;
  void Escolhe(const TModelo& m);
};

// The client drops a corrected copy of a folder file beside it (the first one stays in the folder).
struct AcrescentaNaPasta : ReenviaArquivo {
  explicit AcrescentaNaPasta(const TModelo& m);
  AcrescentaNaPasta(size_t arquivo, size_t linha, int64_t centavos) : ReenviaArquivo(arquivo, linha, centavos) {}
  void show(std::ostream& os) const override;
  bool NaPasta() const override { return true; }
};

// The scheduled Dyq task runs unattended.
struct TarefaDyq : TComando {
  TarefaDyq() = default;
  explicit TarefaDyq(const TModelo& m);
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override { m.ImportaArquivos(); }
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override { os << "TarefaDyq()"; }
};

// The scheduled client-folder task runs unattended over the folder.
struct TarefaPasta : TComando {
  TarefaPasta() = default;
  explicit TarefaPasta(const TModelo& m);
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override { m.ImportaPasta(); }
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override { os << "TarefaPasta()"; }
};

// The fiscal module registers a purchase with one installment the company pays.
struct CriaParcela : TComando {
  int64_t Centavos = 0;
  explicit CriaParcela(const TModelo& m);
  explicit CriaParcela(int64_t centavos) : Centavos(centavos) {}
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override { os << "CriaParcela(" << Centavos << ")"; }
};

// In the review, one line (by its place in the statement) is linked to an installment, then all are
// imported: it is settled for what is left of either, and its rest stays.
struct Vincula : TComando {
  int Extrato = 0;
  size_t Posicao = 0, Parcela = 0;
  explicit Vincula(const TModelo& m);
  Vincula(int extrato, size_t posicao, size_t parcela) : Extrato(extrato), Posicao(posicao), Parcela(parcela) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// In the review, one line is split into two rows (the first of `Primeira`), then all are imported.
struct Divide : TComando {
  int Extrato = 0;
  size_t Posicao = 0;
  int64_t Primeira = 0;
  explicit Divide(const TModelo& m);
  Divide(int extrato, size_t posicao, int64_t primeira) : Extrato(extrato), Posicao(posicao), Primeira(primeira) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override;
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override;
};

// Someone types in the suite an entry equal to a statement line not booked yet.
struct LancaAMao : TComando {
  size_t Movimento = 0;
  explicit LancaAMao(const TModelo& m);
  explicit LancaAMao(size_t movimento) : Movimento(movimento) {}
  void checkPreconditions(const TModelo& m) const override;
  void apply(TModelo& m) const override { m.Movimentos[Movimento].AMao = m.Movimentos[Movimento].Centavos; }
  void run(const TModelo& s0, TSistema& sut) const override;
  void show(std::ostream& os) const override { os << "LancaAMao(" << Movimento << ")"; }
};

// Runs a kept sequence as the property runs one: each command's run on the module, then its model.
void Reproduz(const std::vector<TComandoPtr>& comandos);

}  // namespace modelo
