#include "customers/offeneposten.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "customers/qr_offeneposten.h"
#include "data/datenmodul.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/statement.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "report/reportpaint.h"
#include "widgets/dbgrid.h"

using platform::guarded;
using widgets::spalte;

namespace {

// The participations not paid, with course, dog and the course's first
// date; a cancelled course owes nothing.
const char* const kAuswahl =
    "select t.ID, t.KNDNR, b.NAME, b.VNAME, h.NAME HUNDNAME, k.KURSNR, k.KURSNAME, k.KURSART, k.GEBUEHR, "
    "(select min(d.DATUM) from KURSTERMINE d where d.KURSNR = k.KURSNR) ERSTER_TERMIN "
    "from TEILNEHMER t join KURSE k on k.KURSNR = t.KURSNR "
    "join KUNDEN b on b.KNDNR = t.KNDNR "
    "left join HUNDE h on h.HUNDNR = t.HUNDNR "
    "where t.BEZAHLT = \"N\" and (k.STATUS is null or k.STATUS <> \"S\")";

}  // namespace

namespace offeneposten {

QVector<Posten> lesen(db::Connection* c, db::Transaction* t, int kndnr) {
    db::Statement s(c, t);
    QString sql = QString::fromLatin1(kAuswahl);
    if (kndnr > 0) sql += QStringLiteral(" and t.KNDNR = ?");
    sql += QStringLiteral(" order by 3, 4, 2, 10 nulls last, 6, 1");
    s.prepare(sql);
    if (kndnr > 0) s.setParam(0, kndnr);
    s.open();
    QVector<Posten> out;
    while (s.fetch()) {
        Posten p;
        p.id = s.value(0).toInt();
        p.kndnr = s.value(1).toInt();
        p.name = s.value(2).toString();
        p.vname = s.value(3).toString();
        p.hund = s.value(4).toString();
        p.kursnr = s.value(5).toInt();
        p.kursname = s.value(6).toString();
        p.kursart = s.value(7).toString();
        const QVariant g = s.value(8);
        if (g.isValid() && !g.isNull()) p.gebuehr = g.toDouble();
        p.ersterTermin = s.value(9).toDateTime();
        out.append(p);
    }
    return out;
}

double summe(const QVector<Posten>& liste) {
    double s = 0;
    for (const Posten& p : liste)
        if (p.gebuehr.isValid()) s += p.gebuehr.toDouble();
    return s;
}

QString betrag(const QVariant& gebuehr) {
    return gebuehr.isValid() && !gebuehr.isNull() ? db::fmt::formatCurrency(gebuehr.toDouble()) : QString();
}

QString datum(const QDateTime& d) {
    return d.isValid() ? db::fmt::formatDateTime(d, QStringLiteral("dd.mm.yyyy")) : QString();
}

QString summentext(const QVector<Posten>& liste) {
    return QStringLiteral("Summe der offenen Posten: ") + db::fmt::formatCurrency(summe(liste)) +
           (liste.size() == 1 ? QStringLiteral(" (1 Posten)") : QStringLiteral(" (%1 Posten)").arg(liste.size()));
}

QStringList kundeSql() {
    return {QString::fromLatin1(kAuswahl), QStringLiteral("and t.KNDNR = :kndnr"),
            QStringLiteral("order by 10 nulls last, 6, 1")};
}

// ---------------------------------------------------------------------------

Kundenseite::Kundenseite(Tdm& data, QWidget* seite, db::DataSource* kunde)
    : QObject(seite), m_dm(data), m_seite(seite), m_kunde(kunde) {
    setObjectName(QStringLiteral("offeneposten_kundenseite"));
    ibq_offene_posten = new db::Query(m_dm.idb.get(), m_dm.ibt, this);
    ibq_offene_posten->setObjectName(QStringLiteral("ibq_offene_posten"));
    ibq_offene_posten->setSql(kundeSql());
    ibq_offene_posten->setDataSource(kunde);
    ibq_offene_posten->onFieldsCreated = [](db::Dataset* d) {
        struct P {
            const char* feld;
            const char* titel;
            const char* format;
        };
        const P props[] = {{"KURSNR", "Kurs-Nr.", "0000"}, {"KURSNAME", "Kursname", nullptr},
                           {"KURSART", "Kursart", nullptr},  {"HUNDNAME", "Hund", nullptr},
                           {"GEBUEHR", "Kursgebühr", nullptr}, {"ERSTER_TERMIN", "erster Termin", "dd.mm.yyyy"}};
        for (const P& p : props) {
            db::Field* f = d->findField(QString::fromLatin1(p.feld));
            if (!f) continue;
            f->setDisplayLabel(QString::fromUtf8(p.titel));
            if (p.format) f->setDisplayFormat(QString::fromLatin1(p.format));
        }
        if (db::Field* f = d->findField(QStringLiteral("GEBUEHR"))) f->setCurrency(true);
    };
    ds_offene_posten = new db::DataSource(this);
    ds_offene_posten->setObjectName(QStringLiteral("ds_offene_posten"));
    ds_offene_posten->setDataset(ibq_offene_posten);
    // Another customer: the query follows; the total with it.
    connect(ds_offene_posten, &db::DataSource::dataSetChanged, this, [this] { summeZeigen(); });

    auto* v = new QVBoxLayout(seite);
    v->setContentsMargins(0, 0, 0, 0);
    dbg_offene_posten = new widgets::DbGrid(seite);
    dbg_offene_posten->setObjectName(QStringLiteral("dbg_offene_posten"));
    dbg_offene_posten->setReadOnly(true);
    dbg_offene_posten->setRowSelect(true);
    dbg_offene_posten->setAutoAppend(false);
    dbg_offene_posten->setColumns({spalte("KURSNR", "Kurs-Nr.", 8), spalte("KURSNAME", "Kursname", 30),
                                   spalte("KURSART", "Kursart", 8), spalte("HUNDNAME", "Hund", 16),
                                   spalte("GEBUEHR", "Kursgebühr", 12), spalte("ERSTER_TERMIN", "erster Termin", 12)});
    dbg_offene_posten->setDataSource(ds_offene_posten);
    v->addWidget(dbg_offene_posten, 1);
    lb_summe = new QLabel(seite);
    lb_summe->setObjectName(QStringLiteral("lb_summe"));
    lb_summe->setContentsMargins(4, 2, 4, 2);
    v->addWidget(lb_summe);
    seite->installEventFilter(this);
}

Kundenseite::~Kundenseite() = default;

bool Kundenseite::eventFilter(QObject* watched, QEvent* e) {
    // Payments are recorded in the course window: the page reads again
    // whenever it is shown.
    if (watched == m_seite && e->type() == QEvent::Show) guarded([this] { aktualisieren(); });
    return QObject::eventFilter(watched, e);
}

void Kundenseite::aktualisieren() {
    db::Dataset* kunde = m_kunde ? m_kunde->dataset() : nullptr;
    if (!kunde || !kunde->isActive()) return;
    if (ibq_offene_posten->isActive()) ibq_offene_posten->refresh();
    else ibq_offene_posten->open();
    summeZeigen();
}

void Kundenseite::summeZeigen() {
    if (!ibq_offene_posten->isActive()) {
        lb_summe->clear();
        return;
    }
    db::Dataset* kunde = m_kunde ? m_kunde->dataset() : nullptr;
    db::Field* nr = kunde && kunde->isActive() ? kunde->findField(QStringLiteral("KNDNR")) : nullptr;
    if (!nr || nr->isNull()) {
        lb_summe->clear();
        return;
    }
    try {
        const QVector<Posten> liste = lesen(m_dm.idb.get(), m_dm.ibt, nr->asInteger());
        lb_summe->setText(liste.isEmpty() ? QStringLiteral("Keine offenen Posten.") : summentext(liste));
    } catch (...) {
        lb_summe->clear();
    }
}

void schuleZeigen(Tdm& dm, QWidget* parent) {
    // What the user sees saved is what the list holds.
    if (!dm.finishPendingEdits()) return;
    Tfrm_offene_posten f(dm, parent ? parent : QApplication::activeWindow());
    f.aktualisieren();
    f.exec();
}

}  // namespace offeneposten

