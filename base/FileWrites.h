#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

// Files that land whole or not at all. The new contents go to a new file
// beside the target, written straight to the system (no buffer whose
// failure could surface unseen later); every step is checked: each byte
// written, the file synced to the disk and closed. Only then is the new file
// renamed over the target, in one step, and the folder synced, so that the
// rename itself is on the disk when the write reports success. On any
// failure before the rename the new file is removed and the target stays as
// it was, byte for byte: a full disk never costs the file that was there.
//
// New files are named after their target, a dot and eight hexadecimal
// digits. A write that was cut off (the program killed, the power gone)
// leaves one behind; each write removes those of its target first.
namespace FileWrites {

// Replaces or creates `path` with `bytes`. Where `path` is a symbolic link,
// the file it points to is replaced and the link stays, as an editor saves
// through a link: this is for files the user named (the skin file picked in
// the save dialog, the editor's settings file). False on any failure.
bool replace(const QString& path, QByteArrayView bytes);

// Replaces or creates `target` with a copy of the regular file `source`,
// taking its permissions. A link at `target` is itself replaced, never
// followed: this is for names the editor makes up (a backup, an import's
// files), which a skin from elsewhere may hold as links to any file. False
// on any failure, also when the source is no regular file or cannot be read
// to its end.
bool copy(const QString& source, const QString& target);

// Renames `source` to `target`, replacing a file (or a link) of that name in
// one step, so a failed rename never loses the file it would have replaced.
bool renameReplacing(const QString& source, const QString& target);

// The steps that reach the disk. Tests watch them through a hook, which
// sees each step before it runs and may make it fail as a full disk would.
enum class Step { Write, Sync, Rename, SyncFolder };
using StepHook = std::function<bool(Step step, const QString& target)>;
// An empty hook removes the one set before.
void setStepHookForTesting(StepHook hook);

} // namespace FileWrites
