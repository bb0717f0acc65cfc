// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every server view shares one layout and one sort per grid kind: what the user changes in one
// view (the splitters, the column widths, the sort) follows in all the others.

#include <functional>
#include <vector>

namespace zorvane {

class TkorvUTServerView;

// Connects view so that its changes reach the views allViews returns (itself left out).
void KeepViewsInStep(TkorvUTServerView* view,
                     std::function<std::vector<TkorvUTServerView*>()> allViews);

}  // namespace zorvane
