#include "courses/kursaktionen.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "courses/keyedit.h"
#include "courses/kurse.h"
#include "data/datenmodul.h"
#include "db/error.h"
#include "db/field.h"
#include "db/statement.h"
#include "platform/workingwindow.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/meldungen.h"
#include "platform/shell.h"

using platform::guarded;

using platform::Fehlschlag;
using platform::fehlschlagMelden;
using platform::grund;

namespace {

const QString cr = QStringLiteral("\r\n");

void meldung(const QString& text, platform::Icon icon = platform::Icon::Information) {
    platform::dialogs().messageBox(text, icon);
}

// A change of many rows commits at its end; an import that waits for
// "übernehmen" or "verwerfen" would be committed with it, so the user
// decides that first.
bool importOffen(Tdm& dm) {
    const bool offen = dm.commitsHeld() || ::importUnentschieden();
    if (!offen) return false;
    platform::importOffenMelden(platform::ImportOffen::Kursaenderung);
    return true;
}

// Everything posted so far is committed first, so that an error during the
// change rolls back the change alone.
bool vorbereiten(Tdm& dm) {
    if (importOffen(dm)) return false;
    if (!dm.finishPendingEdits()) return false;
    dm.commitNow();
    return true;
}

// The windows' datasets that show courses and dates read them again.
void datenNeuLesen(Tdm& dm) {
    for (db::Dataset* ds : {static_cast<db::Dataset*>(dm.ibt_kurse), static_cast<db::Dataset*>(dm.ibt_kurstermine),
                            static_cast<db::Dataset*>(dm.ibq_kursedestages),
                            static_cast<db::Dataset*>(dm.ibq_aktive_kurse)})
        if (ds && ds->isActive()) ds->refresh();
}

QTableWidget* tabelle(QWidget* parent, const char* name, const QStringList& titel) {
    auto* t = new QTableWidget(0, int(titel.size()), parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setHorizontalHeaderLabels(titel);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

}  // namespace

namespace kursaktionen {

Kurs aktuellerKurs(Tdm& dm) {
    Kurs k;
    db::Table* t = dm.ibt_kurse;
    db::Field* nr = t && t->isActive() && !t->isEmpty() ? t->findField(QStringLiteral("KURSNR")) : nullptr;
    if (!nr || nr->isNull() || (t->state() == db::DatasetState::Insert && !t->modified())) {
        meldung(QStringLiteral("Bitte wählen Sie zuerst in der Kursliste einen Kurs aus."));
        return k;
    }
    k.kursnr = nr->asInteger();
    const QString name = t->fieldByName(QStringLiteral("KURSNAME"))->asString().trimmed();
    k.bezeichnung = QStringLiteral("Kurs %1").arg(k.kursnr, 4, 10, QLatin1Char('0')) +
                    (name.isEmpty() ? QString() : QStringLiteral(" – ") + name);
    k.status = t->fieldByName(QStringLiteral("STATUS"))->asString().trimmed();
    return k;
}

QVector<Termin> termine(db::Connection* c, db::Transaction* t, int kursnr) {
    db::Statement s(c, t);
    s.prepare(QStringLiteral("select DATUM, UHRZEIT, THEMA from KURSTERMINE where KURSNR = ? order by DATUM"));
    s.setParam(0, kursnr);
    s.open();
    QVector<Termin> out;
    while (s.fetch()) out.append({s.value(0).toDateTime(), s.value(1).toDateTime(), s.value(2).toString()});
    return out;
}

Plan planen(const QVector<Termin>& alle, const QDateTime& ab, qint64 tage) {
    Plan p;
    QSet<QDateTime> bleiben;
    for (const Termin& t : alle) {
        if (t.datum >= ab) p.termine.append({t.datum, t.datum.addDays(tage)});
        else bleiben.insert(t.datum);
    }
    for (const Verschiebung& v : p.termine)
        if (bleiben.contains(v.neu)) p.kollisionen.append(v.neu);
    return p;
}

qint64 tageBis(const QDateTime& ab, const QDate& neuerTag) { return ab.date().daysTo(neuerTag); }

void verschieben(db::Connection* c, db::Transaction* t, int kursnr, const Plan& plan, qint64 tage) {
    if (!plan.kollisionen.isEmpty()) throw db::Error(meldungKollision(plan.kollisionen));
    if (plan.termine.isEmpty() || tage == 0) return;
    // Later dates first when moving forward, earlier ones first when moving
    // back: a date never lands on one that has not moved yet.
    QVector<Verschiebung> reihe = plan.termine;
    std::sort(reihe.begin(), reihe.end(), [tage](const Verschiebung& a, const Verschiebung& b) {
        return tage > 0 ? a.alt > b.alt : a.alt < b.alt;
    });
    try {
        db::Statement s(c, t);
        // Dialect 1 adds whole days to a date and time; the time stays.
        s.prepare(QStringLiteral("update KURSTERMINE set DATUM = DATUM + %1, UHRZEIT = UHRZEIT + %1 "
                                 "where KURSNR = ? and DATUM = ?")
                      .arg(tage));
        for (const Verschiebung& v : reihe) {
            s.setParam(0, kursnr);
            s.setParam(1, v.alt);
            s.execute();
            if (s.rowsAffected() != 1)
                throw db::Error(QStringLiteral("Der Termin am %1 ist nicht mehr vorhanden.").arg(terminText(v.alt)));
        }
        t->commitRetaining();
    } catch (...) {
        try {
            t->rollbackRetaining();
        } catch (...) {
        }
        throw;
    }
}

QString terminText(const QDateTime& datum) {
    return db::fmt::formatDateTime(datum, QStringLiteral("dddd, dd.mm.yyyy hh:nn"));
}

QVector<Teilnehmer> teilnehmer(db::Connection* c, db::Transaction* t, int kursnr) {
    db::Statement s(c, t);
    s.prepare(QStringLiteral("select b.NAME, b.VNAME, h.NAME, b.TEL, b.MOBIL, b.EMAIL "
                             "from TEILNEHMER a join KUNDEN b on b.KNDNR = a.KNDNR "
                             "left join HUNDE h on h.HUNDNR = a.HUNDNR "
                             "where a.KURSNR = ? order by b.NAME, b.VNAME, a.ID"));
    s.setParam(0, kursnr);
    s.open();
    QVector<Teilnehmer> out;
    while (s.fetch()) {
        Teilnehmer p;
        p.name = s.value(0).toString();
        p.vname = s.value(1).toString();
        p.hund = s.value(2).toString();
        p.tel = s.value(3).toString();
        p.mobil = s.value(4).toString();
        p.email = s.value(5).toString();
        out.append(p);
    }
    return out;
}

int kuenftigeTermine(db::Connection* c, db::Transaction* t, int kursnr, const QDateTime& jetzt) {
    db::Statement s(c, t);
    s.prepare(QStringLiteral("select count(*) from KURSTERMINE where KURSNR = ? and DATUM > ?"));
    s.setParam(0, kursnr);
    s.setParam(1, jetzt);
    s.open();
    const int n = s.fetch() ? s.value(0).toInt() : 0;
    s.close();
    return n;
}

void stornieren(db::Connection* c, db::Transaction* t, int kursnr, bool termineLoeschen, const QDateTime& jetzt) {
    try {
        db::Statement s(c, t);
        s.prepare(QStringLiteral("update KURSE set STATUS = \"S\" where KURSNR = ?"));
        s.setParam(0, kursnr);
        s.execute();
        if (termineLoeschen) {
            s.prepare(QStringLiteral("delete from KURSTERMINE where KURSNR = ? and DATUM > ?"));
            s.setParam(0, kursnr);
            s.setParam(1, jetzt);
            s.execute();
        }
        t->commitRetaining();
    } catch (...) {
        try {
            t->rollbackRetaining();
        } catch (...) {
        }
        throw;
    }
}

QString mailtoAlle(const QVector<Teilnehmer>& liste) {
    QStringList adressen;
    QSet<QString> gesehen;
    for (const Teilnehmer& p : liste) {
        const QString a = p.email.trimmed();
        if (!a.contains(QLatin1Char('@')) || gesehen.contains(a.toLower())) continue;
        gesehen.insert(a.toLower());
        // Encoded: an address never adds headers or recipients.
        adressen << platform::mailtoAddress(a);
    }
    if (adressen.isEmpty()) return QString();
    return QStringLiteral("mailto:") + adressen.join(QLatin1Char(','));
}

QString frageVerschieben() { return QStringLiteral("Termine verschieben?"); }

QString frageStornieren(const QString& bezeichnung) {
    return QStringLiteral("Soll der Kurs \"") + bezeichnung +
           QStringLiteral("\" storniert werden?") + cr + cr +
           QStringLiteral("Der Kurs erhält den Status \"S\" (Storniert).");
}

QString frageTermineLoeschen(int anzahl) {
    return (anzahl == 1 ? QStringLiteral("Der Kurs hat noch 1 künftigen Termin.")
                        : QStringLiteral("Der Kurs hat noch %1 künftige Termine.").arg(anzahl)) +
           cr + cr + QStringLiteral("Sollen die künftigen Termine gelöscht werden?") + cr + cr +
           QStringLiteral("Ja: Termine löschen") + cr + QStringLiteral("Nein: Termine behalten") + cr +
           QStringLiteral("Abbrechen: den Kurs nicht stornieren");
}

QString meldungKollision(const QVector<QDateTime>& kollisionen) {
    QString text = QStringLiteral("Die Termine können so nicht verschoben werden: Der Kurs hat schon einen Termin am");
    for (const QDateTime& d : kollisionen) text += cr + QStringLiteral("   ") + terminText(d);
    return text + cr + cr +
           QStringLiteral("Wählen Sie eine andere Zahl von Tagen, einen anderen neuen Termin oder einen früheren "
                          "Termin, ab dem verschoben wird.");
}

void verschiebenZeigen(Tdm& dm, QWidget* parent) {
    const Kurs k = aktuellerKurs(dm);
    if (!k.kursnr) return;
    if (!dm.finishPendingEdits()) return;
    Tdlg_kurs_verschieben d(dm, k, parent ? parent : QApplication::activeWindow());
    d.exec();
}

void stornierenZeigen(Tdm& dm, QWidget* parent) {
    const Kurs k = aktuellerKurs(dm);
    if (!k.kursnr) return;
    if (!dm.finishPendingEdits()) return;
    Tdlg_kurs_stornieren d(dm, k, parent ? parent : QApplication::activeWindow());
    d.exec();
}

}  // namespace kursaktionen

// ---------------------------------------------------------------------------

using namespace kursaktionen;

Tdlg_kurs_verschieben::Tdlg_kurs_verschieben(Tdm& data, const Kurs& kurs, QWidget* parent)
    : QDialog(parent), m_dm(data), m_kurs(kurs) {
    setObjectName(QStringLiteral("dlg_kurs_verschieben"));
    setWindowTitle(QStringLiteral("Kurstermine verschieben"));
    auto* v = new QVBoxLayout(this);
    lb_kurs = new QLabel(kurs.bezeichnung, this);
    lb_kurs->setObjectName(QStringLiteral("lb_kurs"));
    QFont f = lb_kurs->font();
    f.setBold(true);
    lb_kurs->setFont(f);
    v->addWidget(lb_kurs);

    auto* g = new QGridLayout;
    g->addWidget(new QLabel(QStringLiteral("Alle Termine ab:"), this), 0, 0);
    cb_ab = new QComboBox(this);
    cb_ab->setObjectName(QStringLiteral("cb_ab"));
    g->addWidget(cb_ab, 0, 1, 1, 3);
    rb_tage = new QRadioButton(QStringLiteral("verschieben um"), this);
    rb_tage->setObjectName(QStringLiteral("rb_tage"));
    rb_tage->setChecked(true);
    se_tage = new QSpinBox(this);
    se_tage->setObjectName(QStringLiteral("se_tage"));
    se_tage->setRange(-3650, 3650);
    se_tage->setValue(7);
    se_tage->setToolTip(QStringLiteral("Negative Zahlen verschieben auf frühere Tage."));
    g->addWidget(rb_tage, 1, 0);
    g->addWidget(se_tage, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Tage"), this), 1, 2);
    rb_datum = new QRadioButton(QStringLiteral("so dass er stattfindet am"), this);
    rb_datum->setObjectName(QStringLiteral("rb_datum"));
    e_neues_datum = new KeyLineEdit(this);
    e_neues_datum->setObjectName(QStringLiteral("e_neues_datum"));
    e_neues_datum->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
    e_neues_datum->setFixedWidth(100);
    e_neues_datum->onKeyPress = [](QChar& ch) {
        if (ch == QLatin1Char(',')) ch = QLatin1Char('.');
    };
    g->addWidget(rb_datum, 2, 0);
    g->addWidget(e_neues_datum, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("(die Uhrzeiten bleiben)"), this), 2, 2, 1, 2);
    g->setColumnStretch(3, 1);
    v->addLayout(g);

    tw_vorschau = tabelle(this, "tw_vorschau", {QStringLiteral("bisher"), QStringLiteral("neu"), QStringLiteral("Thema")});
    tw_vorschau->setColumnWidth(0, 210);
    tw_vorschau->setColumnWidth(1, 210);
    v->addWidget(tw_vorschau, 1);
    lb_hinweis = new QLabel(this);
    lb_hinweis->setObjectName(QStringLiteral("lb_hinweis"));
    lb_hinweis->setWordWrap(true);
    v->addWidget(lb_hinweis);

    auto* h = new QHBoxLayout;
    h->addStretch(1);
    b_verschieben = new QPushButton(QStringLiteral("Verschieben..."), this);
    b_verschieben->setObjectName(QStringLiteral("b_verschieben"));
    b_abbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    b_abbrechen->setObjectName(QStringLiteral("b_abbrechen"));
    h->addWidget(b_verschieben);
    h->addWidget(b_abbrechen);
    v->addLayout(h);

    connect(b_verschieben, &QPushButton::clicked, this, [this] { guarded([this] { b_verschiebenClick(); }); });
    connect(b_abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(cb_ab, &QComboBox::currentIndexChanged, this, [this] { vorschau(); });
    connect(se_tage, &QSpinBox::valueChanged, this, [this] {
        rb_tage->setChecked(true);
        vorschau();
    });
    connect(rb_tage, &QRadioButton::toggled, this, [this] { vorschau(); });
    connect(e_neues_datum, &QLineEdit::textEdited, this, [this] {
        rb_datum->setChecked(true);
        vorschau();
    });
    resize(640, 460);
    guarded([this] { neuLesen(); });
}

void Tdlg_kurs_verschieben::neuLesen() {
    m_termine = termine(m_dm.idb.get(), m_dm.ibt, m_kurs.kursnr);
    const QSignalBlocker blocker(cb_ab);
    cb_ab->clear();
    // Preselected: the next date from now on (the past is seldom moved).
    const QDateTime jetzt = db::currentDateTime();
    int vorwahl = -1;
    for (int i = 0; i < m_termine.size(); ++i) {
        const Termin& t = m_termine[i];
        cb_ab->addItem(terminText(t.datum) + (t.thema.trimmed().isEmpty() ? QString() : QStringLiteral("  ") + t.thema.trimmed()));
        if (vorwahl < 0 && t.datum >= jetzt) vorwahl = i;
    }
    if (!m_termine.isEmpty()) cb_ab->setCurrentIndex(vorwahl < 0 ? 0 : vorwahl);
    vorschau();
}

bool Tdlg_kurs_verschieben::tage(qint64* out) const {
    const int i = cb_ab->currentIndex();
    if (i < 0 || i >= m_termine.size()) return false;
    if (rb_tage->isChecked()) {
        *out = se_tage->value();
        return true;
    }
    QDate neu;
    if (!datum_lesen(e_neues_datum->text().trimmed(), &neu)) return false;
    *out = tageBis(m_termine[i].datum, neu);
    return true;
}

void Tdlg_kurs_verschieben::vorschau() {
    tw_vorschau->setRowCount(0);
    const int i = cb_ab->currentIndex();
    if (m_termine.isEmpty() || i < 0) {
        lb_hinweis->setText(QStringLiteral("Der Kurs hat keine Termine."));
        return;
    }
    qint64 n = 0;
    if (!tage(&n)) {
        lb_hinweis->setText(QStringLiteral("Bitte geben Sie den Tag, an dem der gewählte Termin künftig stattfindet, "
                                           "als TT.MM.JJJJ ein."));
        return;
    }
    const Plan p = planen(m_termine, m_termine[i].datum, n);
    const QSet<QDateTime> kollision(p.kollisionen.begin(), p.kollisionen.end());
    tw_vorschau->setRowCount(int(p.termine.size()));
    for (int r = 0; r < p.termine.size(); ++r) {
        const Verschiebung& vs = p.termine[r];
        QString thema;
        for (const Termin& t : m_termine)
            if (t.datum == vs.alt) thema = t.thema;
        const QString werte[] = {terminText(vs.alt), terminText(vs.neu), thema};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(werte[c]);
            if (kollision.contains(vs.neu)) item->setForeground(Qt::red);
            tw_vorschau->setItem(r, c, item);
        }
    }
    if (!p.kollisionen.isEmpty()) lb_hinweis->setText(meldungKollision(p.kollisionen));
    else if (n == 0) lb_hinweis->setText(QStringLiteral("Die Termine bleiben, wo sie sind (0 Tage)."));
    else
        lb_hinweis->setText(QStringLiteral("%1 Termine werden um %2 Tage %3 verschoben.")
                                .arg(p.termine.size())
                                .arg(qAbs(n))
                                .arg(n > 0 ? QStringLiteral("nach hinten") : QStringLiteral("nach vorn")));
}

bool Tdlg_kurs_verschieben::b_verschiebenClick() {
    if (m_termine.isEmpty()) {
        meldung(QStringLiteral("Der Kurs hat keine Termine."));
        return false;
    }
    qint64 n = 0;
    if (!tage(&n)) {
        meldung(QStringLiteral("Der neue Termin ist kein gültiges Datum. Bitte geben Sie den Tag als TT.MM.JJJJ ein, "
                               "z.B. 05.12.2026."),
                platform::Icon::Warning);
        return false;
    }
    if (n == 0) {
        meldung(QStringLiteral("Die Termine bleiben, wo sie sind: Bitte geben Sie eine Verschiebung um mindestens "
                               "einen Tag an."));
        return false;
    }
    // The dates as they are now, in case another window changed them.
    m_termine = termine(m_dm.idb.get(), m_dm.ibt, m_kurs.kursnr);
    const int i = cb_ab->currentIndex();
    if (i < 0 || i >= m_termine.size()) {
        neuLesen();
        return false;
    }
    const Plan p = planen(m_termine, m_termine[i].datum, n);
    vorschau();
    if (!p.kollisionen.isEmpty()) {
        meldung(meldungKollision(p.kollisionen), platform::Icon::Warning);
        return false;
    }
    if (platform::dialogs().confirm(frageVerschieben(), QStringLiteral("Bestätigung"), platform::Buttons::JaNein) !=
        platform::Answer::Ja)
        return false;
    if (!vorbereiten(m_dm)) return false;
    try {
        verschieben(m_dm.idb.get(), m_dm.ibt, m_kurs.kursnr, p, n);
    } catch (...) {
        const QString text = grund();
        neuLesen();
        fehlschlagMelden(Fehlschlag::TermineVerschieben, text);
        return false;
    }
    datenNeuLesen(m_dm);
    accept();
    return true;
}

// ---------------------------------------------------------------------------

Tdlg_kurs_stornieren::Tdlg_kurs_stornieren(Tdm& data, const Kurs& kurs, QWidget* parent)
    : QDialog(parent), m_dm(data), m_kurs(kurs) {
    setObjectName(QStringLiteral("dlg_kurs_stornieren"));
    setWindowTitle(QStringLiteral("Kurs stornieren"));
    auto* v = new QVBoxLayout(this);
    lb_kurs = new QLabel(kurs.bezeichnung, this);
    lb_kurs->setObjectName(QStringLiteral("lb_kurs"));
    QFont f = lb_kurs->font();
    f.setBold(true);
    lb_kurs->setFont(f);
    v->addWidget(lb_kurs);
    lb_status = new QLabel(this);
    lb_status->setObjectName(QStringLiteral("lb_status"));
    lb_status->setWordWrap(true);
    v->addWidget(lb_status);

    tw_teilnehmer = tabelle(this, "tw_teilnehmer",
                            {QStringLiteral("Name"), QStringLiteral("Vorname"), QStringLiteral("Hund"),
                             QStringLiteral("Telefon"), QStringLiteral("Mobil"), QStringLiteral("E-Mail")});
    const int breiten[] = {130, 100, 100, 110, 110};
    for (int c = 0; c < 5; ++c) tw_teilnehmer->setColumnWidth(c, breiten[c]);
    v->addWidget(tw_teilnehmer, 1);

    auto* h = new QHBoxLayout;
    b_email = new QPushButton(QStringLiteral("E-Mail an alle Teilnehmer..."), this);
    b_email->setObjectName(QStringLiteral("b_email"));
    b_stornieren = new QPushButton(QStringLiteral("Kurs stornieren..."), this);
    b_stornieren->setObjectName(QStringLiteral("b_stornieren"));
    b_schliessen = new QPushButton(QStringLiteral("Schließen"), this);
    b_schliessen->setObjectName(QStringLiteral("b_schliessen"));
    h->addWidget(b_email);
    h->addStretch(1);
    h->addWidget(b_stornieren);
    h->addWidget(b_schliessen);
    v->addLayout(h);
    connect(b_email, &QPushButton::clicked, this, [this] { guarded([this] { b_emailClick(); }); });
    connect(b_stornieren, &QPushButton::clicked, this, [this] { guarded([this] { b_stornierenClick(); }); });
    connect(b_schliessen, &QPushButton::clicked, this, &QDialog::accept);

    guarded([this] { m_teilnehmer = kursaktionen::teilnehmer(m_dm.idb.get(), m_dm.ibt, m_kurs.kursnr); });
    tw_teilnehmer->setRowCount(int(m_teilnehmer.size()));
    for (int r = 0; r < m_teilnehmer.size(); ++r) {
        const Teilnehmer& p = m_teilnehmer[r];
        const QString werte[] = {p.name, p.vname, p.hund, p.tel, p.mobil, p.email};
        for (int c = 0; c < 6; ++c) tw_teilnehmer->setItem(r, c, new QTableWidgetItem(werte[c]));
    }
    const bool mail = !mailtoAlle(m_teilnehmer).isEmpty();
    b_email->setEnabled(mail);
    b_email->setToolTip(mail ? QStringLiteral("Öffnet eine E-Mail an alle Teilnehmer mit E-Mail-Adresse.")
                             : QStringLiteral("Kein Teilnehmer hat eine E-Mail-Adresse."));
    zeigeStatus();
    resize(760, 420);
}

void Tdlg_kurs_stornieren::zeigeStatus() {
    const bool storniert = m_kurs.status == QLatin1String("S");
    b_stornieren->setEnabled(!storniert);
    QString text = m_teilnehmer.isEmpty()
                       ? QStringLiteral("Der Kurs hat keine Teilnehmer.")
                       : QStringLiteral("%1 Teilnehmer. Sagen Sie ihnen Bescheid, z.B. mit einer E-Mail an alle.")
                             .arg(m_teilnehmer.size());
    if (storniert) text = QStringLiteral("Der Kurs ist storniert. ") + text;
    if (!m_nachricht.isEmpty()) text = m_nachricht + QLatin1Char(' ') + text;
    lb_status->setText(text);
}

bool Tdlg_kurs_stornieren::b_stornierenClick(const QDateTime& jetztVorgabe) {
    if (m_kurs.status == QLatin1String("S")) return false;
    auto& d = platform::dialogs();
    if (d.confirm(frageStornieren(m_kurs.bezeichnung), QStringLiteral("Bestätigung"), platform::Buttons::JaNein) !=
        platform::Answer::Ja)
        return false;
    const QDateTime jetzt = jetztVorgabe.isValid() ? jetztVorgabe : db::currentDateTime();
    const int kuenftig = kuenftigeTermine(m_dm.idb.get(), m_dm.ibt, m_kurs.kursnr, jetzt);
    bool loeschen = false;
    if (kuenftig > 0) {
        const platform::Answer a = d.confirm(frageTermineLoeschen(kuenftig), QStringLiteral("Bestätigung"),
                                             platform::Buttons::JaNeinAbbrechen);
        if (a == platform::Answer::Abbrechen) return false;
        loeschen = a == platform::Answer::Ja;
    }
    if (!vorbereiten(m_dm)) return false;
    try {
        stornieren(m_dm.idb.get(), m_dm.ibt, m_kurs.kursnr, loeschen, jetzt);
    } catch (...) {
        fehlschlagMelden(Fehlschlag::KursStornieren, grund());
        return false;
    }
    m_kurs.status = QStringLiteral("S");
    m_nachricht = kuenftig == 0  ? QStringLiteral("Der Kurs wurde storniert.")
                  : loeschen     ? QStringLiteral("Der Kurs wurde storniert, %1 künftige Termine wurden gelöscht.").arg(kuenftig)
                                 : QStringLiteral("Der Kurs wurde storniert, die %1 künftigen Termine bleiben eingetragen.").arg(kuenftig);
    zeigeStatus();
    guarded([this] { datenNeuLesen(m_dm); });
    return true;
}

void Tdlg_kurs_stornieren::b_emailClick() {
    const QString url = mailtoAlle(m_teilnehmer);
    if (url.isEmpty()) {
        meldung(QStringLiteral("Kein Teilnehmer des Kurses hat eine E-Mail-Adresse."));
        return;
    }
    platform::shell().openUrl(url);
}
