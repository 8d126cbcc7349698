#pragma once
// Small pieces the trainer, template and document windows share.
#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QString>

#include "platform/dialogs.h"
#include "widgets/datasetmodel.h"

namespace staff_docs {

// The question before a row is deleted, through the program's dialogs
// ("Bestätigung", "Ja"/"Nein"); true for "Ja".
inline bool loeschenBestaetigen(const QString& text) {
    return platform::dialogs().confirm(text, QStringLiteral("Bestätigung"),
                                       platform::Buttons::JaNein) == platform::Answer::Ja;
}

// The background of number columns and fields the user cannot change.
inline QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

// A grid column on `field`; an empty title takes the field's label, width 0
// the field's width.
inline widgets::DbGridColumn spalte(const QString& field, const QString& title = QString(),
                                    int width = 0) {
    widgets::DbGridColumn c;
    c.fieldName = field;
    c.title = title;
    c.width = width;
    return c;
}

// A number column the user cannot change, on the button-face background.
inline widgets::DbGridColumn nummernspalte(const QString& field, const QString& title = QString(),
                                           int width = 0) {
    widgets::DbGridColumn c = spalte(field, title, width);
    c.readOnly = true;
    c.color = buttonFace();
    return c;
}

}  // namespace staff_docs
