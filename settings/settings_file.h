#pragma once
// "Blinkbar.ini"-style files: groups, keys and comments, read case-blind, written back as
// "name = value" lines with CR LF. The document half here is platform-free; opening, creating and
// closing real files is the platform half.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SettingsEntryKind { Group, Comment, Key };

struct SettingsEntry {
    SettingsEntryKind Kind = SettingsEntryKind::Key;
    std::string Name; // group or key name
    std::string Text; // comment text or key value
    bool operator==(const SettingsEntry&) const = default;
};

struct SettingsDocument {
    bool HasFile = false; // a file (or a place to create one) stands behind the document
    bool Utf8 = false;    // the file began with a UTF-8 byte order mark
    std::vector<SettingsEntry> Entries;
    int CurrentGroup = -1;   // index of the current Group entry; -1: the entries before any group
    int InsertionPoint = -1; // index of the entry written last; -1: none
    bool GroupPending = false;
    std::string PendingGroup;
    bool Modified = false;
};

// Parses a file's bytes (a leading UTF-8 byte order mark sets Utf8 and is dropped) into `doc`,
// replacing its entries and resetting the group state.
void ParseSettingsText(const char* data, size_t size, SettingsDocument& doc);

// The whole text of the document as a write-back produces it.
std::string ComposeSettingsText(const SettingsDocument& doc);

bool SettingsSelectGroup(SettingsDocument& doc, const std::string& group);
int32_t SettingsReadInteger(const SettingsDocument& doc, const std::string& key, int32_t fallback);
std::string SettingsReadString(const SettingsDocument& doc, const std::string& key,
                               const std::string& fallback);
void SettingsWriteInteger(SettingsDocument& doc, const std::string& key, int32_t value);
void SettingsWriteString(SettingsDocument& doc, const std::string& key, const std::string& value);
void SettingsWriteComment(SettingsDocument& doc, const std::string& comment);

// Whether `file` is what a write of `whole` cut off leaves: a beginning of it, shorter, or at its
// full length with the unwritten tail read as zero bytes (NTFS can keep a file's new length
// after a power cut without its last clusters). A file equal to `whole` is whole, not cut.
bool IsCutWriteOf(const std::string& file, const std::string& whole);

// msvcrt's atoi: blanks, a sign, decimal digits up to the first other character; wraps.
int32_t AtoiValue(const char* text);

// The process-wide settings file. At most one is open at a time.
namespace SettingsFile {

extern SettingsDocument Document;

// Platform half. Paths are UTF-8.
bool Open(const std::string& path);
bool Create(const std::string& path);
void Close();

// Document half, on SettingsFile::Document.
bool SelectGroup(const std::string& group);
int32_t ReadInteger(const std::string& key, int32_t fallback);
std::string ReadString(const std::string& key, const std::string& fallback);
void WriteInteger(const std::string& key, int32_t value);
void WriteString(const std::string& key, const std::string& value);
void WriteComment(const std::string& comment);

} // namespace SettingsFile
