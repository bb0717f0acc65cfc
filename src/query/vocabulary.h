// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Pure conversions from raw query values to the texts the views show.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace zorvane {

// Query version byte of a game variant ("UT" 0, "UT2003 Demo" 120 ... "UT2004" 128).
quint8 GameQueryVersion(QStringView variant);

// Which status protocol a variant speaks.
enum class TQueryProtocol { None, Text, Binary };
TQueryProtocol QueryProtocolOf(QStringView variant);
// True for the binary variants whose replies are interpreted ("Unreal 2 XMP" is not).
bool ParsesBinaryReplies(QStringView variant);

QString TeamColourName(QStringView team);
QString TeamColourIndex(QStringView team);
QString DedicatedText(QStringView listenServer);
QString StripRelicPrefixes(const QString& mutators);
QString RegionName(QStringView location);

QString StripAfterBackslash(const QString& text);

// Lower-cases A-Z only, as the player and map searches compare.
QString AsciiLower(const QString& text);

// Integer reading used throughout: surrounding blanks allowed, anything else fails.
bool ReadInteger(QStringView text, int& value);

}  // namespace zorvane
