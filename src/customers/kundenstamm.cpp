#include "customers/kundenstamm.h"

#include "customers/datenschutz_ui.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QFont>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "customers/hundefelder.h"
#include "data/kundensuche.h"
#include "customers/offeneposten.h"
#include "customers/qr_kundenkarte.h"
#include "customers/tagebuchseite.h"
#include "data/datenmodul.h"
#include "db/error.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/sicherung.h"
#include "widgets/captionpanel.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "platform/rechnungswege.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/feldbau.h"
#include "widgets/rolloutpanel.h"

using platform::guarded;

QPointer<Tfrm_kunden> frm_kunden;

using namespace hundefelder;
using widgets::boundCombo;
using widgets::boundEdit;
using widgets::boundMemo;
using widgets::label;
using widgets::DbNavigator;
using widgets::spalte;

namespace {

const QColor kInfoHintergrund(0xFF, 0xFF, 0xE1);  // the caption bars
const QColor kGrau(0x80, 0x80, 0x80);
const QColor kMaroon(0x80, 0x00, 0x00);

bool loeschenBestaetigt(const QString& text) {
    return platform::dialogs().confirm(text, QStringLiteral("Bestätigung"), platform::Buttons::JaNein) ==
           platform::Answer::Ja;
}

void navigatorOhneFokus(DbNavigator* n) {
    for (int b = DbNavigator::First; b <= DbNavigator::Refresh; b <<= 1)
        if (QToolButton* t = n->button(DbNavigator::Button(b))) t->setFocusPolicy(Qt::NoFocus);
    n->confirmDelete = loeschenBestaetigt;
}

widgets::CaptionPanel* captionPanel(const QString& caption, const QString& name) {
    auto* p = new widgets::CaptionPanel(caption);
    p->setObjectName(name);
    p->setCaptionPosition(widgets::CaptionPanel::Top);
    p->setCaptionColor(kInfoHintergrund);
    p->setCaptionTextColor(kGrau);
    QFont f = p->font();
    f.setBold(true);
    p->setCaptionFont(f);
    p->setFrameShape(QFrame::StyledPanel);
    return p;
}

widgets::RolloutPanel* rollout(const QString& caption, const QString& name, int offen) {
    auto* r = new widgets::RolloutPanel(caption);
    r->setObjectName(name);
    r->header()->setFocusPolicy(Qt::NoFocus);
    r->setExpandedHeight(offen);
    r->setCollapsedHeight(widgets::RolloutPanel::HeaderHeight);
    r->collapse();
    return r;
}

// The fields of a section at its top; the room below stays empty.
void obenAusrichten(QWidget* bereich, QWidget* felder) {
    auto* l = static_cast<QVBoxLayout*>(bereich->layout());
    l->addWidget(felder);
    l->addStretch(1);
}

QGridLayout* gitter(QWidget* w) {
    auto* g = new QGridLayout(w);
    g->setContentsMargins(4, 1, 4, 1);
    g->setHorizontalSpacing(10);  // labels never touch their fields
    g->setVerticalSpacing(1);
    return g;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

Tfrm_kunden::Tfrm_kunden(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_kunden"));
    setWindowTitle(QStringLiteral("Kunden"));

    pg_kunde = new QTabWidget(this);
    pg_kunde->setObjectName(QStringLiteral("pg_kunde"));
    ts_kundenuebersicht = new QWidget;
    ts_kundenuebersicht->setObjectName(QStringLiteral("ts_kundenuebersicht"));
    ts_kundedetail = new QWidget;
    ts_kundedetail->setObjectName(QStringLiteral("ts_kundedetail"));
    pg_kunde->addTab(ts_kundenuebersicht, QStringLiteral("Kundenübersicht"));
    pg_kunde->addTab(ts_kundedetail, QStringLiteral("Kunde Detailansicht"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pg_kunde);

    buildUebersicht();
    buildDetail();

    pg_kunde->setCurrentWidget(ts_kundedetail);
    pg_kundendaten->setCurrentWidget(ts_kundehunde);
    PageControl1->setCurrentWidget(TabSheet3);
    // A page the user picks runs the page-change handler; pages set by the
    // program do not (see zeigeSeite, dbg_kundeDblClick).
    connect(pg_kunde->tabBar(), &QTabBar::currentChanged, this, [this](int i) {
        if (!m_seiteAusProgramm) pg_kundeChange(i);
    });

    // The dog's summary is shown again whenever the dog or its data change.
    connect(&m_dm, &Tdm::anamneseGeaendert, this, &Tfrm_kunden::anamneseZeigen);

    // Tab order of the record as it is filled in: the customer, the contact
    // data, the comment, then the buttons (the navigators take no focus).
    // Enter walks the same way, so a typist goes from "Ort" on to "Telefon"
    // and never presses a print button by the next Enter.
    QWidget* reihe[] = {DBEdit1,  dbc_anrede, DBEdit2, DBEdit3,  DBEdit12,
                        DBEdit4,  DBEdit5,    DBEdit6, DBEdit11, DBEdit10,
                        DBEdit9,  dbe_email,  DBMemo1, bb_kndkarte_drucken, bb_kndliste_drucken,
                        bb_datenauskunft, bb_kunde_endgueltig_loeschen};
    for (size_t i = 0; i + 1 < std::size(reihe); ++i) setTabOrder(reihe[i], reihe[i + 1]);

    FormCreate();
    try {
        anamneseZeigen();
    } catch (...) {
        platform::handleCurrentException();
    }
}

Tfrm_kunden::~Tfrm_kunden() {
    // No summary into controls that are going. (At the end of the program
    // the data module may be gone before this window, a child window of the
    // main window, which goes last.)
    if (dm) disconnect(dm, nullptr, this, nullptr);
}

void Tfrm_kunden::anamneseZeigen() {
    re_anamnese->clear();
    QTextCursor c(re_anamnese->document());
    QTextCharFormat normal;
    QTextCharFormat fett;
    fett.setFontWeight(QFont::Bold);
    QTextCharFormat unterstrichen;
    unterstrichen.setFontUnderline(true);
    for (const Textstueck& t : m_dm.anamnesebogen_zusammenfassung()) {
        switch (t.stil) {
        case Textstueck::Stil::Normal: c.insertText(t.text, normal); break;
        case Textstueck::Stil::Fett: c.insertText(t.text, fett); break;
        case Textstueck::Stil::Unterstrichen: c.insertText(t.text, unterstrichen); break;
        }
    }
}

void Tfrm_kunden::buildUebersicht() {
    auto* v = new QVBoxLayout(ts_kundenuebersicht);
    v->setContentsMargins(2, 2, 2, 2);

    gb_suchen = new QGroupBox(QStringLiteral("Suchen nach..."), ts_kundenuebersicht);
    gb_suchen->setObjectName(QStringLiteral("gb_suchen"));
    auto* h = new QHBoxLayout(gb_suchen);
    suchtext_kunde = new QLineEdit(gb_suchen);
    suchtext_kunde->setObjectName(QStringLiteral("suchtext_kunde"));
    suchtext_kunde->installEventFilter(this);
    SpeedButton2 = new QToolButton(gb_suchen);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("C"));
    SpeedButton2->setFocusPolicy(Qt::NoFocus);
    QFont f = SpeedButton2->font();
    f.setBold(true);
    SpeedButton2->setFont(f);
    QPalette pal = SpeedButton2->palette();
    pal.setColor(QPalette::ButtonText, kMaroon);
    SpeedButton2->setPalette(pal);
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    h->addWidget(suchtext_kunde, 1);
    h->addWidget(SpeedButton2);
    v->addWidget(gb_suchen);

    db::DataSource* ds = m_dm.ds_kunde;
    dbg_kunde = new widgets::DbGrid(ts_kundenuebersicht);
    dbg_kunde->setObjectName(QStringLiteral("dbg_kunde"));
    widgets::DbGridColumn nr = spalte(QStringLiteral("KNDNR"), QStringLiteral("Knd-Nr"), 6);
    nr.readOnly = true;
    nr.color = widgets::DatasetModel::readOnlyColor();
    widgets::DbGridColumn anrede = spalte(QStringLiteral("ANREDE"), QStringLiteral("Anrede"), 8);
    anrede.pickList = {QStringLiteral("Frau"), QStringLiteral("Herr"), QStringLiteral("Familie")};
    dbg_kunde->setColumns({nr, spalte(QStringLiteral("NAME"), QStringLiteral("Name"), 16), spalte(QStringLiteral("VNAME"), QStringLiteral("Vorname"), 12), spalte(QStringLiteral("PLZ"), QStringLiteral("Plz"), 6),
                           spalte(QStringLiteral("ORT"), QStringLiteral("Ort"), 14), spalte(QStringLiteral("STR"), QStringLiteral("Strasse"), 18), anrede,
                           spalte(QStringLiteral("TEL"), QStringLiteral("Telefon"), 16), spalte(QStringLiteral("MOBIL"), QStringLiteral("Mobiltelefon"), 16),
                           spalte(QStringLiteral("FAX"), QStringLiteral("Fax"), 12), spalte(QStringLiteral("EMAIL"), QStringLiteral("E-Mail"), 28),
                           spalte(QStringLiteral("KOMMENTAR"), QStringLiteral("Kommentar"), 30)});
    dbg_kunde->confirmDelete = loeschenBestaetigt;
    dbg_kunde->setDataSource(ds);
    connect(dbg_kunde, &widgets::DbGrid::rowDoubleClicked, this, [this] { dbg_kundeDblClick(); });
    v->addWidget(dbg_kunde, 1);

    DBNavigator1 = new DbNavigator(ts_kundenuebersicht);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons(DbNavigator::AllButtons);
    DBNavigator1->setShowHints(false);
    DBNavigator1->setDataSource(ds);
    navigatorOhneFokus(DBNavigator1);
    v->addWidget(DBNavigator1);
}

void Tfrm_kunden::buildDetail() {
    auto* v = new QVBoxLayout(ts_kundedetail);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(4);

    auto* oben = new QWidget(ts_kundedetail);
    oben->setObjectName(QStringLiteral("pn_kundeoben"));
    auto* h = new QHBoxLayout(oben);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(buildKundePanel(), 3);
    auto* rechts = new QVBoxLayout;
    rechts->addWidget(buildErreichbarPanel());
    jcp_kommentar = captionPanel(QStringLiteral("Kommentar"), QStringLiteral("jcp_kommentar"));
    DBMemo1 = boundMemo(jcp_kommentar, QStringLiteral("DBMemo1"), m_dm.ds_kunde, QStringLiteral("KOMMENTAR"));
    // The comment takes the height that the customer panel leaves; the
    // dog pages below get the rest.
    DBMemo1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    DBMemo1->setMinimumHeight(48);
    jcp_kommentar->setContentWidget(DBMemo1);
    rechts->addWidget(jcp_kommentar, 1);
    h->addLayout(rechts, 4);
    v->addWidget(oben);

    pg_kundendaten = new QTabWidget(ts_kundedetail);
    pg_kundendaten->setObjectName(QStringLiteral("pg_kundendaten"));
    pg_kundendaten->setDocumentMode(true);
    ts_kundehunde = new QWidget;
    ts_kundehunde->setObjectName(QStringLiteral("ts_kundehunde"));
    ts_aktive_kurse = new QWidget;
    ts_aktive_kurse->setObjectName(QStringLiteral("ts_aktive_kurse"));
    ts_dokumente = new QWidget;
    ts_dokumente->setObjectName(QStringLiteral("ts_dokumente"));
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    pg_kundendaten->addTab(ts_kundehunde, QStringLiteral("Hunde"));
    pg_kundendaten->addTab(ts_aktive_kurse, QStringLiteral("Aktive Kurse"));
    pg_kundendaten->addTab(ts_dokumente, QStringLiteral("Ausgehändigte Dokumente"));
    pg_kundendaten->addTab(TabSheet4, QStringLiteral("Offene Posten"));
    pg_kundendaten->setTabVisible(pg_kundendaten->indexOf(ts_dokumente), false);
    v->addWidget(pg_kundendaten, 1);

    buildHundeSeite();
    buildAktiveKurse();
    offene_posten = new offeneposten::Kundenseite(m_dm, TabSheet4, m_dm.ds_kunde);
}

QWidget* Tfrm_kunden::buildKundePanel() {
    jcp_kunde = captionPanel(QStringLiteral("Kunde"), QStringLiteral("jcp_kunde"));
    auto* w = new QWidget;
    auto* g = new QGridLayout(w);
    g->setContentsMargins(6, 4, 6, 4);
    g->setVerticalSpacing(3);
    db::DataSource* ds = m_dm.ds_kunde;

    DBEdit1 = boundEdit(w, QStringLiteral("DBEdit1"), ds, QStringLiteral("KNDNR"));
    DBEdit1->setReadOnly(true);
    QPalette pal = DBEdit1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    DBEdit1->setPalette(pal);
    DBEdit1->setMaximumWidth(90);
    dbc_anrede = boundCombo(w, QStringLiteral("dbc_anrede"), ds, QStringLiteral("ANREDE"),
                       {QStringLiteral("Frau"), QStringLiteral("Herr"), QStringLiteral("Familie")}, true);
    DBEdit2 = boundEdit(w, QStringLiteral("DBEdit2"), ds, QStringLiteral("VNAME"));
    DBEdit3 = boundEdit(w, QStringLiteral("DBEdit3"), ds, QStringLiteral("NAME"));
    DBEdit12 = boundEdit(w, QStringLiteral("DBEdit12"), ds, QStringLiteral("AUFGENOMMEN_AM"));
    // Date and time (as the edit shows them while it has the focus) fit.
    DBEdit12->setFixedWidth(DBEdit12->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 18);
    DBEdit4 = boundEdit(w, QStringLiteral("DBEdit4"), ds, QStringLiteral("STR"));
    DBEdit5 = boundEdit(w, QStringLiteral("DBEdit5"), ds, QStringLiteral("PLZ"));
    DBEdit5->setMaximumWidth(90);
    DBEdit6 = boundEdit(w, QStringLiteral("DBEdit6"), ds, QStringLiteral("ORT"));

    // Two columns of label and control.
    g->addWidget(label(w, QStringLiteral("Kunden-Nr.:")), 0, 0);
    g->addWidget(DBEdit1, 0, 1);
    g->addWidget(label(w, QStringLiteral("Anrede:")), 0, 2);
    g->addWidget(dbc_anrede, 0, 3);
    g->addWidget(label(w, QStringLiteral("Vorname:")), 1, 0);
    g->addWidget(DBEdit2, 1, 1);
    g->addWidget(label(w, QStringLiteral("Name:")), 1, 2);
    g->addWidget(DBEdit3, 1, 3);
    g->addWidget(label(w, QStringLiteral("aufgenommen am:")), 2, 0);
    g->addWidget(DBEdit12, 2, 1);
    g->addWidget(label(w, QStringLiteral("Strasse")), 3, 0);
    g->addWidget(DBEdit4, 3, 1, 1, 3);
    g->addWidget(label(w, QStringLiteral("Plz:")), 4, 0);
    g->addWidget(DBEdit5, 4, 1);
    g->addWidget(label(w, QStringLiteral("Ort:")), 4, 2);
    g->addWidget(DBEdit6, 4, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 2);

    DBNavigator2 = new DbNavigator(w);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    DBNavigator2->setVisibleButtons(DbNavigator::EditButtons);
    DBNavigator2->setHints({QStringLiteral("Erster Kunde"), QStringLiteral("Vorheriger Kunde"),
                            QStringLiteral("Nächster Kunde"), QStringLiteral("Letzter Kunde"),
                            QStringLiteral("Kunde einfügen"), QStringLiteral("Kunde löschen"),
                            QStringLiteral("Kunde bearbeiten"), QStringLiteral("Kunde speichern"),
                            QStringLiteral("Bearbeiten abbrechen"), QStringLiteral("Daten aktualisieren")});
    DBNavigator2->setShowHints(true);
    DBNavigator2->setDataSource(ds);
    navigatorOhneFokus(DBNavigator2);
    bb_kndkarte_drucken = new QPushButton(QStringLiteral("Kundenkarte drucken"), w);
    bb_kndkarte_drucken->setObjectName(QStringLiteral("bb_kndkarte_drucken"));
    bb_kndliste_drucken = new QPushButton(QStringLiteral("Kundenliste drucken"), w);
    bb_kndliste_drucken->setObjectName(QStringLiteral("bb_kndliste_drucken"));
    connect(bb_kndkarte_drucken, &QPushButton::clicked, this, [this] { bb_kndkarte_druckenClick(); });
    connect(bb_kndliste_drucken, &QPushButton::clicked, this, [this] { bb_kndliste_druckenClick(); });
    bb_datenauskunft = new QPushButton(QStringLiteral("Datenauskunft"), w);
    bb_datenauskunft->setObjectName(QStringLiteral("bb_datenauskunft"));
    bb_datenauskunft->setToolTip(QStringLiteral("Alle gespeicherten Daten dieses Kunden als Ausdruck und Datei"));
    bb_kunde_endgueltig_loeschen = new QPushButton(QStringLiteral("Kunde endgültig löschen"), w);
    bb_kunde_endgueltig_loeschen->setObjectName(QStringLiteral("bb_kunde_endgueltig_loeschen"));
    bb_kunde_endgueltig_loeschen->setToolTip(QStringLiteral("Den Kunden mit Hunden, Tagebuch und Kursteilnahmen löschen"));
    bb_rechnung_erstellen = new QPushButton(QStringLiteral("Rechnung erstellen"), w);
    bb_rechnung_erstellen->setObjectName(QStringLiteral("bb_rechnung_erstellen"));
    bb_rechnung_erstellen->setToolTip(QStringLiteral("Eine Rechnung über die noch nicht berechneten Kursteilnahmen und "
                                                     "weitere Positionen"));
    bb_rechnungen = new QPushButton(QStringLiteral("Rechnungen"), w);
    bb_rechnungen->setObjectName(QStringLiteral("bb_rechnungen"));
    bb_rechnungen->setToolTip(QStringLiteral("Die Rechnungen des Kunden mit Zahlungen und offenen Posten"));
    connect(bb_rechnung_erstellen, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            const int kndnr = datenschutz_ui::aktuellerKunde(m_dm);
            if (kndnr > 0 && platform::rechnungswege().fuerKunden) platform::rechnungswege().fuerKunden(this, kndnr);
        });
    });
    connect(bb_rechnungen, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            const int kndnr = datenschutz_ui::aktuellerKunde(m_dm);
            if (kndnr > 0 && platform::rechnungswege().rechnungenDesKunden)
                platform::rechnungswege().rechnungenDesKunden(this, kndnr);
        });
    });
    connect(bb_datenauskunft, &QPushButton::clicked, this,
            [this] { datenschutz_ui::datenauskunft(m_dm, datenschutz_ui::aktuellerKunde(m_dm), this); });
    connect(bb_kunde_endgueltig_loeschen, &QPushButton::clicked, this,
            [this] { datenschutz_ui::kundeLoeschen(m_dm, datenschutz_ui::aktuellerKunde(m_dm), this); });
    auto* unten = new QHBoxLayout;
    unten->addWidget(DBNavigator2);
    unten->addStretch(1);
    unten->addWidget(bb_kndkarte_drucken);
    unten->addWidget(bb_kndliste_drucken);
    unten->addWidget(bb_rechnung_erstellen);
    unten->addWidget(bb_rechnungen);
    unten->addWidget(bb_datenauskunft);
    unten->addWidget(bb_kunde_endgueltig_loeschen);
    g->addLayout(unten, 5, 0, 1, 4);
    g->setRowStretch(6, 1);

    // Enter moves on in every edit, "aufgenommen am" included.
    for (QWidget* c : {static_cast<QWidget*>(dbc_anrede), static_cast<QWidget*>(DBEdit2),
                       static_cast<QWidget*>(DBEdit3), static_cast<QWidget*>(DBEdit12),
                       static_cast<QWidget*>(DBEdit4), static_cast<QWidget*>(DBEdit5),
                       static_cast<QWidget*>(DBEdit6)})
        tasten(c, true, true);
    DBEdit12->onKeyPress = [this](QChar& ch) { DBEdit12KeyPress(ch); };

    jcp_kunde->setContentWidget(w);
    return jcp_kunde;
}

