#include "CTraceListLocation.h"
#include "CTraceListStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

class CRecordingNotifier final : public ITraceListNotifier {
public:
    void Notify(const std::string& message) override { m_messages.push_back(message); }
    std::vector<std::string> m_messages;
};

// Saves one trace through the store, as the "Oracle Trace Admin" dialog does after Add,
// into the folder the location prepares.
void SaveOneTrace(const CTraceListLocation& location) {
    CRecordingNotifier notifier;
    CTraceListStore store(location.PrepareFolder(), notifier);
    store.LoadTraceList();
    CTraceSettings trace;
    trace.SetValue(CTraceSettings::kTraceName, "prod");
    trace.SetValue(CTraceSettings::kTracePath, "/srv/trace");
    trace.SetValue(CTraceSettings::kSys, "0");
    trace.SetValue(CTraceSettings::kOctCheck, "1");
    store.GetTraces().push_back(trace);
    store.SaveTraceList();
}

QByteArray ReadList(const QString& strFolder) {
    QFile file(QDir(strFolder).filePath(QLatin1String(CTraceListStore::kFileName)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kSavedList =
    QByteArrayLiteral("TRACENAME=prod\tTRACEPATH=/srv/trace\tSYS=0\tOCTCHECK=1\t\r\r\n");

} // namespace

class TestTraceListLocation : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writableProgramFolderKeepsTheList();
    void installedProgramKeepsListInConfigFolder_data();
    void installedProgramKeepsListInConfigFolder();
    void runningProgramKeepsListBesideIt();

private:
    QString Path(const char* szName) const { return m_pDir->filePath(QLatin1String(szName)); }

    std::unique_ptr<QTemporaryDir> m_pDir;
};

void TestTraceListLocation::init() {
    m_pDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pDir->isValid());
    QVERIFY(QDir().mkpath(Path("bin")));
}

void TestTraceListLocation::cleanup() {
    QFile::setPermissions(Path("bin"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_pDir.reset();
}

// A portable copy: the list is saved beside the program and no configuration folder appears.
void TestTraceListLocation::writableProgramFolderKeepsTheList() {
    const CTraceListLocation location(Path("bin"), Path("config/Velquor"));
    QVERIFY(location.IsBesideProgram());
    QCOMPARE(location.Folder(), Path("bin"));
    SaveOneTrace(location);
    QCOMPARE(ReadList(Path("bin")), kSavedList);
    QVERIFY(!QFileInfo::exists(Path("config")));
}

void TestTraceListLocation::installedProgramKeepsListInConfigFolder_data() {
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("read-only folder") << QStringLiteral("bin") << true;
    QTest::newRow("missing folder") << QStringLiteral("gone") << false;
    QTest::newRow("system folder, even for root") << QStringLiteral("/usr/bin") << false;
}

// The configuration folder and its missing parents are made for the first save, and the
// list there has the same bytes a list beside the program has.
void TestTraceListLocation::installedProgramKeepsListInConfigFolder() {
    QFETCH(QString, programFolder);
    QFETCH(bool, readOnly);
    const QString strProgramFolder = QDir(m_pDir->path()).filePath(programFolder);
    if (readOnly) {
        QVERIFY(QFile::setPermissions(strProgramFolder, QFile::ReadOwner | QFile::ExeOwner));
        if (::access(QFile::encodeName(strProgramFolder).constData(), W_OK) == 0)
            QSKIP("this user may write to a read-only folder (root)");
    }
    const CTraceListLocation location(strProgramFolder, Path("config/Velquor"));
    QVERIFY(!location.IsBesideProgram());
    QCOMPARE(location.Folder(), Path("config/Velquor"));
    QVERIFY(!QFileInfo::exists(Path("config")));
    SaveOneTrace(location);
    QCOMPARE(ReadList(Path("config/Velquor")), kSavedList);
    QVERIFY(!QFileInfo::exists(QDir(strProgramFolder).filePath(QStringLiteral("trace.list"))));
}

// This test program runs from the build tree, a folder its user may write to, as a copy
// run where it was built keeps its list.
void TestTraceListLocation::runningProgramKeepsListBesideIt() {
    QCOMPARE(CTraceListLocation().Folder(), QCoreApplication::applicationDirPath());
}

QTEST_MAIN(TestTraceListLocation)
#include "tst_tracelistlocation.moc"
