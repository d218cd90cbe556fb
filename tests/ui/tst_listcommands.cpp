#include "CBoxCatcher.h"
#include "CFileDialogs.h"
#include "CFindStatementDlg.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "CPosixFileSystem.h"
#include "CSqlReader.h"
#include "CStatementColumns.h"
#include "CStatementFinder.h"
#include "CStatementSaver.h"
#include "CStderrNotifier.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <random>

// Sort, Find, Find Next, Copy and Save in a file-mode window.
class TstListCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sortsLikeTheEngineByEveryColumnAndDirection();
    void equalKeysKeepTheirOrder();
    void sortIsRefusedWhileRunningAndKeepsTheSelection();
    void findDownAndUp_data();
    void findDownAndUp();
    void findDialogRules();
    void findNext();
    void findInASortedListTakesTheNearestRowOfTheList();
    void copyPutsThePaneSelectionOnTheClipboard();
    void saveWritesTheBytesAfterTheFoundRow();
    void saveChoosesTheFormatFromTheNameOrTheFilter_data();
    void saveChoosesTheFormatFromTheNameOrTheFilter();
    void saveFailureNamesTheFileAndChangesNothing();
    void saveWorksOnTheSortedRows();
    void saveShowsItsProgressAndCanBeCancelled();

private:
    CVelquorView* OpenSqls(const std::vector<std::string>& sqls);
    void ClickHeader(CVelquorView* view, int column);
    // Runs `act` while a modal dialog of the view is open, then closes what is left.
    void WithFindDialog(const std::function<void(CFindStatementDlg&)>& act);
    QStringList SqlColumn(CVelquorView* view);
    // Triggers Save and waits for its worker to end and the busy cursor to come back.
    void SaveAndWait(CVelquorView* view);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CMainFrame> m_frame;
};

namespace {

const std::vector<std::string> kFindSqls = {
    "select a from t",    "SELECT b from t", "insert into t select 1",
    "update t set x = 1", "select c from t", "delete from t",
    "select d from t",    "commit",          "select e from t\r\nwhere x = 'long line two'"};

std::vector<std::string> NodesOf(const CTraceAnalyzer& analyzer) {
    std::vector<std::string> nodes;
    for (std::int64_t i = 0; i < analyzer.GetCount(); ++i) {
        nodes.push_back(BlockOf(analyzer, i));
    }
    return nodes;
}

} // namespace

void TstListCommands::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(ShowMainFrame(m_frame));
}

void TstListCommands::cleanup() {
    CFileDialogs::SetSaveChooser({});
    m_frame.reset();
    m_dir.reset();
}

CVelquorView* TstListCommands::OpenSqls(const std::vector<std::string>& sqls) {
    std::string trace;
    int cursor = 1;
    for (const std::string& sql : sqls) {
        trace += CursorBlock(cursor, 5, 3, sql, cursor * 10);
        ++cursor;
    }
    const QString path = m_dir->filePath(QStringLiteral("list_ora_77.trc"));
    WriteBytes(path, trace);
    return OpenAndWait(*m_frame, {path});
}

void TstListCommands::ClickHeader(CVelquorView* view, int column) {
    QHeaderView* header = view->horizontalHeader();
    view->scrollTo(view->Model().index(0, column));
    const QPoint point(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                       header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
}

void TstListCommands::WithFindDialog(const std::function<void(CFindStatementDlg&)>& act) {
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<CFindStatementDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        act(*dialog);
        ran = true;
        if (dialog->isVisible() && QApplication::activeModalWidget() == dialog) {
            dialog->reject();
        }
    });
    m_frame->Commands().m_actEditFind->trigger();
    QVERIFY(ran);
}

QStringList TstListCommands::SqlColumn(CVelquorView* view) {
    QStringList cells;
    for (int row = 0; row < view->Model().rowCount(); ++row) {
        cells << view->Model().index(row, 3).data().toString();
    }
    return cells;
}

