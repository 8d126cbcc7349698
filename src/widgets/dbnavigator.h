#pragma once
// A row of buttons that move through and edit a data source's dataset:
// first, prior, next, last, insert, delete, edit, post, cancel, refresh.
//
// The buttons follow the dataset: all are disabled while it is closed;
// first/prior on the first row and next/last on the last row are disabled;
// edit only in browse state, post and cancel only while editing; delete needs
// a row; insert and refresh need an open dataset. Each button calls the
// dataset's method; an error propagates to the application's error box.
// Delete asks "Datensatz löschen?" first (setConfirmDelete, confirmDelete).
//
// Hints: the standard German hints, or the window's own with setHints (in
// button order, like Delphi's Hints list; an entry "kurz|lang" gives the tool
// tip "kurz" and the status tip "lang"). The status tip always carries the
// hint; the tool tip only while showHints() (default on).
#include <QFlags>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "db/dataset.h"  // datasource.h needs the complete Dataset
#include "db/datasource.h"
#include "widgets/common.h"

class QToolButton;
class QHBoxLayout;

namespace widgets {

class DbNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button {
        First = 0x001,
        Prior = 0x002,
        Next = 0x004,
        Last = 0x008,
        Insert = 0x010,
        Delete = 0x020,
        Edit = 0x040,
        Post = 0x080,
        Cancel = 0x100,
        Refresh = 0x200,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    static constexpr Buttons AllButtons = Buttons(0x3FF);
    // first, prior, next, last, insert, delete, post, cancel
    static constexpr Buttons EditButtons = Buttons(0x1BF);
    static constexpr Buttons MoveButtons = Buttons(0x00F);

    explicit DbNavigator(QWidget* parent = nullptr);

    void setDataSource(db::DataSource* ds);
    db::DataSource* dataSource() const { return m_ds; }

    void setVisibleButtons(Buttons b);
    Buttons visibleButtons() const { return m_visible; }

    // Replaces the hints from the first button on (order first, prior, next,
    // last, insert, delete, edit, post, cancel, refresh); buttons beyond the
    // list keep the standard hint.
    void setHints(const QStringList& hints);
    void setHint(Button b, const QString& hint);
    QString hint(Button b) const;
    static QStringList defaultHints();
    void setShowHints(bool on);
    bool showHints() const { return m_showHints; }

    void setConfirmDelete(bool on) { m_confirmDelete = on; }
    bool confirmDeleteEnabled() const { return m_confirmDelete; }
    // The question before deleting; empty: widgets::confirm.
    std::function<bool(const QString& text)> confirmDelete;
    // Runs before a button's action; throw db::Abort to stop it.
    std::function<void(Button)> beforeAction;

    QToolButton* button(Button b) const;
    // Performs a button's action as a click does (if the button is enabled).
    void btnClick(Button b);

    // Brings the buttons' enabled states up to date.
    void updateButtons();

signals:
    // After a button's action ran.
    void clicked(widgets::DbNavigator::Button button);

protected:
    void changeEvent(QEvent* e) override;

private:
    static int indexOf(Button b);
    void applyHint(int i);

    QPointer<db::DataSource> m_ds;
    QToolButton* m_buttons[10] = {};
    QStringList m_hints;
    Buttons m_visible = AllButtons;
    bool m_showHints = true;
    bool m_confirmDelete = true;
    QHBoxLayout* m_layout;
};

}  // namespace widgets

Q_DECLARE_OPERATORS_FOR_FLAGS(widgets::DbNavigator::Buttons)
