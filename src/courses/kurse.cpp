#include "courses/kurse.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "courses/auswahl.h"
#include "courses/dlg_teilnehmer_add.h"
#include "courses/keyedit.h"
#include "courses/kursbelegung.h"
#include "courses/qr_teilnehmerliste.h"
#include "courses/qr_terminliste.h"
#include "data/datenmodul.h"
#include "db/error.h"
#include "db/field.h"
#include "db/statement.h"
#include "platform/rechnungswege.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/datei_ausfuehren.h"
#include "platform/sicherung.h"
#include "widgets/captionpanel.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/feldbau.h"
#include "widgets/monthcalendar.h"
#include "widgets/rolloutpanel.h"

QPointer<Tfrm_kurse> frm_kurse;

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

// An integer typed into an edit (StrToInt): optional blanks around it, an
// optional sign, decimal digits, within the 32-bit range.
bool ganzzahl_lesen(const QString& text, qint64* out) {
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    if (!re.match(text).hasMatch()) return false;
    qint64 v = 0;
    if (!db::fmt::parseInteger(text, &v)) return false;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    *out = v;
    return true;
}


// The course list's columns; KURSLEITER, hidden, holds the trainer's number.
QList<DbGridColumn> kursSpalten() {
    DbGridColumn nr = spalte("KURSNR", "Kurs-Nr.", 7);
    nr.readOnly = true;
    DbGridColumn art = spalte("KURSART", "Kursart", 8);
    art.pickList = {QStringLiteral("Junghundekurs"), QStringLiteral("Welpenkurs"), QStringLiteral("Agilitykurs"),
                    QStringLiteral("Familienbegleithund"), QStringLiteral("Obidience"), QStringLiteral("Sonstiges")};
    DbGridColumn status = spalte("STATUS", "Status", 7);
    status.pickList = {QStringLiteral("Aktiv"), QStringLiteral("Beendet"), QStringLiteral("Storniert"),
                       QStringLiteral("Pausiert")};
    DbGridColumn leiter = spalte("KURSLEITER_ZEICHEN", "Kursleiter", 10);
    leiter.ellipsisButton = true;
    DbGridColumn leiterNr;
    leiterNr.fieldName = QStringLiteral("KURSLEITER");
    leiterNr.visible = false;
    return {nr,
            art,
            status,
            spalte("KURSNAME", "Kursname", 30),
            spalte("GEBUEHR", "Kursgebühr", 11),
            leiter,
            leiterNr,
            spalte("MAXTEILNEHMER", "max. Teilnehmer", 13),
            spalte("ANZAHL_TEILNEHMER", "Anz. Teilnehmer", 13)};
}

}  // namespace

// ---------------------------------------------------------------------------
// Shared with the consultations window

QSet<int> kurstermin_tage(Tdm& data, int year, int month) {
    QSet<int> tage;
    if (!data.idb || !data.idb->isOpen() || !data.ibt) return tage;
    const QDate erster(year, month, 1);
    if (!erster.isValid() || year < 1 || year > 9999) return tage;
    // From the first of the month (inclusive) to the first of the next
    // month (exclusive): every day and every time of day of the month.
    QString sql = QStringLiteral("select datum from kurstermine where datum>=\"") + datumText(erster) +
                  QStringLiteral("\"");
    const QDate naechster = erster.addMonths(1);
    if (naechster.year() <= 9999)
        sql += QStringLiteral(" and datum<\"") + datumText(naechster) + QStringLiteral("\"");
    db::Statement s(data.idb.get(), data.ibt);
    s.prepare(sql);
    s.open();
    while (s.fetch()) {
        const QDateTime dt = s.value(0).toDateTime();
        if (dt.isValid()) tage.insert(dt.date().day());
    }
    return tage;
}

QString tagesliste_sql(const QString& datum, bool klammern) {
    QString sql = klammern
                      ? QStringLiteral(" select b.KURSNR, b.kursart, a.THEMA, a.UHRZEIT,a.ort,a.kontakt from "
                                       "KURSTERMINE a, KURSE b where ((a.kursnr=b.kursnr)) and datum>=")
                      : QStringLiteral(" select b.KURSNR, b.kursart, a.THEMA, a.UHRZEIT,a.ort,a.kontakt from "
                                       "KURSTERMINE a, KURSE b where a.kursnr=b.kursnr and datum>=");
    sql += QLatin1Char('"') + datum + QStringLiteral(" 00:00:00") + QLatin1Char('"');
    sql += QStringLiteral(" and datum<=") + QLatin1Char('"') + datum + QStringLiteral(" 23:59:59") +
           QLatin1Char('"');
    sql += QStringLiteral(" order by uhrzeit");
    return sql;
}

void tagesliste_laden(Tdm& data, widgets::CaptionPanel* caption, const QDate& tag, bool klammern) {
    const QString d = datumText(tag);
    if (caption) caption->setCaption(d);
    data.ibq_kursedestages->close();
    data.ibq_kursedestages->setSql({tagesliste_sql(d, klammern)});
    data.ibq_kursedestages->open();
}

void tagesliste_sicherstellen(Tdm& data, widgets::CaptionPanel* caption, const QDate& tag, bool klammern) {
    if (!tag.isValid()) return;
    db::Query* q = data.ibq_kursedestages;
    if (q->isActive() && q->sqlText() == tagesliste_sql(datumText(tag), klammern)) return;
    tagesliste_laden(data, caption, tag, klammern);
}

void beimAktivieren(QWidget* window, std::function<void()> handler) {
    auto* sub = window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
    if (!sub || sub->property("kynoviaTageslisteVerbunden").toBool()) return;
    sub->setProperty("kynoviaTageslisteVerbunden", true);
    QObject::connect(sub, &QMdiSubWindow::aboutToActivate, window, [handler] { guarded(handler); });
}

bool datum_lesen(const QString& text, QDate* out) {
    static const QRegularExpression blank(QStringLiteral("\\s"));
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(blank)) return false;
    QDateTime dt;
    if (!db::fmt::parseDateTime(t, &dt)) return false;
    if (dt.date().year() < 1 || dt.date().year() > 9999) return false;
    *out = dt.date();
    return true;
}

QTime uhrzeit_lesen(const QString& text) {
    QTime t;
    if (!db::fmt::parseTime(text, &t)) throw db::ConvertError(QStringLiteral("'%1' ist keine gültige Uhrzeit").arg(text));
    return t;
}

// ---------------------------------------------------------------------------
// Messages

