#pragma once
// The host's working values as the suite's screens reach them.
namespace vyn {

class TPublicas {
 public:
  // The current reference month (YYYYMM) of the process context; 0 when none was set.
  static int GetReferencia();
  // Sets the current reference month; the open database session follows it, so that views
  // reading the session's month answer for it. An impossible month throws std::invalid_argument.
  static void SetReferencia(int yyyymm);
};

}  // namespace vyn
