// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The choices of the options dialog as texts, and how they turn into settings and back. The
// dialog shows and returns TOptionsForm; these rules decide what a text means, so the window
// only applies the outcome.

#include <QString>
#include <QStringList>
#include <map>
#include <optional>

#include "config/settings.h"

namespace zorvane {

// The lists, in the order the dialog shows them.
QStringList PingWaitChoices();      // "2 seconds" .. "4 seconds"
QStringList RefreshRateChoices();   // "none", "5 seconds" .. "30 minutes"
// The start-up query that runs a LAN search.
inline constexpr const char* kLanStartupQuery = "LAN Servers";
QStringList StartupQueryChoices();  // "none", "Favorites Only", "UT Master Server", ..., "LAN Servers"
QStringList FilterLocationChoices();
QStringList QueryDelayChoices();  // "[no delay]", 1..9, 10..95, 100..950, 1000..10000

inline constexpr const char* kNoDelayText = "[no delay]";

// A wait as the lists and the status line show it: "none" below a second, else whole seconds
// ("1 second", "59 seconds") or, from a minute on, whole minutes ("2 minutes").
QString DelayText(qint64 milliseconds);

// The ping-wait text of exactly 2000, 3000 or 4000 ms; empty for any other wait.
QString PingWaitText(int ms);
// The wait of a ping-wait text; nothing for any other text (the empty one included).
std::optional<int> PingWaitFromText(const QString& text);
// A wait below 2000 or above 4000 ms becomes 3000.
int ClampPingWaitTime(int ms);

// 0 is "[no delay]", anything else its decimal text.
QString QueryDelayText(int power);
// "[no delay]" is 0, a decimal number itself; nothing for any other text.
std::optional<int> QueryPowerFromText(const QString& text);

// The favourites auto refresh rates the rate key steps through, in order.
inline constexpr int kRefreshRateSteps[] = {0,      5000,   10000,  30000,  60000,
                                            120000, 300000, 600000, 900000, 1800000};
// The step after ms, back to 0 after the last; a rate that is no step goes to 0.
int NextRefreshRate(int ms);

// What the options dialog shows and returns: list choices as texts (empty: no selection).
struct TOptionsForm {
  QString pingWait, defaultVersion, refreshRate, startupQuery, filterLocation, defaultGame,
      queryDelay;
  bool autoPingServer = false;
  bool autoRefreshSelectedServerOnly = false;
  bool confirmServerDelete = false;
  bool confirmPlayerDelete = false;
  bool morePlayerInfo = false;
  bool tabsMultiline = false;
  bool minimizeOnJoin = false;
  bool confirmMapDelete = false;
  bool syncFaves = false;
  bool autoCheckNewVersion = false;
  bool showToolbar = false;
  bool startInTray = false;
  bool serverHistory = false;
  bool desktopNotifications = false;
  // The masters of each game, by variant; a game missing or with an empty list keeps its own.
  std::map<QString, QStringList> masterLists;
};

// The form of the settings' values; the lists that cannot show a value are left empty.
TOptionsForm OptionsFormFrom(const TSettings& settings);
// Stores the form into the settings. An empty refresh rate stores 0; empty texts store the
// empty text; an empty ping wait and a delay strength that is no choice keep the stored value.
void StoreOptionsForm(const TOptionsForm& form, TSettings& settings);

// The font dialog's outcome changes the program-wide font: a name was chosen and it or the
// size differs from the current one.
bool FontChoiceChanges(const QString& name, int size, const QString& currentName,
                       int currentSize);

}  // namespace zorvane
