#pragma once

#include "framework/host/assetmap/TAssetMap.h"
#include "velk/data/vlkTextLess.h"

#include <map>
#include <memory>

// The game's own asset map, kept in a global from start-up to shut-down.
// Besides the lookups of an asset map it is the game's way to the sound
// manager's volumes: kinds 0 and 1 are the sound effects, 2 the music,
// any other kind k the group 1000 + k.
class TGameAssetMap : public TAssetMap {
public:
    TGameAssetMap();
    ~TGameAssetMap() override;

    // The sound-manager group that a volume kind sets first.
    static int GroupOfKind(int kind);

    // Sets the volume of the kind's group; kind 1 sets the group of the
    // listed sound effects (1001) as well, so the effects follow it.
    void SetGroupVolume(int kind, float volume);
    void SetMasterVolume(float volume);
    void SetMusicVolume(float volume) { mMusicVolume = volume; }
    float GetMusicVolume() const { return mMusicVolume; }
    // Whether the screens should leave a sound unplayed: never.
    bool IsSoundSuppressed(const TString& name) const;

private:
    // A second map by name, for assets that game code registers itself.
    std::unique_ptr<std::map<TString, std::shared_ptr<TAsset>, vlkTextLess>> mNamed;
    float mMusicVolume = 0.0f;
};

// Deletes the global game asset map and clears the global.
void DestroyGameAssetMap();
