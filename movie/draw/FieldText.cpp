#include "movie/draw/FieldText.h"

#include <algorithm>

namespace movie {

QString fieldLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    text.replace(u'\n', u'\r');
    return text;
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
    for (const Paragraph& p : paragraphs()) {
        const qsizetype end = std::min(p.end + 1, size());
        if (p.begin >= end)
            continue;
        const TextFormat first = formatAt(p.begin).paragraphPart();
        const size_t from = splitAt(p.begin), to = splitAt(end);
        for (size_t i = from; i < to; ++i)
            runs_[i].format.apply(first);
    }
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
    const TextFormat paragraph = format.paragraphPart();
    for (const Paragraph& p : paragraphs()) {
        const qsizetype pEnd = std::min(p.end + 1, size());
        if (pEnd <= begin || p.begin >= end)
            continue;
        from = splitAt(p.begin);
        to = splitAt(pEnd);
        for (size_t i = from; i < to; ++i)
            runs_[i].format.apply(paragraph);
    }
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
