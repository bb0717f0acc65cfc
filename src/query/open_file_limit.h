// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zorvane {

// Every server owns a socket, so a list of thousands needs more than the usual 1024 open
// files: raises the soft limit to the hard limit. Returns the limit now in force.
long RaiseOpenFileLimit();

}  // namespace zorvane
