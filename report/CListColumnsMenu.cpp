#include "CListColumnsMenu.h"

#include "CStatementColumns.h"
#include "DisplayText.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QSettings>
#include <QStringList>

namespace {

QString SortKeyOf(int column) {
    return DecodeForDisplay(CStatementColumns::At(column).sortKey);
}

} // namespace

CListColumnsMenu::CListColumnsMenu(QHeaderView& header) : QObject(&header), m_header(header) {
    const QStringList hidden = QSettings().value(QLatin1String(kSettingsKey)).toStringList();
    for (int column = 0; column < CStatementColumns::kCount; ++column) {
        m_header.setSectionHidden(column, hidden.contains(SortKeyOf(column)));
    }
    m_header.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_header, &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& at) { Make()->exec(m_header.viewport()->mapToGlobal(at)); });
}

std::unique_ptr<QMenu> CListColumnsMenu::Make() {
    auto menu = std::make_unique<QMenu>();
    int shown = 0;
    for (int column = 0; column < CStatementColumns::kCount; ++column) {
        shown += m_header.isSectionHidden(column) ? 0 : 1;
    }
    for (int column = 0; column < CStatementColumns::kCount; ++column) {
        QAction* entry = menu->addAction(DecodeForDisplay(CStatementColumns::At(column).title));
        entry->setCheckable(true);
        entry->setChecked(!m_header.isSectionHidden(column));
        entry->setEnabled(m_header.isSectionHidden(column) || shown > 1);
        connect(entry, &QAction::toggled, this,
                [this, column](bool checked) { SetShown(column, checked); });
    }
    return menu;
}

void CListColumnsMenu::SetShown(int column, bool shown) {
    m_header.setSectionHidden(column, !shown);
    Remember();
}

void CListColumnsMenu::Remember() const {
    QStringList hidden;
    for (int column = 0; column < CStatementColumns::kCount; ++column) {
        if (m_header.isSectionHidden(column)) {
            hidden.append(SortKeyOf(column));
        }
    }
    QSettings().setValue(QLatin1String(kSettingsKey), hidden);
}
