// Tests of the two INI readers: the profile lookups behind the settings and language
// files, and the in-memory document behind the templates.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "records/ini_document.h"
#include "records/profile_reader.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

constexpr size_t kSettingBuffer = 64;
constexpr size_t kLanguageBuffer = 1024;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// ---- Profile reader -------------------------------------------------------------

struct profile_case {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    size_t buffer_size;
    std::string expected;
};

TEST(ProfileReaderTest, LookupRules) {
    const std::string long_value(100, 'a');
    const std::string two_byte_at_cut = std::string(62, 'a') + "\xC3\xA9";
    const std::string language_value(2000, 'x');
    const std::vector<profile_case> cases = {
        {"names fold case", "[COLOR]\nchildBKcolor=1,2,3\n", "Color", "ChildBkColor",
         kSettingBuffer, "1,2,3"},
        {"first key wins", "[A]\nk=first\nK=second\n", "a", "k", kSettingBuffer, "first"},
        {"first section wins, no merge", "[A]\nk=1\n[a]\nk=2\nonly=3\n", "A", "only",
         kSettingBuffer, "<default>"},
        {"value blanks trimmed", "[A]\n  k \t=  \t v a l \t \n", "A", "k", kSettingBuffer, "v a l"},
        {"split at first equals", "[A]\nk=a=b\n", "A", "k", kSettingBuffer, "a=b"},
        {"double quotes removed", "[A]\nk= \"  padded  \" \n", "A", "k", kSettingBuffer,
         "  padded  "},
        {"single quotes removed", "[A]\nk='q'\n", "A", "k", kSettingBuffer, "q"},
        {"mismatched quotes kept", "[A]\nk=\"q'\n", "A", "k", kSettingBuffer, "\"q'"},
        {"lone quote kept", "[A]\nk=\"\n", "A", "k", kSettingBuffer, "\""},
        {"empty value is a value", "[A]\nk=\n", "A", "k", kSettingBuffer, ""},
        {"comment line", "[A]\n;k=commented\nk=real\n", "A", "k", kSettingBuffer, "real"},
        {"comment is no key", "[A]\n;k=commented\n", "A", ";k", kSettingBuffer, "<default>"},
        {"CR LF line ends", "[A]\r\nk=v\r\nnext=w\r\n", "A", "k", kSettingBuffer, "v"},
        {"byte order mark skipped", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", kSettingBuffer, "v"},
        {"key before any section", "k=v\n[A]\n", "A", "k", kSettingBuffer, "<default>"},
        {"missing section", "[A]\nk=v\n", "B", "k", kSettingBuffer, "<default>"},
        {"line without equals", "[A]\nk\n", "A", "k", kSettingBuffer, "<default>"},
        {"blanks inside header", "[ A ]\nk=v\n", "A", "k", kSettingBuffer, "v"},
        {"text after header", "[A] ; note\nk=v\n", "A", "k", kSettingBuffer, "v"},
        {"unterminated header", "[A\nk=v\n", "A", "k", kSettingBuffer, "v"},
        {"cut to buffer", "[A]\nk=" + long_value + "\n", "A", "k", kSettingBuffer,
         long_value.substr(0, kSettingBuffer - 1)},
        {"cut keeps characters whole", "[A]\nk=" + two_byte_at_cut + "\n", "A", "k", kSettingBuffer,
         std::string(62, 'a')},
        {"language buffer", "[A]\nk=" + language_value + "\n", "A", "k", kLanguageBuffer,
         language_value.substr(0, kLanguageBuffer - 1)},
        {"default cut too", "[A]\n", "A", "k", 4, "<de"},
        {"zero buffer", "[A]\nk=v\n", "A", "k", 0, ""},
    };
    test::TempFolder folder;
    const std::string path = folder.Path() + "case.ini";
    for (const profile_case& c : cases) {
        WriteFile(path, c.file);
        EXPECT_EQ(ReadProfileString(path, c.section, c.key, "<default>", c.buffer_size), c.expected)
            << c.name;
    }
}

TEST(ProfileReaderTest, UnreadableFilesGiveDefaults) {
    test::TempFolder folder;
    CProfileFile file;
    EXPECT_FALSE(file.Load(folder.Path() + "missing.ini"));
    EXPECT_EQ(file.ReadString("A", "k", "fallback", kSettingBuffer), "fallback");

    // A failed load leaves nothing of an earlier one behind.
    WriteFile(folder.Path() + "good.ini", "[A]\nk=v\n");
    ASSERT_TRUE(file.Load(folder.Path() + "good.ini"));
    EXPECT_FALSE(file.Load(folder.Path()));  // a folder, not a file
    EXPECT_EQ(file.ReadString("A", "k", "fallback", kSettingBuffer), "fallback");

    const std::string huge = folder.Path() + "huge.ini";
    WriteFile(huge, "[A]\nk=v\n");
    ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kMaxIniFileBytes) + 1), 0);
    EXPECT_FALSE(file.Load(huge));
    EXPECT_EQ(file.ReadString("A", "k", "fallback", kSettingBuffer), "fallback");
}

