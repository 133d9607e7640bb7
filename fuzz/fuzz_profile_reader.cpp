// Fuzz target: the settings and language files read from any bytes. Lookups must
// respect the buffer size and never split a character the cut could have kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_input_file.h"
#include "records/profile_reader.h"

using namespace plindar;

namespace {

constexpr size_t kBufferSizes[] = {0, 1, 2, 4, 64, 1024};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzInputFile input("fuzz_profile_reader", ".ini");
    const std::string& path = input.Path();
    if (!input.Write(data, size)) {
        return 0;
    }
    CProfileFile file;
    if (!file.Load(path)) {
        std::abort();  // any readable file of this size must load
    }
    // Probe names taken from the input itself, so that the fuzzer can reach real keys.
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t split = text.find('\n');
    std::string section = text.substr(0, split == std::string::npos ? 0 : split);
    std::string key = size > 4 ? text.substr(size / 2, 4) : text;
    for (size_t buffer_size : kBufferSizes) {
        for (const std::string& probe_section : {section, std::string("Color"), std::string("a")}) {
            std::string value = file.ReadString(probe_section, key, "default", buffer_size);
            if (buffer_size == 0 ? !value.empty() : value.size() > buffer_size - 1) {
                std::abort();
            }
        }
    }
    return 0;
}
