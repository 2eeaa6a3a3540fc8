// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's geometry in twips, step by step from the measured sizes.
#include "message_window/msg_layout.h"

#include <algorithm>

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

namespace {

// Buttons centred on the outer width of a client area client_w wide; the strip at its bottom.
void PlaceStrip(const MsgMeasures& m, const MsgContent& c, const MsgLayout& l, MsgFit& f) {
  f.button_lefts.clear();
  for (int k = 1; k <= c.button_count; ++k) {
    f.button_lefts.push_back((f.client_w + c.frame_w - l.row_span) / 2 +
                             (k - 1) * 1.2 * m.button_w);
  }
  f.button_top = f.client_h - l.gap - m.button_h;
  f.icon_left = l.icon_left;
  f.icon_top = (f.client_h - l.gap - m.button_h - m.icon_h) / 2;
}

}  // namespace

MsgFit FitMsgLayout(const MsgMeasures& m, const MsgContent& c, const MsgLayout& l, double max_w,
                    double max_h, double scroll_bar) {
  MsgFit f;
  f.content_w = l.inner_w;
  if (l.inner_w <= max_w && l.inner_h <= max_h) {
    f.client_w = l.inner_w;
    f.client_h = l.inner_h;
    f.area = {0, 0, l.inner_w, l.inner_h};
    f.content_h = l.inner_h;
    f.button_lefts = l.button_lefts;
    f.button_top = l.button_top;
    f.icon_left = l.icon_left;
    f.icon_top = l.icon_top;
    return f;
  }
  f.scrolls = true;
  const double band = l.inner_h - l.strip_h;
  // The text area keeps at least the height of the icon's band, or of two lines.
  const double least_band = std::max(l.line_h * 2, c.icon_kind != 0 ? m.icon_w + l.gap : 0);
  const double room = std::max(max_h - l.strip_h, least_band);
  bool vertical = band > room;
  bool horizontal = l.inner_w + (vertical ? scroll_bar : 0) > max_w;
  if (horizontal && !vertical) vertical = band + scroll_bar > room;
  f.client_w = std::min(l.inner_w + (vertical ? scroll_bar : 0), std::max(max_w, l.row_w));
  const double area_h = std::min(band + (horizontal ? scroll_bar : 0), room);
  f.client_h = area_h + l.strip_h;
  f.area = {0, 0, f.client_w, area_h};
  f.content_h = band;
  PlaceStrip(m, c, l, f);
  return f;
}

TwipRect KeepInside(const TwipRect& window, const TwipRect& available) {
  TwipRect r = window;
  r.left = std::max(available.left, std::min(r.left, available.left + available.width - r.width));
  r.top = std::max(available.top, std::min(r.top, available.top + available.height - r.height));
  return r;
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
