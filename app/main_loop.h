#pragma once
// The main event loop's decisions and the command line of a launched program. The loop itself is
// in the platform half; each step asks one of these.

#include <cstdint>
#include <string>

// Step 2: a left double-click (raw message 0x203) on an LED whose drive is shown with a "1".
bool IsDriveDoubleClick(int code, int object, const std::string& drives);
// The same for Enter or Space on an LED, or a screen reader's default action.
bool IsDriveOpenRequest(int code, int type, int object, const std::string& drives);
// The parameter that opens that drive's root folder: its letter, a colon and a backslash.
std::string DriveRootParameter(int object, const std::string& driveLetters);

// Step 3: ask the system to move the bar with the mouse. The request starts a move loop that ends
// only at the next button release, so it is made only while the left button is really held:
// otherwise a click that is over would glue the bar to the pointer. Nor while the minimize button
// holds the mouse: the move loop would swallow the release, and with it the button's click.
bool ShouldRequestDrag(int locked, int object, bool leftButtonHeld, bool buttonHoldsMouse);

// Steps 4 to 7.
bool IsRightPress(int code);
bool IsKeyboardMenu(int code);
bool IsMinimizeButtonClick(int code, int object);
bool IsWheel(int code);
bool IsMenuCommand(int code);

// LaunchProgram: the file in double quotes unless it already starts with one, then a space and the
// parameters when there are any.
std::string LaunchCommandLine(const std::string& file, const std::string& parameters);
// The file without the double quotes around it, as the shell fallback takes it.
std::string UnquotedFile(const std::string& file);
// The folder the shell fallback runs in: the given one, else the file's own folder when it names
// one (up to and including its last backslash), else none.
std::string LaunchFolder(const std::string& file, const std::string& folder);

// Platform side.
// Starts a program without waiting for it; nonzero when it was started. Texts are UTF-8.
int LaunchProgram(const std::string& file, const std::string& parameters,
                  const std::string& folder);
[[noreturn]] void RunMainLoop();
