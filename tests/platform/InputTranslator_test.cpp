#include "platform/window/InputTranslator.h"

#include "support/SdlEvents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;
using support::SdlButton;
using support::SdlKey;
using support::SdlMotion;
using support::SdlText;
using support::SdlWheel;
using support::SdlWindowEvent;

namespace {

// A translator for an active window of 1024 by 768 with the pointer inside.
class Translation : public ::testing::Test {
protected:
    void SetUp() override {
        translator.SetClientSize(1024, 768);
        translator.SetWindowOrigin(100, 50);
        translator.SetPointer(10, 10, true);
        translator.SetActive(true);
    }

    std::vector<WindowMessage> Feed(const SDL_Event& event, uint32_t now = 0) {
        InputTranslator::Queue out;
        translator.Translate(event, now, out);
        return {out.begin(), out.end()};
    }

    static std::vector<std::string> Names(const std::vector<WindowMessage>& messages) {
        std::vector<std::string> names;
        for (const WindowMessage& message : messages)
            names.push_back(MessageName(message.message));
        return names;
    }

    InputTranslator translator;
};

using NameList = std::vector<std::string>;

struct KeyCase {
    const char* name;
    SDL_Scancode scancode;
    SDL_Keycode sym;
    uint16_t mod;
    uint32_t message;
    uint32_t virtualKey;
    bool extended;
    bool alt;
};

TEST_F(Translation, Keys_GiveVirtualKeyCodesWithExtendedAndAltBits) {
    const KeyCase cases[] = {
        {"letter", SDL_SCANCODE_A, 'a', 0, kWmKeyDown, 'A', false, false},
        {"shifted letter", SDL_SCANCODE_Q, 'q', KMOD_LSHIFT, kWmKeyDown, 'Q', false, false},
        {"letter by layout", SDL_SCANCODE_Q, 'a', 0, kWmKeyDown, 'A', false, false},
        {"digit", SDL_SCANCODE_5, '5', 0, kWmKeyDown, '5', false, false},
        {"digit by place", SDL_SCANCODE_1, '&', 0, kWmKeyDown, '1', false, false},
        {"up", SDL_SCANCODE_UP, SDLK_UP, 0, kWmKeyDown, kVkUp, true, false},
        {"down", SDL_SCANCODE_DOWN, SDLK_DOWN, 0, kWmKeyDown, kVkDown, true, false},
        {"left", SDL_SCANCODE_LEFT, SDLK_LEFT, 0, kWmKeyDown, kVkLeft, true, false},
        {"right", SDL_SCANCODE_RIGHT, SDLK_RIGHT, 0, kWmKeyDown, kVkRight, true, false},
        {"insert", SDL_SCANCODE_INSERT, SDLK_INSERT, 0, kWmKeyDown, kVkInsert, true, false},
        {"delete", SDL_SCANCODE_DELETE, SDLK_DELETE, 0, kWmKeyDown, kVkDelete, true, false},
        {"home", SDL_SCANCODE_HOME, SDLK_HOME, 0, kWmKeyDown, kVkHome, true, false},
        {"end", SDL_SCANCODE_END, SDLK_END, 0, kWmKeyDown, kVkEnd, true, false},
        {"page up", SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 0, kWmKeyDown, kVkPrior, true, false},
        {"page down", SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 0, kWmKeyDown, kVkNext, true, false},
        {"keypad 0", SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM, kWmKeyDown, kVkNumpad0, false, false},
        {"keypad 9", SDL_SCANCODE_KP_9, SDLK_KP_9, KMOD_NUM, kWmKeyDown, kVkNumpad0 + 9, false,
         false},
        {"keypad 8 without num lock", SDL_SCANCODE_KP_8, SDLK_KP_8, 0, kWmKeyDown, kVkUp, false,
         false},
        {"keypad point without num lock", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 0, kWmKeyDown,
         kVkDelete, false, false},
        {"keypad point", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM, kWmKeyDown, kVkDecimal,
         false, false},
        {"keypad enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NUM, kWmKeyDown, kVkReturn,
         true, false},
        {"keypad divide", SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, KMOD_NUM, kWmKeyDown, kVkDivide,
         true, false},
        {"keypad multiply", SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, KMOD_NUM, kWmKeyDown,
         kVkMultiply, false, false},
        {"keypad minus", SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, 0, kWmKeyDown, kVkSubtract, false,
         false},
        {"keypad plus", SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, 0, kWmKeyDown, kVkAdd, false, false},
        {"semicolon", SDL_SCANCODE_SEMICOLON, ';', 0, kWmKeyDown, kVkOem1, false, false},
        {"equals", SDL_SCANCODE_EQUALS, '=', 0, kWmKeyDown, kVkOemPlus, false, false},
        {"comma", SDL_SCANCODE_COMMA, ',', 0, kWmKeyDown, kVkOemComma, false, false},
        {"minus", SDL_SCANCODE_MINUS, '-', 0, kWmKeyDown, kVkOemMinus, false, false},
        {"period", SDL_SCANCODE_PERIOD, '.', 0, kWmKeyDown, kVkOemPeriod, false, false},
        {"slash", SDL_SCANCODE_SLASH, '/', 0, kWmKeyDown, kVkOem2, false, false},
        {"grave", SDL_SCANCODE_GRAVE, '`', 0, kWmKeyDown, kVkOem3, false, false},
        {"left bracket", SDL_SCANCODE_LEFTBRACKET, '[', 0, kWmKeyDown, kVkOem4, false, false},
        {"backslash", SDL_SCANCODE_BACKSLASH, '\\', 0, kWmKeyDown, kVkOem5, false, false},
        {"right bracket", SDL_SCANCODE_RIGHTBRACKET, ']', 0, kWmKeyDown, kVkOem6, false, false},
        {"apostrophe", SDL_SCANCODE_APOSTROPHE, '\'', 0, kWmKeyDown, kVkOem7, false, false},
        {"punctuation by place", SDL_SCANCODE_SEMICOLON, 0xF6, 0, kWmKeyDown, kVkOem1, false,
         false},
        {"F1", SDL_SCANCODE_F1, SDLK_F1, 0, kWmKeyDown, kVkF1, false, false},
        {"F12", SDL_SCANCODE_F12, SDLK_F12, 0, kWmKeyDown, kVkF1 + 11, false, false},
        {"F10 is a system key", SDL_SCANCODE_F10, SDLK_F10, 0, kWmSysKeyDown, kVkF1 + 9, false,
         false},
        {"escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, kWmKeyDown, kVkEscape, false, false},
        {"left shift", SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT, kWmKeyDown, kVkShift, false,
         false},
        {"left control", SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL, kWmKeyDown, kVkControl, false,
         false},
        {"right control", SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL, kWmKeyDown, kVkControl, true,
         false},
        {"left alt", SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT, kWmSysKeyDown, kVkMenu, false, true},
        {"right alt", SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT, kWmSysKeyDown, kVkMenu, true, true},
        {"alt+letter", SDL_SCANCODE_A, 'a', KMOD_LALT, kWmSysKeyDown, 'A', false, true},
        {"alt+left", SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_LALT, kWmSysKeyDown, kVkLeft, true, true},
        {"control+alt+letter", SDL_SCANCODE_E, 'e', KMOD_LCTRL | KMOD_RALT, kWmKeyDown, 'E', false,
         false},
    };
    for (const KeyCase& c : cases) {
        std::vector<WindowMessage> out = Feed(SdlKey(true, c.scancode, c.sym, c.mod));
        ASSERT_FALSE(out.empty()) << c.name;
        const WindowMessage& key = out.front();
        EXPECT_EQ(key.message, c.message) << c.name;
        EXPECT_EQ(key.wParam, c.virtualKey) << c.name;
        uint32_t lParam = static_cast<uint32_t>(key.lParam);
        EXPECT_EQ((lParam & kKeyExtendedBit) != 0, c.extended) << c.name;
        EXPECT_EQ((lParam & kKeyAltBit) != 0, c.alt) << c.name;
        EXPECT_EQ(lParam & 0xFFFF, 1u) << c.name << ": repeat count";
        EXPECT_EQ(lParam & (kKeyPreviousBit | kKeyReleaseBit), 0u) << c.name;
    }
}

TEST_F(Translation, KeyMessages_CarryTheKeyboardScanCode) {
    struct {
        SDL_Scancode scancode;
        SDL_Keycode sym;
        uint32_t scanCode;
    } cases[] = {{SDL_SCANCODE_A, 'a', 0x1E},
                 {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0x01},
                 {SDL_SCANCODE_UP, SDLK_UP, 0x48},
                 {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 0x1C}};
    for (const auto& c : cases) {
        std::vector<WindowMessage> out = Feed(SdlKey(true, c.scancode, c.sym));
        ASSERT_FALSE(out.empty());
        EXPECT_EQ((static_cast<uint32_t>(out[0].lParam) >> 16) & 0xFF, c.scanCode) << c.sym;
    }
}

TEST_F(Translation, KeyRepeatAndRelease_SetThePreviousStateAndTransitionBits) {
    std::vector<WindowMessage> repeat = Feed(SdlKey(true, SDL_SCANCODE_B, 'b', 0, 1));
    ASSERT_EQ(repeat.size(), 1u);
    EXPECT_EQ(repeat[0].message, kWmKeyDown);
    EXPECT_EQ(static_cast<uint32_t>(repeat[0].lParam) & (kKeyPreviousBit | kKeyReleaseBit),
              kKeyPreviousBit);

    std::vector<WindowMessage> release = Feed(SdlKey(false, SDL_SCANCODE_B, 'b'));
    ASSERT_EQ(release.size(), 1u);
    EXPECT_EQ(release[0].message, kWmKeyUp);
    EXPECT_EQ(release[0].wParam, static_cast<uintptr_t>('B'));
    EXPECT_EQ(static_cast<uint32_t>(release[0].lParam) & (kKeyPreviousBit | kKeyReleaseBit),
              kKeyPreviousBit | kKeyReleaseBit);

    // A held Backspace repeats its character too.
    std::vector<WindowMessage> backspace =
        Feed(SdlKey(true, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, 1));
    EXPECT_EQ(Names(backspace), (NameList{"WM_KEYDOWN", "WM_CHAR"}));
}

TEST_F(Translation, AltRelease_IsASystemKeyUp) {
    Feed(SdlKey(true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT));
    std::vector<WindowMessage> up = Feed(SdlKey(false, SDL_SCANCODE_LALT, SDLK_LALT, 0));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, kWmSysKeyUp);
    EXPECT_EQ(up[0].wParam, kVkMenu);
}

TEST_F(Translation, UnknownKey_MakesNoKeyMessage) {
    EXPECT_TRUE(Feed(SdlKey(true, SDL_SCANCODE_AUDIOPLAY, SDLK_AUDIOPLAY)).empty());
}

struct CharacterCase {
    const char* name;
    SDL_Scancode scancode;
    SDL_Keycode sym;
    uint16_t mod;
    std::vector<std::string> names;
    uint32_t character; // of the last message
};

TEST_F(Translation, KeysWithoutText_GenerateTheirCharacters) {
    const CharacterCase cases[] = {
        {"enter", SDL_SCANCODE_RETURN, SDLK_RETURN, 0, {"WM_KEYDOWN", "WM_CHAR"}, 13},
        {"keypad enter",
         SDL_SCANCODE_KP_ENTER,
         SDLK_KP_ENTER,
         KMOD_NUM,
         {"WM_KEYDOWN", "WM_CHAR"},
         13},
        {"backspace", SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, {"WM_KEYDOWN", "WM_CHAR"}, 8},
        {"tab", SDL_SCANCODE_TAB, SDLK_TAB, 0, {"WM_KEYDOWN", "WM_CHAR"}, 9},
        {"shift+tab", SDL_SCANCODE_TAB, SDLK_TAB, KMOD_LSHIFT, {"WM_KEYDOWN", "WM_CHAR"}, 9},
        {"escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, {"WM_KEYDOWN", "WM_CHAR"}, 27},
        {"control+a", SDL_SCANCODE_A, 'a', KMOD_LCTRL, {"WM_KEYDOWN", "WM_CHAR"}, 1},
        {"control+shift+z",
         SDL_SCANCODE_Z,
         'z',
         KMOD_RCTRL | KMOD_LSHIFT,
         {"WM_KEYDOWN", "WM_CHAR"},
         26},
        {"control+[", SDL_SCANCODE_LEFTBRACKET, '[', KMOD_LCTRL, {"WM_KEYDOWN", "WM_CHAR"}, 27},
        {"control+enter",
         SDL_SCANCODE_RETURN,
         SDLK_RETURN,
         KMOD_LCTRL,
         {"WM_KEYDOWN", "WM_CHAR"},
         10},
        {"control+backspace",
         SDL_SCANCODE_BACKSPACE,
         SDLK_BACKSPACE,
         KMOD_LCTRL,
         {"WM_KEYDOWN", "WM_CHAR"},
         127},
        {"alt+enter",
         SDL_SCANCODE_RETURN,
         SDLK_RETURN,
         KMOD_LALT,
         {"WM_SYSKEYDOWN", "WM_SYSCHAR"},
         13},
        {"control+alt+a", SDL_SCANCODE_A, 'a', KMOD_LCTRL | KMOD_LALT, {"WM_KEYDOWN"}, 'A'},
        {"control+1", SDL_SCANCODE_1, '1', KMOD_LCTRL, {"WM_KEYDOWN"}, '1'},
        {"plain letter (its text comes apart)", SDL_SCANCODE_A, 'a', 0, {"WM_KEYDOWN"}, 'A'},
    };
    for (const CharacterCase& c : cases) {
        std::vector<WindowMessage> out = Feed(SdlKey(true, c.scancode, c.sym, c.mod));
        EXPECT_EQ(Names(out), c.names) << c.name;
        ASSERT_FALSE(out.empty()) << c.name;
        EXPECT_EQ(out.back().wParam, c.character) << c.name;
    }
}

TEST_F(Translation, Text_BecomesUtf16UnitsWithSurrogatePairs) {
    struct {
        const char* text;
        std::vector<uintptr_t> units;
    } cases[] = {
        {"a", {'a'}},
        {"Zz", {'Z', 'z'}},
        {"\xC3\xA9", {0xE9}},                   // é
        {"\xE2\x82\xAC", {0x20AC}},             // €
        {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}}, // U+1F600
        {"\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}}, // U+10FFFF
        {"\xFF"
         "a",
         {0xFFFD, 'a'}},            // not UTF-8
        {"\xC3", {0xFFFD}},         // cut short
        {"\xED\xA0\x80", {0xFFFD}}, // an encoded surrogate
    };
    for (const auto& c : cases) {
        std::vector<WindowMessage> out = Feed(SdlText(c.text));
        std::vector<uintptr_t> units;
        for (const WindowMessage& message : out) {
            EXPECT_EQ(message.message, kWmChar) << c.text;
            units.push_back(message.wParam);
        }
        EXPECT_EQ(units, c.units) << c.text;
    }
}

TEST_F(Translation, TextWithModifiers_FollowsTheKeyThatMadeIt) {
    // Control+key text is left out: the key already made its control character.
    Feed(SdlKey(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL));
    EXPECT_TRUE(Feed(SdlText("1")).empty());
    Feed(SdlKey(false, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0));

    // Alt+key text is a system character.
    Feed(SdlKey(true, SDL_SCANCODE_X, 'x', KMOD_LALT));
    EXPECT_EQ(Names(Feed(SdlText("x"))), (NameList{"WM_SYSCHAR"}));
    Feed(SdlKey(false, SDL_SCANCODE_X, 'x', KMOD_LALT));
    Feed(SdlKey(false, SDL_SCANCODE_LALT, SDLK_LALT, 0));

    // Control+Alt (AltGr) types characters.
    Feed(SdlKey(true, SDL_SCANCODE_Q, 'q', KMOD_LCTRL | KMOD_RALT));
    std::vector<WindowMessage> at = Feed(SdlText("@"));
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0].message, kWmChar);
    EXPECT_EQ(at[0].wParam, static_cast<uintptr_t>('@'));
}

