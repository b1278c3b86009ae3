#include "movie/avm1/Heap.h"

#include "movie/avm1/Object.h"

namespace movie::avm1 {

void Tracer::mark(GcCell* cell)
{
    if (cell && !cell->marked_) {
        cell->marked_ = true;
        pending_.push_back(cell);
    }
}

void Tracer::mark(const Value& value)
{
    if (Object* o = value.object())
        mark(o);
}

void Heap::collect(Tracer& tracer)
{
    while (!tracer.pending_.empty()) {
        const GcCell* cell = tracer.pending_.back();
        tracer.pending_.pop_back();
        cell->traceChildren(tracer);
    }
    std::vector<std::unique_ptr<GcCell>> kept;
    kept.reserve(cells_.size());
    for (auto& cell : cells_) {
        if (cell->marked_) {
            cell->marked_ = false;
            kept.push_back(std::move(cell));
        }
    }
    cells_ = std::move(kept);
    sinceCollection_ = 0;
}

void Heap::clear()
{
    cells_.clear();
    sinceCollection_ = 0;
}

} // namespace movie::avm1
