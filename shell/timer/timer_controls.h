#pragma once

#include <QObject>
#include <functional>

#include "timer/play_timer.h"

class QLabel;
class QTimer;
class QWidget;

namespace tn {

// The play timer's controls on the main window: the countdown label `TimeLabel` and the timers
// `ParentTimer` (one second) and `TimerColorWarning` (the blink). They mirror the PlayTimer state
// after every change; the sounds and the time-up step belong to the main window, through the hooks.
class TimerControls final : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> play_tick;
        std::function<void()> time_up;  // the count has run out (the label reads "00:00:00")
        std::function<void()> changed;  // the state changed (the Set/Clear caption may differ)
    };
    TimerControls(QWidget* window, Hooks hooks);

    PlayTimer& timer() { return timer_; }
    const PlayTimer& timer() const { return timer_; }
    // Shows the state: label text, colour and visibility, which timers run.
    void sync();

    void ParentTimerTimer();
    void TimerColorWarningTimer();

    QLabel* TimeLabel = nullptr;
    QTimer* ParentTimer = nullptr;
    QTimer* TimerColorWarning = nullptr;

private:
    void setColour(TimerColour colour);

    PlayTimer timer_;
    Hooks hooks_;
};

}  // namespace tn
