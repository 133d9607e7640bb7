// Tests of the language choice, the text lookup and the shipped language files.
#include "records/language.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "protocol/fixed_text.h"
#include "records/sql_management.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

using test::TempFolder;

constexpr unsigned kChineseLcid = 2052;
constexpr unsigned kTestLcid = 9999;
constexpr size_t kTextLimit = 1023;

void WriteFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file << content;
}

std::string Repeat(const std::string& piece, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// The shipped resources are laid out as the program folder holds them; read from the
// source tree, so the tests need neither the staging step nor its environment.
std::string ShippedFolder() {
    return (std::filesystem::path(__FILE__).parent_path() / "../../resources/")
        .lexically_normal()
        .string();
}

// printf conversions in order ("%s", "%d", "%u"); "%%" is no conversion.
std::vector<std::string> Placeholders(const std::string& text) {
    std::vector<std::string> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t end = text.find_first_not_of("-+#0123456789.l", i + 1);
        if (end == std::string::npos) {
            found.push_back(text.substr(i));
            break;
        }
        found.push_back(text.substr(i, end - i + 1));
        i = end;
    }
    return found;
}

bool HasNonAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------
// Locale

TEST(LocaleTest, PosixLocaleNamesMapToWindowsLocaleNumbers) {
    const struct {
        const char* posix;
        unsigned lcid;
    } cases[] = {
        {"en_US.UTF-8", 1033},
        {"en_GB", 2057},
        {"zh_CN.UTF-8", 2052},
        {"zh_TW.Big5", 1028},
        {"zh_HK.UTF-8", 3076},
        {"zh_SG", 4100},
        {"de_DE.UTF-8@euro", 1031},
        {"fr_FR", 1036},
        {"ja_JP.eucJP", 1041},
        {"ZH_cn.utf8", 2052},   // letter case is not part of the name
        {"zh-CN", 2052},        // the tag form
        {"de_LU.UTF-8", 1031},  // unlisted territory: the language's main locale
        {"zh", 2052},           // language alone
        {"C", kEnglishLcid},
        {"C.UTF-8", kEnglishLcid},
        {"POSIX", kEnglishLcid},
        {"", kEnglishLcid},
        {"xx_YY.UTF-8", kEnglishLcid},
        {"zh_", 2052},
        {"@euro", kEnglishLcid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LcidFromPosixLocale(c.posix), c.lcid) << c.posix;
    }
}

TEST(LocaleTest, MessagesLocaleIsTheFirstSetOfLcAllLcMessagesAndLang) {
    const struct {
        const char* lc_all;
        const char* lc_messages;
        const char* lang;
        const char* expected;
    } cases[] = {
        {"zh_CN.UTF-8", "de_DE", "fr_FR", "zh_CN.UTF-8"},
        {nullptr, "de_DE", "fr_FR", "de_DE"},
        {"", "de_DE", "fr_FR", "de_DE"},
        {nullptr, nullptr, "fr_FR", "fr_FR"},
        {"", "", "", "C"},
        {nullptr, nullptr, nullptr, "C"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SelectPosixLocale(c.lc_all, c.lc_messages, c.lang), c.expected) << c.expected;
    }
}

// ---------------------------------------------------------------------------
// Language choice

