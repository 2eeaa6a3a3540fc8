// SPDX-License-Identifier: GPL-3.0-or-later
// The intrinsic functions, and the table that finds them by function number. The table is
// built from the functions' names, so its order is the contract's (compiled_program.h) by
// construction, and the build fails if a function is missing or a name is unknown.
#pragma once

#include <array>
#include <string_view>

#include "compiler/compiled_program.h"
#include "evaluator/machine.h"

namespace numerella {

// Pi cut to seven decimals, as the functions compute with it (the inverse trigonometric
// functions and the density of Student's t).
inline constexpr double kPi7 = 3.1415926;

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

namespace intrinsics_detail {

struct Named {
  std::string_view name;
  Intrinsic function;
};

inline constexpr Named kByName[] = {
    {"ABS", FnAbs},   {"SQR", FnSqr},     {"EXP", FnExp},  {"LOG", FnLog},  {"ASIN", FnAsin},
    {"ACOS", FnAcos}, {"ATAN", FnAtan},   {"SIN", FnSin},  {"COS", FnCos},  {"TAN", FnTan},
    {"SGN", FnSgn},   {"LNGAM", FnLnGam}, {"GAM", FnGam},  {"SUM", FnSum},  {"AVG", FnAvg},
    {"STD", FnStd},   {"D_B", FnDB},      {"C_B", FnCB},   {"D_P", FnDP},   {"C_P", FnCP},
    {"D_N", FnDN},    {"C_N", FnCN},      {"D_X2", FnDX2}, {"C_X2", FnCX2}, {"D_T", FnDT},
    {"C_T", FnCT},    {"D_F", FnDF},      {"C_F", FnCF},   {"P", FnP},      {"Q", FnQ},
    {"A", FnA},       {"INT", FnInt},
};
static_assert(std::size(kByName) == kFunctionCount, "one implementation per function");

// Every slot filled exactly once; an unknown name stops the build (FunctionNumber gives -1,
// and indexing with it is no constant expression).
constexpr std::array<Intrinsic, kFunctionCount> ByNumber() {
  std::array<Intrinsic, kFunctionCount> table{};
  for (const Named& named : kByName) {
    Intrinsic& slot = table.at(static_cast<std::size_t>(FunctionNumber(named.name)));
    if (slot != nullptr) throw "two implementations of one function";
    slot = named.function;
  }
  return table;
}

}  // namespace intrinsics_detail

// The function of number f, for f in 0 .. kFunctionCount - 1.
inline constexpr std::array<Intrinsic, kFunctionCount> kIntrinsicFunctions =
    intrinsics_detail::ByNumber();

}  // namespace numerella
