#include "framework/core/settings/TSettings.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/WindowFixture.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TModalWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A dialog at (100, 50) on a 640 x 480 screen:
//   dialog (100, 50, 500, 350), modal
//     picture (0, 0, 200, 100), over
//     button (10, 10, 110, 60)
//     group (200, 0, 400, 300), takes the focus
//       inner (10, 10, 60, 60)
//     hidden group (0, 200, 200, 300), invisible
//       ghost (0, 0, 200, 100)
class Routing : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        gSwallowNextChar = false;
        manager = std::make_unique<TWindowManager>();
        auto host = std::make_unique<TestWindowHost>();
        manager->SetHost(std::move(host));
        screen = new RecordingModal("screen", log, TRect(0, 0, 640, 480));
        manager->SetMainWindow(screen);
        dialog = new RecordingModal("dialog", log, TRect(100, 50, 500, 350));
        hiddenGroup = Add(dialog, "hidden", TRect(0, 200, 200, 300));
        ghost = Add(hiddenGroup, "ghost", TRect(0, 0, 200, 100));
        hiddenGroup->SetFlags(0);
        group = Add(dialog, "group", TRect(200, 0, 400, 300));
        group->AddFlags(kWindowTakesFocus);
        inner = Add(group, "inner", TRect(10, 10, 60, 60));
        button = Add(dialog, "button", TRect(10, 10, 110, 60));
        picture = Add(dialog, "picture", TRect(0, 0, 200, 100));
        manager->PushModal(dialog);
        log.clear();
    }
    void TearDown() override {
        manager.reset();
        ClearSettings();
        gSwallowNextChar = false;
    }

    RecordingWindow* Add(TWindow* parent, const char* name, TRect rect) {
        auto* window = new RecordingWindow(name, log, rect);
        parent->AddChild(window, false);
        return window;
    }

    std::vector<std::string> Messages() {
        std::vector<std::string> names;
        for (TMessage* message : manager->GetMessageQueue())
            names.push_back(std::to_string(message->GetType()) + ":" + message->GetName().ToStd());
        return names;
    }

    std::vector<std::string> log;
    std::unique_ptr<TWindowManager> manager;
    RecordingModal* screen = nullptr;
    RecordingModal* dialog = nullptr;
    RecordingWindow* hiddenGroup = nullptr;
    RecordingWindow* ghost = nullptr;
    RecordingWindow* group = nullptr;
    RecordingWindow* inner = nullptr;
    RecordingWindow* button = nullptr;
    RecordingWindow* picture = nullptr;
};

struct RoutingCase {
    const char* what;
    std::vector<std::string> pictureHandles;
    std::vector<std::string> buttonHandles;
    TEvent event;
    std::vector<std::string> calls;
    std::vector<std::string> posted;
    bool overlayMouse = false;
};

TEST_F(Routing, Scenarios) {
    const RoutingCase cases[] = {
        {"a button over nothing handles the press; the picture below never sees it",
         {},
         {"down"},
         MakeTestEvent(kEventLeftButtonDown, 150, 100),
         {"picture:down(50,50)", "button:down(40,40)"},
         {}},
        {"the picture handles it: the button below never sees it",
         {"down"},
         {"down"},
         MakeTestEvent(kEventLeftButtonDown, 150, 100),
         {"picture:down(50,50)"},
         {}},
        {"nobody handles a release: it bubbles to the dialog, which posts mouse:up",
         {},
         {},
         MakeTestEvent(kEventLeftButtonUp, 150, 100),
         {"picture:up(50,50)", "button:up(40,40)"},
         {"4:mouse:up"}},
        {"with overlaymouse the dialog posts nothing",
         {},
         {},
         MakeTestEvent(kEventLeftButtonUp, 150, 100),
         {"picture:up(50,50)", "button:up(40,40)"},
         {},
         true},
        {"a release outside both windows goes to the dialog only",
         {},
         {},
         MakeTestEvent(kEventLeftButtonUp, 110, 200),
         {},
         {"4:mouse:up"}},
        {"a point over the hidden group hits nothing inside it",
         {},
         {},
         MakeTestEvent(kEventPointerMove, 150, 300),
         {},
         {}},
        {"a move over the inner window and its group",
         {},
         {},
         MakeTestEvent(kEventPointerMove, 320, 70),
         {"inner:move(10,10)", "group:move(20,20)"},
         {}},
        {"an unhandled key reaches the dialog: raw: and the key",
         {},
         {},
         MakeTestEvent(kEventKeyDown, 0, 0, 65),
         {},
         {"4:raw:A"}},
    };
    for (const RoutingCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetSetting("overlaymouse", c.overlayMouse ? "1" : "0");
        picture->handles = c.pictureHandles;
        button->handles = c.buttonHandles;
        log.clear();
        manager->HandleEvent(c.event);
        std::vector<std::string> calls;
        for (const std::string& line : log) {
            if (line.find(":focus") == std::string::npos)
                calls.push_back(line);
        }
        EXPECT_EQ(calls, c.calls);
        // The queue was delivered to the dialog, which passes what it does
        // not take to the scripts; none here, so it is gone.
        EXPECT_TRUE(manager->GetMessageQueue().empty());
    }
}

