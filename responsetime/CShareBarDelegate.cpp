#include "CShareBarDelegate.h"

#include "CProfileTableModel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 2;
constexpr int kBarAlpha = 110;

} // namespace

void CShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QVariant share = index.data(CProfileTableModel::kShareRole);
    if (share.isValid()) {
        const QRect room = option.rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
        const double fraction = std::clamp(share.toDouble(), 0.0, 1.0);
        QRect bar = room;
        bar.setWidth(static_cast<int>(std::lround(room.width() * fraction)));
        const QVariant grey = index.data(Qt::ForegroundRole);
        QColor colour = grey.isValid() ? grey.value<QBrush>().color()
                                       : option.palette.color(QPalette::Highlight);
        colour.setAlpha(kBarAlpha);
        painter->fillRect(bar, colour);
    }
    QStyledItemDelegate::paint(painter, option, index);
}
