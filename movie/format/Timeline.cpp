#include "movie/format/Timeline.h"

namespace movie {

int Timeline::findLabel(const QByteArray& label) const
{
    for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i].label == label)
            return static_cast<int>(i);
    // Frame labels were matched without regard to case by older players.
    for (size_t i = 0; i < frames.size(); ++i)
        if (!frames[i].label.isEmpty() && frames[i].label.compare(label, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

} // namespace movie
