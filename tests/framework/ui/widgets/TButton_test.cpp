#include "framework/ui/widgets/TButton.h"

#include "framework/core/settings/TSettings.h"
#include "framework/sound/asset/TSound.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/widgets/WidgetFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

class Buttons : public WidgetFixture {
protected:
    void SetUp() override {
        WidgetFixture::SetUp();
        // One colour per state picture; 40 x 20.
        const uint32_t colours[4] = {0xFF202080u, 0xFF802020u, 0xFF208020u, 0xFF808020u};
        for (int i = 0; i < 4; ++i)
            pictures[i] = Picture("state" + std::to_string(i) + ".png", 40, 20, colours[i]);
        // A 20 x 10 mask, black in its top-left 4 x 4 corner.
        mask = Picture("mask.png", 20, 10, [](int32_t x, int32_t y) {
            return x < 4 && y < 4 ? 0xFF000000u : 0xFFFFFFFFu;
        });
        click = TSound::Get(Tone("click").c_str());
        rollover = TSound::Get(Tone("rollover").c_str());
        ASSERT_TRUE(click && rollover);
    }
    void TearDown() override {
        ClearSettings();
        WidgetFixture::TearDown();
    }

    std::string Graphics(int count) const {
        std::string list = "graphics={";
        for (int i = 0; i < count; ++i)
            list += "'" + pictures[i] + "',";
        return list + "}";
    }
    TButton* MakeButton(const std::string& name, int type, const std::string& more = "",
                        TWindow* parent = nullptr) {
        return Make<TButton>("name='" + name + "', x=100, y=100, type=" + std::to_string(type) +
                                 ", sound='" + Tone("click") + "', rolloversound='" +
                                 Tone("rollover") + "', " + Graphics(type == 0 ? 3 : 4) + ", " +
                                 more,
                             parent);
    }

    std::string pictures[4];
    std::string mask;
    std::shared_ptr<TSound> click;
    std::shared_ptr<TSound> rollover;
};

TEST_F(Buttons, InitBuildsOnePicturePerLayerAndShowsTheLabelInEveryState) {
    // Made as the window script makes it: its label comes between Init and
    // PostInit.
    auto* button = static_cast<TButton*>(TButton::Create());
    screen->AddChild(button);
    auto buttonTable = Table("{name='b', type=1, " + Graphics(4) + "}");
    TWindowStyle buttonStyle(buttonTable.get());
    button->Init(buttonStyle);
    auto* label = static_cast<TText*>(TText::Create());
    button->AddChild(label);
    auto table = Table("{name='label', w=40, h=20, label='Go'}");
    TWindowStyle style(table.get());
    label->Init(style);
    button->PostInit(buttonStyle);
    EXPECT_EQ(button->GetWidth(), 40);
    EXPECT_EQ(button->GetHeight(), 20);
    for (uint32_t layer = 0; layer < 4; ++layer) {
        // The layer's picture and the label.
        std::vector<std::string> names;
        for (TWindow* window : button->GetLayerWindows(layer))
            names.push_back(window->GetName().ToStd());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"image" + std::to_string(layer), "label"}));
    }
    // An empty entry leaves its layer without a picture.
    TButton* gap =
        Make<TButton>("name='gap', graphics={'" + pictures[0] + "', '', '" + pictures[2] + "'}");
    EXPECT_EQ(gap->GetLayerWindows(1).size(), 0u);
    EXPECT_EQ(gap->GetLayerWindows(2).size(), 1u);
    // The label belongs to every layer.
    EXPECT_EQ(button->GetLabel().ToStd(), "Go");
    button->SetLabel("Stop");
    EXPECT_EQ(label->GetText().ToStd(), "Stop");
    for (int32_t state : {0, 1, 2}) {
        button->SetState(state);
        EXPECT_TRUE(label->IsVisible()) << state;
    }
    EXPECT_EQ(gap->GetLabel().ToStd(), "") << "no label child";
    gap->SetLabel("nothing happens");
}

