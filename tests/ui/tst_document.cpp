#include "CBoxCatcher.h"
#include "CCommandTypeCatalog.h"
#include "CFileDialogs.h"
#include "COpenRequest.h"
#include "CPosixFileSystem.h"
#include "CStatementColumns.h"
#include "CStatementFinder.h"
#include "CStatementSaveCommand.h"
#include "CStatementSaver.h"
#include "CStatementSorter.h"
#include "CStderrNotifier.h"
#include "CVelquorDoc.h"
#include "UiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>
#include <thread>

// A window's document with its sort, find and save, driven without any widget.
class TstDocument : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sortMovesEveryPersistentIndexWithItsRecord();
    void sortIsRefusedWhileRunningOrReading();
    void changesWaitForTheWorkOnTheRecords();
    void batchesThatComeDuringWorkAreAppliedAfterIt();
    void findThenSaveWritesTheRowsAfterTheFoundOne();
    void aSaveEndsAndIsToldAfterItsWindowWent();

private:
    // A file-mode document over `paths`, its read finished.
    std::unique_ptr<CVelquorDoc> OpenDocument(const QStringList& paths);
    QStringList GeneratedTrace();

    CCommandTypeCatalog m_catalog;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstDocument::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TstDocument::cleanup() {
    CFileDialogs::SetSaveChooser({});
    m_dir.reset();
}

std::unique_ptr<CVelquorDoc> TstDocument::OpenDocument(const QStringList& paths) {
    auto doc = std::make_unique<CVelquorDoc>(COpenRequest::TraceFiles(EncodedPaths(paths), true),
                                             m_catalog);
    QSignalSpy finished(doc.get(), &CVelquorDoc::ReadFinished);
    doc->Start();
    if (!finished.wait(60000) || doc->IsReading()) {
        return nullptr;
    }
    return doc;
}

// Statements with few distinct keys, so every sort has many ties to keep in order.
QStringList TstDocument::GeneratedTrace() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> small(0, 3);
    const char* const sqls[] = {"select a", "select b\r\nfrom t", "insert x", "update \xe9t\xe9"};
    std::string trace;
    for (int i = 1; i <= 300; ++i) {
        trace += CursorBlock(i, small(random), small(random) == 0 ? 2 : 3, sqls[small(random)],
                             small(random) * 10);
    }
    const QString path = m_dir->filePath(QStringLiteral("gen_ora_5.trc"));
    WriteBytes(path, trace);
    return {path};
}

// Whatever the views hold on to (selection, current row, any persistent index) still names
// the same record after each sort, and the rows come in the engine's order for the key.
void TstDocument::sortMovesEveryPersistentIndexWithItsRecord() {
    const QStringList real = RealTraces();
    for (const QStringList& paths : {GeneratedTrace(), real}) {
        if (paths.isEmpty()) {
            continue;
        }
        std::unique_ptr<CVelquorDoc> doc = OpenDocument(paths);
        QVERIFY(doc != nullptr);
        CStatementListModel& model = doc->Model();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        CPosixFileSystem files;
        CStderrNotifier notifier;
        CTraceAnalyzer direct(m_catalog, files, notifier);
        direct.SetFiles(EncodedPaths(paths));
        direct.SetShowSys(1);
        direct.ReadFileList();
        CStatementSorter sorter(*doc);
        const int rows = model.rowCount();
        QVERIFY(rows > 100);
        for (int column = 0; column < CStatementColumns::kCount; ++column) {
            for (const int order : {1, -1}) {
                std::vector<QPersistentModelIndex> held;
                std::vector<std::uint64_t> serials;
                for (int row = 0; row < rows; row += 7) {
                    held.emplace_back(model.index(row, (row + column) % CStatementColumns::kCount));
                    serials.push_back(doc->Analyzer().GetRecord(row).m_nSerial);
                }
                QVERIFY(sorter.OnColumnClick(column));
                QCOMPARE(sorter.GetSortOrder(), order);
                direct.Sort(CStatementColumns::At(column).sortKey, order);
                for (std::size_t i = 0; i < held.size(); ++i) {
                    QVERIFY(held[i].isValid());
                    QCOMPARE(doc->Analyzer().GetRecord(held[i].row()).m_nSerial, serials[i]);
                }
                for (int row = 0; row < rows; ++row) {
                    QVERIFY2(doc->Analyzer().GetRecord(row) == direct.GetRecord(row),
                             qPrintable(QStringLiteral("column %1 order %2 row %3")
                                            .arg(column)
                                            .arg(order)
                                            .arg(row)));
                }
            }
        }
    }
}

