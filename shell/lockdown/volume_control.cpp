#include "lockdown/volume_control.h"

#include <QSignalBlocker>
#include <QSlider>

namespace tn {

VolumeControlView::VolumeControlView(QWidget* window, IWaveOut& wave_out, Settings& settings)
    : QObject(window), logic_(wave_out, settings) {
    VolumeControl = new QSlider(Qt::Vertical, window);
    VolumeControl->setObjectName(QStringLiteral("VolumeControl"));
    VolumeControl->setToolTip(QStringLiteral("Audio Volume Adjust"));
    VolumeControl->setRange(kVolumeTopPosition, kVolumeBottomPosition);
    // A vertical slider puts its minimum at the bottom; here 0 (loudest) is at the top.
    VolumeControl->setInvertedAppearance(true);
    VolumeControl->setValue(kVolumeInitialPosition);
    // Mouse only: no keyboard focus, no tab stop, and neither arrow keys nor the wheel step it. A
    // click beside the handle moves it two positions.
    VolumeControl->setFocusPolicy(Qt::NoFocus);
    VolumeControl->setSingleStep(0);
    VolumeControl->setPageStep(2);
    VolumeControl->setFixedWidth(kWidth);
    connect(VolumeControl, &QSlider::valueChanged, this, [this] { SpTBXTrackBar1Change(); });
}

void VolumeControlView::SpTBXTrackBar1Change() {
    logic_.setPosition(VolumeControl->value());
}

bool VolumeControlView::setPositionFromSettings(std::string_view line5) {
    const bool ok = logic_.setPositionFromSettings(line5);
    // The logic has run the change already; the control only follows.
    const QSignalBlocker quiet(VolumeControl);
    VolumeControl->setValue(logic_.position());
    return ok;
}

void VolumeControlView::setShown(bool shown) {
    VolumeControl->setVisible(shown);
}

}  // namespace tn
