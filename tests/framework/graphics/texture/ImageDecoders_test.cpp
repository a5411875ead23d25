// The three image decoders against files nobody on this project wrote, and
// against independent decoders of the same files: the pure-Python png
// module for PNG, djpeg for JPEG and opj_decompress for JPEG 2000. A test
// whose corpus folder or reference program is missing is skipped with a
// message.

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/texture/TImageBuffer.h"
#include "framework/graphics/texture/TJp2Image.h"
#include "framework/graphics/texture/TJpegImage.h"
#include "framework/graphics/texture/TPngImage.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Beside the repository, or at the shared place when the repository is a
// worktree further down.
fs::path CorpusFolder() {
    for (const fs::path& place : {fs::path(CORVALO_TEST_DATA) / "../../../shared/corpora/images",
                                  fs::path("/work/shared/corpora/images")}) {
        if (fs::is_directory(place))
            return fs::weakly_canonical(place);
    }
    return "/work/shared/corpora/images";
}

const fs::path kCorpus = CorpusFolder();
const fs::path kScripts = fs::path(CORVALO_TEST_DATA) / "../framework/graphics/texture";

struct Decoded {
    bool ok = false;
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0, side = 0;
    bool hasAlpha = false;
    Decoded() = default;
    Decoded(const Decoded&) = delete;
    ~Decoded() { FreeImageBuffer(pixels); }
    const uint8_t* At(int32_t x, int32_t y) const {
        return pixels + (static_cast<size_t>(y) * side + x) * 4;
    }
};

enum class Kind { Png, Jpeg, Jp2 };

void Decode(Kind kind, const std::string& name, Decoded* d) {
    switch (kind) {
    case Kind::Png:
        d->ok =
            LoadPngImage(name.c_str(), &d->pixels, &d->width, &d->height, &d->side, &d->hasAlpha);
        break;
    case Kind::Jpeg:
        d->ok = LoadJpegImage(name.c_str(), &d->pixels, &d->width, &d->height, &d->side);
        break;
    case Kind::Jp2:
        d->ok =
            LoadJp2Image(name.c_str(), &d->pixels, &d->width, &d->height, &d->side, &d->hasAlpha);
        break;
    }
}

std::string Abs(const fs::path& path) {
    return "::" + fs::weakly_canonical(path).string();
}

