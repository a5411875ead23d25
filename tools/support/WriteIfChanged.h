#pragma once

// Writes a generated file unless it already holds the same bytes, so that
// its time stays and nothing that depends on it is made again. The folders
// above it are made; the bytes go to a ".part" file first and replace the
// old file only once complete. False when writing failed (or there is
// nothing to write).

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline bool WriteIfChanged(const std::string& path, const std::vector<uint8_t>& bytes) {
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
            if (old == bytes)
                return true;
        }
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const std::string temporary = path + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out || bytes.empty()) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    std::filesystem::rename(temporary, path, error);
    return !error;
}
