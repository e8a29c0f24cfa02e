#include "timer/times_up.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace tn {

namespace {

constexpr int kWidth = 255;
constexpr int kHeight = 120;

// Tahoma bold at 48 pixels; where Tahoma is missing, a similar sans-serif face, made smaller only
// if the wider face would not fit the text into the box.
QFont captionFont(const QString& text, int room) {
    QFont font;
    font.setFamilies(
        {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    for (int pixels = 48; pixels > 12; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= room) break;
    }
    return font;
}

}  // namespace

TTimesUp::TTimesUp(std::function<void()> onReset, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      on_reset_(std::move(onReset)) {
    setObjectName(QStringLiteral("TimesUp"));
    setWindowTitle(QStringLiteral("Time is up"));
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::black);
    setPalette(background);

    Label1 = new QLabel(QStringLiteral("Time Is Up"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(captionFont(Label1->text(), kWidth - 8));
    QPalette yellow = Label1->palette();
    yellow.setColor(QPalette::WindowText, QColor(255, 255, 0));
    Label1->setPalette(yellow);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(0, 8, kWidth, 64);

    SpTBXButton1 = new QPushButton(QStringLiteral("Reset"), this);
    SpTBXButton1->setObjectName(QStringLiteral("SpTBXButton1"));
    SpTBXButton1->setGeometry((kWidth - 75) / 2, 84, 75, 25);
    connect(SpTBXButton1, &QPushButton::clicked, this, &TTimesUp::SpTBXButton1Click);
}

void TTimesUp::showTimesUp() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void TTimesUp::dismiss() {
    hide();
}

void TTimesUp::SpTBXButton1Click() {
    if (!on_reset_) return;
    try {
        on_reset_();
    } catch (...) {
        // The box must stay usable: the parent can press "Reset" again.
    }
}

void TTimesUp::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace tn
