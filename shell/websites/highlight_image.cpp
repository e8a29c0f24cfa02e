#include "websites/highlight_image.h"

#include <QMouseEvent>

namespace tn {

THighlightImage::THighlightImage(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void THighlightImage::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    Q_EMIT mouseEntered();
}

void THighlightImage::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    Q_EMIT mouseLeft();
}

void THighlightImage::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    Q_EMIT mouseMoved();
}

void THighlightImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT mousePressed();
}

void THighlightImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    Q_EMIT mouseReleased();
    // A click is a release over the control, as a button counts it.
    if (rect().contains(event->position().toPoint())) Q_EMIT clicked();
}

}  // namespace tn
