#include "app/event_layer.h"

EventRecord gEvents;

namespace {

struct LedPress {
    bool Held = false;
    int X = 0;
    int Y = 0;
};
LedPress gPress;
bool gAfterRightDoubleClick = false; // one mark for all LED controls

uint32_t LowWord(uint32_t v) {
    return v & 0xFFFF;
}
uint32_t HighWord(uint32_t v) {
    return v >> 16;
}

void Queue(int code, int window) {
    EventRecord& e = gEvents;
    if (e.QueueCount > 0) {
        const PendingWindowEvent& newest =
            e.Queue[(e.QueueHead + e.QueueCount - 1) % EventRecord::QueueCapacity];
        if (newest.Code == code && newest.Window == window) return;
    }
    if (e.QueueCount == EventRecord::QueueCapacity) { // never reached in practice: drop the oldest
        e.QueueHead = (e.QueueHead + 1) % EventRecord::QueueCapacity;
        --e.QueueCount;
    }
    e.Queue[(e.QueueHead + e.QueueCount) % EventRecord::QueueCapacity] = {code, window};
    ++e.QueueCount;
}

} // namespace

void ResetEventRecord() {
    gEvents = EventRecord();
    ResetLedPressState();
}

MessageAction TranslateEventMessage(int window, uint32_t message, uint32_t wParam, uint32_t lParam,
                                    int scrollControl) {
    gEvents.Window = window;
    switch (message) {
    case Wm::Command:
        if (lParam != 0) { // from a child control
            gEvents.PendingEvent = EventControl;
            gEvents.Object = static_cast<int>(LowWord(wParam));
            gEvents.Type = static_cast<int>(HighWord(wParam));
            return MessageAction::Handled;
        }
        if (LowWord(wParam) == CommandFocusNext) return MessageAction::FocusNext;
        if (LowWord(wParam) == CommandFocusPrevious) return MessageAction::FocusPrevious;
        gEvents.PendingEvent = EventMenuCommand;
        gEvents.Object = static_cast<int>(LowWord(wParam));
        return MessageAction::Handled;
    case Wm::HScroll:
        if (lParam == 0) return MessageAction::Default; // a window's own scroll bar
        gEvents.PendingEvent = EventControl;
        gEvents.Object = scrollControl;
        gEvents.Type = static_cast<int>(LowWord(wParam));
        return MessageAction::Handled;
    case MsgControlClick:
        gEvents.PendingEvent = EventControl;
        gEvents.Object = static_cast<int>(wParam);
        gEvents.Type = static_cast<int>(lParam);
        return MessageAction::Handled;
    case MsgTrayCallback:
        return MessageAction::RepostTrayEvent;
    case MsgTrayEvent: {
        gEvents.Object = static_cast<int>(wParam);
        int type = -1;
        switch (lParam) {
        case Wm::LButtonDown:
            type = ClickLeft;
            break;
        case Wm::RButtonDown:
            type = ClickRight;
            break;
        case Wm::LButtonDoubleClick:
            type = DoubleClickLeft;
            break;
        case Wm::RButtonDoubleClick:
            type = DoubleClickRight;
            break;
        default:
            break;
        }
        if (type >= 0) {
            gEvents.Type = type;
            gEvents.PendingEvent = EventTrayIcon;
        }
        return MessageAction::Handled;
    }
    case Wm::Move:
        Queue(EventWindowMoved, window);
        return MessageAction::Handled;
    case Wm::Size:
        if (wParam == Wm::SizeMinimized) return MessageAction::Handled;
        Queue(EventWindowResized, window);
        return MessageAction::Handled;
    case Wm::EraseBackground:
        Queue(EventWindowRepaint, window);
        return MessageAction::Default;
    case Wm::Activate:
        if (LowWord(wParam) != 0) Queue(EventWindowActivated, window);
        return MessageAction::Handled;
    case Wm::ContextMenu:
        // From the keyboard its place is -1, -1. The mouse's is left alone: the menu opens on
        // the right press, before the release that sends this one.
        if (lParam != 0xFFFFFFFFu) return MessageAction::Default;
        gEvents.PendingEvent = EventKeyboardMenu;
        return MessageAction::Handled;
    case Wm::Close: // a close request never destroys the window
        Queue(EventCloseRequest, window);
        return MessageAction::Handled;
    default:
        return MessageAction::Default;
    }
}

bool TakeQueuedEvent(int* code) {
    gEvents.Type = -1;
    if (gEvents.QueueCount == 0) return false;
    const PendingWindowEvent next = gEvents.Queue[gEvents.QueueHead];
    gEvents.QueueHead = (gEvents.QueueHead + 1) % EventRecord::QueueCapacity;
    --gEvents.QueueCount;
    gEvents.Window = next.Window;
    gEvents.Code = *code = next.Code;
    return true;
}

int FinishWaitEvent(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (gEvents.PendingEvent != 0) {
        gEvents.Code = gEvents.PendingEvent;
        gEvents.PendingEvent = 0;
        return gEvents.Code;
    }
    gEvents.WParam = static_cast<int>(wParam);
    gEvents.LParam = static_cast<int>(lParam);
    gEvents.Code = static_cast<int>(message);
    return gEvents.Code;
}

void ResetLedPressState() {
    gPress = LedPress();
    gAfterRightDoubleClick = false;
}

LedControlAction OnLedControlMessage(uint32_t message, int x, int y, int dragCx, int dragCy) {
    LedControlAction action;
    switch (message) {
    case Wm::LButtonDown:
        gPress = {true, x, y};
        action.Capture = true; // then the static's own handling reports the click
        break;
    case Wm::MouseMove:
        if (gPress.Held && (x - gPress.X > dragCx || gPress.X - x > dragCx ||
                            y - gPress.Y > dragCy || gPress.Y - y > dragCy)) {
            gPress.Held = false;
            action.ReleaseCapture = true;
            action.PostType = DragDetected;
        }
        break;
    case Wm::LButtonUp:
        gPress.Held = false;
        action.ReleaseCapture = true;
        break;
    case Wm::LButtonDoubleClick:
        action.CallDefault = false;
        action.PostType = DoubleClickLeft;
        break;
    case Wm::RButtonUp:
        if (gAfterRightDoubleClick)
            gAfterRightDoubleClick = false;
        else
            action.PostType = ClickRight;
        break;
    case Wm::RButtonDoubleClick:
        action.PostType = DoubleClickRight;
        gAfterRightDoubleClick = true;
        break;
    default:
        break;
    }
    return action;
}
