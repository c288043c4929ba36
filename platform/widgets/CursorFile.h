#pragma once
// Loads a mouse pointer from a cursor file (.cur): the first image, with the
// hot spot that the file records for it.

#include <QByteArray>
#include <QCursor>
#include <optional>

namespace platform {

// Largest cursor file accepted; real ones are a few KiB.
inline constexpr qsizetype kMaxCursorFileBytes = 1 << 20;

// Nothing when the bytes are not a cursor file or its image cannot be read.
[[nodiscard]] std::optional<QCursor> CursorFromBytes(const QByteArray& bytes);
// Reads a file (a Qt resource path works too).
[[nodiscard]] std::optional<QCursor> LoadCursorFile(const QString& path);

} // namespace platform