bool HaveProgram(const std::string& command) {
    return std::system(("command -v " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// Debian's own Python, which has python3-png, before whatever else is first
// on the path.
std::string Python() {
    return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A binary PGM or PPM read into blue, green, red bytes at 8 bits the way
// the decoders scale: wider samples shifted right, narrower shifted left.
struct Pnm {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> bgr;
};

bool ReadPnm(const fs::path& path, Pnm* pnm) {
    std::vector<uint8_t> bytes = ReadAll(path);
    size_t at = 0;
    auto token = [&]() {
        std::string t;
        while (at < bytes.size()) {
            char c = static_cast<char>(bytes[at]);
            if (c == '#') {
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                if (!t.empty())
                    break;
                ++at;
            } else {
                t += c;
                ++at;
            }
        }
        return t;
    };
    std::string magic = token();
    pnm->channels = magic == "P5" ? 1 : magic == "P6" ? 3 : 0;
    if (pnm->channels == 0)
        return false;
    pnm->width = std::stoi(token());
    pnm->height = std::stoi(token());
    int maxval = std::stoi(token());
    ++at;
    int prec = 0;
    while ((1 << prec) - 1 < maxval)
        ++prec;
    const int bytesPer = maxval > 255 ? 2 : 1;
    size_t count = static_cast<size_t>(pnm->width) * pnm->height * pnm->channels;
    if (bytes.size() < at + count * bytesPer)
        return false;
    pnm->bgr.resize(static_cast<size_t>(pnm->width) * pnm->height * 3);
    for (size_t i = 0; i < static_cast<size_t>(pnm->width) * pnm->height; ++i) {
        for (int c = 0; c < 3; ++c) {
            size_t s = i * pnm->channels + (pnm->channels == 1 ? 0 : c);
            int v =
                bytesPer == 2 ? (bytes[at + s * 2] << 8 | bytes[at + s * 2 + 1]) : bytes[at + s];
            int v8 = prec > 8 ? v >> (prec - 8) : std::min(255, v << (8 - prec));
            pnm->bgr[i * 3 + 2 - c] = static_cast<uint8_t>(v8);
        }
    }
    return true;
}

// Largest difference between the decoded image's colour bytes and the
// reference's; -1 when the sizes differ.
int MaxColourDifference(const Decoded& d, const Pnm& reference) {
    if (reference.width != d.width || reference.height != d.height)
        return -1;
    int worst = 0;
    for (int32_t y = 0; y < d.height; ++y) {
        for (int32_t x = 0; x < d.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int ours = d.At(x, y)[c];
                int theirs = reference.bgr[(static_cast<size_t>(y) * d.width + x) * 3 + c];
                worst = std::max(worst, std::abs(ours - theirs));
            }
        }
    }
    return worst;
}

std::vector<fs::path> Files(const fs::path& folder, const std::string& prefix = "") {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder))
        return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        if ((ext == ".png" || ext == ".jpg" || ext == ".jp2" || ext == ".j2k") &&
            entry.path().filename().string().rfind(prefix, 0) == 0)
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Whether a JP2 file's colour specification box gives an ICC profile.
bool HasIccProfile(const fs::path& file) {
    std::vector<uint8_t> bytes = ReadAll(file);
    const uint8_t colr[4] = {'c', 'o', 'l', 'r'};
    auto at = std::search(bytes.begin(), bytes.end(), colr, colr + 4);
    return at != bytes.end() && bytes.end() - at > 4 && at[4] != 1;
}

class ImageDecoders : public ::testing::Test {
protected:
    void SetUp() override { StartLog(mLogFolder.Path().c_str()); }
    void TearDown() override { StartLog(nullptr); }
    std::string Log() {
        std::ifstream in(mLogFolder.Path() / "logfile.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    support::TempFolder mLogFolder;
    support::TempFolder mWork;
};

TEST_F(ImageDecoders, SideIsSmallestPowerOfTwo) {
    struct {
        int64_t width, height;
        int32_t side;
    } cases[] = {{0, 0, 1},         {1, 1, 1},       {300, 100, 512}, {256, 256, 256},
                 {257, 3, 512},     {3, 1000, 1024}, {8192, 1, 8192}, {8193, 1, 0},
                 {1, 1LL << 40, 0}, {-1, 4, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ImageBufferSide(c.width, c.height), c.side) << c.width << "x" << c.height;
    }
}

TEST_F(ImageDecoders, PngSuiteMatchesIndependentDecoder) {
    std::vector<fs::path> files = Files(kCorpus / "pngsuite");
    if (files.empty())
        GTEST_SKIP() << "no PngSuite at " << kCorpus;
    if (std::system((Python() + " -c 'import png' >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "python3-png is not installed";
    std::string command = Python() + " '" + (kScripts / "png_reference.py").string() + "'";
    for (const fs::path& file : files)
        command += " '" + file.string() + "'";
    fs::path out = mWork.Path() / "reference.bin";
    ASSERT_EQ(std::system((command + " > '" + out.string() + "'").c_str()), 0);
    std::vector<uint8_t> reference = ReadAll(out);
    size_t at = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        int width = 0, height = 0, used = 0;
        ASSERT_EQ(std::sscanf(reinterpret_cast<const char*>(reference.data()) + at, "%d %d\n%n",
                              &width, &height, &used),
                  2);
        at += used;
        Decoded d;
        Decode(Kind::Png, Abs(file), &d);
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(d.width, width);
        ASSERT_EQ(d.height, height);
        EXPECT_EQ(d.side, ImageBufferSide(width, height));
        int worst = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < 4; ++c) {
                    int diff = std::abs(d.At(x, y)[c] - reference[at++]);
                    worst = std::max(worst, diff);
                }
            }
        }
        // 16-bit samples are gamma-corrected before they are cut to 8 bits
        // here and after in the reference, which can add one step.
        const bool sixteen = file.filename().string().find("16") != std::string::npos;
        EXPECT_LE(worst, sixteen ? 2 : 1);
        // The padding is clear.
        for (int y = 0; y < d.side; ++y) {
            for (int x = y < height ? width : 0; x < d.side; ++x) {
                ASSERT_EQ(std::memcmp(d.At(x, y), "\0\0\0\0", 4), 0) << x << "," << y;
            }
        }
    }
}

TEST_F(ImageDecoders, PngHasAlphaFollowsColourType) {
    if (Files(kCorpus / "pngsuite").empty())
        GTEST_SKIP() << "no PngSuite at " << kCorpus;
    struct {
        const char* file;
        bool hasAlpha;
    } cases[] = {
        {"basn0g08.png", false},  {"basn2c08.png", false},  {"basn3p08.png", false},
        {"basn4a08.png", true},   {"basn6a16.png", true},   {"ftbbn3p08.png", true},
        {"ftbrn2c08.png", false}, {"ftbbn0g04.png", false}, {"ftp1n3p08.png", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Decoded d;
        Decode(Kind::Png, Abs(kCorpus / "pngsuite" / c.file), &d);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.hasAlpha, c.hasAlpha);
    }
    // An RGB image with a transparency chunk carries the alpha in its pixels
    // all the same.
    Decoded d;
    Decode(Kind::Png, Abs(kCorpus / "pngsuite" / "ftbrn2c08.png"), &d);
    ASSERT_TRUE(d.ok);
    bool anyClear = false;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            anyClear = anyClear || d.At(x, y)[3] == 0;
    EXPECT_TRUE(anyClear);
}

TEST_F(ImageDecoders, BrokenPngFilesFailWithLogLine) {
    fs::path suite = kCorpus / "pngsuite";
    if (Files(suite).empty())
        GTEST_SKIP() << "no PngSuite at " << kCorpus;
    std::vector<uint8_t> good = ReadAll(suite / "basn2c08.png");
    std::vector<std::string> broken;
    broken.push_back(mWork.Write("empty.png", ""));
    broken.push_back(mWork.Write("short.png", std::string(good.begin(), good.begin() + 60)));
    std::string flipped(good.begin(), good.end());
    flipped[flipped.size() / 2] ^= 0x55;
    broken.push_back(mWork.Write("crc.png", flipped));
    broken.push_back(mWork.Write("text.png", "this is not a PNG file at all"));
    for (const fs::path& file : Files(suite, "x"))
        broken.push_back(file.string());
    for (const std::string& file : broken) {
        SCOPED_TRACE(file);
        Decoded d;
        Decode(Kind::Png, "::" + file, &d);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.pixels, nullptr);
        EXPECT_NE(Log().find(fs::path(file).filename().string()), std::string::npos);
    }
    Decoded missing;
    Decode(Kind::Png, "::/nonexistent/none.png", &missing);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(Log().find("cannot open ::/nonexistent/none.png"), std::string::npos);
}

TEST_F(ImageDecoders, JpegMatchesDjpeg) {
    fs::path folder = kCorpus / "jpeg";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no JPEG corpus at " << folder;
    if (!HaveProgram("djpeg"))
        GTEST_SKIP() << "djpeg is not installed";
    for (const char* name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg"}) {
        SCOPED_TRACE(name);
        fs::path out = mWork.Path() / (std::string(name) + ".ppm");
        ASSERT_EQ(std::system(("djpeg -pnm -outfile '" + out.string() + "' '" +
                               (folder / name).string() + "'")
                                  .c_str()),
                  0);
        Pnm reference;
        ASSERT_TRUE(ReadPnm(out, &reference));
        Decoded d;
        Decode(Kind::Jpeg, Abs(folder / name), &d);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.side, ImageBufferSide(d.width, d.height));
        EXPECT_LE(MaxColourDifference(d, reference), 1);
        for (int32_t y = 0; y < d.height; ++y)
            for (int32_t x = 0; x < d.width; ++x)
                ASSERT_EQ(d.At(x, y)[3], 0xFF);
        for (int32_t x = d.width; x < d.side; ++x)
            ASSERT_EQ(std::memcmp(d.At(x, 0), "\0\0\0\0", 4), 0);
    }
}

TEST_F(ImageDecoders, UnusableJpegFilesFailCleanly) {
    fs::path folder = kCorpus / "jpeg";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no JPEG corpus at " << folder;
    std::vector<uint8_t> good = ReadAll(folder / "testorig.jpg");
    std::string cmyk;
    struct {
        std::string file;
        std::string logged;
    } cases[] = {
        {(folder / "monkey12.jpg").string(), "Unsupported JPEG data precision 12"},
        {mWork.Write("empty.jpg", ""), "Empty input file"},
        {mWork.Write("header.jpg", std::string(good.begin(), good.begin() + 40)), "empty.jpg"},
        {mWork.Write("text.jpg", "no JPEG here"), "Not a JPEG file"},
    };
    cases[2].logged = "header.jpg";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Decoded d;
        Decode(Kind::Jpeg, "::" + c.file, &d);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.pixels, nullptr);
        EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
    }
}

