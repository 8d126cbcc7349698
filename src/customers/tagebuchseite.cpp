#include "customers/tagebuchseite.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "platform/application.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/feldbau.h"

using widgets::DbNavigator;
using widgets::spalte;

namespace tagebuchseite {

namespace {

// The date column's keys: "+"/"-" step the date by a day instead of reaching
// the cell, "," becomes the date's ".".
void datumstasten(widgets::DbGrid* grid, db::DataSource* ds, QChar& ch) {
    if (grid->selectedFieldName().compare(QLatin1String("DATUM"), Qt::CaseInsensitive) != 0) return;
    if (ch == QLatin1Char(',')) {
        ch = QLatin1Char('.');
        return;
    }
    if (ch != QLatin1Char('+') && ch != QLatin1Char('-')) return;
    const int tage = ch == QLatin1Char('+') ? 1 : -1;
    ch = QChar();
    platform::guarded([&] {
        db::Dataset* d = ds->dataset();
        if (!d || !d->isActive()) return;
        // A date typed into the open cell counts first.
        if (grid->cellEditor()) grid->commitEditor();
        d->edit();
        db::Field* f = d->fieldByName(QStringLiteral("DATUM"));
        if (f->isNull()) return;
        f->setAsDateTime(f->asDateTime().addDays(tage));
    });
}

}  // namespace

Tagebuchseite bauen(QWidget* seite, db::DataSource* ds, std::function<bool(const QString&)> loeschenBestaetigt) {
    Tagebuchseite t;
    auto* tb = new QVBoxLayout(seite);
    tb->setContentsMargins(0, 0, 0, 0);
    t.grid = new widgets::DbGrid(seite);
    t.grid->setObjectName(QStringLiteral("dbg_tagebuch"));
    widgets::DbGridColumn art = spalte(QStringLiteral("TERMINART"), QString(), 14);
    art.pickList = {QStringLiteral("Einzelstunde"), QStringLiteral("Welpenkurs"), QStringLiteral("Junghundekurs"),
                    QStringLiteral("Gruppenkurs")};
    auto text = [](const char* f) { return spalte(QString::fromLatin1(f), QString(), 28); };
    t.grid->setColumns({spalte(QStringLiteral("DATUM"), QString(), 11), art, text("GEPLANT"), text("DURCHGEFUEHRT"),
                        text("BEURTEILUNG"), text("VORAUSPLANUNG")});
    t.grid->confirmDelete = loeschenBestaetigt;
    t.grid->setDataSource(ds);
    widgets::DbGrid* grid = t.grid;
    t.grid->onKeyPress = [grid, ds](QChar& ch) { datumstasten(grid, ds, ch); };

    // How a new entry comes into the diary: the navigator's "+" beside a hint.
    auto* leiste = new QWidget(seite);
    leiste->setObjectName(QStringLiteral("pn_tagebuch"));
    auto* hl = new QHBoxLayout(leiste);
    hl->setContentsMargins(2, 2, 2, 2);
    t.navigator = new DbNavigator(leiste);
    t.navigator->setObjectName(QStringLiteral("DBNavigator4"));
    t.navigator->setVisibleButtons(DbNavigator::Insert | DbNavigator::Delete | DbNavigator::Post |
                                   DbNavigator::Cancel);
    t.navigator->setHint(DbNavigator::Insert, QStringLiteral("Neuer Eintrag im Trainingsprotokoll"));
    t.navigator->setHint(DbNavigator::Delete, QStringLiteral("Eintrag löschen"));
    t.navigator->setHint(DbNavigator::Post, QStringLiteral("Eintrag speichern"));
    t.navigator->setHint(DbNavigator::Cancel, QStringLiteral("Änderung am Eintrag verwerfen"));
    t.navigator->setShowHints(true);
    t.navigator->setDataSource(ds);
    for (int b = DbNavigator::First; b <= DbNavigator::Refresh; b <<= 1)
        if (QToolButton* k = t.navigator->button(DbNavigator::Button(b))) k->setFocusPolicy(Qt::NoFocus);
    t.navigator->confirmDelete = loeschenBestaetigt;
    t.hinweis = new QLabel(
        QStringLiteral("Neuer Eintrag: auf + klicken oder in der letzten Zeile die Taste Pfeil nach unten drücken."),
        leiste);
    t.hinweis->setObjectName(QStringLiteral("lb_tagebuchhinweis"));
    t.hinweis->setWordWrap(true);
    hl->addWidget(t.navigator);
    hl->addWidget(t.hinweis, 1);
    tb->addWidget(leiste);
    tb->addWidget(t.grid, 1);
    return t;
}

}  // namespace tagebuchseite
