// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the configuration code reports what the user must be told. The window shows each
// message as a box; tests and the command-line tools record or print them.

#include <QString>

namespace zorvane {

enum class TMessageKind { Plain, Information, Warning, Error };

class TMessageSink {
 public:
  virtual ~TMessageSink() = default;
  virtual void Show(TMessageKind kind, const QString& text) = 0;
};

// Drops every message (for callers that report failures in their own way).
class TSilentSink : public TMessageSink {
 public:
  void Show(TMessageKind, const QString&) override {}
};

}  // namespace zorvane
