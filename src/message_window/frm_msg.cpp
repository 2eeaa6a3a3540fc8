// The message window: its controls, its text surface, its geometry in twips and its keys.
#include "message_window/frm_msg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "message_window/cp437.h"
#include "message_window/mod_msg.h"
#include "platform/platform_fonts.h"
#include "platform/twips.h"

// Resources of a static library must be registered by hand, from the global namespace.
static void InitMessageIcons() { Q_INIT_RESOURCE(message_icons); }

namespace numerella {

namespace {

constexpr double kButtonFontPoints = 7.8;

int ToPixels(double twips, double pixels_per_twip) {
  return static_cast<int>(std::lround(twips * pixels_per_twip));
}

// Icon kinds 1 ... 4 with the names of their image controls and resources.
struct IconInfo {
  const char* object_name;
  const char* resource;
};
constexpr IconInfo kIcons[] = {
    {"ImgDom", "question"},
    {"ImgEsc", "exclamation"},
    {"ImgInf", "information"},
    {"ImgStp", "stop"},
};

}  // namespace

FrmMsg& FrmMsg::Instance() {
  static FrmMsg* const instance = new FrmMsg();  // lives until the program ends
  return *instance;
}

FrmMsg::FrmMsg() : QDialog(nullptr) {
  InitMessageIcons();
  setObjectName(QStringLiteral("FrmMsg"));
  setWindowTitle(QStringLiteral("Form1"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  font_ = PlatformFont(font_name_, font_points_);
  buttons_.push_back(NewButton(0));
  buttons_.push_back(NewButton(1));
  const double ppt = PixelsPerTwip();
  for (const IconInfo& info : kIcons) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(info.object_name));
    QIcon icon;
    for (const int size : {16, 32}) {
      icon.addFile(QStringLiteral(":/message_window/icons/%1-%2.png")
                       .arg(QString::fromLatin1(info.resource))
                       .arg(size));
    }
    const int side = ToPixels(kIconSize, ppt);
    label->setFixedSize(side, side);
    label->setPixmap(icon.pixmap(side, side));
    label->setScaledContents(true);
    label->hide();
    icons_.push_back(label);
  }
  SetClientSizeTwips(4884, 2340);
  winId();  // a native window from the start, so that its frame can be measured
}

QPushButton* FrmMsg::NewButton(int index) {
  auto* button = new QPushButton(QStringLiteral("Cmd(%1)").arg(index), this);
  button->setObjectName(QStringLiteral("CmdMsg%1").arg(index + 1));
  button->setFont(PlatformFont("MS Sans Serif", kButtonFontPoints));
  const double ppt = PixelsPerTwip();
  button->setFixedSize(ToPixels(kButtonW, ppt), ToPixels(kButtonH, ppt));
  button->setAutoDefault(true);  // Enter presses the focused button
  connect(button, &QPushButton::clicked, this, [index] { CmdMsg_Click(index); });
  return button;
}

void FrmMsg::SetFontName(const std::string& name) {
  font_name_ = name;
  font_ = PlatformFont(font_name_, font_points_);
}

void FrmMsg::SetFontSize(double points) {
  font_points_ = points;
  font_ = PlatformFont(font_name_, font_points_);
}

// Widths and heights come out in whole twips, as the layout expects: the widest line, once
// rounded, must still fit the limit it sets.
double FrmMsg::TextWidth(std::string_view bytes) const {
  const QFontMetricsF metrics(font_, this);
  return std::round(metrics.horizontalAdvance(Cp437ToQString(bytes)) / PixelsPerTwip());
}

double FrmMsg::TextHeight(std::string_view /*bytes*/) const {
  const QFontMetricsF metrics(font_, this);
  return std::round(metrics.height() / PixelsPerTwip());
}

void FrmMsg::ClearSurface() {
  drawn_.clear();
  const QSize size = this->size();
  surface_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  const int dots_per_meter = static_cast<int>(std::lround(logicalDpiX() / 0.0254));
  surface_.setDotsPerMeterX(dots_per_meter);
  surface_.setDotsPerMeterY(dots_per_meter);
  surface_.fill(Qt::transparent);
  update();
}

void FrmMsg::DrawText(double x, double y, std::string_view bytes) {
  drawn_.push_back({x, y, std::string(bytes)});
  QPainter painter(&surface_);
  PaintText(painter, drawn_.back(), PixelsPerTwip());
  update();
}

void FrmMsg::PaintText(QPainter& painter, const DrawnText& text, double pixels_per_twip) const {
  QFont font = font_;
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(font, painter.device());
  painter.drawText(QPointF(text.x * pixels_per_twip, text.y * pixels_per_twip + metrics.ascent()),
                   Cp437ToQString(text.bytes));
}

QSizeF FrmMsg::PictureSizeTwips() const { return QSizeF(ClientWidthTwips(), ClientHeightTwips()); }

void FrmMsg::PaintPicture(QPainter& painter, double pixels_per_twip) const {
  for (const DrawnText& text : drawn_) PaintText(painter, text, pixels_per_twip);
}

double FrmMsg::PixelsPerTwip() const { return logicalDpiX() / kTwipsPerInch; }

void FrmMsg::SetClientSizeTwips(double width, double height) {
  const double ppt = PixelsPerTwip();
  setFixedSize(ToPixels(width, ppt), ToPixels(height, ppt));
}

double FrmMsg::ClientWidthTwips() const { return width() / PixelsPerTwip(); }
double FrmMsg::ClientHeightTwips() const { return height() / PixelsPerTwip(); }

double FrmMsg::FrameWidthTwips() const {
  return (frameGeometry().width() - width()) / PixelsPerTwip();
}

double FrmMsg::FrameHeightTwips() const {
  return (frameGeometry().height() - height()) / PixelsPerTwip();
}

void FrmMsg::MoveTwips(double left, double top) {
  const double ppt = PixelsPerTwip();
  move(ToPixels(left, ppt), ToPixels(top, ppt));
}

void FrmMsg::PlaceTwips(QWidget& control, double left, double top) const {
  const double ppt = PixelsPerTwip();
  control.move(ToPixels(left, ppt), ToPixels(top, ppt));
}

void FrmMsg::EnsureButtons(int count) {
  for (int k = ButtonCount(); k < count; ++k) {
    QPushButton* button = NewButton(k);
    button->setGeometry(buttons_.front()->geometry());
    button->hide();
    buttons_.push_back(button);
  }
}

void FrmMsg::RemoveButtonsFrom(int first) {
  if (first < 2) first = 2;
  while (ButtonCount() > first) {
    delete buttons_.back();
    buttons_.pop_back();
  }
}

QLabel& FrmMsg::Icon(int kind) { return *icons_.at(static_cast<std::size_t>(kind - 1)); }

void FrmMsg::HideAllControls() {
  for (QPushButton* button : buttons_) button->hide();
  for (QLabel* icon : icons_) icon->hide();
}

void FrmMsg::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  painter.drawImage(0, 0, surface_);
}

bool FrmMsg::PressMnemonic(QChar key) {
  for (QPushButton* button : buttons_) {
    const QString caption = button->text();
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (!button->isVisible() || amp < 0 || amp + 1 >= caption.size()) continue;
    if (caption.at(amp + 1).toUpper() == key.toUpper()) {
      button->click();
      return true;
    }
  }
  return false;
}

void FrmMsg::keyPressEvent(QKeyEvent* event) {
  // A letter or digit alone, or with Alt when no shortcut took it, presses the button whose
  // caption marks it.
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  const bool mnemonic_key =
      (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
  if ((mods == Qt::NoModifier || mods == Qt::AltModifier) && mnemonic_key &&
      PressMnemonic(QChar(key))) {
    return;
  }
  QDialog::keyPressEvent(event);
}

void FrmMsg::reject() { CmdMsg_Click(0); }

}  // namespace numerella
