#include "movie/format/Movie.h"

#include "movie/Limits.h"
#include "movie/MovieError.h"
#include "movie/format/Container.h"
#include "movie/format/MovieParser.h"
#include "movie/format/SwfReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace movie {

std::shared_ptr<const Movie> Movie::load(const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    // A pipe would block the opening and a device never end: only a file
    // (or a link to one) is read, and never past the size a movie may have.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        throw MovieError(QStringLiteral("%1 cannot be opened: it is not a regular file").arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw MovieError(QStringLiteral("%1 cannot be opened: %2").arg(name, file.errorString()));
    QByteArray bytes = file.read(limits::kMaxFileBytes + 1);
    if (bytes.size() > limits::kMaxFileBytes)
        throw MovieError(QStringLiteral("%1 is too large for a title movie").arg(name));
    return fromBytes(bytes, name);
}

std::shared_ptr<const Movie> Movie::fromBytes(const QByteArray& bytes, const QString& name, qint64 maxPixels)
{
    const ContainerBody container = openContainer(bytes, name);
    auto movie = std::make_shared<Movie>();
    movie->pixelBudget_ = maxPixels;
    movie->version_ = container.version;
    movie->fileSize_ = container.body.size() + 8; // as the header counts it, unpacked

    SwfReader r(container.body);
    movie->stage_ = readRect(r);
    const quint16 rate = r.u16();
    movie->declaredFrames_ = r.u16();
    if (r.overrun())
        throw MovieError(QStringLiteral("%1 is damaged: its header is incomplete").arg(name));
    const QRectF& stage = movie->stage_;
    if (!(stage.width() > 0 && stage.height() > 0))
        throw MovieError(QStringLiteral("%1 is damaged: its stage has no size").arg(name));
    movie->frameRate_ = rate / 256.0;

    parseMovieTags(*movie, r, container.truncated);
    return movie;
}

std::shared_ptr<const Movie> Movie::fromPicture(const QByteArray& bytes, const QString& name, qint64 maxPixels)
{
    auto movie = std::make_shared<Movie>();
    movie->version_ = -1;
    movie->fileSize_ = bytes.size();
    movie->pixelBudget_ = maxPixels;
    parsePictureFile(*movie, bytes);
    if (!movie->character(1)) {
        const QString why = movie->warnings_.isEmpty() ? QString() : movie->warnings_.constFirst();
        throw MovieError(QStringLiteral("%1 is neither a movie nor a picture that can be shown (%2)").arg(name, why));
    }
    return movie;
}

QSize Movie::stageSizePixels() const
{
    return QSize(static_cast<int>(std::ceil(stage_.width() / 20.0)),
                 static_cast<int>(std::ceil(stage_.height() / 20.0)));
}

const Character* Movie::character(quint16 id) const
{
    const auto it = dictionary_.find(id);
    return it == dictionary_.end() ? nullptr : &it->second;
}

QRectF Movie::scalingGrid(quint16 id) const
{
    const auto it = scalingGrids_.find(id);
    return it == scalingGrids_.end() ? QRectF() : it->second;
}

} // namespace movie
