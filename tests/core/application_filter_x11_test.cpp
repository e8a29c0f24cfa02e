// Real key presses from the X server reach the shell's controls, except Alt+F4.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>

#include "core/application_filter.h"
#include "support/qt_support.h"
#include "support/x_input.h"
#include "support/x_server.h"

namespace tn {
namespace {

using namespace std::chrono_literals;

class KeyRecorder final : public QLineEdit {
public:
    std::vector<QString> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() != Qt::Key_Alt && e->key() != Qt::Key_Control)
            keys.push_back(QKeySequence(e->keyCombination()).toString());
        QLineEdit::keyPressEvent(e);
    }
};

TEST(ApplicationFilterTest, SwallowsAltF4AndNothingElse) {
    test::XServer server;
    ASSERT_TRUE(server.ok());
    qputenv("DISPLAY", server.display().c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    test::qtApp();
    ApplicationFilter filter;
    qApp->installEventFilter(&filter);

    KeyRecorder edit;
    int alt_f4_shortcuts = 0;
    QShortcut shortcut(QKeySequence(QStringLiteral("Alt+F4")), &edit);
    QObject::connect(&shortcut, &QShortcut::activated, [&] { ++alt_f4_shortcuts; });
    edit.show();
    edit.activateWindow();
    edit.setFocus();
    ASSERT_TRUE(test::eventually([&] {
        QApplication::processEvents();
        return edit.hasFocus() && QApplication::focusWidget() == &edit;
    }));

    test::XConnection x(server.display());
    ASSERT_TRUE(x.ok());
    x.pressKeys({XK_Alt_L, XK_F4});
    x.pressKeys({XK_F4});
    x.pressKeys({XK_Alt_L, XK_x});
    x.pressKeys({XK_Control_L, XK_Alt_L, XK_F4});

    const std::vector<QString> expected = {QStringLiteral("F4"), QStringLiteral("Alt+X")};
    EXPECT_TRUE(test::eventually(
        [&] {
            QApplication::processEvents();
            return edit.keys.size() >= expected.size();
        },
        5s));
    // Give a stray Alt+F4 time to arrive before judging that it did not.
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(edit.keys, expected);
    EXPECT_EQ(alt_f4_shortcuts, 0);
    EXPECT_TRUE(edit.isVisible());
    qApp->removeEventFilter(&filter);
}

}  // namespace
}  // namespace tn
