#pragma once

#include <QStatusBar>

class QLabel;

// The main frame's status bar: the message pane, which shows "Ready" (or what the window in
// front has to say while it lasts) whenever no prompt or message covers it, and the "CAP",
// "NUM" and "SCRL" indicators, drawn greyed while their lock is off. The lock states are
// known only from the X11 key state that the xcb platform reports with each key, so
// elsewhere the indicators stay greyed.
class CMainStatusBar : public QStatusBar {
    Q_OBJECT

public:
    explicit CMainStatusBar(QWidget* parent = nullptr);
    ~CMainStatusBar() override;

    // Shown instead of "Ready" until it is set empty again.
    void SetWindowNote(const QString& note);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* AddIndicator(const QString& text);
    void UpdateLockIndicators(quint32 nativeModifiers);

    QLabel* m_labelIdle; // "Ready" or the window's note
    QLabel* m_indicatorCaps;
    QLabel* m_indicatorNum;
};
