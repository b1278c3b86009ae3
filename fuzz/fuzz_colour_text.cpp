// Colour texts and integer texts: any text is a colour or the error the user
// reads, and every colour survives a trip through its text.
#include "fuzz/FuzzSupport.h"

#include "base/EditorError.h"
#include "settings/ColourText.h"
#include "settings/IniValues.h"

#include <cstring>

namespace {

void roundTrip(TColor colour)
{
    if (textToColour(colourToText(colour)) != colour)
        fuzz::fail("a colour does not survive its text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));

    if (const std::optional<std::int32_t> value = IniValues::parseInteger(text)) {
        if (IniValues::parseInteger(QString::number(*value)) != value)
            fuzz::fail("an integer does not survive its decimal text");
    }
    try {
        roundTrip(textToColour(text));
    } catch (const EditorError&) {
        // not a colour: the user reads why
    }
    if (size >= sizeof(TColor)) {
        TColor colour = 0;
        std::memcpy(&colour, data, sizeof colour);
        roundTrip(colour);
    }
    return 0;
}
