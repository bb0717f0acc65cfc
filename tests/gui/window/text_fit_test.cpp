// SPDX-License-Identifier: GPL-2.0-or-later
// Every window and dialog shows its texts whole, at the desktop's font and at 14 points: each
// label, button, tab, header section, group box title, captioned box's caption and window
// title has the room its text needs in the font's metrics, and nothing covers it. Runs on a
// 1366 x 768 screen (see CMakeLists.txt). A new dialog is one more line in kDialogs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "config/settings.h"
#include "gui/controls/captioned_panel.h"
#include "gui/controls/log_window.h"
#include "gui/controls/text_fit.h"
#include "gui/dialogs/server_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/grid/string_grid_header.h"
#include "gui/window/main_window.h"
#include "gui/window/monitors_controller.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"
#include "support/user_ini_samples.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

// Where a widget sits: its class or name, and its ancestors' up to its window.
QString PathOf(const QWidget* widget) {
  QStringList parts;
  for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
    parts.prepend(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                            : w->objectName());
  return parts.join(u'/');
}

class TFitCheck {
 public:
  explicit TFitCheck(QWidget* window) : window_(window) {}

  QStringList Run() {
    if (window_->isWindow()) CheckWindow();
    for (QWidget* w : window_->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(window_) || w->isWindow()) continue;
      if (auto* label = qobject_cast<QLabel*>(w)) CheckLabel(label);
      if (auto* button = qobject_cast<QAbstractButton*>(w)) CheckButton(button);
      if (auto* bar = qobject_cast<QTabBar*>(w)) CheckTabs(bar);
      if (auto* header = qobject_cast<QHeaderView*>(w)) CheckHeader(header);
      if (auto* box = qobject_cast<QGroupBox*>(w)) CheckGroupBox(box);
      if (IsField(w)) CheckOverlap(w);
    }
    return problems_;
  }

 private:
  void Unfit(const QWidget* w, const QString& text, int need, int room) {
    problems_
        << QStringLiteral("%1 \"%2\": needs %3, has %4").arg(PathOf(w), text).arg(need).arg(room);
  }

  // The part of rect (w's coordinates) that no ancestor cuts off, as its width; a scroll
  // area's viewport cuts only across (rows below its bottom are scrolled to).
  int VisibleWidth(const QWidget* w, QRect rect) const {
    for (const QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
      const QWidget* parent = p->parentWidget();
      const auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
      const bool scrolled = area && area->viewport() == parent;
      rect.translate(p->pos());
      // Scrolled to, a row below the viewport's foot comes into it.
      if (scrolled) rect = QRect(rect.x(), 0, rect.width(), parent->height());
      rect = rect.intersected(QRect(QPoint(), parent->size()));
    }
    return rect.width();
  }

  // A later sibling drawn over the first need pixels of w's text.
  const QWidget* CoveredBy(const QWidget* w, int left, int need) const {
    const QRect text(w->x() + left, w->y(), need, w->height());
    const QObjectList& siblings = w->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
      auto* other = qobject_cast<QWidget*>(siblings[i]);
      if (other && !other->isWindow() && other->isVisibleTo(window_) &&
          other->geometry().intersects(text))
        return other;
    }
    return nullptr;
  }

  // What a user reads or fills in: no two of them may lie on one another.
  static bool IsField(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const TkorvCaptionedPanel*>(w);
  }

  void CheckOverlap(const QWidget* w) {
    const QObjectList& siblings = w->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
      auto* other = qobject_cast<QWidget*>(siblings[i]);
      if (other && IsField(other) && other->isVisibleTo(window_) &&
          other->geometry().intersects(w->geometry()))
        problems_ << PathOf(w) + QStringLiteral(" overlaps ") + PathOf(other);
    }
  }

  void CheckText(const QWidget* w, const QString& text, int left, int room) {
    const int need = TextWidth(w->fontMetrics(), text);
    const int visible = VisibleWidth(w, QRect(left, 0, need, w->height()));
    if (need > room || visible < need) {
      Unfit(w, text, need, std::min(room, visible));
    } else if (const QWidget* cover = CoveredBy(w, left, need)) {
      problems_ << PathOf(w) + QStringLiteral(" \"") + text + QStringLiteral("\": covered by ") +
                       PathOf(cover);
    }
  }

  void CheckWindow() {
    const QString title = window_->windowTitle();
    // The window manager draws the title beside an icon and three buttons.
    const int need = TextWidth(window_->fontMetrics(), title) + 4 * window_->fontMetrics().height();
    if (window_->width() < need)
      Unfit(window_, QStringLiteral("title ") + title, need, window_->width());
    // With the window manager's frame: borders and a title bar some two lines high.
    const QRect screen = window_->screen()->availableGeometry();
    const int frame = 2 * window_->fontMetrics().height() + 8;
    if (window_->width() + 8 > screen.width() || window_->height() + frame > screen.height())
      problems_ << PathOf(window_) + QStringLiteral(" is larger than the screen");
    const QSize least =
        qobject_cast<QDialog*>(window_) ? window_->sizeHint() : window_->minimumSizeHint();
    if (window_->width() < least.width() || window_->height() < least.height())
      problems_ << PathOf(window_) + QStringLiteral(" opens at %1x%2, below %3x%4")
                                         .arg(window_->width())
                                         .arg(window_->height())
                                         .arg(least.width())
                                         .arg(least.height());
  }

  void CheckLabel(QLabel* label) {
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText) return;
    const QRect inside = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                        -label->margin(), -label->margin());
    if (label->wordWrap()) {
      if (label->height() < label->heightForWidth(label->width()))
        Unfit(label, label->text(), label->heightForWidth(label->width()), label->height());
      return;
    }
    CheckText(label, label->text(), inside.left(), inside.width());
  }

  void CheckButton(QAbstractButton* button) {
    if (button->text().isEmpty()) return;
    if (qobject_cast<QToolButton*>(button)) {
      // Tool-bar buttons: the style lays out the text itself.
      if (button->width() < button->sizeHint().width())
        Unfit(button, button->text(), button->sizeHint().width(), button->width());
      return;
    }
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement element =
        qobject_cast<QCheckBox*>(button)     ? QStyle::SE_CheckBoxContents
        : qobject_cast<QPushButton*>(button) ? QStyle::SE_PushButtonContents
                                             : QStyle::SE_RadioButtonContents;
    const QRect contents = button->style()->subElementRect(element, &option, button);
    CheckText(button, button->text(), contents.left(), contents.width());
  }

  void CheckTabs(QTabBar* bar) {
    const int padding = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
    for (int i = 0; i < bar->count(); ++i) {
      if (!bar->isTabVisible(i)) continue;
      const QRect tab = bar->tabRect(i);
      const int need = TextWidth(bar->fontMetrics(), bar->tabText(i)) + padding;
      if (tab.width() < need || !bar->rect().contains(tab))
        Unfit(bar, bar->tabText(i), need, tab.intersected(bar->rect()).width());
    }
  }

  void CheckHeader(QHeaderView* header) {
    const auto* grid = qobject_cast<TkorvStringGrid*>(header->parentWidget());
    for (int col = 0; col < header->count(); ++col) {
      if (header->isSectionHidden(col) || header->sectionSize(col) == 0) continue;
      const QString text =
          header->model()->headerData(col, header->orientation(), Qt::DisplayRole).toString();
      if (text.isEmpty()) continue;
      // The grid's own cells keep room for the sort arrow.
      const int room = header->sectionSize(col) -
                       (grid ? TkorvGridHeader::kTextInset + TkorvGridHeader::kArrowRoom : 8);
      const int need = TextWidth(header->fontMetrics(), text);
      if (need > room) Unfit(header, text, need, room);
    }
    // Every column in sight, none to be scrolled to.
    if (header->length() > header->width())
      problems_ << PathOf(header) + QStringLiteral(": columns %1 wide in %2")
                                        .arg(header->length())
                                        .arg(header->width());
  }

  void CheckGroupBox(QGroupBox* box) {
    if (box->width() < box->minimumSizeHint().width())
      Unfit(box, box->title(), box->minimumSizeHint().width(), box->width());
  }

  QWidget* window_;
  QStringList problems_;
};

