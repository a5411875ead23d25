// What a picture may cost: headers that claim more than the loader keeps
// are refused before anything is decoded, chunks the PNG decoder does not
// use cost nothing, a large progressive JPEG gets the memory it needs, and a
// picture that failed is not decoded again. The crafted files come from
// tests/data/images/make_crafted_images.py.

#include "TextureTestSupport.h"

#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/texture/TImageBuffer.h"
#include "framework/graphics/texture/TJp2Image.h"
#include "framework/graphics/texture/TJpegImage.h"
#include "framework/graphics/texture/TPngImage.h"
#include "framework/graphics/texture/TTextureData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using support::NullTextureRig;

namespace {

TString Crafted(const char* file) {
    return TString((std::string("::") + CORVALO_TEST_DATA + "/images/" + file).c_str());
}

// The largest single allocation made while a probe lives, seen through the
// sanitizer's allocation hook (the test build has it; elsewhere Available
// is false).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*))
    __attribute__((weak));

class AllocationProbe {
public:
    AllocationProbe() {
        static const bool installed = __sanitizer_install_malloc_and_free_hooks &&
                                      __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
        sAvailable = installed;
        sLargest = 0;
        sActive = true;
    }
    ~AllocationProbe() { sActive = false; }
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    static bool Available() { return sAvailable; }
    static size_t Largest() { return sLargest; }

private:
    static void OnMalloc(const volatile void*, size_t size) {
        if (sActive && size > sLargest)
            sLargest = size;
    }
    static void OnFree(const volatile void*) {}

    static inline bool sAvailable = false;
    static inline bool sActive = false;
    static inline size_t sLargest = 0;
};

// The decoders' own fixed buffers (the JPEG 2000 stream reads 1 MiB at a
// time) stay under this; a picture's buffer of 8192 x 8192 would not.
constexpr size_t kSmallAllocation = 2 << 20;

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class ImageLimits : public support::TextureFolderTest {
protected:
    void SetUp() override {
        support::TextureFolderTest::SetUp();
        TTextureData::ForgetFailedLoads();
    }
    void TearDown() override {
        TTextureData::ForgetFailedLoads();
        support::TextureFolderTest::TearDown();
    }
    TAssetManager mAssets;
};

// Each header claims 8192 x 8192 over a few bytes: the loader's limit for a
// texture without "?slow" refuses it from the header, with the reason.
TEST_F(ImageLimits, HeadersLargerThanTheTextureLimit_AreRefusedBeforeDecoding) {
    NullTextureRig rig;
    for (const char* file : {"huge.png", "huge.jpg", "huge.jp2"}) {
        const std::string name = Crafted(file).ToStd();
        AllocationProbe probe;
        EXPECT_EQ(TTexture::Get(Crafted(file)), nullptr) << file;
        if (AllocationProbe::Available()) {
            EXPECT_LT(AllocationProbe::Largest(), kSmallAllocation) << file;
        }
        EXPECT_TRUE(Logged(name + ": image of 8192x8192 is larger than the limit of 1024 pixels"))
            << file << "\n"
            << support::ReadLogText();
    }
    // The decoders take the limit themselves.
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0, side = 0;
    bool alpha = false;
    const std::string jpeg = Crafted("huge.jpg").ToStd();
    EXPECT_FALSE(LoadJpegImage(jpeg.c_str(), &pixels, &width, &height, &side, 4096));
    EXPECT_EQ(pixels, nullptr);
    EXPECT_TRUE(Logged("image of 8192x8192 is larger than the limit of 4096 pixels"));
    const std::string png = Crafted("huge.png").ToStd();
    EXPECT_FALSE(LoadPngImage(png.c_str(), &pixels, &width, &height, &side, &alpha, 512));
    EXPECT_EQ(width, 0);
    EXPECT_TRUE(Logged("image of 8192x8192 is larger than the limit of 512 pixels"));
    const std::string many = Crafted("many-components.jp2").ToStd();
    EXPECT_FALSE(LoadJp2Image(many.c_str(), &pixels, &width, &height, &side, &alpha, 1024));
    const std::string tiles = Crafted("many-tiles.jp2").ToStd();
    {
        AllocationProbe probe;
        EXPECT_FALSE(LoadJp2Image(tiles.c_str(), &pixels, &width, &height, &side, &alpha, 1024));
        if (AllocationProbe::Available()) {
            EXPECT_LT(AllocationProbe::Largest(), kSmallAllocation);
        }
    }
    EXPECT_TRUE(Logged("image of 1000x1000 with 1 components in 10000 tiles refused"));
    EXPECT_TRUE(Logged("image of 16x16 with 300 components in 1 tiles refused"))
        << support::ReadLogText();
}

TEST_F(ImageLimits, PngTextChunks_AreSkippedAndCannotClaimMemory) {
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0, side = 0;
    bool alpha = false;
    // 57 bytes whose text chunk claims 1 GiB: refused at that chunk.
    const std::string bomb = Crafted("text-bomb.png").ToStd();
    {
        AllocationProbe probe;
        EXPECT_FALSE(LoadPngImage(bomb.c_str(), &pixels, &width, &height, &side, &alpha));
        if (AllocationProbe::Available()) {
            EXPECT_LT(AllocationProbe::Largest(), kSmallAllocation);
        }
    }
    EXPECT_EQ(pixels, nullptr);
    EXPECT_TRUE(Logged(bomb + ": Read Error")) << support::ReadLogText();

    // Text chunks before and after the data (one of them 100 kB of
    // compressed text) leave the picture as it is.
    const std::string texts = Crafted("texts.png").ToStd();
    ASSERT_TRUE(LoadPngImage(texts.c_str(), &pixels, &width, &height, &side, &alpha))
        << support::ReadLogText();
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 2);
    EXPECT_TRUE(alpha);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const uint8_t* p = pixels + (static_cast<size_t>(y) * side + x) * 4;
            EXPECT_EQ(p[0], 200) << x << "," << y; // blue
            EXPECT_EQ(p[1], 100 * y);
            EXPECT_EQ(p[2], 60 * x);
            EXPECT_EQ(p[3], 255 - 50 * x);
        }
    FreePngImage(pixels);
}

