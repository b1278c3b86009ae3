#pragma once

#include "movie/draw/TextFormat.h"

#include <QString>
#include <vector>

namespace movie {

// The text of an edit field with the format of every character. A "\r"
// ends a paragraph; paragraph attributes are alike over a paragraph, its
// "\r" included.
class FieldText {
public:
    struct Span {
        qsizetype begin = 0, end = 0;
        const TextFormat* format = nullptr;
    };
    struct Paragraph {
        qsizetype begin = 0, end = 0; // end: its "\r", or the end of the text
    };

    // Text made of pieces in their (complete) formats.
    static FieldText joined(const std::vector<std::pair<QString, TextFormat>>& pieces);

    const QString& text() const { return text_; }
    qsizetype size() const { return text_.size(); }
    bool isEmpty() const { return text_.isEmpty(); }

    // Replaces [begin, end) with `text` (line breaks as "\r") in `format`,
    // which must be complete. A paragraph keeps the paragraph format of its
    // first character: new text joining one takes its format.
    void replace(qsizetype begin, qsizetype end, const QString& text, const TextFormat& format);
    void append(const QString& text, const TextFormat& format) { replace(size(), size(), text, format); }
    void clear() { replace(0, size(), {}, {}); }
    // The attributes `format` has, over [begin, end): those of characters
    // on the range, those of paragraphs on every paragraph it touches.
    void setFormat(qsizetype begin, qsizetype end, const TextFormat& format);
    // The attributes alike over [begin, end); `fallback` for an empty range.
    TextFormat formatOf(qsizetype begin, qsizetype end, const TextFormat& fallback) const;
    // The complete format of a character.
    const TextFormat& formatAt(qsizetype index) const;

    // Runs of one format over [begin, end), in order.
    std::vector<Span> spans(qsizetype begin, qsizetype end) const;
    std::vector<Paragraph> paragraphs() const;

private:
    struct Run {
        qsizetype end; // the run covers from the previous run's end
        TextFormat format;
    };
    // A run boundary at `at`; the index of the run that starts there.
    size_t splitAt(qsizetype at);
    size_t runAt(qsizetype index) const;
    void mergeRuns();
    // Every paragraph takes the paragraph format of its first character.
    void evenParagraphs();

    QString text_;
    std::vector<Run> runs_;
};

// Line breaks of any kind ("\r\n", "\n", "\r") as the "\r" a field keeps.
QString fieldLineBreaks(QString text);

} // namespace movie
