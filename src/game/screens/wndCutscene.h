#pragma once

#include "framework/ui/window/TWindow.h"
#include "velk/cutscene/vlkCutscene.h"

#include <cstdint>
#include <memory>

class vlkCutsceneText;
class vlkCutsceneTextSequence;

// The window that plays a story cut-scene: the file of the table's
// "cutsceneFile" at the table's "speed", fed the window's clock, its clicks
// and the Space and Enter keys (every key stops here), with the child
// "btnContinue" as the button shown at its stops. Scripts resume it with
// "cutsceneResume" and end it with "cutsceneSkip"; with "onFinish" its end
// runs "CloseCSWindow()". Four decorations of its own play beside it.
class wndCutscene : public TWindow, public vlkICutscene {
public:
    static constexpr uint32_t kTickMs = 16;
    static constexpr int8_t kSpace = 32;
    static constexpr int8_t kEnter = 13;

    wndCutscene();

    const char* GetClassName() const override { return "wndCutscene"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // The window's own set-up runs in PostInit, once the children exist.
    void Init(TWindowStyle&) override {}
    void PostInit(TWindowStyle& style) override;
    bool OnAnimate() override;
    void Draw() override;
    void DrawOverlay() override {}
    bool OnMouseDown(TPoint point) override;
    bool OnKeyDown(int8_t key, uint32_t modifiers) override;

    // Loads the file into the main cut-scene.
    void SetFile(const TString& name);
    // The main cut-scene has ended: "CloseCSWindow()".
    void OnCutsceneFinished();
    void OnCutsceneEnd(vlkCutscene*) override { OnCutsceneFinished(); }

    // The scripts' "cutsceneResume" and "cutsceneSkip".
    void Resume();
    void SkipAll();

    // One tick at the animator clock's time now.
    void Tick(uint32_t nowMs);

    vlkCutscene* GetMain() const { return mMain.get(); }
    const TString& GetFile() const { return mFile; }

protected:
    ~wndCutscene() override;

private:
    TString mFile;
    std::unique_ptr<vlkCutscene> mMain;
    std::unique_ptr<vlkCutscene> mFlower;
    uint32_t mLastTick = 0;
    std::unique_ptr<vlkCutscene> mTextCutscene;
    std::unique_ptr<vlkCutsceneText> mText;
    std::unique_ptr<vlkCutsceneTextSequence> mTextSequence;
};
