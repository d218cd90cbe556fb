#include "CWindowTabList.h"

#include "CWindowTabCtrl.h"
#include "IWindowTabOwner.h"

#include <algorithm>

CWindowTabList::CWindowTabList(IWindowTabOwner& owner) : m_owner(owner) {}

void CWindowTabList::Add(const QString& title, QWidget* view, const QString& tip) {
    m_views.push_back(view);
    if (CWindowTabCtrl* tabs = m_owner.TabCtrl()) {
        tabs->InsertTab(tabs->GetItemCount(), title, view, tip);
        m_owner.LayoutTabBar();
    }
    m_owner.UpdateTabBarVisibility();
}

void CWindowTabList::Remove(QWidget* view) {
    if (m_views.empty()) {
        return;
    }
    if (CWindowTabCtrl* tabs = m_owner.TabCtrl()) {
        tabs->DeleteTabOf(view);
    }
    const auto found = std::find(m_views.begin(), m_views.end(), view);
    if (found == m_views.end()) {
        return;
    }
    m_views.erase(found);
    m_owner.UpdateTabBarVisibility();
}
