#include "movie/writer/ShapeSpec.h"

namespace movie::writer {

ShapeSpec::Fill ShapeSpec::Fill::gradient(Kind kind, const Matrix& m, std::vector<std::pair<int, QColor>> stops,
                                          int spread)
{
    Fill f;
    f.kind = kind;
    f.matrix = m;
    f.stops = std::move(stops);
    f.spread = spread;
    return f;
}

ShapeSpec& ShapeSpec::style(int fill0, int fill1, int line, std::optional<QPoint> moveTo)
{
    Record r;
    r.fill0 = fill0;
    r.fill1 = fill1;
    r.line = line;
    r.moveTo = moveTo;
    records.push_back(std::move(r));
    return *this;
}

ShapeSpec& ShapeSpec::lineTo(int x, int y)
{
    Record r;
    r.type = Record::Type::Straight;
    r.anchor = QPoint(x, y);
    records.push_back(std::move(r));
    return *this;
}

ShapeSpec& ShapeSpec::curveTo(int cx, int cy, int x, int y)
{
    Record r;
    r.type = Record::Type::Curve;
    r.control = QPoint(cx, cy);
    r.anchor = QPoint(x, y);
    records.push_back(std::move(r));
    return *this;
}

ShapeSpec& ShapeSpec::newStyles(std::vector<Fill> f, std::vector<Line> l)
{
    Record r;
    r.newStyles = true;
    r.fills = std::move(f);
    r.lines = std::move(l);
    records.push_back(std::move(r));
    return *this;
}

ShapeSpec& ShapeSpec::rect(const QRect& r, int fill, int line)
{
    const int x0 = r.x(), y0 = r.y(), x1 = r.x() + r.width(), y1 = r.y() + r.height();
    style(0, fill, line, QPoint(x0, y0));
    lineTo(x1, y0);
    lineTo(x1, y1);
    lineTo(x0, y1);
    lineTo(x0, y0);
    return *this;
}

QRect ShapeSpec::bounds() const
{
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    int widest = 0;
    for (const auto& l : lines)
        widest = std::max<int>(widest, l.width);
    auto add = [&](QPoint p) {
        if (!any) {
            minX = maxX = p.x();
            minY = maxY = p.y();
            any = true;
        }
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    };
    for (const auto& r : records) {
        if (r.moveTo)
            add(*r.moveTo);
        if (r.type == Record::Type::Curve)
            add(r.control);
        if (r.type != Record::Type::Style)
            add(r.anchor);
        for (const auto& l : r.lines)
            widest = std::max<int>(widest, l.width);
    }
    const int half = widest / 2;
    return QRect(QPoint(minX - half, minY - half), QPoint(maxX + half, maxY + half));
}

} // namespace movie::writer
