#pragma once

#include <memory>
#include <utility>

class TSound;
class TSoundInstance;
class TSoundStream;

// Told when an instance's sound has ended. Nothing in the game sets one
// yet; the sound layer keeps the order of the notice.
class TSoundFinishListener {
public:
    virtual ~TSoundFinishListener() = default;
    // The instance is dropped from the listener's care.
    virtual void ForgetInstance(TSoundInstance* instance) = 0;
    virtual void OnSoundFinished(const std::shared_ptr<TSoundInstance>& instance,
                                 const std::weak_ptr<void>& extra) = 0;
};

// One play of a sound: the handle game code gets from TSound::Play. It knows
// the stream that plays it until that stream is destroyed.
class TSoundInstance : public std::enable_shared_from_this<TSoundInstance> {
public:
    TSoundInstance() = default;
    virtual ~TSoundInstance() = default;

    TSoundStream* GetStream() const { return mStream; }
    void SetStream(TSoundStream* stream) { mStream = stream; }
    std::weak_ptr<TSound> GetOwner() const { return mOwner; }
    void SetOwner(std::weak_ptr<TSound> owner) { mOwner = std::move(owner); }
    std::weak_ptr<void> TakeExtraLink() { return std::exchange(mExtraLink, {}); }
    void SetExtraLink(std::weak_ptr<void> link) { mExtraLink = std::move(link); }
    TSoundFinishListener* GetFinishListener() const { return mFinishListener; }
    void SetFinishListener(TSoundFinishListener* listener) { mFinishListener = listener; }

private:
    TSoundStream* mStream = nullptr;
    std::weak_ptr<TSound> mOwner;
    std::weak_ptr<void> mExtraLink;
    TSoundFinishListener* mFinishListener = nullptr;
};
