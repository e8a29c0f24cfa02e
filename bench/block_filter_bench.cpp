// Checking urls against a blocked list of domains, the filter against the plain linear scan of the
// same list, measured in the same run:
//   check:   per-url time of BlockFilter::blocks (median and p99 over 100,000 urls, each timed on its own)
//            at 10k / 100k / 1M / 5M entries, and of linearScanBlocks at 10k / 100k / 1M (fewer urls)
//   build:   loadListFile + BlockFilter::rebuild of a 1,000,000-line file
//   edit:    one add and one remove on a filter of 1M entries
//   memory:  BlockFilter::memoryBytes against the bytes of the list file
// Goals: median at 1M at least 1000x faster than the linear scan and under 5 us; p99 at 1M under 50 us;
// median at 1M under 3x the median at 100k; memory at most 8x the file; build under 3 s. The figures
// and verdicts are printed at the end of the run.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include "bench_main.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/list_file.h"
#include "core/text_list.h"
#include "websites/block_filter.h"

namespace {

using Clock = std::chrono::steady_clock;

// Created in main, removed when the run ends.

constexpr std::size_t kUrls = 100'000;

// Words of a blocked list and of the web: a few dozen real ones, used often, and 20,000 made of
// syllables; and, as in real lists, machine-made labels of random letters and digits.
class Words {
public:
    explicit Words(std::mt19937& random) {
        static constexpr std::array<const char*, 32> kCommon = {
            "ads",    "tracker", "cdn",     "pixel",   "metrics",   "stats",  "analytics", "img",
            "static", "click",   "beacon",  "sync",    "log",       "api",    "adserver",  "banner",
            "promo",  "media",   "news",    "shop",    "games",     "video",  "mail",      "cloud",
            "play",   "secure",  "content", "landing", "telemetry", "widget", "track",     "count"};
        static constexpr std::array<const char*, 24> kOnsets = {"b", "c", "d",  "f",  "g",  "h",  "j",  "k",
                                                                "l", "m", "n",  "p",  "r",  "s",  "t",  "v",
                                                                "w", "z", "br", "cl", "st", "tr", "ch", "sh"};
        static constexpr std::array<const char*, 9> kVowels = {"a", "e",  "i",  "o", "u",
                                                               "y", "ai", "ou", "ea"};
        static constexpr std::array<const char*, 8> kCodas = {"", "", "n", "r", "s", "t", "l", "x"};
        for (const char* w : kCommon)
            words_.emplace_back(w);
        for (int i = 0; i < 20000; ++i) {
            std::string w;
            for (auto n = 1 + random() % 3; n > 0; --n) {
                w += kOnsets[random() % kOnsets.size()];
                w += kVowels[random() % kVowels.size()];
                w += kCodas[random() % kCodas.size()];
            }
            words_.push_back(std::move(w));
        }
    }

