#pragma once
// Paths travel through the program as UTF-8 text and become UTF-16 only at the system calls.

#include <string>

std::wstring WidePathFromUtf8(const std::string& path);
std::string Utf8FromWidePath(const std::wstring& path);
