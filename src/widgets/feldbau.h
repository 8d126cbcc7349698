#pragma once
// Builders of the windows' bound controls: each control is created in
// `parent`, carries `name` as its object name (the name tests and the
// windows' key handling find it by) and is bound to `field` of `ds`. A null
// `ds` leaves the control unbound (a window that binds when it is shown).
// Labels go beside them; with a buddy, the label's mnemonic moves the focus
// to the control.
#include <QString>
#include <QStringList>

class QBoxLayout;
class QLabel;
class QWidget;
namespace db {
class DataSource;
}

namespace widgets {

class DbCheckBox;
class DbComboBox;
class DbEdit;
class DbMemo;

DbEdit* boundEdit(QWidget* parent, const QString& name, db::DataSource* ds, const QString& field);
DbMemo* boundMemo(QWidget* parent, const QString& name, db::DataSource* ds, const QString& field);
// The list offers `items`; with `dropDownOnTyping` (the control's default) it
// opens while the user types.
DbComboBox* boundCombo(QWidget* parent, const QString& name, db::DataSource* ds, const QString& field,
                       const QStringList& items, bool dropDownOnTyping = true);
// Stores "J" when ticked and `unchecked` when not (compared ignoring case).
DbCheckBox* boundCheck(QWidget* parent, const QString& name, const QString& text, db::DataSource* ds,
                       const QString& field, const QString& unchecked = QStringLiteral("N"));
QLabel* label(QWidget* parent, const QString& text, QWidget* buddy = nullptr);
// One labelled control of a row: a label with `text` (made in the control's
// parent, no buddy) and then `control` with its `stretch` go into `row`.
// Returns the label.
QLabel* addLabeled(QBoxLayout* row, const QString& text, QWidget* control, int stretch = 0);

// The object name of a bound control without a name of its own: kind prefix
// and column in lower case ("dbe_chipnr", "dbc_herkunft", "dbchk_impfung").
QString boundName(const char* prefix, const QString& field);

}  // namespace widgets