// Opens one dialog modally from the window (the check runs on it while it is open).
struct TOpener {
  const char* name;
  std::function<void(TfrmZorvane& window)> open;
};

void Trigger(TfrmZorvane& window, const char* action) {
  QAction* found = window.FindWindowAction(QString::fromLatin1(action));
  ASSERT_TRUE(found) << action;
  found->trigger();
}

void OnFavorites(TfrmZorvane& window, const char* action) {
  window.Pages()->setCurrentWidget(window.FavoritesView());
  Trigger(window, action);
}

const TOpener kDialogs[] = {
    {"filters", [](TfrmZorvane& w) { Trigger(w, "actFilters"); }},
    {"Quick UT 99 Setup (INI editor)", [](TfrmZorvane& w) { Trigger(w, "actUT99Setup"); }},
    {"games", [](TfrmZorvane& w) { Trigger(w, "miGames"); }},
    {"game types", [](TfrmZorvane& w) { Trigger(w, "miGameTypes"); }},
    {"game exes", [](TfrmZorvane& w) { Trigger(w, "miGameExes"); }},
    {"game INIs", [](TfrmZorvane& w) { Trigger(w, "miGameINIs"); }},
    {"user INIs", [](TfrmZorvane& w) { Trigger(w, "miUserINIs"); }},
    {"tabs", [](TfrmZorvane& w) { Trigger(w, "miTabs"); }},
    {"local port", [](TfrmZorvane& w) { Trigger(w, "miLocalPort"); }},
    {"add player", [](TfrmZorvane& w) { Trigger(w, "actAddPlayerMonitorPlayer"); }},
    {"add map", [](TfrmZorvane& w) { Trigger(w, "actAddMapMonitorMap"); }},
    {"find player", [](TfrmZorvane& w) { Trigger(w, "actFindPlayer"); }},
    {"find server", [](TfrmZorvane& w) { Trigger(w, "actFindServer"); }},
    {"add favourite", [](TfrmZorvane& w) { OnFavorites(w, "miAddFavorite"); }},
    {"game association",
     [](TfrmZorvane& w) {
       RecordingDialogs dialogs;
       TfrmServer dialog(dialogs, {QStringLiteral("UT")}, true, &w);
       dialog.SetAssociationMode(true);
       dialog.exec();
     }},
    {"sounds", [](TfrmZorvane& w) { Trigger(w, "actOptionsSound"); }},
    {"application icon", [](TfrmZorvane& w) { Trigger(w, "actOptionsIcon"); }},
    {"options", [](TfrmZorvane& w) { Trigger(w, "actOptions"); }},
    {"font", [](TfrmZorvane& w) { Trigger(w, "actOptionsFont"); }},
    {"Quick Player Setup", [](TfrmZorvane& w) { Trigger(w, "actPlayerSetup"); }},
    {"found games", [](TfrmZorvane& w) { Trigger(w, "miFindGames"); }},
};

