// The CPU the real shell uses while its link carousel scrolls, against the same shell with scrolling
// switched off (settings line 6 "no") measured in the same run. Each case copies the built shell into
// a fresh folder, gives it 50 sites with 50 thumbnails of their own, runs it on a private Xvfb at
// 1280x800, waits for its main window and then reads the CPU time (user + system) of
//   - the shell process itself,
//   - its descendants (the web engine's helper and renderer processes),
//   - the X server, which does the drawing the shell asks for,
// at the start and the end of a 30 s window. Figures are percent of one core over the window.
// Goal: the shell's own CPU while scrolling is at most 5% of one core.
//
// TN_CAROUSEL_SECONDS=N shortens or lengthens the window, for quick experiments; the goal is judged
// on 30 s.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/shell_copy.h"
#include "support/temp_dir.h"
#include "support/x_server.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSiteCount = 50;
constexpr double kGoalPercent = 5.0;
constexpr std::size_t kLinkScrollingLine = 6;

struct Figures {
    double seconds = 0;  // the measuring window, wall clock
    double shell = 0;    // percent of one core
    double descendants = 0;
    double x_server = 0;
    int descendant_count = 0;
    bool window_seen = false;
};

// Keyed by "on" / "off"; filled by the benchmarks, printed by main.
std::map<std::string, Figures> g_results;

int windowSeconds() {
    if (const char* s = std::getenv("TN_CAROUSEL_SECONDS")) {
        const int n = std::atoi(s);
        if (n > 0) return n;
    }
    return 30;
}

struct ProcStat {
    pid_t ppid = 0;
    unsigned long long ticks = 0;  // utime + stime
    unsigned long long start = 0;  // start time since boot, tells a reused pid apart
    std::string comm;
};

// Fields of /proc/PID/stat after the command name, which may itself hold spaces and parentheses.
bool readStat(pid_t pid, ProcStat& out) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return false;
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    out.comm = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 2));
    std::vector<std::string> fields;
    for (std::string f; rest >> f;)
        fields.push_back(f);
    // fields[0] is the state (field 3 of the file), so field N is fields[N - 3].
    if (fields.size() < 20) return false;
    out.ppid = static_cast<pid_t>(std::stol(fields[1]));
    out.ticks = std::stoull(fields[11]) + std::stoull(fields[12]);
    out.start = std::stoull(fields[19]);
    return true;
}

std::map<pid_t, ProcStat> allProcesses() {
    std::map<pid_t, ProcStat> out;
    DIR* dir = ::opendir("/proc");
    if (!dir) return out;
    while (const dirent* e = ::readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        ProcStat s;
        if (readStat(static_cast<pid_t>(pid), s)) out.emplace(static_cast<pid_t>(pid), s);
    }
    ::closedir(dir);
    return out;
}

// Every process below root (not root itself), found through the parent links.
std::map<pid_t, ProcStat> descendantsOf(pid_t root, const std::map<pid_t, ProcStat>& all) {
    std::map<pid_t, std::vector<pid_t>> children;
    for (const auto& [pid, s] : all)
        children[s.ppid].push_back(pid);
    std::map<pid_t, ProcStat> out;
    std::vector<pid_t> todo{root};
    while (!todo.empty()) {
        const pid_t p = todo.back();
        todo.pop_back();
        const auto it = children.find(p);
        if (it == children.end()) continue;
        for (pid_t c : it->second) {
            if (out.emplace(c, all.at(c)).second) todo.push_back(c);
        }
    }
    return out;
}

// CPU ticks used between two snapshots; a process that appeared in between counts from zero. One that
// ended in between is lost, which for the long-lived engine processes does not happen in practice.
unsigned long long ticksBetween(const std::map<pid_t, ProcStat>& before,
                                const std::map<pid_t, ProcStat>& after) {
    unsigned long long sum = 0;
    for (const auto& [pid, s] : after) {
        const auto b = before.find(pid);
        const bool same = b != before.end() && b->second.start == s.start;
        sum += same ? s.ticks - b->second.ticks : s.ticks;
    }
    return sum;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        from = end + 1;
    }
    return lines;
}

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        out += l + "\r\n";
    return out;
}

// The copied shell's data: scrolling on or off, and 50 sites, each with a thumbnail file of its own
// (copies of the shipped pictures), so the carousel decodes and scales 50 pictures as it goes round.
void prepareData(const tn::test::TempDir& dir, bool scrolling) {
    std::vector<std::string> config = splitLines(dir.read("files/config.ini"));
    if (config.size() < 25) config.resize(25);
    config[0].clear();
    config[kLinkScrollingLine] = scrolling ? "yes" : "no";
    dir.write("files/config.ini", joinCrLf(config));

    std::vector<fs::path> pictures;
    for (const auto& e : fs::directory_iterator(dir.file("files/links"))) {
        if (e.is_regular_file()) pictures.push_back(e.path());
    }
    std::sort(pictures.begin(), pictures.end());
    if (pictures.empty()) throw std::runtime_error("no thumbnails in the staged files/links");

    std::vector<std::string> sites;
    for (int i = 1; i <= kSiteCount; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", i);
        const std::string thumbnail = std::string("site") + number + ".jpg";
        fs::copy_file(pictures[static_cast<std::size_t>(i - 1) % pictures.size()],
                      dir.file("files/links/" + thumbnail), fs::copy_options::overwrite_existing);
        sites.push_back(std::string("Site number ") + number + " #| https://site" + number + ".example/ #| " +
                        thumbnail);
    }
    dir.write("files/sites.ini", joinCrLf(sites));
}

