// setInterval, setTimeout, clearInterval and clearTimeout: calls of a
// function, or of an object's method by name, at times of the player's
// clock.

#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/Clock.h"

#include <cmath>

namespace movie::avm1 {

namespace {

struct Timer {
    int id = 0;
    double due = 0;
    double interval = 0;
    bool repeats = true;
    Value function; // a function, or else
    Value object;   // an object and
    Value method;   // the name of its method, read at each call
    std::vector<Value> args;
};

struct TimerList : NativeState {
    std::vector<Timer> timers;
    int lastId = 0;

    void trace(Tracer& tracer) const override
    {
        for (const Timer& t : timers) {
            tracer.mark(t.function);
            tracer.mark(t.object);
            tracer.mark(t.method);
            for (const Value& v : t.args)
                tracer.mark(v);
        }
    }
};

// setInterval(function, ms, args...) or setInterval(object, "method", ms,
// args...): the timer's id, or undefined when the call names no function
// or object, or no time.
Value setTimer(Runtime& rt, NativeCall& c, bool repeats)
{
    Object* first = c.arg(0).object();
    if (!first)
        return {};
    const bool method = !first->isFunction();
    const qsizetype timeAt = method ? 2 : 1;
    if (c.count() <= timeAt || c.arg(timeAt).isUndefined())
        return {};
    auto& list = rt.extension<TimerList>();
    if (int(list.timers.size()) >= limits::kMaxTimers)
        return {};
    Timer t;
    const double ms = rt.toNumber(c.arg(timeAt));
    t.interval = std::isfinite(ms) && ms > 0 ? ms : 0;
    t.due = rt.elapsedMs() + t.interval;
    t.repeats = repeats;
    if (method) {
        t.object = c.arg(0);
        t.method = c.arg(1);
    } else {
        t.function = c.arg(0);
    }
    t.args.assign(c.args.begin() + timeAt + 1, c.args.end());
    t.id = ++list.lastId;
    list.timers.push_back(std::move(t));
    return Value(list.lastId);
}

Value globalSetInterval(Runtime& rt, NativeCall& c) { return setTimer(rt, c, true); }

Value globalSetTimeout(Runtime& rt, NativeCall& c) { return setTimer(rt, c, false); }

Value globalClearTimer(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    const double id = rt.toNumber(c.arg(0));
    std::erase_if(rt.extension<TimerList>().timers, [id](const Timer& t) { return t.id == id; });
    return {};
}

} // namespace

void runDueTimers(Runtime& rt)
{
    auto& list = rt.extension<TimerList>();
    const double now = rt.elapsedMs();
    for (int calls = 0; calls < limits::kMaxTimerCallsPerTurn; ++calls) {
        auto next = list.timers.end();
        for (auto it = list.timers.begin(); it != list.timers.end(); ++it)
            if (it->due <= now && (next == list.timers.end() || it->due < next->due))
                next = it;
        if (next == list.timers.end())
            return;
        // The call may set and clear timers: it works on a copy.
        const Timer t = *next;
        if (t.repeats)
            next->due += std::max(t.interval, 1.0); // an interval of 0 runs once a millisecond
        else
            list.timers.erase(next);
        try {
            if (t.function.isObject()) {
                rt.callFromPlayer(t.function, Value(), t.args);
            } else {
                const Value f = rt.get(t.object, rt.toString(t.method));
                rt.callFromPlayer(f, t.object, t.args);
            }
        } catch (const ScriptThrow& thrown) {
            rt.warnUncaught(thrown.value); // from the method's name
        } catch (const ScriptAbort&) {
            return;
        }
        rt.runQueue();
    }
}

bool hasTimers(Runtime& rt) { return !rt.extension<TimerList>().timers.empty(); }

void installTimerBuiltins(Runtime& rt, Object* global)
{
    defineMethods(rt, global,
                  {{"setInterval", globalSetInterval},
                   {"clearInterval", globalClearTimer},
                   {"setTimeout", globalSetTimeout},
                   {"clearTimeout", globalClearTimer}});
}

} // namespace movie::avm1
