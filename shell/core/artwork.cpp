#include "core/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>

namespace tn::artwork {

void paintBackground(QPainter& p, const QRect& area) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, QColor(255, 236, 120));
    sky.setColorAt(0.45, QColor(255, 248, 196));
    sky.setColorAt(1.0, QColor(190, 232, 255));
    p.fillRect(area, sky);

    // Two rolling hills along the bottom, drawn relative to the area so any screen looks the same.
    const qreal w = area.width();
    const qreal h = area.height();
    const QPointF o = area.topLeft();
    auto hill = [&](qreal base, qreal amplitude, qreal phase, const QColor& colour) {
        QPainterPath path(o + QPointF(0, h));
        for (int i = 0; i <= 48; ++i) {
            const qreal x = w * i / 48.0;
            path.lineTo(o + QPointF(x, h * base - h * amplitude * qSin(phase + 2 * M_PI * i / 48.0)));
        }
        path.lineTo(o + QPointF(w, h));
        path.closeSubpath();
        p.fillPath(path, colour);
    };
    hill(0.86, 0.03, 0.0, QColor(150, 214, 120, 150));
    hill(0.93, 0.025, 1.7, QColor(110, 190, 90, 170));

    // A few soft bubbles.
    const struct {
        qreal x, y, r;
        QColor c;
    } bubbles[] = {{0.12, 0.30, 0.05, QColor(255, 160, 200, 60)},
                   {0.82, 0.22, 0.07, QColor(140, 200, 255, 60)},
                   {0.55, 0.55, 0.04, QColor(255, 200, 120, 60)},
                   {0.30, 0.70, 0.06, QColor(180, 140, 255, 50)}};
    p.setPen(Qt::NoPen);
    for (const auto& b : bubbles) {
        const qreal r = b.r * qMin(w, h) * 2;
        QRadialGradient g(o + QPointF(b.x * w, b.y * h), r);
        g.setColorAt(0, b.c);
        g.setColorAt(1, QColor(b.c.red(), b.c.green(), b.c.blue(), 0));
        p.setBrush(g);
        p.drawEllipse(o + QPointF(b.x * w, b.y * h), r, r);
    }
    p.restore();
}

QPixmap logo() {
    QPixmap pm(290, 74);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("DejaVu Sans"), 30, QFont::Black);
    p.setFont(f);
    static const QColor colours[] = {QColor(230, 60, 60), QColor(245, 150, 30), QColor(60, 170, 80),
                                     QColor(40, 120, 220), QColor(150, 70, 200)};
    const QString text = QStringLiteral("Tumblenest");
    qreal x = 8;
    for (int i = 0; i < text.size(); ++i) {
        const QString letter = text.mid(i, 1);
        // Letters bob up and down a little, like building blocks.
        const qreal y = 52 + ((i % 2) ? -4 : 3);
        p.setPen(QPen(QColor(255, 255, 255), 5));
        QPainterPath path;
        path.addText(x, y, f, letter);
        p.drawPath(path);
        p.fillPath(path, colours[i % 5]);
        x += p.fontMetrics().horizontalAdvance(letter) + 1;
    }
    return pm;
}

QPixmap gears(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    const qreal outer = size * 0.48;
    const qreal inner = size * 0.36;
    QPainterPath wheel;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        // Each tooth: two points on the outer radius, two on the inner one.
        const qreal r = (i % 4 < 2) ? outer : inner;
        const qreal a = 2 * M_PI * (i + 0.5) / (teeth * 4);
        const QPointF pt = c + QPointF(r * qCos(a), r * qSin(a));
        if (i == 0) {
            wheel.moveTo(pt);
        } else {
            wheel.lineTo(pt);
        }
    }
    wheel.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, size * 0.14, size * 0.14);
    p.fillPath(wheel.subtracted(hole), QColor(90, 100, 120));
    return pm;
}

}  // namespace tn::artwork

namespace tn::artwork {

QPixmap arrow(bool pointing_left, int w, int h, bool dark) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const qreal m = 4;
    if (pointing_left) {
        path.moveTo(w - m, m);
        path.lineTo(m, h / 2.0);
        path.lineTo(w - m, h - m);
    } else {
        path.moveTo(m, m);
        path.lineTo(w - m, h / 2.0);
        path.lineTo(m, h - m);
    }
    path.closeSubpath();
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.setBrush(dark ? QColor(200, 90, 20) : QColor(250, 140, 40));
    p.drawPath(path);
    return pm;
}

QPixmap placeholder(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(QColor(255, 250, 220));
    QPainter p(&pm);
    p.setPen(QPen(QColor(230, 200, 120), 2, Qt::DashLine));
    p.drawRect(QRectF(1, 1, w - 2, h - 2));
    return pm;
}

}  // namespace tn::artwork

namespace tn::artwork {

QPixmap house(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath roof;
    roof.moveTo(w * 0.08, h * 0.48);
    roof.lineTo(w * 0.5, h * 0.08);
    roof.lineTo(w * 0.92, h * 0.48);
    roof.closeSubpath();
    p.fillPath(roof, QColor(220, 70, 60));
    p.fillRect(QRectF(w * 0.2, h * 0.46, w * 0.6, h * 0.46), QColor(250, 200, 90));
    p.fillRect(QRectF(w * 0.42, h * 0.62, w * 0.16, h * 0.3), QColor(120, 80, 40));
    return pm;
}

QPixmap desktop(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF screen(w * 0.05, h * 0.05, w * 0.9, h * 0.72);
    p.setBrush(QColor(60, 130, 210));
    p.setPen(QPen(QColor(40, 50, 70), 3));
    p.drawRoundedRect(screen, 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRect(QRectF(w * 0.14, h * 0.16, w * 0.34, h * 0.3));
    p.drawRect(QRectF(w * 0.52, h * 0.32, w * 0.34, h * 0.34));
    p.setBrush(QColor(40, 50, 70));
    p.drawRect(QRectF(w * 0.42, h * 0.77, w * 0.16, h * 0.1));
    p.drawRect(QRectF(w * 0.3, h * 0.87, w * 0.4, h * 0.06));
    return pm;
}

}  // namespace tn::artwork

namespace tn::artwork {

QPixmap adminBackground(int w, int h) {
    QPixmap pm(std::max(1, w), std::max(1, h));
    QPainter p(&pm);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(20, 40, 120));
    sky.setColorAt(1, QColor(10, 20, 70));
    p.fillRect(pm.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 10));
    for (int x = -h; x < w; x += 120) {
        const QPointF band[] = {
            {double(x), double(h)}, {double(x + h), 0}, {double(x + h + 50), 0}, {double(x + 50), double(h)}};
        p.drawPolygon(band, 4);
    }
    return pm;
}

QPixmap questionMark(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 200, 40));
    p.setPen(QPen(QColor(90, 60, 10), std::max(1, size / 16)));
    p.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(size * 2 / 3);
    p.setFont(f);
    p.setPen(QColor(90, 60, 10));
    p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
    return pm;
}

}  // namespace tn::artwork
