#include "app/main_loop.h"

#include "app/event_layer.h"
#include "app/numbering.h"

namespace {

// The character at a 1-based position; 0 or less counts as 1, past the end is none.
char CharacterAt(const std::string& text, int position) {
    if (position < 1) position = 1;
    return static_cast<size_t>(position) <= text.size() ? text[position - 1] : '\0';
}

} // namespace

bool IsDriveDoubleClick(int code, int object, const std::string& drives) {
    return code == static_cast<int>(Wm::LButtonDoubleClick) && CharacterAt(drives, object) == '1';
}

bool IsDriveOpenRequest(int code, int type, int object, const std::string& drives) {
    return code == EventControl && type == OpenRequested && CharacterAt(drives, object) == '1';
}

std::string DriveRootParameter(int object, const std::string& driveLetters) {
    const char letter = CharacterAt(driveLetters, object);
    return letter ? std::string(1, letter) + ":\\" : std::string();
}

bool ShouldRequestDrag(int locked, int object, bool leftButtonHeld, bool buttonHoldsMouse) {
    return locked == 0 && object > 0 && leftButtonHeld && !buttonHoldsMouse;
}

bool IsRightPress(int code) {
    return code == static_cast<int>(Wm::RButtonDown);
}
bool IsKeyboardMenu(int code) {
    return code == EventKeyboardMenu;
}
bool IsMinimizeButtonClick(int code, int object) {
    return code == EventControl && object == Num::MinimizeButtonControl;
}
bool IsWheel(int code) {
    return code == static_cast<int>(Wm::MouseWheel);
}
bool IsMenuCommand(int code) {
    return code == EventMenuCommand;
}

std::string LaunchCommandLine(const std::string& file, const std::string& parameters) {
    std::string line = !file.empty() && file[0] == '"' ? file : "\"" + file + "\"";
    if (!parameters.empty()) line += " " + parameters;
    return line;
}

std::string UnquotedFile(const std::string& file) {
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
        return file.substr(1, file.size() - 2);
    return file;
}

std::string LaunchFolder(const std::string& file, const std::string& folder) {
    if (!folder.empty()) return folder;
    const std::string path = UnquotedFile(file);
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
