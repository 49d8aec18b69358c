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

// The reference month a run moves (with the session, as SetReferencia does) and gives back: the
// month found when the guard was made comes back at Restaura, or when the guard goes, also when
// the run raises. A plain context value changed for a stretch uses TValorTemporario instead.
class TReferenciaTemporaria {
 public:
  TReferenciaTemporaria() : anterior_(TPublicas::GetReferencia()) {}
  ~TReferenciaTemporaria();
  TReferenciaTemporaria(const TReferenciaTemporaria&) = delete;
  TReferenciaTemporaria& operator=(const TReferenciaTemporaria&) = delete;

  void Troca(int yyyymm);
  // Gives the month back now; a failure to do so is raised here rather than lost in the destructor.
  void Restaura();
  int Anterior() const { return anterior_; }

 private:
  int anterior_;
  bool trocada_ = false;
};

}  // namespace vyn
