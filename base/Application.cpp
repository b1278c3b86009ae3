#include "base/Application.h"

#include "base/Dialogs.h"
#include "base/EditorError.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
Dialogs* installedDialogs = nullptr;
} // namespace

namespace Application {

QString titleFromExecutableName(const QString& fileName)
{
    const QString stem = fileName.section(QLatin1Char('.'), 0, 0);
    return stem.left(1) + stem.mid(1).toLower();
}

QString title()
{
    if (!QCoreApplication::instance())
        return QStringLiteral("skinedit");
    return titleFromExecutableName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

Dialogs& dialogs()
{
    Q_ASSERT_X(installedDialogs, "Application::dialogs", "no dialogs installed");
    return *installedDialogs;
}

void setDialogs(Dialogs* dialogs) { installedDialogs = dialogs; }

void runBehaviour(const std::function<void()>& behaviour)
{
    QString error;
    try {
        behaviour();
        return;
    } catch (const EditorError& e) {
        error = e.text();
    } catch (const std::exception& e) {
        // Anything else that escapes (memory exhausted, a library's own
        // exception) is shown the same way instead of ending the program.
        error = QString::fromLocal8Bit(e.what());
    }
    dialogs().showError(errorBoxText(error));
}

} // namespace Application
