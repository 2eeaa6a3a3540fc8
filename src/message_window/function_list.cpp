// SPDX-License-Identifier: GPL-3.0-or-later
// The reference card of the intrinsic functions and the menu command that shows and prints it.
#include <QDir>

#include "message_window/frm_msg.h"
#include "message_window/function_card.h"
#include "message_window/mod_msg.h"
#include "message_window/print_anywhere.h"
#include "platform/platform_services.h"

namespace numerella {

namespace {

constexpr int kButtonPrint = 2;

}  // namespace

std::string FunctionCardText() {
  std::string card;
  bool first = true;
  for (const char* entry : FunctionCardEntries()) {
    if (!first) card += '\r';
    card += entry;
    first = false;
  }
  return card;
}

void ShowFunctionList(PlatformServices& platform, QWidget* owner) {
  const std::vector<std::string> captions = {"", "&Continua", "&Stampa"};
  const int pressed = ShowMessageWindow(platform, owner, "Funzioni Intrinseche della Numerella",
                                        FunctionCardText(), kIconNone, 2, captions);
  if (pressed != kButtonPrint) return;
  FrmMsg& frm = FrmMsg::Instance();
  PrintOnPrinterOrPdf(platform, owner, frm);
  frm.hide();
  if (owner != nullptr) owner->setFocus();
}

}  // namespace numerella