TEST_F(Translation, KeyState_FollowsTheTranslatedKeys) {
    EXPECT_EQ(translator.KeyState(kVkShift), 0);
    Feed(SdlKey(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT));
    EXPECT_EQ(translator.KeyState(kVkShift), 0x8000);
    EXPECT_EQ(translator.KeyState(kVkControl), 0);
    Feed(SdlKey(true, SDL_SCANCODE_INSERT, SDLK_INSERT, KMOD_LSHIFT));
    EXPECT_EQ(translator.KeyState(kVkInsert), 0x8000);
    Feed(SdlKey(false, SDL_SCANCODE_INSERT, SDLK_INSERT, KMOD_LSHIFT));
    Feed(SdlKey(false, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 0));
    EXPECT_EQ(translator.KeyState(kVkShift), 0);
    EXPECT_EQ(translator.KeyState(kVkInsert), 0);
}

struct ButtonCase {
    uint8_t button;
    bool down;
    uint32_t message;
    uint32_t state; // low half of wParam
    uint32_t extra; // high half of wParam
};

TEST_F(Translation, MouseButtons_GiveButtonMessagesWithKeyState) {
    const ButtonCase cases[] = {
        {SDL_BUTTON_LEFT, true, kWmLButtonDown, kMkLButton, 0},
        {SDL_BUTTON_LEFT, false, kWmLButtonUp, 0, 0},
        {SDL_BUTTON_RIGHT, true, kWmRButtonDown, kMkRButton, 0},
        {SDL_BUTTON_RIGHT, false, kWmRButtonUp, 0, 0},
        {SDL_BUTTON_MIDDLE, true, kWmMButtonDown, kMkMButton, 0},
        {SDL_BUTTON_MIDDLE, false, kWmMButtonUp, 0, 0},
        {SDL_BUTTON_X1, true, kWmXButtonDown, kMkXButton1, kXButton1},
        {SDL_BUTTON_X1, false, kWmXButtonUp, 0, kXButton1},
        {SDL_BUTTON_X2, true, kWmXButtonDown, kMkXButton2, kXButton2},
        {SDL_BUTTON_X2, false, kWmXButtonUp, 0, kXButton2},
    };
    for (const ButtonCase& c : cases) {
        std::vector<WindowMessage> out = Feed(SdlButton(c.down, c.button, 300, 200));
        ASSERT_EQ(out.size(), 1u) << int(c.button);
        EXPECT_EQ(out[0].message, c.message) << int(c.button);
        EXPECT_EQ(LowWord(out[0].wParam), c.state) << int(c.button);
        EXPECT_EQ(HighWord(out[0].wParam), c.extra) << int(c.button);
        EXPECT_EQ(PointX(out[0].lParam), 300);
        EXPECT_EQ(PointY(out[0].lParam), 200);
    }
}

