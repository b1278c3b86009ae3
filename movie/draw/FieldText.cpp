#include "movie/draw/FieldText.h"

#include <algorithm>

namespace movie {

QString fieldLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    text.replace(u'\n', u'\r');
    return text;
}

FieldText FieldText::joined(const std::vector<std::pair<QString, TextFormat>>& pieces)
{
    FieldText t;
    for (const auto& [text, format] : pieces) {
        if (text.isEmpty())
            continue;
        t.text_ += text;
        t.runs_.push_back({t.text_.size(), format});
    }
    t.evenParagraphs();
    return t;
}

size_t FieldText::runAt(qsizetype index) const
{
    const auto it =
        std::upper_bound(runs_.begin(), runs_.end(), index, [](qsizetype i, const Run& r) { return i < r.end; });
    return std::min(size_t(it - runs_.begin()), runs_.empty() ? 0 : runs_.size() - 1);
}

size_t FieldText::splitAt(qsizetype at)
{
    if (at <= 0)
        return 0;
    if (at >= size())
        return runs_.size();
    const size_t i = runAt(at);
    const qsizetype begin = i == 0 ? 0 : runs_[i - 1].end;
    if (begin == at)
        return i;
    runs_.insert(runs_.begin() + qsizetype(i), Run{at, runs_[i].format});
    return i + 1;
}

void FieldText::mergeRuns()
{
    std::vector<Run> merged;
    qsizetype begin = 0;
    for (Run& r : runs_) {
        if (r.end <= begin)
            continue; // empty
        begin = r.end;
        if (!merged.empty() && merged.back().format == r.format)
            merged.back().end = r.end;
        else
            merged.push_back(std::move(r));
    }
    runs_ = std::move(merged);
}

void FieldText::evenParagraphs()
{
    // One pass over the paragraphs and the runs, pieces of runs taking the
    // paragraph format of their paragraph's first character.
    std::vector<Run> even;
    even.reserve(runs_.size());
    size_t r = 0;
    for (const Paragraph& p : paragraphs()) {
        const qsizetype end = std::min(p.end + 1, size());
        qsizetype at = p.begin;
        if (at >= end)
            continue;
        while (runs_[r].end <= at)
            ++r;
        const TextFormat paragraph = runs_[r].format.paragraphPart();
        while (at < end) {
            const qsizetype stop = std::min(runs_[r].end, end);
            even.push_back({stop, runs_[r].format});
            even.back().format.apply(paragraph);
            at = stop;
            if (runs_[r].end == stop)
                ++r;
        }
    }
    runs_ = std::move(even);
    mergeRuns();
}

void FieldText::replace(qsizetype begin, qsizetype end, const QString& text, const TextFormat& format)
{
    begin = std::clamp<qsizetype>(begin, 0, size());
    end = std::clamp<qsizetype>(end, begin, size());
    const size_t from = splitAt(begin), to = splitAt(end);
    runs_.erase(runs_.begin() + qsizetype(from), runs_.begin() + qsizetype(to));
    const qsizetype delta = text.size() - (end - begin);
    for (size_t i = from; i < runs_.size(); ++i)
        runs_[i].end += delta;
    text_.replace(begin, end - begin, text);
    if (!text.isEmpty())
        runs_.insert(runs_.begin() + qsizetype(from), Run{begin + text.size(), format});
    evenParagraphs();
}

void FieldText::setFormat(qsizetype begin, qsizetype end, const TextFormat& format)
{
    begin = std::clamp<qsizetype>(begin, 0, size());
    end = std::clamp<qsizetype>(end, begin, size());
    if (begin == end)
        return;
    const TextFormat characters = format.characterPart();
    size_t from = splitAt(begin), to = splitAt(end);
    for (size_t i = from; i < to; ++i)
        runs_[i].format.apply(characters);
    // The paragraphs the range touches, whole, with their line breaks.
    const qsizetype firstParagraph = begin == 0 ? 0 : text_.lastIndexOf(u'\r', begin - 1) + 1;
    const qsizetype lastBreak = text_.indexOf(u'\r', end - 1);
    from = splitAt(firstParagraph);
    to = splitAt(lastBreak < 0 ? size() : lastBreak + 1);
    const TextFormat paragraph = format.paragraphPart();
    for (size_t i = from; i < to; ++i)
        runs_[i].format.apply(paragraph);
    mergeRuns();
}

const TextFormat& FieldText::formatAt(qsizetype index) const
{
    static const TextFormat none;
    return runs_.empty() ? none : runs_[runAt(index)].format;
}

TextFormat FieldText::formatOf(qsizetype begin, qsizetype end, const TextFormat& fallback) const
{
    begin = std::clamp<qsizetype>(begin, 0, size());
    end = std::clamp<qsizetype>(end, begin, size());
    if (begin == end)
        return fallback;
    TextFormat common = formatAt(begin);
    for (size_t i = runAt(begin); i < runs_.size(); ++i) {
        if (i > 0 && runs_[i - 1].end >= end)
            break;
        common.keepCommon(runs_[i].format);
    }
    return common;
}

std::vector<FieldText::Span> FieldText::spans(qsizetype begin, qsizetype end) const
{
    std::vector<Span> out;
    begin = std::clamp<qsizetype>(begin, 0, size());
    end = std::clamp<qsizetype>(end, begin, size());
    for (size_t i = runAt(begin); i < runs_.size() && begin < end; ++i) {
        const qsizetype stop = std::min(runs_[i].end, end);
        if (stop > begin)
            out.push_back({begin, stop, &runs_[i].format});
        begin = stop;
    }
    return out;
}

std::vector<FieldText::Paragraph> FieldText::paragraphs() const
{
    std::vector<Paragraph> out;
    qsizetype begin = 0;
    for (;;) {
        const qsizetype end = text_.indexOf(u'\r', begin);
        if (end < 0) {
            out.push_back({begin, size()});
            return out;
        }
        out.push_back({begin, end});
        begin = end + 1;
    }
}

} // namespace movie
