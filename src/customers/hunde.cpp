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
using widgets::boundCheck;
using widgets::boundCombo;
using widgets::boundEdit;
using widgets::boundMemo;
using widgets::boundName;
using widgets::label;
using widgets::DbNavigator;

namespace {

widgets::DbGridColumn spalte(const QString& feld, const QString& titel = QString(), int zeichen = 0) {
    widgets::DbGridColumn c;
    c.fieldName = feld;
    c.title = titel;
    c.widthChars = zeichen;
    return c;
}

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
    auto* tv = new QVBoxLayout(TabSheet1);
    tv->setContentsMargins(0, 0, 0, 0);
    dbg_tagebuch = new widgets::DbGrid(TabSheet1);
    dbg_tagebuch->setObjectName(QStringLiteral("dbg_tagebuch"));
    widgets::DbGridColumn art = spalte(QStringLiteral("TERMINART"), QString(), 14);
    art.pickList = {QStringLiteral("Einzelstunde"), QStringLiteral("Welpenkurs"), QStringLiteral("Junghundekurs"),
                    QStringLiteral("Gruppenkurs")};
    dbg_tagebuch->setColumns({spalte(QStringLiteral("DATUM"), QString(), 11), art,
                              spalte(QStringLiteral("GEPLANT"), QString(), 28),
                              spalte(QStringLiteral("DURCHGEFUEHRT"), QString(), 28),
                              spalte(QStringLiteral("BEURTEILUNG"), QString(), 28),
                              spalte(QStringLiteral("VORAUSPLANUNG"), QString(), 28)});
    dbg_tagebuch->confirmDelete = loeschenBestaetigt;
    dbg_tagebuch->setDataSource(m_dm.ds_hunde_tagebuch);
    tv->addWidget(dbg_tagebuch);
    uv->addWidget(PageControl1, 1);
    Splitter1->addWidget(unten);
    Splitter1->setStretchFactor(0, 2);
    Splitter1->setStretchFactor(1, 3);
    PageControl1->setCurrentWidget(ts_anamesebogen);

    FormCreate();
}

Tfrm_hunde::~Tfrm_hunde() = default;