QString Tfrm_kurse::meldungAnzahl() {
    return QStringLiteral("Die Anzahl der Termine wurde nicht eingetragen oder ist keine korrekte Zahl. Tragen Sie "
                          "z.B. für zehn Termine eine 10 ein.");
}

QString Tfrm_kurse::meldungErsterTermin() {
    return QStringLiteral("Es wurde kein Datum für den ersten Termin eingetragen oder es ist ein ungültiges Datum. "
                          "Benutzen Sie am besten den Kalender um das erste Datum der Termin zu bestimmen.");
}

QString Tfrm_kurse::meldungIntervall() {
    return QStringLiteral("Es wurde kein oder kein korrekter Wert in das Feld \"und dann alle x Tage\" eingetragen. "
                          "Geben Sie hier bitte den Wert an, der angibt wie die Termine aufeinander folgen sollen, "
                          "also z.B. 7, wenn alle sieben Tage ein Kurs stattfinden soll.");
}

QString Tfrm_kurse::meldungIntervallVorlage() {
    return QStringLiteral("Es wurde kein oder kein korrekter Wert in das Feld \"und dann alle x Tage\" eingetragen, "
                          "auch in der Vorlage ist dieser Wert nicht definiert. Geben bitte den Wert an, der angibt "
                          "wie die Termine aufeinander folgen sollen, also z.B. 7, wenn alle sieben Tage ein Kurs "
                          "stattfinden soll.");
}

QString Tfrm_kurse::meldungRhythmusVorlage(qint64 rhythmus) {
    return QStringLiteral("Die Vorlage hat beim Wert \"alle n Tage\" die Zahl %1. Termine werden nur vorwärts "
                          "eingetragen: Tragen Sie bei der Vorlage bitte 1 oder mehr ein oder lassen Sie das Feld "
                          "leer, dann gilt der Wert aus dem Feld \"und dann alle x Tage\".")
        .arg(rhythmus);
}

QString Tfrm_kurse::meldungUhrzeit() { return QStringLiteral("Das Feld 'um:' enthält keine gültige Uhrzeit."); }

QString Tfrm_kurse::meldungKeinKurs() {
    return QStringLiteral("Es ist kein Kurs ausgewählt. Legen Sie bitte zuerst einen Kurs an oder wählen Sie den "
                          "Kurs aus, zu dem die Termine eingetragen werden sollen.");
}

QString Tfrm_kurse::meldungDatumsbereich() {
    return QStringLiteral("Die Termine würden außerhalb des gültigen Datumsbereichs (01.01.0001 bis 31.12.9999) "
                          "liegen. Prüfen Sie bitte die Anzahl der Termine und den Abstand \"und dann alle x Tage\".");
}

QString Tfrm_kurse::loeschfrage(const QString& vname, const QString& name, const QString& hundname) {
    QString t = QStringLiteral("Sind Sie sicher das der Teilnehmer \r\r");
    if (!vname.isEmpty()) t += vname + QLatin1Char(' ');
    t += name + QStringLiteral(" mit Hund ") + hundname + QStringLiteral("\r\rgelöscht werden soll ?");
    return t;
}

// ---------------------------------------------------------------------------
// Construction

