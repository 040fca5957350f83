// The settings file on kernel32, through the wide-character calls so that no folder name is lost
// to the code page. A save goes to a temporary file beside the real one and replaces it in one
// step, so a failed save never leaves an empty or half-written "Blinkbar.ini".
#include <windows.h>

#include <string>

#include "app/win_handles.h"
#include "settings/path_text_win.h"
#include "settings/settings_file.h"

namespace SettingsFile {
namespace {

struct FileState {
    UniqueFile Handle; // the file opened for reading (kept open: others may only read it)
    std::wstring Path; // where a write-back goes
    UniqueFile Temp;   // the replacement being prepared, at TempPathFor(Path)
};

FileState gFile;

std::wstring TempPathFor(const std::wstring& path) {
    return path + L".tmp";
}

UniqueFile CreateTemp(const std::wstring& tempPath) {
    return UniqueFile(CreateFileW(tempPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done);
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// Writes `bytes` into the prepared temporary file and moves it over `path`. On any failure the
// old file is left exactly as it was and the temporary file is removed.
void ReplaceWith(UniqueFile temp, const std::wstring& path, const std::string& bytes) {
    if (!temp) return;
    const std::wstring tempPath = TempPathFor(path);
    bool ok =
        WriteAll(temp.get(), bytes) && SetEndOfFile(temp.get()) && FlushFileBuffers(temp.get());
    temp.reset();
    ok = ok && MoveFileExW(tempPath.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(tempPath.c_str());
}

void ReadRest(HANDLE file, DWORD size, std::string& bytes) {
    bytes.resize(size);
    DWORD total = 0;
    while (total < size) {
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + total, size - total, &got, nullptr) || got == 0) break;
        total += got;
    }
    bytes.resize(total);
}

} // namespace

bool Open(const std::string& path) {
    Close();
    gFile.Path = WidePathFromUtf8(path);
    Document.HasFile = true; // even a missing file may be created by a write-back
    gFile.Handle.reset(CreateFileW(gFile.Path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!gFile.Handle) {
        gFile.Handle.reset(CreateFileW(gFile.Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!gFile.Handle) return false;

    const DWORD size = GetFileSize(gFile.Handle.get(), nullptr);
    std::string bytes;
    if (size != INVALID_FILE_SIZE) ReadRest(gFile.Handle.get(), size, bytes);
    ParseSettingsText(bytes.data(), bytes.size(), Document);
    return true;
}

bool Create(const std::string& path) {
    Close();
    const std::wstring wide = WidePathFromUtf8(path);
    UniqueFile temp = CreateTemp(TempPathFor(wide));
    if (!temp) return false; // nowhere to write: every write is dropped
    gFile.Path = wide;
    gFile.Temp = std::move(temp);
    Document.HasFile = true;
    return true;
}

void Close() {
    if (Document.HasFile && Document.Modified) {
        const std::string bytes = ComposeSettingsText(Document);
        // Our own read handle would block the replace; the text is all in memory now.
        gFile.Handle.reset();
        if (!gFile.Temp) gFile.Temp = CreateTemp(TempPathFor(gFile.Path));
        ReplaceWith(std::move(gFile.Temp), gFile.Path, bytes);
    } else if (gFile.Temp) {
        // Created but never written: keep the old file as it is.
        gFile.Temp.reset();
        DeleteFileW(TempPathFor(gFile.Path).c_str());
    }
    gFile = FileState();
    Document = SettingsDocument();
}

} // namespace SettingsFile
