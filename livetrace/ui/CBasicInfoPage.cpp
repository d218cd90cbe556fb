#include "CBasicInfoPage.h"

#include "CFolderPicker.h"
#include "ui_CBasicInfoPage.h"

CBasicInfoPage::CBasicInfoPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CBasicInfoPage>()) {
    m_ui->setupUi(this);
    connect(m_ui->m_btnBrowse, &QPushButton::clicked, this, &CBasicInfoPage::OnBrowse);
}

CBasicInfoPage::~CBasicInfoPage() = default;

void CBasicInfoPage::Init(const CTraceSettings& trace, const std::string& mode) {
    if (mode != "UPDATE") {
        return;
    }
    m_ui->m_editPath->setText(QString::fromStdString(trace.GetValue(CTraceSettings::kTracePath)));
    m_ui->m_editName->setText(QString::fromStdString(trace.GetValue(CTraceSettings::kTraceName)));
}

QString CBasicInfoPage::GetName() const {
    return m_ui->m_editName->text();
}

QString CBasicInfoPage::GetPath() const {
    return m_ui->m_editPath->text();
}

void CBasicInfoPage::OnBrowse() {
    CFolderPicker picker(QStringLiteral("Please select the trace folder"));
    if (picker.exec() == QDialog::Accepted) {
        m_ui->m_editPath->setText(picker.GetResultPath());
    }
}