TEST_F(ImageDecoders, TruncatedJpegDecodesWithWarning) {
    fs::path folder = kCorpus / "jpeg";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no JPEG corpus at " << folder;
    std::vector<uint8_t> good = ReadAll(folder / "testorig.jpg");
    std::string cut =
        mWork.Write("cut.jpg", std::string(good.begin(), good.begin() + good.size() / 2));
    Decoded d;
    Decode(Kind::Jpeg, "::" + cut, &d);
    ASSERT_TRUE(d.ok);
    Decoded whole;
    Decode(Kind::Jpeg, Abs(folder / "testorig.jpg"), &whole);
    ASSERT_TRUE(whole.ok);
    EXPECT_EQ(d.width, whole.width);
    EXPECT_EQ(std::memcmp(d.At(0, 0), whole.At(0, 0), 4 * 16), 0);
    EXPECT_NE(Log().find("Premature end of JPEG file"), std::string::npos);
}

TEST_F(ImageDecoders, Jpeg2000MatchesOpjDecompress) {
    fs::path folder = kCorpus / "jpeg2000";
    std::vector<fs::path> files = Files(folder);
    if (files.empty())
        GTEST_SKIP() << "no JPEG 2000 corpus at " << folder;
    if (!HaveProgram("opj_decompress"))
        GTEST_SKIP() << "opj_decompress is not installed";
    int compared = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        Decoded d;
        Decode(Kind::Jp2, Abs(file), &d);
        fs::path out = mWork.Path() / (file.filename().string() + ".pnm");
        bool referenceOk = std::system(("opj_decompress -quiet -upsample -i '" + file.string() +
                                        "' -o '" + out.string() + "' >/dev/null 2>&1")
                                           .c_str()) == 0;
        Pnm reference;
        if (!d.ok) {
            // Only what this form cannot show may fail, and it says so.
            EXPECT_NE(Log().find(file.filename().string()), std::string::npos);
            continue;
        }
        EXPECT_EQ(d.side, ImageBufferSide(d.width, d.height));
        if (referenceOk && ReadPnm(out, &reference)) {
            EXPECT_EQ(reference.width, d.width);
            EXPECT_EQ(reference.height, d.height);
            // The reference applies an embedded ICC profile; the game shows
            // the samples as they stand, so only the sizes compare there.
            if (!HasIccProfile(file)) {
                EXPECT_LE(MaxColourDifference(d, reference), 1);
                ++compared;
            }
        }
        // Padding repeats the last column and row.
        if (d.width < d.side) {
            EXPECT_EQ(std::memcmp(d.At(d.side - 1, 0), d.At(d.width - 1, 0), 4), 0);
        }
        if (d.height < d.side) {
            EXPECT_EQ(std::memcmp(d.At(0, d.side - 1), d.At(0, d.height - 1), 4), 0);
        }
    }
    EXPECT_GE(compared, 12);
}

