#include <gtest/gtest.h>

#include <string>

#include "settings/settings_file.h"

namespace {

SettingsDocument Parse(const std::string& text) {
    SettingsDocument doc;
    doc.HasFile = true;
    ParseSettingsText(text.data(), text.size(), doc);
    return doc;
}

SettingsDocument Fresh() {
    SettingsDocument doc;
    doc.HasFile = true;
    return doc;
}

using Kind = SettingsEntryKind;

TEST(SettingsParse, LineEndsOfEveryKindReadAlikeAndBlankLinesVanish) {
    using namespace std::string_literals;
    const std::vector<SettingsEntry> expected = {{Kind::Group, "Settings", ""},
                                                 {Kind::Key, "WinX", "5"}};
    for (const std::string& text :
         {"[Settings]\r\nWinX=5\r\n"s, "[Settings]\nWinX=5"s, "[Settings]\rWinX=5\r"s,
          "\r\n\r\n  [Settings]\n\n\n\tWinX = 5\n"s, "[Settings]\0WinX=5\0\0"s}) {
        EXPECT_EQ(Parse(text).Entries, expected) << text;
    }
}

TEST(SettingsParse, AByteOrderMarkMarksAUtf8FileAndIsNotText) {
    SettingsDocument doc = Parse("\xEF\xBB\xBF[Settings]\r\n");
    EXPECT_TRUE(doc.Utf8);
    ASSERT_EQ(doc.Entries.size(), 1u);
    EXPECT_EQ(doc.Entries[0].Name, "Settings");
    EXPECT_TRUE(Parse("\xEF\xBB\xBF").Entries.empty());
    EXPECT_TRUE(Parse("").Entries.empty());
    EXPECT_FALSE(Parse("\xEF\xBB").Utf8);
}

TEST(SettingsParse, CommentsGroupsAndKeysKeepTheirExactText) {
    const SettingsDocument doc = Parse(";  two spaces  \r\n;\ttab\r\n;\r\n[ Settings ]\r\n[Open\r\n"
                                       "[Done] tail\r\nHDD Detect Interval  \t= \t 10  \r\n"
                                       "Drives=11 ; not a comment\r\nUrl=a=b\r\n");
    const std::vector<SettingsEntry> expected = {{Kind::Comment, "", " two spaces  "},
                                                 {Kind::Comment, "", "\ttab"},
                                                 {Kind::Comment, "", ""},
                                                 {Kind::Group, " Settings ", ""},
                                                 {Kind::Group, "Open", ""},
                                                 {Kind::Group, "Done", ""},
                                                 {Kind::Key, "HDD Detect Interval", "10  "},
                                                 {Kind::Key, "Drives", "11 ; not a comment"},
                                                 {Kind::Key, "Url", "a=b"}};
    EXPECT_EQ(doc.Entries, expected);
}

TEST(SettingsParse, ALineWithoutEqualsIsAKeyWithAnEmptyValueWhateverTheLineEnds) {
    for (const char* text : {"[S]\r\nWinX\r\nWinY=3\r\n", "[S]\nWinX\nWinY=3\n"}) {
        SettingsDocument doc = Parse(text);
        ASSERT_TRUE(SettingsSelectGroup(doc, "S"));
        EXPECT_EQ(SettingsReadString(doc, "WinX", "dflt"), "");
        EXPECT_EQ(SettingsReadInteger(doc, "WinX", 400), 0);
        EXPECT_EQ(SettingsReadInteger(doc, "WinY", 400), 3) << "the next line stays a line";
    }
}

TEST(SettingsLookup, GroupsAndKeysAreFoundIgnoringAsciiCase) {
    SettingsDocument doc = Parse("[settings]\r\nwinx=5\r\n");
    ASSERT_TRUE(SettingsSelectGroup(doc, "Settings"));
    EXPECT_EQ(SettingsReadInteger(doc, "WinX", 400), 5);
    SettingsDocument shouted = Parse("[SETTINGS]\r\nICONSIZE=3\r\nhdd detect interval=4\r\n");
    ASSERT_TRUE(SettingsSelectGroup(shouted, "Settings"));
    EXPECT_EQ(SettingsReadString(shouted, "IconSize", "1"), "3") << "Z folds like every letter";
    EXPECT_EQ(SettingsReadString(shouted, "HDD Detect Interval", "10"), "4");
    SettingsDocument spaced = Parse("[ Settings]\r\nWinX=5\r\n");
    EXPECT_FALSE(SettingsSelectGroup(spaced, "Settings"));
    EXPECT_EQ(SettingsReadInteger(spaced, "WinX", 400), 400) << "nothing is found while pending";
    SettingsDocument open = Parse("[Settings\r\nWinX=6\r\n");
    EXPECT_TRUE(SettingsSelectGroup(open, "Settings"));
    EXPECT_EQ(SettingsReadInteger(open, "WinX", 400), 6);
    SettingsDocument latin = Parse("[\xC9t\xE9]\r\nk=1\r\n");
    EXPECT_FALSE(SettingsSelectGroup(latin, "\xE9t\xE9")) << "only ASCII letters fold";
}

TEST(SettingsLookup, TheFirstGroupAndTheFirstKeyWin) {
    SettingsDocument doc = Parse("WinX=1\r\n[Settings]\r\nWinX=2\r\n;c\r\nWinX=3\r\n[Other]\r\n"
                                 "Locked=1\r\n[Settings]\r\nWinY=9\r\n");
    ASSERT_TRUE(SettingsSelectGroup(doc, "Settings"));
    EXPECT_EQ(SettingsReadInteger(doc, "WinX", 0), 2);
    EXPECT_EQ(SettingsReadInteger(doc, "Locked", -1), -1) << "the search stops at the next group";
    EXPECT_EQ(SettingsReadInteger(doc, "WinY", -1), -1)
        << "the second Settings group is never read";
    ASSERT_TRUE(SettingsSelectGroup(doc, ""));
    EXPECT_EQ(SettingsReadInteger(doc, "WinX", 0), 1) << "keys before any group";
}

TEST(SettingsLookup, PresentButEmptyValuesAreNotDefaulted) {
    SettingsDocument doc = Parse("[Settings]\r\nTransparency=   200   \r\nDrives=\r\n");
    ASSERT_TRUE(SettingsSelectGroup(doc, "Settings"));
    EXPECT_EQ(SettingsReadString(doc, "Transparency", ""), "200");
    EXPECT_EQ(SettingsReadInteger(doc, "Transparency", 0), 200);
    EXPECT_EQ(SettingsReadString(doc, "Drives", "dflt"), "");
    EXPECT_EQ(SettingsReadInteger(doc, "Drives", 7), 0);
    EXPECT_EQ(SettingsReadString(doc, "Missing", " as is "), " as is ");
}

TEST(SettingsLookup, NoFileMeansEveryReadGivesItsDefaultAndWritesAreDropped) {
    SettingsDocument doc;
    SettingsSelectGroup(doc, "Settings");
    EXPECT_EQ(SettingsReadInteger(doc, "WinX", 400), 400);
    SettingsWriteInteger(doc, "WinX", 1);
    SettingsWriteComment(doc, "c");
    EXPECT_TRUE(doc.Entries.empty());
    EXPECT_FALSE(doc.Modified);
}

TEST(SettingsLookup, Utf8FilesConvertAtTheBorders) {
    SettingsDocument doc = Parse("\xEF\xBB\xBF[Gr\xC3\xBC\xC3\x9F]\r\nName=Caf\xC3\xA9\r\n"
                                 "Wide=\xE2\x82\xAC\r\nBroken=\xC3\r\n");
    ASSERT_TRUE(SettingsSelectGroup(doc, "Gr\xFC\xDF"));
    EXPECT_EQ(SettingsReadString(doc, "Name", ""), "Caf\xE9");
    EXPECT_EQ(SettingsReadString(doc, "Wide", "x"), "") << "beyond U+00FF";
    EXPECT_EQ(SettingsReadString(doc, "Broken", "x"), "");
    SettingsWriteString(doc, "Name", "\xE0");
    EXPECT_EQ(ComposeSettingsText(doc),
              "\xEF\xBB\xBF\r\n[Gr\xC3\xBC\xC3\x9F]\r\nName = \xC3\xA0\r\nWide = \xE2\x82\xAC\r\n"
              "Broken = \xC3\r\n");
}

TEST(AtoiValue, ReadsLikeTheCRuntime) {
    EXPECT_EQ(AtoiValue("12abc"), 12);
    EXPECT_EQ(AtoiValue("0x10"), 0);
    EXPECT_EQ(AtoiValue("  -300"), -300);
    EXPECT_EQ(AtoiValue("+7"), 7);
    EXPECT_EQ(AtoiValue(""), 0);
    EXPECT_EQ(AtoiValue("$80"), 0);
    EXPECT_EQ(AtoiValue("2147483647"), 2147483647);
    EXPECT_EQ(AtoiValue("-2147483648"), INT32_MIN);
}

TEST(SettingsCompose, TheFiveLineExample) {
    SettingsDocument doc = Fresh();
    SettingsWriteComment(doc, "a");
    SettingsWriteComment(doc, "");
    EXPECT_FALSE(SettingsSelectGroup(doc, "Settings"));
    SettingsWriteInteger(doc, "WinX", -3);
    SettingsWriteString(doc, "Drives", "01");
    EXPECT_EQ(ComposeSettingsText(doc), "; a\r\n; \r\n[Settings]\r\nWinX = -3\r\nDrives = 01\r\n");
    EXPECT_TRUE(doc.Modified);
}

TEST(SettingsCompose, RewritingAKeyKeepsItsPlaceAndTakesTheCallersCase) {
    SettingsDocument doc = Parse("; hand\r\n[Settings]\r\nWinX=1\r\nWinY=2\r\n[Other]\r\nk=v\r\n");
    ASSERT_TRUE(SettingsSelectGroup(doc, "SETTINGS"));
    SettingsWriteInteger(doc, "winx", 50);
    SettingsWriteString(doc, "Locked", "1"); // new keys go to the end of the group
    SettingsWriteComment(doc, "after Locked");
    EXPECT_EQ(ComposeSettingsText(doc), "; hand\r\n[Settings]\r\nwinx = 50\r\nWinY = 2\r\n"
                                        "Locked = 1\r\n; after Locked\r\n[Other]\r\nk = v\r\n");
}

TEST(SettingsCompose, ReadingOnlyLeavesTheDocumentUnmodified) {
    SettingsDocument doc = Parse("[Settings]\r\nWinX=1\r\n");
    SettingsSelectGroup(doc, "Settings");
    SettingsReadInteger(doc, "WinX", 0);
    SettingsSelectGroup(doc, "Missing");
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.Entries.size(), 2u) << "a pending group is only created by a write";
}

