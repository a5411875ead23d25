#include "framework/app/TApplication.h"

#include "framework/app/StartupTrace.h"
#include "framework/app/TApplicationWindowHost.h"
#include "framework/app/TPlatform.h"
#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/system/ApplicationPresence.h"
#include "framework/core/system/TComputerId.h"
#include "framework/core/system/TEvent.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/host/TFlashHost.h"
#include "framework/host/TGameState.h"
#include "framework/host/TXSellWindow.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/script/engine/LuaState.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TOggDataSource.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/window/TScreen.h"
#include "platform/process/ProcessControl.h"
#include "platform/time/TimeSource.h"

#include <cstdlib>

namespace {

TApplication* gApplication = nullptr;

void OnSettingChanged(const TString& name, const TString& value) {
    if (TApplication* application = TApplication::Get()) {
        application->GetPlatform()->OnSettingChanged(name, value);
    }
}

// The clocks' and timed tasks' time while the application lives.
uint32_t ApplicationRandom() {
    TApplication* application = TApplication::Get();
    return application ? application->Random() : 0;
}

uint32_t ApplicationTimer() {
    TApplication* application = TApplication::Get();
    return application ? application->GetTimer() : platform::TimerNow();
}

// One seed word from three numbers of the standard generator, taken in
// this order: r1 * 8 * r2 + (r3 >> 3), in 32-bit arithmetic.
uint32_t SeedWord() {
    uint32_t r1 = static_cast<uint32_t>(std::rand());
    uint32_t r2 = static_cast<uint32_t>(std::rand());
    uint32_t r3 = static_cast<uint32_t>(std::rand());
    return r1 * 8u * r2 + (r3 >> 3);
}

// The string files found directly under a data-folder prefix: names that
// begin with "string" and contain ".xml" behind the prefix.
void LoadStringFilesUnder(const char* prefix, TStringTable& table) {
    TString folder(prefix);
    TString name;
    while (NextRegisteredName(folder, name, false)) {
        TString file = name.Substring(folder.Length());
        if (file.View().starts_with("string") && file.Find(".xml") >= 0) {
            table.LoadFile(name);
        }
    }
}

} // namespace

TApplication::TApplication(TPlatform* platform) : mPlatform(platform) {
    // 1. JPEG-2000 decoding needs no set-up of its own here. The platform
    // is kept from the start: the change hook reaches it from step 2 on.
    mRestoreListeners = new TTaskList;
    gApplication = this;
    SetApplicationPresent(true);
    SetFrameworkTimer(ApplicationTimer);
    // Animated sprites run their scripts in the platform's task list and
    // draw from its random generator.
    TAnimatedSprite::SetTaskList(&platform->mTaskList);
    TAnimatedSprite::SetRandomSource(ApplicationRandom);
    SetSettingChangeHook(OnSettingChanged);
    TCommandLine commandLine(platform->GetCommandLine());
    // 2.
    SetSetting(kSettingMemoryMax, "100000000");
    SetSetting(kSettingTextureMemoryMax, "100000000");
    // 3. and 4.
    commandLine.StoreDownloadUrl();
    commandLine.StoreStringTest();
    // 5.
    SetSetting(kSettingUtf8ModeInit, GetSetting(TSettingKey::kUtf8Mode, ""));
    // 6.
    uint32_t seeds[4];
    for (uint32_t& seed : seeds) {
        seed = SeedWord();
    }
    mPlatform->mRandom.SeedByArray(seeds, 4);
    // 7.
    TWindowScript* script = new TWindowScript(nullptr);
    mPlatform->mWindowManager->SetHost(std::make_unique<TApplicationWindowHost>(this));
    mPlatform->mWindowManager->Init(script);
    mPlatform->mWindowManager->RegisterWindowType("XSellWindow", TXSellWindow::GetCreator());
    SetMoviePlayerMaker(&TFlashHost::Make);
    // 8.
    SetSetting(TSettingKey::kComputerId, GetComputerId());
    // 9.
    TXmlNode document;
    document.LoadFile("::assets/settings.xml");
    if (TXmlNode* settings = document.FindChild("settings")) {
        for (size_t i = 0; i < settings->GetChildCount(); ++i) {
            TXmlNode* child = settings->GetChild(i);
            SetSetting(child->GetName(), child->GetText());
        }
    } else {
        LogPrintf("::assets/settings.xml has no settings element (missing or damaged file): the "
                  "defaults stay");
    }
    // 10.
    SetUserDataFolder(mPlatform->mUserDataFolder);
    SetUnwritableUserDataFolder(mPlatform->mUnwritableUserDataFolder);
    SetCommonDataFolder(mPlatform->mCommonDataFolder);
    SetDesktopFolder(mPlatform->mDesktopFolder);
    // 11.
    if (GetSettingBool(TSettingKey::kFirstPeek)) {
        SetFirstPeek(true);
    }
    SetHostedControl(GetSettingBool(kSettingActiveX));
    InitFileSystem();
    mPlatform->RegisterSystemCursorFile();
    // 12.
    if (mPlatform->mStringTable->LoadFile("strings.xml")) {
        mPlatform->mWindowManager->SetScriptFlag(true);
    }
    LoadStringFilesUnder("user:", *mPlatform->mStringTable);
    LoadStringFilesUnder("common:", *mPlatform->mStringTable);
    // 13.
    SetSetting(TSettingKey::kBuildTag, mPlatform->GetInternalName());
    LogPrintf("%s, version %s.", mPlatform->GetProductName().CStr(),
              mPlatform->GetVersion().CStr());
    SetSetting(TSettingKey::kGameName, mPlatform->GetProductName());
    SetSetting(TSettingKey::kVersion, mPlatform->GetVersion());
    // 14.
    RegisterOggDataSourceBuilder();
    TGameState::GetInstance();
    TraceStartup("application");
}