TEST_F(ImageDecoders, Jpeg2000SniffsTheFormatAndRefusesOthers) {
    fs::path folder = kCorpus / "jpeg2000";
    if (Files(folder).empty())
        GTEST_SKIP() << "no JPEG 2000 corpus at " << folder;
    // A codestream under a .jp2 name and a JP2 file under a .j2k name load.
    std::vector<uint8_t> codestream = ReadAll(folder / "p0_01.j2k");
    std::vector<uint8_t> boxed = ReadAll(folder / "file1.jp2");
    Decoded a, b, c;
    Decode(Kind::Jp2,
           "::" + mWork.Write("stream.jp2", std::string(codestream.begin(), codestream.end())), &a);
    Decode(Kind::Jp2, "::" + mWork.Write("boxed.j2k", std::string(boxed.begin(), boxed.end())), &b);
    EXPECT_TRUE(a.ok) << Log();
    EXPECT_TRUE(b.ok) << Log();
    Decode(Kind::Jp2, "::" + mWork.Write("png.jp2", "\x89PNG\r\n\x1a\n...."), &c);
    EXPECT_FALSE(c.ok);
    EXPECT_NE(Log().find("png.jp2 is no JPEG 2000 file"), std::string::npos);
    // Cut short at every tenth of the file: fails or decodes, never crashes.
    for (int tenth = 1; tenth < 10; ++tenth) {
        Decoded cut;
        std::string bytes(boxed.begin(), boxed.begin() + boxed.size() * tenth / 10);
        Decode(Kind::Jp2, "::" + mWork.Write("cut.jp2", bytes), &cut);
        if (cut.ok) {
            EXPECT_GT(cut.width, 0);
        }
    }
}

