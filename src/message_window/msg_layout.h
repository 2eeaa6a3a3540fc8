// SPDX-License-Identifier: GPL-3.0-or-later
// The geometry of the message window, in twips, computed from measured sizes only: no window
// is needed, so the figures can be checked exactly.
#pragma once

#include <optional>
#include <vector>

#include "platform/twips.h"

namespace numerella {

// What the window measures before laying itself out.
struct MsgMeasures {
  double button_w = 0;  // BW: width of button member 0
  double button_h = 0;  // BH: height of button member 0
  double cell_w = 0;    // CW: width of "A" in the window's font
  double cell_h = 0;    // CH: height of "A" in the window's font
  double icon_w = 0;    // IW
  double icon_h = 0;    // IH
};

// What the layout depends on besides the measures.
struct MsgContent {
  int button_count = 1;
  int icon_kind = 0;
  double widest_line = 0;  // WidestLine of the text
  int line_count = 0;      // lines of the counting pass, taken against text_width
  bool text_empty = true;
  double frame_w = 0;  // outer width minus client width of the window
};

struct MsgLayout {
  double gap = 0;         // G
  double row_w = 0;       // width of the button row with its gaps
  double strip_h = 0;     // height of the button strip
  double text_width = 0;  // TW: the wrapping limit, at most 80 cells
  double content_w = 0;   // text (and icon) with their gaps
  double inner_w = 0;     // client width
  double line_h = 0;      // LH: advance from paragraph to paragraph
  double text_h = 0;      // height of the text block; not above 0 when there is no text
  double band = 0;        // height above the button strip
  double inner_h = 0;     // client height
  double row_span = 0;    // from the first button's left to the last one's right
  std::vector<double> button_lefts;
  double button_top = 0;
  double icon_left = 0;
  double icon_top = 0;
  double text_x = 0;  // where the drawing pass starts
  double text_y0 = 0;
};

// The window as it is shown on a screen whose available area leaves at most max_w x max_h for
// the client area. A layout that fits is shown as it is. A larger one keeps its button strip
// and icon in view and lets its text scroll: the client area is cut down to the screen, widened
// by a scroll bar when the text scrolls vertically, and the text area above the buttons scrolls
// over the whole text band.
struct MsgFit {
  bool scrolls = false;
  double client_w = 0;
  double client_h = 0;
  TwipRect area;         // the text area in the client area
  double content_w = 0;  // what the text area scrolls over
  double content_h = 0;
  std::vector<double> button_lefts;
  double button_top = 0;
  double icon_left = 0;
  double icon_top = 0;
};
MsgFit FitMsgLayout(const MsgMeasures& m, const MsgContent& c, const MsgLayout& l, double max_w,
                    double max_h, double scroll_bar);

// The text column width: the widest line, capped at 80 character cells.
double TextColumnWidth(double widest_line, double cell_w);

// The whole layout; line_count must have been counted against TextColumnWidth.
MsgLayout ComputeMsgLayout(const MsgMeasures& m, const MsgContent& c);

// Top-left corner of the window (outer size outer_w x outer_h) centred over owner's outer
// rectangle, or over the screen when the owner cannot be read; a centre coordinate that comes
// out exactly 0 is replaced by the screen's. Clamped to 0 at the top and left only.
TwipRect PlaceMsgWindow(const std::optional<TwipRect>& owner, double screen_w, double screen_h,
                        double outer_w, double outer_h);

// A window placed by PlaceMsgWindow moved into the available area of the screen, as far as its
// size allows: for windows cut down to the screen, whose buttons must stay in view.
TwipRect KeepInside(const TwipRect& window, const TwipRect& available);

}  // namespace numerella
