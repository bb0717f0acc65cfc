// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QStringList>

#include "config/message_sink.h"

namespace zorvane::testing {

// Records every message the code under test would show.
class RecordingSink : public TMessageSink {
 public:
  void Show(TMessageKind, const QString& text) override { messages << text; }
  QStringList messages;
};

}  // namespace zorvane::testing