TEST_F(Buttons, AStatePictureIsLoadedWhenItsStateIsFirstDrawn) {
    const std::string normal = Picture("lazy-normal.png", 40, 20, 0xFF202080u);
    const std::string pressed = Picture("lazy-pressed.png", 40, 20, 0xFF802020u);
    // Larger than the others: the button still takes its size at once.
    const std::string hover = Picture("lazy-hover.png", 60, 30, 0xFF208020u);
    TButton* button = Make<TButton>("name='lazy', graphics={'" + normal + "', '" + pressed +
                                    "', '" + hover + "'}");
    auto image = [button](const char* name) {
        return static_cast<TImage*>(button->FindChild(TString(name), true));
    };
    EXPECT_EQ(button->GetWidth(), 60);
    EXPECT_EQ(button->GetHeight(), 30);
    ASSERT_TRUE(image("image0") && image("image1") && image("image2"));
    EXPECT_TRUE(image("image0")->GetBitmap());
    for (const char* waiting : {"image1", "image2"}) {
        EXPECT_FALSE(image(waiting)->GetBitmap()) << waiting;
        EXPECT_TRUE(image(waiting)->IsBitmapWaiting()) << waiting;
    }
    EXPECT_EQ(image("image2")->GetWidth(), 60);
    EXPECT_EQ(image("image2")->GetHeight(), 30);
    EXPECT_FALSE(TTexture::Find(hover.c_str()));

    // Shown but not yet drawn, then drawn.
    button->SetState(TButton::kRollover);
    EXPECT_FALSE(image("image2")->GetBitmap());
    Frame();
    ASSERT_TRUE(image("image2")->GetBitmap());
    EXPECT_EQ(image("image2")->GetBitmap(), TTexture::Find(hover.c_str()));
    EXPECT_EQ(image("image2")->GetBitmap()->GetWidth(), 60u);
    EXPECT_EQ(image("image2")->GetWidth(), 60);
    EXPECT_TRUE(image("image1")->IsBitmapWaiting()) << "the pressed state was never drawn";

    // A second button with the same pictures takes the loaded one at once.
    TButton* twin = Make<TButton>("name='twin', graphics={'" + normal + "', '" + pressed + "', '" +
                                  hover + "'}");
    EXPECT_EQ(static_cast<TImage*>(twin->FindChild(TString("image2"), true))->GetBitmap(),
              image("image2")->GetBitmap());
}

TEST_F(Buttons, ABrokenOrVanishedStatePictureIsLoggedAndLeavesItsStateEmpty) {
    const std::string normal = Picture("plain-normal.png", 40, 20, 0xFF202080u);
    // Not a picture at all.
    const std::string brokenPath = (mFiles.Path() / "broken.png").string();
    {
        std::ofstream out(brokenPath, std::ios::binary);
        out << "not a png";
    }
    // Readable at start, gone before its state is first drawn.
    const std::string vanishing = Picture("vanishing.png", 40, 20, 0xFF208020u);
    TButton* button = Make<TButton>("name='faulty', graphics={'" + normal + "', '::" + brokenPath +
                                    "', '" + vanishing + "'}");
    auto image = [button](const char* name) {
        return static_cast<TImage*>(button->FindChild(TString(name), true));
    };
    ASSERT_TRUE(image("image1") && image("image2"));
    EXPECT_FALSE(image("image1")->GetBitmap());
    EXPECT_FALSE(image("image1")->IsBitmapWaiting());
    EXPECT_NE(support::ReadLogText().find("could not load the picture ::" + brokenPath),
              std::string::npos);

    std::filesystem::remove(vanishing.substr(2));
    button->SetState(TButton::kRollover);
    Frame();
    EXPECT_FALSE(image("image2")->GetBitmap());
    EXPECT_FALSE(image("image2")->IsBitmapWaiting()) << "tried once";
    EXPECT_NE(support::ReadLogText().find("could not load the picture " + vanishing),
              std::string::npos);
    // The pressed state, broken from the start, draws nothing and stays up.
    button->SetState(TButton::kPressed);
    Frame();
    EXPECT_EQ(button->GetWidth(), 40);
}

