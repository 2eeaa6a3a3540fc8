// The 32 intrinsic functions, indexed by function number (call code - 10).
#pragma once

#include "evaluator/machine.h"

namespace numerella {

// The function of number f (0 .. 31), or nullptr outside the table.
Intrinsic IntrinsicFunction(int f);

// Elementary and aggregate functions.
void FnAbs(Machine& m);
void FnSqr(Machine& m);
void FnExp(Machine& m);
void FnLog(Machine& m);
void FnAsin(Machine& m);
void FnAcos(Machine& m);
void FnAtan(Machine& m);
void FnSin(Machine& m);
void FnCos(Machine& m);
void FnTan(Machine& m);
void FnSgn(Machine& m);
void FnSum(Machine& m);
void FnAvg(Machine& m);
void FnStd(Machine& m);
void FnInt(Machine& m);

// Gamma and the standard normal functions.
void FnLnGam(Machine& m);
void FnGam(Machine& m);
void FnP(Machine& m);
void FnQ(Machine& m);
void FnA(Machine& m);

// Densities (D_) and distribution functions (C_).
void FnDB(Machine& m);
void FnCB(Machine& m);
void FnDP(Machine& m);
void FnCP(Machine& m);
void FnDN(Machine& m);
void FnCN(Machine& m);
void FnDX2(Machine& m);
void FnCX2(Machine& m);
void FnDT(Machine& m);
void FnCT(Machine& m);
void FnDF(Machine& m);
void FnCF(Machine& m);

}  // namespace numerella
