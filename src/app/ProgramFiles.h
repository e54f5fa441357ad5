#pragma once
// The animation files, as appended to the program's folder. The folder is written
// without a trailing separator, so each name brings its own.

#include <QString>

namespace movie_files {
inline const QString Pendulum = QStringLiteral("/Pendulum.swf");
inline const QString BoxUpward = QStringLiteral("/BoxUpward.swf");
inline const QString BoxDownward = QStringLiteral("/BoxDownward.swf");
} // namespace movie_files
