#include "core/shell_app.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <array>
#include <memory>

#include "access/file_registry.h"
#include "core/dialogs.h"
#include "core/main_form.h"
#include "platform/linux/alsa_wave_out.h"
#include "platform/linux/caps_lock.h"
#include "platform/linux/linux_processes.h"
#include "platform/linux/linux_shell_open.h"
#include "platform/linux/qt_sound.h"
#include "platform/linux/x11_desktop.h"
#include "platform/linux/x11_display_mode.h"
#include "platform/linux/x11_lockdown.h"
#include "platform/linux/x11_windows.h"
#include "programs/shell_links.h"
#include "websites/popup_form.h"
#include "websites/web_engine.h"

namespace tn {

std::string executableFolder() {
    std::array<char, 4096> buf{};
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return "./";
    std::string path(buf.data(), static_cast<std::size_t>(n));
    return path.substr(0, path.find_last_of('/') + 1);
}

namespace {

// A termination signal is turned into a byte on a socket that the message loop watches, so the close
// sequence runs on the GUI thread and not inside the signal handler.
int g_signal_fd = -1;

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signal_fd, &byte, 1);
}

void watchTerminationSignals(TForm1& form) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
    g_signal_fd = fds[0];
    auto* notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, &form);
    QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form, fd = fds[1], notifier] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(fd, &byte, 1);
        notifier->setEnabled(false);  // one close is enough, however many signals arrive
        form.closeFromOutside();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &sa, nullptr);
}

}  // namespace

int runShell(int argc, char** argv) {
    const std::string data_dir = executableFolder();

    // One shell per desktop: a second start brings the first one back and ends.
    {
        X11Windows windows("");
        if (const auto existing = windows.findByTitle(kShellTitle)) {
            windows.showMaximized(*existing);
            windows.bringToForeground(*existing);
            return 0;
        }
    }

    prepareWebEngineProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kShellTitle));
    // No display name: Qt would append it to every window title, and titles are matched exactly.
    QApplication::setQuitOnLastWindowClosed(false);

    Settings settings;
    const std::string config = data_dir + "files/config.ini";
    if (const auto problem = loadSettingsFile(config, config, settings)) {
        // Not titled like the shell's window, so that a later start does not take it for a running shell.
        QMessageBox::critical(
            nullptr, QStringLiteral("Tumblenest cannot start"),
            QString::fromStdString(problem->message) +
                QStringLiteral("\n\nReinstall the file that came with Tumblenest, or correct "
                               "that line, then start Tumblenest again."));
        return 2;
    }

    // The keyboard hook is in force from here on; the lockdown's grabbed keys arrive at its own
    // connection, which the message loop empties.
    X11Lockdown lockdown("");
    X11KeyboardHook keyboard_hook(lockdown);
    std::unique_ptr<QSocketNotifier> lockdown_events;
    if (lockdown.fd() >= 0) {
        lockdown_events = std::make_unique<QSocketNotifier>(lockdown.fd(), QSocketNotifier::Read);
        QObject::connect(lockdown_events.get(), &QSocketNotifier::activated,
                         [&lockdown] { lockdown.drain(); });
    }
    X11Desktop desktop("");
    QtSoundSystem sound_system;
    QtDialogs dialogs;
    X11Windows windows("");
    LinuxShellLinks shell_links;
    LinuxShellOpen shell_open(shell_links);
    X11DisplayMode display_mode;
    FileRegistry registry = FileRegistry::fromEnvironment();
    AlsaWaveOut wave_out;
    LinuxProcesses processes;
    ShellServices services{lockdown, keyboard_hook, desktop, sound_system, dialogs, windows, shell_open,
                           shell_links, display_mode, registry, wave_out, processes,
                           buildVariant().end_desktop_process_on_unlock, [] { return capsLockOn(); },
                           // exit() rather than quit(): quit() asks every window to close first, and
                           // the main window refuses.
                           [] { QApplication::exit(0); }};

    TForm1 form(services, data_dir, std::move(settings));
    form.FormCreate();
    form.createForms();
    TPopUpForm popup(data_dir, form.blockedCheck(), dialogs);
    form.setPopUpForm(&popup);
    watchTerminationSignals(form);
    // Without a window manager nobody acts on the full-screen request, so the window sizes itself too.
    form.setGeometry(QGuiApplication::primaryScreen()->geometry());
    form.showFullScreen();
    return QApplication::exec();
}

}  // namespace tn
