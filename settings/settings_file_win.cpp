// The settings file on kernel32, through the wide-character calls so that no folder name is lost
// to the code page. A save goes to a temporary file beside the real one and replaces it in one
// step, so a failed save never leaves an empty or half-written "Blinkbar.ini"; only where nothing
// new can be made beside it, or where the file has a second name (a hard link, as Scoop keeps it
// in its persist folder) that a replace would cut off, is the file rewritten in place.
#include <windows.h>

#include <string>

#include "app/win_handles.h"
#include "settings/path_text_win.h"
#include "settings/settings_file.h"
#include "settings/settings_write_win.h"

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

// The whole new text of a save that writes a linked file in place, kept under this name until
// that write is done: a start that finds it reads it instead of a file that may be cut short.
std::wstring CopyPathFor(const std::wstring& path) {
    return path + L".new";
}

UniqueFile CreateTemp(const std::wstring& tempPath) {
    return UniqueFile(CreateFileW(tempPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

enum class InPlace { Untouched, CutShort, Written };

// `path` opened to be rewritten where it stands; none where it does not open for writing
// (read-only, or held by another program without write sharing).
UniqueFile OpenInPlace(const std::wstring& path) {
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Rewrites the opened file where it stands: what the program did before it had a temporary file,
// and the only way left where the folder takes no new file but the file itself may be written. It
// is emptied first, so a write cut off at any byte leaves a beginning of the new text, never new
// bytes over the old tail: that is how a start tells a cut-off write from a file that is whole.
InPlace RewriteInPlace(const UniqueFile& file, const std::string& bytes) {
    if (!file) return InPlace::Untouched;
    if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !SetEndOfFile(file.get()))
        return InPlace::Untouched;
    const bool written = WriteSettingsBytes(file.get(), bytes);
    return FlushFileBuffers(file.get()) && written ? InPlace::Written : InPlace::CutShort;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the file has another name besides this one.
bool HasOtherNames(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return file && GetFileInformationByHandle(file.get(), &info) && info.nNumberOfLinks > 1;
}

// Writes `bytes` into the prepared temporary file and puts it in place of `path`: ReplaceFileW
// keeps an existing file's attributes and permissions, MoveFileExW names a new one. Where no
// temporary file could be made, the file is rewritten in place. On every failure seen before the
// file itself is touched, the old file stays exactly as it was and the temporary file goes.
void ReplaceWith(UniqueFile temp, const std::wstring& path, const std::string& bytes) {
    // A folder where the file belongs is the user's, not ours to replace (Wine's ReplaceFileW
    // would move it aside under a made-up name).
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (temp) {
            temp.reset();
            DeleteFileW(TempPathFor(path).c_str());
        }
        return;
    }
    if (!temp) {
        if (RewriteInPlace(OpenInPlace(path), bytes) == InPlace::Written)
            DeleteFileW(CopyPathFor(path).c_str());
        return;
    }
    const std::wstring tempPath = TempPathFor(path);
    const bool written = WriteSettingsBytes(temp.get(), bytes) && SetEndOfFile(temp.get()) &&
                         FlushFileBuffers(temp.get());
    temp.reset();
    if (!written) {
        DeleteFileW(tempPath.c_str());
        return;
    }
    if (HasOtherNames(path)) {
        // A replace would give this name a new file and leave the other name the old settings
        // (the next "scoop update" would bring them back). Write the file where it stands, with
        // the whole new text kept first: a write cut off at any byte loses nothing. A file that
        // does not open for writing (read-only, held by another program) keeps its text and the
        // save failed; the copy is not touched then, so the text of an earlier cut-off write,
        // still the only whole one, stays where a start finds it.
        const UniqueFile file = OpenInPlace(path);
        const std::wstring copyPath = CopyPathFor(path);
        if (!file || !MoveFileExW(tempPath.c_str(), copyPath.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileW(tempPath.c_str());
            return;
        }
        if (RewriteInPlace(file, bytes) != InPlace::CutShort) DeleteFileW(copyPath.c_str());
        return;
    }
    bool replaced = false;
    if (Exists(path)) {
        replaced =
            ReplaceFileW(path.c_str(), tempPath.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH,
                         nullptr, nullptr) ||
            // Where the old file was already taken away, the new one still has to go there.
            (!Exists(path) && MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH));
    } else {
        replaced = MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    if (replaced)
        DeleteFileW(CopyPathFor(path).c_str()); // the text of an older cut-off save, if any
    else
        DeleteFileW(tempPath.c_str());
}

void ReadRest(HANDLE file, std::string& bytes) {
    const DWORD size = GetFileSize(file, nullptr);
    bytes.clear();
    if (size == INVALID_FILE_SIZE) return;
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
    const DWORD openError = gFile.Handle ? ERROR_SUCCESS : GetLastError();
    const auto openLeftOver = [](const std::wstring& leftOverPath) {
        return UniqueFile(CreateFileW(leftOverPath.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    std::string bytes;
    bool writeBack = false;
    if (gFile.Handle) {
        ReadRest(gFile.Handle.get(), bytes);
        // A save into a linked file that was cut off: the file holds a beginning of the text
        // whose whole waits beside it, and is written back at once: until then the text lives
        // only beside this name of the file (a "scoop update" makes a new folder without it). A
        // copy that the file does not begin (a file whole again, or edited since) is an old one:
        // the file wins.
        if (UniqueFile copy = openLeftOver(CopyPathFor(gFile.Path))) {
            std::string whole;
            ReadRest(copy.get(), whole);
            writeBack = IsCutWriteOf(bytes, whole);
            if (writeBack) bytes.swap(whole);
        }
    } else {
        // A save cut off inside the replace (ReplaceFileW takes the old file away before it moves
        // the new one in, on Windows as under Wine) leaves only the replacement, written and
        // flushed before the replace began. Read that, or the user's settings would fall back to
        // the defaults; the next save puts the file back in its place.
        if (openError != ERROR_FILE_NOT_FOUND) return false;
        UniqueFile replacement = openLeftOver(TempPathFor(gFile.Path));
        if (!replacement) return false;
        ReadRest(replacement.get(), bytes);
    }
    ParseSettingsText(bytes.data(), bytes.size(), Document);
    Document.Modified = writeBack;
    return true;
}

bool Create(const std::string& path) {
    Close();
    const std::wstring wide = WidePathFromUtf8(path);
    gFile.Path = wide;
    gFile.Temp = CreateTemp(TempPathFor(wide)); // none: the save falls back to an in-place rewrite
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