// The shell renames its window "Tumblenest" once its main form is set up. Asked through xdotool, so
// that this file needs no Xlib; without xdotool the shell simply gets a few seconds.
bool waitForWindow(const std::string& display, tn::test::ChildProcess& shell) {
    const std::string probe = "DISPLAY=" + display + " xdotool search --name '^Tumblenest$' >/dev/null 2>&1";
    bool have_tool = true;
    const bool seen = tn::test::eventually(
        [&] {
            if (!shell.running()) return true;
            const int rc = std::system(probe.c_str());
            if (rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) == 127) have_tool = false;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return !have_tool || (rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) == 0);
        },
        std::chrono::seconds(30));
    if (!have_tool) std::this_thread::sleep_for(std::chrono::seconds(5));
    return seen && have_tool && shell.running();
}

pid_t findXServer() {
    const auto all = allProcesses();
    for (const auto& [pid, s] : descendantsOf(::getpid(), all)) {
        if (s.comm == "Xvfb") return pid;
    }
    return -1;
}

Figures measure(benchmark::State& state, bool scrolling) {
    tn::test::TempDir dir;
    tn::test::copyShell(dir.path());
    prepareData(dir, scrolling);

    tn::test::XServer x({.window_manager = false, .width = 1280, .height = 800});
    if (!x.ok()) throw std::runtime_error("Xvfb did not start");
    const pid_t x_pid = findXServer();

    std::map<std::string, std::string> env{{"DISPLAY", x.display()}, {"QT_QPA_PLATFORM", "xcb"}};
    if (::geteuid() == 0) env["QTWEBENGINE_DISABLE_SANDBOX"] = "1";
    tn::test::ChildProcess shell({dir.file("tumblenest")}, env);

    Figures f;
    f.window_seen = waitForWindow(x.display(), shell);
    if (!shell.running()) throw std::runtime_error("the shell ended before the measurement");
    // The engine's first page load and the first paints are start-up work, not scrolling.
    std::this_thread::sleep_for(std::chrono::seconds(2));

    const auto snapshot = [&] {
        const auto all = allProcesses();
        struct Snap {
            ProcStat shell, x;
            std::map<pid_t, ProcStat> descendants;
        } s;
        if (const auto it = all.find(shell.pid()); it != all.end()) s.shell = it->second;
        if (const auto it = all.find(x_pid); it != all.end()) s.x = it->second;
        s.descendants = descendantsOf(shell.pid(), all);
        return s;
    };

    const auto t0 = std::chrono::steady_clock::now();
    const auto before = snapshot();
    std::this_thread::sleep_for(std::chrono::seconds(windowSeconds()));
    const auto after = snapshot();
    const auto t1 = std::chrono::steady_clock::now();
    const bool survived = shell.running();

    shell.kill(SIGTERM);
    if (shell.wait(std::chrono::seconds(10)) < 0) shell.kill(SIGKILL);
    shell.wait(std::chrono::seconds(5));
    // Engine processes that outlive the shell share its process group.
    ::kill(-shell.pid(), SIGKILL);
    if (!survived) throw std::runtime_error("the shell ended during the measurement");

    f.seconds = std::chrono::duration<double>(t1 - t0).count();
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    const auto percent = [&](unsigned long long ticks) {
        return 100.0 * static_cast<double>(ticks) / tick / f.seconds;
    };
    f.shell = percent(after.shell.ticks - before.shell.ticks);
    f.descendants = percent(ticksBetween(before.descendants, after.descendants));
    f.x_server = percent(after.x.ticks - before.x.ticks);
    f.descendant_count = static_cast<int>(after.descendants.size());
    state.SetIterationTime(f.seconds);
    return f;
}

void BM_ShellCpu(benchmark::State& state) {
    const bool scrolling = state.range(0) != 0;
    Figures f;
    for (auto _ : state) {
        try {
            f = measure(state, scrolling);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            return;
        }
    }
    g_results[scrolling ? "on" : "off"] = f;
    state.counters["shell_cpu_pct"] = f.shell;
    state.counters["descendants_cpu_pct"] = f.descendants;
    state.counters["xvfb_cpu_pct"] = f.x_server;
    state.counters["descendants"] = f.descendant_count;
    if (g_results.count("on") && g_results.count("off")) {
        state.counters["shell_on_minus_off_pct"] = g_results["on"].shell - g_results["off"].shell;
    }
    if (!f.window_seen) state.SetLabel("main window not seen; measured after a fixed wait");
}
// Off first, the baseline; on second, so its row also carries the difference.
BENCHMARK(BM_ShellCpu)
    ->ArgName("scrolling")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void printSummary() {
    const auto on = g_results.find("on");
    const auto off = g_results.find("off");
    if (on == g_results.end() || off == g_results.end()) {
        std::printf("\nno summary: a case did not complete\n");
        return;
    }
    std::printf("\n%d sites, %.0f s window, percent of one core\n", kSiteCount, on->second.seconds);
    std::printf("%-22s %10s %10s %10s\n", "", "scrolling", "off", "on-off");
    const auto row = [](const char* what, double a, double b) {
        std::printf("%-22s %10.2f %10.2f %10.2f\n", what, a, b, a - b);
    };
    row("shell", on->second.shell, off->second.shell);
    row("shell descendants", on->second.descendants, off->second.descendants);
    row("X server", on->second.x_server, off->second.x_server);
    const double shell = on->second.shell;
    std::printf("goal: shell while scrolling <= %.1f%% of one core: %.2f%% %s\n", kGoalPercent, shell,
                shell <= kGoalPercent ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    printSummary();
    benchmark::Shutdown();
    return 0;
}
