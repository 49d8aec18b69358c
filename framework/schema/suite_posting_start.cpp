// The company list of the start of online posting: every company with its data as of the session's
// reference month.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuitePostingStartSchema(TSchema& s) {
  s.AddView("VW_EMPRESAS_REF_ATUAL", R"(CREATE VIEW VW_EMPRESAS_REF_ATUAL AS
SELECT E.BDCODEMP, R.BDNOMEMP, R.BDREFEMP, R.BDCNPJEMP, R.BDULTENC, E.BDCODMATRIZ,
       COALESCE(E.BDSTATUSEMP, 0) AS BDSTATUSEMP
  FROM TEMPRESAS E JOIN VW_TEMPRESAS_REF R ON (R.BDCODEMP = E.BDCODEMP))");
}

}  // namespace vyn
