#pragma once

// A stand-in for the system's adapter folder (/sys/class/net) in a
// temporary folder: one folder per adapter with "address" and "type" files.

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace support {

class FakeNetworkAdapters {
public:
    explicit FakeNetworkAdapters(const std::string& prefix = "corvalo-net-") : mFolder(prefix) {}

    const std::filesystem::path& Root() const { return mFolder.Path(); }

    // An adapter without an address file when address is null; type 772 is
    // a loopback adapter, 1 an Ethernet one.
    void Add(const std::string& name, const char* address, const char* type = "1") const {
        const std::filesystem::path folder = Root() / name;
        std::filesystem::create_directories(folder);
        if (address)
            std::ofstream(folder / "address") << address << "\n";
        std::ofstream(folder / "type") << type << "\n";
    }

private:
    TempFolder mFolder;
};

} // namespace support
