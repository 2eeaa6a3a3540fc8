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

// The text column width: the widest line, capped at 80 character cells.
double TextColumnWidth(double widest_line, double cell_w);

// The whole layout; line_count must have been counted against TextColumnWidth.
MsgLayout ComputeMsgLayout(const MsgMeasures& m, const MsgContent& c);

// Top-left corner of the window (outer size outer_w x outer_h) centred over owner's outer
// rectangle, or over the screen when the owner cannot be read; a centre coordinate that comes
// out exactly 0 is replaced by the screen's. Clamped to 0 at the top and left only.
TwipRect PlaceMsgWindow(const std::optional<TwipRect>& owner, double screen_w, double screen_h,
                        double outer_w, double outer_h);

}  // namespace numerella
