#pragma once
// The companies' list of choices a code edit's selection key opens: every company of the rows, those
// the edit holds already ticked; what the user ticks becomes the edit's code (one) or its selection
// (several).
#include "framework/data/fb_database.h"
#include "framework/ui/edit_codigo.h"

namespace vyn {

// `empresas`: rows with BDCODEMP and BDNOMEMP, in the order shown. False when the user gave up.
bool EscolheEmpresas(TEdit_Codigo_Search_VYN& edit, const TQueryResult& empresas);

}  // namespace vyn
