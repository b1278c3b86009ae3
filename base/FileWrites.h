#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

// Files that land whole or not at all. The new contents go to a new file
// beside the target, written straight to the system (no buffer whose
// failure could surface unseen later); every step is checked: each byte
// written, the file synced to the disk and closed. Only then is the new file
// renamed over the target, in one step. On any failure the new file is
// removed and the target stays as it was, byte for byte: a full disk never
// costs the file that was there.
namespace FileWrites {

// Replaces or creates `path` with `bytes`. False on any failure.
bool replace(const QString& path, QByteArrayView bytes);

// Replaces or creates `target` with a copy of the file `source`. False on
// any failure, also when the source cannot be read to its end.
bool copy(const QString& source, const QString& target);

// Renames `source` to `target`, replacing a file of that name in one step,
// so a failed rename never loses the file it would have replaced.
bool renameReplacing(const QString& source, const QString& target);

// The steps that reach the disk. Tests watch them through a hook, which
// sees each step before it runs and may make it fail as a full disk would.
enum class Step { Write, Sync, Rename };
using StepHook = std::function<bool(Step step, const QString& target)>;
// An empty hook removes the one set before.
void setStepHookForTesting(StepHook hook);

} // namespace FileWrites
