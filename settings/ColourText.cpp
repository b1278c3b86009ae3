#include "settings/ColourText.h"

#include "base/EditorError.h"
#include "settings/IniFile.h"
#include "settings/IniValues.h"

#include <array>

namespace {

constexpr std::array<ColourIdentifier, 49> identifiers = {{
    {u"clBlack", 0x00000000},
    {u"clMaroon", 0x00000080},
    {u"clGreen", 0x00008000},
    {u"clOlive", 0x00008080},
    {u"clNavy", 0x00800000},
    {u"clPurple", 0x00800080},
    {u"clTeal", 0x00808000},
    {u"clGray", 0x00808080},
    {u"clSilver", 0x00C0C0C0},
    {u"clRed", 0x000000FF},
    {u"clLime", 0x0000FF00},
    {u"clYellow", 0x0000FFFF},
    {u"clBlue", 0x00FF0000},
    {u"clFuchsia", 0x00FF00FF},
    {u"clAqua", 0x00FFFF00},
    {u"clWhite", 0x00FFFFFF},
    {u"clMoneyGreen", 0x00C0DCC0},
    {u"clSkyBlue", 0x00F0CAA6},
    {u"clCream", 0x00F0FBFF},
    {u"clMedGray", 0x00A4A0A0},
    {u"clActiveBorder", 0x8000000A},
    {u"clActiveCaption", 0x80000002},
    {u"clAppWorkSpace", 0x8000000C},
    {u"clBackground", 0x80000001},
    {u"clBtnFace", 0x8000000F},
    {u"clBtnHighlight", 0x80000014},
    {u"clBtnShadow", 0x80000010},
    {u"clBtnText", 0x80000012},
    {u"clCaptionText", 0x80000009},
    {u"clDefault", 0x20000000},
    {u"clGradientActiveCaption", 0x8000001B},
    {u"clGradientInactiveCaption", 0x8000001C},
    {u"clGrayText", 0x80000011},
    {u"clHighlight", 0x8000000D},
    {u"clHighlightText", 0x8000000E},
    {u"clInactiveBorder", 0x8000000B},
    {u"clInactiveCaption", 0x80000003},
    {u"clInactiveCaptionText", 0x80000013},
    {u"clInfoBk", 0x80000018},
    {u"clInfoText", 0x80000017},
    {u"clMenu", 0x80000004},
    {u"clMenuText", 0x80000007},
    {u"clNone", 0x1FFFFFFF},
    {u"clScrollBar", 0x80000000},
    {u"cl3DDkShadow", 0x80000015},
    {u"cl3DLight", 0x80000016},
    {u"clWindow", 0x80000005},
    {u"clWindowFrame", 0x80000006},
    {u"clWindowText", 0x80000008},
}};

} // namespace

std::span<const ColourIdentifier> colourIdentifiers() { return identifiers; }

QString colourToText(TColor colour)
{
    for (const ColourIdentifier& identifier : identifiers) {
        if (identifier.value == colour)
            return identifier.name.toString();
    }
    return QStringLiteral("$%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

TColor textToColour(const QString& text)
{
    for (const ColourIdentifier& identifier : identifiers) {
        if (identifier.name.compare(text, Qt::CaseInsensitive) == 0)
            return identifier.value;
    }
    if (const std::optional<std::int32_t> value = IniValues::parseInteger(text))
        return static_cast<TColor>(*value);
    throw EditorError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

TColor readColour(const IniFile::Snapshot& file, const QString& section, const QString& key, TColor current)
{
    return textToColour(file.readString(section, key, colourToText(current)));
}

void writeColour(IniFile::Batch& file, const QString& section, const QString& key, TColor colour)
{
    file.writeString(section, key, colourToText(colour));
}
