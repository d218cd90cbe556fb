#pragma once

#include <QTabBar>
#include <QWidget>

// The strip of window tabs under the toolbar: one tab per open list window, its data the
// window's view. Clicking a tab brings the window to the front. The right 25 pixels hold a
// close button drawn by the strip itself, which closes the selected tab's window; the rest of
// that margin is inert, so a click there never selects a tab. The owner of the windows
// selects the tab of the window in front.
class CWindowTabCtrl : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRightMargin = 25;

    explicit CWindowTabCtrl(QWidget* parent = nullptr);

    void InsertTab(int index, const QString& title, QWidget* view, const QString& tip = {});
    // Deletes the first tab whose data is `view`; false when there is none.
    bool DeleteTabOf(QWidget* view);
    int GetItemCount() const { return m_tabs.count(); }
    int GetCurSel() const { return m_tabs.currentIndex(); }
    // Selects a tab without activating its window.
    void SetCurSel(int index);
    QWidget* GetTabView(int index) const;
    QString GetTabText(int index) const { return m_tabs.tabText(index); }

    QRect CloseButtonRect() const;
    QRect RightMarginRect() const;
    bool IsPressed() const { return m_bPressed; }
    QTabBar& TabBar() { return m_tabs; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnSelChange(int index);
    void CloseSelectedWindow();
    void DrawCloseButton(QPainter& painter) const;

    QTabBar m_tabs;
    bool m_bPressed = false;
    bool m_bChangingTabs = false; // selection changes made by the program, not by the user
};
