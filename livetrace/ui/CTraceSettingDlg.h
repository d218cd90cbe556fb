#pragma once

#include "CTraceSettings.h"
#include <string>

#include <QDialog>

#include <memory>

class CAdvancedPage;
class CBasicInfoPage;
class CCommandTypeCatalog;

namespace Ui {
class CTraceSettingDlg;
}

// The "Setting" dialog: edits one live trace on the pages "BASIC INFO" and "Advanced...".
// The trace is written only when OK passes its checks; Cancel leaves it untouched.
class CTraceSettingDlg final : public QDialog {
    Q_OBJECT

public:
    // mode: "INSERT" edits a new, empty trace; "UPDATE" edits a stored one in place.
    CTraceSettingDlg(CTraceSettings& trace, const std::string& mode,
                     const CCommandTypeCatalog& catalog, QWidget* owner = nullptr);
    ~CTraceSettingDlg() override;

    // OK: refuses an empty name or folder (after trimming), else stores all four values.
    // TAB, CR and LF in the name or folder become blanks: "trace.list" cannot hold them.
    void accept() override;

    CAdvancedPage& GetAdvancedPage() { return *m_pAdvanced; }

private:
    void AddPage(QWidget* page, const QString& title);

    std::unique_ptr<Ui::CTraceSettingDlg> m_ui;
    CTraceSettings& m_trace;
    // Both pages belong to the tab widget.
    CBasicInfoPage* m_pBasicInfo;
    CAdvancedPage* m_pAdvanced;
};
