// nbpackinspect: looks into pack files and logical names.
//
//   nbpackinspect list <pack.nbp>
//       checks the pack and prints one line per entry: name, offset, size.
//   nbpackinspect extract <pack.nbp> <entry> [output]
//       writes one entry's bytes to output (or standard output).
//   nbpackinspect resolve <tree> <name>...
//       starts the file system in <tree> (its "assets" folder, packs and
//       "final.txt") and prints the location each logical name resolves to.

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"

#include "platform/files/MappedFile.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s list <pack.nbp>\n"
                 "       %s extract <pack.nbp> <entry> [output]\n"
                 "       %s resolve <tree> <name>...\n",
                 program, program, program);
    return 2;
}

bool ReadTable(const char* pack, platform::MappedFile& file, std::vector<TPackEntry>& entries) {
    if (!file.Open(pack)) {
        std::fprintf(stderr, "nbpackinspect: cannot map %s: %s\n", pack, file.LastError().c_str());
        return false;
    }
    TString reason;
    if (!ParsePackTable(file.Data(), file.Size(), entries, reason)) {
        std::fprintf(stderr, "nbpackinspect: %s is damaged: %s\n", pack, reason.CStr());
        return false;
    }
    return true;
}

int List(const char* pack) {
    platform::MappedFile file;
    std::vector<TPackEntry> entries;
    if (!ReadTable(pack, file, entries))
        return 1;
    std::printf("%s: %zu entries, %zu bytes\n", pack, entries.size(), file.Size());
    for (const TPackEntry& entry : entries)
        std::printf("%s\t%d\t%d\n", entry.name.CStr(), entry.offset, entry.size);
    return 0;
}

int Extract(const char* pack, const char* name, const char* output) {
    platform::MappedFile file;
    std::vector<TPackEntry> entries;
    if (!ReadTable(pack, file, entries))
        return 1;
    for (const TPackEntry& entry : entries) {
        if (std::strcmp(entry.name.CStr(), name) != 0)
            continue;
        FILE* out = output ? std::fopen(output, "wb") : stdout;
        if (!out) {
            std::fprintf(stderr, "nbpackinspect: cannot create %s\n", output);
            return 1;
        }
        size_t size = static_cast<size_t>(entry.size);
        bool ok = std::fwrite(file.Data() + entry.offset, 1, size, out) == size;
        if (output)
            ok = std::fclose(out) == 0 && ok;
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "nbpackinspect: %s has no entry %s\n", pack, name);
    return 1;
}

int Resolve(const char* tree, char** names, int count) {
    if (::chdir(tree) != 0) {
        std::fprintf(stderr, "nbpackinspect: cannot enter %s\n", tree);
        return 1;
    }
    InitFileSystem();
    int unresolved = 0;
    for (int i = 0; i < count; ++i) {
        TString location = ResolvePath(names[i], true);
        if (location.IsEmpty()) {
            std::printf("%s\t(not found)\n", names[i]);
            ++unresolved;
            continue;
        }
        TFile file;
        int32_t size = file.Open(names[i], kFileReadBinary) ? file.GetSize() : -1;
        std::printf("%s\t%s\t%d bytes\n", names[i], location.CStr(), size);
    }
    return unresolved ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return List(argv[2]);
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "extract") == 0)
        return Extract(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    if (argc >= 4 && std::strcmp(argv[1], "resolve") == 0)
        return Resolve(argv[2], argv + 3, argc - 3);
    return Usage(argv[0]);
}
