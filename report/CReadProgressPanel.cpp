#include "CReadProgressPanel.h"

#include "CProgressPanel.h"
#include "CVelquorDoc.h"
#include "DisplayText.h"

#include <QStatusBar>

namespace {

constexpr int kStatusMessageMs = 5000;

} // namespace

CReadProgressPanel::CReadProgressPanel(CVelquorDoc& doc, QStatusBar& bar) : m_bar(bar) {
    m_panel = new CProgressPanel(bar, QStringLiteral("read"),
                                 DecodeForDisplay(doc.GetTitle()) % QStringLiteral(" %p%"));
    connect(m_panel, &CProgressPanel::Cancelled, &doc, &CVelquorDoc::CancelRead);
    connect(&doc, &CVelquorDoc::ReadProgress, this, &CReadProgressPanel::OnProgress);
    connect(&doc, &CVelquorDoc::ReadFinished, this, &CReadProgressPanel::OnFinished);
}

CReadProgressPanel::~CReadProgressPanel() {
    Remove();
}

void CReadProgressPanel::OnProgress(std::int64_t done, std::int64_t total) {
    if (m_panel) {
        m_panel->SetProgress(done, total);
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
    delete m_panel.data();
}
