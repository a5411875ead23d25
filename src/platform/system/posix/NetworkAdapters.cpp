#include "platform/system/NetworkAdapters.h"

#include "platform/files/DirectoryListing.h"
#include "platform/text/Hex.h"

#include <algorithm>
#include <fstream>

namespace platform {

namespace {

// Interface type of a loopback device.
constexpr int kLoopbackType = 772;

bool ReadFirstLine(const std::string& path, std::string& line) {
    std::ifstream in(path);
    if (!in || !std::getline(in, line)) {
        return false;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return true;
}

} // namespace

bool ParseHardwareAddress(const std::string& text, std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> result;
    size_t i = 0;
    while (true) {
        if (i + 2 > text.size()) {
            return false;
        }
        int high = HexDigitValue(text[i]);
        int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        result.push_back(static_cast<uint8_t>(high * 16 + low));
        i += 2;
        if (i == text.size()) {
            break;
        }
        if (text[i] != ':') {
            return false;
        }
        ++i;
    }
    bytes = std::move(result);
    return true;
}

bool FirstAdapterAddress(AdapterAddress& out, const std::string& root) {
    // Adapters in name order, so the same machine always names the same one.
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(root, entries)) {
        return false;
    }
    for (const DirectoryEntry& entry : entries) {
        const std::string& name = entry.name;
        // The usual loopback name needs no look at its files.
        if (name == "lo") {
            continue;
        }
        std::string base = root + "/" + name + "/";
        std::string type;
        if (ReadFirstLine(base + "type", type) && type == std::to_string(kLoopbackType)) {
            continue;
        }
        std::string text;
        std::vector<uint8_t> bytes;
        if (!ReadFirstLine(base + "address", text) || !ParseHardwareAddress(text, bytes)) {
            continue;
        }
        if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; })) {
            continue;
        }
        out.name = name;
        out.bytes = std::move(bytes);
        return true;
    }
    return false;
}

} // namespace platform
