// The main window at start-up and its calculation run: every outcome, the history, and what
// is left alone when a run fails.
#include <QDialog>
#include <QLayout>

#include "main_window/layout.h"
#include "window_fixture.h"

namespace numerella {
namespace {

TEST_F(WindowTest, StartsEmptyWithScritturaDisabled) {
  EXPECT_EQ(window().windowTitle(), "Numerella");
  EXPECT_EQ(window().CurrentHistory(), UnusedHistory());
  EXPECT_EQ(Expression(), "");
  EXPECT_EQ(Result(), "");
  EXPECT_FALSE(MnuFilScr()->isEnabled());
  EXPECT_TRUE(Menu("MnuFilLet")->isEnabled());
  EXPECT_TRUE(Menu("MnuSerFun")->isEnabled());
  EXPECT_TRUE(MnuSerLis()->isCheckable());
  EXPECT_FALSE(MnuSerLis()->isChecked());
  EXPECT_EQ(CmdEnt()->text(), "CALCOLO");
  EXPECT_TRUE(CmdEnt()->isDefault());
  EXPECT_EQ(Control<QPushButton>("CmdExi")->text(), "ESCI");
  for (int i = 0; i < kHistoryRows; ++i) {
    EXPECT_TRUE(TxtSav(i)->isReadOnly());
    EXPECT_TRUE(LblSav(i)->alignment() & Qt::AlignRight);
  }
}

TEST_F(WindowTest, ControlsSitWhereTheLayoutPutsThem) {
  const MainWindowLayout& l = window().Layout();
  EXPECT_GT(window().CharWidth(), 0);
  EXPECT_GT(window().CharHeight(), 0);
  const double dx = window().logicalDpiX(), dy = window().logicalDpiY();
  const auto pixels = [&](const TwipRect& r) {
    const PixelRect p = ToPixels(r, dx, dy);
    return QRect(p.x, p.y, p.width, p.height);
  };
  for (int i = 0; i < kHistoryRows; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(TxtSav(i)->geometry(), pixels(l.formula_rows[i]));
    EXPECT_EQ(LblSav(i)->geometry(), pixels(l.result_rows[i]));
    if (i > 0) {
      EXPECT_EQ(TxtSav(i)->y(), TxtSav(i - 1)->geometry().bottom() + 1);
    }
  }
  EXPECT_EQ(TxtExp()->geometry(), pixels(l.expression));
  EXPECT_EQ(LblVal()->geometry(), pixels(l.result));
  EXPECT_EQ(CmdEnt()->geometry(), pixels(l.calculate));
  EXPECT_EQ(CmdEnt()->geometry().bottom(), TxtExp()->geometry().bottom());
  window().show();
  window().resize(window().size() * 2);  // the window keeps its computed size
  EXPECT_EQ(window().minimumSize(), window().maximumSize());
  EXPECT_EQ(window().centralWidget()->size(),
            pixels({0, 0, l.client_width, l.client_height}).size());
}

struct ResultCase {
  const char* formula;
  const char* shown;
};

TEST_F(WindowTest, SuccessfulRunShowsTheResultAndShiftsItIntoRowNine) {
  const ResultCase cases[] = {
      {"2+3", "5"},
      {"1/2", ".5"},
      {"-2", "-2"},
      {"1/3", ".3333333"},
      {"123456789", "1.234568E+08"},
      {"0.0000000001", "1E-10"},
      {"1E+39", "**************"},
      {"-(1/4)", "-.25"},
      {"SUM(1,2,3)", "6"},
  };
  for (const ResultCase& c : cases) {
    SCOPED_TRACE(c.formula);
    Run(c.formula);
    EXPECT_EQ(Result(), c.shown);
    EXPECT_EQ(ToBytes(TxtSav(9)->text()), c.formula);
    EXPECT_EQ(ToBytes(LblSav(9)->text()), c.shown);
    EXPECT_EQ(Expression(), c.formula);  // kept for editing
    EXPECT_TRUE(MnuFilScr()->isEnabled());
  }
  EXPECT_TRUE(platform_.boxes().empty());
  EXPECT_TRUE(platform_.modals().empty());
}

TEST_F(WindowTest, ElevenRunsKeepTheLastTen) {
  for (int run = 1; run <= 11; ++run) Run(std::to_string(run) + "*1");
  for (int i = 0; i < kHistoryRows; ++i) {
    EXPECT_EQ(ToBytes(TxtSav(i)->text()), std::to_string(i + 2) + "*1");
    EXPECT_EQ(ToBytes(LblSav(i)->text()), std::to_string(i + 2));
  }
}

TEST_F(WindowTest, HistoryRowIsTrimmedButTheExpressionBoxIsNot) {
  Run("   2+3  ");
  EXPECT_EQ(ToBytes(TxtSav(9)->text()), "2+3");
  EXPECT_EQ(Expression(), "   2+3  ");
  EXPECT_EQ(Result(), "5");
}

TEST_F(WindowTest, BlankFormulaOnlyReturnsTheFocus) {
  window().show();
  for (const char* blank : {"", " ", "      "}) {
    CmdEnt()->setFocus();
    Run(blank);
    EXPECT_EQ(window().focusWidget(), TxtExp()) << '"' << blank << '"';
  }
  EXPECT_EQ(window().CurrentHistory(), UnusedHistory());
  EXPECT_EQ(Result(), "");
  EXPECT_FALSE(MnuFilScr()->isEnabled());
  EXPECT_TRUE(platform_.boxes().empty());
  EXPECT_TRUE(platform_.modals().empty());
}

// A failed run as the first action, and after a successful one: what must survive.
struct FailureCase {
  const char* formula;
  bool compile_failure;  // otherwise the evaluation fails
};

TEST_F(WindowTest, FailedRunsLeaveEverythingAsItWas) {
  const FailureCase cases[] = {{"2+", true},   {"(1", true},      {"FOO(1)", true},
                               {"1/0", false}, {"LOG(0)", false}, {"SQR(-1)", false}};
  for (const bool after_success : {false, true}) {
    for (const FailureCase& c : cases) {
      SCOPED_TRACE(std::string(c.formula) + (after_success ? " after 7" : " first"));
      window_ = std::make_unique<FrmMain>(platform_);
      if (after_success) Run("7");
      const History before = window().CurrentHistory();
      const std::size_t boxes = platform_.boxes().size();
      const std::size_t modals = platform_.modals().size();
      Run(c.formula);
      EXPECT_EQ(window().CurrentHistory(), before);
      EXPECT_EQ(Result(), after_success ? "7" : "");
      EXPECT_EQ(Expression(), c.formula);
      EXPECT_EQ(MnuFilScr()->isEnabled(), after_success);
      if (c.compile_failure) {
        ASSERT_EQ(platform_.modals().size(), modals + 1);
        EXPECT_EQ(platform_.modals().back().title, "Numerella");
        EXPECT_EQ(platform_.boxes().size(), boxes);
      } else {
        ASSERT_EQ(platform_.boxes().size(), boxes + 1);
        EXPECT_EQ(platform_.boxes().back().text, "Errore di Esecuzione");
        EXPECT_EQ(platform_.boxes().back().title, "NUMERELLA");
        EXPECT_EQ(platform_.boxes().back().style, kBoxOk);
        EXPECT_EQ(platform_.modals().size(), modals);
      }
    }
  }
}

TEST_F(WindowTest, CompileFailureWindowHasOneContinuaButton) {
  QStringList captions;
  platform_.QueueModal([&captions](QDialog& dialog) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
      if (b->isVisibleTo(&dialog)) captions << b->text();
    }
    ScriptedPlatformServices::PressButton(dialog, 1);
  });
  Run("2+");
  EXPECT_EQ(captions, QStringList{"&Continua"});
}

