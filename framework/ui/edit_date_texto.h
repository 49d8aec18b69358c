#pragma once
// Setting a date edit from text in either form the suite writes ("DD/MM/YYYY" or "MM/YYYY"): a
// reference edit keeps the month, a date edit takes the date (the first day of a month).
#include <string>

namespace vyn {

class TEdit_Date_Padrao_VYN;

// An unreadable text raises EValidationError naming it.
void SetDataStrRespeitandoTipo(TEdit_Date_Padrao_VYN& edit, const std::string& texto);

}  // namespace vyn
