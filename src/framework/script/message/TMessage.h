#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

class TWindow;

// The record that windows, native code and scripts pass each other: a type,
// a name and the window that is to receive it first (null for an
// untargeted message). A message posted to the window manager belongs to
// it until it is delivered; one handed to a script as a message object
// belongs to that object.
class TMessage {
public:
    enum Type : int32_t {
        kGeneric = 0,
        kCloseWindow = 1,
        kDefaultAction = 2,
        kButtonPress = 3,
        kPressAnyKey = 4,
        // Ends the application once the window manager dispatches it.
        kQuitNow = 5,
        kModalClosed = 6,
        kTextEditChanged = 7,
        kCommandOnly = 8,
        kSliderValChanged = 9,
        kSliderMouseUp = 10,
        kSliderPageUp = 11,
        kSliderPageDown = 12,
        // The first type that belongs to game scripts.
        kUserMessageBase = 1000,
    };

    TMessage(int32_t type, const TString& name, TWindow* target = nullptr)
        : mType(type), mName(name), mTarget(target) {}
    TMessage(const TMessage&) = delete;
    TMessage& operator=(const TMessage&) = delete;
    virtual ~TMessage() = default;

    virtual const char* GetClassName() const { return "TMessage"; }
    static const void* ClassId();
    virtual bool IsKindOf(const void* classId) const { return classId == ClassId(); }

    int32_t GetType() const { return mType; }
    const TString& GetName() const { return mName; }
    TWindow* GetTarget() const { return mTarget; }
    void SetTarget(TWindow* target) { mTarget = target; }

protected:
    int32_t mType = kGeneric;
    TString mName;
    TWindow* mTarget = nullptr;
};
