// SPDX-License-Identifier: GPL-3.0-or-later
// Platform services that answer at once and keep no record, only counts: each modal dialog
// gets button 1 pressed, each message box is closed, each file dialog picks the given path.
// For long unattended runs, where a record of thousands of dialogs would itself be the memory
// that grows.
#pragma once

#include "platform/scripted_platform_services.h"

namespace numerella {

class UnattendedPlatformServices : public ScriptedPlatformServices {
 public:
  explicit UnattendedPlatformServices(QString path = QString()) { answer_all_with_ = path; }
  long modals() const { return modal_count_; }
  long boxes() const { return box_count_; }
};

}  // namespace numerella
