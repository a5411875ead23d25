#include "framework/graphics/TAssetManager.h"

namespace {
TAssetManager* gInstance = nullptr;
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

void TAssetManager::Register(const TString& key, const std::shared_ptr<TAsset>& asset) {
    mAssets[key] = asset;
}

std::shared_ptr<TAsset> TAssetManager::Find(const TString& key) const {
    auto found = mAssets.find(key);
    return found != mAssets.end() ? found->second.lock() : nullptr;
}
