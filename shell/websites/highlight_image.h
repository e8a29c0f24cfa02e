#pragma once

#include <QLabel>

namespace tn {

// A picture that reports the pointer entering, leaving and moving over it and the mouse button
// going down, up and clicking; it has no behaviour of its own. The picture is stretched to the
// control's size, without keeping its proportions.
class THighlightImage final : public QLabel {
    Q_OBJECT
public:
    explicit THighlightImage(QWidget* parent = nullptr);

Q_SIGNALS:
    void mouseEntered();
    void mouseLeft();
    void mouseMoved();
    void mousePressed();
    void mouseReleased();
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace tn
