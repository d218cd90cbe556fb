#include "CReadProgressPanel.h"

#include "CVelquorDoc.h"
#include "DisplayText.h"

#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

constexpr int kProgressRange = 1000;
constexpr int kStatusMessageMs = 5000;
constexpr int kProgressWidth = 220;

} // namespace

CReadProgressPanel::CReadProgressPanel(CVelquorDoc& doc, QStatusBar& bar) : m_bar(bar) {
    m_progressBar = new QProgressBar(&bar);
    m_progressBar->setObjectName(QStringLiteral("readProgress"));
    m_progressBar->setRange(0, kProgressRange);
    m_progressBar->setValue(0);
    m_progressBar->setFormat(DecodeForDisplay(doc.GetTitle()) % QStringLiteral(" %p%"));
    m_progressBar->setMinimumWidth(kProgressWidth);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), &bar);
    m_cancelButton->setObjectName(QStringLiteral("readCancel"));
    connect(m_cancelButton, &QPushButton::clicked, &doc, &CVelquorDoc::CancelRead);
    connect(&doc, &CVelquorDoc::ReadProgress, this, &CReadProgressPanel::OnProgress);
    connect(&doc, &CVelquorDoc::ReadFinished, this, &CReadProgressPanel::OnFinished);
    bar.addPermanentWidget(m_progressBar);
    bar.addPermanentWidget(m_cancelButton);
}

CReadProgressPanel::~CReadProgressPanel() {
    Remove();
}

void CReadProgressPanel::OnProgress(std::int64_t done, std::int64_t total) {
    if (m_progressBar && total > 0) {
        m_progressBar->setValue(static_cast<int>(done * kProgressRange / total));
    }
}

void CReadProgressPanel::OnFinished(bool partial) {
    if (partial) {
        m_bar.showMessage(
            QStringLiteral("Reading cancelled: only the statements read until then are listed."),
            kStatusMessageMs);
    }
    Remove();
}

void CReadProgressPanel::Remove() {
    delete m_progressBar.data();
    delete m_cancelButton.data();
}
