#pragma once

#include <QColor>
#include <QString>
#include <QTemporaryDir>

// A temporary program folder for a test: the editor's program folder points
// at it while the object lives. Files are laid out with the editor's own
// relative notation ("\\data\\skin.ini").
class TempProgramFolder {
public:
    TempProgramFolder();
    ~TempProgramFolder();

    QString path() const { return dir_.path(); }
    // The full path of a file given as "\\data\\name".
    QString file(const QString& relativeWindowsPath) const;

    // Writes a file, creating its folders.
    void write(const QString& relativeWindowsPath, const QByteArray& content) const;
    // A file's bytes, or empty when it cannot be read.
    QByteArray read(const QString& relativeWindowsPath) const;
    // Writes a picture in the format given, or the one its extension names.
    void writePicture(const QString& relativeWindowsPath, int width, int height, QColor colour = Qt::gray,
                      const char* format = nullptr) const;
    // Lays out a complete set of pictures: the background of the given size
    // and every element's picture, each a plain colour.
    void writeAllPictures(int backgroundWidth = 500, int backgroundHeight = 400) const;
    // Copies the sample skin (built beside the tests) into data/.
    void copySampleSkin() const;

private:
    QTemporaryDir dir_;
};

// The folder of the sample skin made by the build.
QString sampleSkinFolder();
