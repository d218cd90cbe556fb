#pragma once

#include "CVelquorDoc.h"

#include <QMdiSubWindow>

class CVelquorView;
class IViewHost;
struct COpenRequest;

// The frame of one analysis window: it owns the window's document, made from the open
// request, and its view, and is always maximised inside the main frame, whatever show state
// it is asked for.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    CChildFrame(IViewHost& host, const COpenRequest& request, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CVelquorView& View() { return *m_pView; }
    CVelquorDoc& Document() { return m_doc; }

protected:
    void changeEvent(QEvent* event) override;

private:
    CVelquorDoc m_doc;
    CVelquorView* m_pView; // the frame's widget, destroyed with it
};
