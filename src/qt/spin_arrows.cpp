#include "qt/spin_arrows.h"

#include <algorithm>

#include <QPainter>
#include <QPolygonF>
#include <QResizeEvent>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace orvix::qt {

namespace {

// A tool button whose arrow grows with the button: the style draws a fixed-size arrow, lost in
// the tall buttons of a large dialog font.
class ArrowButton : public QToolButton {
public:
    ArrowButton(QWidget* parent, bool up) : QToolButton(parent), up_(up) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.arrowType = Qt::NoArrow;
        painter.drawComplexControl(QStyle::CC_ToolButton, option);

        const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
        const double half = std::max(2.0, std::min(area.width() * 0.3, area.height() * 0.3));
        const QPointF centre = area.center();
        const double tip = up_ ? -half / 2 : half / 2;
        const QPolygonF arrow{QPointF(centre.x() - half, centre.y() - tip),
                              QPointF(centre.x() + half, centre.y() - tip),
                              QPointF(centre.x(), centre.y() + tip)};
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(option.palette.color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                              QPalette::ButtonText));
        painter.drawPolygon(arrow);
    }

private:
    bool up_;
};

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const QString& name) {
    auto* button = new ArrowButton(parent, arrow == Qt::UpArrow);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // The buddy edit keeps the focus, as with the platform's up-down control.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

SpinArrows::SpinArrows(QWidget* parent)
    : QWidget(parent), up_(MakeArrow(this, Qt::UpArrow, QStringLiteral("up"))),
      down_(MakeArrow(this, Qt::DownArrow, QStringLiteral("down"))) {
    connect(up_, &QToolButton::clicked, this, [this] { emit Stepped(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { emit Stepped(-1); });
}

void SpinArrows::resizeEvent(QResizeEvent* event) {
    const int width = event->size().width();
    const int height = event->size().height();
    const int upper = height / 2;
    up_->setGeometry(0, 0, width, upper);
    down_->setGeometry(0, upper, width, height - upper);
    QWidget::resizeEvent(event);
}

} // namespace orvix::qt
