// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/shortcut_list.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(ShortcutListTest, CaptionsLoseTheirMarks) {
  const std::pair<const char*, const char*> cases[] = {
      {"&Options...", "Options..."}, {"E&xit", "Exit"},         {"Tips && Tricks", "Tips & Tricks"},
      {"&&&Both", "&Both"},          {"Trailing&", "Trailing"}, {"", ""},
  };
  for (const auto& [caption, plain] : cases) EXPECT_EQ(WithoutMnemonics(caption), plain) << caption;
}

TEST(ShortcutListTest, OneSortedRowPerCommandWithEachKeyOnce) {
  const std::vector<TShortcutEntry> found{
      {"Query UT Master Server", {"F8"}},
      {"Join CTF Server", {"Ctrl+J"}},  // the menu item
      {"&Options...", {"F11"}},
      {"Join CTF Server", {"Ctrl+J"}},           // the view's command it stands for
      {"Join CTF Server", {"Return", "Enter"}},  // the grid's own key
      {"Copy To Clipboard", {}},                 // no key: not listed
      {"Blank", {""}},
      {"debug", {"Ctrl+F11"}},
  };
  const std::vector<TShortcutRow> rows = ShortcutRows(found);
  QStringList listed;
  for (const TShortcutRow& row : rows) listed << row.command + " = " + row.keys;
  EXPECT_EQ(listed, (QStringList{"debug = Ctrl+F11", "Join CTF Server = Ctrl+J, Return, Enter",
                                 "Options... = F11", "Query UT Master Server = F8"}));
}

}  // namespace
}  // namespace zorvane
