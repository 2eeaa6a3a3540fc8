// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's module: ShowMessageWindow and the procedures it uses, the button
// handler, the last pressed button, and the reference card of the intrinsic functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace numerella {

class FrmMsg;
class PlatformServices;

// Icon kinds of the message window.
inline constexpr int kIconNone = 0;
inline constexpr int kIconQuestion = 1;
inline constexpr int kIconExclamation = 2;
inline constexpr int kIconInformation = 3;
inline constexpr int kIconStop = 4;

// Shows text (lines separated by carriage returns, bytes drawn with their code page 437
// glyphs) in the message window over owner, with the given icon and button_count buttons whose
// captions are captions[1] ... captions[button_count] (captions[0] is not used; "&" marks the
// access key). Returns once a button was pressed: its number, 1 ... button_count. Closing the
// window with the title-bar close button or Esc counts as pressing button 1.
int ShowMessageWindow(PlatformServices& platform, QWidget* owner, const std::string& title,
                      const std::string& text, int icon_kind, int button_count,
                      const std::vector<std::string>& captions);

// Lays one paragraph (no carriage returns) out in lines no wider than limit (twips) in the
// window's font; when draw is true, draws them on its surface from (x, y) downwards, the lines
// 2 x width of "A" apart. Returns the number of lines; an empty paragraph takes none.
int PrintWrapped(FrmMsg& window, const std::string& paragraph, double limit, double x, double y,
                 bool draw);

// The width in twips of the widest carriage-return-separated line of text in the message
// window's font, rounded to a whole number.
std::int32_t WidestLine(const std::string& text);

// Click of button member index: records index + 1 as the pressed button and hides the window.
void CmdMsg_Click(int index);

// The number of the button pressed last (0 before the first press).
int PressedButton();

// The reference card of the intrinsic functions: 24 entries joined by carriage returns.
std::string FunctionCardText();

// Shows the reference card; "&Stampa" prints it on the printer (or offers a PDF file when
// printing is not possible).
void ShowFunctionList(PlatformServices& platform, QWidget* owner);

}  // namespace numerella
