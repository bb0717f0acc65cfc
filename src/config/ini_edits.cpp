// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/ini_edits.h"

#include <QFileInfo>

#include "config/ini_document.h"
#include "config/text_lines.h"

namespace zorvane {

void ApplyIniEdits(TIniDocument& ini, const std::vector<TIniEdit>& edits) {
  for (const TIniEdit& edit : edits) ini.WriteString(edit.section, edit.key, edit.value);
}

TIniWrite WriteIniDocument(const TIniDocument& ini) {
  if (IsReadOnlyFile(ini.Path())) return TIniWrite::ReadOnly;
  return ini.UpdateFile() ? TIniWrite::Written : TIniWrite::Failed;
}

TIniWrite WriteIniEdits(const QString& path, const std::vector<TIniEdit>& edits) {
  if (edits.empty()) return TIniWrite::Written;
  if (!QFileInfo::exists(path)) return TIniWrite::Gone;
  TIniDocument ini(path);
  if (!ini.LoadText()) return TIniWrite::Unreadable;
  ApplyIniEdits(ini, edits);
  return WriteIniDocument(ini);
}

QString IniWriteFailure(TIniWrite result, const QString& path) {
  const QString start = QStringLiteral("Could not write ") + path;
  switch (result) {
    case TIniWrite::Written:
      return {};
    case TIniWrite::Gone:
      return start + QStringLiteral(": the file is no longer there.");
    case TIniWrite::Unreadable:
      return start + QStringLiteral(": the file can no longer be read as an INI file.");
    case TIniWrite::ReadOnly:
      return start + QStringLiteral(": the file is read-only.");
    case TIniWrite::Failed:
      break;
  }
  return start + u'.';
}

}  // namespace zorvane
