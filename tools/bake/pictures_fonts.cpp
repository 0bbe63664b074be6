// Both fonts: the sheet font (font.tga) cut from a TrueType font with FreeType, and the small
// 8 x 16 font (Antique.fnt) taken from a console font; also big lettering for the logo.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "bake.h"
#include "pictures_art.h"

namespace {

const char* const TrueTypeFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const ConsoleFont = "/usr/share/consolefonts/Lat15-VGA16.psf.gz";

// The sheet font's characters in cell order (cell i + 1 holds character i); the space's cell
// stays empty.
const char SheetCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234567890.,'!()* ";
constexpr int CellWidth = 16, CellHeight = 40;
constexpr int SheetWidth = 256, SheetHeight = 120;
constexpr uint16_t ColourKey = 0xF800;

// One FreeType face for the whole bake.
struct Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool Open() {
        if (FT_Init_FreeType(&library) != 0)
            return false;
        if (FT_New_Face(library, TrueTypeFont, 0, &face) != 0) {
            std::fprintf(stderr, "tarnvell_bake: cannot open the font %s\n", TrueTypeFont);
            return false;
        }
        return true;
    }
    ~Face() {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

// A rendered glyph: 8-bit coverage and where its ink sits relative to the pen.
struct Ink {
    int width = 0, height = 0, left = 0, top = 0;
    std::vector<uint8_t> coverage;
};

bool RenderGlyph(FT_Face face, char c, Ink& ink) {
    if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0)
        return false;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return false;
    ink.width = static_cast<int>(bitmap.width);
    ink.height = static_cast<int>(bitmap.rows);
    ink.left = face->glyph->bitmap_left;
    ink.top = face->glyph->bitmap_top;
    ink.coverage.assign(static_cast<size_t>(ink.width) * ink.height, 0);
    for (int y = 0; y < ink.height; ++y)
        for (int x = 0; x < ink.width; ++x)
            ink.coverage[static_cast<size_t>(y) * ink.width + x] =
                bitmap.buffer[y * bitmap.pitch + x];
    return true;
}

// Letters fill white at the top to warm gold at the foot, edged in deep blue, so they read on
// bright snow and dark lava alike.
Colour LetterFill(float t) {
    return Mix(Colour{1.0f, 1.0f, 1.0f}, Colour{1.0f, 0.74f, 0.22f}, t);
}
const Colour LetterEdge{0.05f, 0.06f, 0.20f};

constexpr int CoverageLevels = 16, GradientLevels = 15;

// Sheet font cells as palette indices (0 = the colour key).
std::vector<uint8_t> CutSheet(FT_Face face, bool& ok) {
    std::vector<uint8_t> sheet(static_cast<size_t>(SheetWidth) * SheetHeight, 0);
    constexpr int Over = 4;        // oversampling of the FreeType rendering
    constexpr int Baseline = 35;   // cell row of the baseline
    constexpr float InkLimit = 12; // widest letter, in cell columns
    // Em of 16 x 41 cell pixels: capitals about 30 rows tall, drawn at half height in the game.
    FT_Set_Pixel_Sizes(face, 16 * Over, 41 * Over);
    for (int i = 0; SheetCharacters[i] != 0; ++i) {
        char c = SheetCharacters[i];
        if (c == ' ')
            continue;
        Ink ink;
        if (!RenderGlyph(face, c, ink) || ink.width == 0) {
            std::fprintf(stderr, "tarnvell_bake: no glyph for '%c'\n", c);
            ok = false;
            continue;
        }
        float inkWidth = static_cast<float>(ink.width) / Over;
        float squeeze = inkWidth > InkLimit ? InkLimit / inkWidth : 1.0f;
        float drawnWidth = inkWidth * squeeze;
        float left =
            7.5f - drawnWidth / 2; // ink centred in the cell, a column spare for the shadow
        // Capitals stand on the baseline; a tail (J, Q) or a bracket that would leave the cell
        // is pressed up into it, keeping two clear rows for the edge at the top and bottom.
        float inkHeight = static_cast<float>(ink.height) / Over;
        float top =
            std::max(static_cast<float>(Baseline) - static_cast<float>(ink.top) / Over, 4.0f);
        float stretch = std::min(1.0f, (36.0f - top) / inkHeight);
        // Coverage in the cell, 4 x 4 samples a pixel.
        float cover[CellHeight][CellWidth] = {};
        for (int y = 0; y < CellHeight; ++y)
            for (int x = 0; x < CellWidth; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx) {
                        float fx = (x + (sx + 0.5f) / 4 - left) / squeeze * Over;
                        float fy = (y + (sy + 0.5f) / 4 - top) / stretch * Over;
                        int ix = static_cast<int>(std::floor(fx)),
                            iy = static_cast<int>(std::floor(fy));
                        if (ix >= 0 && ix < ink.width && iy >= 0 && iy < ink.height)
                            hits += ink.coverage[static_cast<size_t>(iy) * ink.width + ix];
                    }
                cover[y][x] = static_cast<float>(hits) / (16 * 255.0f);
            }
        int cell = i; // cell i + 1, counted from 0 here
        int cellX = (cell % 16) * CellWidth, cellY = (cell / 16) * CellHeight;
        for (int y = 0; y < CellHeight; ++y)
            for (int x = 0; x < CellWidth; ++x) {
                // The edge is one column wide and two rows tall: the game shows every second row.
                float edge = 0;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx >= 0 && nx < CellWidth && ny >= 0 && ny < CellHeight)
                            edge = std::max(edge, cover[ny][nx]);
                    }
                if (edge < 0.4f)
                    continue;
                float t = Clamp01((cover[y][x] - 0.15f) / 0.7f);
                int level = static_cast<int>(std::lround(t * (CoverageLevels - 1)));
                float g = Clamp01((y - 6.0f) / 28.0f);
                int shade = static_cast<int>(std::lround(g * (GradientLevels - 1)));
                sheet[static_cast<size_t>(cellY + y) * SheetWidth + cellX + x] =
                    static_cast<uint8_t>(1 + level * GradientLevels + shade);
            }
    }
    return sheet;
}

