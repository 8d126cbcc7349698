#include "db/error.h"
#include "staff_docs/dokumente.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "data/datenmodul.h"
#include "db/field.h"
#include "db/statement.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/datei_ausfuehren.h"
#include "platform/sicherung.h"
#include "staff_docs/fensterhilfen.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/rolloutpanel.h"

using platform::guarded;

QPointer<Tfrm_dokumente> frm_dokumente;

Tfrm_dokumente::Tfrm_dokumente(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_dokumente"));
    setWindowTitle(QStringLiteral("Dokumentenverwaltung"));
    // Closing destroys the window; frm_dokumente empties itself.
    setAttribute(Qt::WA_DeleteOnClose);
    aufbauen();
}

Tfrm_dokumente::~Tfrm_dokumente() = default;

QStringList Tfrm_dokumente::dokumentarten() {
    return {QStringLiteral("Anmeldung"), QStringLiteral("Brief"), QStringLiteral("Infoblatt"),
            QStringLiteral("Kursdokument"), QStringLiteral("Vertrag")};
}

QStringList Tfrm_dokumente::verteilungsarten() {
    return {QStringLiteral("Alle"), QStringLiteral("Kursleiter")};
}

void Tfrm_dokumente::aufbauen() {
    db::DataSource* ds = m_dm.ds_dokumente;

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(9);
    Splitter1->setChildrenCollapsible(false);
    outer->addWidget(Splitter1, 1);

    // 1. The documents, editable in place. A kind chosen as a word is stored
    //    as its first letter (the column holds one character).
    dbg_dokumente = new widgets::DbGrid(Splitter1);
    dbg_dokumente->setObjectName(QStringLiteral("dbg_dokumente"));
    // The kind column is narrower than the style's smallest section.
    dbg_dokumente->horizontalHeader()->setMinimumSectionSize(16);
    widgets::DbGridColumn nr = staff_docs::nummernspalte(QStringLiteral("DOKNR"), QStringLiteral("Dok.-Nr."), 43);
    widgets::DbGridColumn name = staff_docs::spalte(QStringLiteral("DOKUMENTNAME"), QStringLiteral("Bezeichnung"), 231);
    widgets::DbGridColumn art = staff_docs::spalte(QStringLiteral("DOKUMENTART"), QStringLiteral("Art"), 31);
    art.pickList = dokumentarten();
    widgets::DbGridColumn verteiler = staff_docs::spalte(QStringLiteral("VERTEILUNGSART"), QStringLiteral("Verteiler"));
    verteiler.pickList = verteilungsarten();
    widgets::DbGridColumn pfad = staff_docs::spalte(QStringLiteral("PFAD"), QStringLiteral("Pfad"), 200);
    pfad.ellipsisButton = true;
    dbg_dokumente->setColumns({nr, name, art, verteiler, pfad});
    dbg_dokumente->confirmDelete = staff_docs::loeschenBestaetigen;
    dbg_dokumente->setDataSource(ds);
    // Queued: the file dialog runs after the click on the cell's button has
    // been handled, so the cell editor may close meanwhile.
    connect(dbg_dokumente, &widgets::DbGrid::editButtonClicked, this,
            [this](int) { dbg_dokumenteEditButtonClick(); }, Qt::QueuedConnection);
    Splitter1->addWidget(dbg_dokumente);

    // 2. The courses that use the current document, collapsed at start.
    jvro_kurse = new widgets::RolloutPanel(QStringLiteral("Wird verwendet in folgenden Kursen:"),
                                           Splitter1);
    jvro_kurse->setObjectName(QStringLiteral("jvro_kurse"));
    lb_kurse = new QListWidget;
    lb_kurse->setObjectName(QStringLiteral("lb_kurse"));
    jvro_kurse->setContentWidget(lb_kurse);
    jvro_kurse->setExpandedHeight(140);
    jvro_kurse->setCollapsed(true);
    connect(jvro_kurse, &widgets::RolloutPanel::expanded, this, [this] { kurseZeigen(); });
    if (ds) {
        connect(ds, &db::DataSource::dataSetScrolled, this, [this] { kurseZeigen(); });
        connect(ds, &db::DataSource::dataSetChanged, this, [this] { kurseZeigen(); });
    }
    Splitter1->addWidget(jvro_kurse);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);

    // 3. Navigator, "Anzeigen" and "Drucken".
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* unten = new QHBoxLayout(Panel1);
    unten->setContentsMargins(6, 6, 6, 6);
    DBNavigator1 = new widgets::DbNavigator(Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons(widgets::DbNavigator::EditButtons);
    using B = widgets::DbNavigator;
    DBNavigator1->setHint(B::First, QStringLiteral("Erstes Dokument"));
    DBNavigator1->setHint(B::Prior, QStringLiteral("Vorheriges Dokument"));
    DBNavigator1->setHint(B::Next, QStringLiteral("Nächstes Dokument"));
    DBNavigator1->setHint(B::Last, QStringLiteral("Letztes Dokument"));
    DBNavigator1->setHint(B::Insert, QStringLiteral("Dokument einfügen"));
    DBNavigator1->setHint(B::Delete, QStringLiteral("Dokument löschen"));
    DBNavigator1->setHint(B::Post, QStringLiteral("Dokument speichern"));
    DBNavigator1->setHint(B::Cancel, QStringLiteral("Bearbeiten des Dokuments abbrechen"));
    DBNavigator1->confirmDelete = staff_docs::loeschenBestaetigen;
    DBNavigator1->setDataSource(ds);
    DBNavigator1->setFixedSize(8 * 25, 25);
    unten->addWidget(DBNavigator1);
    unten->addSpacing(12);
    bb_anzeigen = new QPushButton(QStringLiteral("Anzeigen"), Panel1);
    bb_anzeigen->setObjectName(QStringLiteral("bb_anzeigen"));
    bb_anzeigen->setToolTip(QStringLiteral("Öffnet die Datei des Dokuments."));
    connect(bb_anzeigen, &QPushButton::clicked, this, [this] { bb_anzeigenClick(); });
    unten->addWidget(bb_anzeigen);
    BitBtn1 = new QPushButton(QStringLiteral("Drucken"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("Druckt die Datei des Dokuments."));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    unten->addWidget(BitBtn1);
    unten->addStretch(1);
    outer->addWidget(Panel1);
}

void Tfrm_dokumente::datenOeffnen() {
    // The documents.
    oeffnen({m_dm.ibt_dokumente});
}

bool Tfrm_dokumente::check_sichern() {
    return platform::sichern(*m_dm.ibt_dokumente, platform::Daten::Dokumente);
}

QString Tfrm_dokumente::jvodExecute() {
    return platform::dialogs().openFileName(QString(), QString(), QString(),
                                            QStringLiteral("Übernehmen"), QStringLiteral("*.doc"));
}

void Tfrm_dokumente::dbg_dokumenteEditButtonClick() {
    if (dbg_dokumente->selectedFieldName().compare(QLatin1String("PFAD"), Qt::CaseInsensitive) != 0)
        return;
    const QString datei = jvodExecute();
    if (datei.isEmpty()) return;  // cancelled: the row stays as it was

    db::Table* t = m_dm.ibt_dokumente;
    db::Field* pfad = t->fieldByName(QStringLiteral("PFAD"));
    // A path the column cannot hold whole would be stored pointing nowhere;
    // it is refused before the row is touched.
    const int max = pfad->size() > 0 ? pfad->size() : 200;
    if (datei.size() > max) {
        platform::dialogs().messageBox(
            QStringLiteral("Der Pfad der gewählten Datei ist %1 Zeichen lang; gespeichert werden "
                           "können höchstens %2 Zeichen:\n%3\n\nDer Pfad wurde nicht übernommen. "
                           "Bitte legen Sie die Datei in einem Verzeichnis mit kürzerem Pfad ab "
                           "oder wählen Sie eine andere Datei.")
                .arg(datei.size())
                .arg(max)
                .arg(datei),
            platform::Icon::Warning);
        return;
    }
    if (!db::win1252Representable(datei)) {
        platform::dialogs().messageBox(
            QStringLiteral("Der Pfad der gewählten Datei enthält Zeichen, die nicht gespeichert "
                           "werden können (nur westeuropäische Schrift):\n%1\n\nDer Pfad wurde "
                           "nicht übernommen. Bitte benennen Sie die Datei oder das Verzeichnis "
                           "um oder wählen Sie eine andere Datei.")
                .arg(datei),
            platform::Icon::Warning);
        return;
    }
    // Whatever the cell editor holds goes first, so that it cannot later
    // overwrite the chosen path.
    dbg_dokumente->commitEditor();
    t->edit();  // on an empty table this starts a new row
    pfad->setAsString(datei);
}

void Tfrm_dokumente::bb_anzeigenClick() {
    if (!m_dm.ibt_dokumente->isActive()) return;
    const QString pfad = m_dm.ibt_dokumente->fieldByName(QStringLiteral("PFAD"))->asString();
    if (pfad.isEmpty()) {
        platform::dialogs().messageBox(QStringLiteral("Für dieses Dokument ist keine Datei eingetragen."));
        return;
    }
    datei_ausfuehren(nullptr, QString(), pfad, QString(), QString(), SW_HIDE);
}

void Tfrm_dokumente::BitBtn1Click() {
    if (!m_dm.ibt_dokumente->isActive()) return;
    const QString pfad = m_dm.ibt_dokumente->fieldByName(QStringLiteral("PFAD"))->asString();
    if (pfad.isEmpty()) {
        platform::dialogs().messageBox(QStringLiteral("Für dieses Dokument ist keine Datei eingetragen."));
        return;
    }
    datei_ausfuehren(nullptr, QStringLiteral("print"), pfad, QString(), QString(), SW_HIDE);
}

void Tfrm_dokumente::kurseZeigen() {
    if (!jvro_kurse->isExpanded()) return;
    lb_kurse->clear();
    if (!m_dm.ibt_dokumente->isActive() || m_dm.ibt_dokumente->isEmpty()) return;
    db::Field* nr = m_dm.ibt_dokumente->fieldByName(QStringLiteral("DOKNR"));
    if (nr->isNull()) return;
    guarded([&] {
        db::Statement st(m_dm.idb.get(), m_dm.ibt);
        st.prepare(QStringLiteral("select a.kursnr, a.kursname, a.kursart from kurse a, kurs_dokumente b "
                                  "where b.doknr = ? and a.kursnr = b.kursnr order by a.kursnr"));
        st.setParam(0, nr->asInteger());
        st.open();
        while (st.fetch()) {
            lb_kurse->addItem(QStringLiteral("%1  %2  (%3)")
                                  .arg(st.value(0).toInt(), 4, 10, QLatin1Char('0'))
                                  .arg(st.value(1).toString(), st.value(2).toString()));
        }
    });
}

bool Tfrm_dokumente::FormClose() {
    if (!m_dm.ibt_dokumente->isActive()) return true;
    try {
        m_dm.ibt_dokumente->checkBrowseMode();
        return true;
    } catch (...) {
        platform::handleCurrentException();
        return false;
    }
}

void Tfrm_dokumente::closeEvent(QCloseEvent* e) {
    if (FormClose()) e->accept();
    else e->ignore();
}
