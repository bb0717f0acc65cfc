// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Opening INI documents and reading their values leniently.

#include <QString>
#include <memory>

#include "config/ini_document.h"
#include "config/message_sink.h"

namespace zorvane {

// Joins a directory and a file name with the platform separator.
QString JoinPath(const QString& directory, const QString& fileName);

// "Could not open " + path, with the reason when the document refused the file.
QString CouldNotOpenText(const TIniDocument& document);

// Opens (with createIfMissing: creates an empty file first) directory/fileName, adding
// "." + extension to a name without one when creating. Reports "Could not create ",
// "Could not find " or "Could not open " + path and returns false on failure.
// An empty directory means the current directory; an empty extension means "ini".
bool OpenIniFile(bool createIfMissing, std::unique_ptr<TIniDocument>& document, bool& existed,
                 const QString& fileName, TMessageSink& messages, const QString& directory = {},
                 const QString& extension = {});

// Opens a game's own INI file; nothing is created. Reports caption + " -> " + "Could not find "
// or "Could not open " + path + "." unless silent, and returns null on failure.
std::unique_ptr<TIniDocument> OpenExistingIniFile(const QString& path, const QString& caption,
                                                  bool silent, TMessageSink& messages);

bool CheckPathExists(const QString& path, const QString& fieldCaption, TMessageSink& messages);
bool CheckFileExists(const QString& path, const QString& fieldCaption, TMessageSink& messages);

// The value read as an integer; text that is not one gives def.
int SafeReadInteger(const TIniDocument& ini, const QString& section, const QString& key, int def);
// Whether the value (def when missing) equals trueText, ignoring case.
bool ReadFlag(const TIniDocument& ini, const QString& section, const QString& key,
              const QString& def, const QString& trueText = QStringLiteral("1"));
void WriteFlag(TIniDocument& ini, const QString& section, const QString& key, bool flag);

// The values of a counted list: the keys prefix + "[" + N + "]" (N decimal without leading
// zeros, below count) that the section really holds, in index order, so a list with gaps
// loses nothing and a damaged count of two billion costs nothing.
QStringList ReadIndexedEntries(const TIniDocument& ini, const QString& section,
                               const QString& prefix, int count);

}  // namespace zorvane
