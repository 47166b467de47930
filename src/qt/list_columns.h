#pragma once

#include <QList>
#include <QStyledItemDelegate>

namespace orvix::qt {

// Draws a list box's items as columns: each tab-separated part of an item's text starts at its
// tab stop and is cut short with an ellipsis where the next column begins, so that the rows of
// a list line up whatever their lengths.
class ListColumns : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Where the second, third, ... column starts, in pixels from the text's left edge; a column
    // with no stop of its own starts defaultStop pixels after the one before it.
    void SetStops(QList<int> stops, int defaultStop);
    // Where column `column` (0 for the first) starts.
    int ColumnStart(int column) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QList<int> stops_;
    int defaultStop_ = 64;
};

} // namespace orvix::qt
