#include "CTraceAdminDlg.h"
#include "CCommandTypeCatalog.h"
#include "CModalCloser.h"
#include "CTraceSettingDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

// Drives the "Setting" dialog without its own event loop: the script edits the real dialog
// and presses its buttons, then the dialog's result is returned as exec() would.
class CScriptedAdminDlg final : public CTraceAdminDlg {
public:
    using CTraceAdminDlg::CTraceAdminDlg;

    std::function<void(CTraceSettingDlg&)> m_fnScript;
    int m_nSettingRuns = 0;

protected:
    int RunSettingDialog(CTraceSettingDlg& dialog) override {
        ++m_nSettingRuns;
        m_fnScript(dialog);
        return dialog.result();
    }
};

std::function<void(CTraceSettingDlg&)> TypeAndPressOk(const QString& name, const QString& path) {
    return [name, path](CTraceSettingDlg& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("m_editName"))->setText(name);
        dialog.findChild<QLineEdit*>(QStringLiteral("m_editPath"))->setText(path);
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
}

void PressCancel(CTraceSettingDlg& dialog) {
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
}

QByteArray Line(const QByteArray& name, const QByteArray& path, const QByteArray& sys = "0",
                const QByteArray& octCheck = QByteArray(144, '1')) {
    return "TRACENAME=" + name + "\tTRACEPATH=" + path + "\tSYS=" + sys + "\tOCTCHECK=" + octCheck +
           "\t\r\r\n";
}

// A file size limit makes every write past it fail, as a full disk would.
class CFileSizeLimit final {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~CFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace

class CTraceAdminDlgTest final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstRunCreatesTheMissingFileSilently();
    void addRefusesAnExistingNameOnly();
    void cancelledAddSavesNothing();
    void removeDeletesEveryTraceOfThatName();
    void withoutSelectionNothingHappens();
    void configureEditsEveryTraceOfThatNameInOrder();
    void configureMayRenameToAnExistingName();
    void runPicksTheSelectedTrace_data();
    void runPicksTheSelectedTrace();
    void runFindsANameThatIsNotUtf8();
    void cancelAfterAddKeepsTheChange();
    void failedSaveShowsTheFileAndKeepsListAndFileAlike_data();
    void failedSaveShowsTheFileAndKeepsListAndFileAlike();
    void changesApplyToTheListAsTheFileHoldsItNow_data();
    void changesApplyToTheListAsTheFileHoldsItNow();

private:
    QByteArray ReadList() const;
    void WriteList(const QByteArray& bytes) const;
    static QStringList Names(CTraceAdminDlg& dialog);
    static QTreeWidget* List(CTraceAdminDlg& dialog);
    static void Click(CTraceAdminDlg& dialog, const char* button);

