#include "chrome/Lightness.h"

#include <algorithm>
#include <cmath>

namespace {

struct Hls {
    double h;  // 0..240
    double l;  // 0..240, up to 255 after an adjustment
    double s;  // 0..240
};

// Rounds to nearest, halves to even.
double Round(double v) {
    return std::nearbyint(v);
}

Hls ToHls(TColor rgb) {
    const double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
    const double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    const double l = (hi + lo) / 2;
    if (hi == lo) {
        return {0, Round(l * 240), 0};
    }
    const double delta = hi - lo;
    const double s = l < 0.5 ? delta / (hi + lo) : delta / (2 - hi - lo);
    double h = r == hi ? (g - b) / delta : g == hi ? 2 + (b - r) / delta : 4 + (r - g) / delta;
    h /= 6;
    if (h < 0) {
        h += 1;
    }
    return {Round(h * 240), Round(l * 240), Round(s * 240)};
}

double HueChannel(double m1, double m2, double h) {
    if (h < 0) {
        h += 1;
    } else if (h > 1) {
        h -= 1;
    }
    if (h < 1.0 / 6) {
        return m1 + (m2 - m1) * h * 6;
    }
    if (h < 0.5) {
        return m2;
    }
    if (h < 2.0 / 3) {
        return m1 + (m2 - m1) * (2.0 / 3 - h) * 6;
    }
    return m1;
}

std::uint8_t ToByte(double channel) {
    return std::uint8_t(Round(std::clamp(channel, 0.0, 1.0) * 255));
}

TColor FromHls(const Hls& hls) {
    // Hue is divided by 239, not 240, as the colours this must match were made.
    const double h = hls.h / 239, l = hls.l / 240, s = hls.s / 240;
    if (s == 0) {
        return RGB(ToByte(l), ToByte(l), ToByte(l));
    }
    const double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    const double m1 = 2 * l - m2;
    return RGB(ToByte(HueChannel(m1, m2, h + 1.0 / 3)), ToByte(HueChannel(m1, m2, h)),
               ToByte(HueChannel(m1, m2, h - 1.0 / 3)));
}

double Contrast(TColor a, TColor b) {
    const double x = RelativeLuminance(a), y = RelativeLuminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

constexpr double kReadableContrast = 4.5;

}  // namespace

TColor AdjustColorLightness(TColor color, int amount) {
    if (amount == 0) {
        return color;
    }
    Hls hls = ToHls(ColorToRGB(color));
    hls.l = amount > 0 ? std::min(hls.l + amount, 255.0) : std::max(hls.l + amount, 0.0);
    return FromHls(hls);
}

double RelativeLuminance(TColor color) {
    auto linear = [](std::uint8_t channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const TColor rgb = ColorToRGB(color);
    return 0.2126 * linear(GetRValue(rgb)) + 0.7152 * linear(GetGValue(rgb)) +
           0.0722 * linear(GetBValue(rgb));
}

TColor ReadableTextColor(TColor text, TColor background) {
    if (Contrast(text, background) >= kReadableContrast) {
        return text;
    }
    return Contrast(clBlack, background) >= Contrast(clWhite, background) ? clBlack : clWhite;
}