TEST(LanguageChoiceTest, LanguageIniNamesTheFileOrEnglishStandsIn) {
    TempFolder home;
    WriteFile(home.Path() + "Languages/Language.ini",
              "[LCID]\n2052 = Chinese\n1031=\n1036=../../elsewhere/French\n");
    const std::string languages = home.Path() + "Languages/";
    const struct {
        unsigned lcid;
        const char* name;
        unsigned chosen_lcid;
    } cases[] = {
        {2052, "Chinese", 2052},
        {1041, "English", kEnglishLcid},  // no entry
        {1031, "English", kEnglishLcid},  // empty entry
        {1036, "English", kEnglishLcid},  // a name that would leave the folder
    };
    for (const auto& c : cases) {
        InitLanguage(home.Path(), c.lcid);
        const language_choice_stu choice = GetLanguageChoice();
        EXPECT_EQ(choice.name, c.name) << c.lcid;
        EXPECT_EQ(choice.lcid, c.chosen_lcid) << c.lcid;
        EXPECT_EQ(choice.file_path, languages + c.name + ".lng") << c.lcid;
    }

    TempFolder bare;
    InitLanguage(bare.Path(), kChineseLcid);
    EXPECT_EQ(GetLanguageChoice().name, "English");
    EXPECT_EQ(GetLanguageChoice().lcid, kEnglishLcid);
    EXPECT_EQ(TranslateText("Operate success"), "Operate success");
}

TEST(LanguageChoiceTest, ShippedLanguageIniGivesChineseOnlyToSimplifiedChineseLocales) {
    const struct {
        unsigned lcid;
        const char* name;
    } cases[] = {
        {2052, "Chinese"}, {4100, "Chinese"}, {1033, "English"},
        {2057, "English"}, {1028, "English"}, {1041, "English"},
    };
    for (const auto& c : cases) {
        InitLanguage(ShippedFolder(), c.lcid);
        EXPECT_EQ(GetLanguageChoice().name, c.name) << c.lcid;
        EXPECT_TRUE(std::filesystem::is_regular_file(GetLanguageChoice().file_path))
            << GetLanguageChoice().file_path;
    }
}

// ---------------------------------------------------------------------------
// Text lookup

class TranslateTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(home_.Path() + "Languages/Language.ini", "[LCID]\n9999=Test\n");
        WriteFile(home_.Path() + "Languages/Test.lng",
                  "[ProgramOutStr]\n"
                  "operate success=Translated success\n"
                  "line feed=Line one\\nLine two\n"
                  "crlf=A\\r\\nB\n"
                  "nothing=[~NullInfoZivev~]\n"
                  "blank=[~Null~]\n"
                  "padded=[~Null~][~Null~]x[~Null~]\n"
                  "empty=\n"
                  "mode=Translated mode\n"
                  "line one=Translated line\n"
                  "long ascii=" +
                      Repeat("a", 1100) + "\n" + "long chinese=" + Repeat("汉", 1100) + "\n" +
                      "long emoji=" + Repeat("😀", 600) + "\n" +
                      "escape at the cut=" + Repeat("a", kTextLimit - 1) + "\\n\n");
        InitLanguage(home_.Path(), kTestLcid);
    }

    TempFolder home_;
};

TEST_F(TranslateTextTest, KeysMatchWithoutRegardToLetterCaseOrSurroundingBlanks) {
    for (const char* source :
         {"Operate success", "OPERATE SUCCESS", "operate Success", "  Operate success\t"}) {
        EXPECT_EQ(TranslateText(source), "Translated success") << source;
    }
}

TEST_F(TranslateTextTest, TextsWithoutTranslationStandAsWritten) {
    EXPECT_EQ(TranslateText("Operate fail"), "Operate fail");
    EXPECT_EQ(TranslateText("Empty"), "Empty");  // an empty value is no translation
    EXPECT_EQ(TranslateText(""), "");
    EXPECT_EQ(TranslateText(static_cast<const char*>(nullptr)), "");
    // The escapes apply to whatever the lookup gives, the source included.
    EXPECT_EQ(TranslateText("Tab\\nStop"), "Tab\nStop");
}

TEST_F(TranslateTextTest, EscapesOfTheValueAreResolved) {
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"Line feed", "Line one\nLine two"},
        {"CRLF", "A\r\nB"},
        {"Nothing", ""},
        {"Blank", " "},
        {"Padded", "  x "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TranslateText(c.source), c.expected) << c.source;
    }
}

