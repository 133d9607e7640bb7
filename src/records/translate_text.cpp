// Text lookup. Until language files are loaded every text is its own translation.
#include "records/translate_text.h"

namespace plindar {

std::string TranslateText(const std::string& text) {
    return text;
}

}  // namespace plindar
