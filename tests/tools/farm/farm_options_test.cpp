// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_options.h"

#include <gtest/gtest.h>

namespace zorvane::farm {
namespace {

TEST(FarmOptionsTest, DefaultsAndEveryOption) {
  TFarmOptions options;
  QString error;
  ASSERT_TRUE(ParseFarmOptions({}, options, error));
  EXPECT_EQ(options.ut, 100);
  EXPECT_EQ(options.ut2004, 0);
  EXPECT_EQ(options.basePort, 17778);
  EXPECT_EQ(options.masterPort, 28900);
  EXPECT_EQ(options.lifeSeconds, 0);
  EXPECT_EQ(options.beaconPort, 8777);
  EXPECT_EQ(options.lanPort, 10777);
  EXPECT_FALSE(options.dailyPattern);

  ASSERT_TRUE(
      ParseFarmOptions({"--ut", "20", "--ut2004", "5", "--base-port", "30000", "--master-port", "0",
                        "--silent", "0.25", "--seed", "18446744073709551615", "--life", "20",
                        "--master-fault", "cut", "--beacon-port", "0", "--lan-port", "31000",
                        "--daily-pattern"},
                       options, error))
      << error.toStdString();
  EXPECT_EQ(options.ut, 20);
  EXPECT_EQ(options.ut2004, 5);
  EXPECT_EQ(options.basePort, 30000);
  EXPECT_EQ(options.masterPort, 0);
  EXPECT_EQ(options.silent, 0.25);
  EXPECT_EQ(options.seed, 18446744073709551615ULL);
  EXPECT_EQ(options.lifeSeconds, 20);
  EXPECT_EQ(options.masterFault, "cut");
  EXPECT_EQ(options.LastPort(), 30024);
  EXPECT_EQ(options.beaconPort, 0);
  EXPECT_EQ(options.lanPort, 31000);
  EXPECT_TRUE(options.dailyPattern);
  EXPECT_FALSE(options.help);
  EXPECT_TRUE(options.AllMasters().empty());  // --master-port 0
}

// Further masters: each on its port, with a share of the servers and a fault when given; the
// one of --master-port comes first and lists every server.
TEST(FarmOptionsTest, SeveralMastersWithSharesAndFaults) {
  TFarmOptions options;
  QString error;
  ASSERT_TRUE(ParseFarmOptions({"--master-fault", "half", "--master", "28901:0-2999", "--master",
                                "28902:2000-4999:trickle", "--master", "28903:silent"},
                               options, error))
      << error.toStdString();
  EXPECT_EQ(options.AllMasters(),
            (std::vector<TFarmMasterSpec>{{28900, 0, -1, "half"},
                                          {28901, 0, 2999, ""},
                                          {28902, 2000, 4999, "trickle"},
                                          {28903, 0, -1, "silent"}}));
  const struct {
    QStringList arguments;
    const char* error;
  } bad[] = {
      {{"--master", "0"}, "bad value for --master: 0"},
      {{"--master", "28901:5-2"}, "bad value for --master: 28901:5-2"},
      {{"--master", "28901:1-2:slow"}, "bad value for --master: 28901:1-2:slow"},
      {{"--master", "28901:cut:half"}, "bad value for --master: 28901:cut:half"},
      {{"--master", "28901:1-2:cut:x"}, "bad value for --master: 28901:1-2:cut:x"},
      {{"--master", "28900"}, "two masters on TCP port 28900"},
  };
  for (const auto& c : bad) {
    TFarmOptions o;
    EXPECT_FALSE(ParseFarmOptions(c.arguments, o, error)) << c.error;
    EXPECT_EQ(error.toStdString(), c.error);
  }
}

TEST(FarmOptionsTest, BadArgumentsAreNamed) {
  const struct {
    QStringList arguments;
    const char* error;
  } cases[] = {
      {{"--ut"}, "--ut needs a value"},
      {{"--ut", "-1"}, "bad value for --ut: -1"},
      {{"--ut", "ten"}, "bad value for --ut: ten"},
      {{"--ut2004", "1.5"}, "bad value for --ut2004: 1.5"},
      {{"--base-port", "0"}, "bad value for --base-port: 0"},
      {{"--base-port", "65536"}, "bad value for --base-port: 65536"},
      {{"--master-port", "70000"}, "bad value for --master-port: 70000"},
      {{"--beacon-port", "-1"}, "bad value for --beacon-port: -1"},
      {{"--lan-port", "65536"}, "bad value for --lan-port: 65536"},
      {{"--silent", "1.01"}, "bad value for --silent: 1.01"},
      {{"--silent", "-0.1"}, "bad value for --silent: -0.1"},
      {{"--silent", "nan"}, "bad value for --silent: nan"},
      {{"--seed", "-3"}, "bad value for --seed: -3"},
      {{"--life", "-1"}, "bad value for --life: -1"},
      {{"--master-fault", "slow"}, "bad value for --master-fault: slow"},
      {{"--uts", "3"}, "unknown argument --uts"},
      {{"stray"}, "unknown argument stray"},
      {{"--ut", "100", "--base-port", "65500"}, "100 servers from port 65500 run past port 65535"},
  };
  for (const auto& c : cases) {
    TFarmOptions options;
    QString error;
    EXPECT_FALSE(ParseFarmOptions(c.arguments, options, error)) << c.error;
    EXPECT_EQ(error.toStdString(), c.error);
  }
}

TEST(FarmOptionsTest, HelpAndTheLastPortThatFits) {
  TFarmOptions options;
  QString error;
  ASSERT_TRUE(ParseFarmOptions({"--help"}, options, error));
  EXPECT_TRUE(options.help);
  ASSERT_TRUE(
      ParseFarmOptions({"--ut", "30", "--ut2004", "6", "--base-port", "65500"}, options, error));
  EXPECT_EQ(options.LastPort(), 65535);
}

}  // namespace
}  // namespace zorvane::farm
