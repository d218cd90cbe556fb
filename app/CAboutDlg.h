#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}

// The About box: the program's picture, its version, a link to the user guide (the
// product's web site, there being no public one) and, when one is configured, a link
// that writes to the support address.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
    ~CAboutDlg() override;

    // The mail link (1021) targets "mailto:" and the address; without one it is hidden.
    void SetSupportAddress(const QString& strAddress);

private:
    void SetWebSiteTarget();

    std::unique_ptr<Ui::CAboutDlg> m_pUi;
};