// Windows that open beside the main window, not modally: the command and the window's name.
const std::pair<const char*, const char*> kModeless[] = {
    {"miKeyboardShortcuts", "frmShortcuts"},
    {"miAbout", "frmAbout"},
};

class TextFitTest : public ::testing::TestWithParam<int> {
 protected:
  // With ZORVANE_FIT_SHOTS=DIR every window checked is also saved there as NAME-POINTS.png,
  // to be looked at.
  void Shoot(QWidget* window, const QString& name) const {
    const QString dir = qEnvironmentVariable("ZORVANE_FIT_SHOTS");
    if (dir.isEmpty()) return;
    QString file = name;
    file.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    window->grab().save(dir + u'/' + file + u'-' + QString::number(GetParam()) + ".png");
  }

  void SetUp() override {
    original_ = QApplication::font();
    if (GetParam()) {
      QFont font = original_;
      font.setPointSize(GetParam());
      QApplication::setFont(font);
    }
    ASSERT_TRUE(dir_.isValid());
    Start();
  }
  // A new window on settings with these lines too.
  void Start(const QByteArray& settings = "filterLocation=top\n") {
    window_.reset();
    window_ = testing::ShownWindow(
        dir_.path(),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n" + settings +
            "[filterInfo]\n" + AllFiltersUsed(),
        dialogs_);
    // The games' files the set-up dialogs open.
    TGameInfo* ut = window_->Config().tables.FindPaths(QStringLiteral("UT"));
    testing::Write(dir_.filePath("User.ini"), testing::kUT99UserIni);
    testing::Write(dir_.filePath("UnrealTournament.ini"), "[URL]\r\nProtocol=unreal\r\n");
    ut->UserPath.Set(dir_.filePath("User.ini"));
    ut->FavoritesPath.Set(dir_.filePath("UnrealTournament.ini"));
    SeedUt99Keys(window_->Config().settings.ut99Keys);  // the rows a first start lists
  }
  void TearDown() override {
    window_.reset();
    QApplication::setFont(original_);
  }