Tfrm_kurse::Tfrm_kurse(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_kurse"));
    setWindowTitle(QStringLiteral("Kurse"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();

    m_fettTimer = new QTimer(this);
    m_fettTimer->setSingleShot(true);
    m_fettTimer->setInterval(0);
    connect(m_fettTimer, &QTimer::timeout, this, [this] { guarded([this] { mc_kursterminplaner->refreshBoldDays(); }); });

    // The calendar follows the course date that becomes current.
    QPointer<widgets::MonthCalendar> mc = mc_kursterminplaner;
    m_dm.kursterminCalendar = [mc](const QDateTime& dt) {
        if (mc && dt.isValid()) mc->setSelectedDate(dt.date());
    };
    // Dates written or removed (here, in the consultations window or by a
    // grid) change the bold days at once.
    connect(m_dm.ds_kurstermine, &db::DataSource::dataSetChanged, this, [this] { fettTageSpaeter(); });
    // Another course: the generator proposes from that course's dates.
    for (auto signal : {&db::DataSource::dataSetChanged, &db::DataSource::dataSetScrolled})
        connect(m_dm.ds_kurse, signal, this, [this] { guarded([this] { generatorZumKurs(); }); });
    connect(m_dm.ds_kurse, &db::DataSource::recordChanged, this, [this](db::Field* f) {
        if (!f || f->fieldName().compare(QLatin1String("KURSNR"), Qt::CaseInsensitive) == 0)
            guarded([this] { generatorZumKurs(); });
    });
}

Tfrm_kurse::~Tfrm_kurse() {
    // At the end of the program the data module may be gone before this
    // window (a child window of the main window, which goes last).
    if (dm) dm->kursterminCalendar = nullptr;
}

void Tfrm_kurse::buildUi() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    root->addWidget(Splitter1);

    QWidget* oben = buildKursliste(Splitter1);
    QWidget* mitte = buildBeschreibung(Splitter1);
    QWidget* unten = buildSeiten(Splitter1);
    Splitter1->addWidget(oben);
    Splitter1->addWidget(mitte);
    Splitter1->addWidget(unten);
    Splitter1->setStretchFactor(0, 3);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setStretchFactor(2, 6);
    Splitter1->setSizes({220, 70, 480});
}

// The course list with the three toggle buttons beside it.
QWidget* Tfrm_kurse::buildKursliste(QWidget* parent) {
    auto* oben = new QWidget(parent);
    auto* obenLayout = new QHBoxLayout(oben);
    obenLayout->setContentsMargins(2, 2, 2, 2);
    dbg_kurse = new widgets::DbGrid(oben);
    dbg_kurse->setObjectName(QStringLiteral("dbg_kurse"));
    dbg_kurse->setDataSource(m_dm.ds_kurse);
    dbg_kurse->setColumns(kursSpalten());
    connect(dbg_kurse, &widgets::DbGrid::editButtonClicked, this,
            [this](int) { guarded([this] { dbg_kurseEditButtonClick(); }); });
    obenLayout->addWidget(dbg_kurse, 1);

    auto* knoepfe = new QVBoxLayout;
    bg_kursauswahl = new QButtonGroup(this);
    bg_kursauswahl->setExclusive(true);
    auto toggle = [&](const char* name, const QString& text) {
        auto* b = new QToolButton(oben);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setMinimumWidth(110);
        bg_kursauswahl->addButton(b);
        knoepfe->addWidget(b);
        return b;
    };
    // The three buttons choose which courses the list shows (by status).
    sb_aktive_kurse = toggle("sb_aktive_kurse", QStringLiteral("Aktive Kurse"));
    sb_alle_kurse = toggle("sb_alle_kurse", QStringLiteral("Alle Kurse"));
    sb_beendete_kurse = toggle("sb_beendete_kurse", QStringLiteral("Beendete Kurse"));
    sb_aktive_kurse->setToolTip(QStringLiteral("Zeigt die aktiven Kurse."));
    sb_alle_kurse->setToolTip(QStringLiteral("Zeigt alle Kurse."));
    sb_beendete_kurse->setToolTip(QStringLiteral("Zeigt die beendeten Kurse."));
    sb_aktive_kurse->setChecked(true);
    for (QToolButton* b : {sb_aktive_kurse, sb_alle_kurse, sb_beendete_kurse})
        connect(b, &QToolButton::clicked, this, [this] { guarded([this] { kursauswahlClick(); }); });
    knoepfe->addStretch(1);
    obenLayout->addLayout(knoepfe);
    return oben;
}

// The course's description under its title bar.
QWidget* Tfrm_kurse::buildBeschreibung(QWidget* parent) {
    auto* mitte = new QWidget(parent);
    auto* mitteLayout = new QVBoxLayout(mitte);
    mitteLayout->setContentsMargins(2, 0, 2, 0);
    mitteLayout->setSpacing(0);
    auto* titel = new QLabel(QStringLiteral("Kursbeschreibung:"), mitte);
    titel->setObjectName(QStringLiteral("lb_kursbeschreibung"));
    titel->setStyleSheet(QStringLiteral("QLabel { background: palette(mid); color: white; font-weight: bold; "
                                        "padding: 2px 4px; }"));
    mitteLayout->addWidget(titel);
    DBMemo1 = widgets::boundMemo(mitte, QStringLiteral("DBMemo1"), m_dm.ds_kurse, QStringLiteral("BESCHREIBUNG"));
    mitteLayout->addWidget(DBMemo1);
    return mitte;
}

// The pages (dates, participants, documents) and the bar of buttons under them.
QWidget* Tfrm_kurse::buildSeiten(QWidget* parent) {
    auto* unten = new QWidget(parent);
    auto* untenLayout = new QVBoxLayout(unten);
    untenLayout->setContentsMargins(2, 2, 2, 2);
    pg_kurs = new QTabWidget(unten);
    pg_kurs->setObjectName(QStringLiteral("pg_kurs"));
    pg_kurs->setDocumentMode(true);  // flat tab buttons
    ts_kurstermine = buildTerminSeite();
    ts_teilnehmer = buildTeilnehmerSeite();
    ts_dokumente = buildDokumentSeite();
    pg_kurs->addTab(ts_kurstermine, QStringLiteral("Kurstermine"));
    pg_kurs->addTab(ts_teilnehmer, QStringLiteral("Teilnehmer"));
    pg_kurs->addTab(ts_dokumente, QStringLiteral("Dokumente"));
    untenLayout->addWidget(pg_kurs, 1);

    auto* leiste = new QHBoxLayout;
    auto knopf = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, unten);
        b->setObjectName(QString::fromLatin1(name));
        leiste->addWidget(b);
        return b;
    };
    BitBtn1 = knopf("BitBtn1", QStringLiteral("Terminliste"));
    BitBtn2 = knopf("BitBtn2", QStringLiteral("Teilnehmerliste"));
    BitBtn3 = knopf("BitBtn3", QStringLiteral("Dokumentensatz für Teilnehmer"));
    BitBtn5 = knopf("BitBtn5", QStringLiteral("Anmeldung"));
    leiste->addStretch(1);
    untenLayout->addLayout(leiste);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });
    // "Dokumentensatz für Teilnehmer" has no action.
    return unten;
}

QWidget* Tfrm_kurse::buildTerminSeite() {
    auto* seite = new QWidget;
    seite->setObjectName(QStringLiteral("ts_kurstermine"));
    auto* layout = new QVBoxLayout(seite);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(buildTerminGenerator(seite));
    layout->addWidget(buildTermineUndKalender(seite), 1);
    return seite;
}

// The roll-out with the date generator: one row of labelled edits and the
// button (its context menu takes the dates from a template).
widgets::RolloutPanel* Tfrm_kurse::buildTerminGenerator(QWidget* parent) {
    JvRollout1 = new widgets::RolloutPanel(QStringLiteral("Termine hinzufügen: "), parent);
    JvRollout1->setObjectName(QStringLiteral("JvRollout1"));
    JvRollout1->setHint(QStringLiteral("Klicken Sie hier um Termine zu dem Kurs hinzuzufügen."));
    auto* zeile = new QWidget;
    auto* z = new QHBoxLayout(zeile);
    z->setContentsMargins(4, 4, 4, 4);
    // Each edit with its label before it and the room after it.
    const struct {
        KeyLineEdit* Tfrm_kurse::*edit;
        const char* name;
        const char* text;
        int breite;
        int abstand;
    } eingaben[] = {{&Tfrm_kurse::e_anztermine, "e_anztermine", "Anzahl:", 40, 8},
                    {&Tfrm_kurse::e_erster_termin_am, "e_erster_termin_am", "Erster Termin am:", 90, 0},
                    {&Tfrm_kurse::e_uhrzeit, "e_uhrzeit", "um:", 50, 8},
                    {&Tfrm_kurse::e_alle_x_tage, "e_alle_x_tage", "und dann alle", 40, 0}};
    for (const auto& e : eingaben) {
        auto* edit = new KeyLineEdit(zeile);
        edit->setObjectName(QString::fromLatin1(e.name));
        edit->setFixedWidth(e.breite);
        this->*e.edit = edit;
        widgets::addLabeled(z, QString::fromUtf8(e.text), edit);
        if (e.abstand) z->addSpacing(e.abstand);
    }
    z->addWidget(widgets::label(zeile, QStringLiteral("Tage.")));
    z->addSpacing(12);
    Button1 = new QPushButton(QStringLiteral("Termine eintragen"), zeile);
    Button1->setObjectName(QStringLiteral("Button1"));
    z->addWidget(Button1);
    z->addStretch(1);
    JvRollout1->setContentWidget(zeile);
    JvRollout1->setExpandedHeight(widgets::RolloutPanel::HeaderHeight + zeile->sizeHint().height() + 4);
    JvRollout1->expand();

    // Keys of the four edits.
    for (KeyLineEdit* e : {e_anztermine, e_erster_termin_am, e_uhrzeit, e_alle_x_tage})
        e->onKeyDown = [this](int& key, Qt::KeyboardModifiers) { e_anztermineKeyDown(key); };
    e_anztermine->onKeyPress = [this](QChar& ch) { e_anztermineKeyPress(ch); };
    e_alle_x_tage->onKeyPress = [this](QChar& ch) { e_anztermineKeyPress(ch); };
    e_erster_termin_am->onKeyPress = [this](QChar& ch) { e_erster_termin_amKeyPress(ch); };
    e_uhrzeit->onKeyPress = [this](QChar& ch) { e_uhrzeitKeyPress(ch); };
    e_uhrzeit->onExit = [this] { guarded([this] { e_uhrzeitExit(); }); };

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    pm_vorlagen = new QMenu(this);
    pm_vorlagen->setObjectName(QStringLiteral("pm_vorlagen"));
    erminlisteausVorlagenholen1 = pm_vorlagen->addAction(QStringLiteral("Terminliste aus Vorlagen holen..."));
    erminlisteausVorlagenholen1->setObjectName(QStringLiteral("erminlisteausVorlagenholen1"));
    connect(erminlisteausVorlagenholen1, &QAction::triggered, this,
            [this] { guarded([this] { erminlisteausVorlagenholen1Click(); }); });
    Button1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Button1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pm_vorlagen->popup(Button1->mapToGlobal(p)); });
    return JvRollout1;
}

