#include "shell/output_pane.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace velmora {

namespace {

constexpr char16_t kCrPicture = u'\u240D';
constexpr char16_t kLfPicture = u'\u240A';

// The document's raw text with its paragraph and line separators as '\n', the
// form setPlainText takes back unchanged. Working on this form rather than on
// the 8-bit text keeps characters the user typed beyond Latin-1 through an append.
QString rawToPlain(QString raw) {
    for (QChar& ch : raw) {
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator) {
            ch = u'\n';
        }
    }
    return raw;
}

}  // namespace

QString paneTextToWidget(std::string_view paneText) {
    QString result;
    result.reserve(static_cast<qsizetype>(paneText.size()));
    for (std::size_t i = 0; i < paneText.size(); ++i) {
        const char ch = paneText[i];
        if (ch == '\r' && i + 1 < paneText.size() && paneText[i + 1] == '\n') {
            result.append(u'\n');
            ++i;
        } else if (ch == '\r') {
            result.append(QChar(kCrPicture));
        } else if (ch == '\n') {
            result.append(QChar(kLfPicture));
        } else {
            result.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(ch))));
        }
    }
    return result;
}

std::string widgetTextToPane(const QString& rawText) {
    std::string result;
    result.reserve(static_cast<std::size_t>(rawText.size()) + 64);
    for (const QChar ch : rawText) {
        const char16_t u = ch.unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator || u == u'\n') {
            result += "\r\n";
        } else if (u == kCrPicture) {
            result += '\r';
        } else if (u == kLfPicture) {
            result += '\n';
        } else if (u <= 0xFF) {
            result += static_cast<char>(static_cast<unsigned char>(u));
        } else {
            result += '?';
        }
    }
    return result;
}

QString widgetTextToClipboard(QString selectedText) {
    for (QChar& ch : selectedText) {
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator || ch == kLfPicture) {
            ch = u'\n';
        } else if (ch == kCrPicture) {
            ch = u'\r';
        }
    }
    return selectedText;
}

void OutputPane::append(std::string_view block) {
    // One assignment of old text + block: the block's first line continues
    // whatever the old last line was, so nothing may be trimmed or added here.
    m_edit->setPlainText(rawToPlain(m_edit->document()->toRawText()) + paneTextToWidget(block));
}

std::string OutputPane::text() const { return widgetTextToPane(m_edit->document()->toRawText()); }

void OutputPane::clear() { m_edit->setPlainText(QString()); }

}  // namespace velmora
