#include "platform/linux/linux_shell_open.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <utility>

#include "programs/shell_link_format.h"
#include "programs/shell_links.h"

namespace tn {
namespace {

// Descriptors above this are left to close_range; without it (old kernels) only these are closed.
constexpr int kFallbackDescriptorLimit = 4096;

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// "https://…", "mailto:…": a scheme of two or more characters before the first ':' (one letter is a
// drive, "C:\…").
bool isAddress(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string currentFolder() {
    std::string buffer(PATH_MAX, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) return {};
    buffer.resize(buffer.find('\0'));
    return buffer;
}

// The file exec is to run for name: a name with a "/" as it stands (made absolute, as the program
// changes folder before exec), any other the first executable of that name in PATH.
std::optional<std::string> findExecutable(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (name.front() == '/') return name;
        const std::string here = currentFolder();
        if (here.empty()) return std::nullopt;
        return here + "/" + name;
    }
    const char* env = std::getenv("PATH");
    const std::string path = env != nullptr && *env != '\0' ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find(':', begin);
        if (end == std::string::npos) end = path.size();
        const std::string folder = end == begin ? "." : path.substr(begin, end - begin);
        const std::string candidate = folder + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
        begin = end + 1;
    }
    return std::nullopt;
}

// A file name as exec takes it: one without a "/" is in the current folder, not looked for in PATH.
std::string asPath(const std::string& file) {
    return file.find('/') == std::string::npos ? "./" + file : file;
}

// Child side: reports errno through the pipe and ends.
[[noreturn]] void fail(int report) {
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
    ::_exit(127);
}

// Runs in the child of fork(): only async-signal-safe calls from here on.
[[noreturn]] void runDetached(const char* executable, char* const* argv, const char* folder, int report) {
    // A session of its own: the program outlives the shell and never gets the shell's terminal.
    if (::setsid() < 0) fail(report);
    // The program runs in a grandchild, which init adopts when this child ends at once: nobody
    // has to wait for it. _Fork runs no fork handlers, which may not be safe here.
    const pid_t grandchild = ::_Fork();
    if (grandchild < 0) fail(report);
    if (grandchild > 0) ::_exit(0);

    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigemptyset(&standard.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &standard, nullptr);

    if (folder != nullptr && ::chdir(folder) != 0) fail(report);
    const int null = ::open("/dev/null", O_RDONLY);
    if (null < 0 || ::dup2(null, STDIN_FILENO) < 0) fail(report);
    if (null != STDIN_FILENO) ::close(null);
    // Every descriptor but the standard ones closes on exec, the report pipe included.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < kFallbackDescriptorLimit; ++fd) {
            if (fd != report) ::close(fd);
        }
    }
    ::execv(executable, argv);
    fail(report);
}

}  // namespace

LinuxShellOpen::LinuxShellOpen(IShellLinks& links, std::string opener)
    : links_(links), opener_(std::move(opener)) {}

bool LinuxShellOpen::spawnDetached(const std::vector<std::string>& arguments,
                                   const std::string& working_folder) {
    if (arguments.empty()) return false;
    const auto executable = findExecutable(arguments.front());
    if (!executable) return false;
    // Everything the child needs is built before fork: it may not allocate.
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const char* folder = working_folder.empty() ? nullptr : working_folder.c_str();

    // Closed on exec: end of file says the program started, an errno says why it did not.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) runDetached(executable->c_str(), argv.data(), folder, report[1]);
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == 0;
}

bool LinuxShellOpen::open(const std::string& verb, const std::string& file, const std::string& parameters,
                          const std::string& working_folder) {
    if (!verb.empty() && !equalsIgnoringCase(verb, "open")) return false;
    return openFile(file, parameters, working_folder, true);
}

bool LinuxShellOpen::openFile(const std::string& file, const std::string& parameters,
                              const std::string& working_folder, bool follow_links) {
    if (file.empty()) return false;
    const auto extra = splitCommandLine(parameters);
    if (!extra) return false;
    const auto withParameters = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), extra->begin(), extra->end());
        return arguments;
    };

    switch (shortcutFormat(file)) {
        case ShortcutFormat::DesktopEntry: {
            const auto target = links_.resolve(file);
            if (!target) return false;
            const auto command = splitCommandLine(target->path);
            if (!command || command->empty()) return false;
            return spawnDetached(withParameters(*command),
                                 target->working_folder.empty() ? working_folder : target->working_folder);
        }
        case ShortcutFormat::ShellLink: {
            if (!follow_links) return false;
            const auto target = links_.resolve(file);
            if (!target) return false;
            return openFile(target->path, parameters,
                            target->working_folder.empty() ? working_folder : target->working_folder, false);
        }
        case ShortcutFormat::None:
            break;
    }
    if (isExecutableFile(file)) return spawnDetached(withParameters({asPath(file)}), working_folder);
    if (exists(file) || isAddress(file)) return spawnDetached({opener_, file}, working_folder);
    const auto command = splitCommandLine(file);
    if (!command || command->empty()) return false;
    return spawnDetached(withParameters(*command), working_folder);
}

bool LinuxShellOpen::start(const std::string& program, const std::string& working_folder) {
    if (program.empty()) return false;
    if (exists(program)) return spawnDetached({asPath(program)}, working_folder);
    const auto command = splitCommandLine(program);
    if (!command || command->empty()) return false;
    return spawnDetached(*command, working_folder);
}

}  // namespace tn
