// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <QStyle>
#include <cmath>

#include "message_window/cp437.h"
#include "message_window/mod_msg.h"
#include "message_window/msg_text_area.h"
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
  const char* spoken;  // the accessible name, UTF-8
};
constexpr IconInfo kIcons[] = {
    {"ImgDom", "question", "Domanda"},
    {"ImgEsc", "exclamation", "Attenzione"},
    {"ImgInf", "information", "Informazione"},
    {"ImgStp", "stop", "Errore"},
};

// The icon with its black rim (the black pixels that touch the transparent surround) in
// outline instead, so that the rim stays visible on a dark window. The black marks inside
// the disc are kept.
QImage WithOutline(const QImage& source, const QColor& outline) {
  QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const QRgb black = qRgb(0, 0, 0), painted = outline.rgb();
  if (painted == black) return image;
  const int w = image.width(), h = image.height();
  const auto transparent = [&](int x, int y) {
    return x < 0 || y < 0 || x >= w || y >= h || qAlpha(image.pixel(x, y)) == 0;
  };
  std::vector<QPoint> rim;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (image.pixel(x, y) == black && (transparent(x - 1, y) || transparent(x + 1, y) ||
                                         transparent(x, y - 1) || transparent(x, y + 1)))
        rim.emplace_back(x, y);
  // The rim may be thicker than a pixel: black neighbours of the rim belong to it.
  while (!rim.empty()) {
    const QPoint p = rim.back();
    rim.pop_back();
    if (image.pixel(p) != black) continue;
    image.setPixel(p, painted);
    for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
      const QPoint n = p + d;
      if (image.rect().contains(n) && image.pixel(n) == black) rim.push_back(n);
    }
  }
  return image;
}

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
  // Lowest of the controls: buttons and icons lie over it, as over text drawn on the window.
  area_ = new MsgTextArea(
      this, [this](QPainter& painter, const QRectF& visible) { PaintVisible(painter, visible); });
  buttons_.push_back(NewButton(0));
  buttons_.push_back(NewButton(1));
  const int side = ToPixels(kIconSize, PixelsPerTwip());
  for (const IconInfo& info : kIcons) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(info.object_name));
    label->setAccessibleName(QString::fromUtf8(info.spoken));
    label->setFixedSize(side, side);
    label->setScaledContents(true);
    label->hide();
    icons_.push_back(label);
  }
  PaintIcons();
  SetClientSizeTwips(4884, 2340);
  winId();  // a native window from the start, so that its frame can be measured
}

void FrmMsg::PaintIcons() {
  const QColor outline = palette().color(QPalette::WindowText);
  const int side = ToPixels(kIconSize, PixelsPerTwip());
  for (std::size_t k = 0; k < icons_.size(); ++k) {
    QIcon icon;
    for (const int size : {16, 32}) {
      const QImage image(QStringLiteral(":/message_window/icons/%1-%2.png")
                             .arg(QString::fromLatin1(kIcons[k].resource))
                             .arg(size));
      icon.addPixmap(QPixmap::fromImage(WithOutline(image, outline)));
    }
    icons_[k]->setPixmap(icon.pixmap(side, side));
  }
}

void FrmMsg::changeEvent(QEvent* event) {
  // A desktop that switches between light and dark while the program runs.
  if (event->type() == QEvent::PaletteChange) {
    PaintIcons();
    area_->TextsChanged();
  }
  QDialog::changeEvent(event);
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
  SetFont(PlatformFont(font_name_, font_points_));
}

void FrmMsg::SetFontSize(double points) {
  font_points_ = points;
  SetFont(PlatformFont(font_name_, font_points_));
}

void FrmMsg::SetFont(const QFont& font) {
  if (font == font_) return;
  font_ = font;
  widths_.reset();
}

const CharWidths& FrmMsg::Widths() const {
  // Measured again on a screen of another resolution.
  if (!widths_ || widths_pixels_per_twip_ != PixelsPerTwip()) {
    // The advances of the 256 glyphs in pixels, measured once per font; each is a multiple of
    // 1/64 pixel, so their sums are exact whatever their order.
    const QFontMetricsF metrics(font_, this);
    auto advances = std::make_shared<std::array<double, 256>>();
    for (int byte = 0; byte < 256; ++byte) {
      const QChar glyph(Cp437ToUnicode(static_cast<unsigned char>(byte)));
      (*advances)[static_cast<std::size_t>(byte)] = metrics.horizontalAdvance(glyph);
    }
    const double ppt = PixelsPerTwip();
    widths_pixels_per_twip_ = ppt;
    // Widths come out in whole twips, as the layout expects: the widest line, once rounded,
    // must still fit the limit it sets.
    widths_ = CharWidths{[advances](unsigned char byte) { return (*advances)[byte]; },
                         [ppt](double pixels) { return std::round(pixels / ppt); }};
  }
  return *widths_;
}

