// Reading and writing a blocked list of millions of domains, against what the bare system calls cost
// for the same bytes:
//   read:  loadListFile (read + split into entries)  vs  read() into a new buffer + counting line ends
//          (a new buffer, as any loader that hands the bytes back needs; read() into one buffer kept
//          from run to run is shown as well, for reference)
//   write: saveListFile (atomic, synced)              vs  one plain write(), and write() + fsync()
//          (the list as read from its file, whose buffer already holds the written form, and the
//          same list built entry by entry, whose bytes must be copied together)
// Goals: reading within 3x its baseline, writing within 3x a plain write(). The ratios are printed
// at the end; with --benchmark_repetitions they are taken from the medians.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "bench_main.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/list_file.h"
#include "core/text_list.h"

namespace {

// Created in main, removed when the run ends.

// A domain list with a realistic mix: mostly two to four labels, some short, some long chains.
std::string makeDomainText(std::size_t lines) {
    static constexpr std::array<const char*, 20> kWords = {
        "ads", "tracker", "cdn",      "pixel",  "metrics", "stats",    "analytics",
        "img", "static",  "click",    "beacon", "sync",    "t",        "s",
        "log", "api",     "adserver", "banner", "promo",   "telemetry"};
    static constexpr std::array<const char*, 10> kEndings = {"com", "net", "org",  "io",  "co.uk",
                                                             "de",  "fr",  "info", "biz", "xyz"};
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::size_t> word(0, kWords.size() - 1);
    std::uniform_int_distribution<std::size_t> ending(0, kEndings.size() - 1);
    std::uniform_int_distribution<int> number(0, 99999);
    std::discrete_distribution<int> subdomains({15, 45, 25, 10, 5});
    std::string text;
    text.reserve(lines * 32);
    for (std::size_t i = 0; i < lines; ++i) {
        for (int n = subdomains(random); n > 0; --n) {
            text += kWords[word(random)];
            if (n % 2 == 0) text += "-" + std::to_string(number(random) % 100);
            text += '.';
        }
        text += kWords[word(random)];
        text += '-';
        text += std::to_string(number(random));
        text += '.';
        text += kEndings[ending(random)];
        text += "\r\n";
    }
    return text;
}

struct Sample {
    std::string path;    // the list file, as saveListFile writes it
    std::string text;    // its bytes
    tn::TextList list;   // read from the file
    tn::TextList built;  // the same entries, appended one by one
};

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) throw std::runtime_error(std::string("write: ") + std::strerror(errno));
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

const Sample& sample(std::size_t lines) {
    static std::map<std::size_t, Sample> samples;
    auto it = samples.find(lines);
    if (it != samples.end()) return it->second;
    Sample s;
    s.path = tn::bench::workFolder() + "/list-" + std::to_string(lines) + ".ini";
    s.text = makeDomainText(lines);
    const int fd = ::open(s.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + s.path);
    writeAll(fd, s.text);
    ::fsync(fd);
    ::close(fd);
    if (!tn::loadListFile(s.path, s.list) || s.list.size() != lines) throw std::runtime_error("bad sample");
    for (const std::string_view line : s.list)
        s.built.append(line);
    return samples.emplace(lines, std::move(s)).first->second;
}

void setBytes(benchmark::State& state, const Sample& s) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.text.size()));
}

std::string outputPath() {
    return tn::bench::workFolder() + "/out.ini";
}

// Every write starts with nothing waiting to go to disk, so one benchmark's dirty pages are not
// flushed on another's time.
void settle(benchmark::State& state) {
    state.PauseTiming();
    ::sync();
    state.ResumeTiming();
}

// The baseline: read size bytes of fd into buffer with read(), close fd, count the line ends.
std::size_t readAndCountLineEnds(int fd, char* buffer, std::size_t size) {
    std::size_t used = 0;
    while (used < size) {
        const ssize_t n = ::read(fd, buffer + used, size - used);
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    std::size_t line_ends = 0;
    const char* p = buffer;
    const char* const end = p + used;
    while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
        ++line_ends;
        p = static_cast<const char*>(hit) + 1;
    }
    return line_ends;
}

