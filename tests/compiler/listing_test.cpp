// Check listings of typed texts that fail, and how the listing behaves across compilations.
#include <gtest/gtest.h>

#include "compiler_test_support.h"

namespace numerella {
namespace {

using testing_support::Compile;
using testing_support::Typed;

constexpr char kHead[] = "*** Controllo della Funzione\r";
constexpr char kSyntax[] = "* ERR. Scrittura dell'Espressione Errata\r";

struct ListingCase {
  const char* typed;
  std::string lines;  // the listing after kHead
};

const ListingCase kFailures[] = {
    {"2*(3+4", "* ERR.  1Parentesi Aperte e  0 Chiuse\r"},
    {"(1+(2)))", "* ERR.  2Parentesi Aperte e  3 Chiuse\r"},
    {"2*-3", kSyntax},
    {"2^-1", kSyntax},
    {"(-+1)", kSyntax},
    {"()", kSyntax},
    {"1,,2", kSyntax},
    {"LOG()", kSyntax},
    {"SIN 2", "* ERR. Variabile SIN2 NON definita\r"},
    {"1.5.2+1", "* ERR. 1.5.2 Espressione Numerica Errata\r"},
    {"2(3)", "* ERR. 2(3 Espressione Numerica Errata\r"},
    {"1e+x", "* ERR. 1E+X Espressione Numerica Errata\r"},
    {"1E", "* ERR. 1E Espressione Numerica Errata\r"},
    {"1D5", "* ERR. 1D5 Espressione Numerica Errata\r"},
    {".", "* ERR. . Espressione Numerica Errata\r"},
    {"1E999*2", "* ERR. 1E999 Espressione Numerica Errata\r"},
    {"1\xe0", "* ERR. 1\xc0 Espressione Numerica Errata\r"},
    {"x+1", "* ERR. Variabile x NON definita\r"},
    {"\xe0+1", "* ERR. Variabile \xe0 NON definita\r"},
    {"alpha+1", "* ERR. alpha Espressione Variabile Errata\r* ERR. Variabile alph NON definita\r"},
    {"sqrt(16)",
     "* ERR. sqrt(16 Espressione Variabile Errata\r* ERR. Variabile sqrt NON definita\r"},
    // Every operand error is listed in order, after the parenthesis line.
    {"(x+1.2.3", "* ERR.  1Parentesi Aperte e  0 Chiuse\r* ERR. Variabile x NON definita\r"
                 "* ERR. 1.2.3 Espressione Numerica Errata\r"},
    // Argument counts, innermost call first.
    {"ABS(1,2)", "* ERR.  2 Argomenti nella Funzione   ABS Invece di  1\r"},
    {"D_B(1,2)", "* ERR.  2 Argomenti nella Funzione   D_B Invece di  3\r"},
    {"D_B(4)", "* ERR.  1 Argomento nella Funzione   D_B Invece di  3\r"},
    {"ABS((1,2))", "* ERR.  2 Argomenti nella Funzione   ABS Invece di  1\r"},
    {"SIN(ABS(1,2),3)+lngam(1,2,3)",
     "* ERR.  2 Argomenti nella Funzione   ABS Invece di  1\r"
     "* ERR.  2 Argomenti nella Funzione   SIN Invece di  1\r"
     "* ERR.  3 Argomenti nella Funzione LNGAM Invece di  1\r"},
    // A ")" before its "(" with equal counts.
    {"1)+(2", kSyntax},
    {"(1)+2)+(3", kSyntax},
    {"1)+(2+3", kSyntax},
    {"1)+2)+((3", kSyntax},
    // Internal marks typed by hand must be whole.
    {"#5", kSyntax},
    {"1+#", kSyntax},
    {"##7(1)", "* ERR. 7(1 Espressione Numerica Errata\r"},
    {"##07", kSyntax},
    {"##07+1", kSyntax},
    {"(#)", kSyntax},
};

TEST(ListingTest, FailuresListTheirLines) {
  Compiler compiler;
  for (const ListingCase& c : kFailures) {
    SCOPED_TRACE(c.typed);
    const CompiledProgram p = Compile(compiler, Typed(c.typed), true);
    EXPECT_EQ(p.CompileFlag, -1);
    EXPECT_EQ(compiler.CompileListing(), kHead + c.lines);
  }
}

TEST(ListingTest, FailuresWithoutListingAddNothing) {
  Compiler compiler;
  for (const ListingCase& c : kFailures) {
    SCOPED_TRACE(c.typed);
    compiler.SetCompileListing("old");
    const CompiledProgram p = Compile(compiler, Typed(c.typed), false);
    EXPECT_EQ(p.CompileFlag, -1);
    EXPECT_EQ(compiler.CompileListing(), "");
  }
}

TEST(ListingTest, ListingAcrossCompilations) {
  Compiler compiler;
  Compile(compiler, Typed("x"), true);
  EXPECT_EQ(compiler.CompileListing(), std::string(kHead) + "* ERR. Variabile x NON definita\r");
  // A success with the listing leaves only the expression heading.
  EXPECT_EQ(Compile(compiler, Typed("1"), true).CompileFlag, 0);
  EXPECT_EQ(compiler.CompileListing(), kHead);
  // Without the listing a clean declaration part empties the text.
  Compile(compiler, Typed("x"), false);
  EXPECT_EQ(compiler.CompileListing(), "");
  // A declaration error without the listing leaves the text as it was.
  compiler.SetCompileListing("previous");
  EXPECT_EQ(Compile(compiler, "y@1a@@@1", false).CompileFlag, -1);
  EXPECT_EQ(compiler.CompileListing(), "previous");
}

TEST(ListingTest, FailedChecksKeepTheCallersOutputs) {
  Compiler compiler;
  for (const char* typed : {"x+1", "2*-3", "1)+(2"}) {
    SCOPED_TRACE(typed);
    CompiledProgram p;
    p.ValueTable.assign(3, 9.0);
    p.LastOperand = 42;
    p.Program = "keep";
    p.OperandMap = "old";
    p.VarCount = p.ParCount = 7;
    p.CompileFlag = -1;
    compiler.CompileFormula(Typed(typed), p);
    EXPECT_EQ(p.CompileFlag, -1);
    EXPECT_EQ(p.ValueTable, std::vector<Value>(3, 9.0));
    EXPECT_EQ(p.LastOperand, 42);
    EXPECT_EQ(p.Program, "keep");
    EXPECT_EQ(p.VarCount, 0);
    EXPECT_EQ(p.ParCount, 0);
    EXPECT_NE(p.OperandMap, "old");
  }
}

TEST(ListingTest, CountErrorsStillWriteTheProgram) {
  Compiler compiler;
  CompiledProgram p;
  p.CompileFlag = 0;
  compiler.CompileFormula(Typed("ABS(1,2)"), p);
  EXPECT_EQ(p.CompileFlag, -1);
  EXPECT_EQ(p.LastOperand, 1);
  EXPECT_EQ(p.Program, testing_support::Codes({10, 2, 0, 1, 108, 1, 0}));
  EXPECT_EQ(p.ValueTable.size(), 3u);
}

}  // namespace
}  // namespace numerella
