#pragma once
// Whether an entry file left where it was read has anything left to book, asked before it is imported
// again: a client's folder keeps last month's files, and a run that imports them again only refuses their
// lines as outside its period, every run, hiding its real problems among them.
#include <optional>
#include <string>

namespace vyn {

class TLivros;

// How many entry lines the text file at caminho holds when it holds at least one, the reading refuses none
// of them and every one is booked whole in the record of booked sources; nothing otherwise (an entry
// deleted since, or a line settled for less than its value). Read a line at a time, a few hundred keys to
// a question.
std::optional<long long> ArquivoTxtTodoLancado(TLivros& livros, const std::string& caminho, char separador, int codEmpPadrao);

}  // namespace vyn
