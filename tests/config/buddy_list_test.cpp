// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/buddy_list.h"

#include <gtest/gtest.h>

#include "config/text_lines.h"

namespace zorvane {
namespace {

TTextLines Parsed(const QByteArray& bytes) {
  TTextLines lines(QStringLiteral("unused.ini"));
  lines.ParseBytes(bytes);
  return lines;
}

TEST(BuddyListTest, ReadingStopsAtTheFirstEmptyLineAfterTheHeader) {
  const struct {
    const char* text;
    QStringList names;
  } cases[] = {
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Ann\nbuddies=Bob\n\nBuddies=Late\n",
       {"Ann", "Bob"}},
      // the header is matched by its start, ignoring case; other keys are skipped
      {"Buddies=Before\n[gui2k4.ut2k4browser_serverlistpagebuddy] ; note\nWidth=3\n"
       "Buddies=Cid\nBuddies=\nBuddies= Spaced \n",
       {"Cid", " Spaced "}},
      // without an empty line the list runs on into the next section
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nBuddies=Dee\r\n[Other]\r\nBuddies=Eve\r\n",
       {"Dee", "Eve"}},
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\n\nBuddies=Hidden\n", {}},
      {"[GUI2K4.UT2k4Browser_ServerListPageBud]\nBuddies=Short\n", {}},
      {"Buddies=NoSection\n", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadBuddies(Parsed(c.text)), c.names) << c.text;
}

TEST(BuddyListTest, InsertGoesIntoTheBuddySectionUnlessTheNameIsAlreadyThere) {
  const struct {
    const char* before;
    const char* player;
    TBuddyInsert result;
    const char* after;  // null: unchanged
  } cases[] = {
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Ann\n", "Bob", TBuddyInsert::Inserted,
       "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Bob\nBuddies=Ann\n"},
      {"A=1\n[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nX=1\r\nBuddies=Ann\r\n", "Bob",
       TBuddyInsert::Inserted,
       "A=1\n[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nX=1\r\nBuddies=Bob\nBuddies=Ann\r\n"},
      // already anywhere from the header on, in any section and any case
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Ann\n\n[Other]\nbuddies=BOB\n", "Bob",
       TBuddyInsert::AlreadyListed, nullptr},
      // before the header it does not count
      {"Buddies=Bob\n[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Ann\n", "Bob",
       TBuddyInsert::Inserted,
       "Buddies=Bob\n[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Bob\nBuddies=Ann\n"},
      // no buddies yet: the first line goes right after the header, not into a later section
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nWidth=3\n\n[Other]\nBuddies=Ann\n", "Bob",
       TBuddyInsert::Inserted,
       "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Bob\nWidth=3\n\n[Other]\nBuddies=Ann\n"},
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\n", "Bob", TBuddyInsert::Inserted,
       "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nBuddies=Bob\r\n"},
      // no section: it is added at the end with the line
      {"[Other]\nBuddies=Ann\n", "Bob", TBuddyInsert::Inserted,
       "[Other]\nBuddies=Ann\n\n[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Bob\n"},
      {"[Other]\r\nA=1", "Bob", TBuddyInsert::Inserted,
       "[Other]\r\nA=1\r\n\r\n[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nBuddies=Bob"},
      // names are compared as they are written: without colour codes, control characters blank
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Bob\n", "Bob\x1b\x01\xff\x40",
       TBuddyInsert::AlreadyListed, nullptr},
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Bo b\n", "Bo\tb",
       TBuddyInsert::AlreadyListed, nullptr},
      {"[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Ann\n", "Bo\tb\x1b\x01\x02\x03",
       TBuddyInsert::Inserted,
       "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Bo b\nBuddies=Ann\n"},
  };
  for (const auto& c : cases) {
    TTextLines lines = Parsed(c.before);
    EXPECT_EQ(InsertBuddy(lines, QString::fromLatin1(c.player)), c.result) << c.before;
    EXPECT_EQ(lines.ToBytes(), QByteArray(c.after ? c.after : c.before)) << c.before;
  }
}

}  // namespace
}  // namespace zorvane
