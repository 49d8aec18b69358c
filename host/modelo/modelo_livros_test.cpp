// The randomized model of the books: sequences of a user's moves across the statement roads, run on
// the real module against a real company database, the books checked after every move. CI runs a
// fixed seed and count (RC_PARAMS in the test's environment); scripts/explore runs fresh seeds.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdlib>

#include "host/modelo/comandos.h"

namespace modelo {
namespace {

auto Comandos() {
  return rc::state::gen::execOneOfWithArgs<Libera, InsereLinha, CorrigeLinha, RepeteId, Importa, Importa,
                                           SegundaJanela, Apaga, Apaga, EncerraJaneiro, BloqueiaFevereiro, EnviaArquivo,
                                           ReenviaArquivo, TarefaDyq, PoeNaPasta, AcrescentaNaPasta, TarefaPasta,
                                           CriaParcela, Vincula, Vincula, Divide, Divide, LancaAMao>();
}

RC_GTEST_PROP(ModeloDosLivros, AnySequenceOfMovesKeepsTheBooksTrue, ()) {
  // Exploring takes in the moves whose faults other branches are fixing.
  if (const char* t = std::getenv("MODELO_LIVROS_TUDO"); t && *t == '1')
    Opcoes() = {.IdRepetido = true, .LinhaSemIdNoMeio = true, .LinhasIguais = true, .LancaAMao = true};
  TModelo inicial;
  TSistema sistema;
  rc::state::check(inicial, sistema, Comandos());
}

// A kept sequence: the run fails the test with the model's words.
void Sequencia(const std::vector<TComandoPtr>& comandos) {
  try {
    Reproduz(comandos);
  } catch (const rc::detail::CaseResult& r) {
    if (r.type != rc::detail::CaseResult::Type::Discard) ADD_FAILURE() << r.description;
  }
}

template <class T, class... A>
TComandoPtr C(A&&... a) {
  return std::make_shared<const T>(std::forward<A>(a)...);
}

// The moves the model makes, each once, end to end: the property's own net works.
TEST(ModeloDosLivros, EveryMoveRunsOnTheModule) {
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{true, 1, 10, 2500, 'D', -1}, {false, 2, 3, 12000, 'C', -1},
                                               {true, 1, 12, 4000, 'D', -1}}),
             C<Importa>(501), C<Apaga>(size_t{0}), C<Importa>(501), C<CorrigeLinha>(size_t{2}, int64_t{4100}),
             C<InsereLinha>(501, size_t{3}, TLinhaNova{true, 1, 20, 900, 'C', -1}), C<SegundaJanela>(501),
             C<EncerraJaneiro>(), C<BloqueiaFevereiro>(),
             C<Libera>(std::vector<TLinhaNova>{{true, 2, 10, 700, 'D', -1}, {true, 1, 28, 800, 'D', -1}}),
             C<Importa>(502)});
  Sequencia({C<EnviaArquivo>(std::vector<TLinhaNova>{{false, 1, 6, 150000, 'C', -1}, {false, 1, 10, 32045, 'D', -1}}),
             C<TarefaDyq>(), C<ReenviaArquivo>(size_t{0}, size_t{1}, int64_t{32050}), C<TarefaDyq>(),
             C<Apaga>(size_t{0}), C<ReenviaArquivo>(size_t{1}, size_t{1}, int64_t{32060}), C<TarefaDyq>()});
  // A payment settled for less, a split payment and a split receipt, each losing one entry.
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{true, 1, 22, 15000, 'D', -1}}),
             C<Libera>(std::vector<TLinhaNova>{{true, 1, 23, 2500, 'D', -1}}),
             C<Libera>(std::vector<TLinhaNova>{{false, 1, 24, 8000, 'C', -1}}), C<CriaParcela>(int64_t{10000}),
             C<Vincula>(501, size_t{0}, size_t{0}), C<Importa>(501), C<Apaga>(size_t{0}), C<Importa>(501),
             C<Divide>(502, size_t{0}, int64_t{1500}), C<Apaga>(size_t{2}), C<Importa>(502),
             C<Divide>(503, size_t{0}, int64_t{3000}), C<Apaga>(size_t{6}), C<Importa>(503)});
  Sequencia({C<PoeNaPasta>(std::vector<TLinhaNova>{{false, 1, 6, 150000, 'C', -1}, {false, 2, 10, 32045, 'D', -1}}),
             C<TarefaPasta>(), C<AcrescentaNaPasta>(size_t{0}, size_t{1}, int64_t{32050}), C<TarefaPasta>(),
             C<Apaga>(size_t{0}), C<TarefaPasta>()});
}

