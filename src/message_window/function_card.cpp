// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of the function card and of the functions it leaves out.
#include "message_window/function_card.h"

#include "compiler/compiled_program.h"

namespace numerella {

namespace {

constexpr const char* kCardEntries[] = {
    "Funzioni Elementari",
    "  INT(x) Parte intera di x",
    "  ABS(x) Valore assoluto di x         SGN(x)   Segno di x",
    "  EXP(x) Esponenziale in base e di x  LOG(x)   Logaritmo naturale di x",
    "  SIN(x) Seno di x                    ASIN(x)  Arcoseno di x",
    "  COS(x) Coseno di x                  ACOS(x)  Arcocoseno di x",
    "  TAN(x) Tangente di x                ATAN(x)  Arcotangente di x",
    "  GAM(x) Gamma di x (\xE2(x)=(x-1)!)     LNGAM(x) Logaritmo naturale di \xE2(x)",
    "Funzioni Statistiche",
    "  SUM(X1,X2,...Xn)  X1+X2+...+Xn",
    "  AVG(X1,X2,...Xn)  Valor medio di X1, X2,...,Xn",
    "  STD(X1,X2,...Xn)  Deviazione standard campionaria di X1, X2,...,Xn",
    "",
    "Distribuzioni Statistiche        Funz. di Distr.    Funz. di Distr. Cumulativa",
    "  Binomiale o di Benoulli          D_B(k,n,p)               C_B(k,n,p)",
    "  Di Poisson                       D_P(n,m)                 C_P(n,m)",
    "  Normale o di Gauss               D_N(x,m,s)               C_N(x,m,s) ",
    "  Della T o di Student             D_T(x,n)                 C_T(x,n)",
    "  Del X\xFD o di Pearson              D_X2(x,n)                C_X2(x,n)",
    "  Della F o di Snedecor            D_F(x,n1,n2)             C_F(x,n1,n2) ",
    "",
    "Distribuzione Normale Standarizzata",
    "  P(x)  Distribuzione cumulativa",
    "  Q(x)  1-P(x)                        A(x)  P(x)-P(-x)",
};
// The card shows every intrinsic function with its arguments, all but the square root.
static_assert(ShowsEveryFunctionBut(kCardEntries, "SQR"));

constexpr const char* kOffCardEntries[] = {
    "  SQR(x) Radice quadrata di x",
};

}  // namespace

std::span<const char* const> FunctionCardEntries() { return kCardEntries; }

std::span<const char* const> OffCardEntries() { return kOffCardEntries; }

}  // namespace numerella
