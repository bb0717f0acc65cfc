// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Changes to a game's own INI file, written onto the file as it is at the moment of writing.
// The game may have written the file since a dialog read it (or two games may share one
// User.ini): only the changed keys are put into the file as it is now, and every other key
// keeps what is there, not what was there when the dialog opened.

#include <QString>
#include <vector>

namespace zorvane {

class TIniDocument;

struct TIniEdit {
  QString section;
  QString key;
  QString value;

  bool operator==(const TIniEdit&) const = default;
};

enum class TIniWrite {
  Written,
  Gone,        // the file is no longer there: nothing is made up in its place
  Unreadable,  // no longer a readable 8-bit text file: left as it is
  ReadOnly,    // its mode has no write bit: left as it is
  Failed,      // the new file could not be written or put in place: the old one stays
};

void ApplyIniEdits(TIniDocument& ini, const std::vector<TIniEdit>& edits);

// Reads the file at path, applies the edits and writes it back (nothing at all without edits).
TIniWrite WriteIniEdits(const QString& path, const std::vector<TIniEdit>& edits);
// Writes a document back: Written, ReadOnly or Failed.
TIniWrite WriteIniDocument(const TIniDocument& ini);

// What the user is told when a write failed: "Could not write " + path and why; empty for
// Written.
QString IniWriteFailure(TIniWrite result, const QString& path);

}  // namespace zorvane
