#include "runtime/qt_file_system_lists.h"

#include <QFile>

namespace velmora {

void linkFileSelection(DriveListBox* drive, DirListBox* directory, FileListBox* files) {
    QObject::connect(drive, &DriveListBox::changed, directory, [drive, directory] {
        if (directory->setPath(drive->drive())) return;
        // Back to the drive of the directory shown. That is a drive change of
        // its own and comes back here; should it fail as well, the next
        // setDrive finds that drive already chosen and emits nothing, so the
        // chain ends after one recovery.
        drive->setDrive(directory->path());
    });
    QObject::connect(directory, &DirListBox::changed, files,
                     [directory, files] { files->setPath(directory->path()); });
}

std::string storedPath(const QString& path) {
    // The pane shows these bytes one to one.
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace velmora
