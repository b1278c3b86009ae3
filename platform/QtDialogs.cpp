#include "platform/QtDialogs.h"

#include "base/Application.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Runs a dialog modally above every other window of the editor, the
// always-on-top options window included, with the keyboard in it. The
// options window keeps its own place in the stack.
int execInFront(QDialog& dialog)
{
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.raise();
        dialog.activateWindow();
    });
    return dialog.exec();
}

void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    // Parentless, so the box belongs to the application and is centred on
    // the screen. A path such as "<b>x" is shown as it is.
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    execInFront(box);
}

// A filter entry as Qt's file dialog reads it: the patterns in its
// parentheses, with "*.*" (every file, on the menu's platform) given as "*",
// since Qt would list only names with a dot for it and would put the "*"
// into a proposed name's extension.
QString qtFilterEntry(const QString& entry)
{
    static const QRegularExpression patterns(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch match = patterns.match(entry);
    if (!match.hasMatch())
        return entry;
    QStringList list = match.captured(1).split(QRegularExpression(QStringLiteral("[ ;]")), Qt::SkipEmptyParts);
    for (QString& pattern : list)
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    return entry.left(match.capturedStart(1)) + list.join(QLatin1Char(' ')) + entry.mid(match.capturedEnd(1));
}

// The folder itself when it exists, else the nearest one above it that does
// (the program folder for its missing data folder): Qt would otherwise open
// the working directory, which has nothing to do with the skin.
QString nearestFolder(QString folder)
{
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    return folder;
}

// Entries are given to Qt changed only where its reading requires, and are
// mapped back by position, never by text: Qt also folds runs of blanks in
// what it shows, so the texts it returns are not the ones it was given.
std::optional<Dialogs::FileChoice> runFileDialog(QFileDialog& dialog, const Dialogs::FileRequest& request)
{
    QStringList entries;
    for (const QString& entry : request.filters)
        entries.append(qtFilterEntry(entry));
    dialog.setNameFilters(entries);
    const QStringList shown = dialog.nameFilters();
    if (request.filterIndex >= 0 && request.filterIndex < shown.size())
        dialog.selectNameFilter(shown.at(request.filterIndex));
    // The name goes in after the filters: a save dialog gives the preset
    // name the chosen entry's extension.
    const QFileInfo preset(request.fileName);
    if (!request.fileName.isEmpty()) {
        dialog.setDirectory(nearestFolder(preset.absolutePath()));
        dialog.selectFile(preset.fileName());
    }
    if (execInFront(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return Dialogs::FileChoice{QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath(),
                               static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()))};
}

} // namespace

void QtDialogs::showError(const QString& text) { showBox(QMessageBox::Critical, Application::title(), text); }

void QtDialogs::showMessage(const QString& caption, const QString& text)
{
    showBox(QMessageBox::NoIcon, caption, text);
}

std::optional<TColor> QtDialogs::chooseColour(TColor initial)
{
    QColorDialog dialog(displayColour(initial));
    dialog.setOption(QColorDialog::DontUseNativeDialog, !platformDialogs_);
    if (execInFront(dialog) != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return fromQColor(dialog.selectedColor());
}

std::optional<Dialogs::FileChoice> QtDialogs::openFile(const FileRequest& request)
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, !platformDialogs_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is accepted too.
    dialog.setFileMode(QFileDialog::AnyFile);
    return runFileDialog(dialog, request);
}

std::optional<Dialogs::FileChoice> QtDialogs::saveFile(const FileRequest& request)
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, !platformDialogs_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return runFileDialog(dialog, request);
}
