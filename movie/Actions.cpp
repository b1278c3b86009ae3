#include "movie/Actions.h"

#include "movie/SwfReader.h"

namespace movie {

namespace {
enum Code : quint8 {
    End = 0x00,
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    GotoFrame = 0x81,
    SetTarget = 0x8B,
    GotoLabel = 0x8C,
};
} // namespace

ActionList readActions(SwfReader& r)
{
    ActionList actions;
    bool otherTarget = false;
    while (!r.atEnd()) {
        const quint8 code = r.u8();
        if (code == End)
            break;
        SwfReader payload;
        if (code >= 0x80)
            payload = r.sub(r.u16());
        if (r.overrun())
            break;
        if (code == SetTarget) {
            otherTarget = !payload.string().isEmpty();
            continue;
        }
        if (otherTarget)
            continue;
        switch (code) {
        case NextFrame:
            actions.push_back({Action::Kind::NextFrame, 0, {}});
            break;
        case PreviousFrame:
            actions.push_back({Action::Kind::PreviousFrame, 0, {}});
            break;
        case Play:
            actions.push_back({Action::Kind::Play, 0, {}});
            break;
        case Stop:
            actions.push_back({Action::Kind::Stop, 0, {}});
            break;
        case GotoFrame:
            actions.push_back({Action::Kind::GotoFrame, payload.u16(), {}});
            break;
        case GotoLabel:
            actions.push_back({Action::Kind::GotoLabel, 0, payload.string()});
            break;
        default:
            break;
        }
    }
    return actions;
}

} // namespace movie
