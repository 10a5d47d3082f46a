#pragma once

#include <QListWidget>
#include <QString>

namespace velmora {

class ShownDirectoryWatch;

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    // Starts at the process's current directory with the pattern "*".
    explicit FileListBox(QWidget* parent = nullptr);
    QString path() const { return m_path; }
    // Moves to `path` (relative paths are taken from the current path) and
    // lists its files that match the pattern, sorted as the directory list
    // sorts. The selection is cleared. Returns false and changes nothing when
    // the directory cannot be read. Never emits clicked().
    bool setPath(const QString& path);
    QString pattern() const { return m_pattern; }
    // "*.txt", "*.dat"; several patterns may be joined by ";". Matching is
    // case-sensitive, as names are on this file system: "*.txt" does not list
    // "A.TXT". An empty pattern lists every file. Re-reads the listing and
    // clears the selection.
    void setPattern(const QString& pattern);
    // The bare name of the selected file, empty when none.
    QString fileName() const;
signals:
    // A file was selected: by the mouse, the keyboard or the program
    // (setCurrentRow). Refills of the list never emit it.
    void clicked();

private:
    void fill();
    // Lists the shown directory again after a change on the disk, keeping the
    // selected file selected (without a click notice) while it exists.
    void reread();

    QString m_path;
    QString m_pattern = QStringLiteral("*");
    bool m_filling = false;
    ShownDirectoryWatch* m_watch;
};

}  // namespace velmora
