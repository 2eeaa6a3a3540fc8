// SPDX-License-Identifier: GPL-3.0-or-later
// The fonts the windows ask for by name, mapped to what this desktop has.
#pragma once

#include <QFont>
#include <string_view>

namespace numerella {

// "terminal" / "Terminal" (any case): a fixed-pitch font (DejaVu Sans Mono where installed);
// "MS Sans Serif": the application's default UI font; any other name is asked for as it is.
// The size is in points.
QFont PlatformFont(std::string_view name, double points);

}  // namespace numerella
