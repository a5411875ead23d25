#pragma once

#include "framework/core/math/TRect.h"
#include "framework/core/text/TString.h"

#include <cstdint>

// What the board effects take from the rest of the game: the files of the
// effect list by effect name, the effect sounds of the asset lists, the
// application's random numbers and the root window's size. The defaults
// read the effect list and the asset lists that the configuration loader
// filled (no files and no sounds before it ran), the application's
// generator and the window manager's screen; tests install their own.
class vlkBoardFxServices {
public:
    virtual ~vlkBoardFxServices() = default;

    // The file of an effect, by name in any case; empty when unknown.
    virtual TString GetFxPath(const TString& name);
    // Plays a sound of the asset lists once; nothing when it is not listed
    // or sounds are off.
    virtual void PlayEffectSound(const TString& name);
    virtual uint32_t Random();
    virtual TRect GetScreenRect();

    // The installed services, or the defaults; null puts the defaults back.
    static vlkBoardFxServices& Get();
    static void Install(vlkBoardFxServices* services);
};

// A sound of the asset lists played once, through the installed services.
void PlayEffectSound(const TString& name);
