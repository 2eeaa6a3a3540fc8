// The message window: a dialog with a row of buttons, four icons and a text surface that keeps
// what was drawn on it (so that the picture can be printed after the window has closed).
#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>
#include <string>
#include <string_view>
#include <vector>

#include "message_window/window_picture.h"

class QLabel;
class QPushButton;

namespace numerella {

class FrmMsg : public QDialog, public WindowPicture {
  Q_OBJECT

 public:
  // The one message window, created at the first call and never destroyed.
  static FrmMsg& Instance();

  // Fonts: the window's text font, by name and size in points.
  void SetFontName(const std::string& name);
  void SetFontSize(double points);
  const QFont& TextFont() const { return font_; }
  // Width and height of a byte text in the window's font, in whole twips.
  double TextWidth(std::string_view bytes) const;
  double TextHeight(std::string_view bytes) const;

  // The drawing surface: cleared, drawn on at twips positions (top of the text cell at y).
  void ClearSurface();
  void DrawText(double x, double y, std::string_view bytes);
  struct DrawnText {
    double x = 0;
    double y = 0;
    std::string bytes;
  };
  const std::vector<DrawnText>& Drawn() const { return drawn_; }
  // The picture as the window shows it, in screen pixels.
  const QImage& SurfaceImage() const { return surface_; }

  QSizeF PictureSizeTwips() const override;
  void PaintPicture(QPainter& painter, double pixels_per_twip) const override;

  // Geometry in twips, converted with the screen's logical resolution.
  double PixelsPerTwip() const;
  void SetClientSizeTwips(double width, double height);
  double ClientWidthTwips() const;
  double ClientHeightTwips() const;
  double FrameWidthTwips() const;
  double FrameHeightTwips() const;
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
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Esc and the title-bar close button count as pressing button 1.
  void reject() override;

 private:
  static constexpr double kButtonW = 972;
  static constexpr double kButtonH = 372;
  static constexpr double kIconSize = 384;

  FrmMsg();
  QPushButton* NewButton(int index);
  void PaintText(QPainter& painter, const DrawnText& text, double pixels_per_twip) const;
  bool PressMnemonic(QChar key);

  QFont font_;
  std::string font_name_ = "Terminal";
  double font_points_ = 8;
  QImage surface_;
  std::vector<DrawnText> drawn_;
  std::vector<QPushButton*> buttons_;
  std::vector<QLabel*> icons_;  // information, exclamation, question, stop
};

}  // namespace numerella
