#pragma once
// What the phase tool windows' test files share.
#include "support/ui/TestMainForm.h"

#include <QLineEdit>
#include <QStringList>

#include <initializer_list>

namespace corvane {

using Kind = test::ScriptedDialogs::Kind;

/// The size of the picture the window shows; empty when there is no such window.
inline QSize ShownSize(const ui::TMDIChildForm* window) {
    return window ? window->Bitmap().size() : QSize();
}

/// The edits' texts, joined by spaces.
inline QString Texts(std::initializer_list<const QLineEdit*> edits) {
    QStringList texts;
    for (const QLineEdit* edit : edits)
        texts << edit->text();
    return texts.join(' ');
}

} // namespace corvane
