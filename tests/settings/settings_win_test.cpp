// The settings file on real files: reading, saving by replacement, and the failures that must
// never cost the user the file they have.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/app_state.h"
#include "settings/path_text_win.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"
#include "support/failing_writes.h"
#include "support/win_test_window.h"

namespace {

std::wstring Dir() {
    return TestProgramDirectory() + L"settings-files\\";
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    return bytes;
}

class SettingsFilesOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryW(Dir().c_str(), nullptr);
        path_ = Dir() + L"Blinkbar.ini";
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path_.c_str());
        DeleteFileW((path_ + L".tmp").c_str());
        RemoveDirectoryW((path_ + L".tmp").c_str());
        ResetAppState();
        InitConstantState();
        AppState.SettingsPath = Utf8FromWidePath(path_);
    }
    void TearDown() override { SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL); }

    void Load() {
        SettingsFile::Open(AppState.SettingsPath);
        SettingsFile::SelectGroup(kSettingsGroup);
        ReadSettingsFields(SettingsFile::Document, CurrentScreenBounds());
        SettingsFile::Close();
    }

    std::wstring path_;
};

TEST_F(SettingsFilesOnWine, AMissingFileReadsAsDefaultsAndIsNotCreatedByReading) {
    EXPECT_FALSE(SettingsFile::Open(AppState.SettingsPath));
    EXPECT_TRUE(SettingsFile::SelectGroup(""));
    EXPECT_EQ(SettingsFile::ReadInteger("WinX", 400), 400);
    SettingsFile::Close();
    EXPECT_FALSE(Exists(path_));
}

TEST_F(SettingsFilesOnWine, AWriteAfterOpeningAMissingFileCreatesIt) {
    SettingsFile::Open(AppState.SettingsPath);
    EXPECT_FALSE(SettingsFile::SelectGroup("Settings"));
    SettingsFile::WriteInteger("WinX", 5);
    SettingsFile::Close();
    EXPECT_EQ(ReadBytes(path_), "[Settings]\r\nWinX = 5\r\n");
}

TEST_F(SettingsFilesOnWine, EmptyAndByteOrderMarkOnlyFilesHoldNothing) {
    for (const std::string bytes : {std::string(), std::string("\xEF\xBB\xBF")}) {
        WriteBytes(path_, bytes);
        EXPECT_TRUE(SettingsFile::Open(AppState.SettingsPath));
        EXPECT_TRUE(SettingsFile::Document.Entries.empty());
        EXPECT_EQ(SettingsFile::Document.Utf8, !bytes.empty());
        SettingsFile::Close();
        EXPECT_EQ(ReadBytes(path_), bytes) << "reading never rewrites";
    }
}

// A kill inside the replace leaves the flushed replacement and no file: the next start reads
// the replacement without writing anything, and its first save puts the file back in place. A
// replacement beside an existing file is a save cut off earlier and never outranks the file.
TEST_F(SettingsFilesOnWine, ASaveCutOffInsideTheReplaceIsReadFromTheReplacement) {
    const std::wstring temp = path_ + L".tmp";
    WriteBytes(temp, "[Settings]\r\nWinX = 77\r\nIconSize = 2\r\n");
    Load();
    EXPECT_EQ(AppState.WinX, 77);
    EXPECT_EQ(AppState.IconSize, 2);
    EXPECT_FALSE(Exists(path_)) << "reading writes nothing";
    SettingsFile::Open(AppState.SettingsPath);
    SettingsFile::SelectGroup(kSettingsGroup);
    SettingsFile::WriteInteger("WinY", 5);
    SettingsFile::Close();
    EXPECT_EQ(ReadBytes(path_), "[Settings]\r\nWinX = 77\r\nIconSize = 2\r\nWinY = 5\r\n");
    EXPECT_FALSE(Exists(temp));

    WriteBytes(temp, "[Settings]\r\nWinX = 1\r\n");
    Load();
    EXPECT_EQ(AppState.WinX, 77) << "the file itself wins";
}

