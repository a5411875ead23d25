#include "framework/graphics/texture/TTextureDisplay.h"

#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TRenderer.h"

namespace {

// Asks the renderer's display set-up at every call.
class TRendererTextureDisplay : public TTextureDisplay {
public:
    platform::GraphicsDisplay* GetDirectDraw() override {
        TDisplaySetup* setup = Setup();
        return setup ? setup->GetContext().GetDirectDraw() : nullptr;
    }
    platform::GraphicsDevice* GetDevice() override {
        TDisplaySetup* setup = Setup();
        return setup ? setup->GetDevice().get() : nullptr;
    }
    platform::SurfacePtr GetBackBuffer() override {
        TDisplaySetup* setup = Setup();
        return setup ? setup->GetContext().GetBackBuffer() : nullptr;
    }
    bool IsSquareTexturesOnly() override {
        TDisplaySetup* setup = Setup();
        return setup && setup->IsSquareTexturesOnly();
    }
    bool HasSeparateTextureMemories() override {
        TDisplaySetup* setup = Setup();
        return setup && setup->HasSeparateTextureMemories();
    }
    bool IsDeviceValid() override {
        TRenderer* renderer = TRenderer::Get();
        return renderer && renderer->IsDeviceValid();
    }
    void MarkBroken() override {
        if (TDisplaySetup* setup = Setup())
            setup->MarkBroken();
        else if (TRenderer* renderer = TRenderer::Get())
            renderer->LoseDevice();
    }
    void EnterLowMemoryMode() override {
        if (TRenderer* renderer = TRenderer::Get())
            renderer->OnOutOfVideoMemory();
    }
    // The platform notes a hosted start in the setting "activex".
    bool IsHosted() override { return GetSettingBool(TString(kSettingActiveX)); }

private:
    static TDisplaySetup* Setup() {
        TRenderer* renderer = TRenderer::Get();
        return renderer ? renderer->GetDisplaySetup() : nullptr;
    }
};

TTextureDisplay* gOverride = nullptr;

} // namespace

TTextureDisplay& GetRendererTextureDisplay() {
    static TRendererTextureDisplay display;
    return display;
}

void SetTextureDisplay(TTextureDisplay* display) {
    gOverride = display;
}

TTextureDisplay& GetTextureDisplay() {
    return gOverride ? *gOverride : GetRendererTextureDisplay();
}
