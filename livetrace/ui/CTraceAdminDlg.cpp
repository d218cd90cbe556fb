#include "CTraceAdminDlg.h"

#include "CTraceListFileError.h"
#include "CTraceSettingDlg.h"
#include "ui_CTraceAdminDlg.h"

#include <QKeyEvent>

#include <algorithm>
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

// The new trace is added to the list as the file holds it now, and refused when a trace of
// its name is there by then.
void CTraceAdminDlg::OnAdd() {
    CTraceSettings trace;
    {
        CTraceSettingDlg dialog(trace, "INSERT", m_catalog);
        if (RunSettingDialog(dialog) != QDialog::Accepted) {
            return;
        }
    }
    const std::string name = trace.GetValue(CTraceSettings::kTraceName);
    bool exists = false;
    ChangeReloadRefresh([this, &trace, &name, &exists] {
        exists = m_store.TraceExists(name);
        if (!exists) {
            m_store.GetTraces().push_back(trace);
        }
        return !exists;
    });
    if (exists) {
        CMessageBoxNotifier::Show(QStringLiteral("Warning:Trace Alerady Exist!"));
    }
}

void CTraceAdminDlg::OnRemove() {
    const std::optional<std::string> name = GetSelectedName();
    if (!name) {
        return;
    }
    ChangeReloadRefresh([this, &name] {
        std::erase_if(m_store.GetTraces(), [&name](const CTraceSettings& trace) {
            return trace.GetValue(CTraceSettings::kTraceName) == *name;
        });
        return true;
    });
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

// The edited trace replaces the same trace in the list as the file holds it now: the one
// with the values it was offered with (the same occurrence of them, should there be equal
// traces). Returns false when the change could not be saved, or the trace was changed or
// removed meanwhile; the list is then read back from the file, so list, control and file
// agree again.
bool CTraceAdminDlg::ConfigureTrace(std::size_t index) {
    const std::vector<CTraceSettings>& shown = m_store.GetTraces();
    const CTraceSettings offered = shown[index];
    const auto occurrence = std::count(shown.begin(), shown.begin() + index, offered);
    CTraceSettings edited = offered;
    {
        CTraceSettingDlg dialog(edited, "UPDATE", m_catalog);
        if (RunSettingDialog(dialog) != QDialog::Accepted) {
            return true;
        }
    }
    QString problem;
    try {
        const bool saved = m_store.ChangeTraceList([this, &offered, occurrence, &edited] {
            std::vector<CTraceSettings>& traces = m_store.GetTraces();
            auto it = std::find(traces.begin(), traces.end(), offered);
            for (auto skip = occurrence; skip > 0 && it != traces.end(); --skip) {
                it = std::find(it + 1, traces.end(), offered);
            }
            if (it == traces.end()) {
                return false;
            }
            *it = edited;
            return true;
        });
        if (!saved) {
            problem = QStringLiteral("Another program changed or removed this trace meanwhile; "
                                     "nothing was saved.");
        }
    } catch (const CTraceListFileError& error) {
        problem = QString::fromLocal8Bit(error.what());
    }
    if (!problem.isEmpty()) {
        CMessageBoxNotifier::Show(QStringLiteral("Error in configure"), problem);
    }
    ReloadRefresh();
    return problem.isEmpty();
}

// Makes a change to the list as the file holds it now and saves it (CTraceListStore::
// ChangeTraceList). A failed save is shown with the file's name and the reason; the old file
// is still whole, and reading it back makes the list and the control show what it holds.
void CTraceAdminDlg::ChangeReloadRefresh(const std::function<bool()>& change) {
    try {
        m_store.ChangeTraceList(change);
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
