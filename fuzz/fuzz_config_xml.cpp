// Fuzz target: configuration files as the operator might choose them, through
// template extraction, the line rewrite and the value escaping.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "content/config_xml.h"

using namespace plindar;

namespace {

// First input byte: low bits pick the band flag, the rest a device WAN count that
// also reaches values outside 0..10.
constexpr size_t kControlBytes = 1;
constexpr uint8_t kBandMask = 0x03;
constexpr unsigned kWanCountShift = 2;
constexpr int kWanCountBias = 8;  // control values 0..63 give counts -8..55

constexpr std::string_view kReplacementStart = "  <Value Name=\"";
constexpr std::string_view kReplacementEnd = "\"/>";

[[noreturn]] void Fail() {
    __builtin_trap();
}

size_t CountLines(std::string_view text) {
    size_t lines = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        ++lines;
        start = end == std::string_view::npos ? text.size() : end + 1;
    }
    return lines;
}

template <size_t N>
void ExpectTerminated(const char (&field)[N]) {
    if (std::memchr(field, '\0', N) == nullptr) {
        Fail();
    }
}

void ExpectSound(const custom_value_stu& t) {
    ExpectTerminated(t.loid);
    ExpectTerminated(t.loidPassword);
    ExpectTerminated(t.loginPassword);
    ExpectTerminated(t.ploamPassword);
    for (int k = 0; k < kMaxWanEntries; ++k) {
        ExpectTerminated(t.WanName[k]);
        ExpectTerminated(t.vid[k]);
        ExpectTerminated(t.pppUser[k]);
        ExpectTerminated(t.pppPassword[k]);
        ExpectTerminated(t.ChannelMode[k]);
    }
    if (t.wanCount < 0 || t.wanCount > kMaxWanEntries || (t.dualBand != 0 && t.dualBand != 1)) {
        Fail();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kControlBytes) {
        return 0;
    }
    const int dual_band = data[0] & kBandMask;
    const int wan_count = static_cast<int>(data[0] >> kWanCountShift) - kWanCountBias;
    const std::string_view content(reinterpret_cast<const char*>(data) + kControlBytes,
                                   size - kControlBytes);

    custom_value_stu templ;
    std::string message;
    if (ParseTemplateText(content, &templ, &message)) {
        ExpectSound(templ);
    } else if (message.empty()) {
        Fail();
    }

    // The template's own values written back in, with a count the sheet never gives.
    templ.wanCount = wan_count;
    const std::string out = RewriteXmlText(dual_band, templ, content);
    if (CountLines(out) != CountLines(content) ||
        (!out.empty() && !std::string_view(out).ends_with("\r\n"))) {
        Fail();
    }
    // Each output line is its input line or one whole replacement entry.
    size_t in_start = 0;
    size_t out_start = 0;
    while (out_start < out.size()) {
        size_t in_end = content.find('\n', in_start);
        std::string_view in_line = content.substr(in_start, in_end - in_start);
        if (in_end != std::string_view::npos && in_line.ends_with('\r')) {
            in_line.remove_suffix(1);
        }
        const size_t out_end = out.find("\r\n", out_start);
        const std::string_view out_line =
            std::string_view(out).substr(out_start, out_end - out_start);
        if (out_line != in_line &&
            !(out_line.starts_with(kReplacementStart) && out_line.ends_with(kReplacementEnd) &&
              out_line.find_first_of("\r\n") == std::string_view::npos)) {
            Fail();
        }
        in_start = in_end == std::string_view::npos ? content.size() : in_end + 1;
        out_start = out_end + 2;
    }

    if (UnescapeXmlValue(EscapeXmlValue(content)) != content) {
        Fail();
    }
    volatile size_t sink = UnescapeXmlValue(content).size();
    (void)sink;
    return 0;
}