double FrmMsg::TextWidth(std::string_view bytes) const { return Widths().Width(bytes); }

double FrmMsg::TextHeight(std::string_view /*bytes*/) const {
  const QFontMetricsF metrics(font_, this);
  return std::round(metrics.height() / PixelsPerTwip());
}

void FrmMsg::ClearSurface() {
  drawn_.clear();
  if (drawn_.capacity() > 4096) drawn_.shrink_to_fit();  // after a huge message
  area_->TextsChanged();
}

void FrmMsg::DrawText(double x, double y, std::string_view bytes) {
  drawn_.push_back({x, y, std::string(bytes)});
  area_->TextsChanged();
}

const QImage& FrmMsg::SurfaceImage() const { return area_->Picture(); }

void FrmMsg::SetPicture(double picture_w, double picture_h, const TwipRect& area, double content_w,
                        double content_h, bool scrolls) {
  const double ppt = PixelsPerTwip();
  picture_px_ = QSize(ToPixels(picture_w, ppt), ToPixels(picture_h, ppt));
  QSize content(ToPixels(content_w, ppt), ToPixels(content_h, ppt));
  if (scrolls) {
    // A gap below the last line, as above the first.
    const QFontMetricsF metrics(font_, this);
    double bottom = 0;
    for (const DrawnText& text : drawn_) bottom = std::max(bottom, text.y * ppt + metrics.height());
    content.setHeight(std::max(
        content.height(), static_cast<int>(std::ceil(bottom)) + ToPixels(0.2 * kButtonW, ppt)));
  }
  area_->Place(QRect(ToPixels(area.left, ppt), ToPixels(area.top, ppt), ToPixels(area.width, ppt),
                     ToPixels(area.height, ppt)),
               content, scrolls);
  area_->lower();
}

void FrmMsg::SetSpokenText(std::string_view bytes) {
  QString spoken = Cp437ToQString(bytes);
  spoken.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  setAccessibleDescription(spoken);
  area_->setAccessibleDescription(spoken);
}

void FrmMsg::PaintText(QPainter& painter, const DrawnText& text, double pixels_per_twip,
                       const QColor& colour) const {
  QFont font = font_;
  painter.setFont(font);
  painter.setPen(colour);
  const QFontMetricsF metrics(font, painter.device());
  painter.drawText(QPointF(text.x * pixels_per_twip, text.y * pixels_per_twip + metrics.ascent()),
                   Cp437ToQString(text.bytes));
}

void FrmMsg::PaintVisible(QPainter& painter, const QRectF& visible) const {
  const double ppt = PixelsPerTwip();
  const QFontMetricsF metrics(font_, this);
  // On the screen the text takes the window's own colours, light or dark.
  const QColor colour = palette().color(QPalette::WindowText);
  for (const DrawnText& text : drawn_) {
    const double top = text.y * ppt;
    if (top + metrics.height() < visible.top() || top > visible.bottom()) continue;
    PaintText(painter, text, ppt, colour);
  }
}

// The whole laid-out window, also when the screen showed only part of it.
QSizeF FrmMsg::PictureSizeTwips() const {
  const QSize size = picture_px_.isValid() ? picture_px_ : this->size();
  return QSizeF(size.width() / PixelsPerTwip(), size.height() / PixelsPerTwip());
}

// On paper the text is black, whatever the screen shows.
void FrmMsg::PaintPicture(QPainter& painter, double pixels_per_twip) const {
  for (const DrawnText& text : drawn_) PaintText(painter, text, pixels_per_twip, Qt::black);
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

double FrmMsg::FrameHeightEstimateTwips() const {
  const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  return std::max(FrameHeightTwips(), title / PixelsPerTwip());
}

double FrmMsg::ScrollBarTwips() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) / PixelsPerTwip();
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

void FrmMsg::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  area_->ReleasePicture();  // the record of the texts stays for printing
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
  if (area_->focusPolicy() != Qt::NoFocus && ScrollText(*event)) return;
  QDialog::keyPressEvent(event);
}

bool FrmMsg::ScrollText(const QKeyEvent& event) {
  const int key = event.key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // From the text area Enter presses the first button, as it does when the window opens.
    if (focusWidget() != area_) return false;
    buttons_.front()->click();
    return true;
  }
  // Page keys, and Ctrl with Home or End, scroll the text from wherever the focus is.
  const bool page = key == Qt::Key_PageUp || key == Qt::Key_PageDown;
  const bool edge =
      (key == Qt::Key_Home || key == Qt::Key_End) && (event.modifiers() & Qt::ControlModifier);
  if (!page && !edge) return false;
  QKeyEvent plain(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(area_, &plain);
  return true;
}

void FrmMsg::reject() { CmdMsg_Click(0); }

}  // namespace numerella
