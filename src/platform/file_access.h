// SPDX-License-Identifier: GPL-3.0-or-later
// Who may do what with a file: carried over from an old file to the new one that replaces it.
#pragma once

#include <sys/stat.h>

namespace numerella {

// Gives the open file `to` the owner and group, the extended attributes (the POSIX access
// control list among them) and the mode of the open file `from`, whose fstat is `from_st`.
// Attributes that `to` has and `from` lacks (an access control list inherited from the
// folder) are removed. False (errno set) when any of this cannot be done: `to` would then let
// someone do what `from` did not, or refuse what `from` allowed.
bool GiveSameAccess(int from, const struct stat& from_st, int to);

}  // namespace numerella
