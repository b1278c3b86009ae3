#pragma once

#include "base/Dialogs.h"

// The dialogs of the running program, shown with Qt's dialogs. Every dialog
// and box stands above the always-on-top options window and takes the
// keyboard; boxes show their texts as plain text.
class QtDialogs : public Dialogs {
public:
    // With `platformDialogs` false, Qt's own file and colour dialogs are used
    // even where the platform has native ones (the tests drive them).
    explicit QtDialogs(bool platformDialogs = true) : platformDialogs_(platformDialogs) {}

    void showError(const QString& text) override;
    void showMessage(const QString& caption, const QString& text) override;
    std::optional<TColor> chooseColour(TColor initial) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;

private:
    bool platformDialogs_;
};
