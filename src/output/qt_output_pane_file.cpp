#include "output/qt_output_pane_file.h"

#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTextDocument>
#include <algorithm>

namespace velmora {

namespace {

constexpr char16_t kCrPicture = u'\u240D';
constexpr char16_t kLfPicture = u'\u240A';

// Characters whose lines are separated by CR LF to the widget's form: CR LF is a
// paragraph break, a CR or LF alone its control picture.
QString charactersToWidget(const QString& text) {
    QString result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar ch = text[i];
        if (ch == u'\r' && i + 1 < size && text[i + 1] == u'\n') {
            result.append(u'\n');
            ++i;
        } else if (ch == u'\r') {
            result.append(QChar(kCrPicture));
        } else if (ch == u'\n') {
            result.append(QChar(kLfPicture));
        } else {
            result.append(ch);
        }
    }
    return result;
}

// The widget's raw text to characters whose lines are separated by CR LF.
QString widgetToCharacters(const QString& rawText) {
    QString result;
    result.reserve(rawText.size() + 64);
    for (const QChar ch : rawText) {
        const char16_t u = ch.unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator || u == u'\n') {
            result.append(u"\r\n");
        } else if (u == kCrPicture) {
            result.append(u'\r');
        } else if (u == kLfPicture) {
            result.append(u'\n');
        } else {
            result.append(ch);
        }
    }
    return result;
}

}  // namespace

QString paneTextToWidget(std::string_view paneText) {
    return charactersToWidget(
        QString::fromLatin1(paneText.data(), static_cast<qsizetype>(paneText.size())));
}

std::string widgetTextToPane(const QString& rawText) {
    // Latin-1 has no room for the rest: toLatin1 gives '?' for it.
    const QByteArray bytes = widgetToCharacters(rawText).toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString fileTextToWidget(std::string_view fileText, TextEncoding encoding) {
    const QByteArrayView bytes(fileText.data(), static_cast<qsizetype>(fileText.size()));
    if (encoding == TextEncoding::Latin1) return charactersToWidget(QString::fromLatin1(bytes));
    // fromUtf8 would drop a leading byte order mark, and the file would lose it.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return charactersToWidget(decoder.decode(bytes));
}

std::string widgetTextToFile(const QString& rawText, TextEncoding encoding) {
    const QString characters = widgetToCharacters(rawText);
    const bool latin1 = encoding == TextEncoding::Latin1 &&
                        std::all_of(characters.cbegin(), characters.cend(),
                                    [](QChar ch) { return ch.unicode() <= 0xFF; });
    const QByteArray bytes = latin1 ? characters.toLatin1() : characters.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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

void OutputPaneFile::replaceFromFile(std::string_view fileText, TextEncoding encoding) {
    m_edit->setPlainText(fileTextToWidget(fileText, encoding));
    m_encoding = encoding;
    markSaved();  // the file holds this text
}

bool OutputPaneFile::hasUnsavedText() const {
    const QTextDocument* document = m_edit->document();
    return document->isModified() && !document->isEmpty();
}

void OutputPaneFile::markSaved() {
    m_edit->document()->setModified(false);
}

std::string OutputPaneFile::fileText() const {
    return widgetTextToFile(m_edit->document()->toRawText(), m_encoding);
}

}  // namespace velmora