// The dates of the course on the left; the calendar and the day list on the right.
QSplitter* Tfrm_kurse::buildTermineUndKalender(QWidget* parent) {
    auto* teiler = new QSplitter(Qt::Horizontal, parent);
    teiler->setChildrenCollapsible(false);
    auto* links = new QWidget(teiler);
    auto* linksLayout = new QVBoxLayout(links);
    linksLayout->setContentsMargins(0, 0, 0, 0);
    linksLayout->addWidget(widgets::label(links, QStringLiteral("Kurstermine:")));
    DBGrid2 = new widgets::DbGrid(links);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setDataSource(m_dm.ds_kurstermine);
    // "Donnerstag, 10.12.2026" in full; the titles are the fields' labels.
    DBGrid2->setColumns({spalte("DATUM", "", 30), spalte("UHRZEIT", "", 7), spalte("THEMA", "", 40)});
    linksLayout->addWidget(DBGrid2, 1);

    jcp_kalender = new widgets::CaptionPanel(QStringLiteral("Kalender"), teiler);
    jcp_kalender->setObjectName(QStringLiteral("jcp_kalender"));
    jcp_kalender->setCaptionPosition(widgets::CaptionPanel::Top);
    jcp_kalender->setCaptionColor(palette().color(QPalette::Mid));
    auto* rechts = new QWidget;
    auto* rechtsLayout = new QVBoxLayout(rechts);
    rechtsLayout->setContentsMargins(0, 0, 0, 0);
    mc_kursterminplaner = new widgets::MonthCalendar(rechts);
    mc_kursterminplaner->setObjectName(QStringLiteral("mc_kursterminplaner"));
    mc_kursterminplaner->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    rechtsLayout->addWidget(mc_kursterminplaner);
    jcp_tagesansicht = new widgets::CaptionPanel(QStringLiteral("Termine am <datum>"), rechts);
    jcp_tagesansicht->setObjectName(QStringLiteral("jcp_tagesansicht"));
    jcp_tagesansicht->setCaptionPosition(widgets::CaptionPanel::Top);
    jcp_tagesansicht->setCaptionColor(palette().color(QPalette::Mid));
    DBGrid3 = new widgets::DbGrid;
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setReadOnly(true);
    DBGrid3->setRowSelect(true);
    DBGrid3->setDataSource(m_dm.ds_kursedestages);
    DBGrid3->setColumns({spalte("UHRZEIT", "um", 6), spalte("KURSNR", "Kurs", 5), spalte("KURSART", "Art", 4),
                         spalte("THEMA", "Tagesthema", 36)});
    jcp_tagesansicht->setContentWidget(DBGrid3);
    rechtsLayout->addWidget(jcp_tagesansicht, 1);
    jcp_kalender->setContentWidget(rechts);
    teiler->addWidget(links);
    teiler->addWidget(jcp_kalender);
    teiler->setStretchFactor(0, 3);
    teiler->setStretchFactor(1, 2);

    connect(mc_kursterminplaner, &QCalendarWidget::clicked, this,
            [this](const QDate&) { guarded([this] { mc_kursterminplanerClick(); }); });
    connect(mc_kursterminplaner, &QCalendarWidget::activated, this,
            [this](const QDate&) { guarded([this] { mc_kursterminplanerDblClick(); }); });
    return teiler;
}

