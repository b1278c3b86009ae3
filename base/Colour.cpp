#include "base/Colour.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>
#include <optional>

namespace {

constexpr TColor kSystemColourBit = 0x80000000;
constexpr TColor kNoColour = 0x1FFFFFFF;
constexpr TColor kDefaultColour = 0x20000000;

// How a Windows system colour (by index) is drawn here: the palette colour
// that plays the same part, or, where the palette has none, the Windows
// default colour of that index.
struct SystemColour {
    std::optional<QPalette::ColorRole> role;
    QPalette::ColorGroup group;
    QRgb fallback;
};

constexpr auto kActive = QPalette::Active;
constexpr auto kDisabled = QPalette::Disabled;

const std::array<SystemColour, 31> systemColours = {{
    {QPalette::Button, kActive, 0xC8C8C8},          // 0 COLOR_SCROLLBAR
    {std::nullopt, kActive, 0x000000},              // 1 COLOR_BACKGROUND (the desktop)
    {QPalette::Highlight, kActive, 0x99B4D1},       // 2 COLOR_ACTIVECAPTION
    {std::nullopt, kActive, 0xBFCDDB},              // 3 COLOR_INACTIVECAPTION
    {QPalette::Window, kActive, 0xF0F0F0},          // 4 COLOR_MENU
    {QPalette::Base, kActive, 0xFFFFFF},            // 5 COLOR_WINDOW
    {std::nullopt, kActive, 0x646464},              // 6 COLOR_WINDOWFRAME
    {QPalette::WindowText, kActive, 0x000000},      // 7 COLOR_MENUTEXT
    {QPalette::Text, kActive, 0x000000},            // 8 COLOR_WINDOWTEXT
    {QPalette::HighlightedText, kActive, 0x000000}, // 9 COLOR_CAPTIONTEXT
    {std::nullopt, kActive, 0xB4B4B4},              // 10 COLOR_ACTIVEBORDER
    {std::nullopt, kActive, 0xF4F7FC},              // 11 COLOR_INACTIVEBORDER
    {std::nullopt, kActive, 0xABABAB},              // 12 COLOR_APPWORKSPACE
    {QPalette::Highlight, kActive, 0x0078D7},       // 13 COLOR_HIGHLIGHT
    {QPalette::HighlightedText, kActive, 0xFFFFFF}, // 14 COLOR_HIGHLIGHTTEXT
    {QPalette::Button, kActive, 0xF0F0F0},          // 15 COLOR_BTNFACE
    {QPalette::Dark, kActive, 0xA0A0A0},            // 16 COLOR_BTNSHADOW
    {QPalette::Text, kDisabled, 0x6D6D6D},          // 17 COLOR_GRAYTEXT
    {QPalette::ButtonText, kActive, 0x000000},      // 18 COLOR_BTNTEXT
    {std::nullopt, kActive, 0x000000},              // 19 COLOR_INACTIVECAPTIONTEXT
    {QPalette::Light, kActive, 0xFFFFFF},           // 20 COLOR_BTNHIGHLIGHT
    {QPalette::Shadow, kActive, 0x696969},          // 21 COLOR_3DDKSHADOW
    {QPalette::Midlight, kActive, 0xE3E3E3},        // 22 COLOR_3DLIGHT
    {QPalette::ToolTipText, kActive, 0x000000},     // 23 COLOR_INFOTEXT
    {QPalette::ToolTipBase, kActive, 0xFFFFE1},     // 24 COLOR_INFOBK
    {std::nullopt, kActive, 0x000000},              // 25 (unused by Windows)
    {QPalette::Link, kActive, 0x0066CC},            // 26 COLOR_HOTLIGHT
    {std::nullopt, kActive, 0xB9D1EA},              // 27 COLOR_GRADIENTACTIVECAPTION
    {std::nullopt, kActive, 0xD7E4F2},              // 28 COLOR_GRADIENTINACTIVECAPTION
    {QPalette::Highlight, kActive, 0x3399FF},       // 29 COLOR_MENUHILIGHT
    {QPalette::Window, kActive, 0xF0F0F0},          // 30 COLOR_MENUBAR
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
    if (colour & kSystemColourBit)
        return systemColour(colour & 0xFF);
    if (colour == kNoColour)
        return Qt::transparent; // nothing is drawn
    if (colour == kDefaultColour)
        return systemColour(5); // a control's own colour: that of a window's inside
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

TColor fromQColor(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return TColor(qRed(rgb)) | TColor(qGreen(rgb)) << 8 | TColor(qBlue(rgb)) << 16;
}
