// Fuzz target: INI documents (the template file) read from any bytes. What a load
// accepts must survive a save and a second load unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_input_file.h"
#include "records/ini_document.h"

using namespace plindar;

namespace {

bool SameContent(const IniDocument& a, const IniDocument& b) {
    if (a.GetSectionNames() != b.GetSectionNames()) {
        return false;
    }
    // Keys are not listed by the document, so probe the ones the templates use.
    for (const std::string& section : a.GetSectionNames()) {
        for (const char* key : {"ACName", "PrimaryDns", "SecondaryDns", "SwitchOn", "a", "k"}) {
            if (a.GetValue(section, key, "\x01") != b.GetValue(section, key, "\x01")) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzInputFile input("fuzz_ini_document", ".in");
    static const CFuzzInputFile saved("fuzz_ini_document", ".out");
    const std::string& input_path = input.Path();
    const std::string& saved_path = saved.Path();
    if (!input.Write(data, size)) {
        return 0;
    }
    IniDocument document;
    if (!document.Load(input_path)) {
        if (document.LastError().empty() || !document.GetSectionNames().empty()) {
            std::abort();
        }
        return 0;
    }
    if (!document.Save(saved_path)) {
        return 0;
    }
    IniDocument reread;
    if (!reread.Load(saved_path) || !SameContent(document, reread)) {
        std::abort();
    }
    document.EraseSection(document.GetSectionNames().empty() ? "" : document.GetSectionNames()[0]);
    document.SetValue("k", "a", "v");
    return 0;
}
