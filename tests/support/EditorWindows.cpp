#include "tests/support/EditorWindows.h"

#include "app/Application.h"

#include <QTest>

namespace {

std::unique_ptr<TfrmSize> createOptionsWindow(TForm1& form1, EditorWindows::Start start)
{
    if (start == EditorWindows::Start::Created)
        Application::runBehaviour([&] { form1.FormCreate(); });
    return std::make_unique<TfrmSize>(form1);
}

} // namespace

EditorWindows::EditorWindows(Start start) : options_(createOptionsWindow(form1, start)), frmSize(*options_)
{
    form1.frmSize = &frmSize;
    if (start == Start::Created)
        Application::runBehaviour([this] { frmSize.FormCreate(); });
}

EditorWindows::~EditorWindows() { form1.frmSize = nullptr; }

void EditorWindows::show()
{
    form1.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form1));
}