    // Common words a quarter of the time, as on the web; now and then a machine-made label.
    std::string pick(std::mt19937& random) const {
        const auto roll = random() % 100;
        if (roll < 25) return words_[random() % 32];
        if (roll < 33) {
            static constexpr char kAlnum[] = "abcdefghijklmnopqrstuvwxyz0123456789";
            std::string label(6 + random() % 7, ' ');
            for (char& c : label)
                c = kAlnum[random() % 36];
            return label;
        }
        return words_[random() % words_.size()];
    }

private:
    std::vector<std::string> words_;
};

const char* tld(std::mt19937& random) {
    static constexpr std::array<const char*, 12> kEndings = {"com", "net", "org",  "io",  "co.uk", "de",
                                                             "fr",  "ru",  "info", "biz", "xyz",   "com"};
    return kEndings[random() % kEndings.size()];
}

// A host name: zero to three labels before a name that often carries a number, then an ending.
std::string domain(const Words& words, std::mt19937& random) {
    std::string d;
    const auto roll = random() % 100;
    for (int n = roll < 30 ? 0 : roll < 75 ? 1 : roll < 93 ? 2 : 3; n > 0; --n) {
        d += words.pick(random);
        if (random() % 3 == 0) d += std::to_string(random() % 100);
        d += '.';
    }
    d += words.pick(random);
    switch (random() % 4) {
        case 0:
            d += "-" + words.pick(random);
            break;
        case 1:
            d += std::to_string(random() % 100000);
            break;
        case 2:
            d += "-" + std::to_string(random() % 1000);
            break;
        default:
            break;
    }
    d += '.';
    d += tld(random);
    return d;
}

// One line of the list: mostly host names, some path words and host-plus-path entries.
std::string blockedEntry(const Words& words, std::mt19937& random) {
    switch (random() % 20) {
        case 0:
            return "/" + words.pick(random) + "-" + words.pick(random) + "/";
        case 1:
            return words.pick(random) + "_" + words.pick(random) + ".js";
        case 2:
            return domain(words, random) + "/" + words.pick(random) + "/";
        default:
            return domain(words, random);
    }
}

std::string makeListText(std::size_t lines) {
    std::mt19937 random(20240601);
    const Words words(random);
    std::string text;
    text.reserve(lines * 30);
    for (std::size_t i = 0; i < lines; ++i) {
        text += blockedEntry(words, random);
        text += "\r\n";
    }
    return text;
}

// Urls as a child's browser asks for them: a host, a path of a few words, sometimes a page and a query.
// Every fifth holds an entry of the list, in the host, the path or the query. The others are drawn
// again while they hold one by accident (the filter says so; the linear scan confirms the filter on
// the first urls), so that a fifth are blocked at every list size.
std::vector<std::string> makeUrls(const tn::TextList& list, const tn::BlockFilter& filter,
                                  std::size_t count) {
    std::mt19937 random(4242);
    const Words words(random);
    std::vector<std::string> urls;
    urls.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const bool blocked = i % 5 == 0;
        const std::string listed(blocked ? list[random() % list.size()] : std::string_view());
        const auto where = random() % 3;
        std::string url;
        for (int attempt = 0; attempt < 20; ++attempt) {
            url = random() % 4 == 0 ? "http://" : "https://";
            if (random() % 2 == 0) url += "www.";
            url += blocked && where == 0 ? listed : domain(words, random);
            for (auto n = random() % 4; n > 0; --n)
                url += "/" + words.pick(random);
            if (random() % 3 == 0) url += "/" + words.pick(random) + ".html";
            if (blocked && where == 1) url += "/" + listed;
            if (where == 2 || random() % 3 == 0) {
                url += "?id=" + std::to_string(random() % 1000000) +
                       "&ref=" + (blocked ? listed : words.pick(random));
            }
            if (blocked || !filter.blocks(url)) break;
        }
        urls.push_back(std::move(url));
    }
    std::shuffle(urls.begin(), urls.end(), random);
    return urls;
}

struct Sample {
    std::string text;  // the list file's bytes
    tn::TextList list;
    tn::BlockFilter filter;
    std::vector<std::string> urls;
    double build_seconds = 0;
};

const Sample& sample(std::size_t lines) {
    static std::map<std::size_t, Sample> samples;
    auto it = samples.find(lines);
    if (it != samples.end()) return it->second;
    Sample& s = samples[lines];
    s.text = makeListText(lines);
    s.list = tn::TextList::fromText(s.text);
    if (s.list.size() != lines) throw std::runtime_error("bad sample");
    const auto start = Clock::now();
    s.filter.rebuild(s.list);
    s.build_seconds = std::chrono::duration<double>(Clock::now() - start).count();
    s.urls = makeUrls(s.list, s.filter, kUrls);
    return s;
}

// Figures for the summary, by list size.
struct Figures {
    double filter_median_ns = 0, filter_p99_ns = 0, filter_mean_ns = 0, blocked_share = 0;
    double linear_median_ns = 0;
    std::size_t linear_urls = 0;
    double memory_bytes = 0, file_bytes = 0;
    std::size_t mismatches = 0;
};
std::map<std::size_t, Figures> g_figures;
double g_build_from_file_s = 0;
double g_clock_ns = 0;

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    const auto k = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

template <class Check>
std::vector<double> timeEach(const std::vector<std::string>& urls, std::size_t count, Check check,
                             std::size_t& hits) {
    std::vector<double> ns;
    ns.reserve(count);
    hits = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& url = urls[i % urls.size()];
        const auto start = Clock::now();
        const bool blocked = check(url);
        const auto stop = Clock::now();
        benchmark::DoNotOptimize(blocked);
        hits += blocked;
        ns.push_back(std::chrono::duration<double, std::nano>(stop - start).count());
    }
    return ns;
}

