// Fuzz target: the two fonts. The first byte picks the file ("Antique.fnt" or "font.tga"),
// the rest is its content; every character is then drawn with every text routine.
#include <cstdint>

#include "assets/font.h"
#include "base/frame.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || !AllocateFrameBuffer())
        return 0;
    const std::string graph = ScratchFolder() + "Graph/";
    const bool sheet = data[0] & 1;
    const std::string path = graph + (sheet ? "font.tga" : "Antique.fnt");
    if (!WriteScratchFile(path, data + 1, size - 1))
        return 0;
    LoadFonts(graph);
    char text[257];
    for (int32_t i = 0; i < 256; ++i)
        text[i] = static_cast<char>(i == 0 ? 1 : i);
    text[256] = '\0';
    DrawSheetText(text, -8, 2);
    DrawSheetText(text + 32, 0, 300); // clipped at the bottom
    DrawSmallText(text, -4, 100, 0xFFFF);
    DrawSmallText(text + 128, 0, 310, 0x07E0);
    DrawSheetTextScaled(text + 32, 10, 15, 3, 40);
    DrawSheetTextScaled(text + 64, 33, 45, -20, 280);
    ReleaseFonts();
    std::remove(path.c_str());
    return 0;
}
