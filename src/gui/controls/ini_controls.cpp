// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/ini_controls.h"

namespace zorvane {

TkorvEditINI::TkorvEditINI(QWidget* parent) : TIniBound<TkorvEdit>(parent) {}

TkorvComboboxINI::TkorvComboboxINI(QWidget* parent) : TIniBound<TkorvCombobox>(parent) {}

}  // namespace zorvane
