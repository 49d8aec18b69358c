#pragma once
// The model of the books: a plain table of the real movements Dyq's statements bring, what is booked
// of each and by which entries, the months closed or locked, and what Dyq was told. Far simpler than
// the module on purpose: each rule here is one a user states, so the module is checked against it.
#include <cstdint>
#include <string>
#include <vector>

namespace modelo {

// January and February 2025 (the demo company's first reference months).
inline constexpr int kAno = 2025;

struct TMovimento {
  int Extrato = 0;         // the Dyq statement that brings it; 0: a line of Dyq entry files
  int Id = 0;              // Dyq's item id; 0: the statement gives none
  int Mes = 1, Dia = 1;
  int64_t Centavos = 0;    // what the statement says now
  char Lado = 'D';         // D: money out (the bank is credited); C: money in
  std::string Dcto, Texto;
  int64_t Lancado = 0;     // what the books hold of it against the bank (its counterpart side)
  int64_t Banco = 0;       // what the books hold of it on the bank's side
  int64_t AMao = 0;        // an equal entry someone typed by hand in the suite
  int64_t MaiorValor = 0;  // the largest value Dyq ever gave it
  bool Repetido = false;   // another line of its statement carries its id
  bool Alterado = false;   // Dyq changed its value after part of it was booked
  bool Integrado = false;  // Dyq was told it is integrated since it last became whole

  // What the review offers of it: what both sides lack, booked whole; past that, the one side the
  // books hold less of (a split line's bank side or one of its rows deleted).
  int64_t Resta() const;
  bool SoBanco() const { return Resta() > 0 && Lancado >= Centavos; }
  bool SoContrapartida() const { return Resta() > 0 && Banco >= Centavos; }
  bool Simples() const { return Lancado == Banco; }
  bool Inteiro() const { return Lancado == Centavos && Banco == Centavos; }
};

// Which sides of its movement an entry holds: a plain entry or a settlement both; the bank's own
// entry of a split line the bank's; a split row the counterpart's.
enum class TLado { Ambos, Banco, Contrapartida };

// An entry the books hold of a movement: the part of it it booked.
struct TLancamento {
  size_t Movimento = 0;
  int64_t Centavos = 0;
  TLado Lado = TLado::Ambos;
  int Parcela = -1;   // the installment it settled
};

// An installment of a purchase the company pays (the fiscal module's), open to links.
struct TParcela {
  int Chave = 0;
  int64_t Valor = 0, Pago = 0;
  int64_t Deve() const { return Valor - Pago; }
};

// An entry file the client uploaded to Dyq: its lines are movements (a re-upload shares the lines it
// did not change with the file before, which are the same movements).
struct TArquivo {
  int Id = 0;
  std::vector<size_t> Linhas;
  bool Aguardando = true;   // Dyq lists it until told it is integrated
  bool Pasta = false;       // dropped in the client folder instead (the folder task books it)
  bool Avisado = false;     // a task run left it waiting and told why: later runs leave it out
};

struct TModelo {
  std::vector<int> Extratos;            // the statements Dyq released, in order
  std::vector<TMovimento> Movimentos;   // every statement's lines, in the order Dyq sends them
  std::vector<TLancamento> Lancamentos;
  std::vector<TArquivo> Arquivos;
  std::vector<TParcela> Parcelas;
  bool JaneiroEncerrado = false;        // the company's closing reaches 31/01
  bool FevereiroBloqueado = false;      // a posting lock of the review over February
  int ProximoDcto = 7001;               // documents the statements give, one per movement
  int ProximoId = 9001;                 // Dyq's item ids
  int ProximoArquivo = 1;               // Dyq's entry-file ids

  bool MesAberto(int mes) const { return mes == 1 ? !JaneiroEncerrado : !FevereiroBloqueado; }
  // Whether the review should book the movement's rest when the user imports its statement.
  // A line equal to an entry typed by hand is a probable duplicate: the user leaves it unticked.
  bool Lancavel(const TMovimento& m) const { return Oferecido(m) && !m.AMao && MesAberto(m.Mes); }
  // Whether the review should offer it: what is left of it, in whatever month.
  static bool Oferecido(const TMovimento& m) { return !m.Repetido && !m.Alterado && m.Resta() > 0; }
  bool TemExtrato(int e) const;
  std::vector<size_t> LinhasDo(int extrato) const;

  // The user imports the statement's lines: each one the review should book is booked at its rest.
  void Importa(int extrato);
  // Books what is left of the movement as the review offers it (a whole entry, or the side it lacks).
  void LancaResto(size_t movimento);
  // The line is split into rows of these values: the bank's side whole, each row against it.
  void Divide(size_t movimento, const std::vector<int64_t>& linhas);
  // The line linked to the installment: settled for what is left of either, the rest left.
  void Baixa(size_t movimento, size_t parcela);
  // The scheduled Dyq task imports every waiting file: what is left of each line in an open month
  // is booked (the review's lock is not the task's), and a file all booked is told integrated.
  void ImportaArquivos();
  // The client-folder task reads every file of the folder: what is left of each line outside the
  // closed month is booked.
  void ImportaPasta();
  // A movement goes in at that place: the indexes after it move on.
  void Insere(size_t onde, TMovimento mov);
  // The suite deletes the entry: its part comes back to its movement (a settlement's installment keeps
  // its payment, as the suite's entry screen leaves it).
  void Apaga(size_t lancamento);
  // Dyq changes a line's value: before anything is booked of it, it is just its value; after, a
  // changed movement the user must be told of, never booked again.
  void Corrige(size_t movimento, int64_t centavos);
};

}  // namespace modelo
