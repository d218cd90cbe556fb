#pragma once

class CWindowTabCtrl;

// What the window tab list needs from the frame that owns it.
class IWindowTabOwner {
public:
    virtual ~IWindowTabOwner() = default;

    // The tab strip, or nullptr while it does not exist yet.
    virtual CWindowTabCtrl* TabCtrl() = 0;
    // Places the strip's bar and stretches the strip over it.
    virtual void LayoutTabBar() = 0;
    // Shows the strip's bar while at least one window is open, hides it otherwise.
    virtual void UpdateTabBarVisibility() = 0;
};