QWidget* Tfrm_kunden::buildErreichbarPanel() {
    jcp_erreichbar = captionPanel(QStringLiteral("Erreichbar über"), QStringLiteral("jcp_erreichbar"));
    auto* w = new QWidget;
    auto* g = new QGridLayout(w);
    g->setContentsMargins(6, 4, 6, 4);
    g->setVerticalSpacing(3);
    db::DataSource* ds = m_dm.ds_kunde;
    DBEdit11 = boundEdit(w, QStringLiteral("DBEdit11"), ds, QStringLiteral("TEL"));
    DBEdit10 = boundEdit(w, QStringLiteral("DBEdit10"), ds, QStringLiteral("MOBIL"));
    DBEdit9 = boundEdit(w, QStringLiteral("DBEdit9"), ds, QStringLiteral("FAX"));
    dbe_email = boundEdit(w, QStringLiteral("dbe_email"), ds, QStringLiteral("EMAIL"));
    SpeedButton1 = new QToolButton(w);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("@"));
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setToolTip(QStringLiteral("Email an diese Adresse schreiben."));
    SpeedButton1->setStatusTip(QStringLiteral("Email an diese Adresse schreiben."));
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    g->addWidget(label(w, QStringLiteral("Telefon:")), 0, 0);
    g->addWidget(DBEdit11, 0, 1, 1, 2);
    g->addWidget(label(w, QStringLiteral("Mobiltelefon:")), 1, 0);
    g->addWidget(DBEdit10, 1, 1, 1, 2);
    g->addWidget(label(w, QStringLiteral("Fax:")), 2, 0);
    g->addWidget(DBEdit9, 2, 1, 1, 2);
    g->addWidget(label(w, QStringLiteral("E-Mail:")), 3, 0);
    g->addWidget(dbe_email, 3, 1);
    g->addWidget(SpeedButton1, 3, 2);
    g->setColumnStretch(1, 1);
    for (QWidget* c : {static_cast<QWidget*>(DBEdit11), static_cast<QWidget*>(DBEdit10),
                       static_cast<QWidget*>(DBEdit9), static_cast<QWidget*>(dbe_email)})
        tasten(c, true, true);
    jcp_erreichbar->setContentWidget(w);
    return jcp_erreichbar;
}

