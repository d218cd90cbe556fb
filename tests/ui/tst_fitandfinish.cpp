#include "CBoxCatcher.h"
#include "CCommandTypeCatalog.h"
#include "CDetailPaneDlg.h"
#include "CFileDialogs.h"
#include "CListColumnsMenu.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "CProfilePane.h"
#include "CResponseTimeDock.h"
#include "CStatementSaveCommand.h"
#include "CVelquorView.h"
#include "CWindowTabCtrl.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStringBuilder>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

#include <memory>

namespace {

// `text` as a gzip file holds it.
std::string Gzip(const std::string& text) {
    std::string out(compressBound(static_cast<uLong>(text.size())) + 64, '\0');
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Statements(int count, const std::string& prefix) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += CursorBlock(i + 1, 5, 3, prefix + std::to_string(i));
    }
    return text;
}

} // namespace

// What a new user ran into in the window: texts of a changed file, commands that belong to
// live windows, the pane when a window comes back, a damaged compressed file, the Open
// dialog, a file without statements, the first start, Save after Find.
class TstFitAndFinish : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void changedFileIsReadAgainFromThePane();
    void startAndStopBelongToLiveWindows();
    void paneShowsTheSelectionOfTheWindowBackInFront();
    void damagedCompressedFileIsToldOnceOverItsRows();
    void openDialogShowsCompressedTracesAtFirst();
    void fileWithoutStatementsSaysSo();
    void firstStartTakesAShareOfTheScreen();
    void saveAfterFindSaysWhatItWrites();
    void tabsOfOneFileTellSysApartAndShowTheirPaths();
    void copyTakesTheSelectedRowsOfTheViewWithTheFocus();
    void commandTypeIsNotCut();
    void planTabSumsEveryPlanDump();
    void listColumnsAreHiddenFromTheHeaderAndRemembered();
    void findAndCopyWaitForAWindow();
    void noTwoEntriesOfAMenuShareAMnemonic();

private:
    QString Fixture(const QString& name, const std::string& bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CMainFrame> m_frame;
};

void TstFitAndFinish::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(ShowMainFrame(m_frame));
}

void TstFitAndFinish::cleanup() {
    CFileDialogs::SetSaveChooser({});
    m_frame.reset();
    m_dir.reset();
}

QString TstFitAndFinish::Fixture(const QString& name, const std::string& bytes) {
    const QString path = m_dir->filePath(name);
    WriteBytes(path, bytes);
    return path;
}

// A file rewritten after it was read cannot give its texts back; the pane offers to read
// the window's files again, which lists the file as it is now, in the same window.
void TstFitAndFinish::changedFileIsReadAgainFromThePane() {
    const QString path = Fixture(QStringLiteral("a_ora_1.trc"), Statements(3, "select old "));
    CVelquorView* view = OpenAndWait(*m_frame, {path});
    QAction* readAgain = m_frame->Commands().m_actReadAgain;
    QVERIFY(readAgain->isEnabled());
    CDetailPaneDlg& pane = m_frame->DetailDlg();
    view->selectRow(0);
    QCOMPARE(pane.GetText(0), std::string("select old 0\r\n"));
    QVERIFY(pane.ReadAgainButton().isHidden());

    WriteBytes(path, Statements(2, "select new "));
    view->selectRow(1);
    QVERIFY2(pane.GetText(0).find("changed") != std::string::npos, pane.GetText(0).c_str());
    QVERIFY(pane.ReadAgainButton().isVisible());

    QTest::mouseClick(&pane.ReadAgainButton(), Qt::LeftButton);
    QTRY_VERIFY(!view->IsReading());
    QCOMPARE(m_frame->ActiveView(), view);
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 1);
    QCOMPARE(view->Model().rowCount(), 2);
    view->selectRow(1);
    QCOMPARE(pane.GetText(0), std::string("select new 1\r\n"));
    QVERIFY(pane.ReadAgainButton().isHidden());
    QVERIFY(readAgain->isEnabled());
}

void TstFitAndFinish::startAndStopBelongToLiveWindows() {
    OpenAndWait(*m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), Statements(1, "select "))});
    const CMainCommands& c = m_frame->Commands();
    QVERIFY(!c.m_actRefreshStart->isEnabled());
    QVERIFY(!c.m_actRefreshStop->isEnabled());
}