void TstDocument::sortIsRefusedWhileRunningOrReading() {
    std::unique_ptr<CVelquorDoc> doc = OpenDocument(GeneratedTrace());
    QVERIFY(doc != nullptr);
    CStatementSorter sorter(*doc);
    const std::string first = BlockOf(doc->Analyzer(), 0);
    doc->SetRunning(true);
    QVERIFY(!sorter.OnColumnClick(3));
    QCOMPARE(sorter.GetSortColumn(), -1);
    QCOMPARE(BlockOf(doc->Analyzer(), 0), first);
    doc->SetRunning(false);
    QVERIFY(sorter.OnColumnClick(3));
    QCOMPARE(sorter.GetSortColumn(), 3);

    // A document whose read has not finished refuses too.
    CVelquorDoc reading(COpenRequest::TraceFiles(EncodedPaths(GeneratedTrace()), true), m_catalog);
    QSignalSpy finished(&reading, &CVelquorDoc::ReadFinished);
    reading.Start();
    CStatementSorter early(reading);
    QVERIFY(reading.IsReading());
    QVERIFY(!early.OnColumnClick(0));
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.constFirst().constFirst().toBool(), false); // read whole
    QVERIFY(early.OnColumnClick(0));
}

// Work that reads the records on a worker thread sees them as they were when it started:
// sorting and clearing wait for it to end, and what it throws comes out of the wait.
void TstDocument::changesWaitForTheWorkOnTheRecords() {
    std::unique_ptr<CVelquorDoc> doc = OpenDocument(GeneratedTrace());
    QVERIFY(doc != nullptr);
    const CTraceAnalyzer& analyzer = doc->Analyzer();
    const std::string first = BlockOf(analyzer, 0);
    const std::int64_t count = analyzer.GetCount();
    std::string seenFirst;
    std::int64_t seenCount = -1;
    const auto late = [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };

    doc->WorkOnRecords([&] {
        late();
        seenFirst = BlockOf(analyzer, 0);
    });
    doc->Sort(3, 1);
    QCOMPARE(seenFirst, first);
    QVERIFY(BlockOf(analyzer, 0) != first);

    doc->WorkOnRecords([&] {
        late();
        seenCount = analyzer.GetCount();
    });
    doc->Clear();
    QCOMPARE(seenCount, count);
    QCOMPARE(analyzer.GetCount(), 0);

    doc->WorkOnRecords([] { throw std::runtime_error("no memory left"); });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, doc->WaitForWork());
}

// The batches of a read that come while work reads the records are held, and applied after
// it in the order they came: the records end as a read without work makes them.
void TstDocument::batchesThatComeDuringWorkAreAppliedAfterIt() {
    std::string trace;
    for (int i = 1; i <= 50000; ++i) { // several batches
        trace += CursorBlock(i % 97 + 1, i % 5, 3, "select " + std::to_string(i), i % 50);
    }
    const QString path = m_dir->filePath(QStringLiteral("batches_ora_6.trc"));
    WriteBytes(path, trace);
    std::unique_ptr<CVelquorDoc> plain = OpenDocument({path});
    QVERIFY(plain != nullptr);

    CVelquorDoc doc(COpenRequest::TraceFiles(EncodedPaths({path}), true), m_catalog);
    QSignalSpy finished(&doc, &CVelquorDoc::ReadFinished);
    std::atomic<bool> released = false;
    doc.Start();
    // Every batch reaches this thread after the work has started.
    doc.WorkOnRecords([&] {
        while (!released) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        released = true;
    });
    const bool read = finished.wait(60000);
    release.join();
    QVERIFY(read);
    QCOMPARE(doc.Analyzer().GetCount(), plain->Analyzer().GetCount());
    for (std::int64_t row = 0; row < plain->Analyzer().GetCount(); row += 997) {
        QCOMPARE(BlockOf(doc.Analyzer(), row), BlockOf(plain->Analyzer(), row));
        QVERIFY(doc.Analyzer().GetRecord(row) == plain->Analyzer().GetRecord(row));
    }
}

