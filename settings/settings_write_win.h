#pragma once
// Writing bytes to the settings file, in a file of its own so that a test build can link one that
// fails part-way, as a full disk or a lost network share does.

#include <windows.h>

#include <string>

// All of `bytes` at the file's position; false as soon as a write fails or writes nothing.
bool WriteSettingsBytes(HANDLE file, const std::string& bytes);
