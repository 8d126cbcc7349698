#include "courses/terminsuche.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "courses/beratungen.h"
#include "courses/keyedit.h"
#include "courses/kurse.h"
#include "data/kundensuche.h"
#include "data/datenmodul.h"
#include "db/field.h"
#include "db/statement.h"
#include "platform/application.h"
#include "platform/dialogs.h"

QPointer<Tfrm_terminsuche> frm_terminsuche;

using platform::guarded;

namespace {

// A search text as the right-hand side of LIKE: the database upper-cases it
// with the UPPER it applies to the column, in the column's character set.
QString muster(const char* name) {
    return QStringLiteral("upper(cast(:") + QLatin1String(name) +
           QStringLiteral(" as varchar(2000) character set win1252))");
}

// "%text%", with runs of "%" joined into one (same meaning, and the pattern
// always fits the parameter's length).
QString likeWert(const QString& text) {
    QString t = QStringLiteral("%");
    for (QChar c : text)
        if (!(c == QLatin1Char('%') && t.endsWith(QLatin1Char('%')))) t += c;
    if (!t.endsWith(QLatin1Char('%'))) t += QLatin1Char('%');
    return t;
}

QString datumText(const QDate& d) {
    return d.isValid() ? db::fmt::formatDateTime(db::makeDateTime(d), QStringLiteral("dd.mm.yyyy")) : QString();
}

}  // namespace

namespace terminsuche {

QString sql(const Kriterien& k) {
    QString s = QStringLiteral("select a.DATUM, a.UHRZEIT, a.THEMA, a.ORT, a.KONTAKT from KURSTERMINE a where a.KURSNR = -1");
    auto in = [](const char* spalte, const char* param) {
        return QStringLiteral("upper(a.") + QLatin1String(spalte) + QStringLiteral(") like ") + muster(param);
    };
    if (!k.kunde.isEmpty())
        s += QStringLiteral(" and (") + in("ORT", "kunde") + QStringLiteral(" or ") + in("KONTAKT", "kunde") +
             QStringLiteral(" or ") + in("THEMA", "kunde") + QStringLiteral(")");
    if (!k.hund.isEmpty())
        // The dog's name in the appointment, or an appointment of its owner:
        // the consultations window writes the owner's name, a comma and the
        // address into the place.
        s += QStringLiteral(" and (") + in("THEMA", "hund") + QStringLiteral(" or ") + in("ORT", "hund") +
             QStringLiteral(" or ") + in("KONTAKT", "hund") +
             QStringLiteral(" or exists (select 1 from HUNDE h, KUNDEN k where k.KNDNR = h.KNDNR and upper(h.NAME) like ") +
             muster("hund") + QStringLiteral(" and a.ORT starting with k.NAME || \",\"))");
    if (!k.thema.isEmpty()) s += QStringLiteral(" and ") + in("THEMA", "thema");
    if (!k.kontakt.isEmpty()) s += QStringLiteral(" and ") + in("KONTAKT", "kontakt");
    if (k.von.isValid()) s += QStringLiteral(" and a.DATUM >= :von");
    if (k.bis.isValid()) s += QStringLiteral(" and a.DATUM < :bis");
    s += QStringLiteral(" order by a.DATUM");
    return s;
}

QVector<Treffer> suchen(db::Connection* c, db::Transaction* t, const Kriterien& k) {
    QVector<Treffer> out;
    for (const QString* text : {&k.kunde, &k.hund, &k.thema, &k.kontakt})
        if (!text->isEmpty() && !suchtext_zulaessig(*text)) return out;
    db::Statement s(c, t);
    s.prepare(sql(k));
    const std::pair<const char*, const QString*> texte[] = {
        {"kunde", &k.kunde}, {"hund", &k.hund}, {"thema", &k.thema}, {"kontakt", &k.kontakt}};
    for (const auto& [name, text] : texte)
        if (!text->isEmpty()) s.setParam(QString::fromLatin1(name), likeWert(*text));
    if (k.von.isValid()) s.setParam(QStringLiteral("von"), db::makeDateTime(k.von));
    if (k.bis.isValid()) s.setParam(QStringLiteral("bis"), db::makeDateTime(k.bis.addDays(1)));
    s.open();
    while (s.fetch()) {
        Treffer r;
        r.datum = s.value(0).toDateTime();
        r.uhrzeit = s.value(1).toDateTime();
        r.thema = s.value(2).toString();
        r.ort = s.value(3).toString();
        r.kontakt = s.value(4).toString();
        out.append(r);
    }
    return out;
}

}  // namespace terminsuche

