#include "support/qt_support.h"

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
