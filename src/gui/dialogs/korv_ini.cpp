// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/korv_ini.h"

#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "config/ini_edits.h"
#include "config/ini_utils.h"
#include "gui/controls/ini_controls.h"
#include "gui/controls/text_fit.h"
#include "gui/controls/window_fit.h"

namespace zorvane {
namespace {
constexpr int kStart = 5;  // left and top of the first row
constexpr int kRowStep = 25;
constexpr int kDialogWidth = 660;
constexpr int kDialogHeight = 300;
constexpr int kMaxDialogHeight = 800;
constexpr int kBottomWithNotes = 105;
constexpr int kBottomWithoutNotes = 35;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kEditWidth = 300;
constexpr int kEditCaptionWidth = 140;
constexpr int kHeaderHeight = 20;
const char* const kNoSectionYet = "notalikelyvalue";

// A plain panel whose anchored children keep their distance to its right edge: buttons move
// with it, lines and the notes box stretch.
class TAnchorPanel : public QWidget {
 public:
  using QWidget::QWidget;

  void Anchor(QWidget* child, bool stretch) {
    anchors_.push_back({child, width() - (child->x() + child->width()), stretch});
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    for (const TAnchor& a : anchors_) {
      const int right = width() - a.rightGap;
      if (a.stretch)
        a.child->resize(std::max(0, right - a.child->x()), a.child->height());
      else
        a.child->move(right - a.child->width(), a.child->y());
    }
  }

 private:
  struct TAnchor {
    QWidget* child;  // a child of this panel, freed with it
    int rightGap;
    bool stretch;
  };
  std::vector<TAnchor> anchors_;
};

QString IndexKey(int i) {
  return u'[' + QString::number(i) + u']';
}

// Depth first in child order: a child's own descendants before the child itself.
template <typename Handle>
void WalkControls(QWidget* container, const Handle& handle) {
  for (QObject* child : container->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget) continue;
    WalkControls(widget, handle);
    handle(widget);
  }
}

void LoadCombobox(TkorvComboboxINI& combo, const TIniDocument& ini, TMessageSink& messages) {
  // Without a caption the check reports nothing; it only decides.
  const auto usable = [&](const QString& value) {
    return !value.isEmpty() &&
           (!combo.IniCheckDirExists() || CheckPathExists(value, QString(), messages));
  };
  const QString listSection = combo.IniKey();
  const int count = SafeReadInteger(ini, listSection, QStringLiteral("count"), 0);
  for (const QString& entry : ReadIndexedEntries(ini, listSection, QString(), count))
    if (usable(entry)) combo.AddItem(entry);
  const QString current = ini.ReadString(combo.IniSection(), combo.IniKey(), QString());
  if (!usable(current)) return;
  if (combo.ItemIndexOf(current) < 0) combo.AddItem(current);
  combo.Combobox()->setCurrentIndex(combo.ItemIndexOf(current));
}

void StoreCombobox(const TkorvComboboxINI& combo, std::vector<TIniEdit>& edits) {
  edits.push_back({combo.IniSection(), combo.IniKey(), combo.Text()});
  const QStringList items = combo.Items();
  edits.push_back({combo.IniKey(), QStringLiteral("count"), QString::number(items.size())});
  // Entries left over from a longer earlier list stay; "count" tells how many are meant.
  for (int i = 0; i < items.size(); ++i) edits.push_back({combo.IniKey(), IndexKey(i), items[i]});
}
}  // namespace

TkorvINI::TkorvINI(TMessageSink& messages, QObject* parent)
    : QObject(parent), messages_(messages), lastSection_(QString::fromLatin1(kNoSectionYet)) {}

TkorvINI::~TkorvINI() = default;

void TkorvINI::SetFileName(const QString& fileName) {
  if (document_) {
    messages_.Show(TMessageKind::Information,
                   QStringLiteral("Cannot rename FileName, a file with the old name is currently "
                                  "in memory."));
    return;
  }
  fileName_ = fileName;
}

