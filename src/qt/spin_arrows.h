#pragma once

#include <QToolButton>
#include <QWidget>

namespace orvix::qt {

// A spin control: two small arrow buttons stacked beside its buddy edit. Held down, an arrow
// repeats.
class SpinArrows : public QWidget {
    Q_OBJECT

public:
    explicit SpinArrows(QWidget* parent = nullptr);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void Stepped(int delta); // +1 for the upper arrow, -1 for the lower one

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace orvix::qt