void Tfrm_kunden::buildHundeSeite() {
    db::DataSource* ds = m_dm.ds_kunde_hunde;
    auto* v = new QVBoxLayout(ts_kundehunde);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);

    // Header strip with the dog's main data and the dog navigator.
    auto* kopf = new QWidget(ts_kundehunde);
    kopf->setObjectName(QStringLiteral("pn_hundkopf"));
    auto* h = new QHBoxLayout(kopf);
    h->setContentsMargins(2, 0, 2, 0);
    DBEdit14 = boundEdit(kopf, QStringLiteral("DBEdit14"), ds, QStringLiteral("NAME"));
    dbcb_rasse = boundCombo(kopf, QStringLiteral("dbcb_rasse"), ds, QStringLiteral("RASSE"), {}, false);
    dbcb_rasse->setMinimumWidth(170);
    DBComboBox2 = boundCombo(kopf, QStringLiteral("DBComboBox2"), ds, QStringLiteral("GESCHLECHT"),
                        {QStringLiteral("Hündin"), QStringLiteral("Rüde")}, false);
    DBEdit16 = boundEdit(kopf, QStringLiteral("DBEdit16"), ds, QStringLiteral("GEBOREN_AM"));
    DBEdit16->setMaximumWidth(100);
    h->addWidget(label(kopf, QStringLiteral("Name")));
    h->addWidget(DBEdit14, 2);
    h->addWidget(label(kopf, QStringLiteral("Rasse")));
    h->addWidget(dbcb_rasse, 2);
    h->addWidget(label(kopf, QStringLiteral("Geschlecht")));
    h->addWidget(DBComboBox2, 1);
    h->addWidget(label(kopf, QStringLiteral("geboren am")));
    h->addWidget(DBEdit16, 1);
    h->addStretch(1);
    DBNavigator3 = new DbNavigator(kopf);
    DBNavigator3->setObjectName(QStringLiteral("DBNavigator3"));
    DBNavigator3->setVisibleButtons(DbNavigator::EditButtons);
    DBNavigator3->setHints({QStringLiteral("Zum ersten Hund"), QStringLiteral("Vorheriger Hund"),
                            QStringLiteral("Nächster Hund"), QStringLiteral("Letzter Hund"),
                            QStringLiteral("Neuen Hund einfügen"), QStringLiteral("Hund löschen"),
                            QStringLiteral("Hund bearbeiten"), QStringLiteral("Daten speichern"),
                            QStringLiteral("Bearbeiten abbrechen"), QStringLiteral("Daten aktualisieren")});
    DBNavigator3->setShowHints(true);
    DBNavigator3->setDataSource(ds);
    navigatorOhneFokus(DBNavigator3);
    h->addWidget(DBNavigator3);
    v->addWidget(kopf);
    for (QWidget* c : {static_cast<QWidget*>(DBEdit14), static_cast<QWidget*>(dbcb_rasse),
                       static_cast<QWidget*>(DBComboBox2), static_cast<QWidget*>(DBEdit16)})
        tasten(c, true, true);

    PageControl1 = new QTabWidget(ts_kundehunde);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->tabBar()->setMouseTracking(true);
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Anamnese Zusammenfassung"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Anamnesebogen"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Trainingsprotokoll"));
    v->addWidget(PageControl1, 1);

    // Summary: written by the data module, read-only here. The page stays
    // usable so that a long summary can be scrolled.
    auto* zs = new QVBoxLayout(TabSheet2);
    zs->setContentsMargins(0, 0, 0, 0);
    re_anamnese = new QTextEdit(TabSheet2);
    re_anamnese->setObjectName(QStringLiteral("re_anamnese"));
    re_anamnese->setReadOnly(true);
    re_anamnese->setFrameShape(QFrame::Box);
    re_anamnese->setFrameShadow(QFrame::Plain);
    re_anamnese->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = re_anamnese->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    re_anamnese->setPalette(pal);
    zs->addWidget(re_anamnese);

    auto* qb = new QVBoxLayout(TabSheet3);
    qb->setContentsMargins(0, 0, 0, 0);
    qb->addWidget(buildAnamnesebogen());

    const tagebuchseite::Tagebuchseite tagebuch = tagebuchseite::bauen(TabSheet1, m_dm.ds_hunde_tagebuch, loeschenBestaetigt);
    dbg_tagebuch = tagebuch.grid;
    DBNavigator4 = tagebuch.navigator;
    lb_tagebuchhinweis = tagebuch.hinweis;
}

