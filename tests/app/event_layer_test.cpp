#include <gtest/gtest.h>

#include "app/event_layer.h"

namespace {

class EventLayerTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetEventRecord(); }
    // One message through the window procedure of window `window`, then the end of the wait.
    static int Deliver(uint32_t message, uint32_t wParam, uint32_t lParam, int window = 0,
                       MessageAction* action = nullptr) {
        int code = 0;
        if (TakeQueuedEvent(&code)) return code;
        const MessageAction a = TranslateEventMessage(window, message, wParam, lParam);
        if (action) *action = a;
        return FinishWaitEvent(message, wParam, lParam);
    }
};

TEST_F(EventLayerTest, EachMessageBecomesItsEventWithObjectAndType) {
    const struct {
        const char* What;
        uint32_t Message, WParam, LParam;
        int Code, Object, Type;
        MessageAction Action;
    } rows[] = {
        {"LED 5 pressed", Wm::Command, 5, 0xBEEF, EventControl, 5, ClickLeft,
         MessageAction::Handled},
        {"button notification", Wm::Command, (7u << 16) | 5000, 0xBEEF, EventControl, 5000, 7,
         MessageAction::Handled},
        {"menu item 8", Wm::Command, 8, 0, EventMenuCommand, 8, -1, MessageAction::Handled},
        {"control click", MsgControlClick, 3, DoubleClickLeft, EventControl, 3, DoubleClickLeft,
         MessageAction::Handled},
        {"icon left press", MsgTrayEvent, 0, Wm::LButtonDown, EventTrayIcon, 0, ClickLeft,
         MessageAction::Handled},
        {"icon right press", MsgTrayEvent, 0, Wm::RButtonDown, EventTrayIcon, 0, ClickRight,
         MessageAction::Handled},
        {"icon double-click", MsgTrayEvent, 0, Wm::LButtonDoubleClick, EventTrayIcon, 0,
         DoubleClickLeft, MessageAction::Handled},
        {"icon right double-click", MsgTrayEvent, 0, Wm::RButtonDoubleClick, EventTrayIcon, 0,
         DoubleClickRight, MessageAction::Handled},
        {"icon mouse move", MsgTrayEvent, 0, Wm::MouseMove, static_cast<int>(MsgTrayEvent), 0, -1,
         MessageAction::Handled},
        {"menu key", Wm::ContextMenu, 0xBEEF, 0xFFFFFFFF, EventKeyboardMenu, 0, -1,
         MessageAction::Handled},
        {"the right release's menu message: raw", Wm::ContextMenu, 0xBEEF, 0x00050006, 0x7B, 0,
         -1, MessageAction::Default},
        {"right press: raw", Wm::RButtonDown, 2, 0x00050006, 0x204, 0, -1, MessageAction::Default},
    };
    for (const auto& row : rows) {
        ResetEventRecord();
        MessageAction action{};
        EXPECT_EQ(Deliver(row.Message, row.WParam, row.LParam, 0, &action), row.Code) << row.What;
        EXPECT_EQ(EventObject(), row.Object) << row.What;
        EXPECT_EQ(EventClickType(), row.Type) << row.What;
        EXPECT_EQ(action, row.Action) << row.What;
    }
    EXPECT_EQ(EventWParam(), 2) << "a raw message keeps its parameters";
    EXPECT_EQ(gEvents.LParam, 0x00050006);
}

TEST_F(EventLayerTest, ObjectStaysUntilTheNextControlMenuOrIconMessage) {
    Deliver(Wm::Command, 5, 0xBEEF); // LED 5
    Deliver(Wm::MouseMove, 0, 0);
    Deliver(Wm::LButtonDoubleClick, 0, 0);
    Deliver(Wm::Move, 0, 0);
    Deliver(Wm::Close, 0, 0); // a window event from the queue
    EXPECT_EQ(EventObject(), 5);
    Deliver(Wm::Command, 12, 0);
    EXPECT_EQ(EventObject(), 12);
}