TEST(ProfileReaderTest, HostileBytesAreReadWithoutHarm) {
    test::TempFolder folder;
    std::string bytes = "[A]\nk=";
    bytes += std::string(3 * 1024 * 1024, '\xFF');  // one very long line
    bytes += "\n[B]\nnul=a";
    bytes += '\0';
    bytes += "b\n\x80\x80\x80\x80\n[\n]\n=\n[C]\nk=\xE2\x82\n";
    WriteFile(folder.Path() + "hostile.ini", bytes);
    CProfileFile file;
    ASSERT_TRUE(file.Load(folder.Path() + "hostile.ini"));
    EXPECT_EQ(file.ReadString("A", "k", "", kSettingBuffer), std::string(63, '\xFF'));
    EXPECT_EQ(file.ReadString("B", "nul", "", kSettingBuffer), std::string("a\0b", 3));
    // A truncated sequence at the end is kept as it stands when it fits.
    EXPECT_EQ(file.ReadString("C", "k", "", kSettingBuffer), "\xE2\x82");
}

// ---- IniDocument ----------------------------------------------------------------

class IniDocumentTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        WriteFile(path_, bytes);
        return path_;
    }

    test::TempFolder folder_;
    const std::string path_ = folder_.Path() + "doc.ini";
    IniDocument document_;
};

TEST_F(IniDocumentTest, ParsesByTheLineRules) {
    ASSERT_TRUE(
        document_.Load(Write("orphan=before any section\r\n"
                             "  [ A ]  \r\n"
                             "\tkey = first \t\r\n"
                             "key=second\r\n"
                             "[b]\n"
                             "expr=a=b\n"
                             "=no key\n"
                             "; semi=comment\n"
                             "# hash=comment\n"
                             "no equals sign\n"
                             "Case=upper\n"
                             "case=lower\n"
                             "[empty]\n"
                             "last=no line feed")));
    EXPECT_EQ(document_.LastError(), "");
    EXPECT_EQ(document_.GetSectionNames(), (std::vector<std::string>{" A ", "b", "empty"}));
    EXPECT_EQ(document_.GetValue(" A ", "key", "-"), "second");
    EXPECT_EQ(document_.GetValue("A", "key", "-"), "-");
    EXPECT_EQ(document_.GetValue(" A ", "orphan", "-"), "-");
    EXPECT_EQ(document_.GetValue("b", "expr", "-"), "a=b");
    EXPECT_EQ(document_.GetValue("b", "", "-"), "-");
    EXPECT_EQ(document_.GetValue("b", "; semi", "-"), "-");
    EXPECT_EQ(document_.GetValue("b", "# hash", "-"), "-");
    EXPECT_EQ(document_.GetValue("b", "Case", "-"), "upper");
    EXPECT_EQ(document_.GetValue("b", "case", "-"), "lower");
    EXPECT_EQ(document_.GetValue("B", "case", "-"), "-");
    EXPECT_EQ(document_.GetValue("empty", "last", "-"), "no line feed");
    EXPECT_EQ(document_.GetValue("missing", "key", "unchanged default "), "unchanged default ");
}

