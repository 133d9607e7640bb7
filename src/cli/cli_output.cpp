// Terminal and JSON safe output.
#include "cli/cli_output.h"

#include <algorithm>
#include <cstdio>

#include "protocol/fixed_text.h"

namespace plindar {

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is invalid.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length;
    uint32_t min_value;
    uint32_t value;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, min_value = 0x80, value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min_value = 0x800, value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min_value = 0x10000, value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (next & 0x3F);
    }
    bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return (value < min_value || value > 0x10FFFF || surrogate) ? 0 : length;
}

std::string HexEscape(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof(text), "\\x%02X", byte);
    return text;
}

}  // namespace

std::string TrimRight(std::string_view text) {
    size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string TerminalSafe(std::string_view text) {
    std::string safe;
    for (size_t i = 0; i < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        size_t length = Utf8SequenceLength(text, i);
        if (length == 0 || byte < 0x20 || byte == 0x7F || byte == '\\') {
            safe += byte == '\\' ? std::string("\\\\") : HexEscape(byte);
            ++i;
            continue;
        }
        // C1 control characters (U+0080..U+009F) steer terminals as well.
        if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            safe += HexEscape(byte) + HexEscape(static_cast<unsigned char>(text[i + 1]));
            i += 2;
            continue;
        }
        safe.append(text.substr(i, length));
        i += length;
    }
    return safe;
}

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (size_t i = 0; i < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            json += "\\ufffd";
            ++i;
            continue;
        }
        if (length > 1) {
            json.append(text.substr(i, length));
            i += length;
            continue;
        }
        switch (byte) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
                    json += escaped;
                } else {
                    json += static_cast<char>(byte);
                }
        }
        ++i;
    }
    return json + "\"";
}

std::string FormatTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], Utf8CharacterCount(row[c]));
        }
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line.append(widths[c] - Utf8CharacterCount(row[c]) + 2, ' ');
            }
        }
        out += line + "\n";
    }
    return out;
}

}  // namespace plindar
