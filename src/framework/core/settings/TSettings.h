#pragma once

#include "framework/core/text/TString.h"

#include <cstddef>
#include <functional>

// The process-wide settings store: setting names mapped to text values.
// Numbers are stored as decimal texts, booleans as "1" and "0". It exists
// before the application object (the game's entry point fills it first)
// and lives until the application empties it on shut-down. Names are
// matched exactly, byte for byte, whatever locale module is loaded.
//
// Storing a value has side effects, in this order:
//  - "encryptionkey" or "cheatcode": the cheat mode is evaluated again
//    (see MakeCheatCode) and "cheatmode" written straight into the store;
//  - "legacylinewrap", whatever its value, turns the legacy line-wrap flag
//    on for good;
//  - the change hook, while one is set, sees every stored pair.
//
// The store takes a lock, so other threads may read it; the change hook
// runs on the thread that stored the value, outside the lock.

// The framework's key names, one table shared by every reader.
enum class TSettingKey : int {
    kCheatMode,
    kDownloadUrl,
    kComputerId,
    kFirstPeek,
    kInstallKey,
    kBuildTag,
    kGameName,
    kPublisher,
    kVersion,
    kEncryptionKey,
    kHiscoreLocal,
    kHiscoreAnon,
    kFlashMajorVersion,
    kHitTestChildren,
    kFixButtonMask,
    kAnimatedParticles,
    kVsync,
    kMonitorFrequency,
    kTextSpriteRender,
    kUtf8Mode,
    kAutoMergeMask,
    kOverlayMouse,
    kVerboseDebug,
    kNbGameHandle,
    kNbGameModeName,
    kNbGameMedalName,
    kFpuPrecision,
    kKeepOggUncompressed,
    kSoftwareTextureCulling,
    kLargeVramUsage,
    kCount
};

// The name of a framework key ("cheatmode" for kCheatMode); "" for a value
// outside the table.
const char* GetSettingKeyName(TSettingKey key);

// Further keys that the framework writes or reacts to.
inline constexpr const char kSettingCheatCode[] = "cheatcode";
inline constexpr const char kSettingLegacyLineWrap[] = "legacylinewrap";
inline constexpr const char kSettingMemoryMax[] = "memorymax";
inline constexpr const char kSettingTextureMemoryMax[] = "texturememorymax";
inline constexpr const char kSettingStringTest[] = "stringtest";
inline constexpr const char kSettingUtf8ModeInit[] = "utf8modeinit";
inline constexpr const char kSettingViewportScale[] = "viewportscale";
inline constexpr const char kSettingActiveX[] = "activex";
inline constexpr const char kSettingHwnd[] = "hwnd";
inline constexpr const char kSettingStartupDir[] = "startupdir";
inline constexpr const char kSettingCommonDataDir[] = "commondatadir";
inline constexpr const char kSettingUserDataDir[] = "userdatadir";
inline constexpr const char kSettingDxBroken[] = "dxbroken";

// Stores the pair (replacing an earlier value), then runs the side effects.
void SetSetting(const TString& name, const TString& value);
void SetSetting(TSettingKey key, const TString& value);

// The stored value, or the default when the name is absent. Nothing is
// inserted.
TString GetSetting(const TString& name, const TString& defaultValue = TString());
TString GetSetting(TSettingKey key, const TString& defaultValue = TString());

// The value read as a decimal integer (as TString::ToInt reads it: 0 when
// absent, empty or not a number).
int GetSettingInt(const TString& name);
int GetSettingInt(TSettingKey key);

// True when the value reads as a non-zero integer: "1", "2" and "-1" are
// true; "0", "" and "abc" are false.
bool GetSettingBool(const TString& name);
bool GetSettingBool(TSettingKey key);

bool HasSetting(const TString& name);
size_t GetSettingCount();

// Empties the store (the application does this when it shuts down). The
// legacy line-wrap flag stays as it is.
void ClearSettings();

// The legacy line-wrap flag read by the text layout: off at start, on once
// "legacylinewrap" has been stored, never off again.
bool GetLegacyLineWrap();

// Called with every stored pair while set. The application frame sets it
// when it is built and clears it (with an empty function) when it goes.
using TSettingChangeHook = std::function<void(const TString& name, const TString& value)>;
void SetSettingChangeHook(TSettingChangeHook hook);

// The developer cheat code for a computer: the first 16 hexadecimal
// digits (lower case) of the SHA-256 digest of the computer id followed by
// the encryption key. "cheatmode" becomes "1" when the stored "cheatcode"
// equals it, ignoring case.
TString MakeCheatCode(const TString& computerId, const TString& encryptionKey);
