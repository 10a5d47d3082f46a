#include "runtime/qt_directory_listing.h"

#include <dirent.h>

#include <QFile>
#include <algorithm>

namespace velmora {

// A path made absolute against `base` and cleaned; "/" for the root.
QString normalPath(const QString& path, const QString& base) {
    return QDir::cleanPath(QDir(base).absoluteFilePath(path));
}

bool canReadDirectory(const QString& path) {
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (dir == nullptr) return false;
    ::closedir(dir);
    return true;
}

namespace {

// Names case-insensitively, as a person scans a list; the exact comparison
// only breaks ties so that the order never depends on the listing.
bool nameLess(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

}  // namespace

QStringList sortedNames(const QString& path, QDir::Filters filters, const QStringList& patterns) {
    QStringList names =
        QDir(path).entryList(patterns, filters | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), nameLess);
    return names;
}

}  // namespace velmora
