// Text lookup for everything shown to the operator or stored as a status text.
#pragma once

#include <string>

namespace plindar {

// The translation of an English text in the language chosen at start-up, or the
// text itself when there is none. No language files are loaded yet, so every text
// stands as written.
std::string TranslateText(const std::string& text);

}  // namespace plindar