TEST_F(SettingsFilesOnWine, AFolderWhereTheFileBelongsIsNeverReplaced) {
    ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
    WriteBytes(path_ + L"\\inside.txt", "mine");
    Load();
    EXPECT_EQ(AppState.WinX, 400);
    SettingsFile::Open(AppState.SettingsPath);
    SettingsFile::SelectGroup(kSettingsGroup);
    SettingsFile::WriteInteger("WinX", 5);
    SettingsFile::Close();
    EXPECT_EQ(ReadBytes(path_ + L"\\inside.txt"), "mine");
    EXPECT_EQ(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(Exists(path_ + L".tmp"));
    DeleteFileW((path_ + L"\\inside.txt").c_str());
    RemoveDirectoryW(path_.c_str());
}

TEST_F(SettingsFilesOnWine, AReadOnlyFileIsReadAndLeftAlone) {
    WriteBytes(path_, "[Settings]\nWinX=77\nIconSize=2\n");
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    Load();
    EXPECT_EQ(AppState.WinX, 77);
    EXPECT_EQ(AppState.IconSize, 2);
    EXPECT_EQ(ReadBytes(path_), "[Settings]\nWinX=77\nIconSize=2\n");
}

TEST_F(SettingsFilesOnWine, PositionsAreCheckedAgainstTheScreensOwnWidthAndHeight) {
    // The test display is 1024 x 768: 900 is beyond the height but within the width.
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    WriteBytes(path_, "[Settings]\nWinX=900\nWinY=700\n");
    Load();
    EXPECT_EQ(AppState.WinX, 900);
    EXPECT_EQ(AppState.WinY, 700);
    WriteBytes(path_, "[Settings]\nWinX=2000\nWinY=1000\n");
    Load();
    EXPECT_EQ(AppState.WinX, 512);
    EXPECT_EQ(AppState.WinY, 384);
}

TEST_F(SettingsFilesOnWine, ASaveWritesTheExactTextAndLeavesNoTemporaryFile) {
    WriteBytes(path_, "; old\r\n[Settings]\r\nWinX=1\r\n[Extra]\r\nk=v\r\n");
    Load();
    AppState.WinX = 123;
    AppState.WinY = 45;
    SaveSettings(); // no window in this test: the start-up position stands in
    const std::string saved = ReadBytes(path_);
    EXPECT_EQ(saved.substr(0, 2), "; ");
    EXPECT_NE(saved.find("\r\n; \r\n[Settings]\r\nWinX = 123\r\nWinY = 45\r\nLocked = 0\r\n"),
              std::string::npos);
    EXPECT_EQ(saved.find("[Extra]"), std::string::npos);
    EXPECT_EQ(saved.substr(saved.size() - 21), "Minimize Button = 0\r\n");
    EXPECT_FALSE(Exists(path_ + L".tmp"));
    Load();
    EXPECT_EQ(AppState.WinX, 123);
}

TEST_F(SettingsFilesOnWine, ASaveTakesTheBarsCurrentPosition) {
    Load();
    HWND bar = CreateWindowExA(0, "STATIC", "bar", WS_POPUP, 321, 54, 40, 18, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    AppState.WindowHandle = bar;
    SaveSettings();
    DestroyWindow(bar);
    AppState.WindowHandle = nullptr;
    const std::string saved = ReadBytes(path_);
    EXPECT_NE(saved.find("WinX = 321\r\nWinY = 54\r\n"), std::string::npos) << saved;
}

TEST_F(SettingsFilesOnWine, AFailedReplaceKeepsTheOldFileByteForByte) {
    const std::string old = "[Settings]\r\nWinX=9\r\n";
    WriteBytes(path_, old);
    Load();
    // Another program holds the file without sharing it: the replace step fails.
    HANDLE holder = CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    AppState.WinX = 500;
    SaveSettings();
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(path_), old);
    EXPECT_FALSE(Exists(path_ + L".tmp")) << "the temporary file is removed";
}

TEST_F(SettingsFilesOnWine, WhereNoTemporaryFileCanBeMadeTheFileIsRewrittenInPlace) {
    WriteBytes(path_,
               "[Settings]\r\nWinX=9\r\nIconSize=2\r\n; a long tail that must not survive\r\n");
    // The temporary file's name is taken by a folder, so nothing can be created there.
    ASSERT_TRUE(CreateDirectoryW((path_ + L".tmp").c_str(), nullptr));
    Load();
    AppState.WinX = 31;
    AppState.WinY = 7;
    SaveSettings();
    RemoveDirectoryW((path_ + L".tmp").c_str());
    const std::string saved = ReadBytes(path_);
    EXPECT_NE(saved.find("WinX = 31\r\nWinY = 7\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("tail"), std::string::npos);
    EXPECT_EQ(saved.substr(saved.size() - 21), "Minimize Button = 0\r\n") << "cut at its new end";
    Load();
    EXPECT_EQ(AppState.IconSize, 2);
}

// A file with a second name, as Scoop keeps it (hard-linked from its persist folder), is written
// in place after its whole new text is kept beside it as ".new".
TEST_F(SettingsFilesOnWine, ALinkedFileReadsItsCopyOnlyAfterAWriteCutOffInPlace) {
    const std::wstring persisted = Dir() + L"persisted.ini", copy = path_ + L".new";
    DeleteFileW(persisted.c_str());
    DeleteFileW(copy.c_str());
    WriteBytes(persisted, "[Settings]\r\nWinX=9\r\n");
    ASSERT_TRUE(CreateHardLinkW(path_.c_str(), persisted.c_str(), nullptr));
    const auto save = [](int winX) {
        AppState.WinX = winX;
        SaveSettings();
    };
    // A file that cannot be written at all: LockedSettings. A copy an older save left, then the
    // file edited by hand: the edit is read.
    WriteBytes(copy, "[Settings]\r\nWinX=500\r\n");
    WriteBytes(path_, "[Settings]\r\nWinX=31\r\n");
    Load();
    EXPECT_EQ(AppState.WinX, 31);
    // A write that stops after the file was emptied (a full disk): the start reads the copy and
    // writes it back at once, for both names: the copy lives only beside this one.
    FailSettingsWriteAfter(1, 13); // the temporary file whole, then 13 bytes in place
    save(77);
    ASSERT_TRUE(Exists(copy));
    const std::string whole = ReadBytes(copy);
    EXPECT_EQ(ReadBytes(persisted), whole.substr(0, 13)) << "emptied, then cut short";
    Load();
    EXPECT_EQ(AppState.WinX, 77);
    EXPECT_EQ(ReadBytes(persisted), whole) << "written back by the start";
    EXPECT_FALSE(Exists(copy));
    // After a power cut the file can keep its new length with its tail read as zeros. A start
    // while another program holds the file cannot write it back, and a save then cannot open
    // it: both leave the copy, the only whole text, for the next start.
    WriteBytes(copy, whole);
    WriteBytes(persisted, whole.substr(0, 13) + std::string(whole.size() - 13, '\0'));
    HANDLE holder = CreateFileW(persisted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    AppState.WinX = 0;
    Load();
    EXPECT_EQ(AppState.WinX, 77) << "a zero tail is a cut write too";
    save(79);
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(copy), whole);
    AppState.WinX = 0;
    Load();
    EXPECT_EQ(AppState.WinX, 77);
    EXPECT_EQ(ReadBytes(persisted), whole);
    save(78); // both names keep the text
    EXPECT_FALSE(Exists(copy));
    EXPECT_NE(ReadBytes(persisted).find("WinX = 78\r\n"), std::string::npos);
    DeleteFileW(persisted.c_str());
}

TEST_F(SettingsFilesOnWine, CreatingWithoutWritingKeepsTheOldFile) {
    WriteBytes(path_, "keep");
    EXPECT_TRUE(SettingsFile::Create(AppState.SettingsPath));
    SettingsFile::Close();
    EXPECT_EQ(ReadBytes(path_), "keep");
    EXPECT_FALSE(Exists(path_ + L".tmp"));
}

// Run from a copy of this program in a folder named in Japanese (see the test registration).
TEST(ProgramFolder, SettingsLiveBesideTheProgramWhateverItsFolderIsCalled) {
    ResetAppState();
    InitConstantState();
    const std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(WidePathFromUtf8(dir), TestProgramDirectory());
    const std::wstring wide = TestProgramDirectory();
    if (wide.find_first_of(L"\u8a2d\u5b9a") != std::wstring::npos) {
        // The premise of this run: the 8-bit calls cannot even name the folder.
        char narrow[MAX_PATH * 4] = {};
        GetModuleFileNameA(nullptr, narrow, sizeof narrow);
        EXPECT_NE(std::string(narrow).find('?'), std::string::npos) << narrow;
    }
    const std::wstring file = TestProgramDirectory() + L"Blinkbar.ini";
    DeleteFileW(file.c_str());

    LoadSettings();
    EXPECT_EQ(AppState.SettingsPath, dir + "Blinkbar.ini");
    AppState.WinX = 77;
    AppState.Transparency = 99;
    SaveSettings();
    ASSERT_TRUE(Exists(file));
    AppState.WinX = 0;
    AppState.Transparency = 0;
    LoadSettings();
    EXPECT_EQ(AppState.WinX, 77);
    EXPECT_EQ(AppState.Transparency, 99);
}

} // namespace

namespace {

// Run by tests/windows/run_locked.sh from a folder where "Blinkbar.ini" or the folder itself has
// been made immutable, so that neither Wine nor root can change it.
bool CanWrite(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool CanCreateBeside(const std::wstring& file) {
    const std::wstring probe = file + L".probe";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    DeleteFileW(probe.c_str());
    return true;
}

// Loads the prepared file (WinX=9, Drives=0011) and saves other values over it.
void LoadPreparedAndSave() {
    ResetAppState();
    InitConstantState();
    LoadSettings();
    EXPECT_EQ(AppState.WinX, 9) << "the values are read even where the file cannot be written";
    EXPECT_EQ(AppState.Drives, "0011");
    AppState.WinX = 999;
    AppState.IconSize = 3;
    SaveSettings();
}

TEST(LockedSettings, AFileThatCannotBeWrittenIsReadAndKeptByteForByte) {
    const std::wstring file = TestProgramDirectory() + L"Blinkbar.ini";
    const std::string before = ReadBytes(file);
    ASSERT_NE(before, "<missing>");
    ASSERT_FALSE(CanWrite(file)) << "run this through run_locked.sh ... file";
    LoadPreparedAndSave();
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_FALSE(Exists(file + L".tmp"));
    // Linked as Scoop keeps it: the save failed, and no copy stays that a start would prefer.
    EXPECT_FALSE(Exists(file + L".new"));
}

TEST(LockedSettings, AFolderThatTakesNoNewFileStillGetsTheSaveInPlace) {
    const std::wstring file = TestProgramDirectory() + L"Blinkbar.ini";
    ASSERT_TRUE(CanWrite(file));
    ASSERT_FALSE(CanCreateBeside(file)) << "run this through run_locked.sh ... folder";
    LoadPreparedAndSave();
    const std::string after = ReadBytes(file);
    EXPECT_NE(after.find("WinX = 999\r\n"), std::string::npos) << after;
    EXPECT_NE(after.find("IconSize = 3\r\n"), std::string::npos);
    EXPECT_FALSE(Exists(file + L".tmp"));
}

} // namespace
