#pragma once

#include "movie/avm1/Value.h"

#include <QSet>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

namespace movie::avm1 {

class GcCell;

// Marks what a cell holds, so that a collection keeps it, and adds up the
// bytes of what it marked: the cells and the strings they reach. A long
// string held in many places is one piece of memory and counts once.
class Tracer {
public:
    void mark(GcCell* cell);
    void mark(const Value& value);

    // The bytes a string takes: its characters and its header.
    static qint64 bytesOf(const QString& s) { return 2 * qint64(s.capacity()) + 32; }
    // Strings from this length on are counted once however often they are met.
    static constexpr qsizetype kLongString = 512;

private:
    friend class Heap;
    std::vector<GcCell*> pending_;
    qint64 bytes_ = 0;
    QSet<const void*> longStrings_;
};

// Anything the heap owns: objects and scopes.
class GcCell {
public:
    GcCell() = default;
    GcCell(const GcCell&) = delete;
    GcCell& operator=(const GcCell&) = delete;
    virtual ~GcCell() = default;
    virtual void traceChildren(Tracer& tracer) const = 0;
    // The bytes the cell takes itself, without the cells and strings it reaches.
    virtual qint64 ownBytes() const = 0;

private:
    friend class Heap;
    friend class Tracer;
    bool marked_ = false;
};

// Owns every object and scope of a script runtime. Collection is mark and
// sweep from roots the runtime names; it runs only between frames, when no
// script is on the stack, so cells never move or vanish under running code.
//
// It also keeps the budget of everything scripts hold (limits::
// kMaxScriptHeapBytes): objects, arrays, their properties and the strings
// they reach. What scripts make is counted as it is made; strings are freed
// as soon as nothing holds them, so once the count passes the budget the
// heap measures what is still reachable from the roots, and only when that
// too is past the budget does it say so (overBudget), which ends the
// scripts of the step. Measuring costs a walk over the heap, so it waits
// until the scripts have made an eighth of what was reachable at the last
// walk; before that, a count past the budget counts as past it.
class Heap {
public:
    template <class T, class... Args>
    T* make(Args&&... args)
    {
        auto cell = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = cell.get();
        cells_.push_back(std::move(cell));
        ++sinceCollection_;
        charge(qint64(sizeof(T)) + kCellOverhead);
        return raw;
    }

    qsizetype size() const { return static_cast<qsizetype>(cells_.size()); }
    qsizetype madeSinceCollection() const { return sinceCollection_; }
    // Due when as many cells were made as there were, or scripts made
    // twice the bytes that were reachable (an eighth of the budget at
    // least), or the budget was passed.
    bool collectionDue() const;
    // Frees every cell the marking in `tracer` did not reach; the caller
    // marks its roots into `tracer` first.
    void collect(Tracer& tracer);
    void clear();

    // How the heap finds its roots when it measures: the runtime marks
    // everything scripts can reach into the tracer, including the code
    // running now.
    void setRoots(std::function<void(Tracer&)> markRoots) { markRoots_ = std::move(markRoots); }
    // Counts `bytes` made by scripts; a string made or stored counts its
    // characters (a long one once until the next measure).
    void charge(qint64 bytes);
    void charge(const Value& value)
    {
        if (value.isString())
            chargeString(value.string());
    }
    void chargeString(const QString& s);
    bool overBudget() const { return overBudget_; }
    // The bytes reachable at the last measure or collection, and counted since.
    qint64 liveBytes() const { return live_; }
    qint64 chargedBytes() const { return charged_; }

private:
    static constexpr qint64 kCellOverhead = 16; // the allocator's own
    void measure();
    // Adds up what `tracer` marked, from its roots, and clears the marks
    // of every cell unless `sweep` frees the unmarked ones.
    qint64 trace(Tracer& tracer, bool sweep);

    std::vector<std::unique_ptr<GcCell>> cells_;
    qsizetype sinceCollection_ = 0;
    std::function<void(Tracer&)> markRoots_;
    qint64 live_ = 0;
    qint64 charged_ = 0;
    QSet<const void*> chargedStrings_; // long strings counted since the last measure
    bool overBudget_ = false;
};

} // namespace movie::avm1