QWidget* Tfrm_kunden::buildAnamnesebogen() {
    const Fragebogen f(Fenster::Kunde, m_dm.ds_kunde_hunde);
    sb_anamnese = new QScrollArea;
    sb_anamnese->setObjectName(QStringLiteral("sb_anamnese"));
    sb_anamnese->setFrameShape(QFrame::NoFrame);
    sb_anamnese->setWidgetResizable(true);
    auto* inhalt = new QWidget;
    inhalt->setObjectName(QStringLiteral("sb_anamnese_inhalt"));
    auto* v = new QVBoxLayout(inhalt);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    // Fixed panel: date and the problems.
    auto* fest = new QWidget(inhalt);
    fest->setObjectName(QStringLiteral("pn_anamnesekopf"));
    auto* fg = gitter(fest);
    DBEdit62 = f.edit(fest, "ANAMESE_AUFGENOMMEN_AM");
    DBMemo2 = f.memo(fest, "PROBLEME");
    DBMemo2->setFixedHeight(48);
    fg->addWidget(f.text(fest, "ANAMESE_AUFGENOMMEN_AM"), 0, 0);
    fg->addWidget(DBEdit62, 0, 1, Qt::AlignLeft);
    fg->addWidget(f.text(fest, "PROBLEME"), 1, 0, 1, 2);
    fg->addWidget(DBMemo2, 2, 0, 1, 2);
    fg->setColumnStretch(1, 1);
    fg->setContentsMargins(4, 4, 4, 4);
    v->addWidget(fest);
    DBEdit62->onKeyDown = [this](int& k, Qt::KeyboardModifiers m) { dbc_anredeKeyDown(k, m); };
    DBEdit62->onKeyPress = [this](QChar& ch) { DBEdit26KeyPress(ch); };

    // 1 "Herkunft und Pflege"
    JvRollout1 = rollout(QStringLiteral("Herkunft und Pflege"), QStringLiteral("JvRollout1"), 105);
    {
        QWidget* p = JvRollout1->contentArea();
        auto* w = new QWidget(p);
        auto* g = gitter(w);
        f.paar(g, w, "CHIPNR", 0, 0);
        f.paar(g, w, "HAFTPFLICHTNR", 1, 0);
        f.paar(g, w, "HERKUNFT", 2, 0);
        f.paar(g, w, "ZWINGERNAME", 0, 2);
        g->addWidget(f.text(w, "KASTRATION"), 1, 2);
        auto* kast = new QHBoxLayout;
        kast->addWidget(f.feld(w, "KASTRATION"), 2);
        kast->addWidget(f.text(w, "KASTZEITPUNKT"));
        DBEdit27 = f.edit(w, "KASTZEITPUNKT");
        kast->addWidget(DBEdit27, 1);
        g->addLayout(kast, 1, 3);
        g->addWidget(f.text(w, "FUTTER"), 2, 2);
        auto* futter = new QHBoxLayout;
        futter->addWidget(f.feld(w, "FUTTER"), 1);
        futter->addWidget(f.text(w, "FUTTERMARKE"));
        futter->addWidget(f.feld(w, "FUTTERMARKE"), 1);
        g->addLayout(futter, 2, 3);
        g->addWidget(f.text(w, "VORBESITZER"), 0, 4);
        g->addWidget(f.feld(w, "VORBESITZER"), 1, 4, 2, 1);
        g->setColumnStretch(1, 2);
        g->setColumnStretch(3, 3);
        g->setColumnStretch(4, 3);
        obenAusrichten(p, w);
    }
    // 2 "Tierarzt, Krankheiten, Imfpung"
    JvRollout3 = rollout(QStringLiteral("Tierarzt, Krankheiten, Imfpung"), QStringLiteral("JvRollout3"), 156);
    {
        QWidget* p = JvRollout3->contentArea();
        auto* w = new QWidget(p);
        auto* g = gitter(w);
        g->addWidget(f.text(w, "TIERARZT"), 0, 0);
        g->addWidget(f.feld(w, "TIERARZT"), 1, 0, 3, 1);
        g->addWidget(f.text(w, "HAUT_FELL"), 4, 0);
        g->addWidget(f.feld(w, "HAUT_FELL"), 5, 0);
        g->addWidget(f.feld(w, "IMPFUNG"), 0, 1);
        g->addWidget(f.feld(w, "IMPFUNG_TEXT"), 1, 1);
        g->addWidget(f.feld(w, "ALLERGIEN"), 2, 1);
        g->addWidget(f.feld(w, "ALLERGIEN_TEXT"), 3, 1);
        g->addWidget(f.text(w, "KRANKHEITEN"), 4, 1);
        g->addWidget(f.feld(w, "KRANKHEITEN"), 5, 1);
        g->setColumnStretch(0, 1);
        g->setColumnStretch(1, 1);
        obenAusrichten(p, w);
    }
    // 3 "Futteraufnahme"
    JvRollout9 = rollout(QStringLiteral("Futteraufnahme"), QStringLiteral("JvRollout9"), 67);
    {
        QWidget* p = JvRollout9->contentArea();
        auto* w = new QWidget(p);
        auto* g = gitter(w);
        f.futteraufnahme(g, w);
        obenAusrichten(p, w);
    }
    // 4 "bisherige Hundeerziehung"
    JvRollout8 = rollout(QStringLiteral("bisherige Hundeerziehung"), QStringLiteral("JvRollout8"), 194);
    {
        QWidget* p = JvRollout8->contentArea();
        auto* w = new QWidget(p);
        auto* g = gitter(w);
        f.hundeerziehung(g, w);
        obenAusrichten(p, w);
    }
    // 5 "Verhalten des Hundes"
    buildVerhaltenHund(f);
    // 6 "Kommentare, letzter Stand, Therapievorschlag"
    JvRollout5 = rollout(QStringLiteral("Kommentare, letzter Stand, Therapievorschlag"), QStringLiteral("JvRollout5"),
                         217);
    {
        QWidget* p = JvRollout5->contentArea();
        auto* w = new QWidget(p);
        auto* g = gitter(w);
        g->addWidget(f.text(w, "KOMMENTAR"), 0, 0);
        g->addWidget(f.feld(w, "KOMMENTAR"), 1, 0);
        g->addWidget(f.text(w, "THERAPIEVORSCHLAG"), 0, 1);
        g->addWidget(f.feld(w, "THERAPIEVORSCHLAG"), 1, 1);
        g->setRowStretch(1, 1);
        p->layout()->addWidget(w);
    }

    for (widgets::RolloutPanel* r : {JvRollout1, JvRollout3, JvRollout9, JvRollout8, jvro_verhaltenhund, JvRollout5})
        v->addWidget(r);
    v->addStretch(1);
    sb_anamnese->setWidget(inhalt);

    anamneseTasten(inhalt);
    return sb_anamnese;
}