void TstDocument::findThenSaveWritesTheRowsAfterTheFoundOne() {
    std::unique_ptr<CVelquorDoc> doc = OpenDocument(GeneratedTrace());
    QVERIFY(doc != nullptr);
    const CTraceAnalyzer& analyzer = doc->Analyzer();
    CStatementFinder finder(analyzer);
    const int last = static_cast<int>(analyzer.GetCount()) - 1;
    const int found = finder.Find("\xe9t\xe9", CStatementFinder::kDirectionUp, -1);
    QVERIFY(found >= 0);
    QCOMPARE(finder.GetFindPos(), found);
    for (int row = found + 1; row <= last; ++row) {
        QVERIFY(analyzer.Sql(analyzer.GetRecord(row)).find("\xe9t\xe9") == std::string_view::npos);
    }
    const QString path = m_dir->filePath(QStringLiteral("after.trc"));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{path, CFileDialogs::kTraceFilter};
    });
    CStatementSaveCommand::Run(*doc, finder.GetFindPos() + 1, nullptr);
    doc->WaitForWork();
    std::string expected;
    for (int row = found + 1; row <= last; ++row) {
        expected += std::string(CStatementSaver::kSeparator) + BlockOf(analyzer, row);
    }
    QCOMPARE(ReadBytes(path), expected);

    // Nothing after the last row: the user is told, and no file is written.
    CBoxCatcher boxes;
    const QString none = m_dir->filePath(QStringLiteral("none.sql"));
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{none, CFileDialogs::kSqlFilter};
    });
    CStatementSaveCommand::Run(*doc, last + 1, nullptr);
    QCOMPARE(boxes.Boxes(), QStringList{QStringLiteral("Velquor: No statement to save.")});
    QVERIFY(!QFileInfo::exists(none));
}

// A save runs on the document's worker thread under the busy cursor. Its window and document
// may go before it ends: the file is still written whole, the cursor comes back and a failure
// is still told.
void TstDocument::aSaveEndsAndIsToldAfterItsWindowWent() {
    CBoxCatcher boxes;
    const QString saved = m_dir->filePath(QStringLiteral("all.trc"));
    const QString taken = m_dir->filePath(QStringLiteral("taken.trc"));
    QVERIFY(QDir().mkpath(taken));
    for (const QString& path : {saved, taken}) {
        std::unique_ptr<CVelquorDoc> doc = OpenDocument(GeneratedTrace());
        QVERIFY(doc != nullptr);
        std::string expected;
        for (std::int64_t row = 0; row < doc->Analyzer().GetCount(); ++row) {
            expected += std::string(CStatementSaver::kSeparator) + BlockOf(doc->Analyzer(), row);
        }
        CFileDialogs::SetSaveChooser([&] {
            return CFileDialogs::SaveChoice{path, CFileDialogs::kTraceFilter};
        });
        auto window = std::make_unique<QWidget>();
        CStatementSaveCommand::Run(*doc, 0, window.get());
        QVERIFY(QGuiApplication::overrideCursor() != nullptr);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        window.reset();
        doc.reset();
        QTRY_VERIFY(QGuiApplication::overrideCursor() == nullptr);
        if (path == saved) {
            QCOMPARE(ReadBytes(path), expected);
        }
    }
    QTRY_COMPARE(boxes.Boxes().size(), 1);
    QVERIFY(
        boxes.Boxes().constFirst().startsWith(QStringLiteral("Velquor: Could not save ") + taken));
    QVERIFY(QFileInfo(taken).isDir());
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TstDocument test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_document.moc"
