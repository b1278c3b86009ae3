#pragma once

#include "movie/avm1/Value.h"

#include <QtGlobal>
#include <memory>
#include <vector>

namespace movie::avm1 {

class GcCell;

// Marks what a cell holds, so that a collection keeps it.
class Tracer {
public:
    void mark(GcCell* cell);
    void mark(const Value& value);

private:
    friend class Heap;
    std::vector<GcCell*> pending_;
};

// Anything the heap owns: objects and scopes.
class GcCell {
public:
    GcCell() = default;
    GcCell(const GcCell&) = delete;
    GcCell& operator=(const GcCell&) = delete;
    virtual ~GcCell() = default;
    virtual void traceChildren(Tracer& tracer) const = 0;

private:
    friend class Heap;
    friend class Tracer;
    bool marked_ = false;
};

// Owns every object and scope of a script runtime. Collection is mark and
// sweep from roots the runtime names; it runs only between frames, when no
// script is on the stack, so cells never move or vanish under running code.
class Heap {
public:
    template <class T, class... Args>
    T* make(Args&&... args)
    {
        auto cell = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = cell.get();
        cells_.push_back(std::move(cell));
        ++sinceCollection_;
        return raw;
    }

    qsizetype size() const { return static_cast<qsizetype>(cells_.size()); }
    qsizetype madeSinceCollection() const { return sinceCollection_; }
    // Frees every cell the marking in `tracer` did not reach; the caller
    // marks its roots into `tracer` first.
    void collect(Tracer& tracer);
    void clear();

private:
    std::vector<std::unique_ptr<GcCell>> cells_;
    qsizetype sinceCollection_ = 0;
};

} // namespace movie::avm1
