// animpack: converts animation files between their two forms.
//
//   animpack --anm IN.xml OUT.anm   the XML animation as a binary ".anm"
//   animpack --xml IN.anm OUT.xml   the binary animation as XML
//
// IN is a disk path, or a logical name that starts with "::". Both forms
// carry the same records: converting one way and back gives them unchanged.
// A file that does not read exits with 1 and a message; the reason is in
// the log in the temporary folder ("animpack/logfile.txt").

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/animation/TAnimationFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

TString LogicalName(const char* path) {
    return std::strncmp(path, "::", 2) == 0 ? TString(path)
                                            : TString(("::" + std::string(path)).c_str());
}

int Usage() {
    std::fprintf(stderr, "usage: animpack --anm IN.xml OUT.anm\n"
                         "       animpack --xml IN.anm OUT.xml\n");
    return 2;
}

bool WriteFile(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        return Usage();
    }
    const bool toAnm = std::strcmp(argv[1], "--anm") == 0;
    const bool toXml = std::strcmp(argv[1], "--xml") == 0;
    if (!toAnm && !toXml) {
        return Usage();
    }
    StartLog((std::filesystem::temp_directory_path() / "animpack").string().c_str());
    const TString input = LogicalName(argv[2]);
    TAnimationData data;
    bool ok = false;
    if (toAnm) {
        ok = ReadAnimationXmlFile(input, data);
    } else {
        ok = ReadAnimationAnmFile(input, data);
    }
    if (!ok) {
        std::fprintf(stderr, "animpack: %s is not a readable animation (see %s)\n", argv[2],
                     GetLogFilePath().CStr());
        return 1;
    }
    const std::string bytes = toAnm ? WriteAnimationAnm(data) : WriteAnimationXml(data);
    if (!WriteFile(argv[3], bytes)) {
        std::fprintf(stderr, "animpack: cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("%s: %d frames, %zu bytes\n", argv[3], data.GetFrameCount(), bytes.size());
    return 0;
}
