#include "CFolderPicker.h"
#include "CBasicInfoPage.h"
#include "CModalCloser.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class CFolderPickerTest final : public QObject {
    Q_OBJECT

private slots:
    void shortenForStatus_data();
    void shortenForStatus();
    void pickerFollowsTheSelectionInItsStatusLine();
    void browseFillsThePathOnlyWhenAFolderIsChosen_data();
    void browseFillsThePathOnlyWhenAFolderIsChosen();
};

void CFolderPickerTest::shortenForStatus_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const QString thirtyFive = QStringLiteral("/u01/app/oracle/diag/rdbms/prod/tra");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("initial text") << QStringLiteral("Please select the trace folder")
                                  << QStringLiteral("Please select the trace folder");
    QTest::newRow("35 characters") << thirtyFive << thirtyFive;
    QTest::newRow("36 characters") << thirtyFive + u'c' << thirtyFive + QStringLiteral("...");
    QTest::newRow("long path") << thirtyFive + QStringLiteral("ce/prod/trace")
                               << thirtyFive + QStringLiteral("...");
    QTest::newRow("two-unit character at the cut")
        << QString(34, u'a') + QStringLiteral("\U0001F4C1tail")
        << QString(34, u'a') + QStringLiteral("...");
}

void CFolderPickerTest::shortenForStatus() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(CFolderPicker::ShortenForStatus(text), shown);
}

void CFolderPickerTest::pickerFollowsTheSelectionInItsStatusLine() {
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("a folder with a rather long name"));
    QVERIFY(QDir().mkpath(folder));

    CFolderPicker picker(QStringLiteral("Please select the trace folder"));
    QCOMPARE(picker.windowTitle(), QStringLiteral("Current Selection"));
    QCOMPARE(picker.fileMode(), QFileDialog::Directory);
    QCOMPARE(picker.GetStatusText(), QStringLiteral("Please select the trace folder"));

    QString statusWhileOpen;
    CModalCloser closer([&](QWidget* modal) {
        auto* dialog = qobject_cast<CFolderPicker*>(modal);
        QVERIFY(dialog != nullptr);
        // What the file dialog reports when the user selects a folder in its list.
        emit dialog->currentChanged(folder);
        statusWhileOpen = dialog->GetStatusText();
        dialog->setDirectory(folder);
        // QFileDialog's own accept() checks the chosen folder; it is reached through QDialog.
        static_cast<QDialog*>(dialog)->accept();
    });
    QCOMPARE(picker.exec(), int(QDialog::Accepted));
    QCOMPARE(statusWhileOpen, CFolderPicker::ShortenForStatus(folder));
    QCOMPARE(picker.GetResultPath(), folder);
}

void CFolderPickerTest::browseFillsThePathOnlyWhenAFolderIsChosen_data() {
    QTest::addColumn<bool>("choose");
    QTest::newRow("folder chosen") << true;
    QTest::newRow("cancelled") << false;
}

void CFolderPickerTest::browseFillsThePathOnlyWhenAFolderIsChosen() {
    QFETCH(bool, choose);
    QTemporaryDir folder;
    CBasicInfoPage page;
    auto* path = page.findChild<QLineEdit*>(QStringLiteral("m_editPath"));
    path->setText(QStringLiteral("/typed/before"));

    CModalCloser closer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog != nullptr);
        dialog->setDirectory(folder.path());
        choose ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
    });
    page.findChild<QPushButton*>(QStringLiteral("m_btnBrowse"))->click();
    QCOMPARE(page.GetPath(), choose ? folder.path() : QStringLiteral("/typed/before"));
}

QTEST_MAIN(CFolderPickerTest)
#include "CFolderPickerTest.moc"
