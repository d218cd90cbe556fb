#include "CFrontWindow.h"

#include "CChildFrame.h"
#include "CVelquorView.h"

#include <QMdiArea>
#include <QMdiSubWindow>

CFrontWindow::CFrontWindow(QMdiArea& area, QWidget& startPage, IViewHost& host, QObject* parent)
    : QObject(parent), m_area(area), m_startPage(startPage), m_host(host) {
    ShowStartPage(true);
    connect(&m_area, &QMdiArea::subWindowActivated, this, &CFrontWindow::OnActivated);
}

CVelquorView* CFrontWindow::Open(const COpenRequest& request) {
    ShowStartPage(false);
    auto* window = new CChildFrame(m_host, request);
    m_area.addSubWindow(window);
    CVelquorDoc& doc = window->Document();
    connect(&doc, &CVelquorDoc::CommandStateChanged, this, &CFrontWindow::CommandStateChanged);
    connect(&doc, &CVelquorDoc::FolderStateChanged, this, [this, &doc](const QString& message) {
        if (&doc == Document()) {
            emit FolderStateChanged(message);
        }
    });
    // What shows the closing window's statement lets go of it at once; the area tells the
    // next window in front only once the window is gone.
    connect(window, &QObject::destroyed, this, &CFrontWindow::WindowDestroyed);
    connect(window, &QObject::destroyed, this, &CFrontWindow::OnWindowsChanged,
            Qt::QueuedConnection);
    window->showMaximized();
    m_area.setActiveSubWindow(window);
    CVelquorView& view = window->View();
    view.OnInitialUpdate();
    OnWindowsChanged();
    return &view;
}

CVelquorView* CFrontWindow::View() const {
    QMdiSubWindow* window = m_area.currentSubWindow();
    return window != nullptr ? qobject_cast<CVelquorView*>(window->widget()) : nullptr;
}

CVelquorDoc* CFrontWindow::Document() const {
    auto* window = qobject_cast<CChildFrame*>(m_area.currentSubWindow());
    return window != nullptr ? &window->Document() : nullptr;
}

bool CFrontWindow::HasWindows() const {
    return !m_area.subWindowList().isEmpty();
}

void CFrontWindow::OnActivated(QMdiSubWindow* window) {
    const bool another = window != nullptr && window != m_lastActivated;
    if (another) {
        m_lastActivated = window;
    }
    ShowMaximised();
    emit Changed(another);
}

// After a window opened or closed: the start page while none is left, else a window in
// front, the one activated last when the area left none there.
void CFrontWindow::OnWindowsChanged() {
    const QList<QMdiSubWindow*> windows = m_area.subWindowList(QMdiArea::ActivationHistoryOrder);
    ShowStartPage(windows.isEmpty());
    if (m_area.currentSubWindow() == nullptr && !windows.isEmpty()) {
        m_area.setActiveSubWindow(windows.constLast());
    }
    ShowMaximised();
    emit Changed(false);
}

void CFrontWindow::ShowMaximised() {
    QMdiSubWindow* front = m_area.currentSubWindow();
    if (front != nullptr && !front->isMaximized()) {
        front->showMaximized();
    }
}

void CFrontWindow::ShowStartPage(bool show) {
    m_startPage.setVisible(show);
    m_area.setVisible(!show);
}
