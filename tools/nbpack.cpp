// nbpack: packs the files under a folder into one ".nbp" pack file.
//
//   nbpack <folder> <pack.nbp>
//
// Entry names are the paths relative to the folder ("scripts/main.lua"),
// in byte order; the game registers them in lower case.

#include "framework/core/files/TPackWriter.h"

#include "platform/files/Folders.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <folder> <pack.nbp>\n", argv[0]);
        return 2;
    }
    TString folder(argv[1]);
    TString output(argv[2]);
    std::vector<TPackSource> sources;
    TString error;
    if (!CollectPackSources(folder, sources, error)) {
        std::fprintf(stderr, "nbpack: %s\n", error.CStr());
        return 1;
    }
    // A pack written inside the folder it packs must not pack itself.
    std::string outputFull = platform::FullPath(output.ToStd());
    std::vector<TPackSource> kept;
    for (const TPackSource& source : sources) {
        if (platform::FullPath(source.path.ToStd()) != outputFull)
            kept.push_back(source);
    }
    if (!WritePackFile(output, kept, error)) {
        std::fprintf(stderr, "nbpack: %s\n", error.CStr());
        return 1;
    }
    std::printf("%s: %zu entries\n", output.CStr(), kept.size());
    return 0;
}