TEST_F(Translation, PointerMessages_CarryShiftControlAndHeldButtons) {
    Feed(SdlKey(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT));
    Feed(SdlKey(true, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_LSHIFT | KMOD_RCTRL));
    std::vector<WindowMessage> down = Feed(SdlButton(true, SDL_BUTTON_LEFT, 5, 6));
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(LowWord(down[0].wParam), kMkLButton | kMkShift | kMkControl);
    std::vector<WindowMessage> move = Feed(SdlMotion(7, 8));
    ASSERT_EQ(move.size(), 1u);
    EXPECT_EQ(move[0].message, kWmMouseMove);
    EXPECT_EQ(move[0].wParam, kMkLButton | kMkShift | kMkControl);
}

TEST_F(Translation, PointerPositions_AreSigned16BitHalves) {
    translator.SetCaptured(true);
    std::vector<WindowMessage> out = Feed(SdlMotion(-5, -32000));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(PointX(out[0].lParam), -5);
    EXPECT_EQ(PointY(out[0].lParam), -32000);
    EXPECT_EQ(static_cast<uint32_t>(out[0].lParam), 0x8300FFFBu);
}

TEST_F(Translation, Wheel_GivesSignedDeltaInTheHighHalf) {
    struct {
        float y;
        bool flipped;
        int delta;
    } cases[] = {{1, false, 120}, {-1, false, -120}, {-2, false, -240},
                 {1, true, -120}, {0.5f, false, 60}, {1000, false, 32767}};
    for (const auto& c : cases) {
        std::vector<WindowMessage> out = Feed(SdlWheel(c.y, c.flipped));
        ASSERT_EQ(out.size(), 1u) << c.y;
        EXPECT_EQ(out[0].message, kWmMouseWheel);
        EXPECT_EQ(WheelDeltaOf(out[0].wParam), c.delta) << c.y << (c.flipped ? " flipped" : "");
        // Wheel messages carry the screen position.
        EXPECT_EQ(PointX(out[0].lParam), 110);
        EXPECT_EQ(PointY(out[0].lParam), 60);
    }
    std::vector<WindowMessage> sideways = Feed(SdlWheel(0, false, 1));
    EXPECT_EQ(Names(sideways), (NameList{"WM_MOUSEHWHEEL"}));
}

