#pragma once
// An icon whose picture file is read when the icon is first drawn or
// measured, not when it is made: a window that makes many icons at its start
// (the navigator's entries, most of them in collapsed groups) reads only
// those it shows.
#include <QIcon>
#include <QString>

namespace widgets {

QIcon iconBeiBedarf(const QString& file);

}  // namespace widgets
