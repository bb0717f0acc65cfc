// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/grid/string_grid.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "gui/grid/string_grid_header.h"

namespace zorvane {
namespace {

// Records the menus it would show instead of blocking in QMenu::exec.
class TRecordingGrid : public TkorvStringGrid {
 public:
  using TkorvStringGrid::TkorvStringGrid;
  struct TShown {
    QMenu* menu;
    QPoint at;
  };
  std::vector<TShown> shown;

 protected:
  void PopupMenuAt(QMenu* menu, const QPoint& globalPos) override {
    shown.push_back({menu, globalPos});
  }
};

enum { kServer = 0, kPlayers, kPing, kMap, kGameType, kIP };

// A server grid as the server view builds it, in a shown window.
class StringGridTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(640, 400);
    auto* layout = new QVBoxLayout(window_.get());
    grid_ = new TRecordingGrid(window_.get());
    layout->addWidget(grid_);
    grid_->SetColCount(6);
    grid_->ApplyListSettings();
    const QStringList titles = {"Server", "Players", "Ping", "Map", "Game Type", "IP"};
    const std::vector<int> widths = {200, 45, 45, 150, 100, 0};
    for (int col = 0; col < 6; ++col) {
      grid_->SetCell(col, 0, titles[col]);
      grid_->SetColWidths(col, widths[col]);
    }
    for (int col : {kPlayers, kPing, kIP}) grid_->SetColumnSortKind(col, cskNumeric);
    grid_->SetKorvSort(true);
    grid_->SetKeyColumn(kIP);
    QObject::connect(grid_, &TkorvStringGrid::OnSort, grid_,
                     [this](int col, TSortDirection direction) {
                       sorts_.push_back({col, direction});
                     });
    QObject::connect(grid_, &TkorvStringGrid::OnColumnResized, grid_, [this] { ++resized_; });
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  // Rows of server name and ping; the address column gets a key per row.
  void SetRows(const std::vector<std::pair<QString, QString>>& rows) {
    grid_->SetRowCount(1 + int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
      const int row = 1 + int(i);
      grid_->SetCell(kServer, row, rows[i].first);
      grid_->SetCell(kPing, row, rows[i].second);
      grid_->SetCell(kIP, row, QStringLiteral("10.0.0.%1:7778").arg(row));
    }
  }

  QStringList Column(int col) const {
    QStringList texts;
    for (int row = grid_->FixedRows(); row < grid_->RowCount(); ++row)
      texts.append(grid_->Cells(col, row));
    return texts;
  }

  QWidget* HeaderArea() const { return grid_->Header()->viewport(); }

  QPoint SectionPoint(int col, int fromLeft) const {
    return {grid_->Header()->sectionViewportPosition(col) + fromLeft,
            grid_->Header()->height() / 2};
  }
  QPoint SectionCentre(int col) const {
    return SectionPoint(col, grid_->Header()->sectionSize(col) / 2);
  }
  void ClickHeader(int col) {
    QTest::mouseClick(HeaderArea(), Qt::LeftButton, {}, SectionCentre(col));
  }
  QPoint CellCentre(int col, int row) const {
    return grid_->visualRect(grid_->model()->index(row - grid_->FixedRows(), col)).center();
  }

