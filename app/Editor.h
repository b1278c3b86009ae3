#pragma once

#include "canvas/TForm1.h"
#include "options/TfrmSize.h"

#include <memory>

// The editor's two windows, made and linked in the one order the program
// starts them: the canvas window and its creation step (pictures, size),
// then the options window and its creation step (editor settings, language,
// grid), each step through the behaviour runner. Nothing shows until show().
// The program, the tests, the benchmarks and the fuzz targets all start the
// editor here.
class Editor {
public:
    // Created: both creation steps run, as at start-up.
    // Linked:  the windows are only constructed and linked (for tests that
    //          set up the controls themselves).
    enum class Start { Created, Linked };

    explicit Editor(Start start = Start::Created);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // Shows the canvas as the event loop does at start: its first showing
    // reads the skin file and then shows the options window.
    void show();

    TForm1 Form1;

private:
    std::unique_ptr<TfrmSize> options_;

public:
    TfrmSize& frmSize;
};