// Each of the 100,000 urls timed on its own, for the median and the tail.
void BM_FilterPerUrl(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    const Sample& s = sample(lines);
    Figures& f = g_figures[lines];
    for (auto _ : state) {
        std::size_t hits = 0;
        const auto ns = timeEach(
            s.urls, s.urls.size(), [&](const std::string& u) { return s.filter.blocks(u); }, hits);
        f.filter_median_ns = percentile(ns, 0.5);
        f.filter_p99_ns = percentile(ns, 0.99);
        f.blocked_share = static_cast<double>(hits) / static_cast<double>(s.urls.size());
    }
    f.memory_bytes = static_cast<double>(s.filter.memoryBytes());
    f.file_bytes = static_cast<double>(s.text.size());
    state.counters["median_ns"] = f.filter_median_ns;
    state.counters["p99_ns"] = f.filter_p99_ns;
    state.counters["blocked"] = f.blocked_share;
    state.counters["mem/file"] = f.memory_bytes / f.file_bytes;
    state.counters["build_s"] = s.build_seconds;
}

// Checks back to back, for the mean without the clock reads in between.
void BM_Filter(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    const Sample& s = sample(lines);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.filter.blocks(s.urls[i]));
        if (++i == s.urls.size()) i = 0;
    }
}

// The linear scan on the first urls of the same set; the filter must agree with it on each.
void BM_LinearPerUrl(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    const auto count = static_cast<std::size_t>(state.range(1));
    const Sample& s = sample(lines);
    Figures& f = g_figures[lines];
    for (auto _ : state) {
        std::size_t hits = 0;
        const auto ns = timeEach(
            s.urls, count, [&](const std::string& u) { return tn::linearScanBlocks(s.list, u); }, hits);
        f.linear_median_ns = percentile(ns, 0.5);
        f.linear_urls = count;
    }
    f.mismatches = 0;
    for (std::size_t i = 0; i < count; ++i)
        f.mismatches += s.filter.blocks(s.urls[i]) != tn::linearScanBlocks(s.list, s.urls[i]);
    if (f.mismatches != 0) state.SkipWithError("the filter disagrees with the linear scan");
    state.counters["median_ns"] = f.linear_median_ns;
}

void writeFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) throw std::runtime_error(std::string("write: ") + std::strerror(errno));
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    ::close(fd);
}

// What the shell does at start: read the list file, then index it.
void BM_BuildFromFile(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    const std::string path = tn::bench::workFolder() + "/blocked-" + std::to_string(lines) + ".ini";
    writeFile(path, makeListText(lines));
    for (auto _ : state) {
        tn::TextList list;
        tn::BlockFilter filter;
        if (!tn::loadListFile(path, list) || list.size() != lines) state.SkipWithError("load failed");
        filter.rebuild(list);
        benchmark::DoNotOptimize(filter.size());
        state.PauseTiming();
        {
            // Freeing the list and the index is not part of the build.
            tn::TextList gone_list = std::move(list);
            tn::BlockFilter gone_filter = std::move(filter);
        }
        state.ResumeTiming();
    }
}

// One entry added and removed again, as the parent's edits and merged updates do, on a large filter.
void BM_AddRemove(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    const Sample& s = sample(lines);
    tn::BlockFilter filter(s.list);
    std::mt19937 random(7);
    const Words words(random);
    std::vector<std::string> fresh;
    for (int i = 0; i < 4096; ++i)
        fresh.push_back(domain(words, random));
    std::size_t i = 0;
    for (auto _ : state) {
        filter.add(fresh[i]);
        filter.remove(fresh[(i + 2048) & 4095]);
        i = (i + 1) & 4095;
    }
}

void BM_ClockRead(benchmark::State& state) {
    std::vector<double> ns;
    for (auto _ : state) {
        ns.clear();
        for (int i = 0; i < 100000; ++i) {
            const auto start = Clock::now();
            const auto stop = Clock::now();
            ns.push_back(std::chrono::duration<double, std::nano>(stop - start).count());
        }
        g_clock_ns = percentile(ns, 0.5);
    }
    state.counters["median_ns"] = g_clock_ns;
}

