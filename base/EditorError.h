#pragma once

#include <QString>
#include <exception>

// The one error type of the editor. A behaviour that cannot go on throws it
// with the text the user should read; Application::runBehaviour is the only
// place that catches it and shows it in the error box.
class EditorError : public std::exception {
public:
    explicit EditorError(QString text) : text_(std::move(text)), utf8_(text_.toUtf8()) {}

    const QString& text() const noexcept { return text_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString text_;
    QByteArray utf8_;
};

// Error texts shared by several parts of the editor.
namespace ErrorText {
inline QString cannotOpenFile(const QString& path) { return QStringLiteral("Cannot open file %1").arg(path); }
inline QString cannotCreateFile(const QString& path) { return QStringLiteral("Cannot create file %1").arg(path); }
inline QString unableToWrite(const QString& path) { return QStringLiteral("Unable to write to %1").arg(path); }
} // namespace ErrorText
