#pragma once

#include <QObject>

#include <memory>

class QHeaderView;
class QMenu;

// The statement list header's context menu: one checked entry per column, which hides or
// shows it. The hidden columns are remembered in the profile (kSettingsKey, by their sort
// keys) and hidden again in every list made after; the last column shown cannot be hidden.
class CListColumnsMenu final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kSettingsKey = "StatementList/HiddenColumns";

    // Hides the remembered columns of `header`, and offers the menu on a right click there.
    // Belongs to the header.
    explicit CListColumnsMenu(QHeaderView& header);

    // The menu for the header as it is now.
    std::unique_ptr<QMenu> Make();

private:
    void SetShown(int column, bool shown);
    void Remember() const;

    QHeaderView& m_header;
};
