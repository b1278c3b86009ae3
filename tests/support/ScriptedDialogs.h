#pragma once

#include "base/Dialogs.h"

#include <QList>
#include <QQueue>

// Dialogs for tests: every answer is queued in advance and every dialog
// shown is recorded, so a test reads what the user would have seen.
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString caption;
        QString text;
    };

    // Answers, taken in order; a dialog with no queued answer is cancelled.
    QQueue<std::optional<TColor>> colourAnswers;
    QQueue<std::optional<FileChoice>> openAnswers;
    QQueue<std::optional<FileChoice>> saveAnswers;

    // What was shown.
    QStringList errors;
    QList<Message> messages;
    QList<TColor> colourPresets;
    QList<FileRequest> openRequests;
    QList<FileRequest> saveRequests;

    void showError(const QString& text) override;
    void showMessage(const QString& caption, const QString& text) override;
    std::optional<TColor> chooseColour(TColor initial) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;
};
