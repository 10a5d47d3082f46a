#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "runtime/qt_file_system_lists.h"

// The text a control shows as its caption: a frame's title, a button's or a
// label's text, an edit's contents, a combo box's current item. Lists, and
// the drive list (whose item is the disk's, not the design's), have none.
inline QString captionOf(QWidget* widget) {
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return edit->toPlainText();
    if (qobject_cast<velmora::DriveListBox*>(widget) != nullptr) return QString();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
    return QString();
}
