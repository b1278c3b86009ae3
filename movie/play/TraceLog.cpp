#include "movie/play/TraceLog.h"

#include "movie/play/MoviePlayer.h"

namespace movie {

QString traceLogLine(const QString& message)
{
    QString line;
    line.reserve(message.size() + 1);
    for (qsizetype i = 0; i < message.size(); ++i) {
        const QChar c = message[i];
        if (c == u'\0')
            continue;
        if (c == u'\r') {
            line += u'\n';
        } else if (c.isHighSurrogate() && i + 1 < message.size() && message[i + 1].isLowSurrogate()) {
            line += c;
            line += message[++i];
        } else if (c.isSurrogate()) {
            line += QChar::ReplacementCharacter; // half a pair is no character
        } else {
            line += c;
        }
    }
    line += u'\n';
    return line;
}

QString traceLog(std::shared_ptr<const Movie> movie, int frames)
{
    QString log;
    MoviePlayer player(std::move(movie), [&log](const QString& message) { log += traceLogLine(message); });
    for (int i = 1; i < frames && !player.hasQuit(); ++i)
        player.step();
    return log;
}

} // namespace movie
