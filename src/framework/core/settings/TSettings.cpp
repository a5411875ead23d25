#include "framework/core/settings/TSettings.h"

#include <nettle/sha2.h>

#include <atomic>
#include <map>
#include <mutex>

namespace {

const char* const kKeyNames[] = {
    "cheatmode",
    "downloadurl",
    "computerid",
    "firstpeek",
    "installkey",
    "buildtag",
    "gamename",
    "publisher",
    "version",
    "encryptionkey",
    "hiscorelocal",
    "hiscoreanon",
    "flashmajorversion",
    "hittestchildren",
    "fixbuttonmask",
    "animatedparticles",
    "vsync",
    "monitorfrequency",
    "textspriterender",
    "utf8mode",
    "automergemask",
    "overlaymouse",
    "verbosedebug",
    "nbgamehandle",
    "nbgamemodename",
    "nbgamemedalname",
    "fpuprecision",
    "keepogguncompressed",
    "softwaretextureculling",
    "largevramusage",
};
static_assert(sizeof kKeyNames / sizeof kKeyNames[0] == static_cast<size_t>(TSettingKey::kCount));

constexpr int kCheatCodeBytes = 8;

struct Store {
    std::mutex mutex;
    std::map<TString, TString, TStringByteLess> values;
    TSettingChangeHook hook;
};

// Made on first use and kept for the whole process, so that settings read
// while other static objects are destroyed still find it.
Store& TheStore() {
    static Store* const store = new Store;
    return *store;
}

std::atomic<bool> gLegacyLineWrap{false};

bool IsName(const TString& name, const char* key) {
    return CompareBytes(name.CStr(), key) == 0;
}

const TString& Lookup(const Store& store, const TString& name, const TString& fallback) {
    auto found = store.values.find(name);
    return found != store.values.end() ? found->second : fallback;
}

// Writes "cheatmode" when both the code and the key are known; otherwise
// the cheat mode keeps its value. Runs under the store's lock.
void EvaluateCheatMode(Store& store) {
    const TString empty;
    TString code = Lookup(store, kSettingCheatCode, empty);
    TString key = Lookup(store, GetSettingKeyName(TSettingKey::kEncryptionKey), empty);
    if (code.IsEmpty() || key.IsEmpty()) {
        return;
    }
    TString computerId = Lookup(store, GetSettingKeyName(TSettingKey::kComputerId), empty);
    TString expected = MakeCheatCode(computerId, key);
    code.ToLower();
    bool passed = CompareBytes(code.CStr(), expected.CStr()) == 0;
    store.values[GetSettingKeyName(TSettingKey::kCheatMode)] = passed ? "1" : "0";
}

} // namespace

const char* GetSettingKeyName(TSettingKey key) {
    int index = static_cast<int>(key);
    if (index < 0 || index >= static_cast<int>(TSettingKey::kCount)) {
        return "";
    }
    return kKeyNames[index];
}

void SetSetting(const TString& name, const TString& value) {
    Store& store = TheStore();
    TSettingChangeHook hook;
    {
        std::lock_guard<std::mutex> lock(store.mutex);
        store.values[name] = value;
        if (IsName(name, kSettingCheatCode) ||
            IsName(name, GetSettingKeyName(TSettingKey::kEncryptionKey))) {
            EvaluateCheatMode(store);
        }
        if (IsName(name, kSettingLegacyLineWrap)) {
            gLegacyLineWrap = true;
        }
        hook = store.hook;
    }
    // Outside the lock: the hook may read or store settings itself.
    if (hook) {
        hook(name, value);
    }
}

void SetSetting(TSettingKey key, const TString& value) {
    SetSetting(TString(GetSettingKeyName(key)), value);
}

TString GetSetting(const TString& name, const TString& defaultValue) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    return Lookup(store, name, defaultValue);
}

TString GetSetting(TSettingKey key, const TString& defaultValue) {
    return GetSetting(TString(GetSettingKeyName(key)), defaultValue);
}

int GetSettingInt(const TString& name) {
    return GetSetting(name, TString()).ToInt();
}

int GetSettingInt(TSettingKey key) {
    return GetSettingInt(TString(GetSettingKeyName(key)));
}

bool GetSettingBool(const TString& name) {
    return GetSettingInt(name) != 0;
}

bool GetSettingBool(TSettingKey key) {
    return GetSettingInt(key) != 0;
}

bool HasSetting(const TString& name) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.values.count(name) != 0;
}

size_t GetSettingCount() {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.values.size();
}

void ClearSettings() {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.values.clear();
}

bool GetLegacyLineWrap() {
    return gLegacyLineWrap;
}

void SetSettingChangeHook(TSettingChangeHook hook) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.hook = std::move(hook);
}

TString MakeCheatCode(const TString& computerId, const TString& encryptionKey) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, computerId.Length(),
                  reinterpret_cast<const uint8_t*>(computerId.CStr()));
    sha256_update(&context, encryptionKey.Length(),
                  reinterpret_cast<const uint8_t*>(encryptionKey.CStr()));
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    static const char kHex[] = "0123456789abcdef";
    char text[kCheatCodeBytes * 2];
    for (int i = 0; i < kCheatCodeBytes; ++i) {
        text[2 * i] = kHex[digest[i] >> 4];
        text[2 * i + 1] = kHex[digest[i] & 0x0F];
    }
    return TString(text, sizeof text);
}
