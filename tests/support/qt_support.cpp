#include "support/qt_support.h"

#include <QTimer>
#include <QWidget>

#include "websites/web_engine.h"

namespace tn::test {

QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "tumblenest-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        prepareWebEngineProcess();
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace tn::test

namespace tn::test {

void whenShown(QWidget* window, std::function<void()> act) {
    auto* poll = new QTimer(window);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, act = std::move(act)] {
        if (!window->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start();
}

}  // namespace tn::test
