#include "qt/list_columns.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace orvix::qt {

void ListColumns::SetStops(QList<int> stops, int defaultStop) {
    stops_ = std::move(stops);
    defaultStop_ = std::max(1, defaultStop);
}

int ListColumns::ColumnStart(int column) const {
    if (column <= 0) {
        return 0;
    }
    if (column <= stops_.size()) {
        return stops_[column - 1];
    }
    return ColumnStart(column - 1) + defaultStop_;
}

void ListColumns::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStringList columns = item.text.split(QLatin1Char('\t'));
    item.text.clear(); // the style draws the background, the selection and the focus alone
    const QWidget* widget = item.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    // Half a character in from the frame, as the platform's list box draws its text.
    const int gap = item.fontMetrics.averageCharWidth();
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                           .adjusted(gap / 2, 0, 0, 0);
    const QPalette::ColorRole role =
        (item.state & QStyle::State_Selected) != 0 ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        (item.state & QStyle::State_Enabled) != 0 ? QPalette::Normal : QPalette::Disabled, role));
    for (int i = 0; i < columns.size(); ++i) {
        const int left = text.left() + ColumnStart(i);
        const int right =
            i + 1 < columns.size() ? text.left() + ColumnStart(i + 1) - gap : text.right();
        if (right <= left) {
            continue;
        }
        const QRect cell(left, text.top(), right - left + 1, text.height());
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                          item.fontMetrics.elidedText(columns[i], Qt::ElideRight, cell.width()));
    }
    painter->restore();
}

} // namespace orvix::qt
