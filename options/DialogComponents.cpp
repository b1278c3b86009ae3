#include "options/DialogComponents.h"

#include "base/Application.h"

bool TColorDialog::Execute()
{
    const std::optional<TColor> chosen = Application::dialogs().chooseColour(Color);
    if (!chosen)
        return false;
    Color = *chosen;
    return true;
}

bool TFileDialog::Execute()
{
    const Dialogs::FileRequest request{FileName, Filter, FilterIndex};
    Dialogs& dialogs = Application::dialogs();
    const std::optional<Dialogs::FileChoice> choice =
        kind_ == Kind::Open ? dialogs.openFile(request) : dialogs.saveFile(request);
    if (!choice)
        return false;
    FileName = choice->path;
    FilterIndex = choice->filterIndex;
    return true;
}