TEST(SettingsCompose, ComposedTextParsesBackToTheSameEntries) {
    const SettingsDocument doc =
        Parse(";x\r\n; \ty \r\n[A b]\r\n k =  v = w \r\n=\r\nlone\r\n[]\r\n");
    const SettingsDocument again = Parse(ComposeSettingsText(doc));
    EXPECT_EQ(again.Entries, doc.Entries);
}

// What a start finds beside a linked file's whole text: a write cut off leaves a beginning of it,
// or, after a power cut, its full length with the unwritten tail read as zeros.
TEST(SettingsCutWrite, OnlyABeginningOfTheWholeTextFollowedByZerosIsACutWrite) {
    const std::string whole = "[Settings]\r\nWinX = 7\r\n";
    const std::string zeros(whole.size() - 5, '\0');
    EXPECT_TRUE(IsCutWriteOf("", whole));
    EXPECT_TRUE(IsCutWriteOf("[Sett", whole));
    EXPECT_TRUE(IsCutWriteOf("[Sett" + zeros, whole)) << "full length, zero tail";
    EXPECT_FALSE(IsCutWriteOf(whole, whole)) << "whole again";
    EXPECT_FALSE(IsCutWriteOf("[Sett" + zeros + "x", whole)) << "longer: not this text";
    EXPECT_FALSE(IsCutWriteOf("[Sett" + zeros.substr(1) + "x", whole)) << "edited after";
    EXPECT_FALSE(IsCutWriteOf("[Other]", whole)) << "another text";
}

} // namespace
