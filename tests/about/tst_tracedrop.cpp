#include "CTraceDropHelper.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Each row names the dropped items relative to a folder that holds the files a.trc,
// b.TRC, notes.txt, trc (no suffix), c.trc.gz, d.trc.XZ and the folder dir.trc; "missing.trc"
// does not exist, and an item starting with "http:" is a remote address.
class TestTraceDrop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void dropped_data();
    void dropped();
    void textWithoutUrlsHoldsNoFiles();
    void noMimeDataHoldsNoFiles();

private:
    QTemporaryDir m_dir;
};

void TestTraceDrop::initTestCase() {
    QVERIFY(m_dir.isValid());
    for (const char* szName : {"a.trc", "b.TRC", "notes.txt", "trc", "c.trc.gz", "d.trc.XZ"}) {
        QFile file(m_dir.filePath(QLatin1String(szName)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("dir.trc")));
}

void TestTraceDrop::dropped_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("expected");
    const auto list = [](std::initializer_list<const char*> names) {
        QStringList listNames;
        for (const char* szName : names)
            listNames.append(QLatin1String(szName));
        return listNames;
    };
    QTest::newRow("one trace") << list({"a.trc"}) << list({"a.trc"});
    QTest::newRow("drop order kept, any case")
        << list({"b.TRC", "a.trc"}) << list({"b.TRC", "a.trc"});
    QTest::newRow("others left out") << list({"notes.txt", "a.trc", "trc"}) << list({"a.trc"});
    QTest::newRow("only others") << list({"notes.txt", "trc"}) << QStringList();
    QTest::newRow("folder named .trc") << list({"dir.trc"}) << QStringList();
    QTest::newRow("missing file") << list({"missing.trc", "a.trc"}) << list({"a.trc"});
    QTest::newRow("compressed traces")
        << list({"c.trc.gz", "notes.txt", "d.trc.XZ"}) << list({"c.trc.gz", "d.trc.XZ"});
    QTest::newRow("same file twice") << list({"a.trc", "a.trc"}) << list({"a.trc"});
    QTest::newRow("remote address") << list({"http://host/x.trc"}) << QStringList();
}

void TestTraceDrop::dropped() {
    QFETCH(QStringList, items);
    QFETCH(QStringList, expected);
    QList<QUrl> listUrls;
    for (const QString& strItem : items)
        listUrls.append(strItem.startsWith(u"http:")
                            ? QUrl(strItem)
                            : QUrl::fromLocalFile(m_dir.filePath(strItem)));
    QMimeData mimeData;
    mimeData.setUrls(listUrls);

    QStringList listExpected;
    for (const QString& strName : expected)
        listExpected.append(m_dir.filePath(strName));
    QCOMPARE(CTraceDropHelper::TraceFiles(&mimeData), listExpected);
    QCOMPARE(CTraceDropHelper::HasTraceFiles(&mimeData), !listExpected.isEmpty());
}

void TestTraceDrop::textWithoutUrlsHoldsNoFiles() {
    QMimeData mimeData;
    mimeData.setText(m_dir.filePath(QStringLiteral("a.trc")));
    QVERIFY(!CTraceDropHelper::HasTraceFiles(&mimeData));
}

void TestTraceDrop::noMimeDataHoldsNoFiles() {
    QVERIFY(CTraceDropHelper::TraceFiles(nullptr).isEmpty());
}

QTEST_GUILESS_MAIN(TestTraceDrop)
#include "tst_tracedrop.moc"
