// Output helpers: device texts come from the devices themselves, so they are made
// safe for a terminal and for JSON before they are printed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plindar {

// Removes the blanks the results store pads its texts with.
std::string TrimRight(std::string_view text);

// Control characters, DEL and bytes that are not valid UTF-8 become \xNN, so a
// device name can never move the cursor or change the terminal's state.
std::string TerminalSafe(std::string_view text);

// A JSON string literal (with quotes); invalid UTF-8 becomes U+FFFD.
std::string JsonString(std::string_view text);

// Prints rows as columns separated by two blanks, the first row as the header.
std::string FormatTable(const std::vector<std::vector<std::string>>& rows);

}  // namespace plindar