QWidget* Tfrm_kurse::buildTeilnehmerSeite() {
    auto* seite = new QWidget;
    seite->setObjectName(QStringLiteral("ts_teilnehmer"));
    auto* layout = new QVBoxLayout(seite);
    layout->setContentsMargins(2, 2, 2, 2);

    DBGrid1 = new widgets::DbGrid(seite);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setReadOnly(true);
    DBGrid1->setRowSelect(true);
    DBGrid1->setDataSource(m_dm.ds_teilnehmer);
    DBGrid1->setColumns({spalte("VNAME", "Vorname", 14), spalte("NAME", "Name", 18), spalte("HUNDNAME", "Hund", 14),
                         spalte("BEZAHLT", "Bezahlt", 7), spalte("TEL", "Tel.", 14), spalte("MOBIL", "Mobil", 14),
                         spalte("FAX", "Fax", 14), spalte("EMAIL", "E-Mail", 24)});
    layout->addWidget(DBGrid1, 1);

    pm_bezahlt = new QMenu(this);
    pm_bezahlt->setObjectName(QStringLiteral("pm_bezahlt"));
    Barbezahlt1 = pm_bezahlt->addAction(QStringLiteral("Bar bezahlt"));
    Barbezahlt1->setObjectName(QStringLiteral("Barbezahlt1"));
    berwiesen1 = pm_bezahlt->addAction(QStringLiteral("Überwiesen"));
    berwiesen1->setObjectName(QStringLiteral("berwiesen1"));
    Lastschrift1 = pm_bezahlt->addAction(QStringLiteral("Lastschrift"));
    Lastschrift1->setObjectName(QStringLiteral("Lastschrift1"));
    Gutschrift1 = pm_bezahlt->addAction(QStringLiteral("Gutschrift"));
    Gutschrift1->setObjectName(QStringLiteral("Gutschrift1"));
    connect(Barbezahlt1, &QAction::triggered, this, [this] { guarded([this] { Barbezahlt1Click(); }); });
    connect(berwiesen1, &QAction::triggered, this, [this] { guarded([this] { berwiesen1Click(); }); });
    connect(Lastschrift1, &QAction::triggered, this, [this] { guarded([this] { Lastschrift1Click(); }); });
    connect(Gutschrift1, &QAction::triggered, this, [this] { guarded([this] { Gutschrift1Click(); }); });
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pm_bezahlt->popup(DBGrid1->viewport()->mapToGlobal(p)); });

    auto* leiste = new QHBoxLayout;
    auto* kommentar = new QVBoxLayout;
    kommentar->addWidget(widgets::label(seite, QStringLiteral("Kommentar zum Teilnehmer:")));
    DBMemo2 = widgets::boundMemo(seite, QStringLiteral("DBMemo2"), m_dm.ds_teilnehmeredit, QStringLiteral("KOMMENTAR"));
    DBMemo2->setFixedHeight(52);
    kommentar->addWidget(DBMemo2);
    leiste->addLayout(kommentar, 1);
    auto* knoepfe = new QVBoxLayout;
    b_add_teilnehmer = new QPushButton(QStringLiteral("Teilnehmer hinzufügen"), seite);
    b_add_teilnehmer->setObjectName(QStringLiteral("b_add_teilnehmer"));
    bb_del_teilnehmer = new QPushButton(QStringLiteral("Teilnehmer löschen"), seite);
    bb_del_teilnehmer->setObjectName(QStringLiteral("bb_del_teilnehmer"));
    BitBtn4 = new QPushButton(QStringLiteral("Teilnehmer hat bezahlt"), seite);
    BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    BitBtn4->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(BitBtn4, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pm_bezahlt->popup(BitBtn4->mapToGlobal(p)); });
    knoepfe->addWidget(b_add_teilnehmer);
    knoepfe->addWidget(bb_del_teilnehmer);
    knoepfe->addWidget(BitBtn4);
    bb_rechnung_erstellen = new QPushButton(QStringLiteral("Rechnung erstellen"), seite);
    bb_rechnung_erstellen->setObjectName(QStringLiteral("bb_rechnung_erstellen"));
    bb_rechnung_erstellen->setToolTip(QStringLiteral("Rechnungen an alle Teilnehmer, die für diesen Kurs noch keine haben"));
    knoepfe->addWidget(bb_rechnung_erstellen);
    connect(bb_rechnung_erstellen, &QPushButton::clicked, this, [this] {
        guarded([this] {
            if (!m_dm.ibt_kurse->isActive() || m_dm.ibt_kurse->isEmpty() || !platform::rechnungswege().fuerKurs) return;
            const int kursnr = m_dm.ibt_kurse->fieldByName(QStringLiteral("KURSNR"))->value().toInt();
            if (kursnr > 0) platform::rechnungswege().fuerKurs(this, kursnr);
        });
    });
    leiste->addLayout(knoepfe);
    layout->addLayout(leiste);

    connect(b_add_teilnehmer, &QPushButton::clicked, this, [this] { guarded([this] { b_add_teilnehmerClick(); }); });
    connect(bb_del_teilnehmer, &QPushButton::clicked, this, [this] { guarded([this] { bb_del_teilnehmerClick(); }); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn4Click(); }); });
    return seite;
}

QWidget* Tfrm_kurse::buildDokumentSeite() {
    auto* seite = new QWidget;
    seite->setObjectName(QStringLiteral("ts_dokumente"));
    auto* layout = new QVBoxLayout(seite);
    layout->setContentsMargins(2, 2, 2, 2);

    dbg_dokumente = new widgets::DbGrid(seite);
    dbg_dokumente->setObjectName(QStringLiteral("dbg_dokumente"));
    dbg_dokumente->setDataSource(m_dm.ds_kursdokumente);
    DbGridColumn nr = spalte("DOKNR", "Dok.-Nr.", 7);
    nr.readOnly = true;
    DbGridColumn dokument = spalte("BEZEICHNUNG", "Dokument", 40);
    dokument.readOnly = true;
    DbGridColumn verteiler = spalte("VERTEILER", "Verteiler", 12);
    verteiler.pickList = {QStringLiteral("Alle"), QStringLiteral("Kursleiter")};
    dbg_dokumente->setColumns({nr, dokument, spalte("ART_ANZEIGE", "Art", 14), verteiler});
    layout->addWidget(dbg_dokumente, 1);

    auto* leiste = new QHBoxLayout;
    DBNavigator2 = new widgets::DbNavigator(seite);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    DBNavigator2->setVisibleButtons(widgets::DbNavigator::EditButtons);
    DBNavigator2->setDataSource(m_dm.ds_kursdokumente);
    leiste->addWidget(DBNavigator2);
    bb_anzeigen = new QPushButton(QStringLiteral("Anzeigen"), seite);
    bb_anzeigen->setObjectName(QStringLiteral("bb_anzeigen"));
    bb_this_dok_print = new QPushButton(QStringLiteral("Drucken"), seite);
    bb_this_dok_print->setObjectName(QStringLiteral("bb_this_dok_print"));
    leiste->addWidget(bb_anzeigen);
    leiste->addWidget(bb_this_dok_print);
    leiste->addStretch(1);
    layout->addLayout(leiste);
    connect(bb_anzeigen, &QPushButton::clicked, this, [this] { guarded([this] { bb_anzeigenClick(); }); });
    connect(bb_this_dok_print, &QPushButton::clicked, this,
            [this] { guarded([this] { bb_this_dok_printClick(); }); });
    return seite;
}

// ---------------------------------------------------------------------------
// Showing, save check, closing

void Tfrm_kurse::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Back in front: the day list shows this window's day again.
    beimAktivieren(this, [this] { tagesliste_sicherstellen(m_dm, jcp_tagesansicht, m_tag, false); });
    if (m_formShown) return;
    m_formShown = true;
    guarded([this] { FormShow(); });
}

