#pragma once

#include "CTraceSettings.h"
#include <string>

#include <QWidget>

#include <memory>
#include <string>
#include <string_view>

class CCommandTypeCatalog;

namespace Ui {
class CAdvancedPage;
}

// The "Advanced..." page of the "Setting" dialog: whether the statements of user SYS are
// shown, and one check box per command type, row i being catalogue position i. Space
// toggles the current row's box and gives the selected rows the same state.
class CAdvancedPage final : public QWidget {
    Q_OBJECT

public:
    explicit CAdvancedPage(const CCommandTypeCatalog& catalog, QWidget* parent = nullptr);
    ~CAdvancedPage() override;

    // Shows the trace's command types and SYS choice; "INSERT" then checks every row.
    void Init(const CTraceSettings& trace, const std::string& mode);
    bool IsSysChecked() const;

    // One "1" (checked) or "0" per row, in row order.
    std::string GetCheckString() const;
    // Checks row i where character i is "1"; other characters and rows past the string's
    // end are left as they are, characters past the last row are ignored.
    void SetCheckString(std::string_view bits);
    void CheckAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillCommandTypes(const CCommandTypeCatalog& catalog);
    void ToggleCurrentRow();

    std::unique_ptr<Ui::CAdvancedPage> m_ui;
};
