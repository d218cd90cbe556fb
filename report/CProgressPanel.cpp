#include "CProgressPanel.h"

#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

constexpr int kProgressRange = 1000;
constexpr int kProgressWidth = 220;

} // namespace

CProgressPanel::CProgressPanel(QStatusBar& bar, const QString& name, const QString& format)
    : QObject(&bar) {
    m_progressBar = new QProgressBar(&bar);
    m_progressBar->setObjectName(name % QStringLiteral("Progress"));
    m_progressBar->setRange(0, kProgressRange);
    m_progressBar->setValue(0);
    m_progressBar->setFormat(format);
    m_progressBar->setMinimumWidth(kProgressWidth);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), &bar);
    m_cancelButton->setObjectName(name % QStringLiteral("Cancel"));
    connect(m_cancelButton, &QPushButton::clicked, this, &CProgressPanel::Cancelled);
    bar.addPermanentWidget(m_progressBar);
    bar.addPermanentWidget(m_cancelButton);
}

CProgressPanel::~CProgressPanel() {
    delete m_progressBar.data();
    delete m_cancelButton.data();
}

void CProgressPanel::SetProgress(std::int64_t done, std::int64_t total) {
    if (m_progressBar && total > 0) {
        m_progressBar->setValue(static_cast<int>(done * kProgressRange / total));
    }
}