void TstListCommands::sortsLikeTheEngineByEveryColumnAndDirection() {
    QStringList traces = RealTraces();
    QSKIP_WITHOUT_REAL_TRACES(traces);
    CVelquorView* view = OpenAndWait(*m_frame, traces);
    QVERIFY(view != nullptr);
    CPosixFileSystem files;
    CStderrNotifier notifier;
    CTraceAnalyzer direct(m_frame->Catalog(), files, notifier);
    direct.SetFiles(EncodedPaths(traces));
    direct.SetShowSys(1);
    direct.ReadFileList();
    QCOMPARE(NodesOf(view->Analyzer()), NodesOf(direct));

    for (int column = 0; column < CStatementColumns::kCount; ++column) {
        for (const int order : {1, -1}) {
            ClickHeader(view, column);
            QCOMPARE(view->GetSortColumn(), column);
            QCOMPARE(view->GetSortOrder(), order);
            direct.Sort(CStatementColumns::At(column).sortKey, order);
            QVERIFY2(NodesOf(view->Analyzer()) == NodesOf(direct),
                     qPrintable(QStringLiteral("column %1 order %2").arg(column).arg(order)));
            const int last = view->Model().rowCount() - 1;
            QCOMPARE(view->Model().index(last, 0).data().toString(),
                     QString::fromStdString(std::string(direct.GetRecord(last).OctName())));
        }
    }
    // The first click on "count" shows the smallest counts first.
    ClickHeader(view, 5);
    QCOMPARE(view->GetSortOrder(), 1);
    QVERIFY(view->Model().index(0, 5).data().toInt() <=
            view->Model().index(view->Model().rowCount() - 1, 5).data().toInt());
}

void TstListCommands::equalKeysKeepTheirOrder() {
    CVelquorView* view = OpenSqls({"select b", "select a", "select c"});
    QVERIFY(view != nullptr);
    const QStringList before = SqlColumn(view);
    ClickHeader(view, 5); // every count is 3
    QCOMPARE(SqlColumn(view), before);
    ClickHeader(view, 5);
    QCOMPARE(SqlColumn(view), before);
    ClickHeader(view, 3); // text columns put the greatest first for +1
    QCOMPARE(SqlColumn(view), (QStringList{"select c", "select b", "select a"}));
    ClickHeader(view, 3);
    QCOMPARE(SqlColumn(view), (QStringList{"select a", "select b", "select c"}));
}

void TstListCommands::sortIsRefusedWhileRunningAndKeepsTheSelection() {
    CVelquorView* view = OpenSqls({"select b", "select a", "select c"});
    QVERIFY(view != nullptr);
    view->selectRow(1);
    view->OnRefreshStart();
    QVERIFY(view->IsRunning());
    ClickHeader(view, 3);
    QCOMPARE(view->GetSortColumn(), -1);
    QCOMPARE(SqlColumn(view), (QStringList{"select b", "select a", "select c"}));
    view->OnRefreshStop();
    ClickHeader(view, 3);
    QCOMPARE(view->GetSortColumn(), 3);
    QCOMPARE(SqlColumn(view), (QStringList{"select c", "select b", "select a"}));
    // "select a" was selected and still is, now in the last row.
    QCOMPARE(view->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(view->selectionModel()->selectedRows().constFirst().row(), 2);
    QCOMPARE(m_frame->DetailDlg().GetText(0), std::string("select a\r\n"));
}

void TstListCommands::findDownAndUp_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("found");
    QTest::addColumn<int>("findPos");
    QTest::newRow("down after row 3") << 3 << "select" << 1 << 4 << 4;
    QTest::newRow("down, capitals differ") << 3 << "SELECT" << 1 << -1 << 3;
    QTest::newRow("down from nothing starts at row 0") << -1 << "select" << 1 << 0 << 0;
    QTest::newRow("up from nothing starts at the last row") << -1 << "select" << 0 << 8 << 8;
    QTest::newRow("up reaches row 0") << 2 << "select a" << 0 << 0 << 0;
    QTest::newRow("up, nothing above") << 0 << "select" << 0 << -1 << 0;
    QTest::newRow("whole SQL text searched") << -1 << "long line two" << 1 << 8 << 8;
    QTest::newRow("line break inside the text") << -1 << "from t\r\nwhere" << 1 << 8 << 8;
    QTest::newRow("not there") << -1 << "merge" << 1 << -1 << -1;
}

void TstListCommands::findDownAndUp() {
    QFETCH(int, selected);
    QFETCH(QString, text);
    QFETCH(int, direction);
    QFETCH(int, found);
    QFETCH(int, findPos);
    CVelquorView* view = OpenSqls(kFindSqls);
    QVERIFY(view != nullptr);
    if (selected >= 0) {
        view->selectRow(selected);
    }
    QCOMPARE(view->FindStatement(text.toStdString(), direction), found >= 0 ? 1 : 0);
    QCOMPARE(view->GetFindPos(), findPos);
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    const int nowSelected = rows.isEmpty() ? -1 : rows.constFirst().row();
    QCOMPARE(nowSelected, found >= 0 ? found : selected);
    if (found >= 0) {
        QCOMPARE(m_frame->DetailDlg().GetText(0), kFindSqls[static_cast<size_t>(found)] + "\r\n");
    }
}

