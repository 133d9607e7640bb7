// plindar-skin-generator: draws the window's skin images into a folder.
//
//   plindar-skin-generator resources/Skin
//
// The committed images are made by this program; the skin test checks that they
// still are, and rewrites them when PLINDAR_REGENERATE_SKIN=1 is set.
#include <cstdio>
#include <string>

#include "skin/skin_artwork.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    std::string error;
    if (!plindar::WriteSkinFolder(argv[1], &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