void Tfrm_kurse::FormShow() {
    for (db::Dataset* d : {static_cast<db::Dataset*>(m_dm.ibt_kurse), static_cast<db::Dataset*>(m_dm.ibt_kurstermine),
                           static_cast<db::Dataset*>(m_dm.ibt_dokumente),
                           static_cast<db::Dataset*>(m_dm.IBT_kursdokumente), static_cast<db::Dataset*>(m_dm.ibt_trainer),
                           static_cast<db::Dataset*>(m_dm.ibq_teilnehmer),
                           static_cast<db::Dataset*>(m_dm.ibt_teilnehmeredit)})
        if (!d->isActive()) d->open();
    mc_kursterminplaner->setBoldDaysHandler([this](int year, int month) { return setbolddays(year, month); });
    tagesliste(QDate::currentDate());
    kursauswahl_setzen(m_dm.ibt_kurse, kursauswahl());
}

KursAuswahl Tfrm_kurse::kursauswahl() const {
    if (sb_alle_kurse->isChecked()) return KursAuswahl::Alle;
    if (sb_beendete_kurse->isChecked()) return KursAuswahl::Beendete;
    return KursAuswahl::Aktive;
}

void Tfrm_kurse::kursauswahlClick() {
    const KursAuswahl gewaehlt = kursauswahl();
    if (gewaehlt == m_kursauswahl) return;
    // A course or date being typed is saved first; when it cannot be, the
    // list and the switch stay as they were.
    if (!check_sichern()) {
        zeigeKursauswahl(m_kursauswahl);
        return;
    }
    try {
        kursauswahl_setzen(m_dm.ibt_kurse, gewaehlt);
    } catch (...) {
        zeigeKursauswahl(m_kursauswahl);
        throw;
    }
    m_kursauswahl = gewaehlt;
}

void Tfrm_kurse::zeigeKursauswahl(KursAuswahl a) {
    QToolButton* b = a == KursAuswahl::Alle ? sb_alle_kurse
                     : a == KursAuswahl::Beendete ? sb_beendete_kurse
                                                  : sb_aktive_kurse;
    b->setChecked(true);
}

void Tfrm_kurse::datenOeffnen() {
    // The courses, the current course's dates and the trainers.
    oeffnen({m_dm.ibt_kurse, m_dm.ibt_kurstermine, m_dm.ibt_trainer});
}

bool Tfrm_kurse::check_sichern() {
    // 1. The course. Posting it posts its pending details first; when one of
    //    those is what fails, the course dates' message says so.
    using platform::Daten;
    const bool kurs = platform::sichern(*m_dm.ibt_kurse, [this] {
        const bool terminFehler = m_dm.ibt_kurstermine->isActive() && m_dm.ibt_kurstermine->isEditing();
        return terminFehler ? Daten::TermindatenDesKurses : Daten::Kursdaten;
    });
    if (!kurs) return false;
    // 2. The course dates.
    return platform::sichern(*m_dm.ibt_kurstermine, Daten::TermindatenDesKurses);
}

bool Tfrm_kurse::FormClose() {
    try {
        if (m_dm.ibt_kurstermine->isActive()) m_dm.ibt_kurstermine->checkBrowseMode();
        if (m_dm.ibt_kurse->isActive()) m_dm.ibt_kurse->checkBrowseMode();
    } catch (...) {
        platform::handleCurrentException();
        return false;
    }
    return true;
}

void Tfrm_kurse::closeEvent(QCloseEvent* e) {
    if (!FormClose()) {
        e->ignore();
        return;
    }
    m_dm.kursterminCalendar = nullptr;
    e->accept();
}

// ---------------------------------------------------------------------------
// Course dates

bool Tfrm_kurse::kurs_fuer_termine() {
    db::Table* kurse = m_dm.ibt_kurse;
    if (!kurse->isActive() || kurse->isEmpty()) {
        platform::dialogs().messageBox(meldungKeinKurs());
        return false;
    }
    // A new course that is not saved yet is saved first, so that its dates
    // never belong to a course that is then discarded.
    if (kurse->state() == db::DatasetState::Insert) kurse->post();
    if (kurse->fieldByName(QStringLiteral("KURSNR"))->isNull()) {
        platform::dialogs().messageBox(meldungKeinKurs());
        return false;
    }
    return true;
}

bool Tfrm_kurse::datumsbereich_ok(const QDate& erster, qint64 intervall, qint64 anzahl) {
    const qint64 weg = intervall * (anzahl - 1);
    const qint64 jd = erster.toJulianDay() + weg;
    const QDate letzter = QDate::fromJulianDay(jd);
    if (!letzter.isValid() || letzter.year() < 1 || letzter.year() > 9999) {
        platform::dialogs().messageBox(meldungDatumsbereich());
        return false;
    }
    return true;
}

void Tfrm_kurse::termine_schreiben(QDate d, const QTime& t, qint64 intervall, qint64 anzahl,
                                   const QVariantList* themen) {
    db::Table* termine = m_dm.ibt_kurstermine;
    if (!termine->isActive()) termine->open();
    const int kursnr = m_dm.ibt_kurse->fieldByName(QStringLiteral("KURSNR"))->asInteger();
    for (qint64 i = 0; i < anzahl; ++i) {
        if (termine->state() == db::DatasetState::Insert) termine->cancel();
        termine->append();
        try {
            termine->fieldByName(QStringLiteral("KURSNR"))->setAsInteger(kursnr);
            const QDateTime wann = db::makeDateTime(d, t);
            termine->fieldByName(QStringLiteral("DATUM"))->setAsDateTime(wann);
            termine->fieldByName(QStringLiteral("UHRZEIT"))->setAsDateTime(wann);
            d = d.addDays(intervall);
            if (themen) termine->fieldByName(QStringLiteral("THEMA"))->setValue(themen->at(int(i)));
            termine->post();
        } catch (...) {
            // A refused date (the course has one at that day and time) ends
            // the run; its row goes, so that the grid holds nothing half
            // done and the window can be closed.
            if (termine->state() == db::DatasetState::Insert) termine->cancel();
            throw;
        }
    }
}

bool Tfrm_kurse::uhrzeit_pruefen() {
    QTime t;
    if (db::fmt::parseTime(e_uhrzeit->text(), &t)) return true;
    platform::dialogs().messageBox(meldungUhrzeit());
    e_uhrzeit->setFocus(Qt::OtherFocusReason);
    return false;
}

