// Placeholder until the gamma and standard normal functions are written.
#include "evaluator/intrinsics.h"

namespace numerella {
void FnLnGam(Machine& m) { m.Fail(); }
void FnGam(Machine& m) { m.Fail(); }
void FnP(Machine& m) { m.Fail(); }
void FnQ(Machine& m) { m.Fail(); }
void FnA(Machine& m) { m.Fail(); }
}  // namespace numerella