std::vector<uint8_t> SheetPalette() {
    std::vector<uint8_t> palette(768, 0);
    palette[0] = 255; // entry 0 is the colour key, pure red
    for (int level = 0; level < CoverageLevels; ++level)
        for (int shade = 0; shade < GradientLevels; ++shade) {
            Colour c = Mix(LetterEdge, LetterFill(static_cast<float>(shade) / (GradientLevels - 1)),
                           static_cast<float>(level) / (CoverageLevels - 1));
            size_t entry = static_cast<size_t>(1 + level * GradientLevels + shade);
            uint8_t r = static_cast<uint8_t>(std::lround(Clamp01(c.r) * 255));
            uint8_t g = static_cast<uint8_t>(std::lround(Clamp01(c.g) * 255));
            uint8_t b = static_cast<uint8_t>(std::lround(Clamp01(c.b) * 255));
            // No letter colour may be mistaken for the key.
            if (ScreenColour(r, g, b) == ColourKey)
                g = 4;
            palette[entry * 3] = r;
            palette[entry * 3 + 1] = g;
            palette[entry * 3 + 2] = b;
        }
    return palette;
}

// Draws text the way the game's sheet-font routine does (scaled cells, key transparent, black
// shadow one pixel right and down) into an RGB preview.
void DrawPreviewText(std::vector<uint8_t>& rgb, int width, const std::vector<uint8_t>& sheetRgb,
                     const std::vector<uint8_t>& indices, const char* text, int x, int y,
                     int glyphWidth, int glyphHeight) {
    for (int i = 0; text[i] != 0; ++i, x += glyphWidth) {
        if (!std::strchr(SheetCharacters, text[i]))
            continue;
        int cell = static_cast<int>(std::strrchr(SheetCharacters, text[i]) - SheetCharacters);
        int cx = (cell % 16) * CellWidth, cy = (cell / 16) * CellHeight;
        for (int row = 0; row < glyphHeight; ++row)
            for (int col = 0; col < glyphWidth; ++col) {
                size_t source =
                    static_cast<size_t>(cy + CellHeight * row / glyphHeight) * SheetWidth + cx +
                    CellWidth * col / glyphWidth;
                if (indices[source] == 0)
                    continue;
                size_t shadow = (static_cast<size_t>(y + row + 1) * width + x + col + 1) * 3;
                rgb[shadow] = rgb[shadow + 1] = rgb[shadow + 2] = 0;
                size_t target = (static_cast<size_t>(y + row) * width + x + col) * 3;
                for (int ch = 0; ch < 3; ++ch)
                    rgb[target + ch] = sheetRgb[source * 3 + ch];
            }
    }
}

