#pragma once

#include <QString>
#include <functional>

class Dialogs;

// What the whole editor shares: its title, its dialogs and the one place
// where the behaviours run and their errors are shown.
namespace Application {

// The title: the executable's file name up to its first dot, every letter
// after the first in lower case; the first stays as the file name has it.
QString titleFromExecutableName(const QString& fileName);
// The title of the running executable (a stand-in name before QApplication).
QString title();

// The dialogs every behaviour uses; the program installs the Qt ones,
// tests a scripted set. The application does not own them.
Dialogs& dialogs();
void setDialogs(Dialogs* dialogs);

// Runs one behaviour (an event handler, a creation step). An error that
// escapes it is shown in the standard error box, and the program goes on
// with the next event. This is the only place that catches errors.
void runBehaviour(const std::function<void()>& behaviour);

// A callable that runs the given behaviour through runBehaviour, for
// connecting signals of controls to behaviours.
template <typename Behaviour>
auto behaviour(Behaviour handler)
{
    return [handler]() { runBehaviour(handler); };
}

} // namespace Application
