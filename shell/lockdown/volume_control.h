#pragma once

#include <QObject>
#include <string_view>

#include "lockdown/volume.h"

class QSlider;
class QWidget;

namespace tn {

// The volume slider `VolumeControl` on the main window: vertical, 41 pixels wide, positions 0 (top)
// to 10 (bottom), moved only with the mouse. Its change event sets every wave output device and
// keeps the position in settings line 5. The owner sizes and places it and decides when it shows.
class VolumeControlView final : public QObject {
    Q_OBJECT
public:
    static constexpr int kWidth = 41;

    VolumeControlView(QWidget* window, IWaveOut& wave_out, Settings& settings);

    // Start-up: the position stored in settings line 5 (see VolumeSlider::setPositionFromSettings).
    // False when the line is not a decimal number.
    bool setPositionFromSettings(std::string_view line5);
    void setShown(bool shown);
    QSlider* slider() const { return VolumeControl; }
    int position() const { return logic_.position(); }

    // The change event, run whenever the slider's position changes.
    void SpTBXTrackBar1Change();

    QSlider* VolumeControl = nullptr;

private:
    VolumeSlider logic_;
};

}  // namespace tn
