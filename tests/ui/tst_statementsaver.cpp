#include "CCommandTypeCatalog.h"
#include "CLocalNetworkShares.h"
#include "CPosixFileSystem.h"
#include "CStatementSaver.h"
#include "CStderrNotifier.h"
#include "CTraceAnalyzer.h"
#include "TestDevices.h"
#include "UiTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// The window's Save follows the same rule as velquor-cli save: a link is saved through to
// the file it names, a device is written into and stays a device.
class TstStatementSaver final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void savesThroughALinkToTheFileItNames();
    void writesIntoADeviceAndKeepsIt();

private:
    bool Save(const QString& path, QString& error) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    CCommandTypeCatalog m_catalog;
    CPosixFileSystem m_fileSystem;
    CLocalNetworkShares m_shares;
    CStderrNotifier m_notifier;
    std::unique_ptr<CTraceAnalyzer> m_analyzer;
};

void TstStatementSaver::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    const QString trace = m_dir->filePath(QStringLiteral("save_ora_5.trc"));
    WriteBytes(trace, CursorBlock(1, 5, 3, "select 1") + CursorBlock(2, 5, 3, "select 2"));
    m_analyzer = std::make_unique<CTraceAnalyzer>(m_catalog, m_fileSystem, m_shares, m_notifier);
    m_analyzer->SetPath(QFile::encodeName(trace).toStdString() + "|");
    m_analyzer->ReadFileList();
    QCOMPARE(m_analyzer->GetCount(), 2);
}

bool TstStatementSaver::Save(const QString& path, QString& error) const {
    return CStatementSaver::Save(*m_analyzer, 1, {path, CStatementSaver::Format::Sql}, error);
}

void TstStatementSaver::savesThroughALinkToTheFileItNames() {
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("real")));
    const QString target = m_dir->filePath(QStringLiteral("real/out.sql"));
    WriteBytes(target, "old");
    const QString link = m_dir->filePath(QStringLiteral("link.sql"));
    QVERIFY(QFile::link(QStringLiteral("real/out.sql"), link));
    QString error;
    QVERIFY2(Save(link, error), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadBytes(target), std::string(CStatementSaver::kSeparator) + "select 2\r\n");
}

void TstStatementSaver::writesIntoADeviceAndKeepsIt() {
    const std::string full = testdevices::DeviceNode(m_dir->path().toStdString(), "full");
    const std::string null = testdevices::DeviceNode(m_dir->path().toStdString(), "null");
    QVERIFY(!full.empty() && !null.empty());
    QString error;
    QVERIFY(!Save(QString::fromStdString(full), error));
    QCOMPARE(error, QStringLiteral("No space left on device"));
    QVERIFY(testdevices::IsCharacterDevice(full));
    QVERIFY2(Save(QString::fromStdString(null), error), qPrintable(error));
    QVERIFY(testdevices::IsCharacterDevice(null));
}

QTEST_GUILESS_MAIN(TstStatementSaver)
#include "tst_statementsaver.moc"
