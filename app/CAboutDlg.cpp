#include "CAboutDlg.h"

#include "CStaticLink.h"
#include "CUserGuide.h"
#include "ui_CAboutDlg.h"

#include <QStringBuilder>

// VELQUOR_VERSION is the project's version; VELQUOR_SUPPORT_EMAIL the support address
// the build was configured with, empty when there is none.
CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent), m_pUi(std::make_unique<Ui::CAboutDlg>()) {
    m_pUi->setupUi(this);
    m_pUi->versionLabel->setText(QStringLiteral("Velquor Version ") %
                                 QStringLiteral(VELQUOR_VERSION));
    SetWebSiteTarget();
    SetSupportAddress(QStringLiteral(VELQUOR_SUPPORT_EMAIL));
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::SetSupportAddress(const QString& strAddress) {
    CStaticLink* pMailLink = m_pUi->mailLink;
    pMailLink->setText(strAddress);
    pMailLink->Link().SetTarget(strAddress.isEmpty() ? QString()
                                                     : QStringLiteral("mailto:") % strAddress);
    pMailLink->setVisible(!strAddress.isEmpty());
}

// The product has no public web site: link 1020 opens the user guide the Help menu opens.
// When no guide is found the link keeps no target and a click only beeps.
void CAboutDlg::SetWebSiteTarget() {
    const QUrl guideUrl = CUserGuide().Url();
    m_pUi->webSiteLink->Link().SetTarget(guideUrl.toString());
    m_pUi->webSiteLink->setToolTip(guideUrl.isEmpty() ? QLatin1String(CUserGuide::s_szFileName) %
                                                            QStringLiteral(" was not found")
                                                      : guideUrl.toLocalFile());
}
