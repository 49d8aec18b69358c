#pragma once
// A review's probable duplicates. A line the books' gate finds to be the movement of an entry booked
// already (by another road, another file, or typed by hand) is marked with that entry's name before the
// import, and the import leaves it out until the user ticks it to be booked all the same. The statement
// review and both entry reviews carry the same two columns, and their imports skip such a line alike.
#include <string>

#include "framework/data/dao_factory.h"
#include "framework/livros/livros.h"

namespace vyn {

// The mark: "Provável duplicata do lançamento 4 (...)"; empty when the line is none.
inline constexpr const char* kCampoDuplicata = "BDDUPLICATA";
// The user's tick: a marked line booked all the same.
inline constexpr const char* kCampoLancarDuplicata = "BDLANCARDUPLICATA";
// The width of the mark's column.
inline constexpr int kTamanhoDuplicata = 200;

// The mark of a line the gate matched with igual, cut to its column.
std::string MarcaDuplicata(const TFonteRegistrada& igual);
// Whether the current line is marked.
bool MarcadaDuplicata(const TClientDataSet& ds);
// Whether the user ticked the current line to be booked all the same.
bool LancarAssimMesmo(const TClientDataSet& ds);
// A marked line the user has not ticked: every import leaves it out and it stays in the review.
bool DuplicataForaDaImportacao(const TClientDataSet& ds);
// Sets the current line's mark (empty: none) in its row and, for a staged line, in its work table. A mark
// that changes takes the tick away: the user decides again on what the gate says now.
void GravaMarcaDuplicata(TDAOFactory& ds, const std::string& marca);
// Turns the tick of the current line over, when it is marked (an unmarked line has nothing to tick).
void AlternaLancarAssimMesmo(TDAOFactory& ds);

// The current line of an entry file's review as the source it is (file nome; booked whole by
// chaveLancamento, 0: not yet): nothing when the line has no identity in the file.
std::optional<TFonteLancada> FonteLinhaRevisao(const TClientDataSet& ds, const std::string& nome, int chaveLancamento);
// Weighs the current line of an entry file's review against the books as they stand (after the user
// changed what names its movement: its day, value, document or accounts), marking or clearing it.
void PesaDuplicata(TDAOFactory& ds, TLivros& livros, const std::string& nome);

}  // namespace vyn
