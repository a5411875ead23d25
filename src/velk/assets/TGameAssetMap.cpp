#include "velk/assets/TGameAssetMap.h"

#include "framework/sound/manager/TSoundManager.h"
#include "velk/globals/GameGlobals.h"

namespace {

// The groups under which the asset lists load their sounds and music.
constexpr int kEffectsGroup = 1001;
constexpr int kMusicGroup = 1000;

} // namespace

TGameAssetMap::TGameAssetMap()
    : mNamed(std::make_unique<std::map<TString, std::shared_ptr<TAsset>, vlkTextLess>>()) {}

TGameAssetMap::~TGameAssetMap() {
    mNamed->clear();
    mNamed.reset();
}

int TGameAssetMap::GroupOfKind(int kind) {
    if (kind == 0 || kind == 1)
        return 0;
    if (kind == 2)
        return kMusicGroup;
    return kMusicGroup + kind;
}

void TGameAssetMap::SetGroupVolume(int kind, float volume) {
    TSoundManager* manager = TSoundManager::Instance();
    if (!manager)
        return;
    manager->SetGroupVolume(GroupOfKind(kind), volume);
    if (kind == 1)
        manager->SetGroupVolume(kEffectsGroup, volume);
}

void TGameAssetMap::SetMasterVolume(float volume) {
    if (TSoundManager* manager = TSoundManager::Instance())
        manager->SetMasterVolume(volume);
}

bool TGameAssetMap::IsSoundSuppressed(const TString&) const {
    return false;
}

void DestroyGameAssetMap() {
    delete gGameAssetMap;
    gGameAssetMap = nullptr;
}
