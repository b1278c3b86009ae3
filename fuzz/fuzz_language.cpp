// Language files read as the editor reads them at start-up.
#include "fuzz/FuzzSupport.h"

#include "settings/LanguageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::writeFile(QStringLiteral("Fuzz.lng"), fuzz::bytes(data, size));
    const auto texts = LanguageFile::read(path);
    if (texts && texts->byKey.size() != LanguageFile::kLastKey + 1)
        fuzz::fail("an accepted file gave the wrong number of texts");
    return 0;
}