TEST_F(TranslateTextTest, ValuesAreCutAt1023CharactersBeforeEscapesResolve) {
    const struct {
        const char* source;
        std::string expected;
    } cases[] = {
        {"Long ASCII", Repeat("a", kTextLimit)},
        // Characters, not bytes: 1023 ideographs take 3069 bytes.
        {"Long Chinese", Repeat("汉", kTextLimit)},
        // A character outside the basic plane takes two of the 1023 places.
        {"Long emoji", Repeat("😀", kTextLimit / 2)},
        // The cut falls inside "\n", whose backslash then stays.
        {"Escape at the cut", Repeat("a", kTextLimit - 1) + "\\"},
    };
    for (const auto& c : cases) {
        const std::string translated = TranslateText(c.source);
        // Compared whole but reported by size: the texts are too long to print.
        EXPECT_TRUE(translated == c.expected)
            << c.source << ": " << translated.size() << " bytes, expected " << c.expected.size();
    }
}

TEST_F(TranslateTextTest, TextsWithAnEqualsSignOrLineBreakAreNeverKeys) {
    for (const char* source :
         {"Mode=Translated", "mode =x", "Line one\nLine two", "Line one\r\n", "Line one\r"}) {
        EXPECT_EQ(TranslateText(source), source);
    }
}

TEST_F(TranslateTextTest, MissingLanguageFileLeavesEveryTextInEnglish) {
    WriteFile(home_.Path() + "Languages/Language.ini", "[LCID]\n9999=Absent\n");
    InitLanguage(home_.Path(), kTestLcid);
    EXPECT_EQ(GetLanguageChoice().file_path, home_.Path() + "Languages/Absent.lng");
    EXPECT_EQ(TranslateText("Operate success"), "Operate success");
}

TEST(TranslateTextThreadsTest, ReadersSeeOneWholeLanguageWhileItIsReplaced) {
    constexpr int kReaders = 4;
    constexpr int kLookups = 2000;
    constexpr int kSwitches = 50;
    std::atomic<int> wrong{0};
    std::atomic<bool> switching{true};
    InitLanguage(ShippedFolder(), kChineseLcid);
    std::vector<std::thread> readers;
    for (int r = 0; r < kReaders; ++r) {
        readers.emplace_back([&] {
            for (int i = 0; i < kLookups || switching; ++i) {
                const std::string text = TranslateText("Operate success");
                if (text != "操作成功" && text != "Operate success") {
                    ++wrong;
                }
            }
        });
    }
    for (int s = 0; s < kSwitches; ++s) {
        InitLanguage(ShippedFolder(), s % 2 == 0 ? kEnglishLcid : kChineseLcid);
    }
    switching = false;
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(wrong, 0);
}

// ---------------------------------------------------------------------------
// Status texts in the chosen language

std::string StoredAntiTheftText(const std::string& database, const std::string& mac) {
    std::string text;
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT ap_antitheft_status_str FROM ap_info WHERE mac = ?1", -1,
                           &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(statement, 1, mac.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0)) {
            text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST(StatusTextLanguageTest, StatusTextsAreStoredInTheChosenLanguage) {
    const std::string mac = "00:1A:2B:3C:4D:5E";
    const struct {
        unsigned lcid;
        const char* stored;
    } cases[] = {{kChineseLcid, "操作成功"}, {kEnglishLcid, "Operate success"}};
    for (const auto& c : cases) {
        InitLanguage(ShippedFolder(), c.lcid);
        EXPECT_EQ(GetStatusText(STATUS_OPERATE_SUCCESS), c.stored);

        TempFolder home;
        CSqlManagement store(home.Path(), nullptr);
        ap_discover_stu device{};
        WriteFixedText(device.mac, mac);
        ASSERT_TRUE(store.InsertDevice(device));
        ASSERT_TRUE(store.SetAntiTheftStatus(mac, STATUS_OPERATE_SUCCESS));
        EXPECT_EQ(StoredAntiTheftText(store.GetDatabasePath(), mac), c.stored) << c.lcid;
    }
}

// ---------------------------------------------------------------------------
// Shipped Chinese texts

bool IsValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct lng_entry {
    std::string key;
    std::string value;
    int line;
};

// The key lines of a language file, read line by line on its own terms rather than
// through the reader under test; section headers are collected separately.
std::vector<lng_entry> ReadLngEntries(const std::string& path, std::vector<std::string>* sections) {
    std::vector<lng_entry> entries;
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << path;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            sections->push_back(line);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            ADD_FAILURE() << path << ":" << number << " is neither a key line nor a comment";
            continue;
        }
        entries.push_back(
            {TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1)), number});
    }
    return entries;
}