// Back in front, a window shows its selected statement in the pane at once.
void TstFitAndFinish::paneShowsTheSelectionOfTheWindowBackInFront() {
    CVelquorView* a =
        OpenAndWait(*m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), Statements(2, "select a"))});
    a->selectRow(1);
    CVelquorView* b =
        OpenAndWait(*m_frame, {Fixture(QStringLiteral("b_ora_2.trc"), Statements(2, "select b"))});
    QVERIFY(m_frame->DetailDlg().GetText(0).empty());
    b->selectRow(0);
    QCOMPARE(m_frame->DetailDlg().GetText(0), std::string("select b0\r\n"));
    QTabBar& bar = m_frame->TabCtrl()->TabBar();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(0).center());
    QCOMPARE(m_frame->ActiveView(), a);
    QCOMPARE(m_frame->DetailDlg().GetText(0), std::string("select a1\r\n"));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(1).center());
    QCOMPARE(m_frame->DetailDlg().GetText(0), std::string("select b0\r\n"));
}

// One box names the file and the library's error, and comes once the rows read before the
// damage are listed behind it.
void TstFitAndFinish::damagedCompressedFileIsToldOnceOverItsRows() {
    const std::string gzip = Gzip(Statements(400, "select damaged "));
    const QString path =
        Fixture(QStringLiteral("cut_ora_7.trc.gz"), gzip.substr(0, gzip.size() / 2));
    CBoxCatcher boxes(false);
    CVelquorView* view = OpenAndWait(*m_frame, {path});
    QTRY_COMPARE(boxes.Boxes().size(), 1);
    const int rows = view->Model().rowCount();
    QVERIFY(rows > 0 && rows < 400);
    const QString box = boxes.Boxes().constFirst();
    QVERIFY2(box.contains(path) && box.contains(QStringLiteral("compressed")), qPrintable(box));
    QVERIFY2(box.contains(QStringLiteral("lists the ") % QString::number(rows)), qPrintable(box));
    QTest::qWait(100);
    QCOMPARE(boxes.Boxes().size(), 1);
    boxes.SetAnswering(true);
}

void TstFitAndFinish::openDialogShowsCompressedTracesAtFirst() {
    const QString first = CFileDialogs::OpenFilters().constFirst();
    QVERIFY2(first.startsWith(QStringLiteral("Trace files")), qPrintable(first));
    for (const char* pattern : {"*.trc ", "*.trc.gz", "*.gz", "*.xz", "*.bz2"}) {
        QVERIFY2(first.contains(QLatin1String(pattern)), pattern);
    }
}

// A report made from a trace opens as an empty list that says what it lacks.
void TstFitAndFinish::fileWithoutStatementsSaysSo() {
    const QString report =
        Fixture(QStringLiteral("report.txt"), "call     count       cpu    elapsed\r\n"
                                              "Parse        1      0.00       0.00\r\n");
    CVelquorView* empty = OpenAndWait(*m_frame, {report});
    QCOMPARE(empty->Model().rowCount(), 0);
    QVERIFY2(empty->EmptyNote().contains(QStringLiteral("No statement was found")),
             qPrintable(empty->EmptyNote()));
    QVERIFY(empty->EmptyNote().contains(QStringLiteral("PARSING IN CURSOR")));
    CVelquorView* full =
        OpenAndWait(*m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), Statements(1, "select "))});
    QVERIFY(full->EmptyNote().isEmpty());
    full->OnClear();
    QVERIFY(full->EmptyNote().isEmpty()); // an emptied list found statements before
}

void TstFitAndFinish::firstStartTakesAShareOfTheScreen() {
    m_frame.reset();
    QSettings().remove(QStringLiteral("MainFrame/Geometry"));
    static const CCommandTypeCatalog catalog;
    CMainFrame frame(catalog);
    const QSize screen = frame.screen()->availableGeometry().size();
    QVERIFY2(frame.width() >= screen.width() / 2 && frame.height() >= screen.height() / 2,
             qPrintable(QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height())));
}

void TstFitAndFinish::saveAfterFindSaysWhatItWrites() {
    CVelquorView* view = OpenAndWait(
        *m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), Statements(5, "select row "))});
    QCOMPARE(view->FindStatement("select row 2", 1), 1);
    CFileDialogs::SetSaveChooser([] { return std::optional<CFileDialogs::SaveChoice>(); });
    m_frame->Commands().m_actSaveStatements->trigger();
    QCOMPARE(m_frame->StatusBar().currentMessage(),
             QStringLiteral("Save 2 of 5 statements: rows 4 to 5, after the found row"));
    QCOMPARE(CStatementSaveCommand::Title(0, 5), QStringLiteral("Save all 5 statements"));
}

