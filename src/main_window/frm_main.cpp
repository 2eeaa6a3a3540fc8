// The main window's controls, menus, start-up, layout and keys.
#include "main_window/frm_main.h"

#include <QAction>
#include <QDir>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <cmath>

#include "main_window/entry_boxes.h"
#include "platform/latin1.h"
#include "platform/platform_fonts.h"

namespace numerella {

namespace {

constexpr double kWindowPointSize = 10.8;
constexpr double kButtonPointSize = 7.8;

// A history row's look: the light 3D shade behind the window text.
void PaintHistoryBackground(QWidget* widget, QPalette::ColorRole role) {
  QPalette palette = widget->palette();
  palette.setColor(role, palette.color(QPalette::Midlight));
  palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
  widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const char* name, Qt::Alignment alignment) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setAlignment(alignment | Qt::AlignVCenter);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  label->setTextFormat(Qt::PlainText);  // texts read from a file are shown as they are
  label->setAutoFillBackground(true);
  return label;
}

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

  cmd_ent_ = new QPushButton(QStringLiteral("CALCOLO"), area_);
  cmd_ent_->setObjectName(QStringLiteral("CmdEnt"));
  cmd_ent_->setFont(ButtonFont());
  cmd_ent_->setDefault(true);
  connect(cmd_ent_, &QPushButton::clicked, this, &FrmMain::RunCalculation);

  lbl_val_ = MakeLabel(area_, "LblVal", Qt::AlignLeft);

  for (int i = 0; i < kHistoryRows; ++i) {
    auto* box = new HistoryBox(area_);
    box->setObjectName(QStringLiteral("TxtSav%1").arg(i));
    box->setFrame(false);
    box->setFocusPolicy(Qt::ClickFocus);  // readable and selectable, but not a tab stop
    PaintHistoryBackground(box, QPalette::Base);
    connect(box, &HistoryBox::typed, this, &FrmMain::ReturnToExpression);
    txt_sav_[i] = box;

    QLabel* label = MakeLabel(area_, "", Qt::AlignRight);
    label->setObjectName(QStringLiteral("LblSav%1").arg(i));
    label->setFocusPolicy(Qt::ClickFocus);
    PaintHistoryBackground(label, QPalette::Window);
    lbl_sav_[i] = label;
  }
}

void FrmMain::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("MnuFil"));
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
  mnu_ser_fun_ = services->addAction(QStringLiteral("&Funzioni Intrinseche"));
  mnu_ser_fun_->setObjectName(QStringLiteral("MnuSerFun"));
  mnu_ser_fun_->setShortcut(QKeySequence(Qt::Key_F1));
  connect(mnu_ser_fun_, &QAction::triggered, this, &FrmMain::ShowFunctionListCommand);
  mnu_ser_lis_ = services->addAction(QStringLiteral("&Lista Errori"));
  mnu_ser_lis_->setObjectName(QStringLiteral("MnuSerLis"));
  mnu_ser_lis_->setCheckable(true);  // each click toggles the listing request

  // ESCI has no room in the drawing area, whose size follows from the font alone; it sits at
  // the right end of the menu bar and closes the window.
  cmd_exi_ = new QPushButton(QStringLiteral("ESCI"), menuBar());
  cmd_exi_->setObjectName(QStringLiteral("CmdExi"));
  cmd_exi_->setFont(ButtonFont());
  cmd_exi_->setToolTip(QStringLiteral("Chiude la Numerella (Ctrl+Q)"));
  connect(cmd_exi_, &QPushButton::clicked, this, &QWidget::close);
  // Ctrl+Q closes at once (a button's own shortcut would only animate a click).
  auto* quit = new QAction(this);
  quit->setObjectName(QStringLiteral("AzioneEsci"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);
  addAction(quit);
  menuBar()->setCornerWidget(cmd_exi_, Qt::TopRightCorner);

  setTabOrder(txt_exp_, cmd_ent_);
  setTabOrder(cmd_ent_, cmd_exi_);
  setTabOrder(cmd_exi_, lbl_val_);
}

void FrmMain::StartUp() {
  mnu_fil_scr_->setEnabled(false);
  program_folder_ = QDir::currentPath();

  const QFontMetricsF metrics(area_->font(), area_);
  cw_ = PixelsToWholeTwips(metrics.horizontalAdvance(QStringLiteral("0")), logicalDpiX());
  ch_ = PixelsToWholeTwips(metrics.height(), logicalDpiY());

  for (int i = 0; i < kHistoryRows; ++i) {
    txt_sav_[i]->setText(QStringLiteral(" "));
    lbl_sav_[i]->setText(QStringLiteral(" "));
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

  const PixelRect client =
      ToPixels({0, 0, layout_.client_width, layout_.client_height}, dpi_x, dpi_y);
  area_->setFixedSize(client.width, client.height);
  layout()->setSizeConstraint(QLayout::SetFixedSize);  // the window keeps its computed size
}

void FrmMain::keyPressEvent(QKeyEvent* event) {
  // Enter that no control used (history rows, labels, ESCI): CALCOLO is the window's default
  // button, so Enter anywhere starts one calculation. The expression box and CALCOLO itself
  // take Enter before it gets here, so one key press never starts two runs.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    RunCalculation();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void FrmMain::ReturnToExpression(const QString& typed) {
  txt_exp_->setFocus();
  if (!typed.isEmpty()) txt_exp_->insertPlainText(typed);
}

History FrmMain::CurrentHistory() const {
  History history;
  for (int i = 0; i < kHistoryRows; ++i) {
    history[i] = {ToBytes(txt_sav_[i]->text()), ToBytes(lbl_sav_[i]->text())};
  }
  return history;
}

void FrmMain::ShowHistory(const History& history) {
  for (int i = 0; i < kHistoryRows; ++i) {
    txt_sav_[i]->setText(FromBytes(history[i].formula));
    txt_sav_[i]->setCursorPosition(0);
    lbl_sav_[i]->setText(FromBytes(history[i].result));
  }
}

}  // namespace numerella
