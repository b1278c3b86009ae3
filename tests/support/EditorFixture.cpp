#include "tests/support/EditorFixture.h"

#include "base/Application.h"

#include <QTest>

EditorFixture::EditorFixture() { Application::setDialogs(&dialogs); }

EditorFixture::~EditorFixture()
{
    editor_.reset();
    Application::setDialogs(nullptr);
}

Editor& EditorFixture::start(Editor::Start start)
{
    editor_.reset();
    editor_ = std::make_unique<Editor>(start);
    return *editor_;
}

Editor& EditorFixture::show()
{
    Editor& editor = start();
    editor.show();
    if (!QTest::qWaitForWindowExposed(&editor.Form1))
        qWarning("the canvas window was not exposed");
    return editor;
}
