#include "CTraceSettingDlg.h"
#include "CAdvancedPage.h"
#include "CCommandTypeCatalog.h"
#include "CModalCloser.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <string>

class CTraceSettingDlgTest final : public QObject {
    Q_OBJECT

private slots:
    void insertStartsEmptyWithEveryCommandTypeChecked();
    void updateShowsTheStoredValues_data();
    void updateShowsTheStoredValues();
    void okChecksAndTrims_data();
    void okChecksAndTrims();
    void okStoresOneFlagPerCommandType();
    void cancelLeavesTheTraceUntouched();
    void spaceTogglesTheSelectedCommandTypes();

private:
    const CCommandTypeCatalog m_catalog;
};

namespace {

CTraceSettings MakeTrace(const std::string& name, const std::string& path, const std::string& sys,
                         const std::string& octCheck) {
    CTraceSettings trace;
    trace.SetValue(CTraceSettings::kTraceName, name);
    trace.SetValue(CTraceSettings::kTracePath, path);
    trace.SetValue(CTraceSettings::kSys, sys);
    trace.SetValue(CTraceSettings::kOctCheck, octCheck);
    return trace;
}

QLineEdit* Edit(CTraceSettingDlg& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

QTreeWidget* CommandTypes(CTraceSettingDlg& dialog) {
    return dialog.findChild<QTreeWidget*>(QStringLiteral("m_listCommandTypes"));
}

QCheckBox* SysBox(CTraceSettingDlg& dialog) {
    return dialog.findChild<QCheckBox*>(QStringLiteral("m_checkSys"));
}

} // namespace

void CTraceSettingDlgTest::insertStartsEmptyWithEveryCommandTypeChecked() {
    CTraceSettings trace;
    CTraceSettingDlg dialog(trace, "INSERT", m_catalog);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Setting"));
    auto* tabs = dialog.findChild<QTabWidget*>();
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("BASIC INFO"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Advanced..."));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(Edit(dialog, "m_editName")->text().isEmpty());
    QVERIFY(Edit(dialog, "m_editPath")->text().isEmpty());
    QVERIFY(!SysBox(dialog)->isChecked());
    QCOMPARE(dialog.GetAdvancedPage().GetCheckString(), std::string(144, '1'));

    QTreeWidget* rows = CommandTypes(dialog);
    QCOMPARE(rows->topLevelItemCount(), 144);
    QCOMPARE(rows->topLevelItem(2)->text(1), QStringLiteral("DROP INDEX"));
    QCOMPARE(rows->topLevelItem(62)->text(1), QStringLiteral("INSERT"));
    QCOMPARE(rows->topLevelItem(143)->text(1), QStringLiteral("DROP PACKAGE BODY"));

    CModalCloser closer;
    dialog.accept();
    QCOMPARE(closer.TakeMessages(), QStringList{QStringLiteral("please enter the trace name")});
    QCOMPARE(closer.TakeCaptions(), QStringList{QStringLiteral("Velquor")});
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void CTraceSettingDlgTest::updateShowsTheStoredValues_data() {
    QTest::addColumn<QByteArray>("sys");
    QTest::addColumn<QByteArray>("octCheck");
    QTest::addColumn<bool>("sysChecked");
    QTest::addColumn<QByteArray>("shown");

    const QByteArray none(144, '0');
    const QByteArray all(144, '1');
    QTest::newRow("empty flags, SYS 1") << QByteArray("1") << QByteArray() << true << none;
    QTest::newRow("short flags") << QByteArray("0") << QByteArray("1010") << false
                                 << QByteArray("1010").append(none.left(140));
    QTest::newRow("longer flags") << QByteArray() << QByteArray(200, '1') << false << all;
    QTest::newRow("other characters leave rows clear")
        << QByteArray(" 1") << QByteArray("x1?1") << false
        << QByteArray("0101").append(none.left(140));
}

void CTraceSettingDlgTest::updateShowsTheStoredValues() {
    QFETCH(QByteArray, sys);
    QFETCH(QByteArray, octCheck);
    QFETCH(bool, sysChecked);
    QFETCH(QByteArray, shown);

    CTraceSettings trace =
        MakeTrace("prod", "/u01/trace", sys.toStdString(), octCheck.toStdString());
    CTraceSettingDlg dialog(trace, "UPDATE", m_catalog);
    QCOMPARE(Edit(dialog, "m_editName")->text(), QStringLiteral("prod"));
    QCOMPARE(Edit(dialog, "m_editPath")->text(), QStringLiteral("/u01/trace"));
    QCOMPARE(SysBox(dialog)->isChecked(), sysChecked);
    QCOMPARE(dialog.GetAdvancedPage().GetCheckString(), shown.toStdString());
}

void CTraceSettingDlgTest::okChecksAndTrims_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("storedName");
    QTest::addColumn<QByteArray>("storedPath");

    QTest::newRow("no name") << QString() << QStringLiteral("/t")
                             << QStringLiteral("please enter the trace name") << QByteArray()
                             << QByteArray();
    QTest::newRow("name of blanks, path not checked yet")
        << QStringLiteral("   ") << QString() << QStringLiteral("please enter the trace name")
        << QByteArray() << QByteArray();
    QTest::newRow("path of blanks")
        << QStringLiteral("prod") << QStringLiteral(" \t ")
        << QStringLiteral("please choose the trace folder") << QByteArray() << QByteArray();
    QTest::newRow("trimmed") << QStringLiteral("  prod db ") << QStringLiteral("\t/u01/my trace ")
                             << QString() << QByteArray("prod db") << QByteArray("/u01/my trace");
    QTest::newRow("TAB and line breaks become blanks")
        << QStringLiteral("a\tb\n") << QStringLiteral("/x\r\n/y") << QString() << QByteArray("a b")
        << QByteArray("/x  /y");
    QTest::newRow("UTF-8 bytes") << QStringLiteral("Pr\u00fcfung")
                                 << QStringLiteral("/daten/\u00e9t\u00e9") << QString()
                                 << QByteArray("Pr\xc3\xbc"
                                               "fung")
                                 << QByteArray("/daten/\xc3\xa9t\xc3\xa9");
}

void CTraceSettingDlgTest::okChecksAndTrims() {
    QFETCH(QString, name);
    QFETCH(QString, path);
    QFETCH(QString, message);
    QFETCH(QByteArray, storedName);
    QFETCH(QByteArray, storedPath);

    CTraceSettings trace;
    CTraceSettingDlg dialog(trace, "INSERT", m_catalog);
    Edit(dialog, "m_editName")->setText(name);
    Edit(dialog, "m_editPath")->setText(path);
    CModalCloser closer;
    dialog.accept();

    if (message.isEmpty()) {
        QVERIFY(closer.TakeMessages().isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(trace, MakeTrace(storedName.toStdString(), storedPath.toStdString(), "0",
                                  std::string(144, '1')));
    } else {
        QCOMPARE(closer.TakeMessages(), QStringList{message});
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(trace, CTraceSettings());
    }
}

void CTraceSettingDlgTest::okStoresOneFlagPerCommandType() {
    CTraceSettings trace = MakeTrace("prod", "/t", "0", "11");
    CTraceSettingDlg dialog(trace, "UPDATE", m_catalog);
    SysBox(dialog)->setChecked(true);
    CommandTypes(dialog)->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    CommandTypes(dialog)->topLevelItem(73)->setCheckState(0, Qt::Checked);
    dialog.accept();

    std::string expected(144, '0');
    expected[1] = '1';
    expected[73] = '1';
    QCOMPARE(trace, MakeTrace("prod", "/t", "1", expected));
}

void CTraceSettingDlgTest::cancelLeavesTheTraceUntouched() {
    const CTraceSettings stored = MakeTrace("prod", "/t", "1", "101");
    CTraceSettings trace = stored;
    CTraceSettingDlg dialog(trace, "UPDATE", m_catalog);
    Edit(dialog, "m_editName")->setText(QStringLiteral("other"));
    SysBox(dialog)->setChecked(false);
    dialog.GetAdvancedPage().CheckAll();
    dialog.reject();
    QCOMPARE(trace, stored);
}

// As in every list of check boxes: Space toggles the current row's box and gives the selected
// rows the same state; a click on a box changes that box only.
void CTraceSettingDlgTest::spaceTogglesTheSelectedCommandTypes() {
    CTraceSettings trace = MakeTrace("prod", "/t", "0", "");
    CTraceSettingDlg dialog(trace, "UPDATE", m_catalog);
    dialog.findChild<QTabWidget*>()->setCurrentIndex(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget* rows = CommandTypes(dialog);
    const auto flags = [&] { return dialog.GetAdvancedPage().GetCheckString().substr(0, 6); };
    const auto cell = [&](int row, int column) {
        return rows->visualRect(rows->model()->index(row, column)).center();
    };
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, cell(2, 1)); // the name
    QCOMPARE(flags(), std::string("000000"));
    QTest::keyClick(rows, Qt::Key_Space);
    QCOMPARE(flags(), std::string("001000"));
    QTest::keyClick(rows, Qt::Key_Down);
    QTest::keyClick(rows, Qt::Key_Space);
    QCOMPARE(flags(), std::string("001100"));
    QTest::keyClick(rows, Qt::Key_Down, Qt::ShiftModifier); // rows 3 and 4 selected
    QTest::keyClick(rows, Qt::Key_Space);
    QCOMPARE(flags(), std::string("001110"));
    QTest::keyClick(rows, Qt::Key_Space);
    QCOMPARE(flags(), std::string("001000"));
    QTest::keyClick(rows, Qt::Key_Space);
    QCOMPARE(flags(), std::string("001110"));

    QTest::keyClick(rows, Qt::Key_Home);
    QTest::keyClick(rows, Qt::Key_Space);
    QCOMPARE(flags(), std::string("101110"));
    const QRect box = rows->visualRect(rows->model()->index(5, 0));
    QTest::mouseClick(
        rows->viewport(), Qt::LeftButton, {},
        QPoint(box.left() + rows->style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2 + 4,
               box.center().y()));
    QCOMPARE(flags(), std::string("101111"));
    dialog.accept();
    QCOMPARE(trace.GetValue(CTraceSettings::kOctCheck).substr(0, 6), std::string("101111"));
}

QTEST_MAIN(CTraceSettingDlgTest)
#include "CTraceSettingDlgTest.moc"