  std::unique_ptr<QWidget> window_;
  TRecordingGrid* grid_ = nullptr;  // owned by window_
  std::vector<std::pair<int, TSortDirection>> sorts_;
  int resized_ = 0;
};

using TSort = std::pair<int, TSortDirection>;
constexpr auto kAsc = TSortDirection::Ascending;
constexpr auto kDesc = TSortDirection::Descending;
constexpr auto kNone = TSortDirection::None;

// ---- Sorting by header clicks

TEST_F(StringGridTest, HeaderClicksSortFlipAndMoveTheArrow) {
  SetRows({{"e", "5"}, {"a", "-3"}, {"d", "0"}, {"c", ""}, {"b", "12/16"}});
  ClickHeader(kPing);
  EXPECT_EQ(Column(kPing), (QStringList{"", "-3", "0", "5", "12/16"}));
  ClickHeader(kPing);
  EXPECT_EQ(Column(kPing), (QStringList{"12/16", "5", "0", "-3", ""}));
  ClickHeader(kServer);
  EXPECT_EQ(Column(kServer), (QStringList{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(grid_->KorvSortCol(), kServer);
  EXPECT_EQ(grid_->ColumnSortDirection(kPing), kNone);
  ClickHeader(kPing);  // its direction was cleared: ascending again, not a flip
  EXPECT_EQ(grid_->ColumnSortDirection(kServer), kNone);
  EXPECT_EQ(sorts_,
            (std::vector<TSort>{{kPing, kAsc}, {kPing, kDesc}, {kServer, kAsc}, {kPing, kAsc}}));

  // A column with a remembered direction resumes it; the owner may refuse a sort.
  grid_->SetColumnSortDirection(kMap, kDesc);
  bool allow = false;
  QObject::connect(grid_, &TkorvStringGrid::OnPreSort, grid_,
                   [&](bool& canSort) { canSort = allow; });
  ClickHeader(kServer);
  EXPECT_EQ(Column(kServer), (QStringList{"c", "a", "d", "e", "b"}));  // still by ping
  EXPECT_EQ(sorts_.size(), 4u);
  allow = true;
  ClickHeader(kMap);
  EXPECT_EQ(sorts_.back(), TSort(kMap, kDesc));
}

// A column that fits its cells (the settings' names) follows its rows and its font: never
// narrower than its widest text, and back to the width asked for when the rows are short.
TEST_F(StringGridTest, AColumnThatFitsItsCellsShowsItsWidestTextWhole) {
  grid_->SetColumnFitsCells(kServer);
  const QString longest = QStringLiteral("Min Players (And Bots) of a server with a long name");
  for (const int points : {0, 14}) {
    SCOPED_TRACE(points);
    if (points) {
      QFont font = grid_->font();
      font.setPointSize(points);
      grid_->setFont(font);
    }
    SetRows({{"Ping", "1"}, {longest, "2"}});
    EXPECT_GT(grid_->ShownColWidth(kServer), grid_->fontMetrics().horizontalAdvance(longest));
    EXPECT_EQ(grid_->ColWidths(kServer), 200);  // the width asked for is kept
    SetRows({{"Ping", "1"}});
    EXPECT_EQ(grid_->ShownColWidth(kServer), 200);
  }
}

// A width asked for stays as asked (it is what the settings store); shown, a column is as
// wide as its heading needs, and the stretch column takes the view's free width.
TEST_F(StringGridTest, ColumnsShowTheirHeadingsAndTheStretchColumnFillsTheView) {
  const QFontMetrics metrics = grid_->Header()->fontMetrics();
  const int pingNeed = metrics.horizontalAdvance("Ping") + TkorvGridHeader::kTextInset +
                       TkorvGridHeader::kArrowRoom;
  struct Case {
    int pingAsked, stretch;
    int pingShown;  // -1: the heading's need
    bool filled;
  };
  for (const Case& c : {Case{5, -1, -1, false}, Case{90, -1, 90, false}, Case{5, kServer, -1, true},
                        Case{900, kServer, 900, false}}) {
    SCOPED_TRACE(c.pingAsked);
    grid_->SetColWidths(kPing, c.pingAsked);
    grid_->SetStretchColumn(c.stretch);
    EXPECT_EQ(grid_->ColWidths(kPing), c.pingAsked);
    EXPECT_EQ(grid_->ShownColWidth(kPing), c.pingShown < 0 ? pingNeed : c.pingShown);
    EXPECT_EQ(grid_->ColWidths(kServer), 200);
    EXPECT_EQ(grid_->ShownColWidth(kIP), 0);
    EXPECT_EQ(grid_->Header()->length() == grid_->viewport()->width(), c.filled);
    EXPECT_EQ(grid_->ShownColWidth(kServer) > 200, c.filled);
  }
  // A larger window leaves more to the stretch column; the drag of another column takes from it.
  grid_->SetColWidths(kPing, 45);
  grid_->SetStretchColumn(kServer);
  window_->resize(900, 400);
  QApplication::processEvents();
  EXPECT_EQ(grid_->Header()->length(), grid_->viewport()->width());
  const int border = grid_->Header()->sectionViewportPosition(kMap) + grid_->Header()->sectionSize(kMap) - 1;
  const int y = grid_->Header()->height() / 2;
  const int serverBefore = grid_->ShownColWidth(kServer);
  QTest::mousePress(HeaderArea(), Qt::LeftButton, {}, QPoint(border, y));
  QTest::mouseMove(HeaderArea(), QPoint(border + 40, y));
  QTest::mouseRelease(HeaderArea(), Qt::LeftButton, {}, QPoint(border + 40, y));
  EXPECT_EQ(grid_->ColWidths(kMap), 190);
  EXPECT_EQ(grid_->ShownColWidth(kServer), serverBefore - 40);
  EXPECT_EQ(grid_->ColWidths(kServer), 200);
}

TEST_F(StringGridTest, ColumnResizeDragRaisesResizedAndDoesNotSort) {
  SetRows({{"b", "2"}, {"a", "1"}});
  const int border = grid_->Header()->sectionSize(kServer) - 1;
  const int y = grid_->Header()->height() / 2;
  QTest::mousePress(HeaderArea(), Qt::LeftButton, {}, QPoint(border, y));
  QTest::mouseMove(HeaderArea(), QPoint(border + 30, y));
  QTest::mouseRelease(HeaderArea(), Qt::LeftButton, {}, QPoint(border + 30, y));
  EXPECT_EQ(resized_, 1);
  EXPECT_EQ(grid_->ColWidths(kServer), 230);
  EXPECT_TRUE(sorts_.empty());
  EXPECT_EQ(Column(kServer), (QStringList{"b", "a"}));

  // Just inside a cell's left edge is the border of the column before it: no sort either.
  QTest::mouseClick(HeaderArea(), Qt::LeftButton, {}, SectionPoint(kMap, 1));
  EXPECT_EQ(resized_, 2);
  EXPECT_TRUE(sorts_.empty());
}

// The 4 pixels at each side of a cell belong to resizing while columns are resizable.
TEST_F(StringGridTest, EdgeZonesAreNoSortClicks) {
  const int width = grid_->Header()->sectionSize(kMap);
  struct TCase {
    int fromLeft;
    bool colSizing;
    int column;
  };
  for (const TCase& c : std::vector<TCase>{{3, true, -1},
                                           {4, true, kMap},
                                           {width - 5, true, kMap},
                                           {width - 4, true, -1},
                                           {1, false, kMap},
                                           {width - 1, false, kMap}}) {
    grid_->SetColSizing(c.colSizing);
    EXPECT_EQ(grid_->Header()->SortClickColumn(SectionPoint(kMap, c.fromLeft)), c.column)
        << c.fromLeft << (c.colSizing ? " sizing" : "");
  }
}

TEST_F(StringGridTest, PressedLookFollowsTheHeldButton) {
  SetRows({{"b", "2"}, {"a", "1"}, {"c", "3"}});
  ClickHeader(kPing);
  QTest::mousePress(HeaderArea(), Qt::LeftButton, {}, SectionCentre(kPing));
  EXPECT_EQ(grid_->Header()->PressedColumn(), kPing);
  QTest::mouseMove(HeaderArea(), SectionCentre(kMap));
  EXPECT_EQ(grid_->Header()->PressedColumn(), kMap);
  EXPECT_EQ(grid_->ColumnSortDirection(kPing), kNone);  // the cell left behind forgets it
  QTest::mouseRelease(HeaderArea(), Qt::LeftButton, {}, SectionCentre(kMap));
  EXPECT_EQ(grid_->Header()->PressedColumn(), -1);
  EXPECT_EQ(sorts_, (std::vector<TSort>{{kPing, kAsc}, {kMap, kAsc}}));

  // Released away from the grid: nothing.
  const QPoint outside(SectionCentre(kServer).x(), -50);
  QTest::mousePress(HeaderArea(), Qt::LeftButton, {}, SectionCentre(kServer));
  QTest::mouseRelease(HeaderArea(), Qt::LeftButton, {}, outside);
  EXPECT_EQ(grid_->Header()->PressedColumn(), -1);
  EXPECT_EQ(sorts_.size(), 2u);
}

TEST_F(StringGridTest, SelectedRowFollowsItsContent) {
  SetRows({{"d", "40"}, {"b", "20"}, {"c", "30"}, {"a", "10"}});
  QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, CellCentre(kServer, 3));
  ASSERT_EQ(grid_->Cells(kServer, grid_->Row()), "c");
  std::vector<std::pair<int, bool>> selected;  // row, sorting at the time
  QObject::connect(grid_, &TkorvStringGrid::OnSelectCell, grid_, [&](int, int row) {
    selected.push_back({row, grid_->IsSorting()});
  });
  ClickHeader(kPing);  // a, b, c, d: c stays third, nothing to report
  EXPECT_EQ(grid_->Row(), 3);
  ClickHeader(kPing);  // d, c, b, a
  EXPECT_EQ(grid_->Row(), 2);
  EXPECT_EQ(grid_->Cells(kServer, 2), "c");
  EXPECT_EQ(selected, (std::vector<std::pair<int, bool>>{{2, true}}));
  const QModelIndexList rows = grid_->selectionModel()->selectedRows();
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].row(), 1);
}

TEST_F(StringGridTest, SortSwitchAndSortColumn) {
  for (auto [value, stored] :
       std::vector<std::pair<int, int>>{{99, -1}, {6, -1}, {5, 5}, {-1, -1}, {-2, -1}}) {
    grid_->SetKorvSortCol(value);
    EXPECT_EQ(grid_->KorvSortCol(), stored) << value;
  }
  SetRows({{"b", "2"}, {"a", "1"}});
  ClickHeader(kServer);
  grid_->SetKorvSort(false);
  EXPECT_EQ(grid_->KorvSortCol(), -1);
  EXPECT_EQ(grid_->ColumnSortDirection(kServer), kNone);
  ClickHeader(kPing);
  EXPECT_EQ(sorts_.size(), 1u);

  grid_->SetKorvSort(true);
  grid_->SetFixedRows(0);
  EXPECT_FALSE(grid_->KorvSort());
  EXPECT_TRUE(grid_->Header()->isHidden());
  EXPECT_EQ(grid_->Cells(kServer, 0), "Server");
  grid_->SetKorvSort(true);  // refused without a header
  EXPECT_FALSE(grid_->KorvSort());
}

// ---- Rows

TEST_F(StringGridTest, ClearingAndDeletingKeepTheHeaderAndOneRow) {
  SetRows({{"a", "1"}});
  grid_->DeleteGridRow(1);
  EXPECT_EQ(grid_->RowCount(), 2);
  EXPECT_EQ(grid_->RowTexts(1), QStringList(6));
  SetRows({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  grid_->ClearGrid();
  EXPECT_EQ(grid_->RowCount(), 2);
  EXPECT_EQ(grid_->Cells(kGameType, 0), "Game Type");
  EXPECT_EQ(grid_->RowTexts(1), QStringList(6));
  grid_->DeleteGridRow(0);  // the header stays
  EXPECT_EQ(grid_->Cells(kServer, 0), "Server");

  grid_->SetKorvKeepFixedRowsWhenDeleting(false);
  SetRows({{"a", "1"}, {"b", "2"}});
  grid_->DeleteGridRow(2);
  EXPECT_EQ(grid_->RowCount(), 2);
  grid_->ClearGrid();
  EXPECT_EQ(grid_->RowCount(), 1);
  EXPECT_FALSE(grid_->IsValidRow());
}

TEST_F(StringGridTest, DeletingMovesTheCurrentRowToTheDeletedIndex) {
  SetRows({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}, {"f", "6"}});
  grid_->SetCol(kMap);
  grid_->SetRow(2);
  std::vector<std::pair<int, int>> selected;
  QObject::connect(grid_, &TkorvStringGrid::OnSelectCell, grid_, [&](int col, int row) {
    selected.push_back({col, row});
  });
  grid_->DeleteGridRow(4);  // d: the current row moves to the deleted index
  EXPECT_EQ(grid_->Row(), 4);
  EXPECT_EQ(grid_->Cells(kServer, 4), "e");
  grid_->DeleteGridRow(5);  // f, the last: the index before it, where the current row is
  EXPECT_EQ(grid_->Row(), 4);
  grid_->DeleteGridRow(4);  // e, current and last: the row number only shrinks with the count
  EXPECT_EQ(grid_->Row(), 3);
  grid_->DeleteGridRow(1);  // a
  EXPECT_EQ(grid_->Row(), 1);
  EXPECT_EQ(Column(kServer), (QStringList{"b", "c"}));
  EXPECT_EQ(selected, (std::vector<std::pair<int, int>>{{kMap, 4}, {kMap, 1}}));
}

TEST_F(StringGridTest, KeyIndexFollowsSortsDeletesAndClears) {
  std::vector<std::pair<QString, QString>> rows;
  for (int i = 0; i < 200; ++i)
    rows.push_back({QStringLiteral("server %1").arg(i), QString::number((i * 37) % 101)});
  SetRows(rows);
  auto agrees = [&] {
    for (int row = 1; row < grid_->RowCount(); ++row)
      if (grid_->FindRowByKey(grid_->Cells(kIP, row).toUpper()) != row) return false;
    return true;
  };
  EXPECT_EQ(grid_->ColWidths(kIP), 0);  // hidden, and still the key
  ClickHeader(kPing);
  EXPECT_TRUE(agrees());
  const QString gone = grid_->Cells(kIP, 10);
  grid_->DeleteGridRow(10);
  grid_->DeleteGridRow(1);
  EXPECT_EQ(grid_->FindRowByKey(gone), -1);
  EXPECT_TRUE(agrees());
  grid_->SetCell(kIP, 5, "renamed:7778");
  EXPECT_TRUE(agrees());
  grid_->ClearGrid();
  EXPECT_EQ(grid_->FindRowByKey("renamed:7778"), -1);
}

// ---- Mouse on the cells

TEST_F(StringGridTest, RightClickSelectsOnlyWhenAsked) {
  SetRows({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  QTest::mouseClick(grid_->viewport(), Qt::RightButton, {}, CellCentre(kMap, 3));
  EXPECT_EQ(grid_->Row(), 3);
  EXPECT_EQ(grid_->Col(), kMap);
  grid_->SetKorvSelectCellOnRightClick(false);
  QTest::mouseClick(grid_->viewport(), Qt::RightButton, {}, CellCentre(kServer, 4));
  EXPECT_EQ(grid_->Row(), 3);
}

TEST_F(StringGridTest, LeftButtonHeldMarksDragSelections) {
  SetRows({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  std::vector<std::pair<int, bool>> selected;  // row, held at the time
  QObject::connect(grid_, &TkorvStringGrid::OnSelectCell, grid_, [&](int, int row) {
    selected.push_back({row, grid_->LeftButtonHeld()});
  });
  QTest::mousePress(grid_->viewport(), Qt::LeftButton, {}, CellCentre(kServer, 2));
  QTest::mouseMove(grid_->viewport(), CellCentre(kServer, 3));
  QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, {}, CellCentre(kServer, 3));
  EXPECT_FALSE(grid_->LeftButtonHeld());
  EXPECT_EQ(selected, (std::vector<std::pair<int, bool>>{{2, false}, {3, true}}));
}

// ---- Context menu and clipboard

TEST_F(StringGridTest, CopyToClipboardTakesThePopupColumnOfTheCurrentRow) {
  SetRows({{"a", "10"}, {"b", "20"}});
  QAction* copy = grid_->CopyToClipboardAction();
  EXPECT_EQ(copy->objectName(), "actCopyToClipboard");
  EXPECT_EQ(copy->text(), "&Copy To Clipboard");
  EXPECT_TRUE(grid_->PopupMenu()->actions().contains(copy));
  grid_->SetRow(2);
  grid_->SetKorvPopupMenuColumn(kIP);
  copy->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "10.0.0.2:7778");

  grid_->SetKorvKeepFixedRowsWhenDeleting(false);
  grid_->ClearGrid();
  QGuiApplication::clipboard()->setText("before");
  copy->trigger();  // no valid row
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

TEST_F(StringGridTest, ContextMenuOverTheHeaderIsKeptOff) {
  SetRows({{"a", "1"}, {"b", "2"}});
  int pre = 0, post = 0;
  QObject::connect(grid_, &TkorvStringGrid::OnPreContextMenu, grid_,
                   [&](QMenu*, int, int, bool&) { ++pre; });
  QObject::connect(grid_, &TkorvStringGrid::OnPostContextMenu, grid_,
                   [&](QMenu*, int, int) { ++post; });
  const QPoint at = SectionCentre(kMap);
  QContextMenuEvent mouse(QContextMenuEvent::Mouse, at, HeaderArea()->mapToGlobal(at));
  QApplication::sendEvent(HeaderArea(), &mouse);
  EXPECT_TRUE(grid_->shown.empty());
  EXPECT_EQ(pre, 0);
  EXPECT_EQ(grid_->MenuForContextMenu(true, true), grid_->PopupMenu());  // keys still work

  grid_->SetKorvAllowContextMenuOnFixed(true);
  QApplication::sendEvent(HeaderArea(), &mouse);
  ASSERT_EQ(grid_->shown.size(), 1u);
  EXPECT_EQ(grid_->shown[0].at, HeaderArea()->mapToGlobal(at));
  EXPECT_EQ(pre, 1);
  EXPECT_EQ(post, 1);
}

TEST_F(StringGridTest, ContextMenuAsksTheOwnerAndOpensAtThePopupColumnFromKeys) {
  SetRows({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  grid_->SetRow(2);
  grid_->SetCol(kPing);
  grid_->SetKorvPopupMenuColumn(kMap);
  bool allow = false;
  std::vector<std::pair<int, int>> asked;
  QObject::connect(grid_, &TkorvStringGrid::OnPreContextMenu, grid_,
                   [&](QMenu*, int row, int col, bool& canPopup) {
                     asked.push_back({row, col});
                     canPopup = allow;
                   });
  const QPoint at = CellCentre(kServer, 1);
  QContextMenuEvent mouse(QContextMenuEvent::Mouse, at, grid_->viewport()->mapToGlobal(at));
  QApplication::sendEvent(grid_->viewport(), &mouse);
  EXPECT_TRUE(grid_->shown.empty());
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, kPing}}));

  allow = true;
  QContextMenuEvent keys(QContextMenuEvent::Keyboard, QPoint(-1, -1), QPoint(-1, -1));
  QApplication::sendEvent(grid_, &keys);
  ASSERT_EQ(grid_->shown.size(), 1u);
  const QRect cell = grid_->visualRect(grid_->model()->index(1, kMap));
  EXPECT_EQ(grid_->shown[0].at, grid_->viewport()->mapToGlobal(
                                    QPoint(cell.left(), cell.top() + grid_->rowHeight(1) * 3 / 4)));
}

// ---- The list grid factory

TEST(StringGridFactoryTest, ListGridSettingsAndHandlers) {
  QWidget parent;
  QMenu menu;
  std::vector<std::pair<int, int>> selected;
  std::vector<int> keys;
  TkorvStringGrid::TListGridHandlers handlers;
  handlers.selectCell = [&](int col, int row) { selected.push_back({col, row}); };
  std::vector<int> rows;
  handlers.selectRow = [&](int row) { rows.push_back(row); };
  int releases = 0;
  handlers.leftButtonUp = [&] { ++releases; };
  handlers.keyUp = [&](int key, Qt::KeyboardModifiers) { keys.push_back(key); };
  TkorvStringGrid* grid = TkorvStringGrid::CreateListGrid(&parent, 4, &menu, handlers);

  EXPECT_EQ(parent.layout()->indexOf(grid), 0);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->FixedRows(), 1);
  EXPECT_GE(grid->rowHeight(0), 17);
  EXPECT_TRUE(grid->RowSelect());
  EXPECT_FALSE(grid->RangeSelect());
  EXPECT_TRUE(grid->ColSizing());
  EXPECT_FALSE(grid->KorvFixedRowIsInformationRow());
  EXPECT_TRUE(grid->KorvKeepFixedRowsWhenDeleting());
  EXPECT_EQ(grid->PopupMenu(), &menu);

  grid->SetRowCount(4);
  grid->SetRow(3);
  grid->SetCol(2);
  EXPECT_EQ(selected, (std::vector<std::pair<int, int>>{{0, 3}, {2, 3}}));
  EXPECT_EQ(rows, std::vector<int>{3});  // a new column in the same row is no new row
  QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, QPoint(2, 2));
  EXPECT_EQ(releases, 0);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(releases, 1);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(keys, std::vector<int>{Qt::Key_Delete});
  TkorvStringGrid* plain = TkorvStringGrid::CreateListGrid(&parent, 2, nullptr);
  EXPECT_EQ(plain->PopupMenu(), plain->OwnMenu());  // its own menu
}

}  // namespace
}  // namespace zorvane