void TkorvINI::LoadControls() {
  if (ownerOfMemFile_) document_.reset();
  loaded_.clear();
  if (!document_ && !fileName_.isEmpty()) {
    auto document = std::make_unique<TIniDocument>(fileName_);
    // Without a document nothing is stored, so an unreadable file is never overwritten.
    if (!document->LoadText()) {
      messages_.Show(TMessageKind::Error, CouldNotOpenText(*document) + u'.');
      return;
    }
    document_ = std::move(document);
  }
  if (!document_ || !masterControl_) return;
  TIniDocument& ini = *document_;
  WalkControls(masterControl_, [&](QWidget* widget) {
    if (auto* combo = qobject_cast<TkorvComboboxINI*>(widget)) {
      LoadCombobox(*combo, ini, messages_);
      loaded_.insert(widget, {combo->Text(), combo->Items()});
    } else if (auto* edit = qobject_cast<TkorvEditINI*>(widget)) {
      edit->SetText(ini.ReadString(edit->IniSection(), edit->IniKey(), QString()));
      loaded_.insert(widget, {edit->Text(), {}});
    }
  });
}

bool TkorvINI::SaveControls() {
  if (!document_) return false;
  std::vector<TIniEdit> edits;
  if (masterControl_) {
    const auto changed = [&](const QWidget* widget, const QString& text, const QStringList& items) {
      const auto found = loaded_.constFind(widget);
      return found == loaded_.cend() || found->text != text || found->items != items;
    };
    WalkControls(masterControl_, [&](QWidget* widget) {
      if (auto* combo = qobject_cast<TkorvComboboxINI*>(widget)) {
        if (changed(widget, combo->Text(), combo->Items())) StoreCombobox(*combo, edits);
      } else if (auto* edit = qobject_cast<TkorvEditINI*>(widget)) {
        if (changed(widget, edit->Text(), {}))
          edits.push_back({edit->IniSection(), edit->IniKey(), edit->Text()});
      }
    });
  }
  if (edits.empty()) return true;  // nothing changed: the file stays as it is
  TIniWrite result;
  if (ownerOfMemFile_) {
    // The file as it is now: the game may have written it since it was loaded.
    result = WriteIniEdits(document_->Path(), edits);
  } else {
    ApplyIniEdits(*document_, edits);
    result = WriteIniDocument(*document_);
  }
  if (result != TIniWrite::Written)
    messages_.Show(TMessageKind::Error, IniWriteFailure(result, document_->Path()));
  return result == TIniWrite::Written;
}

QWidget* TkorvINI::CreateDialog(bool notes) {
  // The parts go with the old dialog; clear them first so nothing points into it.
  masterPanel_ = nullptr;
  rows_.clear();
  notes_ = nullptr;
  ok_ = cancel_ = nullptr;
  dialog_.reset();
  left_ = top_ = kStart;
  bottomHeight_ = notes ? kBottomWithNotes : kBottomWithoutNotes;
  lastSection_ = QString::fromLatin1(kNoSectionYet);

  dialog_ = std::make_unique<QDialog>();
  dialog_->resize(kDialogWidth, kDialogHeight);
  if (!fileName_.isEmpty()) dialog_->setWindowTitle(fileName_);
  auto* layout = new QVBoxLayout(dialog_.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // Rows past the window's height are reached by scrolling.
  auto* scroll = new QScrollArea(dialog_.get());
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);  // the panel takes the window's width, keeps its height
  scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* master = new TAnchorPanel;
  master->setObjectName(QStringLiteral("MasterPanel"));
  master->resize(kDialogWidth, kDialogHeight - bottomHeight_ - 30);
  master->setFixedHeight(master->height());
  scroll->setWidget(master);  // the scroll area owns it from here
  masterPanel_ = master;
  // A row of the design's 25 pixels, or the height of an edit row in this font and a gap.
  rowStep_ = std::max(kRowStep, TkorvEditINI(master).sizeHint().height() + 2);
  layout->addWidget(scroll, 1);

  // At the foot: the notes box, then OK and Cancel at the right, each as big as its font
  // needs and no smaller than designed.
  auto* bottom = new QVBoxLayout;
  bottom->setContentsMargins(5, 0, 5, 5);
  layout->addLayout(bottom);
  if (notes) {
    notes_ = new QPlainTextEdit(dialog_.get());
    notes_->setFixedHeight(ScaledWidth(kBottomWithNotes - 35, notes_->fontMetrics()));
    notes_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    notes_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notes_->setReadOnly(true);  // help text for the rows above, nothing to store
    bottom->addWidget(notes_);
  }
  ok_ = new QPushButton(QStringLiteral("OK"), dialog_.get());
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), dialog_.get());
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 5, 10, 0);
  buttons->setSpacing(15);
  buttons->addStretch();
  for (QPushButton* button : {ok_, cancel_}) {
    button->setMinimumSize(kButtonWidth, kButtonHeight);
    buttons->addWidget(button);
  }
  bottom->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, dialog_.get(), &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, dialog_.get(), &QDialog::reject);
  CentreOnForm();
  return masterPanel_;
}

