#include "courses/beratungen.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "courses/keyedit.h"
#include "courses/kurse.h"
#include "data/kundensuche.h"
#include "data/datenmodul.h"
#include "db/error.h"
#include "db/field.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "widgets/captionpanel.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/feldbau.h"
#include "widgets/monthcalendar.h"

QPointer<Tfrm_beratungen> frm_beratungen;

using widgets::DbGridColumn;
using widgets::spalte;

using platform::guarded;

namespace {

QString datumText(const QDate& d) {
    return QStringLiteral("%1.%2.%3")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.year(), 4, 10, QLatin1Char('0'));
}

}  // namespace

QString Tfrm_beratungen::meldungDatum() {
    return QStringLiteral("Es wurde kein Datum für den Termin eingetragen oder es ist ein ungültiges Datum. Benutzen "
                          "Sie am besten den Kalender um das Datum des Termins zu bestimmen.");
}

QString Tfrm_beratungen::meldungUhrzeit() { return QStringLiteral("Das Feld 'um' enthält keine gültige Uhrzeit."); }

Tfrm_beratungen::Tfrm_beratungen(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_beratungen"));
    setWindowTitle(QStringLiteral("Beratungstermine / Einzelstunden"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();

    m_fettTimer = new QTimer(this);
    m_fettTimer->setSingleShot(true);
    m_fettTimer->setInterval(0);
    connect(m_fettTimer, &QTimer::timeout, this, [this] { guarded([this] { mc_kursterminplaner->refreshBoldDays(); }); });
    connect(m_dm.ds_kurstermine, &db::DataSource::dataSetChanged, this, [this] { fettTageSpaeter(); });
}

Tfrm_beratungen::~Tfrm_beratungen() = default;

void Tfrm_beratungen::buildUi() {
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);

    // Everything but the calendar on the left, the calendar on the right.
    Splitter2 = new QSplitter(Qt::Horizontal, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    root->addWidget(Splitter2);

    Splitter1 = new QSplitter(Qt::Vertical, Splitter2);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    QWidget* oben = buildKundensuche(Splitter1);
    QWidget* unten = buildTermine(Splitter1);
    Splitter1->addWidget(oben);
    Splitter1->addWidget(unten);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 1);

    buildKalender();
    Splitter2->addWidget(Splitter1);
    Splitter2->addWidget(jcp_kalender);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({1000, 300});
}

// The customer search and list.
QWidget* Tfrm_beratungen::buildKundensuche(QWidget* parent) {
    auto* oben = new QWidget(parent);
    auto* obenLayout = new QVBoxLayout(oben);
    obenLayout->setContentsMargins(2, 2, 2, 2);
    gb_suchen = new QGroupBox(QStringLiteral("Suchen nach..."), oben);
    gb_suchen->setObjectName(QStringLiteral("gb_suchen"));
    auto* gbLayout = new QHBoxLayout(gb_suchen);
    gbLayout->setContentsMargins(4, 2, 4, 4);
    suchtext_kunde = new KeyLineEdit(gb_suchen);
    suchtext_kunde->setObjectName(QStringLiteral("suchtext_kunde"));
    suchtext_kunde->onKeyDown = [this](int& key, Qt::KeyboardModifiers) {
        guarded([this, &key] { suchtext_kundeKeyDown(key); });
    };
    suchtext_kunde->onKeyPress = [this](QChar& ch) { suchtext_kundeKeyPress(ch); };
    gbLayout->addWidget(suchtext_kunde, 1);
    SpeedButton2 = new QToolButton(gb_suchen);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("C"));
    SpeedButton2->setStyleSheet(QStringLiteral("QToolButton { color: maroon; font-weight: bold; }"));
    gbLayout->addWidget(SpeedButton2);
    obenLayout->addWidget(gb_suchen);

    dbg_kunde = new widgets::DbGrid(oben);
    dbg_kunde->setObjectName(QStringLiteral("dbg_kunde"));
    dbg_kunde->setDataSource(m_dm.ds_kunde);
    DbGridColumn nr = spalte("KNDNR", "Knd-Nr", 6);
    nr.readOnly = true;
    DbGridColumn anrede = spalte("ANREDE", "Anrede", 8);
    anrede.pickList = {QStringLiteral("Frau"), QStringLiteral("Herr"), QStringLiteral("Familie")};
    dbg_kunde->setColumns({nr, spalte("NAME", "Name", 16), spalte("VNAME", "Vorname", 12), spalte("PLZ", "Plz", 6),
                           spalte("ORT", "Ort", 14), spalte("STR", "Strasse", 18), anrede,
                           spalte("TEL", "Telefon", 13), spalte("MOBIL", "Mobiltelefon", 13),
                           spalte("FAX", "Fax", 12), spalte("EMAIL", "E-Mail", 20),
                           spalte("KOMMENTAR", "Kommentar", 30)});
    connect(dbg_kunde, &widgets::DbGrid::rowDoubleClicked, this, [this] { guarded([this] { dbg_kundeDblClick(); }); });
    obenLayout->addWidget(dbg_kunde, 1);
    DBNavigator1 = new widgets::DbNavigator(oben);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(m_dm.ds_kunde);
    obenLayout->addWidget(DBNavigator1, 0, Qt::AlignLeft);
    return oben;
}

