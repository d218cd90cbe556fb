#include "CFindStatementDlg.h"

#include "CStatementFinder.h"
#include "CVelquorView.h"
#include "DisplayText.h"
#include "MessageBox.h"
#include "ui_CFindStatementDlg.h"

CFindStatementDlg::CFindStatementDlg(CVelquorView& view, const std::string& text, int direction,
                                     QWidget* parent)
    : QDialog(parent), m_view(view), m_ui(std::make_unique<Ui::CFindStatementDlg>()) {
    m_ui->setupUi(this);
    m_ui->m_editValue->setText(DecodeForDisplay(text));
    (direction == CStatementFinder::kDirectionUp ? m_ui->m_radioUp : m_ui->m_radioDown)
        ->setChecked(true);
    connect(m_ui->m_buttonFind, &QPushButton::clicked, this, &CFindStatementDlg::OnFind);
}

CFindStatementDlg::~CFindStatementDlg() = default;

int CFindStatementDlg::GetDirection() const {
    return m_ui->m_radioUp->isChecked() ? CStatementFinder::kDirectionUp
                                        : CStatementFinder::kDirectionDown;
}

QString CFindStatementDlg::GetSearchText() const {
    return m_ui->m_editValue->text();
}

void CFindStatementDlg::OnFind() {
    const QString text = m_ui->m_editValue->text().trimmed();
    if (text.isEmpty()) {
        return;
    }
    if (m_view.FindStatement(text.toUtf8().toStdString(), GetDirection()) == 1) {
        accept();
        return;
    }
    ShowMessageBox(this, QStringLiteral("Velquor"),
                   QStringLiteral("Failed to find keywords ") + text);
}