BENCHMARK(BM_ClockRead)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Filter)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Arg(5'000'000);
BENCHMARK(BM_FilterPerUrl)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(5'000'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinearPerUrl)
    ->Args({10'000, 2'000})
    ->Args({100'000, 200})
    ->Args({1'000'000, 20})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildFromFile)->Arg(1'000'000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AddRemove)->Arg(1'000'000);

// The console output, plus the mean time per check of BM_Filter and the build time kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const std::string& name = run.run_name.function_name;
            const std::size_t lines = std::strtoull(run.run_name.args.c_str(), nullptr, 10);
            const double ns = run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMillisecond   ? 1e6
                                                           : run.time_unit == benchmark::kMicrosecond ? 1e3
                                                                                                      : 1.0);
            if (name == "BM_Filter") g_figures[lines].filter_mean_ns = ns;
            if (name == "BM_BuildFromFile") g_build_from_file_s = ns / 1e9;
            if (name == "BM_AddRemove") add_remove_ns_ = ns;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printSummary() const {
        std::printf("\nper check (each url timed on its own; one clock read pair costs %.0f ns, included)\n",
                    g_clock_ns);
        std::printf("%-9s %9s %9s %9s %8s %16s %10s %9s %9s\n", "entries", "median", "p99", "mean", "blocked",
                    "linear med/urls", "ratio", "memory", "mem/file");
        for (const auto& [lines, f] : g_figures) {
            if (f.filter_median_ns == 0) continue;
            char linear[32] = "-";
            char ratio[32] = "-";
            if (f.linear_median_ns > 0) {
                std::snprintf(linear, sizeof linear, "%.0f us/%zu", f.linear_median_ns / 1e3, f.linear_urls);
                std::snprintf(ratio, sizeof ratio, "%.0fx", f.linear_median_ns / f.filter_median_ns);
            }
            std::printf("%-9zu %6.0f ns %6.0f ns %6.0f ns %7.1f%% %16s %10s %6.0f MB %8.2fx\n", lines,
                        f.filter_median_ns, f.filter_p99_ns, f.filter_mean_ns, 100 * f.blocked_share, linear,
                        ratio, f.memory_bytes / 1e6, f.memory_bytes / f.file_bytes);
        }
        std::printf("add + remove of one entry at 1M: %.0f ns\n", add_remove_ns_);

        std::printf("\n%-44s %14s %12s %7s\n", "goal", "measured", "limit", "");
        const auto at = [](std::size_t lines) {
            const auto it = g_figures.find(lines);
            return it == g_figures.end() ? Figures{} : it->second;
        };
        const Figures k100 = at(100'000), m1 = at(1'000'000), m5 = at(5'000'000);
        goal("speed-up over linear scan at 1M (medians)", m1.linear_median_ns / m1.filter_median_ns, 1000,
             true, "x");
        goal("median check at 1M", m1.filter_median_ns / 1e3, 5, false, "us");
        goal("p99 check at 1M", m1.filter_p99_ns / 1e3, 50, false, "us");
        goal("median@1M / median@100k", m1.filter_median_ns / k100.filter_median_ns, 3, false, "x");
        goal("index memory / file bytes at 1M", m1.memory_bytes / m1.file_bytes, 8, false, "x");
        goal("index memory / file bytes at 5M", m5.memory_bytes / m5.file_bytes, 8, false, "x");
        goal("load + build from a 1M-line file", g_build_from_file_s, 3, false, "s");
        std::size_t mismatches = 0;
        for (const auto& [lines, f] : g_figures)
            mismatches += f.mismatches;
        std::printf("%-44s %14zu %12s %7s\n", "urls where filter and linear scan differ", mismatches, "0",
                    mismatches == 0 ? "met" : "MISSED");
    }

private:
    static void goal(const char* what, double value, double limit, bool at_least, const char* unit) {
        const bool known = value > 0 && value == value && value < 1e300;
        const bool met = known && (at_least ? value >= limit : value <= limit);
        std::printf("%-44s %12.2f %s %s %8.0f %s %7s\n", what, known ? value : 0.0, unit,
                    at_least ? ">=" : "<=", limit, unit, known ? (met ? "met" : "MISSED") : "n/a");
    }

    double add_remove_ns_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    SummaryReporter reporter;
    return tn::bench::runBenchmarks(argc, argv, "tn-filter-bench", reporter,
                                    [&] { reporter.printSummary(); });
}