bool ReadConsoleFont(std::vector<uint8_t>& table) {
    std::string command = std::string("gzip -dc '") + ConsoleFont + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    std::vector<uint8_t> bytes;
    uint8_t buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    if (pclose(pipe) != 0)
        return false;
    // PSF version 1: magic 36 04, mode, bytes a glyph; glyphs; then the Unicode table of
    // little-endian 16-bit values, each glyph's list ended by FFFF (FFFE starts sequences).
    if (bytes.size() < 4 || bytes[0] != 0x36 || bytes[1] != 0x04 || bytes[3] != 16)
        return false;
    size_t glyphs = (bytes[2] & 1) ? 512 : 256;
    size_t tableStart = 4 + glyphs * 16;
    if (bytes.size() < tableStart || !(bytes[2] & 2))
        return false;
    table.assign(4096, 0);
    size_t glyph = 0;
    bool inSequence = false;
    for (size_t p = tableStart; p + 1 < bytes.size() && glyph < glyphs; p += 2) {
        uint16_t code = static_cast<uint16_t>(bytes[p] | (bytes[p + 1] << 8));
        if (code == 0xFFFF) {
            ++glyph;
            inSequence = false;
        } else if (code == 0xFFFE) {
            inSequence = true;
        } else if (!inSequence && ((code >= 32 && code < 127) || (code >= 160 && code < 256))) {
            // Latin-1 codes take the glyph drawn for that character; control codes stay empty.
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(4 + glyph * 16),
                      bytes.begin() + static_cast<std::ptrdiff_t>(4 + glyph * 16 + 16),
                      table.begin() + code * 16);
        }
    }
    return true;
}

} // namespace

bool RenderText(const std::string& text, int pixelWidth, int pixelHeight, float centreX,
                int baseline, float slant, float tracking, int width, int height,
                std::vector<float>& coverage) {
    Face face;
    if (!face.Open())
        return false;
    constexpr int Over = 4;
    FT_Set_Pixel_Sizes(face.face, static_cast<FT_UInt>(pixelWidth * Over),
                       static_cast<FT_UInt>(pixelHeight * Over));
    std::vector<Ink> inks(text.size());
    std::vector<float> pens(text.size());
    float pen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!RenderGlyph(face.face, text[i], inks[i]))
            return false;
        pens[i] = pen;
        pen += static_cast<float>(face.face->glyph->advance.x) / 64.0f / Over + tracking;
    }
    float total = pen - tracking;
    float start = centreX - total / 2;
    coverage.assign(static_cast<size_t>(width) * height, 0.0f);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            for (int sy = 0; sy < Over; ++sy)
                for (int sx = 0; sx < Over; ++sx) {
                    float py = y + (sy + 0.5f) / Over;
                    float px = x + (sx + 0.5f) / Over + (py - baseline) * slant; // lean forward
                    float best = 0; // overlapping letters do not add up
                    for (size_t i = 0; i < text.size(); ++i) {
                        const Ink& ink = inks[i];
                        int ix =
                            static_cast<int>(std::floor((px - start - pens[i]) * Over)) - ink.left;
                        int iy = static_cast<int>(std::floor((py - baseline) * Over)) + ink.top;
                        if (ix >= 0 && ix < ink.width && iy >= 0 && iy < ink.height)
                            best = std::max(best,
                                            ink.coverage[static_cast<size_t>(iy) * ink.width + ix] /
                                                255.0f);
                    }
                    sum += best;
                }
            coverage[static_cast<size_t>(y) * width + x] = std::min(1.0f, sum / (Over * Over));
        }
    return true;
}

