#pragma once

#include <QString>

#include <vector>

class IWindowTabOwner;
class QWidget;

// The open list windows, in opening order. Keeps the owner's tab strip in step: one tab per
// window, same order, titled as the window was added, the view as the tab's data.
class CWindowTabList {
public:
    explicit CWindowTabList(IWindowTabOwner& owner);

    // `tip` is the tab's tool tip: what the window shows (its files or folder).
    void Add(const QString& title, QWidget* view, const QString& tip = {});
    void Remove(QWidget* view);
    int GetCount() const { return static_cast<int>(m_views.size()); }

private:
    IWindowTabOwner& m_owner;
    std::vector<QWidget*> m_views; // not owned
};
