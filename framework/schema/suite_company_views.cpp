// Company views the consultations join: each company with its data in force at the session's
// reference month.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteCompanyViewsSchema(TSchema& s) {
  if (s.Has("VW_TEMPRESAS_REF_JOIN")) return;
  s.AddView("VW_TEMPRESAS_REF_JOIN", R"(CREATE VIEW VW_TEMPRESAS_REF_JOIN AS
SELECT E.BDCODEMP, E.BDCODMATRIZ, E.BDSTATUSEMP, R.BDREFEMP, R.BDNOMEMP, R.BDCNPJEMP, R.BDCODPLAPADRAO,
       R.BDCODHIST, R.BDCODPLANOONLINE, R.BDULTENC
  FROM TEMPRESAS E
  JOIN VW_TEMPRESAS_REF R ON (R.BDCODEMP = E.BDCODEMP))");
}

}  // namespace vyn