// The appointment and, under it, the day list.
QWidget* Tfrm_beratungen::buildTermine(QWidget* parent) {
    auto* unten = new QWidget(parent);
    auto* untenLayout = new QVBoxLayout(unten);
    untenLayout->setContentsMargins(2, 2, 2, 2);
    untenLayout->addWidget(buildTermin(unten));
    untenLayout->addWidget(buildTagesliste(unten), 1);
    return unten;
}

// The appointment's edits in two rows: day, time and topic with the
// navigator through the day list; place and contact with the buttons.
widgets::CaptionPanel* Tfrm_beratungen::buildTermin(QWidget* parent) {
    jcp_termin = new widgets::CaptionPanel(QStringLiteral("Beratungstermin / Einzelstunde"), parent);
    jcp_termin->setObjectName(QStringLiteral("jcp_termin"));
    jcp_termin->setCaptionPosition(widgets::CaptionPanel::Top);
    jcp_termin->setCaptionColor(palette().color(QPalette::Mid));
    auto* termin = new QWidget;
    auto* g = new QGridLayout(termin);
    g->setContentsMargins(4, 4, 4, 4);
    auto edit = [&](const char* name) {
        auto* e = new KeyLineEdit(termin);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    e_termin_am = edit("e_termin_am");
    e_termin_am->setFixedWidth(130);
    e_uhrzeit = edit("e_uhrzeit");
    e_uhrzeit->setFixedWidth(70);
    e_uhrzeit->onKeyPress = [this](QChar& ch) { e_uhrzeitKeyPress(ch); };
    e_thema = edit("e_thema");
    e_thema->setMaxLength(80);
    // The topic keeps a readable width when the window is narrow.
    e_thema->setMinimumWidth(100);
    e_ort = edit("e_ort");
    e_ort->setMaxLength(200);
    e_kontakt = edit("e_kontakt");
    e_kontakt->setMaxLength(200);

    auto* zeile1 = new QHBoxLayout;
    widgets::addLabeled(zeile1, QStringLiteral("am"), e_termin_am);
    zeile1->addSpacing(6);
    widgets::addLabeled(zeile1, QStringLiteral("um"), e_uhrzeit);
    zeile1->addWidget(widgets::label(termin, QStringLiteral("Uhr")));
    zeile1->addSpacing(6);
    widgets::addLabeled(zeile1, QStringLiteral("Thema"), e_thema, 1);
    DBNavigator2 = new widgets::DbNavigator(termin);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    DBNavigator2->setVisibleButtons(widgets::DbNavigator::MoveButtons);
    DBNavigator2->setDataSource(m_dm.ds_kursedestages);
    connect(DBNavigator2, &widgets::DbNavigator::clicked, this,
            [this](widgets::DbNavigator::Button) { guarded([this] { DBNavigator2Click(); }); });
    zeile1->addWidget(DBNavigator2);
    g->addLayout(zeile1, 0, 0);

    auto* zeile2 = new QHBoxLayout;
    widgets::addLabeled(zeile2, QStringLiteral("Ort"), e_ort, 2);
    zeile2->addSpacing(6);
    widgets::addLabeled(zeile2, QStringLiteral("Kontakt"), e_kontakt, 2);
    auto bild = [&](const char* name, const QString& zeichen, const QString& tip, const QColor& farbe) {
        auto* b = new QPushButton(zeichen, termin);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setFixedSize(28, 24);
        b->setStyleSheet(QStringLiteral("QPushButton { font-weight: bold; font-size: 14px; color: %1; } "
                                        "QPushButton:disabled { color: gray; }")
                             .arg(farbe.name()));
        zeile2->addWidget(b);
        return b;
    };
    BitBtn4 = bild("BitBtn4", QStringLiteral("+"), QStringLiteral("Neuer Termin"), QColor(0, 110, 0));
    BitBtn3 = bild("BitBtn3", QStringLiteral("\u2212"), QStringLiteral("Termin löschen"), QColor(150, 0, 0));
    BitBtn2 = bild("BitBtn2", QStringLiteral("\u2713"), QStringLiteral("Termin speichern"), QColor(0, 110, 0));
    BitBtn1 = bild("BitBtn1", QStringLiteral("\u2717"), QStringLiteral("Abbrechen"), QColor(150, 0, 0));
    BitBtn3->setEnabled(false);  // appointments cannot be removed here
    g->addLayout(zeile2, 1, 0);
    jcp_termin->setContentWidget(termin);
    connect(BitBtn4, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn4Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    return jcp_termin;
}

// The appointments and course dates of the day chosen in the calendar.
widgets::CaptionPanel* Tfrm_beratungen::buildTagesliste(QWidget* parent) {
    jcp_tagesansicht = new widgets::CaptionPanel(QStringLiteral("Termine am <datum>"), parent);
    jcp_tagesansicht->setObjectName(QStringLiteral("jcp_tagesansicht"));
    jcp_tagesansicht->setCaptionPosition(widgets::CaptionPanel::Top);
    jcp_tagesansicht->setCaptionColor(palette().color(QPalette::Mid));
    DBGrid3 = new widgets::DbGrid;
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setReadOnly(true);
    DBGrid3->setRowSelect(true);
    DBGrid3->setDataSource(m_dm.ds_kursedestages);
    DBGrid3->setColumns({spalte("UHRZEIT", "um", 6), spalte("KURSNR", "Kurs", 5), spalte("KURSART", "Art", 4),
                         spalte("THEMA", "Tagesthema", 34), spalte("ORT", "Ort", 30),
                         spalte("KONTAKT", "Kontakt", 30)});
    jcp_tagesansicht->setContentWidget(DBGrid3);
    return jcp_tagesansicht;
}

// The calendar beside everything else.
void Tfrm_beratungen::buildKalender() {
    jcp_kalender = new widgets::CaptionPanel(QStringLiteral("Kalender"), Splitter2);
    jcp_kalender->setObjectName(QStringLiteral("jcp_kalender"));
    jcp_kalender->setCaptionPosition(widgets::CaptionPanel::Top);
    jcp_kalender->setCaptionColor(palette().color(QPalette::Mid));
    auto* kal = new QWidget;
    auto* kalLayout = new QVBoxLayout(kal);
    kalLayout->setContentsMargins(0, 0, 0, 0);
    mc_kursterminplaner = new widgets::MonthCalendar(kal);
    mc_kursterminplaner->setObjectName(QStringLiteral("mc_kursterminplaner"));
    mc_kursterminplaner->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    kalLayout->addWidget(mc_kursterminplaner);
    kalLayout->addStretch(1);
    jcp_kalender->setContentWidget(kal);
    jcp_kalender->setMinimumWidth(280);
    connect(mc_kursterminplaner, &QCalendarWidget::clicked, this,
            [this](const QDate&) { guarded([this] { mc_kursterminplanerClick(); }); });
    connect(mc_kursterminplaner, &QCalendarWidget::activated, this,
            [this](const QDate&) { guarded([this] { mc_kursterminplanerDblClick(); }); });
}

// ---------------------------------------------------------------------------
// Showing and closing

void Tfrm_beratungen::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Back in front: the day list shows the day it is headed with again,
    // also after the course window loaded another day into the shared list.
    beimAktivieren(this, [this] { tagesliste_sicherstellen(m_dm, jcp_tagesansicht, m_tag, true); });
    if (m_formShown) return;
    m_formShown = true;
    guarded([this] { FormShow(); });
}

void Tfrm_beratungen::FormShow() {
    for (db::Dataset* d :
         {static_cast<db::Dataset*>(m_dm.ibt_kurse), static_cast<db::Dataset*>(m_dm.ibt_kurstermine),
          static_cast<db::Dataset*>(m_dm.ibt_trainer), static_cast<db::Dataset*>(m_dm.ibq_teilnehmer),
          static_cast<db::Dataset*>(m_dm.ibt_teilnehmeredit)})
        if (!d->isActive()) d->open();
    mc_kursterminplaner->setBoldDaysHandler([this](int year, int month) { return setbolddays(year, month); });
    tagesliste(QDate::currentDate());
}

bool Tfrm_beratungen::FormClose() {
    try {
        if (m_dm.ibt_kurstermine->isActive()) m_dm.ibt_kurstermine->checkBrowseMode();
        if (m_dm.ibt_kurse->isActive()) m_dm.ibt_kurse->checkBrowseMode();
    } catch (...) {
        platform::handleCurrentException();
        return false;
    }
    return true;
}

void Tfrm_beratungen::closeEvent(QCloseEvent* e) {
    if (!FormClose()) {
        e->ignore();
        return;
    }
    e->accept();
}

// ---------------------------------------------------------------------------
// Customer search and taking over a customer

void Tfrm_beratungen::suchtext_kundeKeyDown(int& key) {
    if (!istEingabetaste(key)) return;
    key = 0;  // Enter makes no character
    db::Table* kunde = m_dm.ibt_kunde;
    const QString bedingung = kundensuche_bedingung(suchtext_kunde->text());
    if (bedingung.isEmpty()) {
        kunde->setFiltered(false);
        kunde->setFilter(QString());
        return;
    }
    kunde->setFilter(bedingung);
    kunde->setFiltered(true);
}

void Tfrm_beratungen::suchtext_kundeKeyPress(QChar& ch) {
    if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QChar();
}

void Tfrm_beratungen::dbg_kundeDblClick() {
    db::Table* k = m_dm.ibt_kunde;
    if (!k->isActive() || k->isEmpty()) return;
    auto text = [k](const char* name) { return k->fieldByName(QString::fromLatin1(name))->asString(); };
    e_ort->setText(text("NAME") + QStringLiteral(", ") + text("PLZ") + QLatin1Char(' ') + text("ORT"));
    e_kontakt->setText(QStringLiteral("Tel:") + text("TEL") + QStringLiteral(", ") + text("MOBIL"));
}

// ---------------------------------------------------------------------------
// Appointment

void Tfrm_beratungen::BitBtn4Click() {
    DBNavigator2->setEnabled(false);
    e_termin_am->clear();
    e_uhrzeit->clear();
    e_thema->clear();
    e_ort->clear();
    e_kontakt->clear();
}

void Tfrm_beratungen::BitBtn1Click() {
    DBNavigator2->setEnabled(true);
    db::Query* tag = m_dm.ibq_kursedestages;
    db::Field* uhrzeit = tag->isActive() && !tag->isEmpty() ? tag->findField(QStringLiteral("UHRZEIT")) : nullptr;
    if (!uhrzeit || uhrzeit->isNull()) throw db::ConvertError(QStringLiteral("'' ist keine gültige Uhrzeit"));
    const QDateTime wann = uhrzeit->asDateTime();
    e_termin_am->setText(datumText(wann.date()));
    e_uhrzeit->setText(wann.time().toString(QStringLiteral("HH:mm:ss")));
    e_thema->setText(tag->fieldByName(QStringLiteral("THEMA"))->asString());
    e_ort->setText(tag->fieldByName(QStringLiteral("ORT"))->asString());
    e_kontakt->setText(tag->fieldByName(QStringLiteral("KONTAKT"))->asString());
}

void Tfrm_beratungen::DBNavigator2Click() {
    db::Query* tag = m_dm.ibq_kursedestages;
    if (!tag->isActive() || tag->isEmpty()) return;
    db::Field* uhrzeit = tag->fieldByName(QStringLiteral("UHRZEIT"));
    e_termin_am->setText(db::fmt::dateTimeToStr(uhrzeit->asDateTime()));
    e_uhrzeit->setText(uhrzeit->displayText());
    e_thema->setText(tag->fieldByName(QStringLiteral("THEMA"))->asString());
    e_ort->setText(tag->fieldByName(QStringLiteral("ORT"))->asString());
    e_kontakt->setText(tag->fieldByName(QStringLiteral("KONTAKT"))->asString());
}

void Tfrm_beratungen::BitBtn2Click() {
    // 1. The date.
    QDate datum;
    if (!datum_lesen(e_termin_am->text(), &datum)) {
        platform::dialogs().messageBox(meldungDatum());
        return;
    }
    // The time of day, before anything is appended.
    QTime t;
    if (!db::fmt::parseTime(e_uhrzeit->text(), &t)) {
        platform::dialogs().messageBox(meldungUhrzeit());
        e_uhrzeit->setFocus(Qt::OtherFocusReason);
        return;
    }
    db::Table* termine = m_dm.ibt_kurstermine;
    if (!termine->isActive()) termine->open();
    // 2. A row left over from a save that failed goes.
    if (termine->state() == db::DatasetState::Insert) termine->cancel();
    // Edits pending anywhere (a customer being typed in the grid above, a
    // course in the course window) are saved and committed with the
    // appointment. When one cannot be saved, its error is shown and nothing
    // is written.
    if (!m_dm.finishPendingEdits()) return;
    // The course date shown before, to come back to after the save.
    QVariantList vorher;
    if (!termine->isEmpty())
        vorher = {termine->fieldByName(QStringLiteral("KURSNR"))->value(),
                  termine->fieldByName(QStringLiteral("DATUM"))->value()};
    // 3.-6. The appointment: a date of the special course -1.
    termine->append();
    try {
        termine->fieldByName(QStringLiteral("KURSNR"))->setAsInteger(-1);
        const QDateTime wann = db::makeDateTime(datum, t);
        termine->fieldByName(QStringLiteral("DATUM"))->setAsDateTime(wann);
        termine->fieldByName(QStringLiteral("UHRZEIT"))->setAsDateTime(wann);
        termine->fieldByName(QStringLiteral("THEMA"))->setAsString(e_thema->text());
        termine->fieldByName(QStringLiteral("ORT"))->setAsString(e_ort->text());
        termine->fieldByName(QStringLiteral("KONTAKT"))->setAsString(e_kontakt->text());
        termine->post();
    } catch (...) {
        // A refused appointment (one at that day and time exists) leaves no
        // unsaved row behind; the edits keep what the user typed.
        if (termine->state() == db::DatasetState::Insert) termine->cancel();
        throw;
    }
    // 7. Commit, retaining: every window keeps its datasets open with the
    // same current rows (the course window's participants, dates and
    // documents among them).
    m_dm.commitNow();
    // 8. The appointment belongs to course -1, not to the course whose dates
    // the dataset shows: read them again, on the date shown before.
    termine->refresh();
    if (vorher.size() == 2) termine->locate(QStringLiteral("KURSNR;DATUM"), vorher);
    tagesliste(mc_kursterminplaner->selectedDate());
    DBNavigator2->setEnabled(true);
    if (!m_dm.ibt_kunde->isActive()) m_dm.ibt_kunde->open();
    fettTageSpaeter();
}

void Tfrm_beratungen::e_uhrzeitKeyPress(QChar& ch) {
    if (ch == QLatin1Char(',') || ch == QLatin1Char('/')) ch = QLatin1Char(':');
    else if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QChar();
}

// ---------------------------------------------------------------------------
// Calendar and day list

QSet<int> Tfrm_beratungen::setbolddays(int year, int month) { return kurstermin_tage(m_dm, year, month); }

void Tfrm_beratungen::fettTageSpaeter() {
    if (m_formShown && m_fettTimer) m_fettTimer->start();
}

void Tfrm_beratungen::tagesliste(const QDate& tag) {
    m_tag = tag;
    tagesliste_laden(m_dm, jcp_tagesansicht, tag, true);
}

void Tfrm_beratungen::mc_kursterminplanerClick() { tagesliste(mc_kursterminplaner->selectedDate()); }

void Tfrm_beratungen::mc_kursterminplanerDblClick() {
    e_termin_am->setText(datumText(mc_kursterminplaner->selectedDate()));
}

bool Tfrm_beratungen::terminZeigen(const QDateTime& datum) {
    if (!datum.isValid()) return false;
    mc_kursterminplaner->setSelectedDate(datum.date());
    tagesliste(datum.date());
    db::Query* tag = m_dm.ibq_kursedestages;
    // The window writes day and time into both DATUM and UHRZEIT; the day
    // list carries UHRZEIT.
    if (!tag->locate(QStringLiteral("KURSNR;UHRZEIT"), QVariantList{-1, datum})) return false;
    DBNavigator2->setEnabled(true);
    DBNavigator2Click();
    // Opened from the appointment search: the date as a date and the time in
    // its own edit, so that the appointment can be saved again as shown.
    e_termin_am->setText(datumText(datum.date()));
    e_uhrzeit->setText(datum.time().toString(QStringLiteral("HH:mm")));
    return true;
}

void Tfrm_beratungen::datenOeffnen() {
    // The customers, the dates and the trainers.
    oeffnen({m_dm.ibt_kunde, m_dm.ibt_kurstermine, m_dm.ibt_trainer});
}
