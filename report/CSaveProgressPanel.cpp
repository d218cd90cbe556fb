#include "CSaveProgressPanel.h"

#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

constexpr int kProgressRange = 1000;
constexpr int kProgressWidth = 220;

} // namespace

CSaveProgressPanel::CSaveProgressPanel(QStatusBar& bar, const QString& fileName,
                                       std::function<void()> cancel)
    : QObject(&bar) {
    m_progressBar = new QProgressBar(&bar);
    m_progressBar->setObjectName(QStringLiteral("saveProgress"));
    m_progressBar->setRange(0, kProgressRange);
    m_progressBar->setValue(0);
    m_progressBar->setFormat(QStringLiteral("Saving ") % fileName % QStringLiteral(" %p%"));
    m_progressBar->setMinimumWidth(kProgressWidth);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), &bar);
    m_cancelButton->setObjectName(QStringLiteral("saveCancel"));
    connect(m_cancelButton, &QPushButton::clicked, this, [this, cancel = std::move(cancel)] {
        m_cancelButton->setEnabled(false);
        cancel();
    });
    bar.addPermanentWidget(m_progressBar);
    bar.addPermanentWidget(m_cancelButton);
}

CSaveProgressPanel::~CSaveProgressPanel() {
    delete m_progressBar.data();
    delete m_cancelButton.data();
}

void CSaveProgressPanel::SetProgress(std::int64_t written, std::int64_t total) {
    if (m_progressBar && total > 0) {
        m_progressBar->setValue(static_cast<int>(written * kProgressRange / total));
    }
}
