#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The numbers below are the ones the display code stores, compares and logs
// (render states, blend factors, vertex layouts...); they keep the values the
// program has always used so that recorded state reads the same everywhere.

// Render states.
enum class RenderState : uint32_t {
    Antialias = 2,
    ZEnable = 7,
    ShadeMode = 9,
    ZWriteEnable = 14,
    AlphaTestEnable = 15,
    SrcBlend = 19,
    DestBlend = 20,
    CullMode = 22,
    ZFunc = 23,
    AlphaRef = 24,
    AlphaFunc = 25,
    AlphaBlendEnable = 27,
    SpecularEnable = 29,
    TextureFactor = 60,
    Wrap0 = 128,
    Clipping = 136,
    Lighting = 137,
    Ambient = 139,
    ColorVertex = 141,
    NormalizeNormals = 143,
    DiffuseMaterialSource = 145,
    SpecularMaterialSource = 146,
    AmbientMaterialSource = 147,
    EmissiveMaterialSource = 148,
};

// Texture stage states (stage 0 is the only stage drawn with).
enum class StageState : uint32_t {
    ColorOp = 1,
    ColorArg1 = 2,
    ColorArg2 = 3,
    AlphaOp = 4,
    AlphaArg1 = 5,
    AlphaArg2 = 6,
    AddressU = 13,
    AddressV = 14,
    MagFilter = 16,
    MinFilter = 17,
    MipFilter = 18,
};

namespace gfx {

// Blend factors (SrcBlend, DestBlend).
inline constexpr uint32_t kBlendZero = 1;
inline constexpr uint32_t kBlendOne = 2;
inline constexpr uint32_t kBlendSrcColor = 3;
inline constexpr uint32_t kBlendInvSrcColor = 4;
inline constexpr uint32_t kBlendSrcAlpha = 5;
inline constexpr uint32_t kBlendInvSrcAlpha = 6;
inline constexpr uint32_t kBlendDestAlpha = 7;
inline constexpr uint32_t kBlendInvDestAlpha = 8;
inline constexpr uint32_t kBlendDestColor = 9;
inline constexpr uint32_t kBlendInvDestColor = 10;

// Cull modes, judged as the triangle is seen on screen.
inline constexpr uint32_t kCullNone = 1;
inline constexpr uint32_t kCullClockwise = 2;
inline constexpr uint32_t kCullCounterClockwise = 3;

// Comparisons (ZFunc, AlphaFunc).
inline constexpr uint32_t kCmpNever = 1;
inline constexpr uint32_t kCmpLess = 2;
inline constexpr uint32_t kCmpEqual = 3;
inline constexpr uint32_t kCmpLessEqual = 4;
inline constexpr uint32_t kCmpGreater = 5;
inline constexpr uint32_t kCmpNotEqual = 6;
inline constexpr uint32_t kCmpGreaterEqual = 7;
inline constexpr uint32_t kCmpAlways = 8;

inline constexpr uint32_t kShadeFlat = 1;
inline constexpr uint32_t kShadeGouraud = 2;

inline constexpr uint32_t kAntialiasNone = 0;
inline constexpr uint32_t kAntialiasSortIndependent = 2;

// Material sources.
inline constexpr uint32_t kMaterialSourceMaterial = 0;
inline constexpr uint32_t kMaterialSourceColor1 = 1;
inline constexpr uint32_t kMaterialSourceColor2 = 2;

// Stage operations.
inline constexpr uint32_t kOpDisable = 1;
inline constexpr uint32_t kOpSelectArg1 = 2;
inline constexpr uint32_t kOpSelectArg2 = 3;
inline constexpr uint32_t kOpModulate = 4;

// Stage arguments and their modifiers.
inline constexpr uint32_t kArgDiffuse = 0;
inline constexpr uint32_t kArgCurrent = 1;
inline constexpr uint32_t kArgTexture = 2;
inline constexpr uint32_t kArgFactor = 3;
inline constexpr uint32_t kArgSpecular = 4;
inline constexpr uint32_t kArgSelectMask = 0x0F;
inline constexpr uint32_t kArgComplement = 0x10;
inline constexpr uint32_t kArgAlphaReplicate = 0x20;

// Texture addressing.
inline constexpr uint32_t kAddressWrap = 1;
inline constexpr uint32_t kAddressMirror = 2;
inline constexpr uint32_t kAddressClamp = 3;

// Filters: MagFilter and MinFilter take point or linear; MipFilter none,
// point or linear.
inline constexpr uint32_t kFilterPoint = 1;
inline constexpr uint32_t kFilterLinear = 2;
inline constexpr uint32_t kMipNone = 1;
inline constexpr uint32_t kMipPoint = 2;
inline constexpr uint32_t kMipLinear = 3;

// Primitive types.
inline constexpr uint32_t kPointList = 1;
inline constexpr uint32_t kLineList = 2;
inline constexpr uint32_t kLineStrip = 3;
inline constexpr uint32_t kTriangleList = 4;
inline constexpr uint32_t kTriangleStrip = 5;
inline constexpr uint32_t kTriangleFan = 6;

// Vertex layouts, 32 bytes a vertex each:
// kFvfNormalTex: x, y, z, nx, ny, nz, u, v (lit by the device);
// kFvfColorTex: x, y, z, reserved, diffuse, specular, u, v;
// kFvfScreenColorTex: x, y (render-target pixels), z (0..1), rhw, diffuse,
// specular, u, v. Colours are 0xAARRGGBB words.
inline constexpr uint32_t kFvfNormalTex = 0x112;
inline constexpr uint32_t kFvfColorTex = 0x1E2;
inline constexpr uint32_t kFvfScreenColorTex = 0x1C4;
inline constexpr uint32_t kVertexSize = 32;

// Clear flags.
inline constexpr uint32_t kClearTarget = 1;
inline constexpr uint32_t kClearZBuffer = 2;
inline constexpr uint32_t kClearStencil = 4;

// Cooperative levels.
inline constexpr uint32_t kCoopFullScreen = 0x1;
inline constexpr uint32_t kCoopNormal = 0x8;
inline constexpr uint32_t kCoopExclusive = 0x10;
inline constexpr uint32_t kCoopFpuPreserve = 0x1000;

} // namespace gfx

