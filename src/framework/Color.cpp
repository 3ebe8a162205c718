#include "framework/Color.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace {

using Scheme = std::array<TColor, kSysColorCount>;

Scheme ClassicScheme() {
    Scheme s{};
    s[COLOR_SCROLLBAR] = RGB(0xD4, 0xD0, 0xC8);
    s[COLOR_BACKGROUND] = RGB(0x3A, 0x6E, 0xA5);
    s[COLOR_ACTIVECAPTION] = RGB(0x0A, 0x24, 0x6A);
    s[COLOR_INACTIVECAPTION] = RGB(0x80, 0x80, 0x80);
    s[COLOR_MENU] = RGB(0xD4, 0xD0, 0xC8);
    s[COLOR_WINDOW] = RGB(0xFF, 0xFF, 0xFF);
    s[COLOR_WINDOWFRAME] = RGB(0x00, 0x00, 0x00);
    s[COLOR_MENUTEXT] = RGB(0x00, 0x00, 0x00);
    s[COLOR_WINDOWTEXT] = RGB(0x00, 0x00, 0x00);
    s[COLOR_CAPTIONTEXT] = RGB(0xFF, 0xFF, 0xFF);
    s[COLOR_ACTIVEBORDER] = RGB(0xD4, 0xD0, 0xC8);
    s[COLOR_INACTIVEBORDER] = RGB(0xD4, 0xD0, 0xC8);
    s[COLOR_APPWORKSPACE] = RGB(0x80, 0x80, 0x80);
    s[COLOR_HIGHLIGHT] = RGB(0x0A, 0x24, 0x6A);
    s[COLOR_HIGHLIGHTTEXT] = RGB(0xFF, 0xFF, 0xFF);
    s[COLOR_BTNFACE] = RGB(0xD4, 0xD0, 0xC8);
    s[COLOR_BTNSHADOW] = RGB(0x80, 0x80, 0x80);
    s[COLOR_GRAYTEXT] = RGB(0x80, 0x80, 0x80);
    s[COLOR_BTNTEXT] = RGB(0x00, 0x00, 0x00);
    s[COLOR_INACTIVECAPTIONTEXT] = RGB(0xD4, 0xD0, 0xC8);
    s[COLOR_BTNHIGHLIGHT] = RGB(0xFF, 0xFF, 0xFF);
    s[COLOR_3DDKSHADOW] = RGB(0x40, 0x40, 0x40);
    s[COLOR_3DLIGHT] = RGB(0xD4, 0xD0, 0xC8);
    s[COLOR_INFOTEXT] = RGB(0x00, 0x00, 0x00);
    s[COLOR_INFOBK] = RGB(0xFF, 0xFF, 0xE1);
    s[COLOR_HOTLIGHT] = RGB(0x00, 0x00, 0x80);
    s[COLOR_GRADIENTACTIVECAPTION] = RGB(0xA6, 0xCA, 0xF0);
    s[COLOR_GRADIENTINACTIVECAPTION] = RGB(0xC0, 0xC0, 0xC0);
    s[COLOR_MENUHILIGHT] = RGB(0x0A, 0x24, 0x6A);
    s[COLOR_MENUBAR] = RGB(0xD4, 0xD0, 0xC8);
    return s;
}

TColor FromQColor(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

// The desktop's palette, over the classic scheme for the roles it has no word for.
Scheme DesktopScheme() {
    Scheme s = ClassicScheme();
    const QPalette p = QGuiApplication::palette();
    s[COLOR_WINDOW] = FromQColor(p.color(QPalette::Base));
    s[COLOR_WINDOWTEXT] = FromQColor(p.color(QPalette::Text));
    s[COLOR_BTNFACE] = FromQColor(p.color(QPalette::Button));
    s[COLOR_3DLIGHT] = s[COLOR_BTNFACE];
    s[COLOR_MENU] = s[COLOR_BTNFACE];
    s[COLOR_MENUBAR] = s[COLOR_BTNFACE];
    s[COLOR_SCROLLBAR] = s[COLOR_BTNFACE];
    s[COLOR_BTNTEXT] = FromQColor(p.color(QPalette::ButtonText));
    s[COLOR_MENUTEXT] = s[COLOR_BTNTEXT];
    s[COLOR_BTNSHADOW] = FromQColor(p.color(QPalette::Dark));
    s[COLOR_BTNHIGHLIGHT] = FromQColor(p.color(QPalette::Light));
    s[COLOR_3DDKSHADOW] = FromQColor(p.color(QPalette::Shadow));
    s[COLOR_HIGHLIGHT] = FromQColor(p.color(QPalette::Highlight));
    s[COLOR_MENUHILIGHT] = s[COLOR_HIGHLIGHT];
    s[COLOR_ACTIVECAPTION] = s[COLOR_HIGHLIGHT];
    s[COLOR_HIGHLIGHTTEXT] = FromQColor(p.color(QPalette::HighlightedText));
    s[COLOR_GRAYTEXT] = FromQColor(p.color(QPalette::Disabled, QPalette::Text));
    s[COLOR_INFOBK] = FromQColor(p.color(QPalette::ToolTipBase));
    s[COLOR_INFOTEXT] = FromQColor(p.color(QPalette::ToolTipText));
    s[COLOR_HOTLIGHT] = FromQColor(p.color(QPalette::Link));
    return s;
}

Scheme& CurrentScheme() {
    static Scheme scheme = ClassicScheme();
    return scheme;
}

}  // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index >= kSysColorCount)
        return clBlack;
    return CurrentScheme()[static_cast<std::size_t>(index)];
}

TColor ColorToRGB(TColor color) {
    return IsSystemColor(color) ? GetSysColor(color & 0xFF) : color;
}

void UseDesktopColorScheme() {
    CurrentScheme() = DesktopScheme();
}

void UseClassicColorScheme() {
    CurrentScheme() = ClassicScheme();
}