    const CCommandTypeCatalog m_catalog;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void CTraceAdminDlgTest::init() {
    m_folder = std::make_unique<QTemporaryDir>();
}

QByteArray CTraceAdminDlgTest::ReadList() const {
    QFile file(m_folder->filePath(QStringLiteral("trace.list")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

void CTraceAdminDlgTest::WriteList(const QByteArray& bytes) const {
    QFile file(m_folder->filePath(QStringLiteral("trace.list")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QTreeWidget* CTraceAdminDlgTest::List(CTraceAdminDlg& dialog) {
    return dialog.findChild<QTreeWidget*>(QStringLiteral("m_listTraces"));
}

QStringList CTraceAdminDlgTest::Names(CTraceAdminDlg& dialog) {
    QStringList names;
    QTreeWidget* list = List(dialog);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        names << list->topLevelItem(row)->text(0) + u'|' + list->topLevelItem(row)->text(1);
    }
    return names;
}

void CTraceAdminDlgTest::Click(CTraceAdminDlg& dialog, const char* button) {
    dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

void CTraceAdminDlgTest::firstRunCreatesTheMissingFileSilently() {
    CModalCloser closer;
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Oracle Trace Admin"));
    QVERIFY(closer.TakeMessages().isEmpty());
    QCOMPARE(ReadList(), QByteArray());
    QCOMPARE(List(dialog)->topLevelItemCount(), 0);

    dialog.m_fnScript = TypeAndPressOk(QStringLiteral(" prod "), QStringLiteral("/u01/trace"));
    Click(dialog, "m_btnAdd");
    QVERIFY(closer.TakeMessages().isEmpty());
    QCOMPARE(ReadList(), Line("prod", "/u01/trace"));
    QCOMPARE(Names(dialog), QStringList{QStringLiteral("prod|/u01/trace")});
    QVERIFY(List(dialog)->selectedItems().isEmpty());
}

void CTraceAdminDlgTest::addRefusesAnExistingNameOnly() {
    const QByteArray stored = Line("prod", "/a") + Line("test", "/b");
    WriteList(stored);
    CModalCloser closer;
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());

    dialog.m_fnScript = TypeAndPressOk(QStringLiteral("prod"), QStringLiteral("/other"));
    Click(dialog, "m_btnAdd");
    QCOMPARE(closer.TakeMessages(), QStringList{QStringLiteral("Warning:Trace Alerady Exist!")});
    QCOMPARE(ReadList(), stored);

    dialog.m_fnScript = TypeAndPressOk(QStringLiteral("Prod"), QStringLiteral("/other"));
    Click(dialog, "m_btnAdd");
    QVERIFY(closer.TakeMessages().isEmpty());
    QCOMPARE(ReadList(), stored + Line("Prod", "/other"));
    QCOMPARE(Names(dialog), (QStringList{QStringLiteral("prod|/a"), QStringLiteral("test|/b"),
                                         QStringLiteral("Prod|/other")}));
}

void CTraceAdminDlgTest::cancelledAddSavesNothing() {
    CModalCloser closer;
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    dialog.m_fnScript = PressCancel;
    Click(dialog, "m_btnAdd");
    QCOMPARE(dialog.m_nSettingRuns, 1);
    QCOMPARE(ReadList(), QByteArray()); // as the first use left it: empty
}

void CTraceAdminDlgTest::removeDeletesEveryTraceOfThatName() {
    WriteList(Line("prod", "/a") + Line("test", "/b") + Line("prod", "/c"));
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    List(dialog)->topLevelItem(2)->setSelected(true);
    Click(dialog, "m_btnRemove");
    QCOMPARE(ReadList(), Line("test", "/b"));
    QCOMPARE(Names(dialog), QStringList{QStringLiteral("test|/b")});
    QVERIFY(List(dialog)->selectedItems().isEmpty());
}

void CTraceAdminDlgTest::withoutSelectionNothingHappens() {
    const QByteArray stored = Line("prod", "/a");
    WriteList(stored);
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    dialog.m_fnScript = TypeAndPressOk(QStringLiteral("x"), QStringLiteral("/x"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Click(dialog, "m_btnRemove");
    Click(dialog, "m_btnConfigure");
    Click(dialog, "m_btnRun");
    QTest::keyClick(List(dialog), Qt::Key_Return);
    QTest::mouseDClick(List(dialog)->viewport(), Qt::LeftButton);
    QCOMPARE(dialog.m_nSettingRuns, 0);
    QCOMPARE(ReadList(), stored);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.GetSelectedTrace(), nullptr);
}

void CTraceAdminDlgTest::configureEditsEveryTraceOfThatNameInOrder() {
    WriteList(Line("prod", "/a") + Line("test", "/b") + Line("prod", "/c"));
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    QStringList offeredPaths;
    dialog.m_fnScript = [&offeredPaths](CTraceSettingDlg& setting) {
        auto* path = setting.findChild<QLineEdit*>(QStringLiteral("m_editPath"));
        offeredPaths << path->text();
        if (offeredPaths.size() == 1) {
            PressCancel(setting);
            return;
        }
        path->setText(path->text() + QStringLiteral("/new"));
        setting.findChild<QCheckBox*>(QStringLiteral("m_checkSys"))->setChecked(true);
        setting.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
    List(dialog)->topLevelItem(0)->setSelected(true);
    Click(dialog, "m_btnConfigure");
    QCOMPARE(offeredPaths, (QStringList{QStringLiteral("/a"), QStringLiteral("/c")}));
    QCOMPARE(ReadList(), Line("prod", "/a") + Line("test", "/b") + Line("prod", "/c/new", "1"));
    QCOMPARE(Names(dialog).last(), QStringLiteral("prod|/c/new"));
}

void CTraceAdminDlgTest::configureMayRenameToAnExistingName() {
    WriteList(Line("prod", "/a") + Line("test", "/b"));
    CModalCloser closer;
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    dialog.m_fnScript = TypeAndPressOk(QStringLiteral("prod"), QStringLiteral("/b"));
    List(dialog)->topLevelItem(1)->setSelected(true);
    Click(dialog, "m_btnConfigure");
    QVERIFY(closer.TakeMessages().isEmpty());
    QCOMPARE(ReadList(), Line("prod", "/a") + Line("prod", "/b"));
}

void CTraceAdminDlgTest::runPicksTheSelectedTrace_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Run") << QStringLiteral("run");
    QTest::newRow("Enter in the list") << QStringLiteral("enter");
    QTest::newRow("double-click on the row") << QStringLiteral("row");
    QTest::newRow("double-click below the rows") << QStringLiteral("below");
}

void CTraceAdminDlgTest::runPicksTheSelectedTrace() {
    QFETCH(QString, how);
    WriteList(Line("test", "/b", "1", "01") + Line("prod", "/first") + Line("prod", "/second"));
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget* list = List(dialog);
    list->topLevelItem(2)->setSelected(true);

    if (how == QStringLiteral("run")) {
        Click(dialog, "m_btnRun");
    } else if (how == QStringLiteral("enter")) {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
    } else if (how == QStringLiteral("row")) {
        const QRect row = list->visualItemRect(list->topLevelItem(2));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    } else {
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           QPoint(5, list->viewport()->height() - 5));
    }

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    const CTraceSettings* trace = dialog.GetSelectedTrace();
    QVERIFY(trace != nullptr);
    QCOMPARE(trace->GetValue(CTraceSettings::kTracePath), std::string("/first"));
}

// The list shows names decoded as UTF-8, but Run must still find the stored bytes.
void CTraceAdminDlgTest::runFindsANameThatIsNotUtf8() {
    const QByteArray latin1Name("Pr\xfc"
                                "fung");
    WriteList(Line(latin1Name, "/a"));
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    List(dialog)->topLevelItem(0)->setSelected(true);
    Click(dialog, "m_btnRun");
    const CTraceSettings* trace = dialog.GetSelectedTrace();
    QVERIFY(trace != nullptr);
    QCOMPARE(trace->GetValue(CTraceSettings::kTraceName), latin1Name.toStdString());
}

void CTraceAdminDlgTest::cancelAfterAddKeepsTheChange() {
    WriteList(Line("prod", "/a"));
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    dialog.m_fnScript = TypeAndPressOk(QStringLiteral("test"), QStringLiteral("/b"));
    Click(dialog, "m_btnAdd");
    List(dialog)->topLevelItem(0)->setSelected(true);
    Click(dialog, "m_btnCancel");
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.GetSelectedTrace(), nullptr);
    QCOMPARE(ReadList(), Line("prod", "/a") + Line("test", "/b"));
}

void CTraceAdminDlgTest::failedSaveShowsTheFileAndKeepsListAndFileAlike_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::newRow("Add") << QStringLiteral("m_btnAdd") << QString();
    QTest::newRow("Remove") << QStringLiteral("m_btnRemove") << QString();
    QTest::newRow("Configure") << QStringLiteral("m_btnConfigure")
                               << QStringLiteral("Error in configure");
}

void CTraceAdminDlgTest::failedSaveShowsTheFileAndKeepsListAndFileAlike() {
    QFETCH(QString, button);
    QFETCH(QString, message);
    QByteArray stored;
    for (int i = 0; i < 20; ++i) {
        stored += Line("trace" + QByteArray::number(i), "/t");
    }
    WriteList(stored);
    CModalCloser closer;
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    const QStringList shown = Names(dialog);
    dialog.m_fnScript = TypeAndPressOk(QStringLiteral("new"), QStringLiteral("/n"));
    List(dialog)->topLevelItem(0)->setSelected(true);
    {
        CFileSizeLimit limit(100);
        dialog.findChild<QPushButton*>(button)->click();
    }

    const QStringList messages = closer.TakeMessages();
    QCOMPARE(messages.size(), 1);
    if (!message.isEmpty()) {
        QCOMPARE(messages.first(), message);
    } else {
        QVERIFY2(messages.first().contains(m_folder->filePath(QStringLiteral("trace.list"))),
                 qPrintable(messages.first()));
    }
    QCOMPARE(ReadList(), stored);
    QCOMPARE(Names(dialog), shown);
}

void CTraceAdminDlgTest::changesApplyToTheListAsTheFileHoldsItNow_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<QByteArray>("meanwhile");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QString>("message");
    const QByteArray prodTest = Line("prod", "/a") + Line("test", "/b");
    const QByteArray other = Line("other", "/o");
    QTest::newRow("Add") << QStringLiteral("m_btnAdd") << 0 << QStringLiteral("new")
                         << prodTest + other << prodTest + other + Line("new", "/n") << QString();
    QTest::newRow("Add of a name added meanwhile")
        << QStringLiteral("m_btnAdd") << 0 << QStringLiteral("other") << prodTest + other
        << prodTest + other << QStringLiteral("Warning:Trace Alerady Exist!");
    QTest::newRow("Remove") << QStringLiteral("m_btnRemove") << 0 << QString() << prodTest + other
                            << Line("test", "/b") + other << QString();
    QTest::newRow("Configure") << QStringLiteral("m_btnConfigure") << 1 << QStringLiteral("new")
                               << prodTest + other << Line("prod", "/a") + Line("new", "/n") + other
                               << QString();
    QTest::newRow("Configure of a trace removed meanwhile")
        << QStringLiteral("m_btnConfigure") << 0 << QStringLiteral("new")
        << Line("test", "/b") + other << Line("test", "/b") + other
        << QStringLiteral("Error in configure");
}

// Another program changes the file while the dialog is open; the dialog's change is made to
// the list as the file holds it then, so neither change is lost.
void CTraceAdminDlgTest::changesApplyToTheListAsTheFileHoldsItNow() {
    QFETCH(QString, button);
    QFETCH(int, row);
    QFETCH(QString, typedName);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QByteArray, saved);
    QFETCH(QString, message);
    WriteList(Line("prod", "/a") + Line("test", "/b"));
    CModalCloser closer;
    CScriptedAdminDlg dialog(m_catalog, m_folder->path().toStdString());
    dialog.m_fnScript = TypeAndPressOk(typedName, QStringLiteral("/n"));
    WriteList(meanwhile);
    List(dialog)->topLevelItem(row)->setSelected(true);
    dialog.findChild<QPushButton*>(button)->click();
    QCOMPARE(ReadList(), saved);
    QCOMPARE(closer.TakeMessages(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(List(dialog)->topLevelItemCount(), int(saved.count('\n')));
}

QTEST_MAIN(CTraceAdminDlgTest)
#include "CTraceAdminDlgTest.moc"
