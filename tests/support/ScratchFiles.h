#pragma once
// Files for tests that lay out a scratch folder as a user's folders might look.

#include <QByteArray>
#include <QString>

class QTemporaryDir;

namespace scratch {

// A device that reads as endless zeros, for links in place of files. Where the test may
// make device nodes (as root) it is a private one in dir: a fault that writes through the
// link, or renames a file over its target, then replaces that copy and never the system's
// /dev/zero. Elsewhere it is /dev/zero itself, which such a user cannot replace.
QString zeroDevice(const QTemporaryDir& dir);

// True while path is still a character device.
bool isCharacterDevice(const QString& path);

// Writes contents as the whole of an ordinary file; false if it cannot.
bool writeFile(const QString& path, const QByteArray& contents);
// The file's contents; empty if it cannot be read.
QByteArray contentsOf(const QString& path);

} // namespace scratch