TEST_F(ImageDecoders, Jpeg2000AlphaComponentGoesToFourthByte) {
    fs::path source = kCorpus / "pngsuite" / "basn6a08.png";
    if (!fs::exists(source))
        GTEST_SKIP() << "no PngSuite at " << kCorpus;
    if (!HaveProgram("opj_compress"))
        GTEST_SKIP() << "opj_compress is not installed";
    fs::path out = mWork.Path() / "alpha.jp2";
    ASSERT_EQ(std::system(("opj_compress -i '" + source.string() + "' -o '" + out.string() +
                           "' -n 3 >/dev/null 2>&1")
                              .c_str()),
              0);
    Decoded jp2, png;
    Decode(Kind::Jp2, Abs(out), &jp2);
    Decode(Kind::Png, Abs(source), &png);
    ASSERT_TRUE(jp2.ok) << Log();
    ASSERT_TRUE(png.ok);
    EXPECT_TRUE(jp2.hasAlpha);
    ASSERT_EQ(jp2.width, png.width);
    for (int32_t y = 0; y < png.height; ++y)
        for (int32_t x = 0; x < png.width; ++x)
            ASSERT_EQ(jp2.At(x, y)[3], png.At(x, y)[3]) << x << "," << y;
}

TEST_F(ImageDecoders, Jpeg2000GreyIsOpaqueWithoutAlpha) {
    fs::path folder = kCorpus / "jpeg2000";
    if (Files(folder).empty())
        GTEST_SKIP() << "no JPEG 2000 corpus at " << folder;
    Decoded d;
    Decode(Kind::Jp2, Abs(folder / "file4.jp2"), &d);
    ASSERT_TRUE(d.ok);
    EXPECT_FALSE(d.hasAlpha);
    for (int32_t x = 0; x < d.width; x += 7) {
        const uint8_t* p = d.At(x, d.height / 2);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        EXPECT_EQ(p[3], 255);
    }
}

} // namespace