TApplication::~TApplication() {
    // The helper thread reads the window manager and the renderer: it is
    // stopped and joined before either goes.
    mPlatform->StopHelperThread();
    // 1.
    delete mPlatform->mWindowManager;
    mPlatform->mWindowManager = nullptr;
    TraceStartup("window manager deleted");
    mPlatform->mTaskList.DeleteAll();
    delete mPlatform->mSoundManager;
    mPlatform->mSoundManager = nullptr;
    TraceStartup("sound manager deleted");
    delete mPlatform->mVecDraw;
    mPlatform->mVecDraw = nullptr;
    TGraphics::Destroy();
    SetFrameworkTimer(nullptr);
    TAnimatedSprite::SetTaskList(nullptr);
    TAnimatedSprite::SetRandomSource(nullptr);
    gApplication = nullptr;
    SetApplicationPresent(false);
    SetSettingChangeHook(TSettingChangeHook());
    // 2.
    delete TGameState::GetInstance();
    TraceStartup("game states deleted");
    delete mPlatform->mStringTable;
    mPlatform->mStringTable = nullptr;
    delete mPlatform->mAssetManager;
    mPlatform->mAssetManager = nullptr;
    delete mPlatform;
    mPlatform = nullptr;
    // 3.
    ClearSettings();
    ClearNameRegistry();
    delete mRestoreListeners;
    mRestoreListeners = nullptr;
    TraceStartup("application deleted");
}

TApplication* TApplication::Get() {
    return gApplication;
}

bool TApplication::CreateMainWindow() {
    return mPlatform->CreateMainWindow();
}

void TApplication::GetEvent(TEvent& event) {
    // Each pass of the main loop comes here: the scripts gave control back.
    LuaNoteProgress();
    mPlatform->GetEvent(event);
}

uint32_t TApplication::GetTimer() const {
    return mPlatform->GetTimer();
}

void TApplication::Sleep(uint32_t ms) {
    platform::SleepMs(ms);
}

void TApplication::PostQuit(int code) {
    mPlatform->PostQuit(code);
}

void TApplication::SetWindowTitle(const TString& text) {
    mPlatform->SetWindowText(text);
}