// ---------------------------------------------------------------------------

QString Tfrm_terminsuche::meldungDatum(const QString& feld) {
    return QStringLiteral("Das Datum im Feld \"") + feld +
           QStringLiteral("\" ist kein gültiges Datum. Bitte geben Sie es als TT.MM.JJJJ ein (z.B. 05.12.2026) oder "
                          "lassen Sie das Feld leer.");
}

Tfrm_terminsuche::Tfrm_terminsuche(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_terminsuche"));
    setWindowTitle(QStringLiteral("Termine suchen"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    auto* gb = new QGroupBox(QStringLiteral("Suchen nach..."), this);
    gb->setObjectName(QStringLiteral("gb_suchen"));
    auto* g = new QGridLayout(gb);
    auto edit = [this, gb](const char* name, const QString& tip) {
        auto* e = new KeyLineEdit(gb);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(tip);
        e->onKeyDown = [this](int& key, Qt::KeyboardModifiers) {
            if (!istEingabetaste(key)) return;
            key = 0;
            guarded([this] { b_suchenClick(); });
        };
        e->onKeyPress = [](QChar& ch) {
            if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QChar();
        };
        return e;
    };
    e_kunde = edit("e_kunde", QStringLiteral("Name des Kunden (steht im Ort, im Kontakt oder im Thema des Termins)"));
    e_hund = edit("e_hund", QStringLiteral("Name des Hundes (im Termin oder ein Termin seines Besitzers)"));
    e_thema = edit("e_thema", QStringLiteral("Text im Thema des Termins"));
    e_kontakt = edit("e_kontakt", QStringLiteral("Text im Kontakt des Termins, z.B. eine Telefonnummer"));
    e_von = edit("e_von", QStringLiteral("Termine ab diesem Tag (leer: alle früheren auch)"));
    e_bis = edit("e_bis", QStringLiteral("Termine bis einschließlich diesem Tag (leer: alle späteren auch)"));
    for (KeyLineEdit* d : {e_von, e_bis}) {
        d->setFixedWidth(100);
        d->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
        d->onKeyPress = [](QChar& ch) {
            if (ch == QLatin1Char(',')) ch = QLatin1Char('.');
            else if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QChar();
        };
    }
    g->addWidget(new QLabel(QStringLiteral("Kunde:"), gb), 0, 0);
    g->addWidget(e_kunde, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Hund:"), gb), 0, 2);
    g->addWidget(e_hund, 0, 3);
    g->addWidget(new QLabel(QStringLiteral("vom:"), gb), 0, 4);
    g->addWidget(e_von, 0, 5);
    g->addWidget(new QLabel(QStringLiteral("Thema:"), gb), 1, 0);
    g->addWidget(e_thema, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Kontakt:"), gb), 1, 2);
    g->addWidget(e_kontakt, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("bis:"), gb), 1, 4);
    g->addWidget(e_bis, 1, 5);
    b_suchen = new QPushButton(QStringLiteral("Suchen"), gb);
    b_suchen->setObjectName(QStringLiteral("b_suchen"));
    b_suchen->setDefault(true);
    b_leeren = new QPushButton(QStringLiteral("Leeren"), gb);
    b_leeren->setObjectName(QStringLiteral("b_leeren"));
    b_leeren->setToolTip(QStringLiteral("Alle Suchfelder leeren; \"vom\" wieder auf heute."));
    g->addWidget(b_suchen, 0, 6);
    g->addWidget(b_leeren, 1, 6);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    v->addWidget(gb);

    lb_anzahl = new QLabel(this);
    lb_anzahl->setObjectName(QStringLiteral("lb_anzahl"));
    v->addWidget(lb_anzahl);

    tw_termine = new QTableWidget(0, 5, this);
    tw_termine->setObjectName(QStringLiteral("tw_termine"));
    tw_termine->setHorizontalHeaderLabels({QStringLiteral("Datum"), QStringLiteral("Uhrzeit"), QStringLiteral("Thema"),
                                           QStringLiteral("Ort"), QStringLiteral("Kontakt")});
    tw_termine->setSelectionBehavior(QAbstractItemView::SelectRows);
    tw_termine->setSelectionMode(QAbstractItemView::SingleSelection);
    tw_termine->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tw_termine->verticalHeader()->hide();
    tw_termine->horizontalHeader()->setStretchLastSection(true);
    tw_termine->setColumnWidth(0, 160);
    tw_termine->setColumnWidth(1, 60);
    tw_termine->setColumnWidth(2, 260);
    tw_termine->setColumnWidth(3, 260);
    tw_termine->setToolTip(QStringLiteral("Doppelklick öffnet den Termin im Fenster Beratungstermine / Einzelstunden."));
    v->addWidget(tw_termine, 1);

    connect(b_suchen, &QPushButton::clicked, this, [this] { guarded([this] { b_suchenClick(); }); });
    connect(b_leeren, &QPushButton::clicked, this, [this] { guarded([this] { b_leerenClick(); }); });
    connect(tw_termine, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { guarded([this, row] { tw_termineDblClick(row); }); });

    e_von->setText(datumText(QDate::currentDate()));
    guarded([this] { b_suchenClick(); });
}

Tfrm_terminsuche::~Tfrm_terminsuche() = default;

bool Tfrm_terminsuche::b_suchenClick() {
    terminsuche::Kriterien k;
    k.kunde = e_kunde->text().trimmed();
    k.hund = e_hund->text().trimmed();
    k.thema = e_thema->text().trimmed();
    k.kontakt = e_kontakt->text().trimmed();
    const std::pair<KeyLineEdit*, QDate*> daten[] = {{e_von, &k.von}, {e_bis, &k.bis}};
    for (const auto& [e, d] : daten) {
        if (e->text().trimmed().isEmpty()) continue;
        if (!datum_lesen(e->text().trimmed(), d)) {
            platform::dialogs().messageBox(meldungDatum(e == e_von ? QStringLiteral("vom") : QStringLiteral("bis")),
                                           platform::Icon::Warning);
            e->setFocus();
            return false;
        }
    }
    m_treffer = terminsuche::suchen(m_dm.idb.get(), m_dm.ibt, k);
    tw_termine->setRowCount(int(m_treffer.size()));
    for (int i = 0; i < m_treffer.size(); ++i) {
        const terminsuche::Treffer& t = m_treffer[i];
        const QDateTime zeit = t.uhrzeit.isValid() ? t.uhrzeit : t.datum;
        const QString werte[] = {db::fmt::formatDateTime(t.datum, QStringLiteral("dddd, dd.mm.yyyy")),
                                 db::fmt::formatDateTime(zeit, QStringLiteral("hh:nn")), t.thema, t.ort, t.kontakt};
        for (int c = 0; c < 5; ++c) tw_termine->setItem(i, c, new QTableWidgetItem(werte[c]));
    }
    lb_anzahl->setText(m_treffer.isEmpty() ? QStringLiteral("Keine Termine gefunden.")
                       : m_treffer.size() == 1
                           ? QStringLiteral("1 Termin gefunden. Doppelklick öffnet ihn.")
                           : QStringLiteral("%1 Termine gefunden. Doppelklick öffnet einen Termin.").arg(m_treffer.size()));
    if (!m_treffer.isEmpty()) tw_termine->selectRow(0);
    return true;
}

void Tfrm_terminsuche::b_leerenClick() {
    for (KeyLineEdit* e : {e_kunde, e_hund, e_thema, e_kontakt, e_bis}) e->clear();
    e_von->setText(datumText(QDate::currentDate()));
    e_kunde->setFocus();
}

void Tfrm_terminsuche::tw_termineDblClick(int row) {
    if (row < 0 || row >= m_treffer.size()) return;
    const QDateTime wann = m_treffer[row].datum;
    if (Fensterwahl* f = fensterwahl()) f->fensterOeffnen(WindowKind::Beratungen, Fenstermodus::Bearbeiten);
    if (frm_beratungen) frm_beratungen->terminZeigen(wann);
}