// The check mark of Servizi > Lista Errori is the listing request of every run.
TEST_F(WindowTest, ListaErroriCheckMarkReachesTheCompiler) {
  Run("2+");
  EXPECT_EQ(window().compiler().CompileListing(), "***Errori di Compilazione");
  MnuSerLis()->trigger();
  ASSERT_TRUE(MnuSerLis()->isChecked());
  Run("2+");
  const std::string listing = window().compiler().CompileListing();
  EXPECT_NE(listing, "***Errori di Compilazione");
  EXPECT_NE(listing.find('\r'), std::string::npos) << listing;
  MnuSerLis()->trigger();
  EXPECT_FALSE(MnuSerLis()->isChecked());
  Run("2+");
  EXPECT_EQ(window().compiler().CompileListing(), "***Errori di Compilazione");
}

TEST_F(WindowTest, FunctionNoticesAppearAsPlainMessageBoxes) {
  Run("C_X2(1E+9,1E+9)");
  ASSERT_FALSE(platform_.boxes().empty());
  EXPECT_EQ(platform_.boxes().front().text, "Errori nel Calcolo della Funzione");
  EXPECT_EQ(platform_.boxes().front().title, "D_X2");
  EXPECT_EQ(platform_.boxes().front().style, kBoxOk);
  EXPECT_NE(Result(), "");  // the run still completes with its value
}

}  // namespace
}  // namespace numerella