// ---------------------------------------------------------------------------

Tfrm_offene_posten::Tfrm_offene_posten(Tdm& data, QWidget* parent) : QDialog(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_offene_posten"));
    setWindowTitle(QStringLiteral("Offene Posten"));
    auto* v = new QVBoxLayout(this);
    auto* hinweis = new QLabel(QStringLiteral("Kursteilnahmen, die noch nicht bezahlt sind (Bezahlt \"N\"). Stornierte "
                                              "Kurse zählen nicht. Bezahlungen tragen Sie im Kursfenster auf der Seite "
                                              "Teilnehmer ein."),
                               this);
    hinweis->setWordWrap(true);
    v->addWidget(hinweis);
    tw_posten = new QTableWidget(0, 7, this);
    tw_posten->setObjectName(QStringLiteral("tw_posten"));
    tw_posten->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Vorname"), QStringLiteral("Hund"),
                                          QStringLiteral("Kurs"), QStringLiteral("Kursart"),
                                          QStringLiteral("erster Termin"), QStringLiteral("Kursgebühr")});
    tw_posten->setSelectionBehavior(QAbstractItemView::SelectRows);
    tw_posten->setSelectionMode(QAbstractItemView::SingleSelection);
    tw_posten->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tw_posten->verticalHeader()->hide();
    const int breiten[] = {140, 110, 100, 200, 60, 90, 100};
    for (int c = 0; c < 7; ++c) tw_posten->setColumnWidth(c, breiten[c]);
    v->addWidget(tw_posten, 1);
    lb_summe = new QLabel(this);
    lb_summe->setObjectName(QStringLiteral("lb_summe"));
    QFont f = lb_summe->font();
    f.setBold(true);
    lb_summe->setFont(f);
    v->addWidget(lb_summe);
    auto* h = new QHBoxLayout;
    h->addStretch(1);
    b_drucken = new QPushButton(QStringLiteral("Drucken..."), this);
    b_drucken->setObjectName(QStringLiteral("b_drucken"));
    b_schliessen = new QPushButton(QStringLiteral("Schließen"), this);
    b_schliessen->setObjectName(QStringLiteral("b_schliessen"));
    h->addWidget(b_drucken);
    h->addWidget(b_schliessen);
    v->addLayout(h);
    connect(b_drucken, &QPushButton::clicked, this, [this] { guarded([this] { b_druckenClick(); }); });
    connect(b_schliessen, &QPushButton::clicked, this, &QDialog::accept);
    resize(860, 520);
}

