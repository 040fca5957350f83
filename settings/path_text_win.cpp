#include "settings/path_text_win.h"

#include <windows.h>

std::wstring WidePathFromUtf8(const std::string& path) {
    if (path.empty()) return std::wstring();
    const int size = static_cast<int>(path.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, path.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), size, wide.data(), count);
    return wide;
}

std::string Utf8FromWidePath(const std::wstring& path) {
    if (path.empty()) return std::string();
    const int size = static_cast<int>(path.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.data(), size, text.data(), count, nullptr, nullptr);
    return text;
}
