#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// One settings file in a temporary folder of its own, written and read back
// byte for byte.
class TempIniFile {
public:
    explicit TempIniFile(const QString& name = QStringLiteral("test.ini"));

    QString path() const { return path_; }
    // The temporary folder that holds the file.
    QString folder() const { return dir_.path(); }
    // Replaces the whole file.
    void put(const QByteArray& bytes) const;
    // The whole file, or "<missing>" when there is none.
    QByteArray contents() const;

private:
    QTemporaryDir dir_;
    QString path_;
};
