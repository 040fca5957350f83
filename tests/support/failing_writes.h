#pragma once
// The settings tests' write: after `writesToPass` whole writes, the next one keeps only its first
// `bytesKept` bytes and fails; later ones go through again.

#include <cstddef>

void FailSettingsWriteAfter(int writesToPass, size_t bytesKept);