// 5 "Verhalten des Hundes": the four places, game and other behaviour, each
// in a panel of its own inside a scroll box.
void Tfrm_kunden::buildVerhaltenHund(const Fragebogen& f) {
    jvro_verhaltenhund = rollout(QStringLiteral("Verhalten des Hundes"), QStringLiteral("jvro_verhaltenhund"), 159);
    QWidget* p = jvro_verhaltenhund->contentArea();
    p->layout()->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(p);
    scroll->setObjectName(QStringLiteral("sb_verhalten"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* innen = new QWidget;
    auto* iv = new QVBoxLayout(innen);
    iv->setContentsMargins(12, 0, 0, 0);
    iv->setSpacing(0);

    // The customer window shows each place in a panel of its own.
    struct Panel {
        const char* name;
        int hoehe;
        widgets::RolloutPanel** ziel;
    };
    const Panel panels[] = {{"jvro_verhaltenleine", 108, &jvro_verhaltenleine},
                            {"jvro_verhaltenfreilauf", 104, &jvro_verhaltenfreilauf},
                            {"jvro_verhaltenhaus", 106, &jvro_verhaltenhaus},
                            {"jvro_verhaltengrundstueck", 104, &jvro_verhaltengrundstueck}};
    for (int i = 0; i < 4; ++i) {
        const Gegenueber& gg = gegenueber[i];
        auto* r = rollout(QString::fromUtf8(gg.ueberschrift), QString::fromLatin1(panels[i].name), panels[i].hoehe);
        *panels[i].ziel = r;
        auto* w = new QWidget(r->contentArea());
        f.verhaltenGegenueber(gitter(w), w, gg, 0);
        obenAusrichten(r->contentArea(), w);
        iv->addWidget(r);
    }
    jvro_verhaltenwild = rollout(QStringLiteral("Verhalten bei Wild..."), QStringLiteral("jvro_verhaltenwild"), 65);
    {
        auto* w = new QWidget(jvro_verhaltenwild->contentArea());
        auto* g = gitter(w);
        f.reihe(g, w, 0, 0, {"JAGD_BEI_SICHT", "JAGD_AUF_FAEHRTE", "ABRUFBAR"});
        f.paar(g, w, "JAGD_BESONDERHEITEN", 0, 3);
        g->setColumnStretch(4, 1);
        obenAusrichten(jvro_verhaltenwild->contentArea(), w);
        iv->addWidget(jvro_verhaltenwild);
    }
    jvro_verhaltensonst = rollout(QStringLiteral("Sonstiges Verhalten..."), QStringLiteral("jvro_verhaltensonst"), 154);
    {
        auto* w = new QWidget(jvro_verhaltensonst->contentArea());
        auto* g = gitter(w);
        f.reihe(g, w, 0, 0, {"ANSPRINGEN_BEKANNTE", "ANSPRINGEN_FREMDE"});
        f.paar(g, w, "ANSPRINGEN_BESONDERHEITEN", 0, 2);
        f.reihe(g, w, 1, 0, {"ANBELLEN_BEKANNTE", "ANBELLEN_FREMDE"});
        f.paar(g, w, "ANBELLEN_BESONDERHEITEN", 1, 2);
        g->addWidget(f.feld(w, "AUTOFAHREN_GERNE"), 2, 0);
        auto* skala = new QHBoxLayout;
        skala->addWidget(f.text(w, "VERHALTEN_TIERARZT"));
        skala->addWidget(f.feld(w, "VERHALTEN_TIERARZT"), 1);
        skala->addWidget(f.text(w, "VERHALTEN_IMHAUS"));
        skala->addWidget(f.feld(w, "VERHALTEN_IMHAUS"), 1);
        g->addLayout(skala, 2, 1, 1, 3);
        g->addWidget(f.text(w, "IMHAUS_BESONDERHEITEN"), 3, 0, 1, 2);
        g->addWidget(f.feld(w, "IMHAUS_BESONDERHEITEN"), 3, 2, 1, 2);
        g->setColumnStretch(3, 1);
        obenAusrichten(jvro_verhaltensonst->contentArea(), w);
        iv->addWidget(jvro_verhaltensonst);
    }
    iv->addStretch(1);
    scroll->setWidget(innen);
    p->layout()->addWidget(scroll);

    widgets::RolloutPanel* innere[] = {jvro_verhaltenleine, jvro_verhaltenfreilauf, jvro_verhaltenhaus,
                                       jvro_verhaltengrundstueck, jvro_verhaltenwild, jvro_verhaltensonst};
    for (int i = 0; i < 6; ++i) {
        connect(innere[i], &widgets::RolloutPanel::expanded, this, [this, i] { verhaltenExpand(i); });
        connect(innere[i], &widgets::RolloutPanel::collapsed, this, [this, i] { verhaltenCollapse(i); });
    }
}

// Key handling: every bound control of the questionnaire moves on with Enter
// and turns a comma into a full stop; the three memos keep both keys for
// their text, and the check box "Verteidigt Futter" keeps Enter.
void Tfrm_kunden::anamneseTasten(QWidget* inhalt) {
    for (QWidget* c : inhalt->findChildren<QWidget*>()) {
        if (!dynamic_cast<widgets::KeyHooks*>(c) || c == DBEdit62) continue;
        const QString n = c->objectName();
        if (n == QLatin1String("DBMemo2") || n == QLatin1String("DBMemo5") || n == QLatin1String("DBMemo7"))
            continue;
        tasten(c, n != QLatin1String("DBCheckBox1"), true);
    }
    DBEdit27->onKeyPress = [this](QChar& ch) { DBEdit18KeyPress(ch); };
}

void Tfrm_kunden::buildAktiveKurse() {
    auto* v = new QVBoxLayout(ts_aktive_kurse);
    v->setContentsMargins(0, 0, 0, 0);
    DBGrid1 = new widgets::DbGrid(ts_aktive_kurse);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setReadOnly(true);
    DBGrid1->setRowSelect(true);
    DBGrid1->setAutoAppend(false);
    DBGrid1->setColumns({spalte(QStringLiteral("KURSNR"), QStringLiteral("Kurs-Nr."), 8),
                         spalte(QStringLiteral("KURSNAME"), QStringLiteral("Kursname"), 30),
                         spalte(QStringLiteral("KURSART"), QStringLiteral("Kursart"), 8),
                         spalte(QStringLiteral("BEZAHLT"), QStringLiteral("Bezahlt"), 8)});
    DBGrid1->setDataSource(m_dm.ds_aktive_kurse);
    v->addWidget(DBGrid1);
}

// ---------------------------------------------------------------------------
// Window events

void Tfrm_kunden::FormCreate() {
    const QStringList rassen = rassen_fuer_fenster(true);
    dbcb_rasse->setItems(rassen);
}

void Tfrm_kunden::FormShow() {
    if (!m_dm.ibq_aktive_kurse->isActive()) m_dm.ibq_aktive_kurse->open();
}

void Tfrm_kunden::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (e->spontaneous()) return;
    guarded([&] {
        FormShow();
    });
}

bool Tfrm_kunden::FormClose() {
    try {
        for (db::Dataset* d : {static_cast<db::Dataset*>(m_dm.ibt_kunde),
                               static_cast<db::Dataset*>(m_dm.ibt_kunde_hunde),
                               static_cast<db::Dataset*>(m_dm.ibt_hundetagebuch)})
            if (d->isActive()) d->checkBrowseMode();
    } catch (...) {
        platform::handleCurrentException();
        return false;
    }
    return true;
}

void Tfrm_kunden::closeEvent(QCloseEvent* e) {
    if (FormClose()) e->accept();
    else e->ignore();
}

void Tfrm_kunden::datenOeffnen() {
    // The customers, the current customer's dogs and the dog's diary.
    oeffnen({m_dm.ibt_kunde, m_dm.ibt_kunde_hunde, m_dm.ibt_hundetagebuch});
}

bool Tfrm_kunden::check_sichern() {
    using platform::Abbruch;
    using platform::Daten;
    using platform::Icon;
    if (m_dm.ibt_kunde_hunde->isActive() &&
        !platform::sichern(*m_dm.ibt_kunde_hunde, Daten::Hundedaten, Icon::Warning, Abbruch::Still))
        return false;
    return platform::sichern(*m_dm.ibt_kunde, Daten::Kundendaten, Icon::Warning, Abbruch::Still);
}

void Tfrm_kunden::zeigeSeite(const QString& pageControl, const QString& page) {
    m_seiteAusProgramm = true;
    auto zurueck = qScopeGuard([this] { m_seiteAusProgramm = false; });
    if (pageControl == QLatin1String("pg_kundendaten") && page == QLatin1String("ts_dokumente")) {
        // The page has no tab: it is shown without one.
        pg_kundendaten->setCurrentWidget(ts_dokumente);
        return;
    }
    WorkingWindow::zeigeSeite(pageControl, page);
}

// ---------------------------------------------------------------------------
// Overview: search, clear, page change, double click

void Tfrm_kunden::kundensuche(const QString& text) {
    db::Table* t = m_dm.ibt_kunde;
    guarded([&] {
        // A pending edit is finished first; when it cannot be saved the error
        // is shown and the filter stays as it was.
        t->checkBrowseMode();
        if (text.isEmpty()) {
            t->setFiltered(false);
            t->setFilter(QString());
            return;
        }
        t->setFilter(kundensuche_bedingung(text));
        t->setFiltered(true);
    });
}

void Tfrm_kunden::suchtext_kundeKeyDown(int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) kundensuche(suchtext_kunde->text());
}

