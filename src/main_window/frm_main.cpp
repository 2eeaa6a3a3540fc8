// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls, menus, start-up and layout.
#include "main_window/frm_main.h"

#include <QAction>
#include <QDir>
#include <QFontMetricsF>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <cmath>

#include "main_window/entry_boxes.h"
#include "main_window/typing_help.h"
#include "platform/latin1.h"
#include "platform/platform_fonts.h"
#include "platform/platform_services.h"

namespace numerella {

namespace {

constexpr double kWindowPointSize = 10.8;
constexpr double kButtonPointSize = 7.8;

// Typing or pasting was refused: the formula would be longer than the compiler takes.
constexpr char kFormulaTooLongText[] = "Formula Troppo Lunga (al massimo 32767 caratteri)";
static_assert(ExpressionBox::kMaxFormula == 32767);

}  // namespace

QFont FrmMain::TerminalFont() { return PlatformFont("Terminal", kWindowPointSize); }

QFont FrmMain::ButtonFont() { return PlatformFont("MS Sans Serif", kButtonPointSize); }

FrmMain::FrmMain(PlatformServices& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform) {
  setObjectName(QStringLiteral("FrmMain"));
  setWindowTitle(QStringLiteral("Numerella"));
  CreateControls();
  CreateMenus();
  StartUp();
}

FrmMain::~FrmMain() = default;

void FrmMain::CreateControls() {
  area_ = new QWidget(this);
  area_->setObjectName(QStringLiteral("DrawingArea"));
  area_->setFont(TerminalFont());
  setCentralWidget(area_);

  txt_exp_ = new ExpressionBox(area_);
  txt_exp_->setObjectName(QStringLiteral("TxtExp"));
  connect(txt_exp_, &ExpressionBox::enterPressed, this, &FrmMain::RunCalculation);
  connect(txt_exp_, &ExpressionBox::historyStep, this, &FrmMain::StepThroughHistory);
  connect(txt_exp_, &ExpressionBox::tooLong, this, [this] {
    platform_.ShowMessageBox(this, kFormulaTooLongText, BoxStyle::kOkExclamation, "NUMERELLA");
    BackToExpression();
  });
  connect(txt_exp_, &QPlainTextEdit::textChanged, this, [this] {
    if (!putting_text_) history_.EndWalk();  // the user edits: a new walk next time
  });

  cmd_ent_ = new QPushButton(QStringLiteral("CALCOLO"), area_);
  cmd_ent_->setObjectName(QStringLiteral("CmdEnt"));
  cmd_ent_->setFont(ButtonFont());
  cmd_ent_->setDefault(true);
  cmd_ent_->setFocusPolicy(Qt::TabFocus);  // a click leaves the focus where typing goes on
  connect(cmd_ent_, &QPushButton::clicked, this, &FrmMain::RunCalculation);

  // ESCI has a row of its own under CALCOLO (the layout places it); Alt+E presses it.
  cmd_exi_ = new QPushButton(QStringLiteral("&ESCI"), area_);
  cmd_exi_->setObjectName(QStringLiteral("CmdExi"));
  cmd_exi_->setFont(ButtonFont());
  cmd_exi_->setToolTip(QStringLiteral("Chiude la Numerella (Ctrl+Q)"));
  connect(cmd_exi_, &QPushButton::clicked, this, &QWidget::close);

  lbl_val_ = new ResultLabel(QStringLiteral("Risultato"), Qt::AlignLeft, area_);
  lbl_val_->setObjectName(QStringLiteral("LblVal"));

  for (int i = 0; i < kHistoryRows; ++i) {
    auto* box = new HistoryBox(area_);
    box->setObjectName(QStringLiteral("TxtSav%1").arg(i));
    box->setFrame(false);
    connect(box, &HistoryBox::typed, this, &FrmMain::ReturnToExpression);
    connect(box, &HistoryBox::recalled, this, [this, i] { RecallRow(i); });
    txt_sav_[i] = box;

    auto* label = new ResultLabel(QStringLiteral("Cronologia, risultato %1").arg(i + 1),
                                  Qt::AlignRight, area_);
    label->setObjectName(QStringLiteral("LblSav%1").arg(i));
    lbl_sav_[i] = label;
  }
  PaintHistoryRows();
  NameControlsForScreenReaders();
  new TypingHelp(txt_exp_);  // preview, error underline and completion; owned by the box
}

void FrmMain::CreateMenus() {
  menuBar()->setAccessibleName(QStringLiteral("Barra dei menu"));
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("MnuFil"));
  file->setAccessibleName(QStringLiteral("File"));
  mnu_fil_let_ = file->addAction(QStringLiteral("&Lettura"));
  mnu_fil_let_->setObjectName(QStringLiteral("MnuFilLet"));
  mnu_fil_let_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  connect(mnu_fil_let_, &QAction::triggered, this, &FrmMain::ReadCalculationFileCommand);
  mnu_fil_scr_ = file->addAction(QStringLiteral("&Scrittura"));
  mnu_fil_scr_->setObjectName(QStringLiteral("MnuFilScr"));
  mnu_fil_scr_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  connect(mnu_fil_scr_, &QAction::triggered, this, &FrmMain::WriteCalculationFileCommand);

