#include "movie/avm1/UrlText.h"

#include <QByteArray>
#include <QStringList>

namespace movie::avm1 {

QString urlEscape(const QString& text)
{
    static const char* hex = "0123456789ABCDEF";
    QString out;
    for (const char ch : text.toUtf8()) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            out += QChar(b);
        } else {
            out += u'%';
            out += QChar(hex[b >> 4]);
            out += QChar(hex[b & 15]);
        }
    }
    return out;
}

QString urlUnescape(const QString& text)
{
    auto hexValue = [](char h) {
        if (h >= '0' && h <= '9')
            return h - '0';
        if (h >= 'a' && h <= 'f')
            return h - 'a' + 10;
        if (h >= 'A' && h <= 'F')
            return h - 'A' + 10;
        return -1;
    };
    QByteArray out;
    int pending = 0;
    int value = 0;
    for (const char ch : text.toUtf8()) {
        if (ch == '%') {
            pending = 2;
            value = 0;
        } else if (pending > 0 && hexValue(ch) >= 0) {
            value = value * 16 + hexValue(ch);
            if (--pending == 0)
                out += char(value);
        } else if (pending > 0) {
            pending = 0;
        } else {
            out += ch == '+' ? ' ' : ch;
        }
    }
    return QString::fromUtf8(out);
}

std::vector<std::pair<QString, QString>> urlVariables(const QString& text)
{
    std::vector<std::pair<QString, QString>> pairs;
    for (const QString& pair : text.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        const QString name = urlUnescape(equals < 0 ? pair : pair.left(equals));
        if (!name.isEmpty())
            pairs.emplace_back(name, equals < 0 ? QString() : urlUnescape(pair.mid(equals + 1)));
    }
    return pairs;
}

} // namespace movie::avm1