void Tfrm_kunden::suchtext_kundeKeyPress(QChar& ch) {
    if (ch == QLatin1Char('\r')) ch = QChar();
}

void Tfrm_kunden::SpeedButton2Click() {
    suchtext_kunde->clear();
    kundensuche(QString());
}

void Tfrm_kunden::pg_kundeChange(int) {
    if (pg_kunde->currentWidget() == ts_kundenuebersicht) hilfe(QStringLiteral("\\help\\kundenuebersicht.htm"));
    else if (pg_kunde->currentWidget() == ts_kundedetail) hilfe(QStringLiteral("\\help\\kundenbearbeiten.htm"));
}

void Tfrm_kunden::dbg_kundeDblClick() {
    m_seiteAusProgramm = true;
    pg_kunde->setCurrentWidget(ts_kundedetail);
    m_seiteAusProgramm = false;
    hilfe(QStringLiteral("\\help\\kundenbearbeiten.htm"));
}

void Tfrm_kunden::hilfe(const QString& relPath) {
    if (Fensterwahl* f = fensterwahl()) f->hilfeseite_laden(relPath);
}

bool Tfrm_kunden::eventFilter(QObject* watched, QEvent* e) {
    if (watched == suchtext_kunde && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        int key = k->key();
        suchtext_kundeKeyDown(key, k->modifiers());
        if (key == 0) return true;
        if (k->text().size() == 1) {
            QChar ch = k->text().at(0);
            suchtext_kundeKeyPress(ch);
            if (ch.isNull()) return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------
// Key handling of the bound controls

void Tfrm_kunden::tasten(QWidget* w, bool enter, bool komma) {
    auto* hooks = dynamic_cast<widgets::KeyHooks*>(w);
    if (!hooks) return;
    if (enter) hooks->onKeyDown = [this](int& key, Qt::KeyboardModifiers m) { dbc_anredeKeyDown(key, m); };
    if (komma) hooks->onKeyPress = [this](QChar& ch) { dbc_anredeKeyPress(ch); };
}

void Tfrm_kunden::naechstesSteuerelement() { focusNextPrevChild(true); }

void Tfrm_kunden::dbc_anredeKeyDown(int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) naechstesSteuerelement();
}

void Tfrm_kunden::dbc_anredeKeyPress(QChar& ch) {
    if (ch == QLatin1Char('\r')) ch = QChar();
    else if (ch == QLatin1Char(',')) ch = QLatin1Char('.');
}

void Tfrm_kunden::DBEdit12KeyPress(QChar& ch) { dbc_anredeKeyPress(ch); }
void Tfrm_kunden::DBEdit18KeyPress(QChar& ch) { dbc_anredeKeyPress(ch); }
void Tfrm_kunden::DBEdit26KeyPress(QChar& ch) { dbc_anredeKeyPress(ch); }

// ---------------------------------------------------------------------------
// Diary date keys

// ---------------------------------------------------------------------------
// Sections of "Verhalten des Hundes"

void Tfrm_kunden::verhaltenExpand(int i) {
    const widgets::RolloutPanel* innere[] = {jvro_verhaltenleine, jvro_verhaltenfreilauf, jvro_verhaltenhaus,
                                             jvro_verhaltengrundstueck, jvro_verhaltenwild, jvro_verhaltensonst};
    const int h = innere[i]->panelHeight();
    verhaltenHoehen[size_t(i)] = h;
    jvro_verhaltenhund->setPanelHeight(jvro_verhaltenhund->panelHeight() + h);
}

void Tfrm_kunden::verhaltenCollapse(int i) {
    jvro_verhaltenhund->setPanelHeight(jvro_verhaltenhund->panelHeight() - verhaltenHoehen[size_t(i)]);
}

// ---------------------------------------------------------------------------
// E-mail and printouts

void Tfrm_kunden::SpeedButton1Click() {
    // Nothing is checked first; the shell reports nothing when it fails.
    platform::shell().openUrl(platform::mailtoUrl(dbe_email->text()));
}

void Tfrm_kunden::bb_kndkarte_druckenClick() { kundenausdruck(false); }

void Tfrm_kunden::bb_kndliste_druckenClick() { kundenausdruck(true); }

void Tfrm_kunden::kundenausdruck(bool liste) {
    Tfrm_qr_kundenkarte* qr = frm_qr_kundenkarte;
    if (!qr) return;
    if (!liste) {
        // One card: the current customer.
        qr->karte_drucken = true;
        qr->preview(this);
        return;
    }
    // The list runs through the customer table from its first row; afterwards
    // (also when the run fails) the customer who was current is current again.
    db::Table* k = m_dm.ibt_kunde;
    if (!k->isActive()) k->open();
    const QVariant current = k->isEmpty() ? QVariant() : k->fieldByName(QStringLiteral("KNDNR"))->value();
    const auto back = [k, current] {
        if (current.isValid() && !current.isNull() && k->isActive()) k->locate(QStringLiteral("KNDNR"), current);
    };
    k->first();
    qr->liste_drucken = true;
    try {
        qr->preview(this);
    } catch (...) {
        back();
        throw;
    }
    back();
}