struct WindowCase {
    const char* name;
    SDL_WindowEventID id;
    int data1;
    int data2;
    std::vector<std::string> names;
};

TEST_F(Translation, WindowEvents_BecomeWindowMessages) {
    const WindowCase cases[] = {
        {"close", SDL_WINDOWEVENT_CLOSE, 0, 0, {"WM_CLOSE"}},
        {"moved", SDL_WINDOWEVENT_MOVED, 40, 30, {"WM_WINDOWPOSCHANGED"}},
        {"focus lost", SDL_WINDOWEVENT_FOCUS_LOST, 0, 0, {"WM_ACTIVATEAPP"}},
        {"focus lost again", SDL_WINDOWEVENT_FOCUS_LOST, 0, 0, {}},
        {"focus gained", SDL_WINDOWEVENT_FOCUS_GAINED, 0, 0, {"WM_ACTIVATEAPP"}},
        {"minimised", SDL_WINDOWEVENT_MINIMIZED, 0, 0, {"WM_WINDOWPOSCHANGED", "WM_SIZE"}},
        {"minimised again", SDL_WINDOWEVENT_MINIMIZED, 0, 0, {}},
        {"restored", SDL_WINDOWEVENT_RESTORED, 0, 0, {"WM_WINDOWPOSCHANGED", "WM_SIZE"}},
        {"restored again", SDL_WINDOWEVENT_RESTORED, 0, 0, {}},
        {"leave unarmed", SDL_WINDOWEVENT_LEAVE, 0, 0, {}},
        {"enter", SDL_WINDOWEVENT_ENTER, 0, 0, {}},
        {"exposed (paint comes from the queue)", SDL_WINDOWEVENT_EXPOSED, 0, 0, {}},
    };
    for (const WindowCase& c : cases)
        EXPECT_EQ(Names(Feed(SdlWindowEvent(c.id, c.data1, c.data2))), c.names) << c.name;
    EXPECT_TRUE(translator.PaintPending());

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(Names(Feed(quit)), (NameList{"WM_CLOSE"}));
}

