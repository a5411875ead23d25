#include "framework/graphics/asset/TAssetManager.h"

namespace {
TAssetManager* gInstance = nullptr;
}

TClassId TAsset::GetClassId() {
    static const char id = 0;
    return &id;
}

TAssetManager::TAssetManager() {
    gInstance = this;
}

TAssetManager::~TAssetManager() {
    if (gInstance == this) {
        gInstance = nullptr;
    }
}

TAssetManager* TAssetManager::Instance() {
    return gInstance;
}

TAssetManager* GetAssetManager() {
    return TAssetManager::Instance();
}

std::shared_ptr<TAsset> TAssetManager::GetAsset(const TString& name) {
    return mAssets[name].lock();
}

void TAssetManager::RegisterAsset(const TString& name, const std::shared_ptr<TAsset>& asset) {
    mAssets[name] = asset;
}

void TAssetManager::RemoveAsset(const TString& name) {
    mAssets.erase(name);
}

void TAssetManager::ReleaseAll() {
    for (auto at = mAssets.begin(); at != mAssets.end();) {
        // Step on first: the entry may be erased, and a release may remove
        // or add other entries.
        auto current = at++;
        if (std::shared_ptr<TAsset> asset = current->second.lock()) {
            asset->ReleaseResources();
        } else {
            mAssets.erase(current);
        }
    }
}

void TAssetManager::RestoreAll() {
    for (auto at = mAssets.begin(); at != mAssets.end(); ++at) {
        if (std::shared_ptr<TAsset> asset = at->second.lock()) {
            asset->RestoreResources();
        }
    }
}

std::shared_ptr<TAsset> TAssetManager::Find(const TString& name) const {
    auto found = mAssets.find(name);
    return found != mAssets.end() ? found->second.lock() : nullptr;
}
