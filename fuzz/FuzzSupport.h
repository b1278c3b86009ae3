#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// Helpers shared by the fuzz targets. The same target sources build with
// libFuzzer (clang) for fuzzing and with the replay main (any compiler) for
// the regression tests, so nothing here depends on libFuzzer.
namespace fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Writes `content` to a file called `name` in a temporary folder of this
// process and returns its path. The folder lives until the process ends.
QString writeFile(const QString& name, const QByteArray& content);

// The folder of writeFile's files.
QString folder();

// Creates the one application object of the process, offscreen, on first
// use.
void ensureGuiApplication();

// Ends the process the way a sanitizer does, so the fuzzer keeps the input:
// for a broken property of the code under test rather than a memory fault.
[[noreturn]] void fail(const char* what);

} // namespace fuzz