TEST_F(Translation, MinimiseAndRestore_ParkTheWindowAndBringItBack) {
    Feed(SdlWindowEvent(SDL_WINDOWEVENT_MOVED, 40, 30));
    std::vector<WindowMessage> minimised = Feed(SdlWindowEvent(SDL_WINDOWEVENT_MINIMIZED));
    ASSERT_EQ(minimised.size(), 2u);
    EXPECT_EQ(minimised[0].position.x, InputTranslator::kParkedPosition);
    EXPECT_EQ(minimised[0].position.y, InputTranslator::kParkedPosition);
    EXPECT_EQ(minimised[1].wParam, kSizeMinimized);
    EXPECT_TRUE(translator.IsMinimized());

    std::vector<WindowMessage> restored = Feed(SdlWindowEvent(SDL_WINDOWEVENT_RESTORED));
    ASSERT_EQ(restored.size(), 2u);
    EXPECT_EQ(restored[0].position.x, 40);
    EXPECT_EQ(restored[0].position.y, 30);
    EXPECT_EQ(restored[0].position.width, 1024);
    EXPECT_EQ(restored[0].position.height, 768);
    EXPECT_EQ(restored[1].wParam, kSizeRestored);
    EXPECT_EQ(LowWord(static_cast<uintptr_t>(restored[1].lParam)), 1024u);
    EXPECT_EQ(HighWord(static_cast<uintptr_t>(restored[1].lParam)), 768u);
}

