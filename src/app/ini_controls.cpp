#include "app/ini_controls.h"

namespace zorvane {

TkorvEditINI::TkorvEditINI(QWidget* parent) : TkorvEdit(parent) {}

TkorvComboboxINI::TkorvComboboxINI(QWidget* parent) : TkorvCombobox(parent) {}

}  // namespace zorvane