TEST_F(Routing, UnhandledEventsPostTheirMessageBeforeDelivery) {
    // Routed by hand, the message stays in the queue to be read.
    dialog->HandleEvent(MakeTestEvent(kEventKeyDown, 0, 0, 65));
    dialog->HandleEvent(MakeTestEvent(kEventLeftButtonUp, 5, 5));
    dialog->HandleEvent(MakeTestEvent(kEventLeftButtonDown, 5, 5));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"4:raw:A", "4:mouse:up"}));
    SetSetting("overlaymouse", "1");
    dialog->HandleEvent(MakeTestEvent(kEventKeyDown, 0, 0, 66));
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(Routing, APressMovesTheFocusOnceEvenWhenAChildHandlesIt) {
    inner->handles = {"down"};
    manager->HandleEvent(MakeTestEvent(kEventLeftButtonDown, 320, 70));
    EXPECT_EQ(manager->GetFocus(), group);
    EXPECT_EQ(log, (std::vector<std::string>{"inner:down(10,10)", "group:focus<dialog>"}));
    // Not handled: it travels on, and the focus moves only once.
    log.clear();
    inner->handles.clear();
    manager->HandleEvent(MakeTestEvent(kEventLeftButtonDown, 320, 70));
    EXPECT_EQ(log, (std::vector<std::string>{"inner:down(10,10)", "group:focus<group>",
                                             "group:down(20,20)"}));
    // Keys now go to the focus window, then up to the dialog, whose
    // "raw:" message is delivered to the focus window first.
    log.clear();
    manager->HandleEvent(MakeTestEvent(kEventKeyDown, 0, 0, -128));
    EXPECT_EQ(log, (std::vector<std::string>{"group:key(-128,0)", "group:message(0,0)"}));
    // A press on the picture moves the focus to the dialog.
    log.clear();
    manager->HandleEvent(MakeTestEvent(kEventLeftButtonDown, 110, 60));
    EXPECT_EQ(manager->GetFocus(), dialog);
}

TEST_F(Routing, ACharacterAfterAHotKeyIsSwallowedOnce) {
    manager->SetFocus(button);
    log.clear();
    gSwallowNextChar = true;
    manager->HandleEvent(MakeTestEvent(kEventCharacter, 0, 0, 's'));
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(gSwallowNextChar);
    manager->HandleEvent(MakeTestEvent(kEventCharacter, 0, 0, 's'));
    EXPECT_EQ(log, std::vector<std::string>{"button:char(115,0)"});
    gSwallowNextChar = true;
    log.clear();
    manager->HandleEvent(MakeTestEvent(kEventUnicodeCharacter, 0, 0, 0xE9));
    EXPECT_TRUE(log.empty());
}

TEST_F(Routing, AUnicodeCharacterIsOfferedAsACharOnlyWhenItIsOneByte) {
    manager->SetFocus(button);
    log.clear();
    manager->HandleEvent(MakeTestEvent(kEventUnicodeCharacter, 0, 0, 'a'));
    manager->HandleEvent(MakeTestEvent(kEventUnicodeCharacter, 0, 0, 0xE9));
    EXPECT_EQ(log, (std::vector<std::string>{"button:text(1,0)", "button:char(97,0)",
                                             "button:text(2,0)"}));
}

TEST_F(Routing, HitTestsSkipInvisibleWindowsAndTheirChildren) {
    EXPECT_EQ(dialog->DeepestChildAt(TPoint(50, 250), -1), dialog);
    hiddenGroup->SetFlags(kWindowVisible);
    EXPECT_EQ(dialog->DeepestChildAt(TPoint(50, 250), -1), ghost);
    ghost->SetFlags(0);
    EXPECT_EQ(dialog->DeepestChildAt(TPoint(50, 250), -1), hiddenGroup);
    EXPECT_EQ(dialog->DeepestChildAt(TPoint(50, 250), 0), nullptr);
}

TEST_F(Routing, MessagesTravelUpToTheModalThenToItsFocusChild) {
    inner->SendMessage(new TMessage(TMessage::kGeneric, "hello"));
    EXPECT_EQ(log, (std::vector<std::string>{"inner:message(0,0)", "group:message(0,0)"}));
    log.clear();
    dialog->SetFocusChild(button);
    EXPECT_EQ(manager->GetFocus(), button) << "the dialog had the focus: it moves on";
    log.clear();
    inner->SendMessage(new TMessage(TMessage::kGeneric, "hello"));
    EXPECT_EQ(log, (std::vector<std::string>{"inner:message(0,0)", "group:message(0,0)",
                                             "button:message(0,0)"}));
    // A window outside any modal drops it.
    log.clear();
    RecordingWindow* loose = new RecordingWindow("loose", log);
    loose->SendMessage(new TMessage(TMessage::kGeneric, "lost"));
    EXPECT_EQ(log, std::vector<std::string>{"loose:message(0,0)"});
    loose->Destroy();
}

} // namespace