TEST_F(Translation, ActivationMessages_SayWhetherTheProgramIsActive) {
    std::vector<WindowMessage> lost = Feed(SdlWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].wParam, 0u);
    std::vector<WindowMessage> gained = Feed(SdlWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    ASSERT_EQ(gained.size(), 1u);
    EXPECT_EQ(gained[0].wParam, 1u);
}

TEST_F(Translation, FocusLostWhileCaptured_ReportsTheCaptureGone) {
    translator.SetCaptured(true);
    std::vector<WindowMessage> out = Feed(SdlWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_EQ(Names(out), (NameList{"WM_CAPTURECHANGED", "WM_ACTIVATEAPP"}));
    EXPECT_EQ(out[0].lParam, 0);
    EXPECT_FALSE(translator.IsCaptured());
}

TEST_F(Translation, EventsOfOtherWindows_ArePassedOver) {
    translator.SetWindowId(7);
    SDL_Event key = SdlKey(true, SDL_SCANCODE_A, 'a');
    key.key.windowID = 8;
    EXPECT_TRUE(Feed(key).empty());
    key.key.windowID = 7;
    EXPECT_EQ(Feed(key).size(), 1u);
    SDL_Event close = SdlWindowEvent(SDL_WINDOWEVENT_CLOSE);
    close.window.windowID = 8;
    EXPECT_TRUE(Feed(close).empty());
}

TEST_F(Translation, PostedEvents_CarryTheirRecord) {
    translator.SetPostedEventType(SDL_USEREVENT + 3);
    SDL_Event posted{};
    posted.type = SDL_USEREVENT + 3;
    posted.user.code = kWmUser + 2;
    posted.user.data1 = reinterpret_cast<void*>(uintptr_t{5});
    posted.user.data2 = reinterpret_cast<void*>(intptr_t{-9});
    std::vector<WindowMessage> out = Feed(posted, 1234);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, kWmUser + 2);
    EXPECT_EQ(out[0].wParam, 5u);
    EXPECT_EQ(out[0].lParam, -9);
    EXPECT_EQ(out[0].time, 1234u);
}

