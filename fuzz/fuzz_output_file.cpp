// Open Output over arbitrary bytes, as the dialog does it: the file's bytes
// become the pane's text, which a save writes back. The pane must hold the
// file's lines, counted here independently, each followed by CR LF; a save of
// that text must read back to the same text plus one CR LF.

#include <unistd.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "output/output_file.h"
#include "output/qt_output_pane_file.h"
#include "runtime/output_file_system.h"
#include "runtime/text_file.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// Every line of the text followed by CR LF. A line ends at CR LF, at a lone
// CR or at a lone LF; the end of the text ends an unterminated last line.
std::string recountedPaneText(std::string_view text) {
    std::string pane;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        pane.append(text.substr(start, i - start)).append("\r\n");
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) pane.append(text.substr(start)).append("\r\n");
    return pane;
}

struct Desktop {
    int argc = 1;
    char name[8] = "fuzz";
    char* argv[2] = {name, nullptr};
    QApplication app{argc, argv};
    QPlainTextEdit edit;
    velmora::OutputPaneFile pane{&edit};
    std::string path;
};

Desktop& desktop() {
    static Desktop* d = nullptr;
    if (d == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        d = new Desktop;
        d->path = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        d->path += "/velmora_fuzz_output_" + std::to_string(::getpid()) + ".txt";
        std::atexit([] { ::unlink(desktop().path.c_str()); });
    }
    return *d;
}

// What cmdOpen puts into the pane for the bytes of a file.
void open(velmora::OutputPaneFile& pane, std::string_view bytes) {
    pane.replaceFromFile(velmora::paneTextOfFile(bytes), velmora::outputFileEncoding(bytes));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    desktop();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    Desktop& d = desktop();
    const std::string_view file(reinterpret_cast<const char*>(bytes), size);
    const std::string lines = recountedPaneText(file);
    if (velmora::paneTextOfFile(file) != lines) fail("the pane text is not the file's lines");

    open(d.pane, file);
    if (d.pane.fileText() != lines) fail("the pane does not hold the file's lines");

    velmora::OutputFileSystem files;
    if (!velmora::saveOutputFile(files, d.path, d.pane.fileText())) fail("the save failed");
    const velmora::Expected<std::string> saved = velmora::readFileBytes(d.path);
    if (!saved || *saved != lines + "\r\n") fail("the saved file is not the text and one CR LF");
    open(d.pane, *saved);
    if (d.pane.fileText() != lines + "\r\n") fail("the saved file did not read back");
    // What the program's event loop does between two commands: the widget's
    // posted updates would otherwise pile up.
    QCoreApplication::processEvents();
    return 0;
}
