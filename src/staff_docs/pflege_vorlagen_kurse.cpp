#include "staff_docs/pflege_vorlagen_kurse.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/application.h"
#include "staff_docs/fensterhilfen.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

using platform::guarded;

platform::BeiBedarf<Tfrm_vorlagen_kurse> frm_vorlagen_kurse;

namespace {

// The last column of the grid fills the grid's width (whenever the grid lays
// its columns out again).
void fuelleBreite(widgets::DbGrid* g) {
    auto strecken = [g] {
        const int n = g->model()->columnCount();
        if (n > 0) g->horizontalHeader()->setSectionResizeMode(n - 1, QHeaderView::Stretch);
    };
    QObject::connect(g->datasetModel(), &widgets::DatasetModel::columnsChanged, g, strecken);
    QObject::connect(g->model(), &QAbstractItemModel::modelReset, g, strecken);
    strecken();
}

}  // namespace

Tfrm_vorlagen_kurse::Tfrm_vorlagen_kurse(Tdm& data, QWidget* parent) : QDialog(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_vorlagen_kurse"));
    setWindowTitle(QStringLiteral("Vorlagen Kurse"));
    resize(611, 480);
    db::DataSource* dsVorlagen = m_dm.ds_vorlagen_kurse;
    db::DataSource* dsTermine = m_dm.ds_vorlagen_kurstermine;

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 0);
    outer->setSpacing(4);

    GroupBox1 = new QGroupBox(QStringLiteral("Vorhandene Vorlagen für Kurse: "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* g1 = new QVBoxLayout(GroupBox1);
    g1->setContentsMargins(6, 6, 6, 6);
    g1->setSpacing(6);

    DBGrid1 = new widgets::DbGrid(GroupBox1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns({staff_docs::nummernspalte(QStringLiteral("VORLAGENNR")),
                         staff_docs::spalte(QStringLiteral("RYTHMUS"), {}, 57),
                         staff_docs::spalte(QStringLiteral("BEZEICHNUNG"), {}, 445)});
    DBGrid1->confirmDelete = staff_docs::loeschenBestaetigen;
    DBGrid1->setDataSource(dsVorlagen);
    // The text column takes the room the window has: at the window's size
    // the number columns of this font would otherwise push it past the edge
    // and a scroll bar would cover one of the three rows.
    fuelleBreite(DBGrid1);
    DBGrid1->setFixedHeight(88);
    g1->addWidget(DBGrid1);

    GroupBox2 = new QGroupBox(QStringLiteral("Terminliste zur Vorlage: "), GroupBox1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* g2 = new QVBoxLayout(GroupBox2);
    g2->setContentsMargins(6, 6, 6, 6);
    DBGrid2 = new widgets::DbGrid(GroupBox2);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setColumns({staff_docs::nummernspalte(QStringLiteral("TERMINNR")),
                         staff_docs::spalte(QStringLiteral("THEMA"), {}, 499)});
    DBGrid2->confirmDelete = staff_docs::loeschenBestaetigen;
    DBGrid2->setDataSource(dsTermine);
    fuelleBreite(DBGrid2);
    g2->addWidget(DBGrid2);
    g1->addWidget(GroupBox2, 1);
    outer->addWidget(GroupBox1, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    auto* unten = new QHBoxLayout(Panel1);
    unten->setContentsMargins(0, 6, 0, 8);
    DBNavigator1 = new widgets::DbNavigator(Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons(widgets::DbNavigator::EditButtons);
    using B = widgets::DbNavigator;
    // The hints as the school has always had them.
    DBNavigator1->setHint(B::First, QStringLiteral("Erster Vorlage"));
    DBNavigator1->setHint(B::Prior, QStringLiteral("Vorheriger Vorlage"));
    DBNavigator1->setHint(B::Next, QStringLiteral("Nächster Vorlage"));
    DBNavigator1->setHint(B::Last, QStringLiteral("Letzter Vorlage"));
    DBNavigator1->setHint(B::Insert, QStringLiteral("Vorlage einfügen"));
    DBNavigator1->setHint(B::Delete, QStringLiteral("Vorlagel öschen"));
    DBNavigator1->setHint(B::Post, QStringLiteral("Änderungen übernehmen"));
    DBNavigator1->setHint(B::Cancel, QStringLiteral("Änderungen verwerfen"));
    DBNavigator1->confirmDelete = staff_docs::loeschenBestaetigen;
    DBNavigator1->setDataSource(dsVorlagen);
    DBNavigator1->setFixedWidth(8 * 25);
    unten->addWidget(DBNavigator1);
    unten->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Schließen"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    unten->addWidget(Button1);
    outer->addWidget(Panel1);

    if (dsVorlagen) {
        for (auto sig : {&db::DataSource::activeChanged, &db::DataSource::dataSetChanged,
                         &db::DataSource::stateChanged})
            connect(dsVorlagen, sig, this, [this] { terminlisteFreigeben(); });
    }
    terminlisteFreigeben();
    loeschenVerknuepfen();
}

Tfrm_vorlagen_kurse::~Tfrm_vorlagen_kurse() { loeschenLoesen(); }

void Tfrm_vorlagen_kurse::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    guarded([&] {
        FormShow();
    });
}

void Tfrm_vorlagen_kurse::FormShow() {
    loeschenVerknuepfen();
    if (!m_dm.ibt_vorlagen_kurse->isActive()) m_dm.ibt_vorlagen_kurse->open();
    if (!m_dm.ibt_vorlagen_kurstermine->isActive()) m_dm.ibt_vorlagen_kurstermine->open();
    terminlisteFreigeben();
}

void Tfrm_vorlagen_kurse::Button1Click() {
    try {
        m_dm.ibt_vorlagen_kurse->checkBrowseMode();
        m_dm.ibt_vorlagen_kurstermine->checkBrowseMode();
    } catch (...) {
        platform::handleCurrentException();
        return;
    }
    accept();
}

void Tfrm_vorlagen_kurse::terminlisteFreigeben() {
    // Without a template a new date would belong to no template.
    db::Dataset* v = m_dm.ibt_vorlagen_kurse;
    const bool gibtVorlage = v->isActive() && (!v->isEmpty() || v->isEditing());
    if (gibtVorlage == !DBGrid2->isReadOnly()) return;
    DBGrid2->setReadOnly(!gibtVorlage);
    if (gibtVorlage) DBGrid2->setAutoAppend(true);
}

void Tfrm_vorlagen_kurse::loeschenVerknuepfen() {
    if (m_verknuepft) return;
    m_verknuepft = true;
    db::Table* t = m_dm.ibt_vorlagen_kurse;
    m_vorherVorLoeschen = t->beforeDelete;
    m_vorherNachLoeschen = t->afterDelete;
    t->beforeDelete = [this](db::Dataset* d) { vorlageVorLoeschen(d); };
    t->afterDelete = [this](db::Dataset* d) { vorlageNachLoeschen(d); };
}

void Tfrm_vorlagen_kurse::loeschenLoesen() {
    if (!m_verknuepft) return;
    db::Table* t = m_dm.ibt_vorlagen_kurse;
    t->beforeDelete = m_vorherVorLoeschen;
    t->afterDelete = m_vorherNachLoeschen;
    m_vorherVorLoeschen = nullptr;
    m_vorherNachLoeschen = nullptr;
    m_verknuepft = false;
}

void Tfrm_vorlagen_kurse::vorlageVorLoeschen(db::Dataset* d) {
    if (m_vorherVorLoeschen) m_vorherVorLoeschen(d);
    db::Field* nr = d->fieldByName(QStringLiteral("VORLAGENNR"));
    m_loeschenLaeuft = !nr->isNull();
    m_zuLoeschendeVorlage = nr->asInteger();
}

void Tfrm_vorlagen_kurse::vorlageNachLoeschen(db::Dataset* d) {
    // The template row is gone; now its dates, in the same transaction. If
    // this fails the error is shown and the dates stay, unseen, as they did
    // before templates took their dates with them.
    if (m_loeschenLaeuft && m_verknuepft) {
        m_loeschenLaeuft = false;
        db::Statement st(m_dm.idb.get(), m_dm.ibt);
        st.prepare(QStringLiteral("delete from vorlagen_kurstermine where vorlagennr = ?"));
        st.setParam(0, m_zuLoeschendeVorlage);
        st.execute();
    }
    if (m_vorherNachLoeschen) m_vorherNachLoeschen(d);
}
