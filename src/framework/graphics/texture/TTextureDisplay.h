#pragma once

#include "platform/graphics/GraphicsDisplay.h"

#include <cstdint>

// What texture data needs of the display it lives on: the display object
// and its 3-D device (both null while there is no display), the back
// buffer, the device's texture rules, and the display's reactions to
// trouble (marking DirectX broken, the low-memory mode). Texture data asks
// at every call, so a display made, lost or remade after a texture was
// created is the one it uses. Main thread.
class TTextureDisplay {
public:
    virtual ~TTextureDisplay() = default;

    virtual platform::GraphicsDisplay* GetDirectDraw() = 0;
    virtual platform::GraphicsDevice* GetDevice() = 0;
    virtual platform::SurfacePtr GetBackBuffer() = 0;
    // The device takes square textures only.
    virtual bool IsSquareTexturesOnly() = 0;
    // The device keeps texture memory apart from other video memory.
    virtual bool HasSeparateTextureMemories() = 0;
    // A display exists and is not lost.
    virtual bool IsDeviceValid() = 0;
    virtual void MarkBroken() = 0;
    // A texture came out at 16 bits on a 32-bit display: the renderer keeps
    // video memory use low from now on.
    virtual void EnterLowMemoryMode() = 0;
    // The program is shown inside a host program's window (blits to the
    // back buffer are scaled by the setting "viewportscale").
    virtual bool IsHosted() = 0;
};

// The display of the process's renderer (TRenderer::Get); with no renderer
// or no display every question answers "none".
TTextureDisplay& GetRendererTextureDisplay();

// A display given by hand: tools and tests that make a graphics display of
// their own (the null back end draws into memory) hand it here. Counts what
// the texture data asked it to do.
class TStandaloneTextureDisplay : public TTextureDisplay {
public:
    TStandaloneTextureDisplay() = default;
    TStandaloneTextureDisplay(platform::GraphicsDisplay* display, platform::DevicePtr device,
                              platform::SurfacePtr backBuffer)
        : mDisplay(display), mDevice(std::move(device)), mBackBuffer(std::move(backBuffer)) {}

    platform::GraphicsDisplay* GetDirectDraw() override { return mDisplay; }
    platform::GraphicsDevice* GetDevice() override { return mDevice.get(); }
    platform::SurfacePtr GetBackBuffer() override { return mBackBuffer; }
    bool IsSquareTexturesOnly() override { return mSquareOnly; }
    bool HasSeparateTextureMemories() override { return mSeparateMemories; }
    bool IsDeviceValid() override { return mValid && mDisplay && mDevice; }
    void MarkBroken() override {
        ++mBrokenCount;
        mValid = false;
    }
    void EnterLowMemoryMode() override { ++mLowMemoryCount; }
    bool IsHosted() override { return mHosted; }

    void SetSquareOnly(bool on) { mSquareOnly = on; }
    void SetSeparateMemories(bool on) { mSeparateMemories = on; }
    void SetValid(bool on) { mValid = on; }
    void SetHosted(bool on) { mHosted = on; }
    int GetBrokenCount() const { return mBrokenCount; }
    int GetLowMemoryCount() const { return mLowMemoryCount; }

private:
    platform::GraphicsDisplay* mDisplay = nullptr;
    platform::DevicePtr mDevice;
    platform::SurfacePtr mBackBuffer;
    bool mSquareOnly = false;
    bool mSeparateMemories = false;
    bool mValid = true;
    bool mHosted = false;
    int mBrokenCount = 0;
    int mLowMemoryCount = 0;
};

// The display new textures are made for: the one set here when there is
// one (tools and tests without a renderer), else the renderer's. Null sets
// the renderer's again.
void SetTextureDisplay(TTextureDisplay* display);
TTextureDisplay& GetTextureDisplay();
