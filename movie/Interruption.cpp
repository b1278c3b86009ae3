#include "movie/Interruption.h"

namespace movie {

namespace {
thread_local const std::atomic<bool>* current = nullptr;
} // namespace

bool interruptionRequested() { return current && current->load(std::memory_order_relaxed); }

InterruptionScope::InterruptionScope(const std::atomic<bool>& flag) : outer_(current) { current = &flag; }

InterruptionScope::~InterruptionScope() { current = outer_; }

} // namespace movie
