#include "timer/times_up.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <stdexcept>

#include "support/qt_support.h"

namespace tn {
namespace {

TEST(TTimesUp, IsABlackBorderlessBoxOnTopWithItsCaptionAndButton) {
    test::qtApp();
    TTimesUp box([] {});
    EXPECT_EQ(box.windowTitle(), "Time is up");
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(box.isWindow());
    EXPECT_EQ(box.size(), QSize(255, 120));
    EXPECT_EQ(box.palette().color(QPalette::Window), QColor(Qt::black));

    ASSERT_NE(box.Label1, nullptr);
    EXPECT_EQ(box.Label1->text(), "Time Is Up");
    EXPECT_EQ(box.Label1->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    const QFont font = box.Label1->font();
    EXPECT_TRUE(font.bold());
    EXPECT_LE(font.pixelSize(), 48);
    EXPECT_GE(font.pixelSize(), 24);
    // Whatever face was found, the caption fits inside the box.
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(box.Label1->text()), 255);

    ASSERT_NE(box.SpTBXButton1, nullptr);
    EXPECT_EQ(box.SpTBXButton1->objectName(), "SpTBXButton1");
    EXPECT_EQ(box.SpTBXButton1->text(), "Reset");
    EXPECT_TRUE(box.rect().contains(box.SpTBXButton1->geometry()));
    EXPECT_TRUE(box.rect().contains(box.Label1->geometry()));
}

TEST(TTimesUp, ShowsCentredWithoutBlockingAndOnlyCodeHidesIt) {
    test::qtApp();
    int resets = 0;
    TTimesUp box([&] { ++resets; });
    box.showTimesUp();  // returns at once: no modal loop
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.windowModality(), Qt::NonModal);
    const QPoint centre = QApplication::primaryScreen()->geometry().center();
    EXPECT_LE((box.frameGeometry().center() - centre).manhattanLength(), 2);

    QTest::mouseClick(box.SpTBXButton1, Qt::LeftButton);
    EXPECT_EQ(resets, 1);
    EXPECT_TRUE(box.isVisible());  // the prompt closes it once the password is accepted

    // Close requests (Alt+F4, the window manager) and Escape leave it where it is.
    EXPECT_FALSE(box.close());
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());

    box.dismiss();
    EXPECT_FALSE(box.isVisible());
}

TEST(TTimesUp, AFailingPromptLeavesTheBoxUsable) {
    test::qtApp();
    int calls = 0;
    TTimesUp box([&] {
        ++calls;
        throw std::runtime_error("prompt failed");
    });
    box.showTimesUp();
    box.SpTBXButton1Click();
    QTest::mouseClick(box.SpTBXButton1, Qt::LeftButton);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(box.isVisible());
}

}  // namespace
}  // namespace tn