TEST_F(Buttons, PointerSequencesGiveLayerStateMessagesAndSounds) {
    // m: move over, d: press, u: release over, U: release outside, x: leave.
    struct {
        const char* what;
        int type;
        bool on;
        const char* steps;
        uint32_t layer;
        int32_t state;
        bool onAfter;
        std::vector<std::string> messages;
        size_t clicks;
        size_t rollovers;
    } cases[] = {
        {"push: over", 0, false, "m", 2, 2, false, {}, 0, 1},
        {"push: pressed", 0, false, "md", 1, 1, false, {}, 0, 1},
        {"push: released over", 0, false, "mdu", 2, 2, false, {"3:b"}, 1, 2},
        {"push: released outside", 0, false, "mdU", 0, 0, false, {}, 0, 1},
        {"push: pressed without a move", 0, false, "du", 2, 2, false, {"3:b"}, 1, 1},
        {"push: left", 0, false, "mx", 0, 0, false, {}, 0, 1},
        {"toggle off: over", 1, false, "m", 2, 2, false, {}, 0, 1},
        {"toggle off: pressed", 1, false, "md", 1, 1, false, {}, 0, 1},
        {"toggle off: turned on", 1, false, "mdu", 3, 2, true, {"3:b"}, 1, 2},
        {"toggle on: at rest", 1, true, "", 1, 0, true, {}, 0, 0},
        {"toggle on: over", 1, true, "m", 3, 2, true, {}, 0, 1},
        {"toggle on: pressed", 1, true, "md", 0, 1, true, {}, 0, 1},
        {"toggle on: turned off", 1, true, "mdu", 2, 2, false, {"3:b"}, 1, 2},
        {"toggle on: released outside", 1, true, "mdU", 1, 0, true, {}, 0, 1},
        {"radio: turned on", 2, false, "mdu", 3, 2, true, {"3:b"}, 1, 2},
        {"radio: stays on", 2, true, "mdux", 1, 0, true, {"3:b"}, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TButton* button = MakeButton("b", c.type, c.on ? "on=true" : "");
        TakeQueued();
        const size_t clicks = click->GetInstanceCount();
        const size_t rollovers = rollover->GetInstanceCount();
        for (const char* step = c.steps; *step; ++step) {
            switch (*step) {
            case 'm':
                EXPECT_TRUE(button->OnMouseMove(TPoint(10, 10)));
                break;
            case 'd':
                EXPECT_TRUE(button->OnMouseDown(TPoint(10, 10)));
                break;
            case 'u':
                EXPECT_TRUE(button->OnMouseUp(TPoint(10, 10)));
                break;
            case 'U':
                EXPECT_TRUE(button->OnMouseUp(TPoint(60, 10)));
                break;
            case 'x':
                EXPECT_TRUE(button->OnMouseExit());
                break;
            }
        }
        EXPECT_EQ(button->GetLayer(), c.layer);
        EXPECT_EQ(button->GetState(), c.state);
        EXPECT_EQ(button->GetToggleState(), c.onAfter);
        EXPECT_EQ(TakeQueued(), c.messages);
        EXPECT_EQ(click->GetInstanceCount() - clicks, c.clicks);
        EXPECT_EQ(rollover->GetInstanceCount() - rollovers, c.rollovers);
        // The capture is held from the first move or press until the exit.
        const bool captured = !manager->GetCaptures().empty();
        EXPECT_EQ(captured, c.state != 0);
        screen->RemoveChild(button);
        button->DeleteThis(1);
        EXPECT_TRUE(manager->GetCaptures().empty());
    }
}

TEST_F(Buttons, SoundsOnlyForStatesThatHaveOneAndOnlyWhileVisible) {
    TButton* button = MakeButton("b", 0);
    const size_t rollovers = rollover->GetInstanceCount();
    const size_t clicks = click->GetInstanceCount();
    // The activated state of a press has no sound entry.
    button->OnStateChange(3, 1);
    button->OnStateChange(3, 0);
    button->SetFlags(button->GetFlags() & ~kWindowVisible);
    button->SetState(2);
    EXPECT_EQ(rollover->GetInstanceCount(), rollovers);
    EXPECT_EQ(click->GetInstanceCount(), clicks);
}

TEST_F(Buttons, RadioButtonsTurnOffTheirOwnGroupOnly) {
    TButton* radios[5];
    const char* extra[5] = {"beginGroup=true", "", "", "beginGroup=true", ""};
    for (int i = 0; i < 5; ++i)
        radios[i] = MakeButton("r" + std::to_string(i + 1), 2, extra[i]);
    auto onBits = [&] {
        std::string bits;
        for (TButton* radio : radios)
            bits += radio->GetToggleState() ? '1' : '0';
        return bits;
    };
    struct {
        int pressed;
        const char* after;
    } steps[] = {{4, "00010"}, {1, "10010"}, {2, "01010"}, {3, "00110"},
                 {5, "00101"}, {1, "10001"}, {3, "00101"}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.pressed);
        TButton* radio = radios[s.pressed - 1];
        radio->OnMouseDown(TPoint(5, 5));
        radio->OnMouseUp(TPoint(5, 5));
        radio->OnMouseExit();
        EXPECT_EQ(onBits(), s.after);
    }
    // Turned off, a radio shows its off picture.
    EXPECT_EQ(radios[0]->GetLayer(), 0u);
    EXPECT_EQ(radios[2]->GetLayer(), 1u);
    // Without a group start before it, a radio turns nobody off.
    MessageModal* other = new MessageModal(sent);
    screen->AddChild(other);
    other->SetSize(400, 400);
    TButton* loneA = MakeButton("a", 2, "on=true", other);
    TButton* loneB = MakeButton("b", 2, "", other);
    loneB->SetToggleState(true);
    EXPECT_TRUE(loneA->GetToggleState());
    EXPECT_TRUE(loneB->GetToggleState());
}

