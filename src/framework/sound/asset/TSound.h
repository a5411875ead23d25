#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/sound/stream/TStreamNotify.h"

#include <memory>
#include <set>

class TSound;
class TSoundDataSource;
class TSoundInstance;

// A sound name split into its file name and volume group, and the key the
// sound is shared under: "file;preload;group".
struct TSoundSpec {
    TString fileName;
    int group = -1;
    TString key;
};

// Reads "file" or "file?...group=N..." (the group defaults to defaultGroup;
// anything after "?" is cut from the file name).
TSoundSpec ParseSoundSpec(const TString& name, bool preload, int defaultGroup);
// The sharing key of a sound name loaded preloaded in no group.
TString ParseGroupSpec(const TString& name);

// What a sound plays: its decoded source, volume group and the instances
// that play; told of the end of each of their streams.
class TSoundData : public TStreamNotify {
public:
    ~TSoundData() override = default;
    void OnStreamEnd(TSoundStream* stream) override;

    std::set<std::shared_ptr<TSoundInstance>> mInstances;
    std::shared_ptr<TSoundDataSource> mSource;
    int mGroup = -1;
    TString mFileName;
    TSound* mOwner = nullptr;
};

// A sound file loaded by name and shared through the asset manager under
// its key; played any number of times at once, each play on its own stream.
class TSound : public TAsset {
public:
    TSound();
    ~TSound() override;

    // The sound of a file ("name" or "name?group=N"), shared while it
    // lives; empty, with a log line, when no sound file is found. preload
    // decodes (or holds in memory) at load; without it the file streams.
    static std::shared_ptr<TSound> Get(const TString& name, bool preload = true,
                                       int defaultGroup = -1);

    const char* GetClassName() const override { return "TSound"; }
    // True for the sound's own class id and the asset's.
    bool IsKindOf(TClassId id) const override { return id == GetClassId() || TAsset::IsKindOf(id); }
    static TClassId GetClassId();
    // The same by class name ("TSound", "TAsset").
    bool IsKindOf(const char* className) const;

    // A new instance playing the sound (looping or once); empty on failure.
    std::shared_ptr<TSoundInstance> Play(bool loop);
    // Stops one instance; true when one was given.
    bool Stop(const std::shared_ptr<TSoundInstance>& instance);
    // True when any instance was stopped.
    bool StopAll();
    // Pauses or resumes every instance; true when there was one.
    bool Pause(bool pause);

    const std::shared_ptr<TSoundData>& GetData() const { return mData; }
    std::shared_ptr<TSound> GetShared() const { return mSelf.lock(); }
    size_t GetInstanceCount() const;

private:
    std::shared_ptr<TSoundData> mData;
    std::weak_ptr<TSound> mSelf;
};
