#pragma once

#include <QImage>
#include <QString>
#include <future>
#include <thread>
#include <vector>

// Pictures read ahead on a thread of their own while the windows are made,
// so that the canvas's first pictures do not wait for their files. While a
// preloader lives, each picture it holds goes once to the first load of
// that file by the same reader, which waits for it if need be; every other
// load reads its file when asked, as without a preloader. A picture that
// could not be read throws at that load, with the loaders' own text.
class PicturePreloader {
public:
    // The loaders of PictureDecoder.h.
    enum class Reader {
        ByExtension, // loadPictureFile
        Bitmap,      // loadBitmapFile
    };
    struct Request {
        QString path;
        Reader reader;
    };

    // Starts reading `requests` in their order. One preloader at a time.
    explicit PicturePreloader(const std::vector<Request>& requests);
    // Waits for the thread, which ends after the picture under way.
    ~PicturePreloader();
    PicturePreloader(const PicturePreloader&) = delete;
    PicturePreloader& operator=(const PicturePreloader&) = delete;

    // The picture of `path` read by `reader`.
    static QImage load(const QString& path, Reader reader);

private:
    struct Entry {
        Request request;
        std::promise<QImage> promise;
        std::future<QImage> picture;
        bool taken = false;
    };

    std::vector<Entry> entries_;
    std::thread thread_;
};
