#include "platform/QtDialogs.h"

#include "base/Application.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    // Parentless, so the box belongs to the application and is centred on the screen.
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    box.exec();
}

std::optional<Dialogs::FileChoice> runFileDialog(QFileDialog& dialog, const Dialogs::FileRequest& request)
{
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.filterIndex));
    // The name goes in after the filters: a save dialog gives the preset name
    // the chosen filter's extension, which for "*.*" would make "skin.*".
    const QFileInfo preset(request.fileName);
    if (!request.fileName.isEmpty()) {
        dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return Dialogs::FileChoice{QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath(),
                               static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter()))};
}

} // namespace

void QtDialogs::showError(const QString& text) { showBox(QMessageBox::Critical, Application::title(), text); }

void QtDialogs::showMessage(const QString& caption, const QString& text)
{
    showBox(QMessageBox::NoIcon, caption, text);
}

std::optional<TColor> QtDialogs::chooseColour(TColor initial)
{
    const QColor chosen = QColorDialog::getColor(displayColour(initial));
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

std::optional<Dialogs::FileChoice> QtDialogs::openFile(const FileRequest& request)
{
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is accepted too.
    dialog.setFileMode(QFileDialog::AnyFile);
    return runFileDialog(dialog, request);
}

std::optional<Dialogs::FileChoice> QtDialogs::saveFile(const FileRequest& request)
{
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return runFileDialog(dialog, request);
}
