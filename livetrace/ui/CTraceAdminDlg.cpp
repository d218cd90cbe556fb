#include "CTraceAdminDlg.h"

#include "CTraceListFileError.h"
#include "CTraceSettingDlg.h"
#include "ui_CTraceAdminDlg.h"

#include <QKeyEvent>

#include <utility>

namespace {

constexpr int kNameColumn = 0;
constexpr int kPathColumn = 1;
// The name's bytes as stored; the column shows them decoded as UTF-8.
constexpr int kNameBytesRole = Qt::UserRole;

} // namespace

CTraceAdminDlg::CTraceAdminDlg(const CCommandTypeCatalog& catalog, std::string programFolder,
                               QWidget* owner)
    : QDialog(owner), m_catalog(catalog), m_store(std::move(programFolder), m_notifier),
      m_ui(std::make_unique<Ui::CTraceAdminDlg>()) {
    m_ui->setupUi(this);
    connect(m_ui->m_btnAdd, &QPushButton::clicked, this, &CTraceAdminDlg::OnAdd);
    connect(m_ui->m_btnRemove, &QPushButton::clicked, this, &CTraceAdminDlg::OnRemove);
    connect(m_ui->m_btnConfigure, &QPushButton::clicked, this, &CTraceAdminDlg::OnConfigure);
    connect(m_ui->m_btnRun, &QPushButton::clicked, this, &CTraceAdminDlg::OnRun);
    connect(m_ui->m_btnCancel, &QPushButton::clicked, this, &CTraceAdminDlg::reject);
    m_ui->m_listTraces->viewport()->installEventFilter(this);
    ReloadRefresh();
}

CTraceAdminDlg::~CTraceAdminDlg() = default;

const CTraceSettings* CTraceAdminDlg::GetSelectedTrace() const {
    return m_store.FindTrace(m_strSelectedName);
}

void CTraceAdminDlg::RefreshTraceList() {
    m_ui->m_listTraces->clear();
    for (const CTraceSettings& trace : m_store.GetTraces()) {
        const std::string name = trace.GetValue(CTraceSettings::kTraceName);
        auto* item = new QTreeWidgetItem(m_ui->m_listTraces);
        item->setText(kNameColumn, QString::fromStdString(name));
        item->setData(kNameColumn, kNameBytesRole, QByteArray::fromStdString(name));
        item->setText(kPathColumn,
                      QString::fromStdString(trace.GetValue(CTraceSettings::kTracePath)));
    }
}

int CTraceAdminDlg::RunSettingDialog(CTraceSettingDlg& dialog) {
    return dialog.exec();
}

void CTraceAdminDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnRun();
        return;
    }
    QDialog::keyPressEvent(event);
}

// A double-click anywhere in the list, empty space included, runs the selected trace.
bool CTraceAdminDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->m_listTraces->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        OnRun();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<std::string> CTraceAdminDlg::GetSelectedName() const {
    const QList<QTreeWidgetItem*> selected = m_ui->m_listTraces->selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return selected.first()->data(kNameColumn, kNameBytesRole).toByteArray().toStdString();
}

void CTraceAdminDlg::OnAdd() {
    CTraceSettings trace;
    {
        CTraceSettingDlg dialog(trace, "INSERT", m_catalog);
        if (RunSettingDialog(dialog) != QDialog::Accepted) {
            return;
        }
    }
    if (m_store.TraceExists(trace.GetValue(CTraceSettings::kTraceName))) {
        CMessageBoxNotifier::Show(QStringLiteral("Warning:Trace Alerady Exist!"));
        return;
    }
    m_store.GetTraces().push_back(trace);
    SaveReloadRefresh();
}

void CTraceAdminDlg::OnRemove() {
    const std::optional<std::string> name = GetSelectedName();
    if (!name) {
        return;
    }
    std::erase_if(m_store.GetTraces(), [&name](const CTraceSettings& trace) {
        return trace.GetValue(CTraceSettings::kTraceName) == *name;
    });
    SaveReloadRefresh();
}

// Every trace of the selected name is offered in list order, each in its own "Setting"
// dialog; an accepted change is saved before the next one is offered.
void CTraceAdminDlg::OnConfigure() {
    const std::optional<std::string> name = GetSelectedName();
    if (!name) {
        return;
    }
    for (std::size_t index = 0; index < m_store.GetTraces().size(); ++index) {
        if (m_store.GetTraces()[index].GetValue(CTraceSettings::kTraceName) == *name &&
            !ConfigureTrace(index)) {
            return;
        }
    }
}

// Returns false when the change could not be saved; the list is then read back from the
// file, so list, control and file agree again.
bool CTraceAdminDlg::ConfigureTrace(std::size_t index) {
    {
        CTraceSettingDlg dialog(m_store.GetTraces()[index], "UPDATE", m_catalog);
        if (RunSettingDialog(dialog) != QDialog::Accepted) {
            return true;
        }
    }
    try {
        m_store.SaveTraceList();
    } catch (const CTraceListFileError& error) {
        CMessageBoxNotifier::Show(QStringLiteral("Error in configure"),
                                  QString::fromLocal8Bit(error.what()));
        ReloadRefresh();
        return false;
    }
    ReloadRefresh();
    return true;
}

// A failed save is shown with the file's name and the reason; the old file is still whole,
// and reading it back makes the list and the control show what it holds.
void CTraceAdminDlg::SaveReloadRefresh() {
    try {
        m_store.SaveTraceList();
    } catch (const CTraceListFileError& error) {
        CMessageBoxNotifier::Show(QString::fromLocal8Bit(error.what()));
    }
    ReloadRefresh();
}

void CTraceAdminDlg::ReloadRefresh() {
    m_store.LoadTraceList();
    RefreshTraceList();
}

void CTraceAdminDlg::OnRun() {
    m_strSelectedName.clear();
    const std::optional<std::string> name = GetSelectedName();
    if (!name) {
        return;
    }
    m_strSelectedName = *name;
    accept();
}
