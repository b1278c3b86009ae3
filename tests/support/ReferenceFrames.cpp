#include "tests/support/ReferenceFrames.h"

#include <QDir>
#include <QFile>
#include <map>

std::vector<ReferencePair> referencePairs(const QString& dir)
{
    std::vector<ReferencePair> pairs;
    if (dir.isEmpty() || !QDir(dir).exists())
        return pairs;
    const QDir set(dir);
    std::map<QString, int> frames;
    QFile manifest(set.filePath(QStringLiteral("MANIFEST.tsv")));
    if (manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qsizetype frameColumn = -1;
        while (!manifest.atEnd()) {
            const QList<QByteArray> columns = manifest.readLine().trimmed().split('\t');
            if (columns[0].startsWith('#'))
                frameColumn = columns.indexOf("frame");
            else if (frameColumn > 0 && frameColumn < columns.size())
                frames[QString::fromUtf8(columns[0])] = columns[frameColumn].toInt();
        }
    }
    for (const QString& swf : set.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        const QString name = swf.chopped(4);
        const auto f = frames.find(name);
        pairs.push_back({name, set.filePath(name), f == frames.end() ? 1 : std::max(1, f->second)});
    }
    return pairs;
}
