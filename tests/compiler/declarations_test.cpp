// Declared variables, parameters and constants: their listing, slots and values.
#include <gtest/gtest.h>

#include <limits>

#include "compiler_test_support.h"

namespace numerella {
namespace {

using testing_support::CodeList;
using testing_support::Compile;

constexpr char kVariables[] = "*** Controllo Sintattico delle Variabili...\r";
constexpr char kParameters[] = "*** Controllo Sintattico dei Parametri...\r";
constexpr char kConstants[] = "*** Controllo Sintattico delle Costanti...\r";
constexpr char kExpression[] = "*** Controllo della Funzione\r";
constexpr char kNoParameters[] = "# Parametri   0\r";
constexpr char kNoConstants[] = "# Costanti      0\r";

struct DeclarationCase {
  const char* formula;
  std::string listing;
};

const DeclarationCase kDeclarations[] = {
    {"y@x,1b,alpha@x@k/2.5@x+k",
     std::string(kVariables) + "# Variabili   3\r" +
         "* ERR. alpha  Nome piu` Lungo di 4 Caratteri, Troncato a alph\r" +
         "* x   " "  " " O.K.\r" "* ERR. 1b  " "  " "il Nome NON Inizia con una Lettera\r" +
         "* alph" "  " " O.K.\r" + kParameters + "# Parametri   1\r" + "* x   " "  " " O.K.\r" +
         "* ERR. Nome x    della Variabile  0 Eguale Nome del Parametro  1\r" + kConstants +
         "# Costanti      1\r" + "* k   " "  " " O.K.\r" + kExpression},
    // A long name that is not the last one gets the wide gap.
    {"y@alpha,b@@@1",
     std::string(kVariables) + "# Variabili   2\r" +
         "* ERR. alpha    Nome piu` Lungo di 4 Caratteri, Troncato a alph\r" +
         "* alph" "  " " O.K.\r" "* b   " "  " " O.K.\r" + kParameters + kNoParameters +
         kConstants + kNoConstants + kExpression},
    {"y@a,,b@@@1", std::string(kVariables) + "# Variabili   3\r" + "* a   " "  " " O.K.\r" +
                       "* ERR.    Variabile  1 NON definita\r" + "* b   " "  " " O.K.\r" +
                       kParameters + kNoParameters + kConstants + kNoConstants + kExpression},
    {"y@1a,a$,$a,\xe0" "b,a_1@@@1",
     std::string(kVariables) + "# Variabili   5\r" +
         "* ERR. 1a    il Nome NON Inizia con una Lettera\r" +
         "* ERR. a$    $   Carattere NON Valido\r" +
         "* ERR. $a    il Nome NON Inizia con una Lettera\r" +
         "* ERR. $a    $   Carattere NON Valido\r" +
         "* ERR. \xe0" "b    il Nome NON Inizia con una Lettera\r" +
         "* ERR. \xe0" "b    \xc0   Carattere NON Valido\r" + "* a_1 " "  " " O.K.\r" +
         kParameters + kNoParameters + kConstants + kNoConstants + kExpression},
    // Clean sections before the first one in error are dropped from the listing.
    {"y@x,y@y@@1", std::string(kParameters) + "# Parametri   1\r" + "* y   " "  " " O.K.\r" +
                       "* ERR. Nome y    della Variabile  1 Eguale Nome del Parametro  1\r" +
                       kConstants + kNoConstants + kExpression},
    // Only whole names clash: ab is no clash with abc.
    {"y@abc@@ab,abc/1,2@1",
     std::string(kConstants) + "# Costanti      2\r" + "* ab  " "  " " O.K.\r" +
         "* abc " "  " " O.K.\r" +
         "* Nome abc  della Costante  1 Eguale Nome di Var. o Par. 1\r" + kExpression},
    // A name that runs across two slots of another list is no clash; a later whole one is.
    {"y@abcd@xabc,d@@1", std::string(kExpression)},
    {"y@abcd@xabc,d,abcd@@1",
     std::string(kParameters) + "# Parametri   3\r" + "* xabc" "  " " O.K.\r" +
         "* d   " "  " " O.K.\r" "* abcd" "  " " O.K.\r" +
         "* ERR. Nome abcd della Variabile  0 Eguale Nome del Parametro  9\r" + kConstants +
         kNoConstants + kExpression},
    {"y@@@k@x", std::string(kExpression) + "* ERR. Variabile x NON definita\r"},
    {"y@xabc,d@@@abcd", std::string(kExpression) + "* ERR. Variabile abcd NON definita\r"},
};

TEST(DeclarationsTest, ListingsOfTheSections) {
  Compiler compiler;
  for (const DeclarationCase& c : kDeclarations) {
    SCOPED_TRACE(c.formula);
    const CompiledProgram p = Compile(compiler, c.formula, true);
    EXPECT_EQ(compiler.CompileListing(), c.listing);
    EXPECT_EQ(p.CompileFlag, c.listing == kExpression ? 0 : -1);
  }
}

TEST(DeclarationsTest, CountsAreWrittenOnFailure) {
  Compiler compiler;
  const CompiledProgram p = Compile(compiler, "y@x,1b,alpha@x@k/2.5@x+k", false);
  EXPECT_EQ(p.CompileFlag, -1);
  EXPECT_EQ(p.VarCount, 3);
  EXPECT_EQ(p.ParCount, 1);
  EXPECT_EQ(CodeList(p.OperandMap), (std::vector<int>{1, 5}));
}

struct SlotCase {
  const char* formula;
  std::vector<int> operand_map;
  std::vector<Value> value_table;
};

const SlotCase kSlots[] = {
    {"y@u,v@w@k/2@u*v+w*k", {1, 2, 3, 4}, {{}, {}, {}, {}, 2.0}},
    // Each declared constant reads its own value text; one without a text reads 0.
    {"y@@@a,b/1.5@a+b+7", {1, 2, 3}, {{}, 1.5, 0.0, 7.0}},
    {"y@@@a/1,2@a+5", {1, 2}, {{}, 1.0, 5.0}},
    {"y@@@/2@5", {1}, {{}, 5.0}},
    // A whole slot is found even after a text that runs across slots.
    {"y@xabc,d,abcd@@@abcd", {3}, {{}, {}, {}, {}}},
    // Equal names: the first one counts.
    {"y@x,x@@@x", {1}, {{}, {}, {}}},
};

TEST(DeclarationsTest, OperandsReadTheirSlots) {
  Compiler compiler;
  for (const SlotCase& c : kSlots) {
    SCOPED_TRACE(c.formula);
    const CompiledProgram p = Compile(compiler, c.formula, false);
    ASSERT_EQ(p.CompileFlag, 0);
    EXPECT_EQ(CodeList(p.OperandMap), c.operand_map);
    EXPECT_EQ(p.ValueTable, c.value_table);
  }
  Compiler one;
  const CompiledProgram p = Compile(one, "y@@@a,b/1.5@a+b+7", false);
  EXPECT_DOUBLE_EQ(testing_support::RunOperators(p), 8.5);
}

TEST(DeclarationsTest, ConstantValueTexts) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"-2.5e1x", -25},   {"abc", 0},      {"+.5", 0.5},   {"1.5e", 1.5},  {"1.5E+", 1.5},
      {"7.", 7},          {"3E2", 300},    {" - 4", -4},   {"1E999", inf}, {"-1E999", -inf},
      {"1E-999", 0},      {"1.2.3", 1.2},  {"0.0001e-2", 1e-6},
      {"12345678901234567890123456", 1.2345678901234567890123456e25},
  };
  Compiler compiler;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const CompiledProgram p = Compile(compiler, std::string("y@@@k/") + c.text + "@k", false);
    ASSERT_EQ(p.CompileFlag, 0);
    ASSERT_EQ(p.ValueTable.size(), 2u);
    EXPECT_EQ(p.ValueTable[1], c.value);
  }
}

}  // namespace
}  // namespace numerella
