// How long the output pane takes a new report when it already holds a lot of
// text: pane_append_bench [MEGABYTES] (default 50). Fills the pane with copies
// of a report, then times appending one more report and reading the text back.
// Runs without a display (offscreen platform).

#include <QApplication>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/qt_output_pane.h"

namespace {

// A Descriptives report as the program writes it: 12 lines, about 0.8 KB.
std::string sampleReport() {
    std::string r = "DESCRIPTIVES\r\n" + std::string(60, '-') + "\r\n";
    r += "Name            Mean        SD       Min       Max         N\r\n";
    r += std::string(60, '-') + "\r\n";
    for (int v = 1; v <= 6; ++v)
        r += "Var " + std::to_string(v) +
             "         52.882     9.022      30.5      67.9        39\r\n";
    r += std::string(60, '-') + "\r\n\r\n\r\n";
    return r;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // make bench passes Google Benchmark's flags to every benchmark: not a size.
    const bool sized = argc > 1 && argv[1][0] != '-';
    const double megabytes = sized ? std::atof(argv[1]) : 50.0;
    QApplication app(argc, argv);
    QPlainTextEdit edit;
    edit.resize(900, 500);
    edit.show();
    velmora::OutputPane pane(&edit);

    const std::string report = sampleReport();
    std::string fill;
    const auto target = static_cast<std::size_t>(megabytes * 1e6);
    fill.reserve(target + report.size());
    while (fill.size() < target) fill += report;

    auto start = std::chrono::steady_clock::now();
    pane.append(fill);
    QApplication::processEvents();
    std::printf("fill: %.1f MB in %.3f s\n", static_cast<double>(fill.size()) / 1e6,
                secondsSince(start));

    std::vector<double> appends;
    std::vector<double> reads;
    for (int i = 0; i < 5; ++i) {
        start = std::chrono::steady_clock::now();
        pane.append(report);
        QApplication::processEvents();  // the repaint the user waits for
        appends.push_back(secondsSince(start));
        start = std::chrono::steady_clock::now();
        const std::string text = pane.text();
        reads.push_back(secondsSince(start));
        if (text.size() != fill.size() + report.size() * static_cast<std::size_t>(i + 1)) {
            std::fprintf(stderr, "the pane lost text\n");
            return 1;
        }
    }
    std::sort(appends.begin(), appends.end());
    std::sort(reads.begin(), reads.end());
    std::printf("append one report: median %.3f s, worst %.3f s\n", appends[2], appends[4]);
    std::printf("read the whole text: median %.3f s\n", reads[2]);
    return 0;
}
