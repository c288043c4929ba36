#pragma once
// A program held in anonymous memory instead of a file (memfd_create),
// sealed against change, and run through its descriptor as fexecve does
// (the path /proc/self/fd/N names it in the process that executes it). For
// a converter that no folder would let us run.

#include <QByteArray>
#include <QString>

namespace platform {

class MemoryProgram {
public:
    // Copies `bytes` into sealed anonymous memory; IsValid() tells whether
    // that worked.
    explicit MemoryProgram(const QByteArray& bytes);
    ~MemoryProgram();
    MemoryProgram(const MemoryProgram&) = delete;
    MemoryProgram& operator=(const MemoryProgram&) = delete;

    bool IsValid() const { return fd_ >= 0; }
    // What to start: the descriptor's path, valid in a child forked from
    // this process (empty when not valid). The descriptor is closed on
    // exec, so the started program does not keep it.
    QString Path() const;

private:
    int fd_ = -1;
};

} // namespace platform
