#include "lockdown/volume_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSlider>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/doubles/recording.h"
#include "support/qt_support.h"

namespace tn {
namespace {

class VolumeControlTest : public ::testing::Test {
protected:
    VolumeControlTest() {
        TextList lines;
        for (std::size_t i = 0; i < setting::kRequiredLines; ++i)
            lines.append(i == setting::kVolumePosition ? "5" : "");
        settings = Settings(std::move(lines));
        window.resize(300, 300);
        view = std::make_unique<VolumeControlView>(&window, wave, settings);
        view->slider()->setGeometry(100, 0, VolumeControlView::kWidth, 200);
    }
    std::vector<std::string> everyDevice(std::uint32_t word) const {
        std::vector<std::string> calls;
        for (int d = 0; d < 3; ++d)
            calls.push_back("setVolume " + std::to_string(d) + " " + std::to_string(word));
        return calls;
    }
    // Presses the handle where it starts (the middle) and lets go at the given height.
    void dragTo(int y) {
        QSlider* s = view->slider();
        const int x = s->width() / 2;
        QTest::mousePress(s, Qt::LeftButton, {}, QPoint(x, s->height() / 2));
        QTest::mouseMove(s, QPoint(x, y));
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(x, y));
    }

    QApplication& app = test::qtApp();  // before any widget
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    RecordingWaveOut wave{log, 3};
    Settings settings;
    QWidget window;
    std::unique_ptr<VolumeControlView> view;
};

TEST_F(VolumeControlTest, IsANarrowMouseOnlySliderStartingInTheMiddle) {
    QSlider* s = view->slider();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s, view->VolumeControl);
    EXPECT_EQ(s->objectName(), "VolumeControl");
    EXPECT_EQ(s->parentWidget(), &window);
    EXPECT_EQ(s->orientation(), Qt::Vertical);
    EXPECT_EQ(s->toolTip(), "Audio Volume Adjust");
    EXPECT_EQ(s->minimum(), 0);
    EXPECT_EQ(s->maximum(), 10);
    EXPECT_EQ(s->value(), 5);
    EXPECT_EQ(s->width(), 41);
    EXPECT_EQ(s->focusPolicy(), Qt::NoFocus);  // neither a tab stop nor focused by a click

    // Keys that step a slider do nothing to this one, even when they reach it.
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right})
        QTest::keyClick(s, key);
    EXPECT_EQ(s->value(), 5);
    EXPECT_TRUE(log->calls.empty());

    view->setShown(false);
    window.show();
    EXPECT_FALSE(s->isVisible());
    view->setShown(true);
    EXPECT_TRUE(s->isVisible());
}

TEST_F(VolumeControlTest, DraggingToTheBottomMutesEveryDeviceAndToTheTopDoesNotGiveFullVolume) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    dragTo(view->slider()->height() - 1);
    EXPECT_EQ(view->slider()->value(), 10);
    ASSERT_GE(log->calls.size(), 3u);
    // The drag may pass through positions on the way; where it ends is silence on every device.
    EXPECT_EQ(std::vector<std::string>(log->calls.end() - 3, log->calls.end()), everyDevice(0));
    EXPECT_EQ(settings.line(setting::kVolumePosition), "10");
    EXPECT_EQ(view->position(), 10);

    log->calls.clear();
    QTest::mousePress(view->slider(), Qt::LeftButton, {}, QPoint(20, view->slider()->height() - 5));
    QTest::mouseMove(view->slider(), QPoint(20, 0));
    QTest::mouseRelease(view->slider(), Qt::LeftButton, {}, QPoint(20, 0));
    EXPECT_EQ(view->slider()->value(), 0);
    ASSERT_GE(log->calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(log->calls.end() - 3, log->calls.end()), everyDevice(0xAAAAAAAA));
    EXPECT_EQ(settings.line(setting::kVolumePosition), "0");
}

TEST_F(VolumeControlTest, OnlyAChangedPositionFires) {
    QSlider* s = view->slider();
    s->setValue(5);
    EXPECT_TRUE(view->setPositionFromSettings("5"));
    EXPECT_TRUE(log->calls.empty());

    s->setValue(3);
    EXPECT_EQ(log->calls, everyDevice(0x77777777));
    log->calls.clear();
    s->setValue(3);
    EXPECT_TRUE(log->calls.empty());

    // Values from outside are clamped: beyond the bottom is the bottom, once.
    s->setValue(15);
    EXPECT_EQ(s->value(), 10);
    EXPECT_EQ(log->calls, everyDevice(0));
    log->calls.clear();
    s->setValue(12);
    EXPECT_TRUE(log->calls.empty());
}

TEST_F(VolumeControlTest, AStoredPositionOutOfRangeMovesTheSliderOnceAndIsWrittenBack) {
    EXPECT_TRUE(view->setPositionFromSettings("12"));
    EXPECT_EQ(view->slider()->value(), 10);
    EXPECT_EQ(log->calls, everyDevice(0));  // applied once, not again by the slider catching up
    EXPECT_EQ(settings.line(setting::kVolumePosition), "10");

    log->calls.clear();
    EXPECT_FALSE(view->setPositionFromSettings("ten"));
    EXPECT_EQ(view->slider()->value(), 10);
    EXPECT_TRUE(log->calls.empty());
}

}  // namespace
}  // namespace tn
