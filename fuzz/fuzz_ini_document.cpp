// Fuzz target: INI documents (the template file) read from any bytes. What a load
// accepts must survive a save and a second load unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "records/ini_document.h"

using namespace plindar;

namespace {

// Load reads from a file, so each input passes through one; removed when the run ends.
struct TempFile {
    explicit TempFile(const char* suffix)
        : path("/tmp/fuzz_ini_document-" + std::to_string(getpid()) + suffix) {}
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
};

bool WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

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
    static const TempFile input(".in");
    static const TempFile saved(".out");
    const std::string& input_path = input.path;
    const std::string& saved_path = saved.path;
    if (!WriteBytes(input_path, data, size)) {
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
