// SPDX-License-Identifier: GPL-3.0-or-later
// The message window: a dialog with a row of buttons, four icons and a text surface that keeps
// what was drawn on it (so that the picture can be printed after the window has closed). The
// surface is a record of the drawn texts; the window shows them through a text area that
// draws only the part in view and scrolls when the window is cut down to the screen.
#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "message_window/text_wrap.h"
#include "message_window/window_picture.h"
#include "platform/twips.h"

class QLabel;
class QPushButton;

namespace numerella {

class MsgTextArea;

class FrmMsg : public QDialog, public WindowPicture {
  Q_OBJECT

 public:
  // The one message window, created at the first call and never destroyed.
  static FrmMsg& Instance();

  // Fonts: the window's text font, by name and size in points.
  void SetFontName(const std::string& name);
  void SetFontSize(double points);
  const QFont& TextFont() const { return font_; }
  // Width and height of a byte text in the window's font, in whole twips. Widths are the sum
  // of the characters' advances (the font is fixed-pitch and does not kern), rounded.
  double TextWidth(std::string_view bytes) const;
  double TextHeight(std::string_view bytes) const;
  // The same measure, per character: what the line breaking uses.
  const CharWidths& Widths() const;

  // The drawing surface: cleared, drawn on at twips positions (top of the text cell at y).
  void ClearSurface();
  void DrawText(double x, double y, std::string_view bytes);
  struct DrawnText {
    double x = 0;
    double y = 0;
    std::string bytes;
  };
  const std::vector<DrawnText>& Drawn() const { return drawn_; }
  // The picture of the texts in view as the window shows them, at the screen's device pixel
  // ratio; null while the window is hidden.
  const QImage& SurfaceImage() const;
  // The text area: where the texts are shown, scrolled when the window is cut down.
  MsgTextArea& TextArea() { return *area_; }
  // The window's picture spans picture_w x picture_h twips of texts, of which the text area
  // (area, in twips of the client area) shows content_w x content_h, scrolling when asked.
  void SetPicture(double picture_w, double picture_h, const TwipRect& area, double content_w,
                  double content_h, bool scrolls);
  // The accessible description of the window: the message as a reader should speak it.
  void SetSpokenText(std::string_view bytes);

  QSizeF PictureSizeTwips() const override;
  void PaintPicture(QPainter& painter, double pixels_per_twip) const override;

  // Geometry in twips, converted with the screen's logical resolution.
  double PixelsPerTwip() const;
  void SetClientSizeTwips(double width, double height);
  double ClientWidthTwips() const;
  double ClientHeightTwips() const;
  double FrameWidthTwips() const;
  double FrameHeightTwips() const;
  // The frame height, or the title bar's height when no frame has been measured yet.
  double FrameHeightEstimateTwips() const;
  double ScrollBarTwips() const;
  void MoveTwips(double left, double top);
  void PlaceTwips(QWidget& control, double left, double top) const;

  // Controls. Button member k carries the objectName "CmdMsg<k+1>", its button number.
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  QPushButton& Button(int index) { return *buttons_.at(static_cast<std::size_t>(index)); }
  void EnsureButtons(int count);      // creates the missing members as copies of member 0
  void RemoveButtonsFrom(int first);  // destroys members first ... (never 0 and 1)
  QLabel& Icon(int kind);             // kind 1 ... 4
  void HideAllControls();
  double ButtonWidthTwips() const { return kButtonW; }
  double ButtonHeightTwips() const { return kButtonH; }
  double IconWidthTwips() const { return kIconSize; }
  double IconHeightTwips() const { return kIconSize; }

 protected:
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Esc and the title-bar close button count as pressing button 1.
  void reject() override;

 private:
  static constexpr double kButtonW = 972;
  static constexpr double kButtonH = 372;
  static constexpr double kIconSize = 384;

  FrmMsg();
  QPushButton* NewButton(int index);
  void SetFont(const QFont& font);
  // The icons' pictures, their rims in the window's text colour.
  void PaintIcons();
  void PaintText(QPainter& painter, const DrawnText& text, double pixels_per_twip,
                 const QColor& colour) const;
  void PaintVisible(QPainter& painter, const QRectF& visible) const;
  bool PressMnemonic(QChar key);
  bool ScrollText(const QKeyEvent& event);

  QFont font_;
  std::string font_name_ = "Terminal";
  double font_points_ = 8;
  // The character widths of the current font at the resolution they were measured at, made
  // at first use.
  mutable std::optional<CharWidths> widths_;
  mutable double widths_pixels_per_twip_ = 0;
  MsgTextArea* area_ = nullptr;
  QSize picture_px_;
  std::vector<DrawnText> drawn_;
  std::vector<QPushButton*> buttons_;
  std::vector<QLabel*> icons_;  // information, exclamation, question, stop
};

}  // namespace numerella
