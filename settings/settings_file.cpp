#include "settings/settings_file.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// msvcrt's _stricmp: only ASCII letters fold.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

std::string Latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Program-side text is Latin-1: anything beyond U+00FF, or broken UTF-8, gives no text at all.
std::string Utf8ToLatin1(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if ((next & 0xC0) == 0x80) {
                out += static_cast<char>(((c & 0x1F) << 6) | (next & 0x3F));
                ++i;
                continue;
            }
        }
        return std::string();
    }
    return out;
}

std::string ToFileText(const SettingsDocument& doc, const std::string& text) {
    return doc.Utf8 ? Latin1ToUtf8(text) : text;
}

void ParseLine(const char* begin, const char* end, std::vector<SettingsEntry>& entries) {
    while (begin < end && IsBlank(*begin)) ++begin;
    if (begin == end) return;
    SettingsEntry entry;
    if (*begin == ';') {
        const char* text = begin + 1;
        if (text < end && *text == ' ') ++text; // one space, not a tab
        entry.Kind = SettingsEntryKind::Comment;
        entry.Text.assign(text, end);
    } else if (*begin == '[') {
        const char* name = begin + 1;
        const char* close = name;
        while (close < end && *close != ']') ++close;
        entry.Kind = SettingsEntryKind::Group;
        entry.Name.assign(name, close);
    } else {
        const char* equals = begin;
        while (equals < end && *equals != '=') ++equals;
        const char* nameEnd = equals;
        while (nameEnd > begin && IsBlank(nameEnd[-1])) --nameEnd;
        entry.Kind = SettingsEntryKind::Key;
        entry.Name.assign(begin, nameEnd);
        // A line without "=" is a key with an empty value, whatever the file's line ends.
        if (equals < end) {
            const char* value = equals + 1;
            while (value < end && IsBlank(*value)) ++value;
            entry.Text.assign(value, end);
        }
    }
    entries.push_back(std::move(entry));
}

