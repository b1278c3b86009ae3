#pragma once

#include <QString>
#include <stdexcept>

namespace movie {

// Raised when a file cannot be played at all: it is not a movie, or its
// container or header is damaged beyond use. The text names the file and
// what is wrong with it, ready to show to the user.
class MovieError : public std::runtime_error {
public:
    explicit MovieError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const noexcept { return text_; }

private:
    QString text_;
};

} // namespace movie
