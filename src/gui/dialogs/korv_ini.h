// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Binds an INI file to the INI-aware controls inside a container, and builds on the fly a
// dialog with one edit row per INI key (the UT99 setup command lets the user edit chosen keys
// of the game's engine INI file with it).

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "config/ini_document.h"
#include "config/message_sink.h"

class QDialog;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace zorvane {

class TkorvEditINI;

class TkorvINI : public QObject {
  Q_OBJECT

 public:
  // A parent that is a widget is the form the dialog is centred on. The sink outlives this.
  explicit TkorvINI(TMessageSink& messages, QObject* parent = nullptr);
  ~TkorvINI() override;

  QString FileName() const { return fileName_; }
  // Refused (with an information box) while a document is in memory.
  void SetFileName(const QString& fileName);

  // The container whose descendants are loaded and stored; not owned.
  QWidget* MasterControl() const { return masterControl_; }
  void SetMasterControl(QWidget* control) { masterControl_ = control; }

  // A fresh document on every load, freed after every dialog run.
  bool OwnerOfMemFile() const { return ownerOfMemFile_; }
  void SetOwnerOfMemFile(bool owner) { ownerOfMemFile_ = owner; }

  // Fills every INI control under MasterControl from the file. An empty FileName loads nothing,
  // and neither does a file that is not 8-bit text (reported).
  void LoadControls();
  // Stores the INI controls under MasterControl that the user changed since LoadControls (a
  // row left as it was, such as an empty one for a key the file lacks, writes nothing) and
  // writes the file back: with OwnerOfMemFile the file as it is now, which the game may have
  // written meanwhile; else the document in memory. False when there was no document or the
  // file could not be written (reported with the file's path).
  bool SaveControls();

  // A new dialog (freeing any earlier one); returns its "MasterPanel", which the caller makes
  // the MasterControl. The notes box exists only with notes.
  QWidget* CreateDialog(bool notes);
  // One edit row for section/key, after a "[section]" header row when the section changes.
  void AddField(const QString& section, const QString& key, const QString& comment);
  void AddNote(const QString& line);

  // Load, show modally, store on OK; true when OK was chosen and the changes (if any) were
  // written. Does nothing without a dialog.
  bool Execute();
  // Execute's halves around the modal run: Prepare loads (false without a dialog), Finish
  // stores when accepted and frees an owned document.
  bool Prepare();
  bool Finish(bool accepted);

  // The distance between rows: the design's 25 pixels, or an edit row's height in the
  // dialog's font and a gap when that is more. Set by CreateDialog.
  int RowStep() const { return rowStep_; }

  // The dialog window (its size is the caller's to set and read back) and its parts; null
  // before CreateDialog.
  QDialog* Dialog() const { return dialog_.get(); }
  QWidget* MasterPanel() const { return masterPanel_; }
  QPlainTextEdit* NotesBox() const { return notes_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // The document in memory, or null.
  TIniDocument* Document() const { return document_.get(); }

 private:
  void GrowStep();
  void LineUpRows();
  void CentreOnForm();

  // What a control was filled with: its text and, for a combo box, its list.
  struct TLoaded {
    QString text;
    QStringList items;
  };

  TMessageSink& messages_;
  QString fileName_;
  QPointer<QWidget> masterControl_;  // may live in a dialog freed by the next CreateDialog
  bool ownerOfMemFile_ = false;
  std::unique_ptr<TIniDocument> document_;
  QHash<const QWidget*, TLoaded> loaded_;  // by the last LoadControls; used only as keys

  int left_ = 5;
  int top_ = 5;
  QString lastSection_;
  int bottomHeight_ = 35;
  int rowStep_ = 25;
  std::unique_ptr<QDialog> dialog_;
  QWidget* masterPanel_ = nullptr;  // these are parts of the dialog, freed with it
  struct TRow {
    TkorvEditINI* edit;
    QLabel* comment;  // or none
  };
  std::vector<TRow> rows_;
  QPlainTextEdit* notes_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace zorvane
