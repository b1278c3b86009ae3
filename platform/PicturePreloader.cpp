#include "platform/PicturePreloader.h"

#include "platform/PictureDecoder.h"

#include <exception>

namespace {

PicturePreloader* current = nullptr;

QImage read(const QString& path, PicturePreloader::Reader reader)
{
    return reader == PicturePreloader::Reader::Bitmap ? loadBitmapFile(path) : loadPictureFile(path);
}

} // namespace

PicturePreloader::PicturePreloader(const std::vector<Request>& requests)
{
    entries_.reserve(requests.size());
    for (const Request& request : requests) {
        Entry& entry = entries_.emplace_back();
        entry.request = request;
        entry.picture = entry.promise.get_future();
    }
    current = this;
    thread_ = std::thread([this] {
        for (Entry& entry : entries_) {
            try {
                entry.promise.set_value(read(entry.request.path, entry.request.reader));
            } catch (...) {
                // Thrown again by the load that takes it, on the editor's thread.
                entry.promise.set_exception(std::current_exception());
            }
        }
    });
}

PicturePreloader::~PicturePreloader()
{
    current = nullptr;
    thread_.join();
}

QImage PicturePreloader::load(const QString& path, Reader reader)
{
    if (current) {
        for (Entry& entry : current->entries_) {
            if (!entry.taken && entry.request.reader == reader && entry.request.path == path) {
                entry.taken = true;
                return entry.picture.get();
            }
        }
    }
    return read(path, reader);
}
