#pragma once

#include <QString>
#include <QTest>
#include <optional>
#include <string>

// Each suite of the shell tests runs through one of these; shell_test_main.cpp
// calls them in turn inside one QApplication.
int runMainLayoutTests(int argc, char** argv);
int runStartupWaitTests(int argc, char** argv);
int runOutputPaneTests(int argc, char** argv);
int runDialogHostTests(int argc, char** argv);
int runSplashTests(int argc, char** argv);
int runMainWindowTests(int argc, char** argv);

// Readable failure messages for the 8-bit pane text and the fake clipboard.
namespace QTest {
template <>
inline char* toString(const std::string& text) {
    return QTest::toPrettyCString(text.data(), static_cast<qsizetype>(text.size()));
}
template <>
inline char* toString(const std::optional<std::string>& text) {
    return text ? QTest::toString(*text) : qstrdup("(empty clipboard)");
}
}  // namespace QTest
