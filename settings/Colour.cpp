#include "settings/Colour.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>
#include <optional>

namespace {

constexpr TColor systemColourBit = 0x80000000;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// How a Windows system colour (by index) is drawn here: the palette colour
// that plays the same part, or, where the palette has none, the Windows
// default colour of that index.
struct SystemColour {
    std::optional<QPalette::ColorRole> role;
    QPalette::ColorGroup group;
    QRgb fallback;
};

constexpr auto active = QPalette::Active;
constexpr auto disabled = QPalette::Disabled;

const std::array<SystemColour, 31> systemColours = {{
    {QPalette::Button, active, 0xC8C8C8},          // 0 COLOR_SCROLLBAR
    {std::nullopt, active, 0x000000},              // 1 COLOR_BACKGROUND (the desktop)
    {QPalette::Highlight, active, 0x99B4D1},       // 2 COLOR_ACTIVECAPTION
    {std::nullopt, active, 0xBFCDDB},              // 3 COLOR_INACTIVECAPTION
    {QPalette::Window, active, 0xF0F0F0},          // 4 COLOR_MENU
    {QPalette::Base, active, 0xFFFFFF},            // 5 COLOR_WINDOW
    {std::nullopt, active, 0x646464},              // 6 COLOR_WINDOWFRAME
    {QPalette::WindowText, active, 0x000000},      // 7 COLOR_MENUTEXT
    {QPalette::Text, active, 0x000000},            // 8 COLOR_WINDOWTEXT
    {QPalette::HighlightedText, active, 0x000000}, // 9 COLOR_CAPTIONTEXT
    {std::nullopt, active, 0xB4B4B4},              // 10 COLOR_ACTIVEBORDER
    {std::nullopt, active, 0xF4F7FC},              // 11 COLOR_INACTIVEBORDER
    {std::nullopt, active, 0xABABAB},              // 12 COLOR_APPWORKSPACE
    {QPalette::Highlight, active, 0x0078D7},       // 13 COLOR_HIGHLIGHT
    {QPalette::HighlightedText, active, 0xFFFFFF}, // 14 COLOR_HIGHLIGHTTEXT
    {QPalette::Button, active, 0xF0F0F0},          // 15 COLOR_BTNFACE
    {QPalette::Dark, active, 0xA0A0A0},            // 16 COLOR_BTNSHADOW
    {QPalette::Text, disabled, 0x6D6D6D},          // 17 COLOR_GRAYTEXT
    {QPalette::ButtonText, active, 0x000000},      // 18 COLOR_BTNTEXT
    {std::nullopt, active, 0x000000},              // 19 COLOR_INACTIVECAPTIONTEXT
    {QPalette::Light, active, 0xFFFFFF},           // 20 COLOR_BTNHIGHLIGHT
    {QPalette::Shadow, active, 0x696969},          // 21 COLOR_3DDKSHADOW
    {QPalette::Midlight, active, 0xE3E3E3},        // 22 COLOR_3DLIGHT
    {QPalette::ToolTipText, active, 0x000000},     // 23 COLOR_INFOTEXT
    {QPalette::ToolTipBase, active, 0xFFFFE1},     // 24 COLOR_INFOBK
    {std::nullopt, active, 0x000000},              // 25 (unused by Windows)
    {QPalette::Link, active, 0x0066CC},            // 26 COLOR_HOTLIGHT
    {std::nullopt, active, 0xB9D1EA},              // 27 COLOR_GRADIENTACTIVECAPTION
    {std::nullopt, active, 0xD7E4F2},              // 28 COLOR_GRADIENTINACTIVECAPTION
    {QPalette::Highlight, active, 0x3399FF},       // 29 COLOR_MENUHILIGHT
    {QPalette::Window, active, 0xF0F0F0},          // 30 COLOR_MENUBAR
}};

QColor systemColour(unsigned index)
{
    if (index >= systemColours.size())
        return Qt::black; // Windows gives black for an unknown index
    const SystemColour& entry = systemColours[index];
    // The palette exists only once the application does.
    if (entry.role && QGuiApplication::instance())
        return QGuiApplication::palette().color(entry.group, *entry.role);
    return QColor(entry.fallback);
}

} // namespace

QColor displayColour(TColor colour)
{
    if (colour & systemColourBit)
        return systemColour(colour & 0xFF);
    if (colour == clNone)
        return Qt::transparent; // nothing is drawn
    if (colour == clDefault)
        return systemColour(5); // a control's own colour: that of a window's inside
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

TColor fromQColor(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return TColor(qRed(rgb)) | TColor(qGreen(rgb)) << 8 | TColor(qBlue(rgb)) << 16;
}