void TstListCommands::findDialogRules() {
    CVelquorView* view = OpenSqls(kFindSqls);
    QVERIFY(view != nullptr);
    CBoxCatcher boxes;
    WithFindDialog([&](CFindStatementDlg& dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Find"));
        QCOMPARE(dialog.GetDirection(), 1);
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("m_editValue"));
        auto* find = dialog.findChild<QPushButton*>(QStringLiteral("m_buttonFind"));
        edit->setText(QStringLiteral("   "));
        find->click();
        QVERIFY(dialog.isVisible()); // blanks only: nothing happens
        QVERIFY(boxes.Boxes().isEmpty());
        edit->setText(QStringLiteral("  merge  "));
        find->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes.Boxes(), QStringList{"Velquor: Failed to find keywords merge"});
        dialog.findChild<QRadioButton*>(QStringLiteral("m_radioUp"))->setChecked(true);
        edit->setText(QStringLiteral(" delete "));
        find->click();
        QVERIFY(!dialog.isVisible());
    });
    QCOMPARE(view->GetFindPos(), 5);
    // The next dialog starts from the last search.
    WithFindDialog([&](CFindStatementDlg& dialog) {
        QCOMPARE(dialog.GetSearchText(), QStringLiteral("delete"));
        QCOMPARE(dialog.GetDirection(), 0);
    });
}

void TstListCommands::findNext() {
    CVelquorView* view = OpenSqls(kFindSqls);
    QVERIFY(view != nullptr);
    CBoxCatcher boxes;
    QAction* next = m_frame->Commands().m_actFindNext;
    next->trigger(); // before any find: nothing
    QTest::qWait(50);
    QVERIFY(boxes.Boxes().isEmpty());
    QCOMPARE(view->GetFindPos(), -1);
    QVERIFY(view->selectionModel()->selectedRows().isEmpty());

    QCOMPARE(view->FindStatement("select", 1), 1);
    QCOMPARE(view->GetFindPos(), 0);
    const int expected[] = {2, 4, 6, 8};
    for (const int row : expected) {
        next->trigger();
        QCOMPARE(view->GetFindPos(), row);
    }
    next->trigger();
    QTRY_COMPARE(boxes.Boxes(), QStringList{"Find: no keyword find"});
    QCOMPARE(view->GetFindPos(), 8);
}

// Find in a list sorted by a column takes the first row after (or before) the selected one, in
// the list's order, whose SQL holds the text, as a walk along the list would: whatever the
// order of its records in the file, which the search reads in the file's order.
void TstListCommands::findInASortedListTakesTheNearestRowOfTheList() {
    std::mt19937 random(11);
    const std::vector<std::string> words = {"alpha", "beta", "gamma", "delta", "epsilon"};
    std::string trace;
    for (int cursor = 1; cursor <= 400; ++cursor) {
        trace += CursorBlock(cursor, 5, 3,
                             "select " + words[random() % words.size()] + " from t" +
                                 std::to_string(random() % 300),
                             static_cast<int>(random() % 100000));
    }
    const QString path = m_dir->filePath(QStringLiteral("find_ora_78.trc"));
    WriteBytes(path, trace);
    CVelquorView* view = OpenAndWait(*m_frame, {path});
    QVERIFY(view != nullptr);
    const CTraceAnalyzer& analyzer = view->Analyzer();
    const int count = static_cast<int>(analyzer.GetCount());
    const auto walk = [&](const std::string& text, bool down, int selected) {
        CSqlReader sqls(analyzer.Texts());
        const int step = down ? 1 : -1;
        for (int row = down ? selected + 1 : (selected == -1 ? count : selected) - 1;
             row >= 0 && row < count; row += step) {
            if (sqls.Sql(analyzer.GetRecord(row)).find(text) != std::string_view::npos) {
                return row;
            }
        }
        return -1;
    };
    for (const int column : {3, 7}) { // by SQL text, by elapsed time
        ClickHeader(view, column);
        for (int i = 0; i < 300; ++i) {
            const std::string text = i % 3 == 0   ? words[random() % words.size()]
                                     : i % 3 == 1 ? " t" + std::to_string(random() % 300) + "\r"
                                                  : "zeta";
            const bool down = random() % 2 == 0;
            const int selected = static_cast<int>(random() % (count + 1)) - 1;
            const int expected = walk(text, down, selected);
            CStatementFinder finder(analyzer);
            const int direction =
                down ? CStatementFinder::kDirectionDown : CStatementFinder::kDirectionUp;
            QCOMPARE(finder.Find(text, direction, selected), expected);
            QCOMPARE(finder.GetFindPos(), expected >= 0             ? expected
                                          : selected == -1 && !down ? count
                                                                    : selected);
        }
    }
}