QWidget* Tfrm_hunde::buildAnamnese() {
    db::DataSource* ds = m_dm.ds_hunde;
    sb_anamese = new QScrollArea;
    sb_anamese->setObjectName(QStringLiteral("sb_anamese"));
    sb_anamese->setFrameShape(QFrame::NoFrame);
    sb_anamese->setWidgetResizable(true);
    auto* inhalt = new QWidget;
    auto* v = new QVBoxLayout(inhalt);
    v->setContentsMargins(2, 2, 2, 2);

    auto lbl = [](QWidget* p, const char* t) { return label(p, QString::fromUtf8(t)); };
    auto e = [&](QWidget* p, const char* feld) {
        return boundEdit(p, boundName("dbe_", QString::fromLatin1(feld)), ds, QString::fromLatin1(feld));
    };
    auto cb = [&](QWidget* p, const char* feld, const QStringList& items, bool tippen) {
        return boundCombo(p, boundName("dbc_", QString::fromLatin1(feld)), ds, QString::fromLatin1(feld), items, tippen);
    };
    auto ck = [&](QWidget* p, const char* text, const char* feld) {
        return boundCheck(p, boundName("dbchk_", QString::fromLatin1(feld)), QString::fromUtf8(text), ds,
                     QString::fromLatin1(feld));
    };
    auto me = [&](QWidget* p, const char* feld, int hoehe) {
        auto* m = boundMemo(p, boundName("dbm_", QString::fromLatin1(feld)), ds, QString::fromLatin1(feld));
        m->setFixedHeight(hoehe);
        return m;
    };
    auto gruppe = [&](const char* objekt, const char* titel) {
        auto* g = new QGroupBox(QString::fromUtf8(titel), inhalt);
        g->setObjectName(QString::fromLatin1(objekt));
        v->addWidget(g);
        return g;
    };

    GroupBox7 = gruppe("GroupBox7", "Probleme / Grund der Kontaktaufnahme");
    {
        auto* l = new QVBoxLayout(GroupBox7);
        l->setContentsMargins(6, 4, 6, 4);
        widgets::DbMemo* probleme = me(GroupBox7, "PROBLEME", 48);
        // Enter starts no new line here.
        probleme->onKeyPress = [](QChar& ch) {
            if (ch == QLatin1Char('\r')) ch = QChar();
        };
        l->addWidget(probleme);
    }
    GroupBox3 = gruppe("GroupBox3", "Herkunft, Pflege");
    {
        QGridLayout* g = gitter(GroupBox3);
        QWidget* w = GroupBox3;
        g->addWidget(lbl(w, "Chip-Nr."), 0, 0);
        g->addWidget(e(w, "CHIPNR"), 0, 1);
        g->addWidget(lbl(w, "Haftpflicht-Nr."), 1, 0);
        g->addWidget(e(w, "HAFTPFLICHTNR"), 1, 1);
        g->addWidget(lbl(w, "Herkunft"), 2, 0);
        g->addWidget(cb(w, "HERKUNFT", herkunftListe(), true), 2, 1);
        g->addWidget(lbl(w, "event. Zwingername"), 3, 0);
        g->addWidget(e(w, "ZWINGERNAME"), 3, 1);
        g->addWidget(lbl(w, "Vorbesitzer"), 0, 2);
        g->addWidget(me(w, "VORBESITZER", 70), 1, 2, 3, 1);
        g->addWidget(lbl(w, "Kastration"), 0, 3);
        g->addWidget(cb(w, "KASTRATION", kastrationListe(), true), 0, 4);
        g->addWidget(lbl(w, "Zeitpunkt"), 1, 3);
        g->addWidget(e(w, "KASTZEITPUNKT"), 1, 4);
        g->addWidget(lbl(w, "Futterart"), 2, 3);
        g->addWidget(cb(w, "FUTTER", futterListe(), true), 2, 4);
        g->addWidget(lbl(w, "Futtermarke"), 3, 3);
        g->addWidget(e(w, "FUTTERMARKE"), 3, 4);
        g->setColumnStretch(1, 2);
        g->setColumnStretch(2, 3);
        g->setColumnStretch(4, 2);
    }
    GroupBox2 = gruppe("GroupBox2", "Tierarzt, Krankheiten, Imfpung");
    {
        QGridLayout* g = gitter(GroupBox2);
        QWidget* w = GroupBox2;
        g->addWidget(lbl(w, "Tierarzt"), 0, 0);
        g->addWidget(me(w, "TIERARZT", 70), 1, 0, 3, 1);
        g->addWidget(ck(w, "Impfungen:", "IMPFUNG"), 0, 1);
        g->addWidget(e(w, "IMPFUNG_TEXT"), 0, 2);
        g->addWidget(ck(w, "Allergien:", "ALLERGIEN"), 1, 1);
        g->addWidget(e(w, "ALLERGIEN_TEXT"), 1, 2);
        g->addWidget(lbl(w, "Auffälligkeiten Fell/Haut"), 2, 1);
        g->addWidget(e(w, "HAUT_FELL"), 2, 2);
        g->addWidget(lbl(w, "Krankheiten"), 3, 1);
        g->addWidget(e(w, "KRANKHEITEN"), 3, 2);
        g->setColumnStretch(0, 1);
        g->setColumnStretch(2, 1);
    }
    GroupBox6 = gruppe("GroupBox6", "Futteraufnahme");
    {
        QGridLayout* g = gitter(GroupBox6);
        QWidget* w = GroupBox6;
        g->addWidget(ck(w, "Verteidigt Futter", "FUTTERVERTEIDIGEN"), 0, 0);
        g->addWidget(lbl(w, "Futteraufnahme:"), 0, 1);
        // Here the manner of eating offers the behaviour scale.
        g->addWidget(cb(w, "FUTTERAUFNAHME", verhaltensskala(), true), 0, 2);
        g->addWidget(lbl(w, "Futteraufnahme aus der Hand:"), 0, 3);
        g->addWidget(cb(w, "FUTTERAUSDERHAND", verhaltensskala(), true), 0, 4);
        g->setColumnStretch(2, 1);
        g->setColumnStretch(4, 1);
    }
    GroupBox4 = gruppe("GroupBox4", "bisherige Hundeerziehung");
    {
        QGridLayout* g = gitter(GroupBox4);
        QWidget* w = GroupBox4;
        int r = 0;
        for (const Erziehung& z : erziehung) {
            g->addWidget(ck(w, z.text, z.check), r, 0);
            g->addWidget(e(w, z.bei), r, 1);
            ++r;
        }
        g->addWidget(lbl(w, "Letzte Hundeschule:"), 0, 2);
        g->addWidget(e(w, "LETZTE_HUNDESCHULE"), 1, 2);
        g->setColumnStretch(1, 3);
        g->setColumnStretch(2, 2);
    }
    GroupBox5 = gruppe("GroupBox5", "Verhalten des Hundes");
    {
        QGridLayout* g = gitter(GroupBox5);
        QWidget* w = GroupBox5;
        int r = 0;
        auto ueberschrift = [&](const char* text) {
            QLabel* l = lbl(w, text);
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
            g->addWidget(l, r++, 0, 1, 5);
        };
        for (const Gegenueber& gg : gegenueber) {
            ueberschrift(gg.ueberschrift);
            const QStringList spalten = gegenueberSpalten(gg);
            const QStringList koepfe = gegenueberKoepfe(gg);
            for (int k = 0; k < 5; ++k) {
                g->addWidget(label(w, koepfe[k]), r, k);
                g->addWidget(boundCombo(w, boundName("dbc_", spalten[k]), ds, spalten[k], verhaltensskala(), false), r + 1, k);
            }
            r += 2;
            auto* bes = new QHBoxLayout;
            bes->addWidget(lbl(w, "Besonderheiten:"));
            bes->addWidget(e(w, gg.besonders), 1);
            g->addLayout(bes, r++, 0, 1, 5);
        }
        ueberschrift("Verhalten bei Wild...");
        g->addWidget(ck(w, "Jagd bei Sicht", "JAGD_BEI_SICHT"), r, 0);
        g->addWidget(ck(w, "Jagd auf Fährte", "JAGD_AUF_FAEHRTE"), r, 1);
        g->addWidget(ck(w, "Abrufbar", "ABRUFBAR"), r, 2);
        {
            auto* bes = new QHBoxLayout;
            bes->addWidget(lbl(w, "Besonderheiten:"));
            bes->addWidget(e(w, "JAGD_BESONDERHEITEN"), 1);
            g->addLayout(bes, r++, 3, 1, 2);
        }
        ueberschrift("Sonstiges Verhalten:");
        g->addWidget(ck(w, "Anspringen Bekannte", "ANSPRINGEN_BEKANNTE"), r, 0);
        g->addWidget(ck(w, "Anspringen Fremde", "ANSPRINGEN_FREMDE"), r, 1);
        g->addWidget(lbl(w, "Besonderheiten Anspringen:"), r, 2);
        g->addWidget(e(w, "ANSPRINGEN_BESONDERHEITEN"), r++, 3, 1, 2);
        g->addWidget(ck(w, "Anbellen Bekannte", "ANBELLEN_BEKANNTE"), r, 0);
        g->addWidget(ck(w, "Anbellen Fremde", "ANBELLEN_FREMDE"), r, 1);
        g->addWidget(lbl(w, "Besonderheiten Anbellen:"), r, 2);
        g->addWidget(e(w, "ANBELLEN_BESONDERHEITEN"), r++, 3, 1, 2);
        g->addWidget(ck(w, "Fährt gerne Auto", "AUTOFAHREN_GERNE"), r, 0);
        g->addWidget(lbl(w, "Verhält sich beim Tierarzt..."), r, 1);
        g->addWidget(cb(w, "VERHALTEN_TIERARZT", verhaltensskala(), false), r, 2);
        g->addWidget(lbl(w, "Verhält sich im Haus"), r, 3);
        g->addWidget(cb(w, "VERHALTEN_IMHAUS", verhaltensskala(), false), r++, 4);
        g->addWidget(lbl(w, "Besonderheiten Verhalten im Haus:"), r, 0, 1, 2);
        g->addWidget(e(w, "IMHAUS_BESONDERHEITEN"), r++, 2, 1, 3);
        g->addWidget(lbl(w, "Kommentar:"), r, 0, 1, 2);
        g->addWidget(lbl(w, "Therapievorschlag:"), r++, 2, 1, 3);
        g->addWidget(me(w, "KOMMENTAR", 80), r, 0, 1, 2);
        g->addWidget(me(w, "THERAPIEVORSCHLAG", 80), r++, 2, 1, 3);
        auto* datum = new QHBoxLayout;
        datum->addWidget(lbl(w, "Anamese vom:"));
        widgets::DbEdit* vom = e(w, "ANAMESE_AUFGENOMMEN_AM");
        // Date and time (as the edit shows them while it has the focus) fit.
        vom->setFixedWidth(vom->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 18);
        datum->addWidget(vom);
        datum->addStretch(1);
        g->addLayout(datum, r++, 0, 1, 5);
        for (int k = 0; k < 5; ++k) g->setColumnStretch(k, 1);
    }
    v->addStretch(1);
    sb_anamese->setWidget(inhalt);
    return sb_anamese;
}

void Tfrm_hunde::FormCreate() { dbcb_rasse->setItems(rassen_fuer_fenster(false)); }

void Tfrm_hunde::datenOeffnen() {
    // All dogs.
    oeffnen({m_dm.ibt_hunde});
}

bool Tfrm_hunde::check_sichern() {
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