TEST(ChineseLanguageFileTest, EveryKeyIsLowerCaseAndEveryValueATranslationWithItsPlaceholders) {
    std::vector<std::string> sections;
    const std::vector<lng_entry> entries =
        ReadLngEntries(ShippedFolder() + "Languages/Chinese.lng", &sections);
    EXPECT_EQ(sections, std::vector<std::string>{"[ProgramOutStr]"});
    ASSERT_FALSE(entries.empty());
    std::set<std::string> keys;
    for (const lng_entry& entry : entries) {
        SCOPED_TRACE("line " + std::to_string(entry.line) + ": " + entry.key);
        EXPECT_TRUE(keys.insert(entry.key).second) << "key given twice";
        EXPECT_FALSE(entry.key.empty());
        for (char c : entry.key) {
            EXPECT_FALSE(c >= 'A' && c <= 'Z') << "upper-case letter in the key";
        }
        EXPECT_FALSE(entry.value.empty());
        EXPECT_TRUE(IsValidUtf8(entry.key) && IsValidUtf8(entry.value));
        EXPECT_EQ(Placeholders(entry.value), Placeholders(entry.key));
    }
}

TEST(ChineseLanguageFileTest, ImportantTextsAreTranslatedWithTheirPlaceholdersKept) {
    const char* const important[] = {
        // Operator messages of the shell and the device list.
        "Note", "Ok", "Cancel", "Confirm Exit", "Are you sure you want to exit Plindar?",
        "Are you sure close program?", "Please select the devices!",
        "Ensure the computer's NIC is enabled!", "Failed to open database, unable to get data.",
        // Anti-theft checks and the confirmation.
        "Please input the Lock Code information!",
        "The input Lock Code cannot contain the characters \" or \\ ",
        "Please input the Confirm Lock Code information!",
        "The input Confirm Lock Code cannot contain the characters \" or \\ ",
        "The input information of the two is inconsistent!",
        "Please input the AC Name information!",
        "The input AC Name cannot contain the characters \" or \\ ", "The Primary DNS is invalid!",
        "The Secondary DNS is invalid!", "Are you sure you want to apply configuration?",
        "The anti-theft command is too long to be sent!", "The logo file path is too long!",
        "The configuration file path is too long!", "The Lock Code can have at most 32 characters!",
        "The Confirm Lock Code can have at most 32 characters!",
        "The AC Name can have at most 32 characters!",
        "The Primary DNS can have at most 15 characters!",
        "The Secondary DNS can have at most 15 characters!",
        "The Lock Code cannot contain control characters!",
        "The Confirm Lock Code cannot contain control characters!",
        "The AC Name cannot contain control characters!",
        "The Primary DNS cannot contain control characters!",
        "The Secondary DNS cannot contain control characters!",
        // Templates, configuration file, batch sheet, logo.
        "Please enter the Template Name!", "Modify New Xml file fail!",
        "Analysis xml settting error?", "Failed to load the excel file!",
        "Create excel fields Info error!", "Obtaining excel format information is incorrect!",
        "Open excel fail!", "Unable to open excel file!",
        "Image loading failed!Please confirm that the file format is correct (supports PNG / JPG "
        "/ BMP).",
        // Batch value rules, placeholders included.
        "The MAC:%s vid%d value:%d is invalid. Please check that the following rules are "
        "met:VLAN ID must be an integer ranging from 1 to 4094!",
        "The MAC:%s pppUser%d is invalid. Please check that the following rules are "
        "met:userName must contain 1 to 63 characters, except special characters &`()|\\<>;'\"",
        "The MAC:%s pppPassword%d is invalid. Please check that the following rules are met:must "
        "contain 1 to 29 characters, except special characters &`()|\\<>;'\"",
        "The MAC:%s ssid_5g is invalid. Please check that the following rules are met:ssid_5G "
        "must contain 1 to 32 UTF-8 bytes.except Chinese or empty!",
        "The MAC:%s ssid_2.4g is invalid. Please check that the following rules are "
        "met:ssid_2.4G must contain 1 to 32 UTF-8 bytes.except Chinese or empty!",
        "The MAC:%s wlanPsk_5g is invalid. Please check that the following rules are "
        "met:wlanPsk_5G must contain 8 to 63 ASCII characters, except special characters \\ ' \" ",
        "The MAC:%s wlanPsk_2.4g is invalid. Please check that the following rules are "
        "met：wlanPsk_2.4G must contain 8 to 63 ASCII characters, except special characters \\ ' "
        "\" ",
        "The MAC:%s loidPassword is invalid. Please check that the following rules are met：to "
        "enter the loidPassword, you must first enter loid;The 'loidPassword' support 12 "
        "characters, including digits, letters, and special characters.:-_/@;",
        "The MAC:%s to set loidPassword, you must set loid first.",
        "The MAC:%s ploamPassword is invalid. Please check that the following rules are "
        "met：ploamPassword must contain 1 to 10 characters, including digits, letters, and "
        "special characters .:-_/@",
        "The MAC:%s loginPassword is invalid. Please check that the following rules are "
        "met：loginPassword must contain 1 to 30 ASCII characters without spaces,not allowed "
        "blank space!",
        // Page captions and buttons.
        "Select Network Adapter", "Start Scan", "Device Customization", "Anti-Theft Protection",
        "Scan Devices", "Change", "No.", "MAC Address", "Status", "Load template",
        "Save as template", "Lock Code ", "Confirm Lock Code ", "Enable", "AC Name", "Primary DNS",
        "Secondary DNS", "(optional)", "Apply", "Load Template", "Save Template", "Load", "Save",
        "Logo Customization", "Default Configuration Modify", "Edit", "Delete", "Exit",
        "Show Utility"};
    InitLanguage(ShippedFolder(), kChineseLcid);
    for (const char* source : important) {
        const std::string translated = TranslateText(source);
        EXPECT_TRUE(HasNonAscii(translated)) << source << " -> " << translated;
        EXPECT_EQ(Placeholders(translated), Placeholders(source)) << source;
    }
    for (int status = STATUS_WAIT_OPERATE; status <= STATUS_LOCKCODE_MISMATCH; ++status) {
        EXPECT_TRUE(HasNonAscii(GetStatusText(status))) << status;
    }

    // The loid rule lists "=" among its characters, so it cannot be a key.
    const std::string loid_rule =
        "The MAC:%s loidis is invalid. Please check that the following rules are met：loid "
        "contains a maximum of 24 characters, including digits, uppercase and lowercase letters, "
        "and special characters  `~!@#$%%^&*()_+-=[]\\{}|;':\"<>,./";
    EXPECT_EQ(TranslateText(loid_rule), loid_rule);
}

TEST(EnglishLanguageFileTest, ChineseResourceTextsReadInEnglish) {
    InitLanguage(ShippedFolder(), kEnglishLcid);
    EXPECT_EQ(TranslateText("确定"), "OK");
    EXPECT_EQ(TranslateText("关于 Application(&A)..."), "About Application(&A)...");
    EXPECT_EQ(TranslateText("Operate success"), "Operate success");
}

}  // namespace
}  // namespace plindar
