// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One line of JSON per server record, keys in record order (QJsonObject would sort them).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <string>

namespace zorvane {

class TServer;

// A JSON string literal, quotes included, UTF-8.
QByteArray JsonString(QStringView text);
// The same, appended to out; the second from Latin-1 bytes.
void AppendJsonString(std::string& out, QStringView text);
void AppendJsonLatin1(std::string& out, QByteArrayView latin1);

// {"Key": ..., every record field ..., "Players": [...], "Settings": [...]} without a newline.
QByteArray ServerJson(const QString& key, const TServer& server);
// The same, appended to out (a caller writing thousands reuses one buffer).
void AppendServerJson(std::string& out, const QString& key, const TServer& server);

// {"summary": {"servers": N, "replied": R, "elapsedMs": T}} without a newline.
QByteArray SummaryJson(int servers, int replied, qint64 elapsedMs);

}  // namespace zorvane
