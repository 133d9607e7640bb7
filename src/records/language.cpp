// Language choice and text lookup.
#include "records/language.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

#include "records/profile_reader.h"
#include "records/text_trim.h"

namespace plindar {

namespace {

constexpr const char* kLanguagesFolder = "Languages/";
constexpr const char* kLanguageIniName = "Language.ini";
constexpr const char* kLanguageFileExtension = ".lng";
constexpr const char* kLcidSection = "LCID";
constexpr const char* kTextSection = "ProgramOutStr";
constexpr const char* kEnglishName = "English";
constexpr const char* kNeutralPosixLocale = "C";

// The platform reader fills a buffer of 1024 UTF-16 units, terminator included.
constexpr size_t kProfileBufferUnits = 1024;
constexpr size_t kMaxTextUnits = kProfileBufferUnits - 1;
// Bytes a UTF-8 reading needs so that the unit limit, not the byte limit, cuts.
constexpr size_t kMaxUtf8BytesPerUnit = 4;
constexpr size_t kTextReadBytes = kMaxTextUnits * kMaxUtf8BytesPerUnit + 1;

// Escapes of the translations, resolved in this order: the two-unit line break
// first, so that its "\n" half is not taken for a lone line feed.
constexpr std::string_view kEscapedCrLf = "\\r\\n";
constexpr std::string_view kEscapedLf = "\\n";
constexpr std::string_view kNothingMark = "[~NullInfoZivev~]";
constexpr std::string_view kBlankMark = "[~Null~]";

// A profile key ends at the first '=' and at the line end, so such texts can never
// be keys.
constexpr std::string_view kUnkeyableCharacters = "=\r\n";

struct locale_entry {
    std::string_view posix;  // "language_TERRITORY" or, as a fallback, "language"
    unsigned lcid;
};

// POSIX locale names and the Windows locale numbers of the same language and region.
// The bare language entries catch territories that are not listed.
constexpr locale_entry kLocaleTable[] = {
    {"en_us", 1033}, {"en_gb", 2057}, {"en_au", 3081},  {"en_ca", 4105},  {"en_nz", 5129},
    {"en_ie", 6153}, {"en_za", 7177}, {"en_in", 16393}, {"en_sg", 18441}, {"en", 1033},
    {"zh_cn", 2052}, {"zh_tw", 1028}, {"zh_hk", 3076},  {"zh_sg", 4100},  {"zh_mo", 5124},
    {"zh", 2052},    {"de_de", 1031}, {"de_ch", 2055},  {"de_at", 3079},  {"de", 1031},
    {"fr_fr", 1036}, {"fr_be", 2060}, {"fr_ca", 3084},  {"fr_ch", 4108},  {"fr", 1036},
    {"es_es", 3082}, {"es_mx", 2058}, {"es", 3082},     {"it_it", 1040},  {"it", 1040},
    {"pt_br", 1046}, {"pt_pt", 2070}, {"pt", 2070},     {"nl_nl", 1043},  {"nl", 1043},
    {"ja_jp", 1041}, {"ja", 1041},    {"ko_kr", 1042},  {"ko", 1042},     {"ru_ru", 1049},
    {"ru", 1049},    {"pl_pl", 1045}, {"pl", 1045},     {"cs_cz", 1029},  {"cs", 1029},
    {"tr_tr", 1055}, {"tr", 1055},    {"sv_se", 1053},  {"sv", 1053},     {"vi_vn", 1066},
    {"vi", 1066},    {"th_th", 1054}, {"th", 1054},     {"ar_sa", 1025},  {"ar", 1025},
    {"he_il", 1037}, {"he", 1037},
};

// The choice and its text file, complete before it is published and never changed
// afterwards, so readers need no lock beyond taking a reference.
struct loaded_language {
    language_choice_stu choice;
    CProfileFile texts;
};

// The one language of the process. InitLanguage publishes a new choice; every
// lookup holds a reference to the one it started with.
struct language_holder {
    std::mutex lock;
    std::shared_ptr<const loaded_language> current;
};

language_holder& ChosenLanguage() {
    static language_holder holder;
    return holder;
}

std::shared_ptr<const loaded_language> CurrentLanguage() {
    language_holder& holder = ChosenLanguage();
    std::lock_guard<std::mutex> guard(holder.lock);
    return holder.current;
}

void ReplaceAll(std::string* text, std::string_view from, std::string_view to) {
    size_t at = 0;
    while ((at = text->find(from, at)) != std::string::npos) {
        text->replace(at, from.size(), to);
        at += to.size();
    }
}

// UTF-16 units of the character that starts with `lead`: two for a four-byte
// sequence, none for a continuation byte (it belongs to the character before).
size_t Utf16Units(unsigned char lead) {
    constexpr unsigned char kContinuationMask = 0xC0;
    constexpr unsigned char kContinuationBits = 0x80;
    constexpr unsigned char kFourByteLead = 0xF0;
    if ((lead & kContinuationMask) == kContinuationBits) {
        return 0;
    }
    return lead >= kFourByteLead ? 2 : 1;
}

// Cut to what a buffer of kMaxTextUnits UTF-16 units holds, never inside a character.
void CutToTextLimit(std::string* text) {
    size_t units = 0;
    for (size_t i = 0; i < text->size(); ++i) {
        size_t needed = Utf16Units(static_cast<unsigned char>((*text)[i]));
        if (units + needed > kMaxTextUnits) {
            text->resize(i);
            return;
        }
        units += needed;
    }
}

void ResolveEscapes(std::string* text) {
    ReplaceAll(text, kEscapedCrLf, "\r\n");
    ReplaceAll(text, kEscapedLf, "\n");
    ReplaceAll(text, kNothingMark, "");
    ReplaceAll(text, kBlankMark, " ");
}

// A language name from the file becomes part of a path: one that could leave the
// Languages folder counts as no name at all.
bool IsUsableLanguageName(const std::string& name) {
    return !name.empty() && name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

std::string SelectPosixLocale(const char* lc_all, const char* lc_messages, const char* lang) {
    for (const char* value : {lc_all, lc_messages, lang}) {
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return kNeutralPosixLocale;
}

unsigned LcidFromPosixLocale(std::string_view locale) {
    std::string name = AsciiLower(locale.substr(0, locale.find_first_of(".@")));
    for (char& c : name) {
        if (c == '-') {
            c = '_';
        }
    }
    const std::string language = name.substr(0, name.find('_'));
    for (const std::string& wanted : {name, language}) {
        for (const locale_entry& entry : kLocaleTable) {
            if (entry.posix == wanted) {
                return entry.lcid;
            }
        }
    }
    return kEnglishLcid;
}

unsigned GetDefaultLcid() {
    return LcidFromPosixLocale(
        SelectPosixLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}

void InitLanguage(const std::string& program_folder) {
    InitLanguage(program_folder, GetDefaultLcid());
}

void InitLanguage(const std::string& program_folder, unsigned lcid) {
    const std::string folder = program_folder + kLanguagesFolder;
    auto language = std::make_shared<loaded_language>();
    language->choice.lcid = lcid;
    language->choice.name = ReadProfileString(folder + kLanguageIniName, kLcidSection,
                                              std::to_string(lcid), "", kProfileBufferUnits);
    if (!IsUsableLanguageName(language->choice.name)) {
        language->choice.name = kEnglishName;
        language->choice.lcid = kEnglishLcid;
    }
    language->choice.file_path = folder + language->choice.name + kLanguageFileExtension;
    // A missing or empty file leaves every lookup without a translation.
    language->texts.Load(language->choice.file_path);

    language_holder& holder = ChosenLanguage();
    std::lock_guard<std::mutex> guard(holder.lock);
    holder.current = std::move(language);
}

language_choice_stu GetLanguageChoice() {
    std::shared_ptr<const loaded_language> language = CurrentLanguage();
    return language ? language->choice : language_choice_stu{};
}

std::string TranslateText(const std::string& text) {
    std::shared_ptr<const loaded_language> language = CurrentLanguage();
    if (!language) {
        return text;
    }
    std::string result;
    if (text.find_first_of(kUnkeyableCharacters) == std::string::npos) {
        // The reader trims the keys of the file, so the key looked up is trimmed too.
        const std::string key = AsciiLower(TrimBlanks(text));
        if (!key.empty()) {
            result = language->texts.ReadString(kTextSection, key, "", kTextReadBytes);
            CutToTextLimit(&result);
        }
    }
    if (result.empty()) {
        result = text;
    }
    // Escapes apply to whatever the lookup gave, the source included.
    ResolveEscapes(&result);
    return result;
}

std::string TranslateText(const char* text) {
    return text == nullptr ? std::string() : TranslateText(std::string(text));
}

}  // namespace plindar
