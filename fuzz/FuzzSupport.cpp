#include "fuzz/FuzzSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

QTemporaryDir& temporaryDir()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        fail("cannot create a temporary folder");
    return dir;
}

// Qt keeps the argument count and vector for the application's lifetime.
int argumentCount = 1;
char programName[] = "skinedit-fuzz";
char* arguments[] = {programName, nullptr};

void prepareOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

QString folder() { return temporaryDir().path(); }

QString writeFile(const QString& name, const QByteArray& content)
{
    QString path = temporaryDir().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        fail("cannot write the input file");
    return path;
}

void ensureGuiApplication()
{
    if (QCoreApplication::instance() != nullptr)
        return;
    prepareOffscreen();
    new QGuiApplication(argumentCount, arguments); // lives as long as the process
}

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz target: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzz
