// Bounded text helpers for the fixed-width narrow fields of frames and records.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace plindar {

// Reads a zero-terminated text from a field that a peer may have filled to its
// very last byte without a terminator: never looks past the field's width.
inline std::string ReadFixedText(const char* field, size_t width) {
    const void* end = std::memchr(field, '\0', width);
    size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : width;
    return std::string(field, length);
}

template <size_t N>
std::string ReadFixedText(const char (&field)[N]) {
    return ReadFixedText(field, N);
}

// Length of a UTF-8 prefix of at most max_bytes that does not end inside a
// multi-byte character, so a cut text stays valid where the input was valid.
inline size_t Utf8PrefixLength(std::string_view text, size_t max_bytes) {
    if (text.size() <= max_bytes) {
        return text.size();
    }
    size_t cut = max_bytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

// Writes text into a fixed field and always leaves a terminating zero; a text
// too long for the field is cut on a character boundary. Returns false when cut.
inline bool WriteFixedText(char* field, size_t width, std::string_view text) {
    std::memset(field, 0, width);
    if (width == 0) {
        return text.empty();
    }
    size_t length = Utf8PrefixLength(text, width - 1);
    std::memcpy(field, text.data(), length);
    return length == text.size();
}

template <size_t N>
bool WriteFixedText(char (&field)[N], std::string_view text) {
    return WriteFixedText(field, N, text);
}

// Number of characters of a UTF-8 text (continuation bytes are not counted), the
// unit in which the results store's column widths are measured.
inline size_t Utf8CharacterCount(std::string_view text) {
    size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

}  // namespace plindar
