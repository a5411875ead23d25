// Figures for the file layer: resolving logical names through the table,
// opening pack entries and reading them out of the mapping, against the
// same reads from loose files.

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/files/TPackWriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFiles = 500;
constexpr int kFileSize = 4096;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, int count, double seconds) {
    std::printf("%-40s %8d ops  %9.3f ms  %8.2f us/op\n", what, count, seconds * 1000.0,
                seconds * 1e6 / count);
}

} // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvalo-bench-XXXXXX");
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    std::filesystem::current_path(pattern);
    std::filesystem::create_directories("source/data");
    std::filesystem::create_directories("assets/loose");
    std::string block(kFileSize, 'x');
    for (int i = 0; i < kFiles; ++i) {
        std::ofstream("source/data/f" + std::to_string(i) + ".bin", std::ios::binary) << block;
        std::ofstream("assets/loose/f" + std::to_string(i) + ".bin", std::ios::binary) << block;
    }
    std::vector<TPackSource> sources;
    TString error;
    if (!CollectPackSources("source", sources, error) ||
        !WritePackFile("assets/bench.nbp", sources, error)) {
        std::fprintf(stderr, "bench_files: %s\n", error.CStr());
        return 1;
    }

    auto start = std::chrono::steady_clock::now();
    InitFileSystem();
    Report("scan (pack + loose files)", 2 * kFiles, Seconds(start));

    const int rounds = 20;
    std::vector<char> buffer(kFileSize);
    long total = 0;
    for (const char* folder : {"data", "loose"}) {
        start = std::chrono::steady_clock::now();
        for (int r = 0; r < rounds; ++r) {
            for (int i = 0; i < kFiles; ++i) {
                std::string name = std::string(folder) + "/f" + std::to_string(i) + ".bin";
                total += ResolvePath(name.c_str(), true).Length();
            }
        }
        Report(folder[0] == 'd' ? "resolve pack names" : "resolve loose names", rounds * kFiles,
               Seconds(start));
        start = std::chrono::steady_clock::now();
        for (int r = 0; r < rounds; ++r) {
            for (int i = 0; i < kFiles; ++i) {
                std::string name = std::string(folder) + "/f" + std::to_string(i) + ".bin";
                TFile file;
                if (file.Open(name.c_str(), kFileReadBinary))
                    total += file.Read(buffer.data(), kFileSize);
            }
        }
        Report(folder[0] == 'd' ? "open + read 4 KB pack entry" : "open + read 4 KB loose file",
               rounds * kFiles, Seconds(start));
    }
    std::printf("(%ld bytes touched)\n", total);
    ClearNameRegistry();
    ClearPackList();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(pattern);
    return 0;
}
