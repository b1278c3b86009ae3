#pragma once

#include "app/Editor.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <memory>

// The start of the editor's window tests: while it lives, the editor's
// program folder is a temporary folder and the scripted dialogs answer every
// dialog; both windows are made on request, as the program makes them.
class EditorFixture {
public:
    EditorFixture();
    ~EditorFixture();

    TempProgramFolder folder;
    ScriptedDialogs dialogs;

    // Makes both windows, dropping any made before. Neither is shown.
    Editor& start(Editor::Start start = Editor::Start::Created);
    // Makes both windows and shows the canvas as the event loop does (its
    // first showing reads the skin file and shows the options window), then
    // waits until it is on the screen.
    Editor& show();

    TForm1& form1() const { return editor_->Form1; }
    TfrmSize& frmSize() const { return editor_->frmSize; }

private:
    std::unique_ptr<Editor> editor_;
};
