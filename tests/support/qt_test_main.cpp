// The main() of the test binaries that need Qt: test discovery runs without a display, and Qt
// defaults are set before anything Qt is created.
#include <gtest/gtest.h>

#include <execinfo.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#include <QByteArray>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// A test that hangs is ended by ctest's timeout without a word about where it stood. A watchdog
// asks the main thread, shortly before that timeout, to write its stack to stderr, so the log of
// a rare hang says where it happened.
constexpr auto kWatchdogDelay = std::chrono::seconds(100);

void writeStack(int) {
    void* frames[64];
    const int n = ::backtrace(frames, 64);
    static const char header[] = "\n*** test still running: main thread stack ***\n";
    (void)!::write(STDERR_FILENO, header, sizeof header - 1);
    ::backtrace_symbols_fd(frames, n, STDERR_FILENO);
}

void startWatchdog() {
    ::signal(SIGUSR2, writeStack);
    const pthread_t main_thread = ::pthread_self();
    std::thread([main_thread] {
        std::this_thread::sleep_for(kWatchdogDelay);
        ::pthread_kill(main_thread, SIGUSR2);
    }).detach();
}

}  // namespace

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
    startWatchdog();
    return RUN_ALL_TESTS();
}
