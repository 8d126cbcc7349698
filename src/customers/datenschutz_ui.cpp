#include "customers/datenschutz_ui.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "customers/qr_datenauskunft.h"
#include "data/backup.h"
#include "data/datenmodul.h"
#include "db/error.h"
#include "db/field.h"
#include "db/statement.h"
#include "platform/workingwindow.h"
#include "platform/dialogs.h"
#include "platform/meldungen.h"
#include "platform/paths.h"
#include "report/reportpaint.h"

using platform::Fehlschlag;
using platform::fehlschlagMelden;
using platform::grund;

namespace {

const QString cr = QStringLiteral("\r\n");

QString nummer(int kndnr) { return QStringLiteral("%1").arg(kndnr, 4, 10, QLatin1Char('0')); }

void meldung(const QString& text, platform::Icon icon = platform::Icon::Information) {
    platform::dialogs().messageBox(text, icon);
}

// "Kunde 0012 – Sabine Müller"
QString bezeichnung(int kndnr, const datenschutz::Datensatz& kunde) {
    const QString name = datenschutz::kundenname(kunde);
    return QStringLiteral("Kunde ") + nummer(kndnr) + (name.isEmpty() ? QString() : QStringLiteral(" – ") + name);
}

// The school's name and address line for the printout.
QStringList schule(Tdm& dm) {
    db::Statement s(dm.idb.get(), dm.ibt);
    s.prepare(QStringLiteral("select hundeschule, strasse, plz, ort from systemdaten"));
    s.open();
    QStringList out;
    if (s.fetch()) {
        const QString plzOrt = (s.value(2).toString().trimmed() + QLatin1Char(' ') + s.value(3).toString().trimmed()).trimmed();
        QStringList adresse;
        if (!s.value(1).toString().trimmed().isEmpty()) adresse << s.value(1).toString().trimmed();
        if (!plzOrt.isEmpty()) adresse << plzOrt;
        out << s.value(0).toString().trimmed() << adresse.join(QStringLiteral(", "));
    }
    s.close();
    return out;
}

// A committing operation would take over an import that waits for
// "übernehmen" or "verwerfen"; the user decides that first.
bool importOffen() {
    if (!::importUnentschieden()) return false;
    platform::importOffenMelden(platform::ImportOffen::KundeLoeschen);
    return true;
}

// After rows were deleted behind the datasets' backs: every open dataset
// that can show them reads its rows again.
void datenNeuLesen(Tdm& dm) {
    for (db::Dataset* ds : {static_cast<db::Dataset*>(dm.ibt_kunde), static_cast<db::Dataset*>(dm.ibt_kunde_hunde),
                            static_cast<db::Dataset*>(dm.ibt_hundetagebuch), static_cast<db::Dataset*>(dm.ibt_hunde),
                            static_cast<db::Dataset*>(dm.ibt_hundesuche_tagebuch),
                            static_cast<db::Dataset*>(dm.ibq_aktive_kurse), static_cast<db::Dataset*>(dm.ibq_teilnehmer),
                            static_cast<db::Dataset*>(dm.ibt_teilnehmeredit), static_cast<db::Dataset*>(dm.ibt_kurstermine),
                            static_cast<db::Dataset*>(dm.ibq_kursedestages)})
        if (ds && ds->isActive()) ds->refresh();
    dm.request_count_kunden();
}

// The information holds everything about a customer: its files are the
// user's only (0600), also one that replaces an older file.
bool schreiben(const QString& datei, const QByteArray& inhalt) {
    platform::ScopedPrivateUmask nurFuerMich;
    QSaveFile f(datei);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(inhalt) != inhalt.size()) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) return false;
    platform::privateFile(datei);
    return true;
}

Tdlg_kunde_loeschen::Antwort& antwort() {
    static Tdlg_kunde_loeschen::Antwort a;
    return a;
}

}  // namespace