void TstListCommands::copyPutsThePaneSelectionOnTheClipboard() {
    CVelquorView* view = OpenSqls(kFindSqls);
    QVERIFY(view != nullptr);
    view->selectRow(8);
    QPlainTextEdit& edit = m_frame->DetailDlg().EditBox();
    edit.setFocus(); // with the focus in the list, Copy takes its rows
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(9);
    cursor.setPosition(15, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    QApplication::clipboard()->clear();
    m_frame->Commands().m_actEditCopy->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("from t"));
    edit.selectAll();
    m_frame->Commands().m_actEditCopy->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("select e from t\nwhere x = 'long line two'\n"));
}

void TstListCommands::SaveAndWait(CVelquorView* view) {
    m_frame->Commands().m_actSaveStatements->trigger();
    view->Document().WaitForWork();
    QTRY_VERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TstListCommands::saveWritesTheBytesAfterTheFoundRow() {
    CVelquorView* view = OpenSqls(kFindSqls);
    QVERIFY(view != nullptr);
    const QString sqlPath = m_dir->filePath(QStringLiteral("out.sql"));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{sqlPath, CFileDialogs::kTraceFilter};
    });
    SaveAndWait(view);
    std::string all;
    for (const std::string& sql : kFindSqls) {
        all += std::string(CStatementSaver::kSeparator) + sql + "\r\n";
    }
    QCOMPARE(ReadBytes(sqlPath), all);

    QCOMPARE(view->FindStatement("delete", 1), 1); // row 5
    SaveAndWait(view);
    std::string after;
    std::string nodes;
    for (std::int64_t i = 6; i < view->Analyzer().GetCount(); ++i) {
        after +=
            std::string(CStatementSaver::kSeparator) + kFindSqls[static_cast<size_t>(i)] + "\r\n";
        nodes += std::string(CStatementSaver::kSeparator) + BlockOf(view->Analyzer(), i);
    }
    QCOMPARE(ReadBytes(sqlPath), after);

    const QString trcPath = m_dir->filePath(QStringLiteral("again_ora_5.trc"));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{trcPath, CFileDialogs::kSqlFilter};
    });
    SaveAndWait(view);
    QCOMPARE(ReadBytes(trcPath), nodes);

    // The saved trace opens again with the same statements.
    CVelquorView* again = OpenAndWait(*m_frame, {trcPath});
    QVERIFY(again != nullptr);
    QCOMPARE(again->Model().rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(std::string(again->Analyzer().Sql(again->Analyzer().GetRecord(row))),
                 std::string(view->Analyzer().Sql(view->Analyzer().GetRecord(row + 6))));
        for (int c = 0; c < CStatementColumns::kCount; ++c) {
            if (c != 2) { // the pid comes from the file name
                QCOMPARE(again->Model().index(row, c).data(),
                         view->Model().index(row + 6, c).data());
            }
        }
    }
}

void TstListCommands::saveChoosesTheFormatFromTheNameOrTheFilter_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("sql");
    const QString trc = CFileDialogs::kTraceFilter;
    const QString sql = CFileDialogs::kSqlFilter;
    QTest::newRow("out.sql") << "out.sql" << trc << "out.sql" << true;
    QTest::newRow("out.SQL") << "out.SQL" << trc << "out.SQL" << true;
    QTest::newRow("out.Trc") << "out.Trc" << sql << "out.Trc" << false;
    QTest::newRow("no extension, sql filter") << "out" << sql << "out.sql" << true;
    QTest::newRow("no extension, trace filter") << "out" << trc << "out.trc" << false;
    QTest::newRow("other extension") << "out.txt" << sql << "out.txt.sql" << true;
}

void TstListCommands::saveChoosesTheFormatFromTheNameOrTheFilter() {
    QFETCH(QString, chosen);
    QFETCH(QString, filter);
    QFETCH(QString, written);
    QFETCH(bool, sql);
    CVelquorView* view = OpenSqls({"select 1", "select 2"});
    QVERIFY(view != nullptr);
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{m_dir->filePath(chosen), filter};
    });
    SaveAndWait(view);
    const std::string bytes = ReadBytes(m_dir->filePath(written));
    const std::string first(view->Analyzer().Sql(view->Analyzer().GetRecord(0)));
    const std::string expected =
        sql ? std::string(CStatementSaver::kSeparator) + "select 1\r\n" +
                  CStatementSaver::kSeparator + "select 2\r\n"
            : std::string(CStatementSaver::kSeparator) + BlockOf(view->Analyzer(), 0) +
                  CStatementSaver::kSeparator + BlockOf(view->Analyzer(), 1);
    QCOMPARE(bytes, expected);
    QCOMPARE(first, std::string("select 1\r\n"));
}

