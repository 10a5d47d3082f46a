#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QPushButton;
class QSvgRenderer;

namespace velmora {

class MessageBoxService;
class OutputFileSystem;
struct DataFilePaths;

// "Bootstrap Plot": a non-modal window showing the picture of the last
// completed run, as the SVG writer drew it, scaled to the window (the aspect
// kept) and sharp at any dpi. "Save As…" writes the picture as SVG (the
// writer's bytes) or PNG (rendered at the window's device pixel ratio, at
// least the picture's own size), "Copy" puts it on the clipboard as an image.
class frmPlot : public QWidget {
    Q_OBJECT
public:
    // `messageBox` and `files` must outlive the window; `dataFiles` tells
    // which data files a save must never replace.
    frmPlot(MessageBoxService& messageBox, OutputFileSystem& files,
            std::function<DataFilePaths()> dataFiles, QWidget* parent = nullptr);
    ~frmPlot() override;

    // Shows `svg` (an SVG document) from now on.
    void setPicture(std::string svg);
    const std::string& picture() const { return m_svg; }
    // The picture at `size` pixels, white behind it.
    QImage image(QSize size) const;

    // Asks for a file name, then saveTo().
    void cmdSaveAs_Click();
    // Writes the picture to `path`: PNG when the name ends in ".png" (any
    // case), otherwise SVG. A data file in use is refused, an existing file
    // replaced only after Yes to the replace question, and a failed write
    // leaves any earlier file as it was and says why. True when written.
    bool saveTo(const std::string& path);
    void cmdCopy_Click();

    QPushButton* cmdSaveAs() const { return m_cmdSaveAs; }
    QPushButton* cmdCopy() const { return m_cmdCopy; }
    QWidget* picView() const { return m_view; }

private:
    MessageBoxService& m_messageBox;
    OutputFileSystem& m_files;
    std::function<DataFilePaths()> m_dataFiles;
    std::string m_svg;
    std::unique_ptr<QSvgRenderer> m_renderer;
    QWidget* m_view = nullptr;
    QPushButton* m_cmdSaveAs = nullptr;
    QPushButton* m_cmdCopy = nullptr;
};

}  // namespace velmora
