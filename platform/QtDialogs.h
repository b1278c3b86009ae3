#pragma once

#include "base/Dialogs.h"

// The dialogs of the running program, shown with Qt's own dialogs.
class QtDialogs : public Dialogs {
public:
    void showError(const QString& text) override;
    void showMessage(const QString& caption, const QString& text) override;
    std::optional<TColor> chooseColour(TColor initial) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;
};
