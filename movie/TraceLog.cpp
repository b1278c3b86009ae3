#include "movie/TraceLog.h"

#include "movie/MoviePlayer.h"

namespace movie {

QString traceLogLine(const QString& message)
{
    QString line = message;
    line.remove(QChar(u'\0'));
    line.replace(u'\r', u'\n');
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