  // Each page of the window in turn, checked and (with ZORVANE_FIT_SHOTS) saved as
  // "SHOT PAGE-POINTS.png".
  void ExpectEveryPageWhole(const char* shot) {
    for (int page = 0; page < window_->Pages()->count(); ++page) {
      window_->Pages()->setCurrentIndex(page);
      QTest::qWait(1);
      const QString title = window_->Pages()->tabText(page);
      const QStringList problems = TFitCheck(window_.get()).Run();
      Shoot(window_.get(), QLatin1String(shot) + u' ' + title);
      EXPECT_TRUE(problems.isEmpty()) << title.toStdString() << ":\n"
                                      << problems.join(u'\n').toStdString();
    }
  }

  static QByteArray AllFiltersUsed() {
    QByteArray lines;
    for (const char* name : kFilterNames) lines += QByteArray(name) + "Used=1\n";
    return lines;
  }

  QFont original_;
  QTemporaryDir dir_;
  RecordingDialogs dialogs_;
  std::unique_ptr<TfrmZorvane> window_;
};

TEST_P(TextFitTest, EveryDialogShowsItsTextsWhole) {
  for (const TOpener& opener : kDialogs) {
    SCOPED_TRACE(opener.name);
    bool opened = false;
    QStringList problems;
    WhenModal([&](QWidget* modal) {
      opened = true;
      problems = TFitCheck(modal).Run();
      // Grown for its texts, it stays in the middle of the window.
      const QPoint off = modal->frameGeometry().center() - window_->frameGeometry().center();
      if (off.manhattanLength() > 60)
        problems << QStringLiteral("%1 stands %2,%3 off the window's middle")
                        .arg(PathOf(modal))
                        .arg(off.x())
                        .arg(off.y());
      Shoot(modal, QString::fromLatin1(opener.name));
      // A help note the dialog opens is a window of its own.
      for (auto* help : modal->findChildren<QPushButton*>())
        if (help->text() == u"?") help->click();
      for (auto* note : modal->findChildren<TfrmNote*>()) {
        problems += TFitCheck(note).Run();
        Shoot(note, note->windowTitle());
      }
      modal->close();
    });
    opener.open(*window_);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  }
}

// Dialogs opened from another dialog: the opener's command, its button and the dialog's name.
TEST_P(TextFitTest, EveryDialogOpenedFromADialogShowsItsTextsWhole) {
  const std::tuple<const char*, const char*, const char*> nested[] = {
      {"actOptions", "btnMasterServers", "frmMasterServers"},
  };
  for (const auto& [action, button, name] : nested) {
    SCOPED_TRACE(name);
    QStringList problems;
    bool opened = false;
    WhenModal([&, button = button, name = name](QWidget* outer) {
      WhenModal([&](QWidget* inner) {
        opened = inner->objectName() == QLatin1String(name);
        problems = TFitCheck(inner).Run();
        Shoot(inner, QString::fromLatin1(name));
        inner->close();
      });
      auto* open = outer->findChild<QPushButton*>(QString::fromLatin1(button));
      if (open) open->click();
      outer->close();
    });
    Trigger(*window_, action);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  }
}

