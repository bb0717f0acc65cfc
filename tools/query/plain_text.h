// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The plain-text output of zorvane-query: one tab-separated line per server. Texts that came
// from the network are made safe for a terminal and for tools that split lines and columns.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace zorvane {

class TServer;

// Drops every UT2004 colour code (0x1B and three colour bytes) and
// turns every other control character (C0, DEL and C1) into a blank: the result holds no line
// break, tab or escape character.
QString PlainText(QStringView text);

// KEY, ping, players, map, game type and name, separated by tabs, without a line end.
QByteArray ServerTextLine(const QString& key, const TServer& server);

}  // namespace zorvane
