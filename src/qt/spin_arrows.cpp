#include "qt/spin_arrows.h"

#include <QResizeEvent>

namespace orvix::qt {

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const QString& name) {
    auto* button = new QToolButton(parent);
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
