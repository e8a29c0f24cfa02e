// The main() of the test binaries that need Qt: test discovery runs without a display, and Qt
// defaults are set before anything Qt is created.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QByteArray>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) {
            testing::InitGoogleTest(&argc, argv);
            return RUN_ALL_TESTS();
        }
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        // Outside a login session Qt wants a private runtime folder; make one rather than warn.
        char dir[] = "/tmp/tumblenest-runtime-XXXXXX";
        if (::mkdtemp(dir)) qputenv("XDG_RUNTIME_DIR", dir);
    }
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") && geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