// First Key entry of the current group that matches, or -1.
int FindKey(const SettingsDocument& doc, const std::string& key) {
    if (!doc.HasFile || doc.GroupPending) return -1;
    const std::string wanted = ToFileText(doc, key);
    for (size_t i = static_cast<size_t>(doc.CurrentGroup + 1); i < doc.Entries.size(); ++i) {
        const SettingsEntry& entry = doc.Entries[i];
        if (entry.Kind == SettingsEntryKind::Group) break;
        if (entry.Kind == SettingsEntryKind::Key && EqualsIgnoringAsciiCase(entry.Name, wanted)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void InsertEntry(SettingsDocument& doc, size_t at, SettingsEntry entry) {
    doc.Entries.insert(doc.Entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    const int index = static_cast<int>(at);
    if (doc.CurrentGroup >= index) ++doc.CurrentGroup;
    if (doc.InsertionPoint >= index) ++doc.InsertionPoint;
}

// A group selected before it existed is created by the first write.
void AppendPendingGroup(SettingsDocument& doc) {
    if (!doc.GroupPending) return;
    doc.Entries.push_back(SettingsEntry{SettingsEntryKind::Group, doc.PendingGroup, {}});
    doc.CurrentGroup = static_cast<int>(doc.Entries.size()) - 1;
    doc.InsertionPoint = doc.CurrentGroup;
    doc.GroupPending = false;
    doc.PendingGroup.clear();
}

void WriteKey(SettingsDocument& doc, const std::string& key, const std::string& value) {
    if (!doc.HasFile) return;
    AppendPendingGroup(doc);
    const std::string name = ToFileText(doc, key);
    int at = FindKey(doc, key);
    if (at >= 0) {
        doc.Entries[at].Name = name; // the caller's spelling replaces the file's
        doc.Entries[at].Text = value;
    } else {
        // After the group's last entry, so new keys keep the order they are written in.
        size_t end = static_cast<size_t>(doc.CurrentGroup + 1);
        while (end < doc.Entries.size() && doc.Entries[end].Kind != SettingsEntryKind::Group) ++end;
        InsertEntry(doc, end, SettingsEntry{SettingsEntryKind::Key, name, value});
        at = static_cast<int>(end);
    }
    doc.InsertionPoint = at;
    doc.Modified = true;
}

} // namespace

int32_t AtoiValue(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = (*p++ == '-');
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

void ParseSettingsText(const char* data, size_t size, SettingsDocument& doc) {
    doc.Entries.clear();
    doc.CurrentGroup = -1;
    doc.InsertionPoint = -1;
    doc.GroupPending = false;
    doc.PendingGroup.clear();
    doc.Utf8 = size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
               static_cast<unsigned char>(data[1]) == 0xBB &&
               static_cast<unsigned char>(data[2]) == 0xBF;
    const char* p = data + (doc.Utf8 ? 3 : 0);
    const char* end = data + size;
    while (p < end) {
        while (p < end && IsLineEnd(*p)) ++p;
        const char* lineEnd = p;
        while (lineEnd < end && !IsLineEnd(*lineEnd)) ++lineEnd;
        if (lineEnd > p) ParseLine(p, lineEnd, doc.Entries);
        p = lineEnd;
    }
}

bool IsCutWriteOf(const std::string& file, const std::string& whole) {
    if (file.size() > whole.size() || file == whole) return false;
    size_t same = 0;
    while (same < file.size() && file[same] == whole[same]) ++same;
    return file.find_first_not_of('\0', same) == std::string::npos;
}

std::string ComposeSettingsText(const SettingsDocument& doc) {
    std::string text;
    if (doc.Utf8) text += "\xEF\xBB\xBF\r\n";
    for (const SettingsEntry& entry : doc.Entries) {
        switch (entry.Kind) {
        case SettingsEntryKind::Group:
            text += "[" + entry.Name + "]";
            break;
        case SettingsEntryKind::Comment:
            text += "; " + entry.Text;
            break;
        case SettingsEntryKind::Key:
            text += entry.Name + " = " + entry.Text;
            break;
        }
        text += "\r\n";
    }
    return text;
}

bool SettingsSelectGroup(SettingsDocument& doc, const std::string& group) {
    if (group.empty()) {
        doc.CurrentGroup = -1;
        doc.InsertionPoint = -1;
        doc.GroupPending = false;
        doc.PendingGroup.clear();
        return true;
    }
    const std::string wanted = ToFileText(doc, group);
    for (size_t i = 0; i < doc.Entries.size(); ++i) {
        const SettingsEntry& entry = doc.Entries[i];
        if (entry.Kind == SettingsEntryKind::Group && EqualsIgnoringAsciiCase(entry.Name, wanted)) {
            doc.CurrentGroup = static_cast<int>(i);
            doc.InsertionPoint = doc.CurrentGroup;
            doc.GroupPending = false;
            doc.PendingGroup.clear();
            return true;
        }
    }
    doc.GroupPending = true;
    doc.PendingGroup = wanted;
    return false;
}

int32_t SettingsReadInteger(const SettingsDocument& doc, const std::string& key, int32_t fallback) {
    const int at = FindKey(doc, key);
    return at < 0 ? fallback : AtoiValue(doc.Entries[at].Text.c_str());
}

std::string SettingsReadString(const SettingsDocument& doc, const std::string& key,
                               const std::string& fallback) {
    const int at = FindKey(doc, key);
    if (at < 0) return fallback;
    const std::string& stored = doc.Entries[at].Text;
    size_t from = 0;
    while (from < stored.size() && IsBlank(stored[from])) ++from;
    std::string text = stored.substr(from);
    if (doc.Utf8) text = Utf8ToLatin1(text);
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    return text;
}

void SettingsWriteInteger(SettingsDocument& doc, const std::string& key, int32_t value) {
    WriteKey(doc, key, std::to_string(value));
}

void SettingsWriteString(SettingsDocument& doc, const std::string& key, const std::string& value) {
    WriteKey(doc, key, ToFileText(doc, value));
}

void SettingsWriteComment(SettingsDocument& doc, const std::string& comment) {
    if (!doc.HasFile) return;
    AppendPendingGroup(doc);
    const size_t at = static_cast<size_t>(doc.InsertionPoint + 1);
    InsertEntry(doc, at, SettingsEntry{SettingsEntryKind::Comment, {}, ToFileText(doc, comment)});
    doc.InsertionPoint = static_cast<int>(at);
    doc.Modified = true;
}

namespace SettingsFile {

SettingsDocument Document;

bool SelectGroup(const std::string& group) {
    return SettingsSelectGroup(Document, group);
}
int32_t ReadInteger(const std::string& key, int32_t fallback) {
    return SettingsReadInteger(Document, key, fallback);
}
std::string ReadString(const std::string& key, const std::string& fallback) {
    return SettingsReadString(Document, key, fallback);
}
void WriteInteger(const std::string& key, int32_t value) {
    SettingsWriteInteger(Document, key, value);
}
void WriteString(const std::string& key, const std::string& value) {
    SettingsWriteString(Document, key, value);
}
void WriteComment(const std::string& comment) {
    SettingsWriteComment(Document, comment);
}

} // namespace SettingsFile