// Transforms.
enum class TransformKind : uint32_t { World = 1, View = 2, Projection = 3 };

// An integer rectangle; right and bottom are exclusive.
struct GfxRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const GfxRect&) const = default;
};

// A pixel layout by its channel masks. Flags say whether the alpha mask is
// real (alpha pixels) and whether this is a depth format.
struct PixelFormat {
    uint32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
    bool alphaPixels = false;
    bool zBuffer = false;

    bool operator==(const PixelFormat&) const = default;
    uint32_t BytesPerPixel() const { return (bitCount + 7) / 8; }

    static PixelFormat A8R8G8B8();
    static PixelFormat X8R8G8B8();
    static PixelFormat R8G8B8();
    static PixelFormat R5G6B5();
    static PixelFormat X1R5G5B5();
    static PixelFormat A1R5G5B5();
    static PixelFormat A4R4G4B4();
    static PixelFormat Depth(uint32_t bits);
};

// What a surface is for (combined bits).
namespace gfx {
inline constexpr uint32_t kCapsPrimary = 0x1;
inline constexpr uint32_t kCapsBackBuffer = 0x2;
inline constexpr uint32_t kCapsOffscreenPlain = 0x4;
inline constexpr uint32_t kCapsTexture = 0x8;
inline constexpr uint32_t kCapsZBuffer = 0x10;
inline constexpr uint32_t kCaps3dDevice = 0x20;
inline constexpr uint32_t kCapsVideoMemory = 0x40;
inline constexpr uint32_t kCapsSystemMemory = 0x80;
inline constexpr uint32_t kCapsFlip = 0x100;
// A texture that may be handed to the device's texture stage when the device
// keeps texture memory apart.
inline constexpr uint32_t kCapsTextureStage = 0x200;
inline constexpr uint32_t kCapsHintAntialiasing = 0x400;
} // namespace gfx

// The request for a new surface. Width and height are ignored for the
// primary surface (it takes the display's size). A primary surface with
// backBufferCount 1 has an attached back buffer for flipping.
struct SurfaceSpec {
    uint32_t caps = gfx::kCapsOffscreenPlain;
    int32_t width = 0;
    int32_t height = 0;
    bool hasFormat = false;
    PixelFormat format;
    uint32_t backBufferCount = 0;
};

struct SurfaceDesc {
    uint32_t caps = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0; // bytes a row
    PixelFormat format;
    uint32_t mipLevels = 1;
};

// The pixels of a locked surface: rows top down, pitch in bytes.
struct LockedSurface {
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat format;
};

struct DisplayMode {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t bitCount = 0;
    uint32_t refreshRate = 0;
    PixelFormat format;
    bool operator==(const DisplayMode&) const = default;
};

// Video memory in bytes.
struct DisplayCaps {
    uint32_t videoMemoryTotal = 0;
    uint32_t videoMemoryFree = 0;
};

// What the 3-D device can do.
struct DeviceCaps {
    bool hardwareRasterization = true;
    bool hardwareTransformAndLight = false;
    bool separateTextureMemories = false;
    bool textureFromVideoMemory = true;
    bool colorGouraudRgb = true;
    bool specularGouraudRgb = true;
    bool texturePowerOfTwo = false;
    bool textureSquareOnly = false;
    uint32_t maxTextureWidth = 4096;
    uint32_t maxTextureHeight = 4096;
    uint32_t maxTextureAspectRatio = 0; // 0: no limit
    // Render depths the device draws at, as bits: 8, 16, 24, 32 -> 1 << (n/8).
    uint32_t renderBitDepths = (1u << 2) | (1u << 4);
};

struct DeviceIdentifier {
    std::string driver;
    std::string description;
    uint32_t driverVersionHigh = 0;
    uint32_t driverVersionLow = 0;
    uint32_t vendorId = 0;
    uint32_t deviceId = 0;
    uint32_t subSysId = 0;
    uint32_t revision = 0;
    uint32_t guid[4] = {0, 0, 0, 0};
};

// One display device (one per screen).
struct DisplayDeviceInfo {
    uint32_t index = 0;
    std::string name;
    std::string description;
};

// The area the device draws in, top-down render-target pixels.
struct Viewport {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;
    bool operator==(const Viewport&) const = default;
};

struct GfxColor {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
    bool operator==(const GfxColor&) const = default;
};

struct Material {
    GfxColor diffuse;
    GfxColor ambient;
    GfxColor specular;
    GfxColor emissive;
    float power = 0.0f;
    bool operator==(const Material&) const = default;
};

// Texture filter for loading pixels into a texture and its mip levels.
enum class LoadFilter { Point, Linear };

// Desktop questions.
struct MonitorArea {
    GfxRect bounds;
    GfxRect workArea;
};

// The main window's frame around its client area, in pixels.
struct FrameBorders {
    int32_t edgeX = 0;
    int32_t edgeY = 0;
    int32_t frameX = 0;
    int32_t frameY = 0;
    int32_t caption = 0;
};

} // namespace platform
