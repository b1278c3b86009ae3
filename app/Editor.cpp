#include "app/Editor.h"

#include "base/Application.h"

namespace {

// The canvas's creation step runs before the options window exists: nothing
// in it may reach the options window.
std::unique_ptr<TfrmSize> createOptionsWindow(TForm1& form1, Editor::Start start)
{
    if (start == Editor::Start::Created)
        Application::runBehaviour([&] { form1.FormCreate(); });
    return std::make_unique<TfrmSize>(form1);
}

} // namespace

Editor::Editor(Start start) : options_(createOptionsWindow(Form1, start)), frmSize(*options_)
{
    Form1.frmSize = &frmSize;
    if (start == Start::Created)
        Application::runBehaviour([this] { frmSize.FormCreate(); });
}

Editor::~Editor() { Form1.frmSize = nullptr; }

void Editor::show() { Form1.show(); }
