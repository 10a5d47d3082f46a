#pragma once

#include <QString>
#include <string>

#include "runtime/qt_dir_list_box.h"
#include "runtime/qt_drive_list_box.h"
#include "runtime/qt_file_list_box.h"

namespace velmora {

// The drive, directory and file list controls of the forms runtime, over the
// local file system. Paths use "/"; the root directory's path is "/" and every
// other path has no trailing "/", so `path + "/" + name` gives "//name" in the
// root, which the file system reads as "/name". Paths are made absolute and
// cleaned ("." and ".." removed) but symbolic links are kept as given.
// Hidden entries (names starting with ".") are not listed.
//
// The directory and file lists follow the disk: while a directory is shown,
// entries created, renamed or deleted in it (by this program or any other)
// appear in the list or leave it within a moment, with the entry the user was
// on kept where it still exists.
//
// The controls know nothing of the windows that use them; linkFileSelection
// wires a trio together.

// Links the trio as the forms do: a drive change moves the directory list to
// that drive; when the drive cannot be read, the drive list is set back,
// silently, to the drive of the directory shown, and that change is handled
// like any other (the directory list moves to that drive's root). Should the
// directory list fail there too, the chain stops: the drive list shows the
// directory's drive and the directory and file lists stay as they were. A
// directory change moves the file list. Used by the main window and both
// output dialogs.
void linkFileSelection(DriveListBox* drive, DirListBox* directory, FileListBox* files);

// The 8-bit form of a path from the lists, as the program stores and opens it
// (the main window's m_strFileName, the output dialogs' files): the file
// system's encoding of the name, so that a name outside Latin-1 opens as listed.
std::string storedPath(const QString& path);

}  // namespace velmora