bool BakeSheetFont(const std::string& graph, const std::string& preview) {
    Face face;
    if (!face.Open())
        return false;
    bool ok = true;
    std::vector<uint8_t> indices = CutSheet(face.face, ok);
    std::string path = graph + "font.tga";
    ok = WriteTgaIndexed(path, SheetPalette(), indices, SheetWidth, SheetHeight) && ok;
    if (!ok || preview.empty())
        return ok;
    ok = PreviewTga(path, preview + "font.png", SheetWidth, SheetHeight, 3);
    // The letters as the menus draw them, over a planet's ground.
    std::vector<uint8_t> sheetRgb, ground;
    if (!ReadTgaScreen(path, SheetWidth, SheetHeight, sheetRgb) ||
        !ReadTgaScreen(graph + "tile4.tga", 128, 128, ground))
        return false;
    std::vector<uint8_t> scene(static_cast<size_t>(240) * 240 * 3);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 240; ++x) {
            std::vector<uint8_t>& from = ground;
            for (int ch = 0; ch < 3; ++ch)
                scene[(static_cast<size_t>(y) * 240 + x) * 3 + ch] =
                    from[(static_cast<size_t>((y / 2) & 127) * 128 + ((x / 2) & 127)) * 3 + ch];
        }
    DrawPreviewText(scene, 240, sheetRgb, indices, "MAIN MENU", 11, 10, 24, 40);
    DrawPreviewText(scene, 240, sheetRgb, indices, "PLAY GAME", 48, 80, 16, 20);
    DrawPreviewText(scene, 240, sheetRgb, indices, "SETTINGS", 56, 110, 16, 20);
    DrawPreviewText(scene, 240, sheetRgb, indices, "0123456789", 40, 140, 16, 20);
    DrawPreviewText(scene, 240, sheetRgb, indices, "GO! (1,2) 'A*'", 8, 170, 16, 20);
    DrawPreviewText(scene, 240, sheetRgb, indices, "POSITION 3 OF 3", 10, 205, 10, 15);
    // The race panel with the labels and read-outs the game writes on it.
    std::vector<uint8_t> panel;
    if (ReadTgaScreen(graph + "control.tga", 240, 80, panel)) {
        panel.resize(static_cast<size_t>(240) * 81 * 3, 0); // room for the shadow row
        DrawPreviewText(panel, 240, sheetRgb, indices, "POSITION", 75, 5, 10, 15);
        DrawPreviewText(panel, 240, sheetRgb, indices, "2 OF 3", 75, 20, 10, 15);
        DrawPreviewText(panel, 240, sheetRgb, indices, "LAP", 75, 40, 10, 15);
        DrawPreviewText(panel, 240, sheetRgb, indices, "1 OF 3", 75, 55, 10, 15);
        panel.resize(static_cast<size_t>(240) * 80 * 3);
        std::vector<uint8_t> shown(panel.size() * 9);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 720; ++x)
                for (int ch = 0; ch < 3; ++ch)
                    shown[(static_cast<size_t>(y) * 720 + x) * 3 + ch] =
                        panel[(static_cast<size_t>(y / 3) * 240 + x / 3) * 3 + ch];
        ok = WritePng(preview + "control_in_use.png", shown, 720, 240) && ok;
    }
    std::vector<uint8_t> big(scene.size() * 9);
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 720; ++x)
            for (int ch = 0; ch < 3; ++ch)
                big[(static_cast<size_t>(y) * 720 + x) * 3 + ch] =
                    scene[(static_cast<size_t>(y / 3) * 240 + x / 3) * 3 + ch];
    return WritePng(preview + "font_in_use.png", big, 720, 720) && ok;
}

bool BakeSmallFont(const std::string& graph, const std::string& preview) {
    std::vector<uint8_t> table;
    if (!ReadConsoleFont(table)) {
        std::fprintf(stderr, "tarnvell_bake: cannot read the console font %s\n", ConsoleFont);
        return false;
    }
    bool ok = WriteBytes(graph + "Antique.fnt", table);
    if (!ok || preview.empty())
        return ok;
    // Glyph table: 16 x 16 glyphs, white on blue, enlarged twice.
    constexpr int Zoom = 2, Pitch = 10;
    int width = 16 * Pitch * Zoom, height = 16 * 18 * Zoom;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 40);
    for (int code = 0; code < 256; ++code)
        for (int row = 0; row < 16; ++row)
            for (int bit = 0; bit < 8; ++bit) {
                bool on = (table[static_cast<size_t>(code) * 16 + row] >> (7 - bit)) & 1;
                for (int zy = 0; zy < Zoom; ++zy)
                    for (int zx = 0; zx < Zoom; ++zx) {
                        int x = ((code % 16) * Pitch + 1 + bit) * Zoom + zx;
                        int y = ((code / 16) * 18 + 1 + row) * Zoom + zy;
                        size_t o = (static_cast<size_t>(y) * width + x) * 3;
                        rgb[o] = on ? 255 : 20;
                        rgb[o + 1] = on ? 255 : 30;
                        rgb[o + 2] = on ? 255 : 90;
                    }
            }
    return WritePng(preview + "antique.png", rgb, width, height);
}