namespace datenschutz_ui {

int aktuellerKunde(Tdm& dm) {
    db::Table* k = dm.ibt_kunde;
    db::Field* nr = k && k->isActive() && !(k->bof() && k->eof()) ? k->findField(QStringLiteral("KNDNR")) : nullptr;
    if (!nr || nr->isNull() || (k->state() == db::DatasetState::Insert && !k->modified())) {
        meldung(QStringLiteral("Bitte wählen Sie zuerst einen Kunden aus (Kunden, Übersicht oder Suchen)."));
        return 0;
    }
    return nr->asInteger();
}

QString sicherungsname(int kndnr, const QDateTime& zeit) {
    return QStringLiteral("vor-loeschung-kunde-") + nummer(kndnr) + QLatin1Char('-') +
           zeit.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + QStringLiteral(".fbk");
}

bool datenauskunft(Tdm& dm, int kndnr, QWidget* parent) {
    if (kndnr == 0) return false;
    // What the user sees saved is what the information holds.
    if (!dm.finishPendingEdits()) return false;
    datenschutz::Auskunft a;
    report::ReportPages seiten;
    try {
        a = datenschutz::auskunftLesen(dm.idb.get(), dm.ibt, kndnr);
        Tfrm_qr_datenauskunft qr;
        seiten = qr.layout(a, schule(dm));
    } catch (...) {
        fehlschlagMelden(Fehlschlag::DatenauskunftErstellen, grund());
        return false;
    }
    const QString name = bezeichnung(kndnr, a.kunde);
    // In the documents folder (made when a fresh desktop has none yet).
    QString json = platform::dialogs().saveFileIn(
        QStringLiteral("Datenauskunft für ") + name + QStringLiteral(" speichern"), datenschutz::dokumentenordner(),
        datenschutz::dateiname(kndnr, QDate::currentDate()) + QStringLiteral(".json"),
        QStringLiteral("JSON-Dateien (*.json)"), QString(), QStringLiteral("json"));
    if (json.isEmpty()) return false;
    const QFileInfo info(json);
    const QString pdf = info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
    // The file dialog asked about the JSON file only; the PDF beside it is
    // not replaced unasked.
    if (QFileInfo::exists(pdf) &&
        platform::dialogs().confirm(QStringLiteral("Der Ausdruck der Datenauskunft wird als PDF neben der JSON-Datei "
                                                   "gespeichert. Die Datei \"") +
                                        pdf + QStringLiteral("\" gibt es schon.") + cr + cr +
                                        QStringLiteral("Soll sie ersetzt werden?"),
                                    QStringLiteral("Bestätigung"), platform::Buttons::JaNein, platform::Icon::Question,
                                    platform::Answer::Nein) != platform::Answer::Ja)
        return false;
    if (!schreiben(json, datenschutz::auskunftJson(a))) {
        fehlschlagMelden(Fehlschlag::DateiSchreiben, json);
        return false;
    }
    bool pdfGeschrieben = false;
    {
        platform::ScopedPrivateUmask nurFuerMich;
        pdfGeschrieben = report::printToPdf(seiten, pdf);
    }
    if (pdfGeschrieben) platform::privateFile(pdf);
    if (!pdfGeschrieben) {
        meldung(QStringLiteral("Die Datenauskunft wurde als \"%1\" gespeichert, der Ausdruck als PDF \"%2\" konnte "
                               "aber nicht geschrieben werden.")
                    .arg(json, pdf),
                platform::Icon::Warning);
    } else {
        meldung(QStringLiteral("Die Datenauskunft für ") + name + QStringLiteral(" wurde gespeichert:") + cr + json + cr +
                pdf + cr + cr + QStringLiteral("Der Ausdruck wird jetzt in der Druckvorschau gezeigt."));
    }
    report::previewReport(seiten, QStringLiteral("Datenauskunft ") + name,
                          parent ? parent : QApplication::activeWindow());
    return true;
}

bool kundeLoeschen(Tdm& dm, int kndnr, QWidget* parent) {
    if (kndnr == 0) return false;
    if (importOffen()) return false;
    if (!dm.finishPendingEdits()) return false;
    datenschutz::Umfang umfang;
    try {
        umfang = datenschutz::umfangLesen(dm.idb.get(), dm.ibt, kndnr);
    } catch (...) {
        fehlschlagMelden(Fehlschlag::KundeLoeschenPruefen, grund());
        return false;
    }
    Tdlg_kunde_loeschen dlg(umfang, parent ? parent : QApplication::activeWindow());
    if (!dlg.fragen()) return false;
    const QVector<QDateTime> termine = dlg.zuLoeschendeTermine();
    const QString name = bezeichnung(kndnr, umfang.kunde);

    // The backup first: it holds everything as it was (posted changes
    // committed), so a mistaken erasure can be undone by restoring it.
    const QString ordner = backup::backupDirectory();
    const QString sicherung = QDir(ordner).filePath(sicherungsname(kndnr, QDateTime::currentDateTime()));
    try {
        if (!platform::privateDirectory(ordner))
            throw db::Error(QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.").arg(ordner));
        dm.ibt->commitRetaining();
        backup::writeBackup(dm.idb->databaseName(), sicherung, dm.idb->user(), dm.idb->password());
    } catch (...) {
        fehlschlagMelden(Fehlschlag::SicherungVorLoeschen, grund());
        return false;
    }

    // One transaction: everything goes, or (after an error) nothing.
    try {
        datenschutz::loeschen(dm.idb.get(), dm.ibt, kndnr, termine);
        dm.ibt->commitRetaining();
    } catch (...) {
        const QString text = grund();
        try {
            dm.ibt->rollbackRetaining();
        } catch (...) {
        }
        datenNeuLesen(dm);
        fehlschlagMelden(Fehlschlag::KundeLoeschen, text);
        return false;
    }
    try {
        datenNeuLesen(dm);
    } catch (...) {
        // The rows are gone; a window that cannot read again shows its old
        // rows until it is opened anew.
    }

    QString text = name + QStringLiteral(" wurde endgültig gelöscht (%1 Hunde, %2 Tagebucheinträge, %3 Kursteilnahmen, "
                                         "%4 Beratungstermine).")
                              .arg(umfang.hunde)
                              .arg(umfang.tagebuch)
                              .arg(umfang.teilnahmen)
                              .arg(termine.size()) +
                   (umfang.rechnungen > 0
                        ? cr + cr +
                              QStringLiteral("Aufbewahrt bleiben %1 ausgestellte Rechnung(en) mit ihren Zahlungen.")
                                  .arg(umfang.rechnungen)
                        : QString()) +
                   cr + cr + QStringLiteral("Die Datensicherung von vorher liegt in:") + cr + sicherung + cr +
                   QStringLiteral("Sie enthält die gelöschten Daten noch.");
    const QString nachname = datenschutz::wert(umfang.kunde, QStringLiteral("NAME")).toString().trimmed();
    try {
        const auto rest = datenschutz::fundstellen(dm.idb.get(), dm.ibt, nachname);
        if (!rest.isEmpty()) {
            QStringList orte;
            for (const auto& f : rest) orte << QStringLiteral("%1.%2 (%3×)").arg(f.tabelle, f.spalte).arg(f.anzahl);
            text += cr + cr + QStringLiteral("Der Name \"") + nachname + QStringLiteral("\" steht noch in: ") +
                    orte.join(QStringLiteral(", ")) +
                    QStringLiteral(" (z. B. bei anderen Kunden gleichen Namens, in behaltenen Terminen oder im "
                                   "Notizblock). Prüfen Sie diese Stellen bei Bedarf von Hand.");
        }
    } catch (...) {
    }
    meldung(text);
    return true;
}

void alteKundendatenZeigen(Tdm& dm, QWidget* parent) {
    if (!dm.finishPendingEdits()) return;
    Tfrm_alte_kunden f(dm, parent);
    f.aktualisieren();
    f.exec();
}

}  // namespace datenschutz_ui

// ---------------------------------------------------------------------------

Tdlg_kunde_loeschen::Tdlg_kunde_loeschen(const datenschutz::Umfang& umfang, QWidget* parent)
    : QDialog(parent), m_umfang(umfang) {
    setObjectName(QStringLiteral("dlg_kunde_loeschen"));
    setWindowTitle(QStringLiteral("Kunde endgültig löschen"));
    auto* v = new QVBoxLayout(this);
    const int nr = datenschutz::wert(umfang.kunde, QStringLiteral("KNDNR")).toInt();
    lb_umfang = new QLabel(this);
    lb_umfang->setObjectName(QStringLiteral("lb_umfang"));
    lb_umfang->setTextFormat(Qt::PlainText);
    lb_umfang->setWordWrap(true);
    lb_umfang->setText(bezeichnung(nr, umfang.kunde) +
                       QStringLiteral(" wird mit allen Daten endgültig gelöscht:\n"
                                      "  • die Kundendaten (Anschrift, Telefon, E-Mail, Kommentar)\n"
                                      "  • %1 Hunde mit Anamnesebogen\n"
                                      "  • %2 Einträge im Trainingstagebuch\n"
                                      "  • %3 Kursteilnahmen\n\n"
                                      "Vorher wird automatisch eine Datensicherung angelegt. Das Löschen kann "
                                      "nicht rückgängig gemacht werden.")
                           .arg(umfang.hunde)
                           .arg(umfang.tagebuch)
                           .arg(umfang.teilnahmen));
    if (umfang.rechnungen > 0 || umfang.entwuerfe > 0) {
        // Issued invoices stay: tax law's retention duty (Art. 17 (3) b GDPR).
        QString t = lb_umfang->text() + QStringLiteral("\n\n");
        if (umfang.rechnungen > 0)
            t += QStringLiteral("Erhalten bleiben %1 ausgestellte Rechnung(en) mit ihren Zahlungen und Mahnungen%2: "
                                "Rechnungen müssen acht Jahre aufbewahrt werden (Art. 17 Abs. 3 b DSGVO).")
                     .arg(umfang.rechnungen)
                     .arg(umfang.offeneRechnungen > 0
                              ? QStringLiteral(", davon %1 noch nicht ganz bezahlt").arg(umfang.offeneRechnungen)
                              : QString());
        if (umfang.entwuerfe > 0)
            t += (umfang.rechnungen > 0 ? QStringLiteral(" ") : QString()) +
                 QStringLiteral("%1 Rechnungsentwurf/-entwürfe werden mit gelöscht.").arg(umfang.entwuerfe);
        lb_umfang->setText(t);
    }
    v->addWidget(lb_umfang);

    lb_termine = new QLabel(this);
    lb_termine->setObjectName(QStringLiteral("lb_termine"));
    lb_termine->setWordWrap(true);
    lst_termine = new QListWidget(this);
    lst_termine->setObjectName(QStringLiteral("lst_termine"));
    for (const auto& t : umfang.beratungstermine) {
        const QVariant datum = datenschutz::wert(t, QStringLiteral("DATUM"));
        QStringList teile{datenschutz::anzeigewert(QStringLiteral("KURSTERMINE"), QStringLiteral("DATUM"), datum)};
        for (const char* s : {"THEMA", "ORT", "KONTAKT"}) {
            const QString w = datenschutz::wert(t, QString::fromLatin1(s)).toString().trimmed();
            if (!w.isEmpty()) teile << w;
        }
        auto* item = new QListWidgetItem(teile.join(QStringLiteral("  |  ")), lst_termine);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setData(Qt::UserRole, datum);
    }
    if (umfang.beratungstermine.isEmpty()) {
        lb_termine->setText(QStringLiteral("Kein Beratungstermin nennt den Kunden."));
        lst_termine->hide();
    } else {
        lb_termine->setText(QStringLiteral("%1 Beratungstermine nennen den Kunden (Name oder Telefonnummer in Thema, Ort "
                                           "oder Kontakt). Angehakte Termine werden mit gelöscht, die anderen bleiben:")
                                .arg(umfang.beratungstermine.size()));
    }
    v->addWidget(lb_termine);
    v->addWidget(lst_termine, 1);

    auto* h = new QHBoxLayout;
    h->addStretch(1);
    b_loeschen = new QPushButton(QStringLiteral("Endgültig löschen"), this);
    b_loeschen->setObjectName(QStringLiteral("b_loeschen"));
    b_abbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    b_abbrechen->setObjectName(QStringLiteral("b_abbrechen"));
    b_abbrechen->setDefault(true);
    h->addWidget(b_loeschen);
    h->addWidget(b_abbrechen);
    v->addLayout(h);
    connect(b_loeschen, &QPushButton::clicked, this, &QDialog::accept);
    connect(b_abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    resize(620, umfang.beratungstermine.isEmpty() ? 260 : 420);
}

QVector<QDateTime> Tdlg_kunde_loeschen::zuLoeschendeTermine() const {
    QVector<QDateTime> out;
    for (int i = 0; i < lst_termine->count(); ++i)
        if (lst_termine->item(i)->checkState() == Qt::Checked)
            out << lst_termine->item(i)->data(Qt::UserRole).toDateTime();
    return out;
}

Tdlg_kunde_loeschen::Antwort Tdlg_kunde_loeschen::setAntwort(Antwort a) {
    Antwort vorher = antwort();
    antwort() = std::move(a);
    return vorher;
}

bool Tdlg_kunde_loeschen::fragen() {
    if (antwort()) return antwort()(*this);
    return exec() == QDialog::Accepted;
}

// ---------------------------------------------------------------------------

Tfrm_alte_kunden::Tfrm_alte_kunden(Tdm& data, QWidget* parent) : QDialog(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_alte_kunden"));
    setWindowTitle(QStringLiteral("Alte Kundendaten"));
    auto* v = new QVBoxLayout(this);

    auto* oben = new QHBoxLayout;
    oben->addWidget(new QLabel(QStringLiteral("Kunden ohne Kursteilnahme, Termin, Tagebucheintrag oder Aufnahme seit"), this));
    se_jahre = new QSpinBox(this);
    se_jahre->setObjectName(QStringLiteral("se_jahre"));
    se_jahre->setRange(1, 50);
    se_jahre->setValue(3);
    oben->addWidget(se_jahre);
    oben->addWidget(new QLabel(QStringLiteral("Jahren"), this));
    b_aktualisieren = new QPushButton(QStringLiteral("Aktualisieren"), this);
    b_aktualisieren->setObjectName(QStringLiteral("b_aktualisieren"));
    oben->addWidget(b_aktualisieren);
    oben->addStretch(1);
    v->addLayout(oben);

    lb_anzahl = new QLabel(this);
    lb_anzahl->setObjectName(QStringLiteral("lb_anzahl"));
    lb_anzahl->setWordWrap(true);
    v->addWidget(lb_anzahl);

    tw_kunden = new QTableWidget(0, 5, this);
    tw_kunden->setObjectName(QStringLiteral("tw_kunden"));
    tw_kunden->setHorizontalHeaderLabels({QStringLiteral("Kd-Nr."), QStringLiteral("Name"), QStringLiteral("Vorname"),
                                          QStringLiteral("Ort"), QStringLiteral("letzter Kontakt")});
    tw_kunden->setSelectionBehavior(QAbstractItemView::SelectRows);
    tw_kunden->setSelectionMode(QAbstractItemView::SingleSelection);
    tw_kunden->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tw_kunden->verticalHeader()->hide();
    tw_kunden->horizontalHeader()->setStretchLastSection(true);
    tw_kunden->setColumnWidth(0, 70);
    tw_kunden->setColumnWidth(1, 180);
    tw_kunden->setColumnWidth(2, 140);
    tw_kunden->setColumnWidth(3, 160);
    v->addWidget(tw_kunden, 1);

    auto* unten = new QHBoxLayout;
    b_auskunft = new QPushButton(QStringLiteral("Datenauskunft..."), this);
    b_auskunft->setObjectName(QStringLiteral("b_auskunft"));
    b_loeschen = new QPushButton(QStringLiteral("Kunde endgültig löschen..."), this);
    b_loeschen->setObjectName(QStringLiteral("b_loeschen"));
    b_schliessen = new QPushButton(QStringLiteral("Schließen"), this);
    b_schliessen->setObjectName(QStringLiteral("b_schliessen"));
    unten->addWidget(b_auskunft);
    unten->addWidget(b_loeschen);
    unten->addStretch(1);
    unten->addWidget(b_schliessen);
    v->addLayout(unten);

    connect(b_aktualisieren, &QPushButton::clicked, this, [this] { aktualisieren(m_heute); });
    connect(b_auskunft, &QPushButton::clicked, this, [this] { b_auskunftClick(); });
    connect(b_loeschen, &QPushButton::clicked, this, [this] { b_loeschenClick(); });
    connect(b_schliessen, &QPushButton::clicked, this, &QDialog::accept);
    connect(tw_kunden, &QTableWidget::itemSelectionChanged, this, [this] { zeigeAuswahl(); });
    resize(760, 480);
    zeigeAuswahl();
}

void Tfrm_alte_kunden::aktualisieren(const QDate& heute) {
    m_heute = heute;
    tw_kunden->setRowCount(0);
    QVector<datenschutz::AlterKunde> liste;
    try {
        liste = datenschutz::alteKunden(m_dm.idb.get(), m_dm.ibt, se_jahre->value(),
                                          heute.isValid() ? heute : QDate::currentDate());
    } catch (...) {
        fehlschlagMelden(Fehlschlag::AlteKundenLesen, grund());
        return;
    }
    tw_kunden->setRowCount(int(liste.size()));
    for (int i = 0; i < liste.size(); ++i) {
        const auto& k = liste[i];
        const QString kontakt = k.letzterKontakt.isValid()
                                    ? db::fmt::formatDateTime(k.letzterKontakt, QStringLiteral("dd.mm.yyyy"))
                                    : QStringLiteral("kein Datum");
        const QString werte[] = {nummer(k.kndnr), k.name, k.vname, k.ort, kontakt};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(werte[c]);
            item->setData(Qt::UserRole, k.kndnr);
            tw_kunden->setItem(i, c, item);
        }
    }
    lb_anzahl->setText(
        QStringLiteral("%1 Kunden. Gezählt werden Aufnahme des Kunden, Anamnesebogen, Tagebucheinträge, Termine der "
                       "Kurse, an denen der Kunde teilnimmt, und Beratungstermine, die ihn nennen. (Spätere Änderungen "
                       "an Anschrift oder Hund werden nicht mit Datum gespeichert.)")
            .arg(liste.size()));
    if (!liste.isEmpty()) tw_kunden->selectRow(0);
    zeigeAuswahl();
}

int Tfrm_alte_kunden::gewaehlterKunde() const {
    const auto rows = tw_kunden->selectionModel()->selectedRows();
    if (rows.isEmpty()) return 0;
    QTableWidgetItem* item = tw_kunden->item(rows.first().row(), 0);
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void Tfrm_alte_kunden::zeigeAuswahl() {
    const bool gewaehlt = gewaehlterKunde() != 0;
    b_auskunft->setEnabled(gewaehlt);
    b_loeschen->setEnabled(gewaehlt);
}

void Tfrm_alte_kunden::b_auskunftClick() {
    if (const int nr = gewaehlterKunde()) datenschutz_ui::datenauskunft(m_dm, nr, this);
}

void Tfrm_alte_kunden::b_loeschenClick() {
    const int nr = gewaehlterKunde();
    if (nr && datenschutz_ui::kundeLoeschen(m_dm, nr, this)) aktualisieren(m_heute);
}
