// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler: programs, check listings, declared names and their slots, and size limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <tuple>

#include "calculation/calculation.h"
#include "compiler/compile_formula.h"

namespace numerella {
namespace {

// The codes of an operand map as numbers separated by blanks.
std::string Codes(std::string_view codes) {
  std::string out;
  for (unsigned char c : codes) out.append(out.empty() ? "" : " ").append(std::to_string(c));
  return out;
}

// Compiles over outputs that hold marks, to show which ones a failed compilation keeps.
CompiledProgram Compile(Compiler& compiler, std::string_view formula, bool listing) {
  CompiledProgram p{7, 7, std::vector<Value>(3, 9.0), 42, "keep", "old", listing ? -1 : 0};
  compiler.CompileFormula(formula, p);
  return p;
}

// A failure keeps the caller's ValueTable, LastOperand and Program, and writes the rest.
bool Kept(const CompiledProgram& p) {
  return p.ValueTable == std::vector<Value>(3, 9.0) && p.LastOperand == 42 && p.Program == "keep" &&
         p.VarCount != 7 && p.ParCount != 7 && p.OperandMap != "old";
}

std::string Typed(std::string_view text) { return std::string("y@ @ @ @").append(text); }

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  while (times-- > 0) out += unit;
  return out;
}

std::string Sum(int operands) { return Repeat("1+", operands - 1) + "1"; }

constexpr char kHead[] = "*** Controllo della Funzione\r";
constexpr char kSyntax[] = "* ERR. Scrittura dell'Espressione Errata\r";

// A typed text, its program (readable form), its operand map and its value (when checked).
TEST(CompilerTest, TypedTextsCompileToTheirPrograms) {
  const std::tuple<const char*, const char*, const char*, std::optional<double>> cases[] = {
      // clang-format off
      {"2*(3+4)^2", "ADD r1 r2 | POW r1 r3 | MUL r0 r1 | EXPR r0", "1 2 3 4", 98},
      {"SQR(16)+1", "CALL SQR r0 | ADD r0 r1 | EXPR r0", "1 2", 5},
      {"7", "EXPR r0", "1", 7}, {"3,4", "EXPR r0 r1", "1 2", 3},
      {"-3^2", "POW r1 r2 | SUB r0 r1 | EXPR r0", "1 2 3", -9},
      {"(-3)^2", "SUB r0 r1 | POW r0 r2 | EXPR r0", "1 2 3", 9},
      {"2^3^2", "POW r0 r1 | POW r0 r2 | EXPR r0", "1 2 3", 64},
      {"8-2-1", "SUB r0 r1 | SUB r0 r2 | EXPR r0", "1 2 3", 5},
      {"8/2/2", "DIV r0 r1 | DIV r0 r2 | EXPR r0", "1 2 3", 2},
      {"1+2*3-4/2", "MUL r1 r2 | DIV r3 r4 | ADD r0 r1 | SUB r0 r3 | EXPR r0", "1 2 3 4 5", 5},
      {" 1 +   2 ", "ADD r0 r1 | EXPR r0", "1 2", 3}, {"++1", "EXPR r0", "1", 1},
      {"2,+3,-4", "SUB r2 r3 | EXPR r0 r1 r2", "1 2 3 4", 2},
      {"1e-3*2", "MUL r0 r1 | EXPR r0", "1 2", 0.002}, {".5+1.", "ADD r0 r1 | EXPR r0", "1 2", 1.5},
      {"SUM(1,2,3,4)", "CALL SUM r0 r1 r2 r3 | EXPR r0", "1 2 3 4", 10},
      {"D_N(1,0,1)+ABS(2)", "CALL D_N r0 r1 r2 | CALL ABS r3 | ADD r0 r3 | EXPR r0", "1 2 3 4", {}},
      {"D_P((1,2))", "CALL D_P r0 r1 | EXPR r0", "1 2", {}},
      // A plain list keeps its first item as value; operators work on its edge items.
      {"(1,2)*3", "MUL r1 r2 | EXPR r0 r1", "1 2 3", 1},
      {"2*(3,4)", "MUL r0 r1 | EXPR r0 r2", "1 2 3", 6},
      // Groups are reduced in the order of their ")", inner groups of later arguments first.
      {"(1+2,(3+4))", "ADD r2 r3 | ADD r0 r1 | EXPR r0 r2", "1 2 3 4", 3},
      {"1*2,3*(4-5)", "SUB r3 r4 | MUL r0 r1 | MUL r2 r3 | EXPR r0 r2", "1 2 3 4 5", 2},
      {"SUM(1+2,SQR(4))", "CALL SQR r2 | ADD r0 r1 | CALL SUM r0 r2 | EXPR r0", "1 2 3", 5},
      {"ABS(1)*2,AVG(3,4)^2",
       "CALL ABS r0 | CALL AVG r2 r3 | MUL r0 r1 | POW r2 r4 | EXPR r0 r2", "1 2 3 4 5", 2},
      {"(1,2*(3+4),5)", "ADD r2 r3 | MUL r1 r2 | EXPR r0 r1 r4", "1 2 3 4 5", 1},
      // Function names in any case; longer names before the names they end with.
      {"asin(1)+Sin(1)", "CALL ASIN r0 | CALL SIN r1 | ADD r0 r1 | EXPR r0", "1 2", {}},
      {"LnGam(1)*gam(2)", "CALL LNGAM r0 | CALL GAM r1 | MUL r0 r1 | EXPR r0", "1 2", {}},
      {"c_p(1,2)-p(3)", "CALL C_P r0 r1 | CALL P r2 | SUB r0 r2 | EXPR r0", "1 2 3", {}},
      {"d_x2(1,2)/a(1)", "CALL D_X2 r0 r1 | CALL A r2 | DIV r0 r2 | EXPR r0", "1 2 3", {}},
      {"INT(ATAN(EXP(1)))", "CALL EXP r0 | CALL ATAN r0 | CALL INT r0 | EXPR r0", "1", {}},
      {"abs (  -2 )", "SUB r0 r1 | CALL ABS r0 | EXPR r0", "1 2", 2},
      // Function marks typed by hand count; a name like a literal's internal one reads its slot.
      {"##07(1)", "CALL SIN r0 | EXPR r0", "1", {}}, {"##99(5)", "NEG r0 | EXPR r0", "1", -5},
      {"5+@@00", "ADD r0 r1 | EXPR r0", "1 1", 10},
      // clang-format on
  };
  Compiler compiler;
  for (const auto& [typed, program, operand_map, value] : cases) {
    SCOPED_TRACE(typed);
    const CompiledProgram p = Compile(compiler, Typed(typed), true);
    ASSERT_EQ(p.CompileFlag, 0) << compiler.CompileListing();
    EXPECT_EQ(ProgramText(p.Program), program);
    EXPECT_EQ(p.LastOperand + 1, static_cast<int>(p.OperandMap.size()));
    EXPECT_EQ(Codes(p.OperandMap), operand_map);
    EXPECT_EQ(compiler.ErrorSpan(), std::nullopt);
    if (value) {
      EXPECT_EQ(RunFormula(compiler, typed, false).value, value);
    }
  }
}

TEST(CompilerTest, FailuresListTheirLines) {
  const auto num = [](std::string t) { return "* ERR. " + t + " Espressione Numerica Errata\r"; };
  const auto name = [](std::string t) { return "* ERR. Variabile " + t + " NON definita\r"; };
  const std::string abs_count = "* ERR.  2 Argomenti nella Funzione   ABS Invece di  1\r";
  const std::string open = "* ERR.  1Parentesi Aperte e  0 Chiuse\r";
  // clang-format off
  const std::pair<const char*, std::string> cases[] = {
      {"2*-3", kSyntax}, {"(-+1)", kSyntax}, {"()", kSyntax}, {"1,,2", kSyntax}, {"LOG()", kSyntax},
      {"", kSyntax}, {"2*", kSyntax},
      // A ")" before its "(" with equal counts.
      {"1)+(2", kSyntax}, {"(1)+2)+(3", kSyntax}, {"1)+(2+3", kSyntax}, {"1)+2)+((3", kSyntax},
      // Internal marks typed by hand must be whole.
      {"#5", kSyntax}, {"1+#", kSyntax}, {"##07", kSyntax}, {"##07+1", kSyntax}, {"(#)", kSyntax},
      {"##7(1)", num("7(1")}, {"2(3)", num("2(3")},   {"1.5.2+1", num("1.5.2")},
      {"1e+x", num("1E+X")},  {"1E", num("1E")},      {"1D5", num("1D5")},
      {".", num(".")},        {"1E999*2", num("1E999")}, {"1\xe0", num("1\xc0")},
      {"x+1", name("x")},        {"\xe0+1", name("\xe0")},  {"SIN 2", name("SIN2")},
      {"alpha+1", "* ERR. alpha Espressione Variabile Errata\r" + name("alph")},
      {"sqrt(16)", "* ERR. sqrt(16 Espressione Variabile Errata\r" + name("sqrt")},
      // A name that ends in a function name is read with the function's mark inside it.
      {"xsin(1)", "* ERR. x##07(1 Espressione Variabile Errata\r" + name("x##0")},
      {"2*(3+4", open}, {"(1+(2)))", "* ERR.  2Parentesi Aperte e  3 Chiuse\r"},
      // Every operand error is listed in order, after the parenthesis line.
      {"(x+1.2.3", open + name("x") + num("1.2.3")},
      // Argument counts, innermost call first.
      {"ABS(1,2)", abs_count}, {"ABS((1,2))", abs_count},
      {"D_B(1,2)", "* ERR.  2 Argomenti nella Funzione   D_B Invece di  3\r"},
      {"D_B(4)", "* ERR.  1 Argomento nella Funzione   D_B Invece di  3\r"},
      {"SIN(ABS(1,2),3)+lngam(1,2,3)", abs_count +
                                       "* ERR.  2 Argomenti nella Funzione   SIN Invece di  1\r"
                                       "* ERR.  3 Argomenti nella Funzione LNGAM Invece di  1\r"}};
  // clang-format on
  Compiler compiler;
  for (const auto& [typed, lines] : cases) {
    SCOPED_TRACE(typed);
    EXPECT_EQ(Compile(compiler, Typed(typed), true).CompileFlag, -1);
    EXPECT_EQ(compiler.CompileListing(), kHead + lines);
    // Without the listing request nothing is listed; argument count errors still write the program.
    compiler.SetCompileListing("old");
    const CompiledProgram p = Compile(compiler, Typed(typed), false);
    EXPECT_EQ(std::tie(p.CompileFlag, compiler.CompileListing()), std::make_tuple(-1, ""));
    EXPECT_EQ(Kept(p), lines.find("Argoment") == std::string::npos);
  }
  const CompiledProgram p = Compile(compiler, Typed("ABS(1,2)"), false);
  EXPECT_EQ(std::tie(p.LastOperand, p.VarCount, p.ParCount), std::make_tuple(1, 0, 0));
  EXPECT_EQ(ProgramText(p.Program), "CALL ABS r0 r1 | EXPR r0");
  EXPECT_EQ(p.ValueTable, (std::vector<Value>{{}, 1, 2}));
}

constexpr char kVariables[] = "*** Controllo Sintattico delle Variabili...\r";
constexpr char kParameters[] = "*** Controllo Sintattico dei Parametri...\r";
constexpr char kConstants[] = "*** Controllo Sintattico delle Costanti...\r";
const std::string kNoConstants = std::string(kConstants) + "# Costanti      0\r" + kHead;
const std::string kEmptyTail = std::string(kParameters) + "# Parametri   0\r" + kNoConstants;

TEST(CompilerTest, ListingsOfTheDeclarations) {
  // clang-format off
  const std::pair<const char*, std::string> cases[] = {
      {"y@x,1b,alpha@x@k/2.5@x+k", kVariables + std::string("# Variabili   3\r"
           "* ERR. alpha  Nome piu` Lungo di 4 Caratteri, Troncato a alph\r* x      O.K.\r"
           "* ERR. 1b    il Nome NON Inizia con una Lettera\r* alph   O.K.\r") + kParameters +
           "# Parametri   1\r* x      O.K.\r"
           "* ERR. Nome x    della Variabile  0 Eguale Nome del Parametro  1\r" + kConstants +
           "# Costanti      1\r* k      O.K.\r" + kHead},
      // A long name that is not the last one gets the wide gap.
      {"y@alpha,b@@@1", kVariables + std::string("# Variabili   2\r"
           "* ERR. alpha    Nome piu` Lungo di 4 Caratteri, Troncato a alph\r"
           "* alph   O.K.\r* b      O.K.\r") + kEmptyTail},
      {"y@a,,b@@@1", kVariables + std::string("# Variabili   3\r* a      O.K.\r"
           "* ERR.    Variabile  1 NON definita\r* b      O.K.\r") + kEmptyTail},
      {"y@1a,a$,$a,\340b,a_1@@@1", kVariables + std::string("# Variabili   5\r"
          "* ERR. 1a    il Nome NON Inizia con una Lettera\r* ERR. a$    $   Carattere NON Valido\r"
          "* ERR. $a    il Nome NON Inizia con una Lettera\r* ERR. $a    $   Carattere NON Valido\r"
          "* ERR. \340b    il Nome NON Inizia con una Lettera\r"
          "* ERR. \340b    \300   Carattere NON Valido\r* a_1    O.K.\r") + kEmptyTail},
      // Clean sections before the first one in error are dropped from the listing.
      {"y@x,y@y@@1", kParameters + std::string("# Parametri   1\r* y      O.K.\r"
           "* ERR. Nome y    della Variabile  1 Eguale Nome del Parametro  1\r") + kNoConstants},
      // Only whole names clash: ab is no clash with abc.
      {"y@abc@@ab,abc/1,2@1", kConstants + std::string("# Costanti      2\r* ab     O.K.\r"
           "* abc    O.K.\r* Nome abc  della Costante  1 Eguale Nome di Var. o Par. 1\r") + kHead},
      // A name that runs across two slots of another list is no clash; a later whole one is.
      {"y@abcd@xabc,d@@1", kHead},
      {"y@abcd@xabc,d,abcd@@1", kParameters + std::string("# Parametri   3\r* xabc   O.K.\r"
           "* d      O.K.\r* abcd   O.K.\r"
           "* ERR. Nome abcd della Variabile  0 Eguale Nome del Parametro  9\r") + kNoConstants},
      // The first equal parameter counts; blanks inside a section carry no meaning.
      {"y@ q ,p@a,p,q,p@@1", kParameters + std::string("# Parametri   4\r* a      O.K.\r"
           "* p      O.K.\r* q      O.K.\r* p      O.K.\r"
           "* ERR. Nome q    della Variabile  0 Eguale Nome del Parametro  9\r"
           "* ERR. Nome p    della Variabile  1 Eguale Nome del Parametro  5\r") + kNoConstants},
      {"y@@@k@x", kHead + std::string("* ERR. Variabile x NON definita\r")},
      {"y@xabc,d@@@abcd", kHead + std::string("* ERR. Variabile abcd NON definita\r")}};
  // clang-format on
  Compiler compiler;
  for (const auto& [formula, listing] : cases) {
    SCOPED_TRACE(formula);
    EXPECT_EQ(Compile(compiler, formula, true).CompileFlag, listing == kHead ? 0 : -1);
    EXPECT_EQ(compiler.CompileListing(), listing);
  }
  // Without the listing request a declaration error keeps the text; counts and operands are set.
  compiler.SetCompileListing("previous");
  const CompiledProgram p = Compile(compiler, "y@x,1b,alpha@x@k/2.5@x+k", false);
  EXPECT_EQ(compiler.CompileListing(), "previous");
  EXPECT_EQ(std::tie(p.CompileFlag, p.VarCount, p.ParCount), std::make_tuple(-1, 3, 1));
  EXPECT_EQ(Codes(p.OperandMap), "1 5");
}

// A formula, its operand map and its ValueTable.
TEST(CompilerTest, OperandsReadTheirSlots) {
  const double inf = std::numeric_limits<double>::infinity();
  const auto k = [](const char* text) { return std::string("y@@@k/") + text + "@k"; };
  const std::tuple<std::string, const char*, std::vector<Value>> cases[] = {
      // clang-format off
      // Every literal has its own slot and keeps its full precision; an underflow reads 0.
      {Typed("2*(3+4)^2+0.12345678901234567890123+1E-999"), "1 2 3 4 5 6",
       {{}, 2, 3, 4, 2, 0.12345678901234567890123, 0}},
      {"y@u,v@w@k/2@u*v+w*k", "1 2 3 4", {{}, {}, {}, {}, 2.0}},
      // Each declared constant reads its own value text; one without a text reads 0.
      {"y@@@a,b/1.5@a+b+7", "1 2 3", {{}, 1.5, 0.0, 7.0}}, {"y@@@a/1,2@a+5", "1 2", {{}, 1.0, 5.0}},
      {"y@@@/2@5", "1", {{}, 5.0}},
      // A whole slot is found after a text across slots; of equal names the first one counts.
      {"y@xabc,d,abcd@@@abcd", "3", {{}, {}, {}, {}}}, {"y@x,x@@@x", "1", {{}, {}, {}}},
      {"y@a,b@@@b+a", "2 1", {{}, {}, {}}},
      // A literal's internal name reads the literal's slot after the declared names.
      {"y@v@@@7+@@00", "2 2", {{}, {}, 7.0}},
      // A value text is read as far as it makes a number, 0 when it makes none.
      {k("-2.5e1x"), "1", {{}, -25}}, {k("abc"), "1", {{}, 0}},   {k("+.5"), "1", {{}, 0.5}},
      {k("1.5e"), "1", {{}, 1.5}},    {k("1.5E+"), "1", {{}, 1.5}}, {k("7."), "1", {{}, 7}},
      {k("3E2"), "1", {{}, 300}},     {k(" - 4"), "1", {{}, -4}},  {k("1E999"), "1", {{}, inf}},
      {k("-1E999"), "1", {{}, -inf}}, {k("1E-999"), "1", {{}, 0}}, {k("1.2.3"), "1", {{}, 1.2}},
      {k("0.0001e-2"), "1", {{}, 1e-6}},
      {k("12345678901234567890123456"), "1", {{}, 1.2345678901234567890123456e25}},
      // clang-format on
  };
  Compiler compiler;
  for (const auto& [formula, operand_map, value_table] : cases) {
    SCOPED_TRACE(formula);
    const CompiledProgram p = Compile(compiler, formula, false);
    ASSERT_EQ(p.CompileFlag, 0);
    EXPECT_EQ(Codes(p.OperandMap), operand_map);
    EXPECT_EQ(p.ValueTable, value_table);
  }
}

// Operands, slots and lengths at their limits, and the largest formulas of shapes that stress
// every pass: the flag, the listing and the size of the program.
TEST(CompilerTest, Limits) {
  std::string variables = "v000";  // v000 .. v255
  for (int i = 1; i < 256; ++i) variables += ",v" + std::to_string(1000 + i).substr(1);
  const auto first = [&](int n) { return variables.substr(0, 5 * n - 1); };
  const std::string syntax = std::string(kHead) + kSyntax;
  const std::string many = std::string(kHead) + "* ERR. Troppi Nomi e Costanti (al massimo 255)\r";
  const std::string long_text = "* ERR. Espressione piu` Lunga di 32767 Caratteri\r";
  const std::string separators = "* ERR. Mancano i Separatori @ della Formula\r";
  // A literal of n characters: 1. and zeros.
  const auto literal = [](std::size_t n) { return "1." + std::string(n - 2, '0'); };
  const struct {
    const char* label;
    std::string formula;
    int flag;
    std::optional<std::string> listing;            // checked when given
    std::optional<std::size_t> lines = {};         // listing lines, checked when given
    std::optional<std::size_t> program_size = {};  // checked when given
  } cases[] = {
      // clang-format off
      {"no separators", "", -1, separators}, {"one separator", "1@2", -1, separators},
      {"three separators", "@@@", -1, separators},
      {"100 operands", Typed(Sum(100)), 0, kHead, {}, 3 * 99 + 3},
      {"101 operands", Typed(Sum(101)), -1, syntax},
      {"slot 255", "y@" + first(250) + "@@@" + Sum(5), 0, kHead},
      {"slots 256 and 257, listed once", "y@" + first(251) + "@@@" + Sum(6), -1, many},
      {"name in slot 256", "y@" + variables + "@@@v255", -1, many},
      {"expression of 32767", Typed("1" + std::string(32766, ' ')), 0, kHead, {}, 3},
      {"expression of 32768", Typed("1" + std::string(32767, ' ')), -1, long_text},
      {"variables of 32768", "y@a" + std::string(32767, ' ') + "@@@1", -1, long_text},
      {"constants of 32768", "y@@@k/" + std::string(32766, '1') + "@k", -1, long_text},
      {"long head", std::string(40000, 'h') + "@@@@1", 0, kHead},
      // The working text at its 16-bit limit and one past it: the failure lists no line.
      {"marked form of 32767", Typed(Repeat("(", 16376) + "1+1" + Repeat(")", 16376)), 0, kHead, {}, 6},
      {"marked form of 32768", Typed(Repeat("(", 16379) + "1" + Repeat(")", 16379)), -1, kHead},
      {"normal form of 32767", Typed(literal(32765)), 0, kHead, {}, 3},
      {"normal form of 32768", Typed(literal(32766)), -1, kHead},
      {"function marks to 32767",
       Typed(Repeat("P(", 5000) + literal(2765) + Repeat(")", 5000)), 0, kHead, {}, 3 * 5001},
      {"function marks to 32768",
       Typed(Repeat("P(", 5000) + literal(2766) + Repeat(")", 5000)), -1, kHead},
      // Typed texts of 32767 characters.
      {"deep nesting", Typed(Repeat("(", 16383) + "1" + Repeat(")", 16383)), -1, kHead},
      {"unary plus run", Typed(Repeat("+", 32766) + "1"), 0, kHead, {}, 3},
      {"binary plus run", Typed("1" + Repeat("+", 32765) + "1"), -1, kHead},
      {"function chain", Typed(Repeat("SIN(", 6553) + " 1" + Repeat(")", 6553)), -1, kHead},
      {"short chain", Typed(Repeat("P(", 10922) + "1" + Repeat(")", 10922)), -1, kHead},
      {"nested negations", Typed(Repeat("(-", 10922) + "1" + Repeat(")", 10922)), -1, many},
      {"undefined names", Typed(Repeat("x+", 16383) + "x"), -1, {}, 16385},
      {"literals", Typed(Sum(16384)), -1, many},
      {"invalid literals", Typed(Repeat("1.1.,", 6552) + "1.1.1.1"), -1, {}, 6555},
      {"one long name", Typed(std::string(32767, 'a')), -1, {}, 3},
      {"stray marks", Typed(std::string(32767, '#')), -1, kHead},
      {"argument list", Typed("SUM(" + Repeat("(", 16379) + "1" + Repeat(")", 16380) + "..."),
       -1, {}, 2},
      // clang-format on
  };
  Compiler compiler;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const CompiledProgram p = Compile(compiler, c.formula, true);
    EXPECT_EQ(p.CompileFlag, c.flag);
    EXPECT_EQ(Kept(p), c.flag != 0);
    const std::string& listing = compiler.CompileListing();
    if (c.listing) {
      EXPECT_EQ(listing, *c.listing);
    }
    if (c.lines) {
      EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\r')),
                *c.lines);
    }
    if (c.program_size) {
      EXPECT_EQ(p.Program.size(), *c.program_size);
    }
  }
  compiler.SetCompileListing("old");  // without the listing request nothing is listed
  EXPECT_EQ(Compile(compiler, "@@@", false).CompileFlag, -1);
  EXPECT_EQ(compiler.CompileListing(), "");
}

}  // namespace
}  // namespace numerella
