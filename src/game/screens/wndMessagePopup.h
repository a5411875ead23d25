#pragma once

#include "game/screens/wndFade.h"

#include <cstdint>

class TImage;

// How one message pop-up behaves: the script function its confirmation
// calls, the statement that removes it, the button hidden on the way out,
// where its message is, the sound it opens with and how it fades.
struct PopupPolicy {
    // Where the message is: the child "bmpContainer" shown and hidden by
    // name whatever its type, or kept as a field when it is an image.
    enum class Content { kNamedChild, kImageField };
    // kDirect: the screen behind darkens, the message shows; on the way out
    // the message goes and the black clears. kWhenBoth: the same, but it
    // darkens only with both a panel and a message image, and fades out
    // even without a panel. kThroughBlack: both ways pass through black.
    enum class Pattern { kDirect, kWhenBoth, kThroughBlack };

    const char* className;
    const char* backFunction;
    const char* closeStatement;
    const char* hiddenButton; // null: none
    int32_t hiddenButtonDepth;
    Content content;
    const char* openSound; // null: none
    Pattern pattern;
};

// The policies of the five pop-ups, by class name; null for another name.
const PopupPolicy* FindPopupPolicy(const char* className);

// A message over the current screen that closes on the player's
// confirmation: the black panel fades the screen behind, the message
// shows, and the back function (registered under the policy's name) fades
// it away and runs the close statement. The five pop-ups are this class
// with a policy each.
class wndMessagePopup : public wndFade {
public:
    enum Step : uint32_t { kOpening = 0, kShown = 1, kClosing = 2 };

    explicit wndMessagePopup(const PopupPolicy& policy);

    void PostInit(TWindowStyle& style) override;
    void OnFadeFinished(uint32_t finished) override;
    // The confirmation: the pop-up fades away and closes. Once closing, a
    // second call changes nothing, so the close statement runs once.
    void OnBack();

    Step GetStep() const { return mStep; }
    const PopupPolicy& GetPolicy() const { return mPolicy; }
    TImage* GetContainer() const { return mContainer; }

protected:
    ~wndMessagePopup() override;

private:
    void ShowContent(bool show);
    void Close();

    const PopupPolicy& mPolicy;
    Step mStep = kOpening;
    TImage* mContainer = nullptr;
    bool mCloseRun = false;
};

#define CORVALO_MESSAGE_POPUP(Name)                                                                \
    class Name : public wndMessagePopup {                                                          \
    public:                                                                                        \
        Name();                                                                                    \
        const char* GetClassName() const override { return #Name; }                               \
        bool IsKindOf(TWindowClassId id) const override {                                          \
            return id == GetClassId() || wndMessagePopup::IsKindOf(id);                            \
        }                                                                                          \
        static TWindow* Create();                                                                  \
        static TWindowCreator GetCreator() { return &Create; }                                     \
        static TWindowClassId GetClassId() { return &Create; }                                     \
                                                                                                   \
    protected:                                                                                     \
        ~Name() override;                                                                          \
    }

// The goal of a level.
CORVALO_MESSAGE_POPUP(wndGoalPanel);
// The instructions of a level.
CORVALO_MESSAGE_POPUP(wndInstructionLevel);
// The game's instructions.
CORVALO_MESSAGE_POPUP(wndInstructions);
// The world map's first-visit panel.
CORVALO_MESSAGE_POPUP(wndQuestPanel);
// A reward won on the world map.
CORVALO_MESSAGE_POPUP(wndReward);

#undef CORVALO_MESSAGE_POPUP
