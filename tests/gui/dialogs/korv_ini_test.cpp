// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/korv_ini.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "gui/controls/ini_controls.h"

namespace zorvane {
namespace {

// Keeps the kind as well: the rename refusal is an information box.
class KindSink : public TMessageSink {
 public:
  void Show(TMessageKind kind, const QString& text) override {
    kinds.push_back(kind);
    texts << text;
  }
  std::vector<TMessageKind> kinds;
  QStringList texts;
};

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

QList<TkorvEditINI*> Rows(const QWidget* panel) {
  return panel->findChildren<TkorvEditINI*>(Qt::FindDirectChildrenOnly);
}

TEST(KorvIniDialogTest, HeaderRowsOnlyWhenTheSectionChangesIgnoringCase) {
  const std::pair<QStringList, QStringList> cases[] = {
      // sections of the rows, captions of the header rows
      {{"Engine.Player"}, {"[Engine.Player]"}},
      {{"Engine.Player", "engine.PLAYER"}, {"[Engine.Player]"}},
      {{"NotALikelyValue"}, {}},
      {{"A", "B", "a"}, {"[A]", "[B]", "[a]"}},
  };
  for (const auto& [sections, headers] : cases) {
    SCOPED_TRACE(sections.join(u',').toStdString());
    KindSink sink;
    TkorvINI ini(sink);
    QWidget* panel = ini.CreateDialog(false);
    for (const QString& section : sections) ini.AddField(section, "Key", QString());
    QStringList shown;
    for (const QLabel* label : panel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
      shown << label->text();
    EXPECT_EQ(shown, headers);
    // Every header row pushes the rows below it down by one step.
    EXPECT_GE(ini.RowStep(), 25);
    EXPECT_GE(ini.RowStep(), Rows(panel).back()->height());
    EXPECT_EQ(Rows(panel).back()->y(), 5 + ini.RowStep() * (sections.size() - 1 + headers.size()));
  }
}

TEST(KorvIniDialogTest, RowsPastTheWindowGrowThePanelButNotTheWindowBeyond800) {
  KindSink sink;
  TkorvINI ini(sink);
  QWidget* panel = ini.CreateDialog(false);
  const int startPanel = panel->height();
  int grownRows = 0;
  for (int i = 0; i < 40; ++i) {
    const int before = panel->height();
    ini.AddField("Engine.Player", QStringLiteral("Key%1").arg(i), QString());
    const int growth = panel->height() - before;
    // Once the rows reach the panel's foot, every further row grows it by exactly one step.
    EXPECT_TRUE(growth == ini.RowStep() || (growth == 0 && grownRows == 0)) << i << ": " << growth;
    grownRows += growth > 0;
    // The window grows with the panel, a step at a time while it stays at most 800 high.
    const int steps = (panel->height() - startPanel) / ini.RowStep();
    EXPECT_EQ(ini.Dialog()->height(), 300 + ini.RowStep() * std::min(steps, 500 / ini.RowStep()))
        << i;
    EXPECT_LE(Rows(panel).back()->y() + ini.RowStep(), panel->height()) << i;
  }
  EXPECT_GT(grownRows, 20);
  EXPECT_LE(ini.Dialog()->height(), 800);
  EXPECT_GT(ini.Dialog()->height(), 800 - ini.RowStep());
}

constexpr char kEngineIni[] =
    "; UT engine settings\r\n"
    "[Engine.Player]\r\n"
    "Name=Player\r\n"
    "\r\n"
    "[URL]\r\n"
    "Port=7777\r\n"
    "junk line without a pair\r\n";

TEST(KorvIniDialogTest, OkWritesTheEditedKeyAndCancelLeavesTheFileAlone) {
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok);
    QTemporaryDir dir;
    const QString path = dir.filePath("UnrealTournament.ini");
    WriteBytes(path, kEngineIni);
    KindSink sink;
    TkorvINI ini(sink);
    ini.SetOwnerOfMemFile(true);
    ini.SetFileName(path);
    ini.SetMasterControl(ini.CreateDialog(true));
    ini.AddField("Engine.Player", "Name", QString());
    ini.AddField("URL", "Port", "listen port");

    QStringList shown;
    QTimer::singleShot(0, [&] {
      for (TkorvEditINI* row : Rows(ini.MasterPanel())) shown << row->Text();
      Rows(ini.MasterPanel()).front()->Edit()->setText("Zorv");
      (ok ? ini.OkButton() : ini.CancelButton())->click();
    });
    EXPECT_EQ(ini.Execute(), ok);
    EXPECT_EQ(shown, (QStringList{"Player", "7777"}));
    EXPECT_EQ(ReadBytes(path),
              ok ? QByteArray(kEngineIni).replace("=Player", "=Zorv") : QByteArray(kEngineIni));
    EXPECT_EQ(ini.Document(), nullptr);  // an owned document goes after every run
  }
}

// What the game writes while the editor is open stays, and only typed rows reach the file: a
// row left empty for a key the file lacks adds nothing.
TEST(KorvIniDialogTest, OkWritesOnlyTheChangedRowsOntoTheFileAsItIsThen) {
  QTemporaryDir dir;
  const QString path = dir.filePath("UnrealTournament.ini");
  WriteBytes(path, kEngineIni);
  KindSink sink;
  TkorvINI ini(sink);
  ini.SetOwnerOfMemFile(true);
  ini.SetFileName(path);
  ini.SetMasterControl(ini.CreateDialog(false));
  ini.AddField("Engine.Player", "Name", QString());
  ini.AddField("Engine.GameEngine", "CacheSizeMegs", QString());
  ini.AddField("URL", "Port", QString());
  const QByteArray byTheGame = QByteArray(kEngineIni).replace("=Player", "=FromTheGame");
  QTimer::singleShot(0, [&] {
    QLineEdit* port = Rows(ini.MasterPanel()).back()->Edit();
    port->selectAll();
    QTest::keyClicks(port, "7790");
    WriteBytes(path, byTheGame);
    QTest::mouseClick(ini.OkButton(), Qt::LeftButton);
  });
  EXPECT_TRUE(ini.Execute());
  EXPECT_EQ(ReadBytes(path), QByteArray(byTheGame).replace("Port=7777", "Port=7790"));
  EXPECT_TRUE(sink.texts.isEmpty());
}

// A failed write names the file; a UTF-16 file is not even loaded.
TEST(KorvIniDialogTest, FilesThatCannotBeWrittenOrAreNotTextAreReported) {
  QTemporaryDir dir;
  const QString path = dir.filePath("UnrealTournament.ini");
  const QByteArray utf16("\xff\xfe[\0U\0]\0\r\0\n\0", 12);
  const struct {
    const char* what;
    QByteArray bytes;
    std::function<void()> meanwhile;
    QString message;
  } cases[] = {
      {"read-only", kEngineIni, [&] { QFile::setPermissions(path, QFile::ReadOwner); },
       "Could not write " + path + ": the file is read-only."},
      {"gone", kEngineIni, [&] { QFile::remove(path); },
       "Could not write " + path + ": the file is no longer there."},
      {"UTF-16", utf16, [] {}, "Could not open " + path + " (it is not 8-bit text)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(path, c.bytes);
    KindSink sink;
    TkorvINI ini(sink);
    ini.SetOwnerOfMemFile(true);
    ini.SetFileName(path);
    ini.SetMasterControl(ini.CreateDialog(false));
    ini.AddField("URL", "Port", QString());
    QTimer::singleShot(0, [&] {
      QTest::keyClicks(Rows(ini.MasterPanel()).front()->Edit(), "1");
      c.meanwhile();
      QTest::mouseClick(ini.OkButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(ini.Execute());
    EXPECT_EQ(sink.texts, QStringList{c.message});
    EXPECT_EQ(sink.kinds, std::vector<TMessageKind>{TMessageKind::Error});
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(ReadBytes(path), QFile::exists(path) ? c.bytes : QByteArray("<unreadable>"));
  }
}

// A master panel holding one combo box bound to section/key, a level down.
struct ComboSetup {
  ComboSetup(const QString& path, const QString& section, const QString& key) {
    combo->SetIniSection(section);
    combo->SetIniKey(key);
    ini.SetFileName(path);
    ini.SetMasterControl(&master);
  }
  KindSink sink;
  QWidget master;
  TkorvComboboxINI* combo = new TkorvComboboxINI(new QWidget(&master));
  TkorvINI ini{sink};
};

TEST(KorvIniControlsTest, ComboListsAppendOnEveryLoadAndStoreTheirCount) {
  QTemporaryDir dir;
  const QString path = dir.filePath("zorvane.ini");
  WriteBytes(path, "[Options]\nFolder=B\n[Folder]\ncount=2\n[0]=a\n[1]=b\n[5]=stale\n");
  ComboSetup s(path, "Options", "Folder");
  s.ini.LoadControls();
  EXPECT_EQ(s.combo->Items(), (QStringList{"a", "b"}));
  EXPECT_EQ(s.combo->Text(), "b");  // the entry holding the value, ignoring case
  s.ini.LoadControls();
  EXPECT_EQ(s.combo->Items(), (QStringList{"a", "b", "a", "b"}));

  s.combo->SetText("c");
  ASSERT_TRUE(s.ini.SaveControls());
  EXPECT_EQ(ReadBytes(path),
            "[Options]\nFolder=c\n[Folder]\ncount=4\n[0]=a\n[1]=b\n[5]=stale\n[2]=a\n[3]=b\n");
}

TEST(KorvIniControlsTest, ComboListsReadTheEntriesPresentWhateverTheCount) {
  const struct {
    const char* list;
    QStringList items;
  } cases[] = {
      {"count=4\n[0]=a\n[3]=d\n[2]=c\n", {"a", "c", "d"}},  // gaps, index order
      {"count=2000000000\n[1]=b\n[7]=h\n", {"b", "h"}},     // no two billion look-ups
      {"count=1\n[0]=a\n[1]=beyond\n[00]=zero\n", {"a"}},
      {"count=3\n[0]=a]\n[1]=[b]\n", {"a]", "[b]"}},  // values ending in "]"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    QTemporaryDir dir;
    const QString path = dir.filePath("zorvane.ini");
    WriteBytes(path, QByteArray("[Folder]\n") + c.list);
    ComboSetup s(path, "Options", "Folder");
    s.ini.LoadControls();
    EXPECT_EQ(s.combo->Items(), c.items);
  }
}

TEST(KorvIniControlsTest, CheckDirExistsDropsFoldersThatAreGone) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("maps"));
  const QString maps = dir.filePath("maps");
  const QString gone = dir.filePath("gone");
  const QString path = dir.filePath("zorvane.ini");
  WriteBytes(path, ("[Paths]\nGameDir=" + gone + "\n[GameDir]\ncount=3\n[0]=" + maps +
                    "\n[1]=" + gone + "\n[2]=" + maps + "/\n")
                       .toUtf8());
  for (const bool check : {true, false}) {
    SCOPED_TRACE(check);
    ComboSetup s(path, "Paths", "GameDir");
    s.combo->SetIniCheckDirExists(check);
    s.ini.LoadControls();
    const QStringList kept =
        check ? QStringList{maps, maps + "/"} : QStringList{maps, gone, maps + "/"};
    EXPECT_EQ(s.combo->Items(), kept);
    EXPECT_EQ(s.combo->Text(), check ? QString() : gone);
    EXPECT_TRUE(s.sink.texts.isEmpty());  // the check decides silently
  }
}

TEST(KorvIniTest, FileNameCannotChangeWhileADocumentIsInMemory) {
  QTemporaryDir dir;
  const QString path = dir.filePath("UnrealTournament.ini");
  const QString other = dir.filePath("User.ini");
  WriteBytes(path, kEngineIni);
  KindSink sink;
  QWidget form;
  TkorvINI ini(sink, &form);
  ini.SetOwnerOfMemFile(true);
  ini.SetFileName(path);
  ini.CreateDialog(false);
  ASSERT_TRUE(ini.Prepare());
  ini.SetFileName(other);
  EXPECT_EQ(ini.FileName(), path);
  EXPECT_EQ(sink.texts, QStringList{"Cannot rename FileName, a file with the old name is "
                                    "currently in memory."});
  EXPECT_EQ(sink.kinds, std::vector<TMessageKind>{TMessageKind::Information});

  ini.Finish(false);  // frees the owned document
  ini.SetFileName(other);
  EXPECT_EQ(ini.FileName(), other);
  EXPECT_EQ(sink.texts.size(), 1);
}

TEST(KorvIniTest, NothingIsLoadedOrStoredWithoutAReadableFile) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("folder.ini");
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
  const std::tuple<QString, bool, QStringList> cases[] = {
      {"", false, {}},
      {"", true, {}},
      // A folder cannot be read; it must not be written over either.
      {folder, false, {"Could not open " + folder + "."}},
  };
  for (const auto& [fileName, owner, messages] : cases) {
    SCOPED_TRACE(fileName.toStdString() + (owner ? " owner" : " shared"));
    KindSink sink;
    QWidget master;
    auto* edit = new TkorvEditINI(&master);
    edit->SetIniSection("URL");
    edit->SetIniKey("Port");
    edit->SetText("typed");
    TkorvINI ini(sink);
    ini.SetOwnerOfMemFile(owner);
    ini.SetFileName(fileName);
    ini.SetMasterControl(&master);
    ini.LoadControls();
    EXPECT_EQ(ini.Document(), nullptr);
    EXPECT_EQ(edit->Text(), "typed");
    EXPECT_FALSE(ini.SaveControls());
    EXPECT_EQ(sink.texts, messages);
  }
  EXPECT_TRUE(QFileInfo(folder).isDir());
}

}  // namespace
}  // namespace zorvane
