#include "CCommandTypeCatalog.h"
#include "CFileReadWorker.h"
#include "CLocalNetworkShares.h"
#include "CReadBatch.h"
#include "CRefreshWorker.h"
#include "CThrowingFileSystem.h"
#include "CTraceReader.h"
#include "ITraceNotifier.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <mutex>

using namespace std::chrono_literals;

// The window's read workers when a read throws: the exception is reported through the
// reader's notifier, and the worker goes on (live) or ends its read as a cancelled one.
class TstReadWorkers : public QObject {
    Q_OBJECT

private slots:
    void refreshWorkerReportsAThrowingReadAndFollowsOn();
    void fileReadWorkerReportsAThrowingReadAndFinishes();
};

namespace {

class CCollectingNotifier final : public ITraceNotifier {
public:
    void Notify(const std::string& message) override {
        const std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
    }
    std::vector<std::string> Messages() {
        const std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

const std::string kStatement = "=====================\n"
                               "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=1\n"
                               "select 1\n"
                               "END OF STMT\n";

void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
             static_cast<qint64>(bytes.size()));
}

} // namespace

void TstReadWorkers::refreshWorkerReportsAThrowingReadAndFollowsOn() {
    QTemporaryDir dir;
    CThrowingFileSystem fileSystem;
    fileSystem.listingsToFail = 2;
    CLocalNetworkShares shares;
    CCollectingNotifier notifier;
    const CCommandTypeCatalog catalog;
    CTraceReader reader(catalog, fileSystem, shares, notifier);
    reader.SetPath(QFile::encodeName(dir.path()).toStdString());
    reader.SetShowSys(1);
    const std::atomic<int> running = 1;
    QObject context;
    std::size_t appended = 0;
    CRefreshWorker::SetPeriod(20ms);
    CRefreshWorker worker(reader, running, context,
                          [&](CReadBatch&& batch) { appended += batch.appended.Size(); });
    worker.StartRefreshThread();

    QTRY_VERIFY(fileSystem.listings.load() > 0);
    const std::vector<std::string> failed{"the read stopped: not enough memory",
                                          "wrong at reading trace file"};
    QCOMPARE(notifier.Messages(),
             std::vector<std::string>({failed[0], failed[1], failed[0], failed[1]}));
    WriteFile(dir.filePath(QStringLiteral("a_ora_1.trc")), kStatement);
    QTRY_COMPARE(appended, std::size_t{1});
    worker.Stop();
}

void TstReadWorkers::fileReadWorkerReportsAThrowingReadAndFinishes() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a_ora_1.trc"));
    WriteFile(path, kStatement);
    CThrowingFileSystem fileSystem;
    fileSystem.readsToFail = 1;
    CLocalNetworkShares shares;
    CCollectingNotifier notifier;
    const CCommandTypeCatalog catalog;
    CTraceReader reader(catalog, fileSystem, shares, notifier);
    reader.SetPath(QFile::encodeName(path).toStdString() + "|");
    QObject context;
    bool finished = false;
    bool cancelled = false;
    CFileReadWorker worker(
        reader, context, [](std::int64_t, std::int64_t) {}, [](CReadBatch&&) {},
        [&](CReadBatch&& batch) {
            finished = true;
            cancelled = batch.cancelled;
        });
    worker.Start();
    QTRY_VERIFY(finished);
    QVERIFY(cancelled);
    QCOMPARE(notifier.Messages(), std::vector<std::string>({"the read stopped: the disk is on fire",
                                                            "wrong at reading trace file"}));
}

QTEST_GUILESS_MAIN(TstReadWorkers)
#include "tst_readworkers.moc"
