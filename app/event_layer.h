#pragma once
// The event layer: messages of the main thread turned into one event at a time, with the details
// of the last event kept in one record. The translation is plain logic over message numbers; the
// platform half fetches and dispatches the messages.

#include <cstdint>

// Event codes that are not raw message numbers.
inline constexpr int EventControl = 0x332C;
inline constexpr int EventMenuCommand = 0x332D;
inline constexpr int EventTrayIcon = 0x332E;
inline constexpr int EventWindowMoved = 3;
inline constexpr int EventWindowResized = 5;
inline constexpr int EventWindowRepaint = 0xF;
inline constexpr int EventCloseRequest = 0x10;
inline constexpr int EventWindowActivated = 0x3330;
inline constexpr int EventKeyboardMenu = 0x3331; // the menu key or Shift+F10

// Private messages.
inline constexpr uint32_t MsgControlClick = 0x332F;    // wParam: control number, lParam: click type
inline constexpr uint32_t MsgTrayCallback = 0x30D5;    // the notification icon's callback
inline constexpr uint32_t MsgTrayEvent = 0x30D6;       // the callback, posted again
inline constexpr uint32_t MsgAfterFirstPaint = 0x3332; // start-up's rest, once the bar shows

// Accelerator commands: Tab and Shift+Tab move the keyboard focus.
inline constexpr int CommandFocusNext = 1212;
inline constexpr int CommandFocusPrevious = 1213;

// Message numbers the translation looks at (as the platform numbers them).
namespace Wm {
inline constexpr uint32_t Move = 0x0003, Size = 0x0005, Activate = 0x0006, Close = 0x0010,
                          EraseBackground = 0x0014, ContextMenu = 0x007B, Command = 0x0111,
                          HScroll = 0x0114, MouseMove = 0x0200, LButtonDown = 0x0201,
                          LButtonUp = 0x0202, LButtonDoubleClick = 0x0203, RButtonDown = 0x0204,
                          RButtonUp = 0x0205, RButtonDoubleClick = 0x0206, MouseWheel = 0x020A;
inline constexpr uint32_t SizeMinimized = 1;
} // namespace Wm

enum ClickType : int {
    ClickLeft = 0,
    ClickRight = 1,
    DoubleClickLeft = 2,
    DoubleClickRight = 3,
    DragDetected = 14002,
    OpenRequested = 14003, // Enter or Space on an LED, or a screen reader's default action
};

struct PendingWindowEvent {
    int Code = 0;
    int Window = 0;
};

struct EventRecord {
    int Code = 0;
    int Object = 0; // sticky: only control, menu and icon messages change it
    int Type = 0;
    int WParam = 0;
    int LParam = 0;
    int Window = 0;
    // Window events waiting to be returned, oldest first. Neighbours never repeat, so a few
    // windows' worth of codes is all it can hold at once.
    static constexpr int QueueCapacity = 32;
    PendingWindowEvent Queue[QueueCapacity];
    int QueueHead = 0;
    int QueueCount = 0;
    int PendingEvent = 0; // produced while a message was dispatched; 0 when none
};

extern EventRecord gEvents;

void ResetEventRecord();

// What the window procedure does after the translation.
enum class MessageAction {
    Default,         // on to the default procedure
    Handled,         // return 0
    RepostTrayEvent, // post MsgTrayEvent with the same parameters, return 0
    FocusNext,       // move the keyboard focus, return 0
    FocusPrevious,
};

// The window procedure's translation for window number `window`. A slider reports its movements
// as scroll messages that name the control only by handle: the platform passes its number.
MessageAction TranslateEventMessage(int window, uint32_t message, uint32_t wParam, uint32_t lParam,
                                    int scrollControl = 0);

// WaitEvent's own steps around the fetch: the start (Type reset, a queued window event first)
// and the end (a pending event, else the raw message).
bool TakeQueuedEvent(int* code);
int FinishWaitEvent(uint32_t message, uint32_t wParam, uint32_t lParam);

// An LED control's replaced procedure.
struct LedControlAction {
    bool CallDefault = true;
    bool Capture = false;
    bool ReleaseCapture = false;
    int PostType = -1; // post MsgControlClick with this type; -1 none
};
LedControlAction OnLedControlMessage(uint32_t message, int x, int y, int dragCx, int dragCy);
void ResetLedPressState();

// Platform side.
int WaitEvent();
inline int EventObject() {
    return gEvents.Object;
}
inline int EventClickType() {
    return gEvents.Type;
}
inline int EventWParam() {
    return gEvents.WParam;
}
