#include "widgets/common.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "db/dataset.h"
#include "db/datasource.h"
#include "widgets/datasetmodel.h"
#include "widgets/dbnavigator.h"
#include "widgets/fielddatalink.h"

namespace widgets {

bool KeyHooks::applyKeyHooks(QKeyEvent* e, std::unique_ptr<QKeyEvent>& replacement) const {
    replacement.reset();
    if (onKeyDown) {
        int key = e->key();
        onKeyDown(key, e->modifiers());
        if (key == 0) {
            e->accept();
            return false;
        }
    }
    if (onKeyPress && e->text().size() == 1) {
        QChar ch = e->text().at(0);
        const QChar before = ch;
        onKeyPress(ch);
        if (ch.isNull()) {
            e->accept();
            return false;
        }
        if (ch != before) {
            int key = e->key();
            // Keep the key code in step with the character for the keys that
            // controls treat by code.
            if (ch == QLatin1Char('\r')) key = Qt::Key_Return;
            else if (ch.unicode() < 0x80 && ch.isPrint()) key = ch.toUpper().unicode();
            replacement = std::make_unique<QKeyEvent>(e->type(), key, e->modifiers(), QString(ch),
                                                      e->isAutoRepeat(), ushort(e->count()));
        }
    }
    return true;
}

bool isTextChangingKey(const QKeyEvent* e) {
    if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) ||
        e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) ||
        e->matches(QKeySequence::DeleteEndOfWord) || e->matches(QKeySequence::DeleteStartOfWord) ||
        e->matches(QKeySequence::DeleteEndOfLine) || e->matches(QKeySequence::DeleteCompleteLine))
        return true;
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).isPrint();
}

namespace {
ConfirmHandler& handler() {
    static ConfirmHandler h;
    return h;
}
}  // namespace

void setConfirmHandler(ConfirmHandler h) { handler() = std::move(h); }

bool confirm(const QString& text, QWidget* parent) {
    if (handler()) return handler()(text);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigung"), text, QMessageBox::NoButton,
                    parent);
    QPushButton* ja = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* nein = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(ja);
    box.setEscapeButton(nein);
    box.exec();
    return box.clickedButton() == ja;
}

void raiseLater(std::exception_ptr e) {
    if (!e || !QCoreApplication::instance()) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [e] { std::rethrow_exception(e); }, Qt::QueuedConnection);
}

void resyncDatasets(QWidget* window) {
    if (!window) return;
    QList<db::Dataset*> datasets;
    auto add = [&datasets](db::DataSource* ds) {
        db::Dataset* d = ds ? ds->dataset() : nullptr;
        if (d && !datasets.contains(d)) datasets << d;
    };
    for (FieldDataLink* link : window->findChildren<FieldDataLink*>()) add(link->dataSource());
    for (DatasetModel* model : window->findChildren<DatasetModel*>()) add(model->dataSource());
    for (DbNavigator* nav : window->findChildren<DbNavigator*>()) add(nav->dataSource());
    for (db::Dataset* d : datasets) d->resync();
}

}  // namespace widgets
