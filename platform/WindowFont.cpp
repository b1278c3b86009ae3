#include "platform/WindowFont.h"

#include <QFontDatabase>
#include <QStringList>

QFont windowFont()
{
    // The first of the faces that is installed, named alone: a list of
    // names would have the toolkit look for stand-ins of each missing one.
    static const QString family = [] {
        const QStringList candidates = {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                                        QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                        QStringLiteral("DejaVu Sans Condensed")};
        const QStringList installed = QFontDatabase::families();
        for (const QString& candidate : candidates)
            if (installed.contains(candidate, Qt::CaseInsensitive))
                return candidate;
        return candidates.first();
    }();
    QFont font(family);
    font.setPixelSize(11);
    return font;
}
