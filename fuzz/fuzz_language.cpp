// Language files applied to a real options window. The canvas and options
// windows are made once (offscreen, over an empty program folder) and every
// input is applied to the same pair, as a user may switch languages many
// times in one session.
#include "fuzz/FuzzSupport.h"

#include "app/ProgramFolder.h"
#include "canvas/TForm1.h"
#include "options/TfrmSize.h"
#include "settings/LanguageFile.h"

namespace {

TfrmSize& optionsWindow()
{
    static TfrmSize* window = [] {
        fuzz::ensureWidgetsApplication();
        ProgramFolder::setPathForTesting(fuzz::folder());
        auto* form1 = new TForm1; // both live as long as the process
        auto* frmSize = new TfrmSize(*form1);
        form1->frmSize = frmSize;
        return frmSize;
    }();
    return *window;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TfrmSize& frmSize = optionsWindow();
    const QString path = fuzz::writeFile(QStringLiteral("Fuzz.lng"), fuzz::bytes(data, size));
    if (LanguageFile::apply(path, frmSize) && frmSize.CategoryNames.size() != TfrmSize::CategoryCount)
        fuzz::fail("an accepted file left the wrong number of category names");
    return 0;
}
