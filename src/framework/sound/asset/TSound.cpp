#include "framework/sound/asset/TSound.h"

#include "framework/core/log/TLog.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TSoundDataSource.h"
#include "framework/sound/stream/TSoundInstance.h"
#include "framework/sound/stream/TSoundStream.h"
#include "framework/sound/stream/TStreamSpooler.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Each play streams through a ring of this length.
constexpr float kRingSeconds = 2.0f;
// What a sound played once has in its ring after its end.
constexpr double kOnceMarginSeconds = 0.05;

} // namespace

TSoundSpec ParseSoundSpec(const TString& name, bool preload, int defaultGroup) {
    TSoundSpec spec;
    spec.fileName = name;
    spec.group = defaultGroup;
    int question = name.FindChar('?');
    if (question >= 0) {
        const char* text = name.CStr();
        if (const char* group = std::strstr(text + question, "group=")) {
            long value = std::strtol(group + 6, nullptr, 10);
            spec.group = static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
        }
        spec.fileName = name.Substring(0, question);
    }
    spec.key = TString::Format("%s;%d;%d", spec.fileName.CStr(), preload ? 1 : 0, spec.group);
    return spec;
}

TString ParseGroupSpec(const TString& name) {
    return ParseSoundSpec(name, true, -1).key;
}

void TSoundData::OnStreamEnd(TSoundStream* stream) {
    if (!stream) {
        return;
    }
    stream->ClearArmedEndNotify();
    // The sound stays alive for the call when something still holds it.
    std::shared_ptr<TSound> owner = mOwner ? mOwner->GetShared() : nullptr;
    std::shared_ptr<TSoundInstance> instance = stream->GetInstance();
    if (!instance) {
        return;
    }
    std::weak_ptr<void> extra = instance->TakeExtraLink();
    if (TSoundFinishListener* listener = instance->GetFinishListener()) {
        listener->ForgetInstance(instance.get());
        TSoundManager* manager = TSoundManager::Instance();
        if (!manager || !manager->IsShuttingDown()) {
            listener->OnSoundFinished(instance, extra);
        }
    }
    if (extra.expired()) {
        mInstances.erase(instance);
    }
}

TSound::TSound() : mData(std::make_shared<TSoundData>()) {
    mData->mOwner = this;
}

TSound::~TSound() {
    TSoundLock lock;
    for (const auto& instance : mData->mInstances) {
        instance->SetFinishListener(nullptr);
    }
    mData->mOwner = nullptr;
    StopAll();
    mData.reset();
}

std::shared_ptr<TSound> TSound::Get(const TString& name, bool preload, int defaultGroup) {
    if (name.IsEmpty()) {
        return nullptr;
    }
    TSoundSpec spec = ParseSoundSpec(name, preload, defaultGroup);
    TAssetManager* assets = TAssetManager::Instance();
    if (assets) {
        if (auto found = std::dynamic_pointer_cast<TSound>(assets->Find(spec.key))) {
            return found;
        }
    }
    auto sound = std::make_shared<TSound>();
    sound->mSelf = sound;
    if (assets) {
        assets->Register(spec.key, sound);
    }
    sound->mData->mFileName = spec.fileName;
    sound->mData->mGroup = spec.group;
    std::shared_ptr<TSoundDataSource> source =
        TSoundDataSourceBuilder::CreateSource(spec.fileName, !preload);
    if (!source) {
        LogPrintf("TSound::Get: No valid sound file found: %s", spec.fileName.CStr());
        return nullptr;
    }
    sound->mData->mSource = std::move(source);
    return sound;
}

TClassId TSound::GetClassId() {
    static const char id = 0;
    return &id;
}

bool TSound::IsKindOf(const char* className) const {
    return className &&
           (std::strcmp(className, "TSound") == 0 || std::strcmp(className, "TAsset") == 0);
}

std::shared_ptr<TSoundInstance> TSound::Play(bool loop) {
    if (!mData || !mData->mSource) {
        LogPrintf("Play of uninitialized sound");
        return nullptr;
    }
    if (!TSoundManager::Instance()) {
        LogPrintf("No Sound Manager");
        return nullptr;
    }
    const std::shared_ptr<TSoundDataSource>& source = mData->mSource;
    auto* spooler = new TStreamSpooler(source);
    std::shared_ptr<TSoundStream> stream =
        TSoundStream::Create(spooler, loop, mData->mGroup, std::weak_ptr<TStreamNotify>(mData));
    auto instance = std::make_shared<TSoundInstance>();
    instance->SetOwner(mSelf);
    instance->SetStream(stream.get());
    stream->SetInstance(instance);
    {
        TSoundLock lock;
        mData->mInstances.insert(instance);
    }
    // A sound played once that is shorter than the usual ring gets a ring
    // of its own length and a little more, so it still plays in one pass:
    // effects are short, many play at once, and each ring is memory.
    float seconds = kRingSeconds;
    const double duration = source->GetDuration();
    if (!loop && duration > 0.0 && duration + kOnceMarginSeconds < kRingSeconds)
        seconds = static_cast<float>(duration + kOnceMarginSeconds);
    stream->CreateBuffer(source->GetSampleRate(), static_cast<uint16_t>(source->GetChannels()), 16,
                         seconds);
    bool once = !loop && stream->GetBufferSeconds() > source->GetDuration();
    stream->Start(once);
    return instance;
}

bool TSound::Stop(const std::shared_ptr<TSoundInstance>& instance) {
    TSoundLock lock;
    if (!instance) {
        return false;
    }
    std::shared_ptr<TSoundInstance> held = instance; // the set may hold the last reference
    mData->mInstances.erase(held);
    if (TSoundStream* stream = held->GetStream()) {
        if (stream->GetEndNotify() == mData) {
            stream->Stop(false);
        }
    }
    return true;
}

bool TSound::StopAll() {
    TSoundLock lock;
    bool any = false;
    auto& instances = mData->mInstances;
    for (auto it = instances.begin(); it != instances.end();) {
        std::shared_ptr<TSoundInstance> instance = *it;
        any = Stop(instance) || any;
        it = instances.upper_bound(instance);
    }
    return any;
}

bool TSound::Pause(bool pause) {
    TSoundLock lock;
    bool any = false;
    for (const auto& instance : mData->mInstances) {
        any = true;
        if (TSoundStream* stream = instance->GetStream()) {
            stream->SetPaused(pause);
        }
    }
    return any;
}

size_t TSound::GetInstanceCount() const {
    TSoundLock lock;
    return mData ? mData->mInstances.size() : 0;
}
