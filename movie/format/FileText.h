#pragma once

#include <QByteArrayView>
#include <QString>

namespace movie {

// Text as a movie file stores it: UTF-8 from version 6 on, before that the
// authoring system's Western code page (Windows-1252).
QString decodeFileText(QByteArrayView bytes, int version);

} // namespace movie