void Tfrm_kurse::Button1Click() {
    qint64 anzahl = 0;
    if (!ganzzahl_lesen(e_anztermine->text(), &anzahl)) {
        platform::dialogs().messageBox(meldungAnzahl());
        return;
    }
    QDate erster;
    if (!datum_lesen(e_erster_termin_am->text(), &erster)) {
        platform::dialogs().messageBox(meldungErsterTermin());
        return;
    }
    qint64 intervall = 0;
    if (!ganzzahl_lesen(e_alle_x_tage->text(), &intervall)) {
        platform::dialogs().messageBox(meldungIntervall());
        return;
    }
    if (anzahl <= 0) return;
    if (!uhrzeit_pruefen()) return;
    if (!datumsbereich_ok(erster, intervall, anzahl)) return;
    // The inputs are read before the course is saved: saving a new course
    // does not make it another course for the generator.
    const QTime t = uhrzeit_lesen(e_uhrzeit->text());
    m_generatorFest = true;
    auto los = qScopeGuard([this] { m_generatorFest = false; });
    if (!kurs_fuer_termine()) return;
    termine_schreiben(erster, t, intervall, anzahl, nullptr);
}

void Tfrm_kurse::erminlisteausVorlagenholen1Click() {
    QDate erster;
    if (!datum_lesen(e_erster_termin_am->text(), &erster)) {
        platform::dialogs().messageBox(meldungErsterTermin());
        return;
    }
    if (!uhrzeit_pruefen()) return;
    if (!frm_auswahl) return;
    QVariantList zeile;
    if (!frm_auswahl->waehlen(QStringLiteral("Kursvorlage auswählen..."),
                              {QStringLiteral("select vorlagennr,bezeichnung"), QStringLiteral(" from vorlagen_kurse ")},
                              {QStringLiteral("Nr."), QStringLiteral("Bezeichnung")}, true, &zeile) ||
        zeile.isEmpty())
        return;
    const int n = zeile.at(0).toInt();

    qint64 intervall = m_dm.scalar(QStringLiteral("select rythmus from vorlagen_kurse where vorlagennr = ?"), {n}).toInt();
    if (intervall < 0) {
        platform::dialogs().messageBox(meldungRhythmusVorlage(intervall));
        return;
    }
    if (intervall == 0) {
        if (!ganzzahl_lesen(e_alle_x_tage->text(), &intervall)) {
            platform::dialogs().messageBox(meldungIntervallVorlage());
            return;
        }
    }

    // The topics are read first: writing a date must not disturb the reading.
    QVariantList themen;
    {
        db::Statement st(m_dm.idb.get(), m_dm.ibt);
        st.prepare(QStringLiteral("select thema from vorlagen_kurstermine where vorlagennr = ? order by terminnr"));
        st.setParam(0, n);
        st.open();
        while (st.fetch()) themen << st.value(0);
    }
    if (themen.isEmpty()) return;
    if (!datumsbereich_ok(erster, intervall, themen.size())) return;
    const QTime t = uhrzeit_lesen(e_uhrzeit->text());
    m_generatorFest = true;
    auto los = qScopeGuard([this] { m_generatorFest = false; });
    if (!kurs_fuer_termine()) return;
    termine_schreiben(erster, t, intervall, themen.size(), &themen);
}

void Tfrm_kurse::e_anztermineKeyDown(int& key) {
    if (!istEingabetaste(key)) return;
    key = 0;
    focusNextChild();
}

void Tfrm_kurse::e_anztermineKeyPress(QChar& ch) {
    if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QChar();
}

void Tfrm_kurse::e_erster_termin_amKeyPress(QChar& ch) {
    if (ch == QLatin1Char(',')) ch = QLatin1Char('.');
    else if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QChar();
}

void Tfrm_kurse::e_uhrzeitKeyPress(QChar& ch) {
    if (ch == QLatin1Char(',') || ch == QLatin1Char('/')) ch = QLatin1Char(':');
    else if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) ch = QChar();
}

bool Tfrm_kurse::e_uhrzeitExit() {
    const QString text = e_uhrzeit->text();
    if (text.trimmed().isEmpty()) return true;
    QTime t;
    if (db::fmt::parseTime(text, &t)) {
        e_uhrzeit->setText(t.toString(QStringLiteral("HH:mm")));
        m_uhrzeitGemeldet.clear();
        return true;
    }
    // Reported once; the focus goes where the user sent it (the calendar,
    // the course list), and leaving the edit again with the same text asks
    // nothing. "Termine eintragen" checks the time again.
    if (text != m_uhrzeitGemeldet) {
        m_uhrzeitGemeldet = text;
        platform::dialogs().messageBox(meldungUhrzeit());
    }
    return false;
}

void Tfrm_kurse::generatorZumKurs() {
    if (m_generatorFest) return;
    db::Table* kurse = m_dm.ibt_kurse;
    if (!kurse->isActive()) return;
    db::Field* nr = kurse->isEmpty() ? nullptr : kurse->findField(QStringLiteral("KURSNR"));
    // A new row gets its number from the data module; until then it is no
    // course of its own.
    if (nr && nr->isNull() && kurse->state() == db::DatasetState::Insert) return;
    const QVariant kurs = nr && !nr->isNull() ? nr->value() : QVariant(0);
    if (m_generatorKurs.isValid() && m_generatorKurs == kurs) return;
    m_generatorKurs = kurs;

    e_anztermine->clear();
    e_erster_termin_am->clear();
    e_uhrzeit->clear();
    e_alle_x_tage->clear();
    m_uhrzeitGemeldet.clear();
    if (kurs.toInt() == 0 || kurse->state() == db::DatasetState::Insert) return;
    // The course's last two dates, as saved.
    QList<QDateTime> letzte;
    {
        db::Statement st(m_dm.idb.get(), m_dm.ibt);
        st.prepare(QStringLiteral("select datum from kurstermine where kursnr = ? order by datum desc"));
        st.setParam(0, kurs);
        st.open();
        while (letzte.size() < 2 && st.fetch())
            if (st.value(0).toDateTime().isValid()) letzte << st.value(0).toDateTime();
    }
    if (letzte.isEmpty()) return;
    e_uhrzeit->setText(letzte.first().time().toString(QStringLiteral("HH:mm")));
    if (letzte.size() < 2) return;
    const qint64 rhythmus = letzte.at(1).date().daysTo(letzte.first().date());
    if (rhythmus <= 0) return;
    const QDate naechster = letzte.first().date().addDays(rhythmus);
    if (!naechster.isValid() || naechster.year() > 9999) return;
    e_erster_termin_am->setText(datumText(naechster));
    e_alle_x_tage->setText(QString::number(rhythmus));
}

// ---------------------------------------------------------------------------
// Calendar and day list

QSet<int> Tfrm_kurse::setbolddays(int year, int month) { return kurstermin_tage(m_dm, year, month); }