  QMenu* services = menuBar()->addMenu(QStringLiteral("&Servizi"));
  services->setObjectName(QStringLiteral("MnuSer"));
  services->setAccessibleName(QStringLiteral("Servizi"));
  mnu_ser_fun_ = services->addAction(QStringLiteral("&Funzioni Intrinseche"));
  mnu_ser_fun_->setObjectName(QStringLiteral("MnuSerFun"));
  mnu_ser_fun_->setShortcut(QKeySequence(Qt::Key_F1));
  connect(mnu_ser_fun_, &QAction::triggered, this, &FrmMain::ShowFunctionListCommand);
  mnu_ser_lis_ = services->addAction(QStringLiteral("&Lista Errori"));
  mnu_ser_lis_->setObjectName(QStringLiteral("MnuSerLis"));
  mnu_ser_lis_->setCheckable(true);  // each click toggles the listing request

  // Ctrl+Q closes at once (a button's own shortcut would only animate a click).
  auto* quit = new QAction(this);
  quit->setObjectName(QStringLiteral("AzioneEsci"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);
  addAction(quit);

  // Tab: the expression box, CALCOLO, ESCI, the result, then the history rows from the top,
  // each formula followed by its result, so that every row can be read from the keyboard.
  setTabOrder(txt_exp_, cmd_ent_);
  setTabOrder(cmd_ent_, cmd_exi_);
  setTabOrder(cmd_exi_, lbl_val_);
  QWidget* previous = lbl_val_;
  for (int i = 0; i < kHistoryRows; ++i) {
    setTabOrder(previous, txt_sav_[i]);
    setTabOrder(txt_sav_[i], lbl_sav_[i]);
    previous = lbl_sav_[i];
  }
}

void FrmMain::StartUp() {
  mnu_fil_scr_->setEnabled(false);
  program_folder_ = QDir::currentPath();

  const QFontMetricsF metrics(area_->font(), area_);
  cw_ = PixelsToWholeTwips(metrics.horizontalAdvance(QStringLiteral("0")), logicalDpiX());
  ch_ = PixelsToWholeTwips(metrics.height(), logicalDpiY());

  for (int i = 0; i < kHistoryRows; ++i) {
    txt_sav_[i]->setText(FromBytes(history_.Rows()[i].formula));
    lbl_sav_[i]->SetResult(FromBytes(history_.Rows()[i].result));
  }
  ApplyLayout();
  txt_exp_->setFocus();
}

void FrmMain::ApplyLayout() {
  const double dpi_x = logicalDpiX();
  const double dpi_y = logicalDpiY();
  // Heights come back from the screen as whole pixels, rounded up so that a row never cuts
  // off the bottom of its text (underscores, descenders); the rows are stacked by those.
  const auto whole_pixels = [dpi_y](double twips) {
    return std::ceil(TwipsToPixels(twips, dpi_y) - 1e-9) * kTwipsPerInch / dpi_y;
  };
  layout_ = ComputeMainWindowLayout(cw_, ch_, whole_pixels);

  const auto place = [dpi_x, dpi_y](QWidget* widget, const TwipRect& rect) {
    const PixelRect px = ToPixels(rect, dpi_x, dpi_y);
    widget->setGeometry(px.x, px.y, px.width, px.height);
  };
  for (int i = 0; i < kHistoryRows; ++i) {
    place(txt_sav_[i], layout_.formula_rows[i]);
    place(lbl_sav_[i], layout_.result_rows[i]);
  }
  place(txt_exp_, layout_.expression);
  place(lbl_val_, layout_.result);
  place(cmd_ent_, layout_.calculate);
  place(cmd_exi_, layout_.exit);

  const PixelRect client =
      ToPixels({0, 0, layout_.client_width, layout_.area_height}, dpi_x, dpi_y);
  area_->setFixedSize(client.width, client.height);
  layout()->setSizeConstraint(QLayout::SetFixedSize);  // the window keeps its computed size
}

void FrmMain::ShowHistory() {
  const History& history = history_.Rows();
  for (int i = 0; i < kHistoryRows; ++i) {
    txt_sav_[i]->setText(FromBytes(history[i].formula));
    txt_sav_[i]->setCursorPosition(0);
    lbl_sav_[i]->SetResult(FromBytes(history[i].result));
  }
}

}  // namespace numerella
