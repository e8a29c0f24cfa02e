#include "timer/timer_controls.h"

#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QTimer>

namespace tn {

TimerControls::TimerControls(QWidget* window, Hooks hooks) : QObject(window), hooks_(std::move(hooks)) {
    TimeLabel = new QLabel(QStringLiteral("00:00:00"), window);
    TimeLabel->setObjectName(QStringLiteral("TimeLabel"));
    TimeLabel->setToolTip(QStringLiteral("Computer Time Remaining"));
    TimeLabel->setAttribute(Qt::WA_TranslucentBackground);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(15);
    TimeLabel->setFont(font);
    TimeLabel->hide();
    setColour(TimerColour::Lime);
    // Lime and yellow on the light sky need a dark halo to be read.
    auto* halo = new QGraphicsDropShadowEffect(TimeLabel);
    halo->setOffset(0, 0);
    halo->setBlurRadius(6);
    halo->setColor(Qt::black);
    TimeLabel->setGraphicsEffect(halo);

    ParentTimer = new QTimer(this);
    ParentTimer->setObjectName(QStringLiteral("ParentTimer"));
    ParentTimer->setInterval(1000);
    ParentTimer->setTimerType(Qt::PreciseTimer);
    connect(ParentTimer, &QTimer::timeout, this, [this] { ParentTimerTimer(); });
    TimerColorWarning = new QTimer(this);
    TimerColorWarning->setObjectName(QStringLiteral("TimerColorWarning"));
    TimerColorWarning->setInterval(250);
    connect(TimerColorWarning, &QTimer::timeout, this, [this] { TimerColorWarningTimer(); });
}

void TimerControls::setColour(TimerColour colour) {
    const auto rgb = static_cast<std::uint32_t>(colour);
    TimeLabel->setStyleSheet(QStringLiteral("color: #%1; background: transparent;")
                                 .arg(static_cast<qulonglong>(rgb), 6, 16, QLatin1Char('0')));
}

void TimerControls::sync() {
    TimeLabel->setText(QString::fromStdString(timer_.labelText()));
    TimeLabel->adjustSize();
    TimeLabel->setVisible(timer_.labelVisible());
    if (!timer_.blinking()) setColour(timer_.labelColour());
    // Start a timer only when it is off, so a sync never shifts the running second.
    if (timer_.counting() != ParentTimer->isActive())
        timer_.counting() ? ParentTimer->start() : ParentTimer->stop();
    if (timer_.blinking() != TimerColorWarning->isActive())
        timer_.blinking() ? TimerColorWarning->start() : TimerColorWarning->stop();
    if (hooks_.changed) hooks_.changed();
}

void TimerControls::ParentTimerTimer() {
    const TickEvents events = timer_.tick();
    sync();
    if (events.play_tick_sound && hooks_.play_tick) hooks_.play_tick();
    if (events.time_up && hooks_.time_up) hooks_.time_up();
}

void TimerControls::TimerColorWarningTimer() {
    if (!timer_.blinking()) return;
    setColour(timer_.blinkStep());
}

}  // namespace tn
