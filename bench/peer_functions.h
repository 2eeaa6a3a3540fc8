// SPDX-License-Identifier: GPL-3.0-or-later
// The intrinsic functions that the peer parser lacks, registered as its callbacks so that
// both evaluators compute the same formulas.
#pragma once

namespace mu {
class Parser;
}

namespace numerella::bench {
void DefinePeerFunctions(mu::Parser& parser);
}
