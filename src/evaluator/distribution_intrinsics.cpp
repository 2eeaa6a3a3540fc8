// Placeholder until the distributions are written.
#include "evaluator/intrinsics.h"

namespace numerella {
void FnDB(Machine& m) { m.Fail(); }
void FnCB(Machine& m) { m.Fail(); }
void FnDP(Machine& m) { m.Fail(); }
void FnCP(Machine& m) { m.Fail(); }
void FnDN(Machine& m) { m.Fail(); }
void FnCN(Machine& m) { m.Fail(); }
void FnDX2(Machine& m) { m.Fail(); }
void FnCX2(Machine& m) { m.Fail(); }
void FnDT(Machine& m) { m.Fail(); }
void FnCT(Machine& m) { m.Fail(); }
void FnDF(Machine& m) { m.Fail(); }
void FnCF(Machine& m) { m.Fail(); }
}  // namespace numerella
