#include "CAdvancedPage.h"

#include "CCommandTypeCatalog.h"
#include "ui_CAdvancedPage.h"

#include <QKeyEvent>

namespace {

constexpr int kCheckColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kCheckColumnWidth = 70;

} // namespace

CAdvancedPage::CAdvancedPage(const CCommandTypeCatalog& catalog, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CAdvancedPage>()) {
    m_ui->setupUi(this);
    m_ui->m_listCommandTypes->setColumnWidth(kCheckColumn, kCheckColumnWidth);
    m_ui->m_listCommandTypes->installEventFilter(this);
    FillCommandTypes(catalog);
}

CAdvancedPage::~CAdvancedPage() = default;

void CAdvancedPage::FillCommandTypes(const CCommandTypeCatalog& catalog) {
    for (const auto& [codeText, name] : catalog.Entries()) {
        auto* item = new QTreeWidgetItem(m_ui->m_listCommandTypes);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(kCheckColumn, Qt::Unchecked);
        item->setText(kNameColumn, QString::fromStdString(name));
    }
}

void CAdvancedPage::Init(const CTraceSettings& trace, const std::string& mode) {
    SetCheckString(trace.GetValue(CTraceSettings::kOctCheck));
    if (trace.GetValue(CTraceSettings::kSys) == "1") {
        m_ui->m_checkSys->setChecked(true);
    }
    if (mode == "INSERT") {
        CheckAll();
    }
}

bool CAdvancedPage::IsSysChecked() const {
    return m_ui->m_checkSys->isChecked();
}

std::string CAdvancedPage::GetCheckString() const {
    std::string bits;
    const int count = m_ui->m_listCommandTypes->topLevelItemCount();
    for (int row = 0; row < count; ++row) {
        const bool checked =
            m_ui->m_listCommandTypes->topLevelItem(row)->checkState(kCheckColumn) == Qt::Checked;
        bits += checked ? '1' : '0';
    }
    return bits;
}

void CAdvancedPage::SetCheckString(std::string_view bits) {
    const int count = m_ui->m_listCommandTypes->topLevelItemCount();
    for (int row = 0; row < count && static_cast<std::size_t>(row) < bits.size(); ++row) {
        if (bits[static_cast<std::size_t>(row)] == '1') {
            m_ui->m_listCommandTypes->topLevelItem(row)->setCheckState(kCheckColumn, Qt::Checked);
        }
    }
}

void CAdvancedPage::CheckAll() {
    const int count = m_ui->m_listCommandTypes->topLevelItemCount();
    for (int row = 0; row < count; ++row) {
        m_ui->m_listCommandTypes->topLevelItem(row)->setCheckState(kCheckColumn, Qt::Checked);
    }
}

bool CAdvancedPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->m_listCommandTypes && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && (key->modifiers() & ~Qt::KeypadModifier) == 0) {
            ToggleCurrentRow();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The current row's box changes; when that row is selected, every selected row takes its
// new state.
void CAdvancedPage::ToggleCurrentRow() {
    QTreeWidgetItem* current = m_ui->m_listCommandTypes->currentItem();
    if (current == nullptr) {
        return;
    }
    const Qt::CheckState state =
        current->checkState(kCheckColumn) == Qt::Checked ? Qt::Unchecked : Qt::Checked;
    current->setCheckState(kCheckColumn, state);
    if (!current->isSelected()) {
        return;
    }
    for (QTreeWidgetItem* item : m_ui->m_listCommandTypes->selectedItems()) {
        item->setCheckState(kCheckColumn, state);
    }
}