TEST_P(TextFitTest, EveryHelpWindowShowsItsTextsWhole) {
  for (const auto& [action, name] : kModeless) {
    SCOPED_TRACE(action);
    auto* command = window_->findChild<QAction*>(QString::fromLatin1(action));
    ASSERT_TRUE(command);
    command->trigger();
    QTest::qWait(1);
    QWidget* shown = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->objectName() == QLatin1String(name) && top->isVisible()) shown = top;
    ASSERT_TRUE(shown);
    const QStringList problems = TFitCheck(shown).Run();
    Shoot(shown, QString::fromLatin1(name));
    shown->close();
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  }
}

TEST_P(TextFitTest, TheMainWindowFitsTheScreenAndShowsEveryPageWhole) {
  const QRect screen = window_->screen()->availableGeometry();
  EXPECT_LE(window_->frameGeometry().width(), screen.width());
  EXPECT_LE(window_->frameGeometry().height(), screen.height());
  // No floor of its own: as narrow as its contents allow, and that is narrower than it opens.
  EXPECT_LE(window_->minimumWidth(), window_->minimumSizeHint().width());
  EXPECT_LT(window_->minimumWidth(), window_->width());
  ExpectEveryPageWhole("main");
  Trigger(*window_, "miLog");
  EXPECT_TRUE(TFitCheck(window_->LogWindow()).Run().isEmpty());
  Shoot(window_->LogWindow(), QStringLiteral("log"));
}

// The largest font the Font dialog offers, a family this desktop lacks (its own stands in).
TEST_P(TextFitTest, TheMainWindowShowsEveryPageWholeInTheChosenFont) {
  Start("filterLocation=top\nfontName=Verdana\nfontSize=12\n");
  ASSERT_EQ(window_->font().pointSize(), 12);
  ExpectEveryPageWhole("chosen font");
}

// Every filter box whole on whichever side the filters stand.
TEST_P(TextFitTest, TheFiltersShowWholeOnEverySide) {
  for (const char* side : {"left", "right", "bottom"}) {
    SCOPED_TRACE(side);
    Start(QByteArray("filterLocation=") + side + "\n");
    window_->Pages()->setCurrentWidget(window_->FavoritesView());
    QTest::qWait(1);
    const QStringList problems = TFitCheck(window_.get()).Run();
    Shoot(window_.get(), QStringLiteral("filters ") + QLatin1String(side));
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  }
}

TEST_P(TextFitTest, MaximisedTheGridsTakeTheWholeWidth) {
  window_->showMaximized();
  QTest::qWait(20);
  const TkorvUTServerView* favorites = window_->FavoritesView();
  const std::pair<QWidget*, std::vector<TkorvStringGrid*>> pages[] = {
      {window_->FavoritesView(),
       {favorites->ServerGrid(), favorites->PlayerGrid(), favorites->SettingGrid()}},
      {window_->Monitors().PlayerGrid(), {window_->Monitors().PlayerGrid()}},
      {window_->Monitors().MapGrid(), {window_->Monitors().MapGrid()}},
  };
  for (const auto& [inPage, grids] : pages) {
    QWidget* page = inPage;
    while (window_->Pages()->indexOf(page) < 0) page = page->parentWidget();
    window_->Pages()->setCurrentWidget(page);
    QTest::qWait(1);
    for (TkorvStringGrid* grid : grids) {
      EXPECT_GE(grid->horizontalHeader()->length(), grid->viewport()->width())
          << PathOf(grid).toStdString();
      // What the grid was asked for stays what is stored.
      EXPECT_LE(grid->ColWidths(grid->StretchColumn()), grid->ShownColWidth(grid->StretchColumn()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, TextFitTest, ::testing::Values(0, 14), [](const auto& info) {
  return info.param ? "Points" + std::to_string(info.param) : std::string("DesktopFont");
});

}  // namespace
}  // namespace zorvane
