#pragma once

#include <QStyledItemDelegate>

// Draws a cell over a horizontal bar as long, across the cell, as the share of R the cell's
// CProfileTableModel::kShareRole gives (none without a share; a share outside 0 to 1 is kept
// within it). The bar of a greyed row is grey.
class CShareBarDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
