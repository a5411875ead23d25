#include "velk/particles/vlkBoardFxServices.h"

#include "framework/app/TApplication.h"
#include "framework/core/math/TRandom.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/ui/manager/TWindowManager.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TAssetLists.h"
#include "velk/game/FxMap.h"
#include "velk/globals/GameGlobals.h"

namespace {

vlkBoardFxServices* gInstalled = nullptr;

} // namespace

TString vlkBoardFxServices::GetFxPath(const TString& name) {
    return ::GetFxPath(name);
}

void vlkBoardFxServices::PlayEffectSound(const TString& name) {
    if (gGameAssetMap && gAssetLists) {
        PlaySoundAsset(gAssetLists->GetSound(name), false);
    }
}

uint32_t vlkBoardFxServices::Random() {
    if (TApplication* application = TApplication::Get()) {
        return application->Random();
    }
    // No application (tools): a generator of our own.
    static TRandom random = [] {
        TRandom seeded;
        seeded.Seed(GetFrameworkTime());
        return seeded;
    }();
    return random.Next();
}

TRect vlkBoardFxServices::GetScreenRect() {
    if (TWindowManager* manager = TWindowManager::Instance()) {
        return manager->GetScreenRect();
    }
    return TRect();
}

vlkBoardFxServices& vlkBoardFxServices::Get() {
    static vlkBoardFxServices defaults;
    return gInstalled ? *gInstalled : defaults;
}

void vlkBoardFxServices::Install(vlkBoardFxServices* services) {
    gInstalled = services;
}

void PlayEffectSound(const TString& name) {
    vlkBoardFxServices::Get().PlayEffectSound(name);
}
