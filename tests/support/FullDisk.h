#pragma once

#include <QString>

// A folder on a file system that a test fills up, for writes that fail for
// want of space. Where the process may mount (root on Linux) a small tmpfs
// of its own is mounted over the folder and filled with a file; elsewhere
// the process's file-size limit stands in for the full disk, with SIGXFSZ
// ignored so that a write past the limit fails instead of ending the process.
class FullDisk {
public:
    // Mounts over `folder`, which should be empty, where the process may.
    explicit FullDisk(const QString& folder);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // How the disk is made full, for the test's log; empty where neither way
    // works, and the test should skip.
    QString method() const;

    // Leaves room for `bytes` more bytes on the file system (a tmpfs counts
    // whole pages); with the file-size limit, no file may grow past `bytes`.
    void fill(qint64 roomBytes);
    // Gives the space back.
    void release();

    // The file that fills the tmpfs, which is no file of the test's.
    static QString fillerName() { return QStringLiteral(".full-disk-filler"); }

private:
    enum class Method { None, Tmpfs, FileSizeLimit };
    QString folder_;
    Method method_ = Method::None;
    bool limited_ = false;
};
