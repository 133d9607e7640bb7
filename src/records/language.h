// The operator's language: chosen once at start-up from the locale, and the text
// lookup that replaces each English text with its translation from that language.
#pragma once

#include <string>
#include <string_view>

namespace plindar {

// Windows locale number of US English, the language every text is written in; also
// the number given to any locale the system does not know.
constexpr unsigned kEnglishLcid = 1033;

// What InitLanguage chose. Before it runs the name and the path are empty.
struct language_choice_stu {
    std::string name;  // language name from Language.ini ("English", "Chinese")
    unsigned lcid = kEnglishLcid;
    std::string file_path;  // the .lng file every lookup reads
};

// The POSIX locale that governs messages: the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty (null pointers count as unset), else "C".
std::string SelectPosixLocale(const char* lc_all, const char* lc_messages, const char* lang);

// The Windows locale number of a POSIX locale name such as "zh_CN.UTF-8" or
// "de_DE@euro" (codeset and modifier ignored, letter case too). A territory the
// table does not list falls back to the language's main locale; an unknown
// language, "C" and "POSIX" give kEnglishLcid.
unsigned LcidFromPosixLocale(std::string_view locale);

// The locale number of this process's environment.
unsigned GetDefaultLcid();

// Chooses the language for the locale of the environment, or for an explicit locale
// number (tests, a front end option), from Languages/Language.ini of the program
// folder (which ends with a slash), and reads that language's .lng file into
// memory. Never fails: whatever is missing leaves the English texts in place.
//
// Call it at start-up before any other thread exists; the choice is read-only for
// the rest of the run. A later call replaces the choice as a whole, so a thread that
// translates meanwhile sees either the old language or the new one.
void InitLanguage(const std::string& program_folder);
void InitLanguage(const std::string& program_folder, unsigned lcid);

language_choice_stu GetLanguageChoice();

// The translation of an English text in the chosen language, or the text itself
// when there is none; empty for an absent (null) text. Escape sequences of the
// language files are resolved in the result. Safe to call from any thread; before
// InitLanguage every text stands as written.
std::string TranslateText(const std::string& text);
std::string TranslateText(const char* text);

}  // namespace plindar
