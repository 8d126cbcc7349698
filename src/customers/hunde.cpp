#include "customers/hunde.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "customers/hundefelder.h"
#include "customers/tagebuchseite.h"
#include "data/kundensuche.h"
#include "data/datenmodul.h"
#include "db/error.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/sicherung.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/feldbau.h"

using platform::guarded;

QPointer<Tfrm_hunde> frm_hunde;

using namespace hundefelder;
using widgets::boundCombo;
using widgets::boundEdit;
using widgets::label;
using widgets::DbNavigator;
using widgets::spalte;

namespace {

bool loeschenBestaetigt(const QString& text) {
    return platform::dialogs().confirm(text, QStringLiteral("Bestätigung"), platform::Buttons::JaNein) ==
           platform::Answer::Ja;
}

QGridLayout* gitter(QWidget* w) {
    auto* g = new QGridLayout(w);
    g->setContentsMargins(6, 4, 6, 4);
    g->setHorizontalSpacing(10);  // labels never touch their fields
    g->setVerticalSpacing(2);
    return g;
}

}  // namespace

Tfrm_hunde::Tfrm_hunde(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_hunde"));
    setWindowTitle(QStringLiteral("Hunde"));
    db::DataSource* ds = m_dm.ds_hunde;

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(2, 2, 2, 2);
    gb_suchen = new QGroupBox(QStringLiteral("Suchen nach..."), this);
    gb_suchen->setObjectName(QStringLiteral("gb_suchen"));
    auto* sh = new QHBoxLayout(gb_suchen);
    suchtext_hunde = new QLineEdit(gb_suchen);
    suchtext_hunde->setObjectName(QStringLiteral("suchtext_hunde"));
    suchtext_hunde->installEventFilter(this);
    sh->addWidget(suchtext_hunde);
    v->addWidget(gb_suchen);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    v->addWidget(Splitter1, 1);

    dbg_kunde = new widgets::DbGrid(Splitter1);
    dbg_kunde->setObjectName(QStringLiteral("dbg_kunde"));
    dbg_kunde->setColumns({spalte(QStringLiteral("NAME"), QString(), 16), spalte(QStringLiteral("RASSE"), QString(), 24),
                           spalte(QStringLiteral("GEBURTSJAHR"), QStringLiteral("Geburtsjahr"), 10),
                           spalte(QStringLiteral("CHIPNR"), QStringLiteral("Chip-Nr."), 20),
                           spalte(QStringLiteral("HAFTPFLICHTNR"), QStringLiteral("Haftpflicht-Nr."), 18),
                           spalte(QStringLiteral("KOMMENTAR"), QStringLiteral("Kommentar"), 30),
                           spalte(QStringLiteral("PROBLEME"), QStringLiteral("Probleme"), 30)});
    dbg_kunde->confirmDelete = loeschenBestaetigt;
    dbg_kunde->setDataSource(ds);
    connect(dbg_kunde, &widgets::DbGrid::rowDoubleClicked, this, [this] { dbg_kundeDblClick(); });
    Splitter1->addWidget(dbg_kunde);

    auto* unten = new QWidget(Splitter1);
    unten->setObjectName(QStringLiteral("pn_hund"));
    auto* uv = new QVBoxLayout(unten);
    uv->setContentsMargins(0, 0, 0, 0);
    auto* leiste = new QWidget(unten);
    leiste->setObjectName(QStringLiteral("pn_hundkopf"));
    auto* lh = new QHBoxLayout(leiste);
    lh->setContentsMargins(2, 2, 2, 2);
    DBEdit14 = boundEdit(leiste, QStringLiteral("DBEdit14"), ds, QStringLiteral("NAME"));
    dbcb_rasse = boundCombo(leiste, QStringLiteral("dbcb_rasse"), ds, QStringLiteral("RASSE"), {}, false);
    dbcb_rasse->setMinimumWidth(170);
    DBComboBox2 = boundCombo(leiste, QStringLiteral("DBComboBox2"), ds, QStringLiteral("GESCHLECHT"),
                        {QStringLiteral("Hündin"), QStringLiteral("Rüde")}, false);
    DBEdit19 = boundEdit(leiste, QStringLiteral("DBEdit19"), ds, QStringLiteral("GEBURTSJAHR"));
    DBEdit19->setMaximumWidth(70);
    lh->addWidget(label(leiste, QStringLiteral("Name")));
    lh->addWidget(DBEdit14, 2);
    lh->addWidget(label(leiste, QStringLiteral("Rasse")));
    lh->addWidget(dbcb_rasse, 2);
    lh->addWidget(label(leiste, QStringLiteral("Geschlecht")));
    lh->addWidget(DBComboBox2, 1);
    lh->addWidget(label(leiste, QStringLiteral("Geburtsjahr")));
    lh->addWidget(DBEdit19);
    DBNavigator3 = new DbNavigator(leiste);
    DBNavigator3->setObjectName(QStringLiteral("DBNavigator3"));
    DBNavigator3->setVisibleButtons(DbNavigator::MoveButtons);
    DBNavigator3->setHints({QStringLiteral("Zum ersten Hund"), QStringLiteral("Vorheriger Hund"),
                            QStringLiteral("Nächster Hund"), QStringLiteral("Letzter Hund")});
    DBNavigator3->setShowHints(true);
    DBNavigator3->setDataSource(ds);
    for (int b = DbNavigator::First; b <= DbNavigator::Refresh; b <<= 1)
        if (QToolButton* t = DBNavigator3->button(DbNavigator::Button(b))) t->setFocusPolicy(Qt::NoFocus);
    lh->addStretch(1);
    lh->addWidget(DBNavigator3);
    bb_zumkunden = new QPushButton(QStringLiteral("zum Kunden"), leiste);
    bb_zumkunden->setObjectName(QStringLiteral("bb_zumkunden"));
    connect(bb_zumkunden, &QPushButton::clicked, this, [this] { bb_zumkundenClick(); });
    lh->addWidget(bb_zumkunden);
    uv->addWidget(leiste);

    PageControl1 = new QTabWidget(unten);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->tabBar()->setMouseTracking(true);
    ts_anamesebogen = new QWidget;
    ts_anamesebogen->setObjectName(QStringLiteral("ts_anamesebogen"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(ts_anamesebogen, QStringLiteral("Anamese"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Trainingsprotokoll"));
    auto* av = new QVBoxLayout(ts_anamesebogen);
    av->setContentsMargins(0, 0, 0, 0);
    av->addWidget(buildAnamnese());
    // The diary of the dog shown here, not of the customer window's dog.
    const tagebuchseite::Tagebuchseite tagebuch =
        tagebuchseite::bauen(TabSheet1, m_dm.ds_hundesuche_tagebuch, loeschenBestaetigt);
    dbg_tagebuch = tagebuch.grid;
    DBNavigator4 = tagebuch.navigator;
    lb_tagebuchhinweis = tagebuch.hinweis;
    uv->addWidget(PageControl1, 1);
    Splitter1->addWidget(unten);
    Splitter1->setStretchFactor(0, 2);
    Splitter1->setStretchFactor(1, 3);
    PageControl1->setCurrentWidget(ts_anamesebogen);

    FormCreate();
}

Tfrm_hunde::~Tfrm_hunde() = default;

QWidget* Tfrm_hunde::buildAnamnese() {
    const Fragebogen f(Fenster::Hund, m_dm.ds_hunde);
    sb_anamese = new QScrollArea;
    sb_anamese->setObjectName(QStringLiteral("sb_anamese"));
    sb_anamese->setFrameShape(QFrame::NoFrame);
    sb_anamese->setWidgetResizable(true);
    auto* inhalt = new QWidget;
    auto* v = new QVBoxLayout(inhalt);
    v->setContentsMargins(2, 2, 2, 2);

    auto memo = [&](QWidget* p, const char* spalte, int hoehe) {
        widgets::DbMemo* m = f.memo(p, spalte);
        m->setFixedHeight(hoehe);
        return m;
    };
    auto gruppe = [&](const char* objekt, const QString& titel) {
        auto* g = new QGroupBox(titel, inhalt);
        g->setObjectName(QString::fromLatin1(objekt));
        v->addWidget(g);
        return g;
    };

    // The caption of the problems is the title of their group.
    GroupBox7 = gruppe("GroupBox7", f.beschriftung("PROBLEME"));
    {
        auto* l = new QVBoxLayout(GroupBox7);
        l->setContentsMargins(6, 4, 6, 4);
        widgets::DbMemo* probleme = memo(GroupBox7, "PROBLEME", 48);
        // Enter starts no new line here.
        probleme->onKeyPress = [](QChar& ch) {
            if (ch == QLatin1Char('\r')) ch = QChar();
        };
        l->addWidget(probleme);
    }
    GroupBox3 = gruppe("GroupBox3", QStringLiteral("Herkunft, Pflege"));
    {
        QGridLayout* g = gitter(GroupBox3);
        QWidget* w = GroupBox3;
        f.paar(g, w, "CHIPNR", 0, 0);
        f.paar(g, w, "HAFTPFLICHTNR", 1, 0);
        f.paar(g, w, "HERKUNFT", 2, 0);
        f.paar(g, w, "ZWINGERNAME", 3, 0);
        g->addWidget(f.text(w, "VORBESITZER"), 0, 2);
        g->addWidget(memo(w, "VORBESITZER", 70), 1, 2, 3, 1);
        f.paar(g, w, "KASTRATION", 0, 3);
        f.paar(g, w, "KASTZEITPUNKT", 1, 3);
        f.paar(g, w, "FUTTER", 2, 3);
        f.paar(g, w, "FUTTERMARKE", 3, 3);
        g->setColumnStretch(1, 2);
        g->setColumnStretch(2, 3);
        g->setColumnStretch(4, 2);
    }
    GroupBox2 = gruppe("GroupBox2", QStringLiteral("Tierarzt, Krankheiten, Imfpung"));
    {
        QGridLayout* g = gitter(GroupBox2);
        QWidget* w = GroupBox2;
        g->addWidget(f.text(w, "TIERARZT"), 0, 0);
        g->addWidget(memo(w, "TIERARZT", 70), 1, 0, 3, 1);
        f.reihe(g, w, 0, 1, {"IMPFUNG", "IMPFUNG_TEXT"});
        f.reihe(g, w, 1, 1, {"ALLERGIEN", "ALLERGIEN_TEXT"});
        f.paar(g, w, "HAUT_FELL", 2, 1);
        f.paar(g, w, "KRANKHEITEN", 3, 1);
        g->setColumnStretch(0, 1);
        g->setColumnStretch(2, 1);
    }
    GroupBox6 = gruppe("GroupBox6", QStringLiteral("Futteraufnahme"));
    f.futteraufnahme(gitter(GroupBox6), GroupBox6);
    GroupBox4 = gruppe("GroupBox4", QStringLiteral("bisherige Hundeerziehung"));
    f.hundeerziehung(gitter(GroupBox4), GroupBox4);
    GroupBox5 = gruppe("GroupBox5", QStringLiteral("Verhalten des Hundes"));
    buildVerhalten(f);
    v->addStretch(1);
    sb_anamese->setWidget(inhalt);
    return sb_anamese;
}

// "Verhalten des Hundes": one grid, a bold heading over each part, then the
// comments and the questionnaire's date.
void Tfrm_hunde::buildVerhalten(const Fragebogen& f) {
    QGridLayout* g = gitter(GroupBox5);
    QWidget* w = GroupBox5;
    int r = 0;
    auto memo = [&](const char* spalte) {
        widgets::DbMemo* m = f.memo(w, spalte);
        m->setFixedHeight(80);
        return m;
    };
    auto ueberschrift = [&](const QString& text) {
        QLabel* l = label(w, text);
        QFont schrift = l->font();
        schrift.setBold(true);
        l->setFont(schrift);
        g->addWidget(l, r++, 0, 1, 5);
    };
    for (const Gegenueber& gg : gegenueber) {
        ueberschrift(QString::fromUtf8(gg.ueberschrift));
        r = f.verhaltenGegenueber(g, w, gg, r);
    }
    ueberschrift(QStringLiteral("Verhalten bei Wild..."));
    f.reihe(g, w, r, 0, {"JAGD_BEI_SICHT", "JAGD_AUF_FAEHRTE", "ABRUFBAR"});
    auto* jagd = new QHBoxLayout;
    jagd->addWidget(f.text(w, "JAGD_BESONDERHEITEN"));
    jagd->addWidget(f.feld(w, "JAGD_BESONDERHEITEN"), 1);
    g->addLayout(jagd, r++, 3, 1, 2);
    ueberschrift(QStringLiteral("Sonstiges Verhalten:"));
    f.reihe(g, w, r, 0, {"ANSPRINGEN_BEKANNTE", "ANSPRINGEN_FREMDE"});
    g->addWidget(f.text(w, "ANSPRINGEN_BESONDERHEITEN"), r, 2);
    g->addWidget(f.feld(w, "ANSPRINGEN_BESONDERHEITEN"), r++, 3, 1, 2);
    f.reihe(g, w, r, 0, {"ANBELLEN_BEKANNTE", "ANBELLEN_FREMDE"});
    g->addWidget(f.text(w, "ANBELLEN_BESONDERHEITEN"), r, 2);
    g->addWidget(f.feld(w, "ANBELLEN_BESONDERHEITEN"), r++, 3, 1, 2);
    g->addWidget(f.feld(w, "AUTOFAHREN_GERNE"), r, 0);
    f.paar(g, w, "VERHALTEN_TIERARZT", r, 1);
    f.paar(g, w, "VERHALTEN_IMHAUS", r++, 3);
    g->addWidget(f.text(w, "IMHAUS_BESONDERHEITEN"), r, 0, 1, 2);
    g->addWidget(f.feld(w, "IMHAUS_BESONDERHEITEN"), r++, 2, 1, 3);
    g->addWidget(f.text(w, "KOMMENTAR"), r, 0, 1, 2);
    g->addWidget(f.text(w, "THERAPIEVORSCHLAG"), r++, 2, 1, 3);
    g->addWidget(memo("KOMMENTAR"), r, 0, 1, 2);
    g->addWidget(memo("THERAPIEVORSCHLAG"), r++, 2, 1, 3);
    auto* datum = new QHBoxLayout;
    datum->addWidget(f.text(w, "ANAMESE_AUFGENOMMEN_AM"));
    datum->addWidget(f.feld(w, "ANAMESE_AUFGENOMMEN_AM"));
    datum->addStretch(1);
    g->addLayout(datum, r++, 0, 1, 5);
    for (int k = 0; k < 5; ++k) g->setColumnStretch(k, 1);
}

void Tfrm_hunde::FormCreate() { dbcb_rasse->setItems(rassen_fuer_fenster(false)); }

void Tfrm_hunde::datenOeffnen() {
    // All dogs, and the diary of the dog shown.
    oeffnen({m_dm.ibt_hunde, m_dm.ibt_hundesuche_tagebuch});
}

bool Tfrm_hunde::check_sichern() {
    // The diary's row before its dog.
    if (m_dm.ibt_hundesuche_tagebuch->isActive() &&
        !platform::sichern(*m_dm.ibt_hundesuche_tagebuch, platform::Daten::Hundedaten, platform::Icon::Warning,
                           platform::Abbruch::Still))
        return false;
    return platform::sichern(*m_dm.ibt_hunde, platform::Daten::Hundedaten, platform::Icon::Warning,
                             platform::Abbruch::Still);
}

void Tfrm_hunde::closeEvent(QCloseEvent* e) {
    // The window lives until the program ends: closing only minimises it.
    e->ignore();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->showMinimized();
    else showMinimized();
}

void Tfrm_hunde::hundesuche(const QString& text) {
    db::Table* t = m_dm.ibt_hunde;
    guarded([&] {
        t->checkBrowseMode();
        if (text.isEmpty()) {
            t->setFiltered(false);
            t->setFilter(QString());
            return;
        }
        t->setFilter(hundesuche_bedingung(text));
        t->setFiltered(true);
    });
}

void Tfrm_hunde::suchtext_hundeKeyDown(int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) hundesuche(suchtext_hunde->text());
}

void Tfrm_hunde::suchtext_hundeKeyPress(QChar& ch) {
    if (ch == QLatin1Char('\r')) ch = QChar();
}

bool Tfrm_hunde::eventFilter(QObject* watched, QEvent* e) {
    if (watched == suchtext_hunde && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        int key = k->key();
        suchtext_hundeKeyDown(key, k->modifiers());
        if (key == 0) return true;
        if (k->text().size() == 1) {
            QChar ch = k->text().at(0);
            suchtext_hundeKeyPress(ch);
            if (ch.isNull()) return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void Tfrm_hunde::bb_zumkundenClick() {
    db::Table* hunde = m_dm.ibt_hunde;
    // The dog's pending change is saved first, so that the customer window
    // reads the dog as it is shown here.
    if (!check_sichern()) return;
    QString kndnr, hundnr;
    if (hunde->isActive() && !hunde->isEmpty()) {
        kndnr = hunde->fieldByName(QStringLiteral("KNDNR"))->asString();
        hundnr = hunde->fieldByName(QStringLiteral("HUNDNR"))->asString();
    }
    if (Fensterwahl* f = fensterwahl()) f->fensterOeffnen(WindowKind::Kunden, Fenstermodus::Bearbeiten);
    if (kndnr.isEmpty()) return;
    guarded([&] {
        m_dm.ibt_kunde->locate(QStringLiteral("KNDNR"), kndnr);
        // The customer's dogs are read again: the dog may have been changed
        // here while the customer window kept its rows.
        if (m_dm.ibt_kunde_hunde->isActive()) m_dm.ibt_kunde_hunde->refresh();
        m_dm.ibt_kunde_hunde->locate(QStringLiteral("HUNDNR"), hundnr);
    });
}

void Tfrm_hunde::dbg_kundeDblClick() { bb_zumkundenClick(); }