TEST_F(Buttons, TheMaskMapsThePointWithAndWithoutTheFix) {
    struct {
        bool fix;
        TPoint point;
        bool outside;
    } cases[] = {
        {true, {1, 1}, true},    {false, {1, 1}, true},   {true, {2, 2}, true},
        {false, {2, 2}, false},  {true, {30, 10}, false}, {false, {30, 10}, true},
        {true, {39, 19}, false}, {true, {40, 5}, true},   {false, {-1, 5}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.fix) + " " + std::to_string(c.point.x) + "," +
                     std::to_string(c.point.y));
        SetSetting(TSettingKey::kFixButtonMask, c.fix ? "1" : "0");
        TButton* button = MakeButton("masked", 0, "mask='" + mask + "'");
        ASSERT_TRUE(button->HasMask());
        button->SetState(2);
        EXPECT_EQ(button->HitsOutside(c.point), c.outside);
        EXPECT_EQ(button->GetState(), c.outside ? 0 : 2) << "outside leaves through the exit";
        screen->RemoveChild(button);
        button->DeleteThis(1);
    }
    // A click on a black pixel presses nothing.
    SetSetting(TSettingKey::kFixButtonMask, "1");
    TButton* button = MakeButton("masked", 0, "mask='" + mask + "'");
    TakeQueued();
    EXPECT_TRUE(button->OnMouseDown(TPoint(1, 1)));
    EXPECT_EQ(button->GetState(), 0);
    EXPECT_TRUE(button->OnMouseUp(TPoint(1, 1)));
    EXPECT_TRUE(TakeQueued().empty());
    // A mask that cannot be loaded keeps the old one.
    button->SetMask(nullptr);
    EXPECT_TRUE(button->HasMask());
}

TEST_F(Buttons, AClosingButtonPostsTheCloseBeforeThePress) {
    auto* dialog = new MessageModal(sent);
    manager->PushModal(dialog);
    dialog->SetSize(300, 200);
    TButton* ok = MakeButton("ok", 0, "close=true", dialog);
    TakeQueued();
    ok->OnMouseDown(TPoint(5, 5));
    ok->OnMouseUp(TPoint(5, 5));
    EXPECT_EQ(TakeQueued(),
              (std::vector<std::string>{"1:" + dialog->GetIdString().ToStd(), "3:ok"}));
    EXPECT_EQ(Global("gReturnValue"), "ok");
}

// An action that pops the dialog its button stands in.
class PopDialog : public TButton::Action {
public:
    void Run(TButton*) override { TWindowManager::Instance()->PopModal(); }
};

TEST_F(Buttons, AnActionThatClosesItsDialogDropsThePressUnlessSentToTheParent) {
    for (bool toParent : {false, true}) {
        SCOPED_TRACE(toParent);
        auto* dialog = new MessageModal(sent);
        manager->PushModal(dialog);
        dialog->SetSize(300, 200);
        TButton* button = MakeButton("go", 0, toParent ? "sendToParent=true" : "", dialog);
        button->SetAction(new PopDialog);
        TakeQueued();
        EXPECT_TRUE(button->DoAction()) << "detached";
        EXPECT_EQ(TakeQueued(),
                  toParent ? std::vector<std::string>{"3:go"} : std::vector<std::string>{});
        // The popped dialog goes at the next event.
        manager->HandleEvent(MakeTestEvent(0));
    }
}

TEST_F(Buttons, TheLuaActionNamesItsButtonAndQueuesTheCommand) {
    ASSERT_TRUE(script->DoLuaString("gCommandQueue = {}; gMessageQueue = {}"));
    TButton* button =
        Make<TButton>("name='b', w=10, h=10, command=function() gRan = GetButtonName() end");
    ASSERT_NE(button->GetAction(), nullptr);
    // Names that would end a long-bracket string or hold quotes and breaks.
    for (const char* name : {"ok", "a]]b", "q\"uo'te\\", "line\nbreak"}) {
        SCOPED_TRACE(name);
        button->SetName(name);
        EXPECT_FALSE(button->DoAction());
        // The command waits in the script's queue; run it as the scripts will.
        ASSERT_TRUE(script->DoLuaString("local f = table.remove(gCommandQueue, 1); f(); "
                                        "local m = table.remove(gMessageQueue, 1); "
                                        "gMessage = m and (m.type .. ':' .. m.name)"));
        EXPECT_EQ(Global("gRan"), name);
        EXPECT_EQ(Global("gMessage"), std::string("8:LuaAction:") + name);
        EXPECT_EQ(TakeQueued(), std::vector<std::string>{std::string("3:") + name});
    }
}

} // namespace