// A progressive JPEG keeps every coefficient of the picture until its last
// scan: 24 MiB for 2048 x 2048 at full colour resolution, beyond the
// decoder's 16 MiB of working memory.
TEST_F(ImageLimits, LargeProgressiveJpeg_GetsTheMemoryItsCoefficientsNeed) {
    const auto colour = [](int32_t x, int32_t y) {
        return static_cast<uint32_t>((x / 256) * 30) << 16 |
               static_cast<uint32_t>(y / 256 * 30) << 8 | 0x40u;
    };
    support::WriteJpeg(Path("big.jpg"), 2048, 2048, colour, true);
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0, side = 0;
    const std::string name = Name("big.jpg").ToStd();
    ASSERT_TRUE(LoadJpegImage(name.c_str(), &pixels, &width, &height, &side, 2048))
        << support::ReadLogText();
    EXPECT_EQ(side, 2048);
    for (const auto& [x, y] : {std::pair{100, 100}, std::pair{1800, 300}, std::pair{2000, 2040}}) {
        const uint8_t* p = pixels + (static_cast<size_t>(y) * side + x) * 4;
        const uint32_t want = colour(x, y);
        EXPECT_NEAR(p[2], (want >> 16) & 0xFF, 3) << x << "," << y;
        EXPECT_NEAR(p[1], (want >> 8) & 0xFF, 3) << x << "," << y;
        EXPECT_NEAR(p[0], want & 0xFF, 3) << x << "," << y;
    }
    FreeJpegImage(pixels);
    EXPECT_FALSE(Logged("Backing store"));
}

// A broken picture costs its decode and its log line once per run and
// size limit; a good one is not affected.
TEST_F(ImageLimits, FailedPicture_IsRememberedForTheRun) {
    NullTextureRig rig;
    mFolder.Write("broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "not a picture at all");
    support::WritePng(Path("good.png"), 4, 4, [](int32_t, int32_t) { return 0xFF00FF00u; });
    const std::string line = Path("broken.png") + ": ";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(TTexture::Get(Name("broken.png")), nullptr);
        EXPECT_EQ(TTexture::Get(Name("broken.png"), kTextureLoadAlpha), nullptr);
        EXPECT_NE(TTexture::Get(Name("good.png")), nullptr);
    }
    EXPECT_EQ(Count(support::ReadLogText(), line), 1u) << support::ReadLogText();
    // Another size limit is another load.
    EXPECT_EQ(TTexture::Get(Name("broken.png") + TString("?slow")), nullptr);
    EXPECT_EQ(Count(support::ReadLogText(), line), 2u);
    // Forgotten, it is tried again.
    TTextureData::ForgetFailedLoads();
    EXPECT_EQ(TTexture::Get(Name("broken.png")), nullptr);
    EXPECT_EQ(Count(support::ReadLogText(), line), 3u);
}

} // namespace