// Hover and leave.

TEST_F(Translation, Hover_ComesOnceAfterThePointerRestsWhileArmed) {
    InputTranslator::Queue out;
    Feed(SdlMotion(100, 100), 1000);
    translator.Poll(5000, out);
    EXPECT_TRUE(out.empty()) << "not armed";
    EXPECT_EQ(translator.MsUntilDue(5000), -1);

    translator.TrackMouse(kTrackHover, 5000, out);
    EXPECT_EQ(translator.MsUntilDue(5000), 400);
    Feed(SdlMotion(102, 98), 5100); // within the slack: the rest goes on
    translator.Poll(5399, out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(translator.MsUntilDue(5399), 1);
    translator.Poll(5400, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, kWmMouseHover);
    EXPECT_EQ(PointX(out[0].lParam), 102);
    EXPECT_EQ(PointY(out[0].lParam), 98);
    EXPECT_FALSE(translator.HoverArmed());

    out.clear();
    translator.Poll(9000, out);
    EXPECT_TRUE(out.empty()) << "hover comes once per arming";
}

TEST_F(Translation, Hover_RestartsWhenThePointerMovesOn) {
    InputTranslator::Queue out;
    Feed(SdlMotion(100, 100), 0);
    translator.TrackMouse(kTrackHover, 0, out);
    Feed(SdlMotion(103, 100), 300); // beyond the slack
    translator.Poll(400, out);
    EXPECT_TRUE(out.empty());
    translator.Poll(700, out);
    EXPECT_EQ(out.size(), 1u);
}

TEST_F(Translation, Hover_WaitsWhileThePointerIsOutside) {
    InputTranslator::Queue out;
    translator.TrackMouse(kTrackHover, 0, out);
    Feed(SdlWindowEvent(SDL_WINDOWEVENT_LEAVE), 10);
    translator.Poll(1000, out);
    EXPECT_TRUE(out.empty());
}

TEST_F(Translation, Leave_ComesOnlyWhileArmedAndDisarmsHoverToo) {
    InputTranslator::Queue out;
    translator.TrackMouse(kTrackHover | kTrackLeave, 0, out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(translator.LeaveArmed());
    EXPECT_EQ(Names(Feed(SdlWindowEvent(SDL_WINDOWEVENT_LEAVE))), (NameList{"WM_MOUSELEAVE"}));
    EXPECT_FALSE(translator.LeaveArmed());
    EXPECT_FALSE(translator.HoverArmed());
    Feed(SdlWindowEvent(SDL_WINDOWEVENT_ENTER));
    EXPECT_TRUE(Feed(SdlWindowEvent(SDL_WINDOWEVENT_LEAVE)).empty());
}

TEST_F(Translation, ArmingLeaveOutside_ReportsTheLeaveAtOnce) {
    InputTranslator::Queue out;
    translator.SetPointer(0, 0, false);
    translator.TrackMouse(kTrackLeave, 0, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, kWmMouseLeave);
    EXPECT_FALSE(translator.LeaveArmed());
}

TEST_F(Translation, Cancel_DisarmsTheNamedTracking) {
    InputTranslator::Queue out;
    translator.TrackMouse(kTrackHover | kTrackLeave, 0, out);
    translator.TrackMouse(kTrackCancel | kTrackHover, 0, out);
    EXPECT_FALSE(translator.HoverArmed());
    EXPECT_TRUE(translator.LeaveArmed());
    translator.TrackMouse(kTrackCancel | kTrackLeave, 0, out);
    EXPECT_FALSE(translator.LeaveArmed());
    EXPECT_TRUE(out.empty());
}

// Click-to-activate.

TEST_F(Translation, ClickOnInactiveWindow_AnnouncesActivationBeforeTheButton) {
    translator.SetActive(false);
    std::vector<WindowMessage> out = Feed(SdlButton(true, SDL_BUTTON_LEFT, 20, 30, 500));
    EXPECT_EQ(Names(out), (NameList{"WM_MOUSEACTIVATE", "WM_ACTIVATEAPP", "WM_LBUTTONDOWN"}));
    EXPECT_EQ(LowWord(static_cast<uintptr_t>(out[0].lParam)), kHtClient);
    EXPECT_EQ(HighWord(static_cast<uintptr_t>(out[0].lParam)), kWmLButtonDown);
    EXPECT_EQ(out[1].wParam, 1u);
    // The focus SDL reports afterwards changes nothing.
    EXPECT_TRUE(Feed(SdlWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED, 0, 0, 505)).empty());
}

TEST_F(Translation, ClickRightAfterFocus_IsTheActivatingClick) {
    translator.SetActive(false);
    EXPECT_EQ(Names(Feed(SdlWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED, 0, 0, 1000))),
              (NameList{"WM_ACTIVATEAPP"}));
    EXPECT_EQ(Names(Feed(SdlButton(true, SDL_BUTTON_RIGHT, 1, 1, 1000 + 100))),
              (NameList{"WM_MOUSEACTIVATE", "WM_RBUTTONDOWN"}));
    Feed(SdlButton(false, SDL_BUTTON_RIGHT, 1, 1, 1150));
    EXPECT_EQ(Names(Feed(SdlButton(true, SDL_BUTTON_LEFT, 1, 1, 1160))),
              (NameList{"WM_LBUTTONDOWN"}))
        << "only the first click activates";
}

TEST_F(Translation, ClickLongAfterFocus_IsAnOrdinaryClick) {
    translator.SetActive(false);
    Feed(SdlWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED, 0, 0, 1000));
    EXPECT_EQ(Names(Feed(SdlButton(true, SDL_BUTTON_LEFT, 1, 1, 1101))),
              (NameList{"WM_LBUTTONDOWN"}));
}

TEST_F(Translation, ClickOnActiveWindow_IsAnOrdinaryClick) {
    EXPECT_EQ(Names(Feed(SdlButton(true, SDL_BUTTON_LEFT, 1, 1, 5))), (NameList{"WM_LBUTTONDOWN"}));
}

} // namespace