void TstFitAndFinish::tabsOfOneFileTellSysApartAndShowTheirPaths() {
    const QString path = Fixture(QStringLiteral("a_ora_1.trc"), Statements(1, "select "));
    OpenAndWait(*m_frame, {path}, true);
    OpenAndWait(*m_frame, {path}, false);
    const QTabBar& bar = m_frame->TabCtrl()->TabBar();
    QCOMPARE(bar.tabText(0), QStringLiteral("a_ora_1;"));
    QCOMPARE(bar.tabText(1), QStringLiteral("a_ora_1; [Hide Sys]"));
    QCOMPARE(bar.tabToolTip(0), path);
    QCOMPARE(bar.tabToolTip(1), path);
}

// Ctrl+C copies the rows selected in the list or in the Profile, with a heading line, each
// cell a spreadsheet would run as a formula led by "'"; with the focus in the detail pane,
// the text selected there.
void TstFitAndFinish::copyTakesTheSelectedRowsOfTheViewWithTheFocus() {
    CVelquorView* view = OpenAndWait(
        *m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), Statements(3, "=select\tcopied "))});
    view->selectRow(1);
    view->setFocus();
    QAction* copy = m_frame->Commands().m_actEditCopy;
    copy->trigger();
    const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
    QCOMPARE(lines.size(), 3); // the heading, the row and the empty rest after the last line
    QVERIFY2(lines[0].startsWith(QStringLiteral("Command Type\tuid\tpid\tSql Statament\t")),
             qPrintable(lines[0]));
    QCOMPARE(lines[1].split(u'\t').size(), lines[0].split(u'\t').size());
    QCOMPARE(lines[1].split(u'\t').at(3), QStringLiteral("'=select copied 1"));

    m_frame->Commands().m_actViewResponseTime->trigger();
    QTableView& profile = m_frame->ResponseTimeDock().Profile().Table();
    QTRY_VERIFY(profile.model()->rowCount() > 1);
    profile.selectAll();
    profile.setFocus();
    copy->trigger();
    const QStringList profileLines = QGuiApplication::clipboard()->text().split(u'\n');
    QCOMPARE(profileLines.size(), profile.model()->rowCount() + 2);
    QCOMPARE(profileLines[0].split(u'\t').size(), profile.model()->columnCount());

    QPlainTextEdit& edit = m_frame->DetailDlg().EditBox();
    edit.setFocus();
    edit.selectAll();
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), edit.toPlainText());
}

void TstFitAndFinish::commandTypeIsNotCut() {
    // 47 is PL/SQL EXECUTE, longer than the column's first width.
    std::string text = CursorBlock(1, 5, 47, "begin null; end;");
    CVelquorView* view = OpenAndWait(*m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), text)});
    const QString name = view->model()->index(0, 0).data().toString();
    QCOMPARE(name, QStringLiteral("PL/SQL EXECUTE"));
    QVERIFY(view->columnWidth(0) >= view->fontMetrics().horizontalAdvance(name));
}

QTEST_MAIN(TstFitAndFinish)

// The PLAN tab keeps the first dump's text and sums the dumps of each plan under it, from a
// plain file and from a compressed one (whose plan texts are copied) alike.
void TstFitAndFinish::planTabSumsEveryPlanDump() {
    const auto stat = [](int id, int rows, int parent, const char* operation) {
        return "STAT #1 id=" + std::to_string(id) + " cnt=" + std::to_string(rows) +
               " pid=" + std::to_string(parent) + " pos=1 obj=0 op='" + operation +
               " (cr=4 pr=0 pw=0 time=" + std::to_string(10 * rows) +
               " us cost=2 size=9 card=3)'\r\n";
    };
    const std::string trace = CursorBlock(1, 5, 3, "select plans") + stat(1, 1, 0, "SORT") +
                              stat(2, 3, 1, "FULL T") + stat(1, 1, 0, "SORT") +
                              stat(2, 301, 1, "FULL T") + stat(1, 5, 0, "INDEX I");
    for (const QString& path : {Fixture(QStringLiteral("p_ora_1.trc"), trace),
                                Fixture(QStringLiteral("p_ora_2.trc.gz"), Gzip(trace))}) {
        CVelquorView* view = OpenAndWait(*m_frame, {path});
        view->selectRow(0);
        const std::string plan = m_frame->DetailDlg().GetText(2);
        QVERIFY2(plan.starts_with("Rows     Row Source Operation\r\n"), plan.c_str());
        QVERIFY2(plan.find("3 plan dumps, 2 plans\r\n") != std::string::npos, plan.c_str());
        QVERIFY2(plan.find("Plan 1, 2 dumps") != std::string::npos, plan.c_str());
        // FULL T: 3 rows first, 152 on average, 301 at most, 50 times the estimate of 3.
        QVERIFY2(plan.find("         3        152        301          4") != std::string::npos,
                 plan.c_str());
        QVERIFY2(plan.find("!  FULL T\r\n") != std::string::npos, plan.c_str());
        QVERIFY2(plan.find("Plan 2, 1 dump\r\n") != std::string::npos, plan.c_str());
    }
}

