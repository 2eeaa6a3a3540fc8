// The message window's geometry in twips, step by step from the measured sizes.
#include "message_window/msg_layout.h"

namespace numerella {

double TextColumnWidth(double widest_line, double cell_w) {
  const double cap = 80 * cell_w;
  return widest_line > cap ? cap : widest_line;
}

namespace {

// Widths: button row, text column, content and the client width.
void LayOutWidths(const MsgMeasures& m, const MsgContent& c, MsgLayout& l) {
  const int n = c.button_count;
  l.gap = 0.2 * m.button_w;
  l.row_w = n * m.button_w + (n + 1) * l.gap;
  l.strip_h = m.button_h + 2 * l.gap;
  l.text_width = TextColumnWidth(c.widest_line, m.cell_w);
  l.content_w = l.text_width + 2 * l.gap;
  if (c.icon_kind != 0) l.content_w += m.icon_w + l.gap;
  l.inner_w = l.content_w > l.row_w ? l.content_w : l.row_w;
}

// Heights: text block, the band above the buttons and the client height.
void LayOutHeights(const MsgMeasures& m, const MsgContent& c, MsgLayout& l) {
  l.line_h = 1.5 * m.cell_h;
  l.text_h = (c.line_count - 0.5) * l.line_h;
  l.band = c.icon_kind != 0 ? m.icon_w + l.gap : 0;
  if (l.text_h > 0 && l.text_h + l.gap > l.band) l.band = l.text_h + l.gap;
  l.inner_h = l.strip_h + l.band;
}

// Buttons centred on the outer width, neighbours 0.2 x BW apart; icon and text start.
void LayOutControls(const MsgMeasures& m, const MsgContent& c, MsgLayout& l) {
  const int n = c.button_count;
  const double outer_w = l.inner_w + c.frame_w;
  l.row_span = m.button_w * (n + 0.2 * (n - 1));
  l.button_lefts.clear();
  for (int k = 1; k <= n; ++k) {
    l.button_lefts.push_back((outer_w - l.row_span) / 2 + (k - 1) * 1.2 * m.button_w);
  }
  l.button_top = l.inner_h - l.gap - m.button_h;
  l.icon_top = (l.inner_h - l.gap - m.button_h - m.icon_h) / 2;
  l.icon_left = c.text_empty ? (l.inner_w - m.icon_w) / 2 : l.gap;
  l.text_x = l.gap;
  if (c.icon_kind > 0) l.text_x += m.icon_w + l.gap;
  l.text_y0 = l.icon_top + m.icon_h / 2 - l.text_h / 2;
}

}  // namespace

MsgLayout ComputeMsgLayout(const MsgMeasures& m, const MsgContent& c) {
  MsgLayout l;
  LayOutWidths(m, c, l);
  LayOutHeights(m, c, l);
  LayOutControls(m, c, l);
  return l;
}

TwipRect PlaceMsgWindow(const std::optional<TwipRect>& owner, double screen_w, double screen_h,
                        double outer_w, double outer_h) {
  double cx = 0;
  double cy = 0;
  if (owner) {
    cx = owner->left + owner->width / 2;
    cy = owner->top + owner->height / 2;
  }
  if (cx == 0) cx = screen_w / 2;
  if (cy == 0) cy = screen_h / 2;
  TwipRect r{cx - outer_w / 2, cy - outer_h / 2, outer_w, outer_h};
  if (r.top < 0) r.top = 0;
  if (r.left < 0) r.left = 0;
  return r;
}

}  // namespace numerella