void Tfrm_kurse::fettTageSpaeter() {
    if (m_formShown && m_fettTimer) m_fettTimer->start();
}

void Tfrm_kurse::tagesliste(const QDate& tag) {
    m_tag = tag;
    tagesliste_laden(m_dm, jcp_tagesansicht, tag, false);
}

void Tfrm_kurse::mc_kursterminplanerClick() { tagesliste(mc_kursterminplaner->selectedDate()); }

void Tfrm_kurse::mc_kursterminplanerDblClick() {
    e_erster_termin_am->setText(datumText(mc_kursterminplaner->selectedDate()));
}

// ---------------------------------------------------------------------------
// Trainer of a course

void Tfrm_kurse::dbg_kurseEditButtonClick() {
    if (dbg_kurse->selectedFieldName().compare(QLatin1String("KURSLEITER_ZEICHEN"), Qt::CaseInsensitive) != 0)
        return;
    if (!frm_auswahl) return;
    QVariantList zeile;
    if (!frm_auswahl->waehlen(QStringLiteral("Kursleiter auswählen..."),
                              {QStringLiteral("select trainernr,vname,name,kurzzeichen"), QStringLiteral(" from trainer ")},
                              {QStringLiteral("Nr."), QStringLiteral("Vorname"), QStringLiteral("Name"),
                               QStringLiteral("Kurzzeichen")},
                              true, &zeile) ||
        zeile.isEmpty())
        return;
    m_dm.ibt_kurse->edit();
    m_dm.ibt_kurse->fieldByName(QStringLiteral("KURSLEITER"))->setAsInteger(zeile.at(0).toInt());
}

// ---------------------------------------------------------------------------
// Participants

void Tfrm_kurse::b_add_teilnehmerClick() {
    // What the course row shows is what the dialog checks the limit against:
    // a value still open in the grid's cell goes into the row, and a changed
    // course is saved first (a new course is saved by the dialog with its
    // first participant). When it cannot be saved, the course's message says
    // so and no dialog opens.
    if (dbg_kurse->cellEditor()) dbg_kurse->commitEditor();
    if (m_dm.ibt_kurse->isActive() && m_dm.ibt_kurse->state() == db::DatasetState::Edit &&
        !platform::sichern(*m_dm.ibt_kurse, platform::Daten::Kursdaten))
        return;
    if (frm_teilnehmer_add) frm_teilnehmer_add->exec();
}

void Tfrm_kurse::bb_del_teilnehmerClick() {
    db::Query* tn = m_dm.ibq_teilnehmer;
    // Without a selected participant there is nothing to remove.
    if (!tn->isActive() || tn->isEmpty() || tn->fieldByName(QStringLiteral("ID"))->isNull()) return;
    const QString frage = loeschfrage(tn->fieldByName(QStringLiteral("VNAME"))->asString(),
                                      tn->fieldByName(QStringLiteral("NAME"))->asString(),
                                      tn->fieldByName(QStringLiteral("HUNDNAME"))->asString());
    if (platform::dialogs().confirm(frage, QStringLiteral("Bestätigung"), platform::Buttons::JaAbbrechen) !=
        platform::Answer::Ja)
        return;
    const int id = tn->fieldByName(QStringLiteral("ID"))->asInteger();
    // A comment typed for the participant goes with the participant.
    if (m_dm.ibt_teilnehmeredit->isEditing()) m_dm.ibt_teilnehmeredit->cancel();
    db::Statement(m_dm.idb.get(), m_dm.ibt).execute(QStringLiteral("delete from teilnehmer where id = ?"), {id});
    m_dm.commitNow();
    tn->close();
    tn->open();
}

void Tfrm_kurse::bezahlt_setzen(const QString& code) {
    db::Query* tn = m_dm.ibq_teilnehmer;
    db::Table* edit = m_dm.ibt_teilnehmeredit;
    // Without a selected participant there is nothing to set.
    if (!tn->isActive() || tn->isEmpty() || !edit->isActive() || edit->isEmpty()) return;
    // The participant acted on stays selected after the list is read again,
    // so that the next click marks the same person, not the first one.
    const QVariant id = tn->fieldByName(QStringLiteral("ID"))->value();
    edit->edit();
    edit->fieldByName(QStringLiteral("BEZAHLT"))->setAsString(code);
    edit->post();
    m_dm.commitNow();
    tn->close();
    tn->open();
    if (id.isValid() && !id.isNull()) tn->locate(QStringLiteral("ID"), id);
}

void Tfrm_kurse::BitBtn4Click() { bezahlt_setzen(QStringLiteral("B")); }
void Tfrm_kurse::Barbezahlt1Click() { bezahlt_setzen(QStringLiteral("B")); }
void Tfrm_kurse::berwiesen1Click() { bezahlt_setzen(QStringLiteral("Ü")); }
void Tfrm_kurse::Lastschrift1Click() { bezahlt_setzen(QStringLiteral("L")); }
void Tfrm_kurse::Gutschrift1Click() { bezahlt_setzen(QStringLiteral("G")); }

// ---------------------------------------------------------------------------
// Course documents

void Tfrm_kurse::dokument_ausfuehren(const QString& verb) {
    db::Table* kd = m_dm.IBT_kursdokumente;
    if (!kd->isActive() || kd->isEmpty()) return;
    db::Field* nr = kd->fieldByName(QStringLiteral("DOKNR"));
    if (nr->isNull()) return;
    const QString pfad =
        m_dm.scalar(QStringLiteral("select pfad from dokumente where doknr = ?"), {nr->asInteger()}).toString();
    datei_ausfuehren(nullptr, verb, pfad, QString(), QString(), SW_HIDE);
}

void Tfrm_kurse::bb_anzeigenClick() { dokument_ausfuehren(QString()); }

void Tfrm_kurse::bb_this_dok_printClick() { dokument_ausfuehren(QStringLiteral("print")); }

// ---------------------------------------------------------------------------
// Printouts

void Tfrm_kurse::BitBtn1Click() {
    // Course date list of the current course in the report preview.
    if (frm_qr_terminliste) frm_qr_terminliste->preview(this);
}

void Tfrm_kurse::BitBtn2Click() {
    // The comment being typed belongs on the list.
    if (m_dm.ibt_teilnehmeredit->isActive()) m_dm.ibt_teilnehmeredit->checkBrowseMode();
    // Participant list of the current course in the report preview.
    if (frm_qr_teilnehmerliste) frm_qr_teilnehmerliste->preview(this);
}
