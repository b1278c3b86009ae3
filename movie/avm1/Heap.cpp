#include "movie/avm1/Heap.h"

#include "movie/Limits.h"
#include "movie/avm1/Object.h"

#include <algorithm>

namespace movie::avm1 {

void Tracer::mark(GcCell* cell)
{
    if (cell && !cell->marked_) {
        cell->marked_ = true;
        pending_.push_back(cell);
        bytes_ += cell->ownBytes();
    }
}

void Tracer::mark(const Value& value)
{
    if (Object* o = value.object()) {
        mark(o);
    } else if (value.isString()) {
        const QString& s = value.string();
        if (s.size() < kLongString || !longStrings_.contains(s.constData())) {
            if (s.size() >= kLongString)
                longStrings_.insert(s.constData());
            bytes_ += bytesOf(s);
        }
    }
}

qint64 Heap::trace(Tracer& tracer, bool sweep)
{
    while (!tracer.pending_.empty()) {
        const GcCell* cell = tracer.pending_.back();
        tracer.pending_.pop_back();
        cell->traceChildren(tracer);
    }
    if (sweep) {
        std::vector<std::unique_ptr<GcCell>> kept;
        kept.reserve(cells_.size());
        for (auto& cell : cells_) {
            if (cell->marked_) {
                cell->marked_ = false;
                kept.push_back(std::move(cell));
            }
        }
        cells_ = std::move(kept);
    } else {
        for (auto& cell : cells_)
            cell->marked_ = false;
    }
    return tracer.bytes_ + qint64(cells_.size()) * kCellOverhead;
}

bool Heap::collectionDue() const
{
    return sinceCollection_ >= std::max<qsizetype>(20000, size()) || overBudget_
        || charged_ > std::max<qint64>(2 * live_, limits::kMaxScriptHeapBytes / 8);
}

void Heap::collect(Tracer& tracer)
{
    live_ = trace(tracer, true);
    charged_ = 0;
    chargedStrings_.clear();
    overBudget_ = live_ > limits::kMaxScriptHeapBytes;
    sinceCollection_ = 0;
}

void Heap::measure()
{
    Tracer tracer;
    if (markRoots_)
        markRoots_(tracer);
    live_ = trace(tracer, false);
    charged_ = 0;
    chargedStrings_.clear();
}

void Heap::charge(qint64 bytes)
{
    charged_ += bytes;
    if (live_ + charged_ <= limits::kMaxScriptHeapBytes)
        return;
    if (charged_ > live_ / 8)
        measure();
    overBudget_ = live_ + charged_ > limits::kMaxScriptHeapBytes;
}

void Heap::chargeString(const QString& s)
{
    if (s.size() >= Tracer::kLongString) {
        if (chargedStrings_.contains(s.constData()))
            return;
        chargedStrings_.insert(s.constData());
    }
    charge(Tracer::bytesOf(s));
}

void Heap::clear()
{
    cells_.clear();
    sinceCollection_ = 0;
    live_ = charged_ = 0;
    chargedStrings_.clear();
    overBudget_ = false;
}

} // namespace movie::avm1
