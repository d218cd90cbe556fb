#include "RowsText.h"

#include "SafeText.h"

#include <QAbstractItemView>
#include <QStringList>

#include <algorithm>

namespace {

// The column titles, as the view's horizontal heading shows them.
QStringList Headings(const QAbstractItemModel& model) {
    QStringList titles;
    for (int c = 0; c < model.columnCount(); ++c) {
        titles << RowsTextCell(model.headerData(c, Qt::Horizontal).toString());
    }
    return titles;
}

QStringList Cells(const QAbstractItemModel& model, const QModelIndex& row) {
    QStringList cells;
    for (int c = 0; c < model.columnCount(row.parent()); ++c) {
        cells << RowsTextCell(model.index(row.row(), c, row.parent()).data().toString());
    }
    return cells;
}

// Whether `a` stands above `b` in the view: rows of a tree by their places from the top.
bool Above(const QAbstractItemView& view, const QModelIndex& a, const QModelIndex& b) {
    const QRect first = view.visualRect(a);
    const QRect second = view.visualRect(b);
    if (first.isValid() && second.isValid()) {
        return first.top() < second.top();
    }
    return a.row() < b.row();
}

} // namespace

QString SelectedRowsText(const QAbstractItemView& view) {
    const QAbstractItemModel* model = view.model();
    const QItemSelectionModel* selection = view.selectionModel();
    if (model == nullptr || selection == nullptr) {
        return {};
    }
    QModelIndexList rows = selection->selectedRows();
    if (rows.isEmpty()) {
        return {};
    }
    std::sort(rows.begin(), rows.end(),
              [&view](const QModelIndex& a, const QModelIndex& b) { return Above(view, a, b); });
    QStringList lines{Headings(*model).join(u'\t')};
    for (const QModelIndex& row : rows) {
        lines << Cells(*model, row).join(u'\t');
    }
    return lines.join(u'\n') % u'\n';
}

QString RowsTextCell(const QString& text) {
    QString cell = text;
    for (QChar& c : cell) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            c = u' ';
        }
    }
    return QString::fromStdString(SpreadsheetCell(cell.toStdString()));
}
