#pragma once

#include <string>
#include <string_view>

#include "output/qt_output_pane_file.h"

namespace velmora {

// The output pane txtOutput and its append contract. Every writer goes through
// append(); it inserts the block at the end of the text, adding nothing
// between the old text and the block, and leaves the pane as one assignment
// of old text + block would: no selection, the caret and the view at the
// start, no undo step back into the old text.
class OutputPane : public OutputPaneFile {
public:
    using OutputPaneFile::OutputPaneFile;

    // `block`: whole lines, each ending in CR LF.
    void append(std::string_view block);
    // The whole text, lines separated by CR LF.
    std::string text() const;
    // Text := empty. The pane forgets the encoding of a file it was opened from.
    void clear();
};

}  // namespace velmora