void Tfrm_offene_posten::aktualisieren() {
    m_posten.clear();
    tw_posten->setRowCount(0);
    try {
        m_posten = offeneposten::lesen(m_dm.idb.get(), m_dm.ibt);
    } catch (...) {
        platform::handleCurrentException();
    }
    tw_posten->setRowCount(int(m_posten.size()));
    for (int r = 0; r < m_posten.size(); ++r) {
        const offeneposten::Posten& p = m_posten[r];
        const QString kurs = QStringLiteral("%1 %2").arg(p.kursnr, 4, 10, QLatin1Char('0')).arg(p.kursname);
        const QString werte[] = {p.name, p.vname, p.hund, kurs, p.kursart, offeneposten::datum(p.ersterTermin),
                                 offeneposten::betrag(p.gebuehr)};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(werte[c]);
            if (c == 6) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tw_posten->setItem(r, c, item);
        }
    }
    lb_summe->setText(m_posten.isEmpty() ? QStringLiteral("Keine offenen Posten.") : offeneposten::summentext(m_posten));
}

void Tfrm_offene_posten::b_druckenClick() {
    Tfrm_qr_offeneposten qr;
    report::previewReport(qr.layout(m_posten, db::currentDateTime()), QStringLiteral("Offene Posten"), this);
}