TEST_F(IniDocumentTest, SavesInByteOrderWithCrLf) {
    document_.SetValue("b", "zeta", "1");
    document_.SetValue("b", "alpha", "  padded  ");
    document_.SetValue("A", "k", "v");
    document_.SetValue("A", "k", "replaced");
    document_.SetValue("b", "SwitchOn", "0");
    ASSERT_TRUE(document_.Save(path_));
    EXPECT_EQ(test::ReadWholeFile(path_),
              "[A]\r\nk=replaced\r\n\r\n"
              "[b]\r\nSwitchOn=0\r\nalpha=  padded  \r\nzeta=1\r\n\r\n");

    ASSERT_TRUE(document_.Load(path_));
    EXPECT_EQ(document_.GetValue("b", "alpha", "-"), "padded");

    // A section without keys keeps its header; erasing the last section leaves an
    // empty file.
    EXPECT_EQ(document_.EraseSection("b"), 1u);
    EXPECT_EQ(document_.EraseSection("b"), 0u);
    document_.EraseSection("A");
    document_.SetValue("lonely", "k", "v");
    ASSERT_TRUE(document_.Save(path_));
    ASSERT_TRUE(document_.Load(path_));
    EXPECT_EQ(document_.GetSectionNames(), std::vector<std::string>{"lonely"});
    document_.EraseSection("lonely");
    ASSERT_TRUE(document_.Save(path_));
    EXPECT_EQ(test::ReadWholeFile(path_), "");
}

TEST_F(IniDocumentTest, KeylessSectionSurvivesARoundTrip) {
    ASSERT_TRUE(document_.Load(Write("[only]\n")));
    ASSERT_TRUE(document_.Save(path_));
    EXPECT_EQ(test::ReadWholeFile(path_), "[only]\r\n\r\n");
}

TEST_F(IniDocumentTest, DuplicateSectionFailsWithItsLineAndEmptiesTheDocument) {
    EXPECT_FALSE(document_.Load(Write("[A]\r\nk=1\r\n\r\n; note\r\n[B]\r\nk=2\r\n[A]\r\nk=3\r\n")));
    EXPECT_EQ(document_.LastError(), "Duplicate section \"A\" found at line 7");
    EXPECT_TRUE(document_.GetSectionNames().empty());
    EXPECT_EQ(document_.GetValue("B", "k", "-"), "-");
}

TEST_F(IniDocumentTest, MissingFileKeepsTheDocumentAndNamesThePath) {
    ASSERT_TRUE(document_.Load(Write("[kept]\nk=v\n")));
    const std::string missing = folder_.Path() + "IniTemplate/Config.ini";
    EXPECT_FALSE(document_.Load(missing));
    EXPECT_EQ(document_.LastError(), "Cannot open file: " + missing);
    EXPECT_EQ(document_.GetValue("kept", "k", "-"), "v");

    // A later good load replaces the sections and clears the error.
    ASSERT_TRUE(document_.Load(Write("[other]\n")));
    EXPECT_EQ(document_.LastError(), "");
    EXPECT_EQ(document_.GetSectionNames(), std::vector<std::string>{"other"});
}

TEST_F(IniDocumentTest, ClearEmptiesSectionsAndError) {
    document_.SetValue("A", "k", "v");
    EXPECT_FALSE(document_.Load(folder_.Path() + "missing.ini"));
    document_.Clear();
    EXPECT_TRUE(document_.GetSectionNames().empty());
    EXPECT_EQ(document_.LastError(), "");
}

TEST_F(IniDocumentTest, SaveFailureLeavesErrorAndFilesAlone) {
    document_.SetValue("A", "k", "v");
    EXPECT_FALSE(document_.Load(folder_.Path() + "missing.ini"));
    const std::string error = document_.LastError();
    EXPECT_FALSE(document_.Save(folder_.Path() + "no/such/folder/Config.ini"));
    EXPECT_EQ(document_.LastError(), error);
    EXPECT_FALSE(test::FileExists(folder_.Path() + "no"));
}

TEST_F(IniDocumentTest, ByteOrderMarkDoesNotHideTheFirstSection) {
    ASSERT_TRUE(document_.Load(Write("\xEF\xBB\xBF[first]\nk=v\n")));
    EXPECT_EQ(document_.GetSectionNames(), std::vector<std::string>{"first"});
}

TEST_F(IniDocumentTest, OversizedFileIsRefused) {
    Write("[A]\n");
    ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(kMaxIniFileBytes) + 1), 0);
    EXPECT_FALSE(document_.Load(path_));
    EXPECT_EQ(document_.LastError(), "File too large: " + path_);
}

}  // namespace
}  // namespace plindar