void TkorvINI::GrowStep() {
  const int step = rowStep_;
  if (top_ + step <= masterPanel_->height()) return;
  masterPanel_->setFixedHeight(masterPanel_->height() + step);
  const int grown = dialog_->height() + step;
  if (grown <= kMaxDialogHeight) dialog_->resize(dialog_->width(), grown);
}

void TkorvINI::AddField(const QString& section, const QString& key, const QString& comment) {
  if (!masterPanel_) return;
  auto* panel = static_cast<TAnchorPanel*>(masterPanel_);
  GrowStep();
  const int step = rowStep_;
  if (section.compare(lastSection_, Qt::CaseInsensitive) != 0) {
    auto* line = new QFrame(panel);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(left_, top_ + step / 2 - 3, panel->width() - 20, 3);
    panel->Anchor(line, true);
    line->show();
    const QString text = u'[' + section + u']';
    auto* header = new QLabel(text, panel);
    header->setAutoFillBackground(true);  // covers the line under the text
    header->setGeometry(left_ + 15, top_, header->sizeHint().width(),
                        std::max(kHeaderHeight, header->sizeHint().height()));
    header->show();
    top_ += step;
    lastSection_ = section;
    GrowStep();
  }
  auto* edit = new TkorvEditINI(panel);
  edit->SetPanelWidth(kEditWidth);
  edit->SetCaption(key);
  edit->SetCaptionWidth(kEditCaptionWidth);
  edit->SetIniSection(section);
  edit->SetIniKey(key);
  edit->move(left_, top_);
  edit->show();
  QLabel* label = nullptr;
  if (!comment.isEmpty()) {
    label = new QLabel(comment, panel);
    label->adjustSize();
    label->show();
  }
  rows_.push_back({edit, label});
  LineUpRows();
  top_ += step;
}

void TkorvINI::LineUpRows() {
  // The boxes in one column after the longest key, each comment beside its box.
  int caption = 0;
  for (const TRow& row : rows_) caption = std::max(caption, row.edit->CaptionNeed());
  int right = 0;
  for (const TRow& row : rows_) {
    row.edit->SetCaptionFloor(caption);
    row.edit->resize(row.edit->sizeHint());
    right = std::max(right, row.edit->geometry().right());
    if (row.comment) {
      row.comment->move(row.edit->geometry().right() + 10,
                        row.edit->y() + (row.edit->height() - row.comment->height()) / 2);
      right = std::max(right, row.comment->geometry().right());
    }
  }
  // Every row shows whole: the window opens at least this wide (Prepare).
  masterPanel_->setMinimumWidth(right + kStart);
}

void TkorvINI::AddNote(const QString& line) {
  if (notes_) notes_->appendPlainText(line);
}

void TkorvINI::CentreOnForm() {
  QRect area;
  if (auto* form = qobject_cast<QWidget*>(parent()))
    area = form->window()->frameGeometry();
  else if (QScreen* screen = QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  if (area.isValid())
    dialog_->move(area.center() - QPoint(dialog_->width() / 2, dialog_->height() / 2));
}

bool TkorvINI::Prepare() {
  if (!dialog_) return false;
  LoadControls();
  // A stored size that cuts rows off at the side is widened (a larger one stays).
  const int rows =
      masterPanel_->minimumWidth() + dialog_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
  dialog_->resize(FittedWindowSize(dialog_.get()).expandedTo({rows, 0}));
  // The caller may have resized the window since CreateDialog.
  CentreOnForm();
  if (auto* form = qobject_cast<QWidget*>(parent())) {
    // The dialog has no Qt parent (this component owns it), so tie it to the form's window
    // to keep it above that window.
    dialog_->winId();
    if (QWindow* window = dialog_->windowHandle())
      window->setTransientParent(form->window()->windowHandle());
  }
  return true;
}

bool TkorvINI::Finish(bool accepted) {
  const bool saved = accepted && SaveControls();
  if (ownerOfMemFile_) document_.reset();
  return saved;
}

bool TkorvINI::Execute() {
  if (!Prepare()) return false;
  return Finish(dialog_->exec() == QDialog::Accepted);
}

}  // namespace zorvane
