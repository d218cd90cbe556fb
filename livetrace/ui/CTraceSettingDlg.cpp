#include "CTraceSettingDlg.h"

#include "CAdvancedPage.h"
#include "CBasicInfoPage.h"
#include "CMessageBoxNotifier.h"
#include "ui_CTraceSettingDlg.h"

namespace {

// A trace is one line of TAB-separated fields in "trace.list", so a TAB, CR or LF pasted
// into a value would cut it there or split the line; each becomes a blank. Leading and
// trailing white space is removed.
QString CleanValue(QString text) {
    for (QChar& character : text) {
        if (character == u'\t' || character == u'\r' || character == u'\n') {
            character = u' ';
        }
    }
    return text.trimmed();
}

} // namespace

CTraceSettingDlg::CTraceSettingDlg(CTraceSettings& trace, const std::string& mode,
                                   const CCommandTypeCatalog& catalog, QWidget* owner)
    : QDialog(owner), m_ui(std::make_unique<Ui::CTraceSettingDlg>()), m_trace(trace),
      m_pBasicInfo(new CBasicInfoPage(this)), m_pAdvanced(new CAdvancedPage(catalog, this)) {
    m_ui->setupUi(this);
    connect(m_ui->m_buttons, &QDialogButtonBox::accepted, this, &CTraceSettingDlg::accept);
    connect(m_ui->m_buttons, &QDialogButtonBox::rejected, this, &CTraceSettingDlg::reject);
    m_pBasicInfo->Init(trace, mode);
    AddPage(m_pBasicInfo, QStringLiteral("BASIC INFO"));
    m_pAdvanced->Init(trace, mode);
    AddPage(m_pAdvanced, QStringLiteral("Advanced..."));
    m_ui->m_tabPages->setCurrentIndex(0);
}

CTraceSettingDlg::~CTraceSettingDlg() = default;

void CTraceSettingDlg::AddPage(QWidget* page, const QString& title) {
    m_ui->m_tabPages->addTab(page, title);
}

void CTraceSettingDlg::accept() {
    const QString name = CleanValue(m_pBasicInfo->GetName());
    if (name.isEmpty()) {
        CMessageBoxNotifier::Show(QStringLiteral("please enter the trace name"));
        return;
    }
    const QString path = CleanValue(m_pBasicInfo->GetPath());
    if (path.isEmpty()) {
        CMessageBoxNotifier::Show(QStringLiteral("please choose the trace folder"));
        return;
    }
    m_trace.SetValue(CTraceSettings::kTraceName, name.toStdString());
    m_trace.SetValue(CTraceSettings::kTracePath, path.toStdString());
    m_trace.SetValue(CTraceSettings::kSys, m_pAdvanced->IsSysChecked() ? "1" : "0");
    m_trace.SetValue(CTraceSettings::kOctCheck, m_pAdvanced->GetCheckString());
    QDialog::accept();
}