// Sequences the model shrank to, kept as tests. Those disabled meet a fault another branch is fixing
// (the property leaves their move out until it is merged): enable each with its fix.

// Two lines under one Dyq id cancel the whole import with a false "já lançado": the fee of the other
// item is not booked (lines repeating an id are named and left out when read).
TEST(ModeloDosLivros, ARepeatedIdLeavesOutItsLinesAndBooksTheRest) {
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{true, 1, 10, 2500, 'D', -1}, {true, 1, 11, 3000, 'D', -1}}),
             C<RepeteId>(size_t{0}, int64_t{4000}), C<Importa>(501)});
}

// A line without an id inserted before booked id-less lines takes a booked line's place: it is removed
// as "já lançado" in another line's entry and never booked (id-less lines keyed by what the
// statement says of them).
TEST(ModeloDosLivros, ALineWithoutIdInsertedBeforeBookedOnesIsBooked) {
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{false, 1, 10, 2500, 'D', -1}, {false, 1, 12, 4000, 'D', -1}}),
             C<Importa>(501), C<InsereLinha>(501, size_t{0}, TLinhaNova{false, 1, 8, 750, 'D', -1}),
             C<Importa>(501)});
}

// Two equal fees of one statement, both booked; the suite deletes one entry. Reopened, the line that
// lost its entry is offered and booked again: lines of one statement are never duplicates of each other.
TEST(ModeloDosLivros, AnEqualLineOfTheSameStatementWhoseEntryWasDeletedIsBookedAgain) {
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{true, 1, 10, 2500, 'D', -1}, {false, 1, 1, 1, 'D', 0}}),
             C<Importa>(501), C<Apaga>(size_t{1}), C<Importa>(501)});
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{false, 1, 10, 2500, 'D', -1}, {false, 1, 1, 1, 'D', 0}}),
             C<Importa>(501), C<Apaga>(size_t{0}), C<Importa>(501)});
}

// A line split beside its equal twin of the same statement: the twin is booked whole beside the split.
TEST(ModeloDosLivros, ALineSplitBesideItsEqualTwinBooksBoth) {
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{false, 1, 1, 2, 'C', -1}, {false, 1, 1, 100, 'D', 0}}),
             C<Divide>(501, size_t{0}, int64_t{1})});
}

// A Dyq item whose entry the suite deleted is booked again whole and Dyq hears "integrated" again,
// though its statement holds an equal line without an id, booked too (whole or split): the entry
// deleted and the line split are the item's, not its twin's, however alike they look.
TEST(ModeloDosLivros, AnItemBookedAgainBesideItsEqualTwinIsReportedIntegratedAgain) {
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{true, 1, 1, 2, 'C', -1}, {false, 1, 1, 100, 'D', 0}}),
             C<Importa>(501), C<Apaga>(size_t{0}), C<Importa>(501)});
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{true, 1, 1, 2, 'C', -1}, {false, 1, 1, 100, 'D', 0}}),
             C<Divide>(501, size_t{1}, int64_t{1}), C<Apaga>(size_t{3}), C<Importa>(501)});
}

// Two equal lines without an id and one entry typed by hand equal to them: one entry stands for one
// line, so one line is marked and the other booked (the gate now holds that, at opening and again at
// the import). Still disabled: the ledger checker reads the typed entry beside the booked line as one
// movement booked twice, and the model cannot yet tell it the statement holds two.
TEST(ModeloDosLivros, DISABLED_OneEntryTypedByHandIsTheDuplicateOfOneOfTwoEqualLines) {
  Sequencia({C<Libera>(std::vector<TLinhaNova>{{false, 1, 1, 1, 'C', -1}, {false, 1, 1, 100, 'D', 0}}),
             C<LancaAMao>(size_t{0}), C<Importa>(501)});
}

}  // namespace
}  // namespace modelo
