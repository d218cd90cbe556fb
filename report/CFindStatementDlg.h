#pragma once

#include <QDialog>

#include <memory>
#include <string>

class CVelquorView;

namespace Ui {
class CFindStatementDlg;
}

// The "Find" dialog: a search value and a direction. Find searches the view and closes on a
// match; it stays open with a message when nothing matches, and does nothing for a value of
// blanks only.
class CFindStatementDlg : public QDialog {
    Q_OBJECT

public:
    // direction: CStatementFinder's up (0) or down (1).
    CFindStatementDlg(CVelquorView& view, const std::string& text, int direction,
                      QWidget* parent = nullptr);
    ~CFindStatementDlg() override;

    int GetDirection() const;
    QString GetSearchText() const;

private:
    void OnFind();

    CVelquorView& m_view;
    std::unique_ptr<Ui::CFindStatementDlg> m_ui;
};
