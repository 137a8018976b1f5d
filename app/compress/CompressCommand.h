#pragma once

#include <QString>

// `corvella --compress FILE [-o OUT]`: minifies the UTF-8 script FILE. Without
// an output path the minified text goes to standard output exactly as UTF-8,
// nothing added; with one it is written like the compressed-content dialog's
// export (pure ASCII with \uXXXX escapes, through a temporary file that
// replaces OUT only when complete). Returns 0, or 2 after a one-line message on
// standard error when FILE cannot be read or the output cannot be written.
// A byte-order mark at the start of FILE is dropped on both paths; with a
// UTF-16 mark the file is read as UTF-16. Only regular files up to a limit
// are read (a device or a pipe would never end), and the output file is
// replaced only when every byte of it was written.
//
// Streams: the file is read and written in fixed-size chunks, so memory stays
// small and hot whatever the file's size. Needs no application object.
int runCompressCommand(const QString &inputPath, const QString &outputPath);