// After the description's columns come the SQL id, the elapsed time without recursive calls
// and the time of waits, in seconds. The header's menu hides and shows any column; a list
// opened later hides what was hidden last, and the last column shown stays.
void TstFitAndFinish::listColumnsAreHiddenFromTheHeaderAndRemembered() {
    const QString key = QLatin1String(CListColumnsMenu::kSettingsKey);
    QSettings().remove(key);
    const QString path = Fixture(QStringLiteral("a_ora_1.trc"), Statements(2, "select "));
    CVelquorView* first = OpenAndWait(*m_frame, {path});
    QAbstractItemModel& model = first->Model();
    QCOMPARE(model.columnCount(), 17);
    QStringList titles;
    for (int column = 14; column < 17; ++column) {
        titles.append(model.headerData(column, Qt::Horizontal).toString());
    }
    QCOMPARE(titles, QStringList({QStringLiteral("sqlid"), QStringLiteral("self elapsed"),
                                  QStringLiteral("waits")}));
    QCOMPARE(model.index(0, 14).data().toString(), QStringLiteral("x"));
    QVERIFY2(model.index(0, 15).data().toString().contains(QLatin1Char('.')),
             qPrintable(model.index(0, 15).data().toString()));

    QHeaderView* header = first->horizontalHeader();
    auto* columns = header->findChild<CListColumnsMenu*>();
    QVERIFY(columns != nullptr);
    std::unique_ptr<QMenu> menu = columns->Make();
    QCOMPARE(menu->actions().size(), 17);
    menu->actions().at(15)->trigger();
    QVERIFY(header->isSectionHidden(15));
    CVelquorView* second =
        OpenAndWait(*m_frame, {Fixture(QStringLiteral("b_ora_2.trc"), Statements(1, "select "))});
    QVERIFY(second->horizontalHeader()->isSectionHidden(15));
    QVERIFY(!second->horizontalHeader()->isSectionHidden(16));

    for (int column = 0; column < 17; ++column) {
        if (column != 3 && !header->isSectionHidden(column)) {
            columns->Make()->actions().at(column)->trigger();
        }
    }
    QCOMPARE(header->hiddenSectionCount(), 16);
    QVERIFY(!columns->Make()->actions().at(3)->isEnabled());
    menu = columns->Make();
    menu->actions().at(15)->trigger();
    QVERIFY(!header->isSectionHidden(15));
    QCOMPARE(QSettings().value(key).toStringList().size(), 15);
    QSettings().remove(key);
}

// The start page has no list to search or copy from.
void TstFitAndFinish::findAndCopyWaitForAWindow() {
    const CMainCommands& c = m_frame->Commands();
    QVERIFY(!c.m_actEditFind->isEnabled());
    QVERIFY(!c.m_actEditCopy->isEnabled());
    OpenAndWait(*m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), Statements(1, "select "))});
    QVERIFY(c.m_actEditFind->isEnabled());
    QVERIFY(c.m_actEditCopy->isEnabled());
}

// Alt and a letter reach one entry: in the menu bar and in every menu below it, with the
// recent files of two windows listed, no two entries underline the same letter.
void TstFitAndFinish::noTwoEntriesOfAMenuShareAMnemonic() {
    OpenAndWait(*m_frame, {Fixture(QStringLiteral("a_ora_1.trc"), Statements(1, "select "))});
    OpenAndWait(*m_frame, {Fixture(QStringLiteral("b_ora_2.trc"), Statements(1, "select "))});
    std::vector<QList<QAction*>> levels = {m_frame->menuBar()->actions()};
    for (std::size_t i = 0; i < levels.size(); ++i) {
        QMap<QChar, QString> taken;
        for (QAction* action : levels[i]) {
            if (action->menu() != nullptr) {
                levels.push_back(action->menu()->actions());
            }
            const QString text = action->text();
            for (qsizetype at = text.indexOf(QLatin1Char('&')); at >= 0 && at + 1 < text.size();
                 at = text.indexOf(QLatin1Char('&'), at + 2)) {
                if (text[at + 1] == QLatin1Char('&')) {
                    continue;
                }
                const QChar key = text[at + 1].toLower();
                QVERIFY2(!taken.contains(key),
                         qPrintable(taken.value(key) % QStringLiteral(" and ") % text));
                taken.insert(key, text);
                break;
            }
        }
    }
    QCOMPARE(levels.size(), std::size_t{5}); // the bar, File, Edit, View and Help
}

#include "tst_fitandfinish.moc"
