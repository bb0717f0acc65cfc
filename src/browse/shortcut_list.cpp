// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/shortcut_list.h"

#include <algorithm>

namespace zorvane {

QString WithoutMnemonics(const QString& caption) {
  QString plain;
  plain.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    // "&&" stands for one "&"; a lone "&" only marks the next letter.
    if (caption[i] == u'&' && ++i >= caption.size()) break;
    plain += caption[i];
  }
  return plain;
}

std::vector<TShortcutRow> ShortcutRows(const std::vector<TShortcutEntry>& found) {
  struct TMerged {
    QString command;
    QStringList keys;
  };
  std::vector<TMerged> merged;
  for (const TShortcutEntry& entry : found) {
    const QString command = WithoutMnemonics(entry.caption).trimmed();
    if (command.isEmpty() || entry.keys.isEmpty()) continue;
    auto it = std::find_if(merged.begin(), merged.end(),
                           [&](const TMerged& m) { return m.command == command; });
    if (it == merged.end()) it = merged.insert(merged.end(), {command, {}});
    for (const QString& key : entry.keys)
      if (!key.isEmpty() && !it->keys.contains(key)) it->keys << key;
  }
  std::stable_sort(merged.begin(), merged.end(), [](const TMerged& a, const TMerged& b) {
    return a.command.compare(b.command, Qt::CaseInsensitive) < 0;
  });
  std::vector<TShortcutRow> rows;
  for (const TMerged& m : merged)
    if (!m.keys.isEmpty()) rows.push_back({m.command, m.keys.join(QStringLiteral(", "))});
  return rows;
}

}  // namespace zorvane
