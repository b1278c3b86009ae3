#include "tests/support/ScriptedDialogs.h"

namespace {
template <typename T>
std::optional<T> takeAnswer(QQueue<std::optional<T>>& answers)
{
    return answers.isEmpty() ? std::nullopt : answers.dequeue();
}
} // namespace

void ScriptedDialogs::showError(const QString& text) { errors.append(text); }

void ScriptedDialogs::showMessage(const QString& caption, const QString& text) { messages.append({caption, text}); }

std::optional<TColor> ScriptedDialogs::chooseColour(TColor initial)
{
    colourPresets.append(initial);
    return takeAnswer(colourAnswers);
}

std::optional<Dialogs::FileChoice> ScriptedDialogs::openFile(const FileRequest& request)
{
    openRequests.append(request);
    return takeAnswer(openAnswers);
}

std::optional<Dialogs::FileChoice> ScriptedDialogs::saveFile(const FileRequest& request)
{
    saveRequests.append(request);
    return takeAnswer(saveAnswers);
}
