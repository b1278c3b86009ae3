#pragma once

#include "canvas/TForm1.h"
#include "options/TfrmSize.h"

#include <memory>

// Both windows of the editor, linked as the program links them.
//   Created: built as at start-up, the canvas's creation step and then the
//            options window's, each through the behaviour runner;
//   Linked:  only constructed, no creation step run.
// Neither window is shown until show().
class EditorWindows {
public:
    enum class Start { Created, Linked };

    explicit EditorWindows(Start start = Start::Created);
    ~EditorWindows();

    // Shows the canvas as the event loop does (its first showing reads the
    // skin file and shows the options window) and waits until it is exposed.
    void show();

    TForm1 form1;

private:
    std::unique_ptr<TfrmSize> options_;

public:
    TfrmSize& frmSize;
};
