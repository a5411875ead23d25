#include "framework/sound/TSoundManager.h"

#include "framework/core/log/TLog.h"

#include <algorithm>

namespace {
std::atomic<TSoundManager*> gInstance{nullptr};
std::atomic<bool> gOggRegistered{false};

float Clamped(float volume) {
    return std::clamp(volume, 0.0f, 1.0f);
}
} // namespace

TSoundManager::TSoundManager() {
    std::fill(std::begin(mGroupVolumes), std::end(mGroupVolumes), 1.0f);
    gInstance = this;
}

TSoundManager::~TSoundManager() {
    TSoundManager* self = this;
    gInstance.compare_exchange_strong(self, nullptr);
}

TSoundManager* TSoundManager::Instance() {
    return gInstance;
}

bool TSoundManager::Init() {
    LogPrintf("TSoundManager::Init: no sound output is available yet; the game runs silent");
    mInitialised = false;
    return false;
}

void TSoundManager::Update() {
    ++mUpdates;
}

float TSoundManager::GetVolume(int group) const {
    if (group < 0 || group >= kGroupCount) {
        return mMasterVolume;
    }
    return mGroupVolumes[group];
}

void TSoundManager::SetVolume(int group, float volume) {
    if (group == kMasterGroup) {
        SetMasterVolume(volume);
    } else if (group >= 0 && group < kGroupCount) {
        mGroupVolumes[group] = Clamped(volume);
    }
}

void TSoundManager::SetMasterVolume(float volume) {
    mMasterVolume = Clamped(volume);
}

void RegisterOggDataSourceBuilder() {
    gOggRegistered = true;
}

bool IsOggDataSourceRegistered() {
    return gOggRegistered;
}
