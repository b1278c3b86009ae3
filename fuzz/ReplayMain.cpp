// Runs a fuzz target once on each file given, and on each file of each
// folder given, so inputs that once crashed it stay tested in the ordinary
// build. A missing folder holds no inputs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int replay(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    int failures = 0;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo::exists(argument))
            continue; // a folder no fuzz run has made yet
        if (!QFileInfo(argument).isDir()) {
            failures += replay(argument);
            ++count;
            continue;
        }
        const QDir dir(argument);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            failures += replay(dir.filePath(name));
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return failures == 0 ? 0 : 1;
}
