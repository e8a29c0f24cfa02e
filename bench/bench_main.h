#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

namespace tn::bench {

// The folder where a benchmark run keeps its generated files; removed when the run ends.
inline std::string& workFolder() {
    static std::string folder;
    return folder;
}

// Runs the benchmarks with reporter, then summary (the figures against the goals), inside a fresh
// work folder named after prefix. Returns the process's exit code.
inline int runBenchmarks(int argc, char** argv, const char* prefix, benchmark::BenchmarkReporter& reporter,
                         const std::function<void()>& summary) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    workFolder() = pattern;
    int status = 0;
    try {
        benchmark::RunSpecifiedBenchmarks(&reporter);
        summary();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        status = 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(workFolder(), ignored);
    benchmark::Shutdown();
    return status;
}

}  // namespace tn::bench
