// SPDX-License-Identifier: GPL-3.0-or-later
// ShowMessageWindow and its helpers: measuring, wrapping and drawing the text, placing the
// window and its controls, and recording the pressed button.
#include "message_window/mod_msg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <optional>

#include "message_window/frm_msg.h"
#include "message_window/msg_layout.h"
#include "message_window/text_wrap.h"
#include "platform/latin1.h"
#include "platform/platform_services.h"

namespace numerella {

namespace {

std::int16_t pressed_button = 0;  // never reset: the last press of the program

int CountOrDrawLines(FrmMsg& window, const std::string& text, double limit, double x, double y0,
                     double line_h, bool draw) {
  int lines = 0;
  for (std::string_view paragraph : SplitParagraphs(text)) {
    lines += PrintWrapped(window, std::string(paragraph), limit, x, y0 + line_h * lines, draw);
  }
  return lines;
}

// The owner's outer rectangle in twips, or nullopt when there is no owner to read.
std::optional<TwipRect> OwnerRect(const QWidget* owner, double pixels_per_twip) {
  if (owner == nullptr) return std::nullopt;
  const QRect r = owner->window()->frameGeometry();
  return TwipRect{r.left() / pixels_per_twip, r.top() / pixels_per_twip,
                  r.width() / pixels_per_twip, r.height() / pixels_per_twip};
}

// The largest client area that the screen's available area leaves, in twips.
std::pair<double, double> ClientRoom(const FrmMsg& frm, const QScreen* screen) {
  if (screen == nullptr) return {1e300, 1e300};
  const double ppt = frm.PixelsPerTwip();
  const QRect room = screen->availableGeometry();
  return {room.width() / ppt - frm.FrameWidthTwips(),
          room.height() / ppt - frm.FrameHeightEstimateTwips()};
}

// The caption, the client size and the position over the owner. A window cut down to the
// screen is also kept inside the screen's available area, so that its buttons are seen.
void SizeAndPlace(FrmMsg& frm, QWidget* owner, const QScreen* screen, const std::string& title,
                  const MsgFit& f) {
  frm.setWindowTitle(FromBytes(title));
  frm.SetClientSizeTwips(f.client_w, f.client_h);
  const double ppt = frm.PixelsPerTwip();
  const QSize screen_px = screen != nullptr ? screen->geometry().size() : QSize(0, 0);
  TwipRect place =
      PlaceMsgWindow(OwnerRect(owner, ppt), screen_px.width() / ppt, screen_px.height() / ppt,
                     frm.ClientWidthTwips() + frm.FrameWidthTwips(),
                     frm.ClientHeightTwips() + frm.FrameHeightTwips());
  if (f.scrolls && screen != nullptr) {
    const QRect room = screen->availableGeometry();
    place.height = frm.ClientHeightTwips() + frm.FrameHeightEstimateTwips();
    place = KeepInside(
        place, {room.left() / ppt, room.top() / ppt, room.width() / ppt, room.height() / ppt});
  }
  frm.MoveTwips(place.left, place.top);
}

// The buttons with their captions, and the icon.
void PlaceControls(FrmMsg& frm, int icon_kind, int n, const std::vector<std::string>& captions,
                   const MsgFit& f) {
  frm.EnsureButtons(n);
  for (int k = 1; k <= n; ++k) {
    QPushButton& button = frm.Button(k - 1);
    const std::string caption = static_cast<std::size_t>(k) < captions.size() ? captions[k] : "";
    button.setText(FromBytes(caption));
    frm.PlaceTwips(button, f.button_lefts[static_cast<std::size_t>(k - 1)], f.button_top);
    button.show();
  }
  if (icon_kind >= kIconQuestion && icon_kind <= kIconStop) {
    QLabel& icon = frm.Icon(icon_kind);
    frm.PlaceTwips(icon, f.icon_left, f.icon_top);
    icon.show();
  }
}

}  // namespace

int ShowMessageWindow(PlatformServices& platform, QWidget* owner, const std::string& title,
                      const std::string& text, int icon_kind, int button_count,
                      const std::vector<std::string>& captions) {
  FrmMsg& frm = FrmMsg::Instance();
  const int n = button_count < 1 ? 1 : button_count;
  frm.ClearSurface();
  frm.SetFontSize(8);
  frm.SetFontName("terminal");
  frm.SetFontSize(8);
  frm.HideAllControls();
  const MsgMeasures m{frm.ButtonWidthTwips(), frm.ButtonHeightTwips(), frm.TextWidth("A"),
                      frm.TextHeight("A"),    frm.IconWidthTwips(),    frm.IconHeightTwips()};
  MsgContent c{n, icon_kind,    static_cast<double>(WidestLine(text)),
               0, text.empty(), frm.FrameWidthTwips()};
  const double limit = TextColumnWidth(c.widest_line, m.cell_w);
  c.line_count = CountOrDrawLines(frm, text, limit, 0, 0, 0, false);
  const MsgLayout l = ComputeMsgLayout(m, c);
  const QScreen* screen = owner != nullptr ? owner->screen() : QApplication::primaryScreen();
  const auto [room_w, room_h] = ClientRoom(frm, screen);
  const MsgFit f = FitMsgLayout(m, c, l, room_w, room_h, frm.ScrollBarTwips());
  SizeAndPlace(frm, owner, screen, title, f);
  PlaceControls(frm, icon_kind, n, captions, f);
  frm.ClearSurface();
  if (l.text_h > 0) CountOrDrawLines(frm, text, l.text_width, l.text_x, l.text_y0, l.line_h, true);
  frm.SetPicture(l.inner_w, l.inner_h, f.area, f.content_w, f.content_h, f.scrolls);
  frm.SetSpokenText(text);
  frm.Button(0).setFocus();
  platform.ShowModal(frm, owner);
  frm.hide();
  const int result = pressed_button;
  frm.RemoveButtonsFrom(2);
  if (owner != nullptr) owner->setFocus();
  return result;
}

int PrintWrapped(FrmMsg& window, const std::string& paragraph, double limit, double x, double y,
                 bool draw) {
  const CharWidths& widths = window.Widths();
  const double step = 2 * widths.Width("A");
  const std::vector<std::string_view> lines = WrapParagraph(paragraph, limit, widths);
  if (draw) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      window.DrawText(x, y + step * static_cast<double>(i), lines[i]);
    }
  }
  return static_cast<int>(lines.size());
}

std::int32_t WidestLine(const std::string& text) {
  const CharWidths& widths = FrmMsg::Instance().Widths();
  return WidestLineWidth(text, [&widths](std::string_view line) { return widths.Width(line); });
}

void CmdMsg_Click(int index) {
  pressed_button = static_cast<std::int16_t>(index + 1);
  FrmMsg::Instance().hide();
}

int PressedButton() { return pressed_button; }

}  // namespace numerella
