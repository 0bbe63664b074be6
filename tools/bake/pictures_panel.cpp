// The explosion sheet (explode.tga), the race panel (control.tga), the menu logo (logo.tga) and
// the exit icon (exit.tga).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bake.h"
#include "pictures_art.h"

namespace {

constexpr float Tau = 6.2831853f;

// Fire colour by temperature: smoke, embers, red, orange, yellow, white.
Colour FireRamp(float t) {
    static const Colour Stops[] = {{0.16f, 0.14f, 0.13f}, {0.45f, 0.10f, 0.03f},
                                   {0.85f, 0.25f, 0.04f}, {1.0f, 0.55f, 0.10f},
                                   {1.0f, 0.85f, 0.35f},  {1.0f, 1.0f, 0.90f}};
    float x = Clamp01(t) * 5;
    int i = std::min(4, static_cast<int>(x));
    return Mix(Stops[i], Stops[i + 1], x - i);
}

// One frame of the fireball, 64 x 64 around its centre; black is transparent in the game, so
// every pixel is either fire or exactly black.
Colour Fireball(int frame, float x, float y) {
    float t = (frame + 0.5f) / 16; // 0..1 over the life of the blast
    float radius = 7 + 22 * std::sqrt(t);
    float dx = x - 32, dy = y - 32;
    // The game samples frames with wrapping texel coordinates: keep clear of the frame's edge.
    if (std::hypot(dx, dy) > 30)
        return {0, 0, 0};
    float r = std::hypot(dx, dy) / radius;
    // The pattern grows with the ball and churns a little as it rises.
    float qx = dx / radius * 0.5f + 0.5f, qy = dy / radius * 0.5f + 0.5f + t * 0.15f;
    float churn = Fbm(qx * 0.5f, qy * 0.5f, 6, 4, 0.55f, 301 + static_cast<uint32_t>(frame / 6));
    float edge = 0.78f + churn * 0.45f;
    if (r > edge) {
        // Sparks thrown out early in the blast.
        for (uint32_t s = 0; s < 14; ++s) {
            float angle = HashUnit(s, 0, 311) * Tau;
            float reach = (0.6f + HashUnit(s, 1, 312) * 0.8f) * (8 + 44 * t);
            float sx = 32 + std::cos(angle) * reach, sy = 32 + std::sin(angle) * reach;
            if (frame < 10 && std::hypot(x - sx, y - sy) < 1.3f - t)
                return FireRamp(0.9f - t * 0.6f);
        }
        return {0, 0, 0};
    }
    // Hot at the core early on; cooling from the outside in, then thinning to smoke.
    float heat = (1.15f - t * 1.05f) * (1 - r * r * 0.6f) + churn * 0.35f;
    float holes = Fbm(qx * 0.5f, qy * 0.5f, 4, 3, 0.5f, 321);
    if (t > 0.6f && holes + 0.3f < (t - 0.6f) * 1.1f)
        return {0, 0, 0};
    Colour c = FireRamp(heat);
    float fade = 1 - SmoothStep(0.7f, 1.0f, t) * 0.6f;
    c = Scale(c, fade * (0.85f + 0.15f * (1 - r)));
    if (c.r + c.g + c.b < 0.12f)
        return {0, 0, 0};
    return c;
}

// Rounded-rectangle signed distance, negative inside.
float RoundedBox(float x, float y, float left, float top, float right, float bottom, float radius) {
    float cx = (left + right) / 2, cy = (top + bottom) / 2;
    float hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

// Coverage of a shape given by its signed distance, one pixel of soft edge.
float Inside(float distance) {
    return Clamp01(0.5f - distance);
}

// Brushed dark metal of the panel.
Colour PanelMetal(float x, float y) {
    float grain = Fbm(x / 240.0f, y / 80.0f * 0.05f, 64, 2, 0.5f, 401) * 0.04f;
    Colour top{0.30f, 0.33f, 0.40f}, bottom{0.14f, 0.15f, 0.20f};
    return Add(Mix(top, bottom, y / 80.0f), Colour{grain, grain, grain * 1.2f});
}

// The accelerate pad's circle, inside the game's touch area (x below 80, the panel's rows).
constexpr float PadX = 37.0f, PadY = 40.0f, PadRadius = 33.0f;

// Upward chevron of the accelerate pad: distance-based, centred at (cx, cy).
float Chevron(float x, float y, float cx, float cy, float size) {
    float dx = std::fabs(x - cx), dy = y - cy;
    float d = std::fabs(dy - dx * 0.9f) - size * 0.28f; // a thick inverted V: points up
    return std::max(d, dx - size);
}

} // namespace

bool BakeExplosion(const std::string& graph, const std::string& preview) {
    Canvas sheet(256, 256);
    for (int frame = 0; frame < 16; ++frame)
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                sheet.At((frame & 3) * 64 + x, (frame >> 2) * 64 + y) =
                    Fireball(frame, x + 0.5f, y + 0.5f);
    std::string path = graph + "explode.tga";
    bool ok = WriteTga(path, sheet.Bytes(), 256, 256);
    if (ok && !preview.empty())
        ok = PreviewTga(path, preview + "explode.png", 256, 256, 2);
    return ok;
}

bool BakePanelPictures(const std::string& graph, const std::string& preview) {
    bool ok = true;
    // Race panel: the accelerate pad on the left (the game takes any touch left of x 80), a
    // dark read-out where the game writes POSITION and LAP from x 75, and the overview map,
    // which the game paints over x 160-239 at every race start.
    {
        std::vector<float> word;
        if (!RenderText("THRUST", 8, 9, PadX, 59, 0.0f, 0.3f, 240, 80, word))
            return false;
        Canvas panel(240, 80);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 240; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                Colour c = PanelMetal(px, py);
                // Bevel along the panel's top edge.
                if (y == 0)
                    c = {0.62f, 0.66f, 0.74f};
                if (y == 1)
                    c = Mix(c, Colour{0.5f, 0.54f, 0.62f}, 0.6f);
                // Accelerate pad: a yellow circle at the bottom left, as the help page
                // describes it, domed and lit from the top left, with stacked chevrons.
                float circle = std::hypot(px - PadX, py - PadY) - PadRadius;
                if (circle < 2.5f)
                    c = Mix(c, Colour{0.04f, 0.05f, 0.07f}, Inside(circle - 1.5f));
                float dome = Clamp01(1 - std::hypot(px - PadX + 9, py - PadY + 11) / 40);
                Colour face = Mix(Colour{0.78f, 0.52f, 0.02f}, Colour{1.0f, 0.88f, 0.22f}, dome);
                face = Add(face, Scale(Colour{0.4f, 0.4f, 0.3f}, SmoothStep(0.75f, 1.0f, dome)));
                // A thin darker ring just inside the rim reads as the button's edge.
                face = Scale(face, 1 - 0.25f * SmoothStep(-4.0f, -1.0f, circle));
                c = Mix(c, face, Inside(circle + 0.5f));
                float arrows =
                    std::min(Chevron(px, py, PadX, 22, 13), Chevron(px, py, PadX, 36, 13));
                c = Mix(c, Colour{0.98f, 0.95f, 0.70f},
                        Inside(arrows - 1.0f) * Inside(circle + 0.5f));
                c = Mix(c, Colour{0.30f, 0.16f, 0.02f}, Inside(arrows));
                float letters = word[static_cast<size_t>(y) * 240 + x];
                c = Mix(c, Colour{0.30f, 0.16f, 0.02f}, letters);
                // Read-out window for the place and lap.
                float window = RoundedBox(px, py, 71, 3, 158, 77, 4);
                if (window < 1.0f)
                    c = Mix(c, Colour{0.55f, 0.60f, 0.70f}, Inside(window - 0.5f) * 0.6f);
                Colour screen =
                    Mix(Colour{0.05f, 0.08f, 0.16f}, Colour{0.02f, 0.03f, 0.07f}, py / 80);
                if (y == 37 || y == 38)
                    screen = Colour{0.12f, 0.18f, 0.30f};
                c = Mix(c, screen, Inside(window + 1.0f));
                // Frame of the overview map.
                if (x >= 159)
                    c = Colour{0.05f, 0.06f, 0.08f};
                if (x == 158 || x == 159)
                    c = Colour{0.55f, 0.60f, 0.70f};
                panel.At(x, y) = c;
            }
        std::string path = graph + "control.tga";
        ok = WriteTga(path, panel.Bytes(), 240, 80) && ok;
        if (ok && !preview.empty())
            ok = PreviewTga(path, preview + "control.png", 240, 80, 3);
    }
    // Logo: the name in chrome letters over a planet's rim in space.
    {
        std::vector<float> name, under;
        if (!RenderText("TARNVELL", 36, 50, 120, 56, 0.22f, 1.0f, 240, 80, name))
            return false;
        Canvas logo(240, 80);
        // The letters' dark edge: the name's coverage spread by two pixels.
        std::vector<float> edge(name.size(), 0.0f);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 240; ++x) {
                float best = 0;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || nx >= 240 || ny < 0 || ny >= 80 || dx * dx + dy * dy > 6)
                            continue;
                        best = std::max(best, name[static_cast<size_t>(ny) * 240 + nx]);
                    }
                edge[static_cast<size_t>(y) * 240 + x] = best;
            }
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 240; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                Colour c = Mix(Colour{0.01f, 0.01f, 0.05f}, Colour{0.07f, 0.03f, 0.16f}, py / 80);
                float star = HashUnit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 501);
                if (star > 0.985f)
                    c = Add(c, Scale(Colour{0.8f, 0.85f, 1.0f}, (star - 0.985f) * 50));
                // The planet's rim: a huge disc below, its air glowing blue.
                float d = std::hypot(px - 120, py - 560) - 505;
                float air = std::exp(-std::fabs(d) / 4.0f) * (d > 0 ? 1.0f : 0.5f);
                if (d < 0)
                    c = Mix(Colour{0.05f, 0.12f, 0.22f}, Colour{0.02f, 0.04f, 0.08f},
                            Clamp01(-d / 25));
                c = Add(c, Scale(Colour{0.25f, 0.55f, 1.0f}, air));
                // Speed streaks behind the letters.
                float streak =
                    SmoothStep(0.92f, 1.0f, HashUnit(static_cast<uint32_t>(y / 2), 0, 502));
                c = Add(c, Scale(Colour{0.3f, 0.4f, 0.8f}, streak * 0.35f * (1 - px / 240)));
                size_t i = static_cast<size_t>(y) * 240 + x;
                // Chrome: pale sky above a dark horizon line, gold below it.
                float g = (py - 20) / 36;
                Colour chrome =
                    g < 0.5f ? Mix(Colour{0.85f, 0.95f, 1.0f}, Colour{0.35f, 0.55f, 0.95f}, g * 2)
                             : Mix(Colour{1.0f, 0.85f, 0.35f}, Colour{0.80f, 0.30f, 0.08f},
                                   (g - 0.5f) * 2);
                if (std::fabs(g - 0.5f) < 0.035f)
                    chrome = Colour{0.12f, 0.10f, 0.25f};
                c = Mix(c, Colour{0.02f, 0.02f, 0.08f}, edge[i]);
                c = Mix(c, chrome, name[i]);
                logo.At(x, y) = c;
            }
        std::string path = graph + "logo.tga";
        ok = WriteTgaDithered(path, logo.Bytes(), 240, 80) && ok;
        if (ok && !preview.empty())
            ok = PreviewTga(path, preview + "logo.png", 240, 80, 3);
    }
    // Exit icon: a red button with a white cross, drawn opaque in the view's top right corner.
    {
        Canvas icon(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                Colour sum{0, 0, 0};
                for (int s = 0; s < 16; ++s) {
                    float px = x + (s % 4 + 0.5f) / 4, py = y + (s / 4 + 0.5f) / 4;
                    Colour c{0.05f, 0.05f, 0.08f};
                    if (RoundedBox(px, py, 1, 1, 15, 15, 3) < 0) {
                        c = Mix(Colour{0.95f, 0.30f, 0.25f}, Colour{0.60f, 0.05f, 0.05f}, py / 16);
                        float a = std::fabs((px - 8) - (py - 8)),
                              b = std::fabs((px - 8) + (py - 8));
                        bool arm = std::min(a, b) < 1.6f && std::fabs(px - 8) < 4.2f &&
                                   std::fabs(py - 8) < 4.2f;
                        if (arm)
                            c = {1.0f, 1.0f, 1.0f};
                    }
                    sum = Add(sum, Scale(c, 1.0f / 16));
                }
                icon.At(x, y) = sum;
            }
        std::string path = graph + "exit.tga";
        ok = WriteTga(path, icon.Bytes(), 16, 16) && ok;
        if (ok && !preview.empty())
            ok = PreviewTga(path, preview + "exit.png", 16, 16, 8);
    }
    return ok;
}
