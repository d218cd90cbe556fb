#include "UiTestSupport.h"

#include "CCommandTypeCatalog.h"
#include "CTraceAnalyzer.h"

#include "CMainFrame.h"
#include "COpenCommands.h"
#include "CVelquorView.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTest>

std::string CursorBlock(int cursor, int uid, int oct, const std::string& sql, int base) {
    const std::string id = "#" + std::to_string(cursor);
    const auto figures = [](int cpu, int rows, int misses) {
        return ":c=" + std::to_string(cpu) + ",e=" + std::to_string(cpu + 1) +
               ",p=1,cr=2,cu=3,mis=" + std::to_string(misses) + ",r=" + std::to_string(rows) +
               ",dep=0,og=1,plh=0,tim=1\r\n";
    };
    return "=====================\r\nPARSING IN CURSOR " + id +
           " len=" + std::to_string(sql.size()) + " dep=0 uid=" + std::to_string(uid) +
           " oct=" + std::to_string(oct) + " lid=" + std::to_string(uid) +
           " tim=1 hv=1 ad='0' sqlid='x'\r\n" + sql + "\r\nEND OF STMT\r\nPARSE " + id +
           figures(base, 0, 1) + "EXEC " + id + figures(base + 10, 2, 0) + "FETCH " + id +
           figures(base + 20, 5, 0);
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
             static_cast<qint64>(bytes.size()));
}

std::string BlockOf(const CTraceAnalyzer& analyzer, std::int64_t row) {
    std::string text;
    std::string error;
    if (!analyzer.Texts().Block(analyzer.GetRecord(row), text, error)) {
        QTest::qFail(error.c_str(), __FILE__, __LINE__);
    }
    return text;
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

QStringList RealTraces() {
    const QDir folder(QStringLiteral(VELQUOR_TRACES_DIR));
    QStringList paths;
    for (const QString& name : folder.entryList({QStringLiteral("*.trc")}, QDir::Files)) {
        paths << folder.filePath(name);
    }
    return paths;
}

std::vector<std::string> EncodedPaths(const QStringList& paths) {
    std::vector<std::string> encoded;
    for (const QString& path : paths) {
        encoded.push_back(QFile::encodeName(path).toStdString());
    }
    return encoded;
}

CVelquorView* OpenAndWait(CMainFrame& frame, const QStringList& paths, bool showSys) {
    frame.OpenCommands().OpenTracePaths(paths, showSys);
    CVelquorView* view = frame.ActiveView();
    if (view != nullptr && !QTest::qWaitFor([&] { return !view->IsReading(); }, 60000)) {
        return nullptr;
    }
    return view;
}

void PressMoveRelease(QWidget* widget, QPoint press, QPoint release) {
    QTest::mousePress(widget, Qt::LeftButton, {}, press);
    if (release != press) {
        QMouseEvent move(QEvent::MouseMove, QPointF(release), QPointF(widget->mapToGlobal(release)),
                         Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, {}, release);
}

bool ShowMainFrame(std::unique_ptr<CMainFrame>& frame) {
    static const CCommandTypeCatalog catalog;
    frame = std::make_unique<CMainFrame>(catalog);
    frame->resize(1000, 700);
    frame->show();
    return QTest::qWaitForWindowExposed(frame.get());
}
