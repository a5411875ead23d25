#pragma once

// The seeds of a fuzz target's corpus folder, read for replaying through the
// target's entry function in a normal test run. Seeds come in name order so
// a failure names the same seed on every machine.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace support {

struct FuzzSeed {
    std::filesystem::path path;
    std::string bytes;

    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(bytes.data()); }
};

// Every regular file of the folder, as a seed; a folder that is missing
// throws, which fails the test that asked for it.
inline std::vector<FuzzSeed> FuzzCorpusSeeds(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        if (item.is_regular_file())
            files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<FuzzSeed> seeds;
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        seeds.push_back({path, std::string(std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>())});
    }
    return seeds;
}

} // namespace support
