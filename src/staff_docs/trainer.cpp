#include "db/error.h"
#include "staff_docs/trainer.h"

#include <algorithm>

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/datenmodul.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/sicherung.h"
#include "staff_docs/fensterhilfen.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/feldbau.h"

QPointer<Tfrm_trainer> frm_trainer;

using widgets::boundEdit;
using widgets::label;

Tfrm_trainer::Tfrm_trainer(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_trainer"));
    setWindowTitle(QStringLiteral("Trainerpflege"));
    // Closing destroys the window; frm_trainer empties itself.
    setAttribute(Qt::WA_DeleteOnClose);
    aufbauen();
}

Tfrm_trainer::~Tfrm_trainer() = default;

void Tfrm_trainer::aufbauen() {
    db::DataSource* ds = m_dm.ds_trainer;

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(9);
    Splitter1->setChildrenCollapsible(false);
    outer->addWidget(Splitter1, 1);

    aufbauenListe(ds);
    Panel1 = new QWidget(Splitter1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(8, 4, 8, 4);
    panel->setSpacing(12);
    panel->addLayout(aufbauenAdresse(ds), 3);
    panel->addWidget(aufbauenErreichbar(ds), 2);
    panel->addLayout(aufbauenKommentar(ds), 3);

    Splitter1->addWidget(DBGrid1);
    Splitter1->addWidget(Panel1);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({400, 193});

    // 3. The two course pages at the bottom.
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ts_aktive_kurse = new QWidget;
    ts_aktive_kurse->setObjectName(QStringLiteral("ts_aktive_kurse"));
    ts_abgeschlossene_kurse = new QWidget;
    ts_abgeschlossene_kurse->setObjectName(QStringLiteral("ts_abgeschlossene_kurse"));
    PageControl1->addTab(ts_aktive_kurse, QStringLiteral("Aktive Kurse"));
    PageControl1->addTab(ts_abgeschlossene_kurse, QStringLiteral("Abgeschlossene Kurse"));
    PageControl1->setFixedHeight(182);
    outer->addWidget(PageControl1);

    setTabOrder(dbc_anrede, dbe_kurzzeichen);
    setTabOrder(dbe_kurzzeichen, dbe_vname);
    setTabOrder(dbe_vname, dbe_name);
    setTabOrder(dbe_name, dbe_str);
    setTabOrder(dbe_str, dbe_plz);
    setTabOrder(dbe_plz, dbe_ort);
    setTabOrder(dbe_ort, dbe_tel);
    setTabOrder(dbe_tel, dbe_mobil);
    setTabOrder(dbe_mobil, dbe_fax);
    setTabOrder(dbe_fax, dbe_email);
    setTabOrder(dbe_email, dbm_kommentar);
}

// 1. The list of trainers, editable in place.
void Tfrm_trainer::aufbauenListe(db::DataSource* ds) {
    DBGrid1 = new widgets::DbGrid(Splitter1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    // The number column is narrower than the style's smallest section.
    DBGrid1->horizontalHeader()->setMinimumSectionSize(16);
    DBGrid1->setColumns({staff_docs::spalte(QStringLiteral("TRAINERNR"), {}, 25),
                         staff_docs::spalte(QStringLiteral("KURZZEICHEN"), {}, 63),
                         staff_docs::spalte(QStringLiteral("VNAME"), {}, 71),
                         staff_docs::spalte(QStringLiteral("NAME"), {}, 110),
                         staff_docs::spalte(QStringLiteral("STR"), {}, 148),
                         // Five digits whole in the screen's font.
                         staff_docs::spalte(QStringLiteral("PLZ"), {},
                                            std::max(40, DBGrid1->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 14)),
                         staff_docs::spalte(QStringLiteral("ORT"), {}, 157)});
    DBGrid1->confirmDelete = staff_docs::loeschenBestaetigen;
    DBGrid1->setDataSource(ds);
}

// 2. The detail panel, every field under its label: the address at the left,
QGridLayout* Tfrm_trainer::aufbauenAdresse(db::DataSource* ds) {
    auto* adresse = new QGridLayout;
    adresse->setHorizontalSpacing(8);
    adresse->setVerticalSpacing(1);
    dbe_trainernr = boundEdit(Panel1, QStringLiteral("dbe_trainernr"), ds, QStringLiteral("TRAINERNR"));
    dbe_trainernr->setReadOnly(true);
    dbe_trainernr->setFocusPolicy(Qt::ClickFocus);  // skipped by the tab key
    {
        QPalette p = dbe_trainernr->palette();
        p.setColor(QPalette::Base, staff_docs::buttonFace());
        dbe_trainernr->setPalette(p);
    }
    dbe_trainernr->setFixedWidth(60);
    dbc_anrede = widgets::boundCombo(Panel1, QStringLiteral("dbc_anrede"), ds, QStringLiteral("ANREDE"),
                                     {QStringLiteral("Frau"), QStringLiteral("Herr"), QStringLiteral("Familie")});
    dbc_anrede->setMinimumWidth(100);
    dbe_kurzzeichen = boundEdit(Panel1, QStringLiteral("dbe_kurzzeichen"), ds, QStringLiteral("KURZZEICHEN"));
    dbe_vname = boundEdit(Panel1, QStringLiteral("dbe_vname"), ds, QStringLiteral("VNAME"));
    dbe_name = boundEdit(Panel1, QStringLiteral("dbe_name"), ds, QStringLiteral("NAME"));
    dbe_str = boundEdit(Panel1, QStringLiteral("dbe_str"), ds, QStringLiteral("STR"));
    dbe_plz = boundEdit(Panel1, QStringLiteral("dbe_plz"), ds, QStringLiteral("PLZ"));
    dbe_plz->setFixedWidth(60);
    dbe_ort = boundEdit(Panel1, QStringLiteral("dbe_ort"), ds, QStringLiteral("ORT"));

    adresse->addWidget(label(Panel1, QStringLiteral("Trainer-Nr.:"), dbe_trainernr), 0, 0);
    adresse->addWidget(label(Panel1, QStringLiteral("Anrede:"), dbc_anrede), 0, 1);
    adresse->addWidget(label(Panel1, QStringLiteral("Kurzzeichen"), dbe_kurzzeichen), 0, 2);
    adresse->addWidget(dbe_trainernr, 1, 0);
    adresse->addWidget(dbc_anrede, 1, 1);
    adresse->addWidget(dbe_kurzzeichen, 1, 2);
    adresse->addWidget(label(Panel1, QStringLiteral("Vorname:"), dbe_vname), 2, 0, 1, 2);
    adresse->addWidget(label(Panel1, QStringLiteral("Name:"), dbe_name), 2, 2);
    adresse->addWidget(dbe_vname, 3, 0, 1, 2);
    adresse->addWidget(dbe_name, 3, 2);
    adresse->addWidget(label(Panel1, QStringLiteral("Strasse"), dbe_str), 4, 0, 1, 3);
    adresse->addWidget(dbe_str, 5, 0, 1, 3);
    adresse->addWidget(label(Panel1, QStringLiteral("Plz:"), dbe_plz), 6, 0);
    adresse->addWidget(label(Panel1, QStringLiteral("Ort:"), dbe_ort), 6, 1, 1, 2);
    adresse->addWidget(dbe_plz, 7, 0);
    adresse->addWidget(dbe_ort, 7, 1, 1, 2);
    adresse->setColumnStretch(2, 1);
    adresse->setRowStretch(8, 1);
    return adresse;
}

// how the trainer is reached in the middle,
QGroupBox* Tfrm_trainer::aufbauenErreichbar(db::DataSource* ds) {
    gb_erreichbar = new QGroupBox(QStringLiteral("Erreichbar über:"), Panel1);
    gb_erreichbar->setObjectName(QStringLiteral("gb_erreichbar"));
    auto* kontakt = new QGridLayout(gb_erreichbar);
    kontakt->setContentsMargins(8, 4, 8, 6);
    kontakt->setHorizontalSpacing(8);
    kontakt->setVerticalSpacing(1);
    dbe_tel = boundEdit(gb_erreichbar, QStringLiteral("dbe_tel"), ds, QStringLiteral("TEL"));
    dbe_mobil = boundEdit(gb_erreichbar, QStringLiteral("dbe_mobil"), ds, QStringLiteral("MOBIL"));
    dbe_fax = boundEdit(gb_erreichbar, QStringLiteral("dbe_fax"), ds, QStringLiteral("FAX"));
    dbe_email = boundEdit(gb_erreichbar, QStringLiteral("dbe_email"), ds, QStringLiteral("EMAIL"));
    SpeedButton1 = new QToolButton(gb_erreichbar);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("@"));
    SpeedButton1->setToolTip(QStringLiteral("Email an diese Adresse schreiben."));
    SpeedButton1->setStatusTip(QStringLiteral("Email an diese Adresse schreiben."));
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    auto* mail = new QHBoxLayout;
    mail->setSpacing(2);
    mail->addWidget(dbe_email, 1);
    mail->addWidget(SpeedButton1);
    kontakt->addWidget(label(gb_erreichbar, QStringLiteral("Telefon:"), dbe_tel), 0, 0);
    kontakt->addWidget(dbe_tel, 1, 0);
    kontakt->addWidget(label(gb_erreichbar, QStringLiteral("Mobiltelefon:"), dbe_mobil), 2, 0);
    kontakt->addWidget(dbe_mobil, 3, 0);
    kontakt->addWidget(label(gb_erreichbar, QStringLiteral("Fax:"), dbe_fax), 4, 0);
    kontakt->addWidget(dbe_fax, 5, 0);
    kontakt->addWidget(label(gb_erreichbar, QStringLiteral("E-Mail:"), dbe_email), 6, 0);
    kontakt->addLayout(mail, 7, 0);
    kontakt->setRowStretch(8, 1);
    gb_erreichbar->setMinimumWidth(200);
    return gb_erreichbar;
}

// the comment and the navigator at the right.
QVBoxLayout* Tfrm_trainer::aufbauenKommentar(db::DataSource* ds) {
    auto* rechts = new QVBoxLayout;
    rechts->setSpacing(1);
    dbm_kommentar = widgets::boundMemo(Panel1, QStringLiteral("dbm_kommentar"), ds, QStringLiteral("KOMMENTAR"));
    rechts->addWidget(label(Panel1, QStringLiteral("Kommentar:"), dbm_kommentar));
    rechts->addWidget(dbm_kommentar, 1);
    DBNavigator1 = new widgets::DbNavigator(Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons(widgets::DbNavigator::EditButtons);
    using B = widgets::DbNavigator;
    DBNavigator1->setHint(B::First, QStringLiteral("Erster Trainer"));
    DBNavigator1->setHint(B::Prior, QStringLiteral("Vorheriger Trainer"));
    DBNavigator1->setHint(B::Next, QStringLiteral("Nächster Trainer"));
    DBNavigator1->setHint(B::Last, QStringLiteral("Letzter Trainer"));
    DBNavigator1->setHint(B::Insert, QStringLiteral("Trainer einfügen"));
    DBNavigator1->setHint(B::Delete, QStringLiteral("Trainer löschen"));
    DBNavigator1->setHint(B::Post, QStringLiteral("Trainer speichern"));
    DBNavigator1->setHint(B::Cancel, QStringLiteral("Bearbeiten abbrechen"));
    DBNavigator1->confirmDelete = staff_docs::loeschenBestaetigen;
    DBNavigator1->setDataSource(ds);
    DBNavigator1->setFixedSize(8 * 25, 25);
    rechts->addSpacing(4);
    rechts->addWidget(DBNavigator1, 0, Qt::AlignRight);
    return rechts;
}

void Tfrm_trainer::datenOeffnen() {
    // The trainers.
    oeffnen({m_dm.ibt_trainer});
}

bool Tfrm_trainer::check_sichern() {
    return platform::sichern(*m_dm.ibt_trainer, platform::Daten::Trainerdaten);
}

void Tfrm_trainer::SpeedButton1Click() {
    // The address as shown, saved or not; an empty edit opens a message
    // without an address.
    platform::shell().openUrl(platform::mailtoUrl(dbe_email->text()));
}

bool Tfrm_trainer::FormClose() {
    if (!m_dm.ibt_trainer->isActive()) return true;
    try {
        m_dm.ibt_trainer->checkBrowseMode();
        return true;
    } catch (...) {
        platform::handleCurrentException();
        return false;
    }
}

void Tfrm_trainer::closeEvent(QCloseEvent* e) {
    if (FormClose()) e->accept();
    else e->ignore();
}
