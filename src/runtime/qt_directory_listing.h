#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

namespace velmora {

// How the directory and file lists read a directory.

// A path made absolute against `base` and cleaned; "/" for the root.
QString normalPath(const QString& path, const QString& base);

// Whether the directory can really be listed. Permission bits alone would be
// wrong for a privileged user, so the directory is opened.
bool canReadDirectory(const QString& path);

// The entries of `path` that `filters` and the name patterns (all when none)
// admit, sorted by name case-insensitively, as a person scans a list; the
// exact comparison only breaks ties so that the order never depends on the
// listing.
QStringList sortedNames(const QString& path, QDir::Filters filters,
                        const QStringList& patterns = {});

}  // namespace velmora
