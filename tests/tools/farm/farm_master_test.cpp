// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_master.h"

#include <gtest/gtest.h>

#include <random>

#include "query/master_query.h"

namespace zorvane::farm {
namespace {

const QByteArray kRequest =
    "\\gamename\\ut\\location\\0\\validate\\5OOIQ5Ha\\final\\"
    "\\list\\\\gamename\\ut\\gametype\\\\final\\";

TEST(FarmMasterTest, JudgesTheClientsRequest) {
  const struct {
    QByteArray request;
    TRequestState state;
  } cases[] = {
      {kRequest, TRequestState::Answer},
      {"\\validate\\5OOIQ5Ha\\\\list\\\\final\\", TRequestState::Answer},
      {"\\validate\\5OOIQ5Hb\\final\\\\list\\\\final\\", TRequestState::Refused},
      {"\\validate\\\\final\\", TRequestState::Refused},
      {"\\validate\\5OOIQ5Ha\\final\\", TRequestState::Waiting},  // no list request yet
      {"\\list\\\\final\\", TRequestState::Waiting},
      {"", TRequestState::Waiting},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeRequest(c.request, "5OOIQ5Ha"), c.state) << c.request.constData();
}

TEST(FarmMasterTest, EveryTruncatedRequestWaitsAndJunkNeverAnswers) {
  for (qsizetype cut = 0; cut < kRequest.size(); ++cut)
    EXPECT_NE(JudgeRequest(kRequest.first(cut), "5OOIQ5Ha"), TRequestState::Answer) << cut;
  // Cut inside the response, the client may still be sending it.
  EXPECT_EQ(JudgeRequest(kRequest.first(kRequest.indexOf("5OOI") + 3), "5OOIQ5Ha"),
            TRequestState::Waiting);

  std::mt19937 random(3);
  for (int round = 0; round < 2000; ++round) {
    QByteArray junk(int(random() % 80), '\0');
    for (char& c : junk) c = "\\validatelisfn5OQ\0\xff"[random() % 19];
    if (JudgeRequest(junk, "5OOIQ5Ha") == TRequestState::Answer) {
      EXPECT_TRUE(junk.contains("\\validate\\5OOIQ5Ha\\")) << junk.toHex().constData();
    }
  }
}

TEST(FarmMasterTest, ListsEveryUtServerAndItParses) {
  TFarmOptions options;
  options.ut = 3;
  options.ut2004 = 2;
  options.basePort = 40000;
  const QByteArray list = MasterList(options);
  EXPECT_EQ(list, "\\ip\\127.0.0.1:40000\\ip\\127.0.0.1:40001\\ip\\127.0.0.1:40002\\final\\");
  EXPECT_EQ(ReadMasterList(list).entries.size(), 3u);
  EXPECT_TRUE(ReadMasterList(list).whole);
  EXPECT_EQ(MasterList(options, "ut2004"), "\\ip\\127.0.0.1:40003\\ip\\127.0.0.1:40004\\final\\");
  EXPECT_EQ(MasterList(options, "ut2"), "\\final\\");  // no UT2003 servers on the farm
  // A share of the servers, counted across the farm: UT first, then UT2004.
  EXPECT_EQ(MasterList(options, "ut", 1, 3),
            "\\ip\\127.0.0.1:40001\\ip\\127.0.0.1:40002\\final\\");
  EXPECT_EQ(MasterList(options, "ut2004", 1, 3), "\\ip\\127.0.0.1:40003\\final\\");
  EXPECT_EQ(MasterList(options, "ut", 4, 9), "\\final\\");
  options.ut = 0;
  EXPECT_EQ(MasterList(options), "\\final\\");
}

TEST(FarmMasterTest, FaultsMisshapeTheList) {
  TFarmOptions options;
  options.ut = 3;
  options.basePort = 40000;
  const QByteArray list = MasterList(options);
  EXPECT_EQ(FaultyList(list, ""), list);
  EXPECT_EQ(FaultyList(list, "endless"), list);
  const QByteArray cut = FaultyList(list, "cut");
  EXPECT_EQ(cut, list.first(list.size() * 2 / 3));
  EXPECT_FALSE(cut.contains("\\final\\"));
  EXPECT_EQ(FaultyList(list, "half"), list.first(list.size() / 2));
  EXPECT_EQ(FaultyList(list, "names"),
            "\\ip\\127.0.0.1:40000\\ip\\s0.slow.test:40000\\ip\\127.0.0.1:40001"
            "\\ip\\s1.slow.test:40001\\ip\\127.0.0.1:40002\\ip\\s2.slow.test:40002\\final\\");
  const QByteArray huge = FaultyList(list, "huge");
  EXPECT_EQ(huge.count("\\ip\\"), 1000000);
  EXPECT_TRUE(huge.startsWith("\\ip\\127.0.0.1:40000\\ip\\127.0.0.1:40001\\ip\\127.0.0.1:40002"
                              "\\ip\\127.0.0.1:40000"));
  EXPECT_TRUE(huge.endsWith("\\final\\"));
  EXPECT_EQ(FaultyList("\\final\\", "huge"), "\\final\\");
}

TEST(FarmMasterTest, TheValidationNamesTheGame) {
  const QByteArray request = "\\gamename\\ut2004\\location\\0\\validate\\abc\\final\\";
  EXPECT_EQ(RequestedGameName(request), "ut2004");
  for (qsizetype cut = 0; cut < request.indexOf("\\location"); ++cut)
    EXPECT_EQ(RequestedGameName(request.first(cut)), "") << cut;  // never a part of the name
  EXPECT_EQ(RequestedGameName("\\gamename\\\\"), "");
}

}  // namespace
}  // namespace zorvane::farm