void TApplication::OpenUrl(const TString& url) {
    mPlatform->OpenUrl(url);
}

bool TApplication::StringToClipboard(const TString& text) {
    return mPlatform->SetClipboardText(text);
}

TString TApplication::GetClipboardString() {
    return mPlatform->GetClipboardText();
}

bool TApplication::IsForeground() const {
    return mPlatform->IsForeground();
}

bool TApplication::SetFullScreen(bool fullScreen) {
    return mPlatform->SetFullScreen(fullScreen);
}

bool TApplication::IsFullScreen() const {
    return mPlatform->IsFullScreen();
}

void TApplication::SetDisplayMode(int width, int height, bool fullScreen) {
    TWindowManager* manager = mPlatform->mWindowManager;
    if (manager && !manager->GetMainWindow()) {
        TScreen* screen = new TScreen;
        manager->SetMainWindow(screen);
        screen->SetSize(width, height);
    }
    mPlatform->SetVideoMode(width, height, fullScreen);
    TGraphics* graphics = TGraphics::Get();
    graphics->PopClipRect();
    graphics->PushClipRect(TRect(0, 0, width, height));
}

void TApplication::GetDisplayMode(int& width, int& height, bool& fullScreen) const {
    mPlatform->GetDisplayMode(width, height, fullScreen);
}

bool TApplication::IsReadyToDraw() const {
    TRenderer* renderer = TRenderer::Get();
    return renderer && renderer->IsDeviceValid() && renderer->IsPresentDone();
}

bool TApplication::IsDisplayReady() const {
    TRenderer* renderer = TRenderer::Get();
    if (renderer && renderer->GetDisplaySetup()) {
        return renderer->GetDisplaySetup()->HasDeviceAndSurfaces();
    }
    return renderer && renderer->IsDeviceValid();
}

TTextureData* TApplication::CreateTextureData() {
    TRenderer* renderer = TRenderer::Get();
    if (!renderer) {
        LogPrintf("TApplication::CreateTextureData: there is no renderer yet");
        return nullptr;
    }
    return renderer->CreateTextureData();
}

void TApplication::UseHardwareCursor(bool on) {
    mPlatform->UseHardwareCursor(on);
}

void TApplication::SetMouseCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY,
                                  int flags, int slot) {
    mPlatform->SetMouseCursor(image, hotX, hotY, flags, slot);
}

int TApplication::GetMouseMode() const {
    return mPlatform->mMouseMode;
}

void TApplication::OnOutOfVideoMemory() {
    if (TRenderer* renderer = TRenderer::Get()) {
        renderer->OnOutOfVideoMemory();
    }
}

bool TApplication::InitSoundManager() {
    if (mPlatform->mSoundManager) {
        return mPlatform->mSoundManager->IsInitialised();
    }
    mPlatform->mSoundManager = new TSoundManager;
    return mPlatform->mSoundManager->Init();
}

TSoundManager* TApplication::GetSoundManager() const {
    return mPlatform->mSoundManager;
}

TWindowManager* TApplication::GetWindowManager() const {
    return mPlatform->mWindowManager;
}

TAssetManager* TApplication::GetAssetManager() const {
    return mPlatform->mAssetManager;
}

TStringTable* TApplication::GetStringTable() const {
    return mPlatform->mStringTable;
}

void TApplication::AddTask(TTask* task) {
    mPlatform->mTaskList.AddTask(task);
}

bool TApplication::RemoveTask(TTask* task) {
    return mPlatform->mTaskList.RemoveTask(task);
}

TTaskList* TApplication::GetTaskList() const {
    return &mPlatform->mTaskList;
}

void TApplication::AddRestoreListener(TTask* task) {
    mRestoreListeners->AddTask(task);
}

uint32_t TApplication::Random() {
    return mPlatform->mRandom.Next();
}

bool TApplication::CreateGuid(TGuid& guid) {
    return NewGuid(guid);
}

TString TApplication::GetProductName() const {
    return mPlatform->GetProductName();
}

TString TApplication::GetVersion() const {
    return mPlatform->GetVersion();
}