void TstListCommands::saveFailureNamesTheFileAndChangesNothing() {
    CVelquorView* view = OpenSqls({"select 1"});
    QVERIFY(view != nullptr);
    CBoxCatcher boxes;
    const QString missing = m_dir->filePath(QStringLiteral("no/such/folder/out.sql"));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{missing, CFileDialogs::kSqlFilter};
    });
    SaveAndWait(view);
    QTRY_COMPARE(boxes.Boxes().size(), 1);
    QVERIFY(boxes.Boxes().constFirst().startsWith(QStringLiteral("Velquor: Could not save ")));
    QVERIFY(boxes.Boxes().constFirst().contains(missing));
    QVERIFY(!QFileInfo::exists(missing));

    // A file that exists stays as it was when the new one cannot be written over it.
    const QString folder = m_dir->filePath(QStringLiteral("taken.sql"));
    QVERIFY(QDir().mkpath(folder));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{folder, CFileDialogs::kSqlFilter};
    });
    SaveAndWait(view);
    QTRY_COMPARE(boxes.Boxes().size(), 2);
    QVERIFY(QFileInfo(folder).isDir());

    // Nothing after the found row: no empty file passes for a saved one.
    QCOMPARE(view->FindStatement("select", 1), 1);
    const QString empty = m_dir->filePath(QStringLiteral("empty.sql"));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{empty, CFileDialogs::kSqlFilter};
    });
    SaveAndWait(view);
    QTRY_COMPARE(boxes.Boxes().size(), 3);
    QCOMPARE(boxes.Boxes().last(), QStringLiteral("Velquor: No statement to save."));
    QVERIFY(!QFileInfo::exists(empty));
}

void TstListCommands::saveWorksOnTheSortedRows() {
    CVelquorView* view = OpenSqls({"select b", "select a", "select c"});
    QVERIFY(view != nullptr);
    ClickHeader(view, 3);
    ClickHeader(view, 3); // ascending: a, b, c
    QCOMPARE(view->FindStatement("select a", 1), 1);
    const QString path = m_dir->filePath(QStringLiteral("sorted.sql"));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{path, CFileDialogs::kSqlFilter};
    });
    SaveAndWait(view);
    QCOMPARE(ReadBytes(path), std::string(CStatementSaver::kSeparator) + "select b\r\n" +
                                  CStatementSaver::kSeparator + "select c\r\n");
}

// While a save runs, its progress and a Cancel button stand in the status bar; Cancel stops
// it and leaves the file it would replace as it was. A save that ends takes them away.
void TstListCommands::saveShowsItsProgressAndCanBeCancelled() {
    std::vector<std::string> sqls;
    for (int i = 0; i < 30000; ++i) {
        sqls.push_back("select " + std::to_string(i) + " from dual");
    }
    CVelquorView* view = OpenSqls(sqls);
    QVERIFY(view != nullptr);
    const QString path = m_dir->filePath(QStringLiteral("cancelled.sql"));
    WriteBytes(path, "old");
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{path, CFileDialogs::kSqlFilter};
    });
    QStatusBar& bar = m_frame->StatusBar();
    m_frame->Commands().m_actSaveStatements->trigger();
    auto* progress = bar.findChild<QProgressBar*>(QStringLiteral("saveProgress"));
    auto* cancel = bar.findChild<QPushButton*>(QStringLiteral("saveCancel"));
    QVERIFY(progress != nullptr && cancel != nullptr);
    QCOMPARE(progress->format(), QStringLiteral("Saving cancelled.sql %p%"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    view->Document().WaitForWork();
    QTRY_VERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(bar.currentMessage(), QStringLiteral("Saving cancelled: nothing was written."));
    QCOMPARE(ReadBytes(path), std::string("old"));
    QVERIFY(bar.findChild<QProgressBar*>(QStringLiteral("saveProgress")) == nullptr);
    QVERIFY(bar.findChild<QPushButton*>(QStringLiteral("saveCancel")) == nullptr);

    SaveAndWait(view);
    QVERIFY(bar.findChild<QProgressBar*>(QStringLiteral("saveProgress")) == nullptr);
    QVERIFY(ReadBytes(path).ends_with("select 29999 from dual\r\n"));
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // no profile of the user's is read or written
    CVelquorApp app(argc, argv);
    TstListCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listcommands.moc"