TEST_F(EventLayerTest, WindowEventsQueueOnceEachAndComeFirst) {
    MessageAction action{};
    TranslateEventMessage(0, Wm::Move, 0, 0);
    TranslateEventMessage(0, Wm::Move, 0, 0); // the same as the newest: not queued again
    TranslateEventMessage(2, Wm::Move, 0, 0); // another window: queued
    TranslateEventMessage(0, Wm::Size, Wm::SizeMinimized, 0);
    TranslateEventMessage(0, Wm::Activate, 0, 0); // deactivated: nothing
    TranslateEventMessage(0, Wm::Activate, 1, 0);
    action = TranslateEventMessage(0, Wm::EraseBackground, 0, 0);
    EXPECT_EQ(action, MessageAction::Default) << "the background is still erased";
    EXPECT_EQ(TranslateEventMessage(0, Wm::Close, 0, 0), MessageAction::Handled)
        << "a close request never reaches the default procedure";
    TranslateEventMessage(0, Wm::Size, 0, 0);
    int code = 0;
    std::vector<std::pair<int, int>> seen;
    while (TakeQueuedEvent(&code)) seen.emplace_back(code, gEvents.Window);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{EventWindowMoved, 0},
                                                      {EventWindowMoved, 2},
                                                      {EventWindowActivated, 0},
                                                      {EventWindowRepaint, 0},
                                                      {EventCloseRequest, 0},
                                                      {EventWindowResized, 0}}));
    EXPECT_EQ(EventClickType(), -1) << "every wait starts with no type";
}

TEST_F(EventLayerTest, TabKeysMoveTheFocusAndTheTrayCallbackIsPostedAgain) {
    EXPECT_EQ(TranslateEventMessage(0, Wm::Command, (1u << 16) | CommandFocusNext, 0),
              MessageAction::FocusNext);
    EXPECT_EQ(TranslateEventMessage(0, Wm::Command, (1u << 16) | CommandFocusPrevious, 0),
              MessageAction::FocusPrevious);
    EXPECT_EQ(gEvents.PendingEvent, 0);
    EXPECT_EQ(TranslateEventMessage(0, MsgTrayCallback, 0, Wm::LButtonDown),
              MessageAction::RepostTrayEvent);
    EXPECT_EQ(gEvents.PendingEvent, 0) << "only the re-posted message is an event";
}

TEST_F(EventLayerTest, LedControlsReportPressDragAndDoubleClicks) {
    // Press at (5, 5); the drag distance is 4 either way.
    LedControlAction a = OnLedControlMessage(Wm::LButtonDown, 5, 5, 4, 4);
    EXPECT_TRUE(a.Capture);
    EXPECT_TRUE(a.CallDefault) << "the static reports the click itself";
    EXPECT_EQ(OnLedControlMessage(Wm::MouseMove, 9, 1, 4, 4).PostType, -1) << "4 is not beyond 4";
    a = OnLedControlMessage(Wm::MouseMove, 5, 10, 4, 4);
    EXPECT_EQ(a.PostType, DragDetected);
    EXPECT_TRUE(a.ReleaseCapture);
    EXPECT_EQ(OnLedControlMessage(Wm::MouseMove, 40, 40, 4, 4).PostType, -1) << "once per press";
    OnLedControlMessage(Wm::LButtonDown, 5, 5, 4, 4);
    EXPECT_TRUE(OnLedControlMessage(Wm::LButtonUp, 5, 5, 4, 4).ReleaseCapture);
    EXPECT_EQ(OnLedControlMessage(Wm::MouseMove, 0, 30, 4, 4).PostType, -1) << "released";

    a = OnLedControlMessage(Wm::LButtonDoubleClick, 5, 5, 4, 4);
    EXPECT_EQ(a.PostType, DoubleClickLeft);
    EXPECT_FALSE(a.CallDefault);
    EXPECT_EQ(OnLedControlMessage(Wm::RButtonUp, 5, 5, 4, 4).PostType, ClickRight);
    EXPECT_EQ(OnLedControlMessage(Wm::RButtonDoubleClick, 5, 5, 4, 4).PostType, DoubleClickRight);
    EXPECT_EQ(OnLedControlMessage(Wm::RButtonUp, 5, 5, 4, 4).PostType, -1)
        << "the release of a right double-click only clears the mark";
    EXPECT_EQ(OnLedControlMessage(Wm::RButtonUp, 5, 5, 4, 4).PostType, ClickRight);
    a = OnLedControlMessage(Wm::RButtonDown, 5, 5, 4, 4);
    EXPECT_EQ(a.PostType, -1);
    EXPECT_TRUE(a.CallDefault) << "a right press reaches the loop as the raw message";
}

} // namespace