void BM_ReadBaseline(benchmark::State& state) {
    const Sample& s = sample(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const int fd = ::open(s.path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        ::fstat(fd, &st);
        const auto size = static_cast<std::size_t>(st.st_size);
        std::unique_ptr<char[]> buffer(new char[size]);
        const std::size_t line_ends = readAndCountLineEnds(fd, buffer.get(), size);
        benchmark::DoNotOptimize(line_ends);
        if (line_ends != s.list.size()) state.SkipWithError("wrong line count");
    }
    setBytes(state, s);
}

void BM_ReadReusedBuffer(benchmark::State& state) {
    const Sample& s = sample(static_cast<std::size_t>(state.range(0)));
    const std::unique_ptr<char[]> buffer(new char[s.text.size() + 1]);
    std::memset(buffer.get(), 0, s.text.size() + 1);
    for (auto _ : state) {
        const int fd = ::open(s.path.c_str(), O_RDONLY | O_CLOEXEC);
        const std::size_t line_ends = readAndCountLineEnds(fd, buffer.get(), s.text.size());
        benchmark::DoNotOptimize(line_ends);
    }
    setBytes(state, s);
}

void BM_LoadListFile(benchmark::State& state) {
    const Sample& s = sample(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        tn::TextList list;
        tn::loadListFile(s.path, list);
        benchmark::DoNotOptimize(list.size());
        if (list.size() != s.list.size()) state.SkipWithError("wrong entry count");
    }
    setBytes(state, s);
}

void plainWrite(benchmark::State& state, bool sync) {
    const Sample& s = sample(static_cast<std::size_t>(state.range(0)));
    const std::string out = outputPath();
    for (auto _ : state) {
        settle(state);
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        writeAll(fd, s.text);
        if (sync) ::fsync(fd);
        ::close(fd);
    }
    setBytes(state, s);
}

void BM_WriteBaseline(benchmark::State& state) {
    plainWrite(state, false);
}
void BM_WriteFsyncBaseline(benchmark::State& state) {
    plainWrite(state, true);
}

void save(benchmark::State& state, const tn::TextList Sample::*which) {
    const Sample& s = sample(static_cast<std::size_t>(state.range(0)));
    const std::string out = outputPath();
    for (auto _ : state) {
        settle(state);
        if (tn::saveListFile(out, s.*which)) state.SkipWithError("save failed");
    }
    setBytes(state, s);
}

void BM_SaveListFile(benchmark::State& state) {
    save(state, &Sample::list);
}
void BM_SaveBuiltList(benchmark::State& state) {
    save(state, &Sample::built);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1'000'000)->Arg(5'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
}
BENCHMARK(BM_ReadBaseline)->Apply(sizes);
BENCHMARK(BM_ReadReusedBuffer)->Apply(sizes);
BENCHMARK(BM_LoadListFile)->Apply(sizes);
BENCHMARK(BM_WriteBaseline)->Apply(sizes);
BENCHMARK(BM_WriteFsyncBaseline)->Apply(sizes);
BENCHMARK(BM_SaveListFile)->Apply(sizes);
BENCHMARK(BM_SaveBuiltList)->Apply(sizes);

// The console output, plus each benchmark's time per iteration (the median when repeated) kept for
// the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool repeated = run.repetitions > 1;
            if (run.error_occurred) continue;
            if (repeated ? (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                         : run.run_type == Run::RT_Iteration) {
                times_[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        std::printf("\n%-10s %-28s %12s %12s %8s %6s\n", "lines", "comparison", "measured ms", "baseline ms",
                    "ratio", "goal");
        for (const char* lines : {"1000000", "5000000"}) {
            line(lines, "read+split / read()", "BM_LoadListFile", "BM_ReadBaseline", 3.0);
            line(lines, "read+split / read() reused", "BM_LoadListFile", "BM_ReadReusedBuffer", 0.0);
            line(lines, "atomic save / write()", "BM_SaveListFile", "BM_WriteBaseline", 3.0);
            line(lines, "atomic save / write()+fsync", "BM_SaveListFile", "BM_WriteFsyncBaseline", 0.0);
            line(lines, "save built / write()", "BM_SaveBuiltList", "BM_WriteBaseline", 3.0);
            line(lines, "save built / write()+fsync", "BM_SaveBuiltList", "BM_WriteFsyncBaseline", 0.0);
        }
    }

private:
    void line(const std::string& lines, const char* what, const std::string& measured,
              const std::string& baseline, double goal) const {
        const auto m = times_.find(measured + "/" + lines);
        const auto b = times_.find(baseline + "/" + lines);
        if (m == times_.end() || b == times_.end()) return;
        const double ratio = m->second / b->second;
        const std::string verdict = goal <= 0 ? "" : ratio <= goal ? "met" : "MISSED";
        std::printf("%-10s %-28s %12.1f %12.1f %7.2fx %6s\n", lines.c_str(), what, m->second, b->second,
                    ratio, verdict.c_str());
    }

    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    return tn::bench::runBenchmarks(argc, argv, "tn-list-bench", reporter, [&] { reporter.printRatios(); });
}
