#pragma once

#include <atomic>

namespace movie {

// A request, made from another thread, that the engine's work on this
// thread end soon. The title preview loads, plays and draws its movie on a
// thread of its own and asks it to stop when the preview stops, hides or
// takes another movie; the engine's long loops (reading tags, unpacking,
// decoding a picture, running scripts, drawing) look now and then and end
// early, leaving work that will be thrown away. The tools never ask, so for
// them this is always false.
bool interruptionRequested();

// While it lives, `flag` set from any thread asks the engine's work on the
// thread that made it to stop.
class InterruptionScope {
public:
    explicit InterruptionScope(const std::atomic<bool>& flag);
    ~InterruptionScope();
    InterruptionScope(const InterruptionScope&) = delete;
    InterruptionScope& operator=(const InterruptionScope&) = delete;

private:
    const std::atomic<bool>* outer_;
};

} // namespace movie
