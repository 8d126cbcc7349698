#include "import/datenimport.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QVarLengthArray>
#include <exception>

#include "data/datenmodul.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/field.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "widgets/captionpanel.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

using platform::guarded;
using widgets::spalte;

QPointer<Tfrm_datenimport> frm_datenimport;

namespace {

constexpr int kSpaltenbreite = 100;
constexpr int kZeilenhoehe = 18;

const QString kKunde = QStringLiteral("kunde");
const QString kHund = QStringLiteral("hund");

// The menu order of the targets: the dataset's fields, with these first and
// these last (the order the users know from the original forms, whatever
// order the columns have in this database).
struct MenuOrder {
    QStringList first;
    QStringList last;
};

QStringList ordered(db::Dataset* ds, const MenuOrder& order) {
    QStringList names;
    for (db::Field* f : ds->fields())
        if (f->kind() == db::FieldKind::Data) names << f->fieldName().toUpper();
    QStringList out;
    for (const QString& n : order.first)
        if (names.contains(n)) out << n;
    for (const QString& n : names)
        if (!order.first.contains(n) && !order.last.contains(n)) out << n;
    for (const QString& n : order.last)
        if (names.contains(n)) out << n;
    return out;
}

MenuOrder kundeOrder() {
    return {{"KNDNR", "NAME", "VNAME", "PLZ", "ORT", "STR", "ANREDE", "TEL", "MOBIL", "FAX", "EMAIL",
             "KOMMENTAR", "AUFGENOMMEN_AM"},
            {}};
}

MenuOrder hundOrder() {
    return {{"HUNDNR", "KNDNR", "NAME", "RASSE", "GESCHLECHT", "GEBURTSJAHR", "GEBOREN_AM"},
            {"ANAMESE_AUFGENOMMEN_AM", "VERHALTEN_FREILAUF_KIND"}};
}

widgets::CaptionPanel* captionPanel(const QString& name, const QString& caption, QWidget* parent) {
    auto* p = new widgets::CaptionPanel(caption, parent);
    p->setObjectName(name);
    p->setCaptionPosition(widgets::CaptionPanel::Top);
    return p;
}

QPlainTextEdit* helpMemo(const QString& name, QWidget* parent) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setFrameShape(QFrame::NoFrame);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette pal = m->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
    m->setPalette(pal);
    return m;
}

// Blank-only cells count as empty: they carry nothing to import.
bool leer(const QString& s) {
    for (QChar c : s)
        if (!c.isSpace()) return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// The file grid's model

ImportFileModel::ImportFileModel(QObject* parent) : QAbstractTableModel(parent) {}

void ImportFileModel::setTable(csv::Table table) {
    beginResetModel();
    m_table = std::move(table);
    m_loaded = true;
    m_columns = int(m_table.columnCount());
    endResetModel();
}

int ImportFileModel::dataLineCount() const {
    return m_loaded && m_table.rowCount() > 1 ? int(m_table.rowCount() - 1) : 0;
}

QStringList ImportFileModel::titles() const {
    QStringList t;
    for (int c = 0; c < m_columns; ++c) t << m_table.cell(0, c);
    return t;
}

int ImportFileModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return m_loaded ? dataLineCount() : 1;
}

int ImportFileModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant ImportFileModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    return m_table.cell(index.row() + 1, index.column());
}

QVariant ImportFileModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return m_table.cell(0, section);
    return section + 1;
}

// ---------------------------------------------------------------------------
// The window

Tfrm_datenimport::Tfrm_datenimport(Tdm& data, QWidget* parent) : QWidget(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_datenimport"));
    setWindowTitle(QStringLiteral("Datenimport"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
    setReady(true);
}

Tfrm_datenimport::~Tfrm_datenimport() {
    // An import still undecided stays held: the end of the program then
    // discards it.
    // (At the end of the program the data module may be gone before this
    // window, a child window of the main window, which goes last.)
    if (dm && m_unentschieden) dm->importEntscheiden = nullptr;
}

QString Tfrm_datenimport::memo1Text() {
    return QStringLiteral(
        "Die Datei muss eine CSV-Datei sein, in der die Felder mittels ';'-Zeichen getrennt sind. Dies "
        "ist in der Regel bei Standardexportdateien der Fall. In der ersten Zeile müssen die Titel der "
        "Spalten der Datei benannt sein. Nachdem Sie die Datei ausgewählt haben, sehen Sie unten die "
        "Spaltennamen Ihrer Datei. Ordnen Sie diese Spalten nun einfach durch eintragen der jeweiligen "
        "Nummer in der darunter befindlichen Tabelle den Datenbankfelder von Kynovia zu. Anschließend "
        "führen Sie den Datenimport durch. Erfolgte dieser zu Ihrer Zufriedenheit schließen Sie den "
        "Import durch die Übernahme der Daten ab. Schlug der Datenimport fehl oder müssen Sie "
        "Feldzuordnungen korrigieren, so verwerfen Sie die importierten Daten wieder.");
}

QString Tfrm_datenimport::memo2Text() {
    return QStringLiteral(
        "Klicken Sie dazu zunächst in das Feld unter den Feld- bzw. Spaltennamen den Sie übernehmen "
        "möchten. Klicken Sie anschließend mit der rechten Maustaste in das Feld und wählen Sie das "
        "Feld aus Kynovia, daß die Information übernehmen soll. Sie können Felder mehrfach benennen. "
        "Die Daten werden dann zusammengefügt.");
}

void Tfrm_datenimport::buildUi() {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(3);

    // 1. The file.
    v->addWidget(buildDateiwahl());
    // 2. The file as read, 3. the mapping under it.
    const QString darstellung = QStringLiteral(
        "Dies ist die Darstellung der Importdatei. Folgende Felder/Spalten und Daten wurden erkannt:");
    v->addWidget(buildDateiansicht(darstellung), 2);
    v->addWidget(buildZuordnung(darstellung));
    // The two grids scroll sideways together, so that each mapping cell
    // stays under its file column.
    connect(jvsg1->horizontalScrollBar(), &QScrollBar::valueChanged, jvsg2->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(jvsg2->horizontalScrollBar(), &QScrollBar::valueChanged, jvsg1->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(jvsg1->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (section < jvsg2->columnCount()) jvsg2->setColumnWidth(section, size);
            });
    buildZuordnungsmenue();

    // 4. How to map.
    Memo2 = helpMemo(QStringLiteral("Memo2"), this);
    Memo2->setFixedHeight(Memo2->fontMetrics().lineSpacing() * 3 + 8);
    v->addWidget(Memo2);

    // 5. The customers and their dogs.
    v->addWidget(buildKynovia(), 5);

    // 6. The buttons.
    v->addLayout(buildKnoepfe());
}

// The file's name with the button that chooses it, and how the file must look.
widgets::CaptionPanel* Tfrm_datenimport::buildDateiwahl() {
    jcp_datei = captionPanel(QStringLiteral("jcp_datei"), QStringLiteral("Wählen Sie die zu importierende Datei:"), this);
    auto* box = new QWidget(jcp_datei);
    auto* bv = new QVBoxLayout(box);
    bv->setContentsMargins(4, 4, 4, 4);
    bv->setSpacing(4);
    auto* h = new QHBoxLayout;
    jve_filename = new QLineEdit(box);
    jve_filename->setObjectName(QStringLiteral("jve_filename"));
    JvBitBtn1 = new QPushButton(QStringLiteral("Datei auswählen"), box);
    JvBitBtn1->setObjectName(QStringLiteral("JvBitBtn1"));
    connect(JvBitBtn1, &QPushButton::clicked, this, [this] { JvBitBtn1Click(); });
    h->addWidget(jve_filename, 1);
    h->addWidget(JvBitBtn1);
    bv->addLayout(h);
    Memo1 = helpMemo(QStringLiteral("Memo1"), box);
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 4 + 8);
    bv->addWidget(Memo1);
    jcp_datei->setContentWidget(box);
    return jcp_datei;
}

// The file's lines under its titles.
widgets::CaptionPanel* Tfrm_datenimport::buildDateiansicht(const QString& caption) {
    jcp_importdatei = captionPanel(QStringLiteral("jcp_importdatei"), caption, this);
    jvsg1 = new QTableView(jcp_importdatei);
    jvsg1->setObjectName(QStringLiteral("jvsg1"));
    dateiModell = new ImportFileModel(jvsg1);
    jvsg1->setModel(dateiModell);
    jvsg1->verticalHeader()->hide();
    jvsg1->verticalHeader()->setMinimumSectionSize(kZeilenhoehe);
    jvsg1->verticalHeader()->setDefaultSectionSize(kZeilenhoehe);
    jvsg1->horizontalHeader()->setDefaultSectionSize(kSpaltenbreite);
    jvsg1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    jvsg1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    jvsg1->setWordWrap(false);
    jcp_importdatei->setContentWidget(jvsg1);
    return jcp_importdatei;
}

// The mapping: the file's titles as header, one row of targets.
widgets::CaptionPanel* Tfrm_datenimport::buildZuordnung(const QString& caption) {
    jcp_zuordnung = captionPanel(QStringLiteral("jcp_zuordnung"), caption, this);
    jvsg2 = new QTableWidget(1, 2, jcp_zuordnung);
    jvsg2->setObjectName(QStringLiteral("jvsg2"));
    jvsg2->verticalHeader()->hide();
    jvsg2->verticalHeader()->setMinimumSectionSize(kZeilenhoehe);
    jvsg2->verticalHeader()->setDefaultSectionSize(kZeilenhoehe);
    jvsg2->horizontalHeader()->setDefaultSectionSize(kSpaltenbreite);
    jvsg2->setHorizontalHeaderLabels({QString(), QString()});
    jvsg2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    jvsg2->setSelectionMode(QAbstractItemView::SingleSelection);
    jvsg2->setWordWrap(false);
    jvsg2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    jvsg2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    jvsg2->setContextMenuPolicy(Qt::CustomContextMenu);
    jvsg2->setFixedHeight(jvsg2->horizontalHeader()->sizeHint().height() + kZeilenhoehe +
                          jvsg2->horizontalScrollBar()->sizeHint().height() + 2 * jvsg2->frameWidth() + 2);
    connect(jvsg2, &QWidget::customContextMenuRequested, this, &Tfrm_datenimport::showMappingMenu);
    jcp_zuordnung->setContentWidget(jvsg2);
    return jcp_zuordnung;
}

// The mapping cell's menu: the customer's and the dog's fields (filled when
// the window is first shown) and "Löschen".
void Tfrm_datenimport::buildZuordnungsmenue() {
    pm = new QMenu(this);
    pm->setObjectName(QStringLiteral("pm"));
    Kunde1 = pm->addMenu(QStringLiteral("Kunde"));
    Kunde1->setObjectName(QStringLiteral("Kunde1"));
    Hund1 = pm->addMenu(QStringLiteral("Hund"));
    Hund1->setObjectName(QStringLiteral("Hund1"));
    Lschen1 = pm->addAction(QStringLiteral("Löschen"));
    Lschen1->setObjectName(QStringLiteral("Lschen1"));
    connect(Lschen1, &QAction::triggered, this, [this] { Lschen1Click(); });
}

// The customers with a navigator and, under them, the current customer's dogs.
widgets::CaptionPanel* Tfrm_datenimport::buildKynovia() {
    jcp_kynovia = captionPanel(QStringLiteral("jcp_kynovia"), QStringLiteral("Hier sehen Sie die Kynovia Datensätze."), this);
    auto* box = new QWidget(jcp_kynovia);
    auto* bv = new QVBoxLayout(box);
    bv->setContentsMargins(0, 0, 0, 0);
    bv->setSpacing(2);
    dbg_kunde = new widgets::DbGrid(box);
    dbg_kunde->setObjectName(QStringLiteral("dbg_kunde"));
    widgets::DbGridColumn nr = spalte("KNDNR", "Knd-Nr", 6);
    nr.readOnly = true;
    nr.color = widgets::DatasetModel::readOnlyColor();
    widgets::DbGridColumn anrede = spalte("ANREDE", "Anrede", 8);
    anrede.pickList = {QStringLiteral("Frau"), QStringLiteral("Herr"), QStringLiteral("Familie")};
    dbg_kunde->setColumns({nr, spalte("NAME", "Name", 16), spalte("VNAME", "Vorname", 12),
                           spalte("PLZ", "Plz", 6), spalte("ORT", "Ort", 14), spalte("STR", "Strasse", 18),
                           anrede, spalte("TEL", "Telefon", 13), spalte("MOBIL", "Mobiltelefon", 13),
                           spalte("FAX", "Fax", 12), spalte("EMAIL", "E-Mail", 20),
                           spalte("KOMMENTAR", "Kommentar", 30)});
    bv->addWidget(dbg_kunde, 3);

    DBNavigator1 = new widgets::DbNavigator(box);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons(widgets::DbNavigator::AllButtons);
    auto* nh = new QHBoxLayout;
    nh->addWidget(DBNavigator1);
    nh->addStretch(1);
    bv->addLayout(nh);

    DBGrid1 = new widgets::DbGrid(box);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    bv->addWidget(DBGrid1, 2);
    jcp_kynovia->setContentWidget(box);

    dbg_kunde->setDataSource(m_dm.ds_kunde);
    DBNavigator1->setDataSource(m_dm.ds_kunde);
    // Every column of the dogs, the number on button-face background.
    QList<widgets::DbGridColumn> spalten;
    try {
        for (db::Field* f : m_dm.ibt_kunde_hunde->fields()) {
            widgets::DbGridColumn c;
            c.fieldName = f->fieldName();
            if (f->fieldName().compare(QStringLiteral("HUNDNR"), Qt::CaseInsensitive) == 0)
                c.color = palette().color(QPalette::Button);
            spalten << c;
        }
    } catch (...) {
        spalten.clear();  // not connected: the grid shows whatever fields there are
    }
    DBGrid1->setColumns(spalten);
    DBGrid1->setDataSource(m_dm.ds_kunde_hunde);
    return jcp_kynovia;
}

// Start the import, take it over, discard it.
QHBoxLayout* Tfrm_datenimport::buildKnoepfe() {
    auto* leiste = new QHBoxLayout;
    b_import = new QPushButton(QStringLiteral("Datenimport starten"), this);
    b_import->setObjectName(QStringLiteral("b_import"));
    b_commit = new QPushButton(QStringLiteral("Letzten Datenimport endgültig übernehmen"), this);
    b_commit->setObjectName(QStringLiteral("b_commit"));
    b_rollback = new QPushButton(QStringLiteral("Letzten Datenimport verwerfen."), this);
    b_rollback->setObjectName(QStringLiteral("b_rollback"));
    connect(b_import, &QPushButton::clicked, this, [this] { b_importClick(); });
    connect(b_commit, &QPushButton::clicked, this, [this] { b_commitClick(); });
    connect(b_rollback, &QPushButton::clicked, this, [this] { b_rollbackClick(); });
    leiste->addWidget(b_import);
    leiste->addWidget(b_commit);
    leiste->addWidget(b_rollback);
    leiste->addStretch(1);
    return leiste;
}

void Tfrm_datenimport::buildMenus() {
    for (const QString& name : ordered(m_dm.ibt_kunde, kundeOrder())) {
        QAction* a = Kunde1->addAction(kKunde + QLatin1Char('.') + name);
        a->setData(a->text());
        connect(a, &QAction::triggered, this, [this, a] { feldnameinsert(a); });
    }
    for (const QString& name : ordered(m_dm.ibt_kunde_hunde, hundOrder())) {
        QAction* a = Hund1->addAction(kHund + QLatin1Char('.') + name);
        a->setData(a->text());
        connect(a, &QAction::triggered, this, [this, a] { feldnameinsert(a); });
    }
}

QStringList Tfrm_datenimport::kundeZiele() const {
    QStringList out;
    for (QAction* a : Kunde1->actions()) out << a->data().toString();
    return out;
}

QStringList Tfrm_datenimport::hundZiele() const {
    QStringList out;
    for (QAction* a : Hund1->actions()) out << a->data().toString();
    return out;
}

void Tfrm_datenimport::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    guarded([&] {
        FormShow();
    });
}

void Tfrm_datenimport::FormShow() {
    Memo1->setPlainText(memo1Text());
    Memo2->setPlainText(memo2Text());
    if (Kunde1->actions().isEmpty()) buildMenus();
}

void Tfrm_datenimport::showMappingMenu(const QPoint& pos) {
    pm->popup(jvsg2->viewport()->mapToGlobal(pos));
}

// ---------------------------------------------------------------------------
// File and mapping

void Tfrm_datenimport::JvBitBtn1Click() {
    const QString path = platform::dialogs().openFileName(QStringLiteral("Importdatei auswählen"));
    if (path.isEmpty()) return;
    dateiLaden(path);
}

bool Tfrm_datenimport::dateiLaden(const QString& path) {
    csv::Table table;
    try {
        table = csv::readFile(path);
    } catch (const csv::ReadError& e) {
        // The grids keep what they show, and so does the file name.
        platform::dialogs().errorBox(e.message());
        return false;
    }
    jve_filename->setText(path);
    dateiModell->setTable(std::move(table));
    const QStringList titel = dateiModell->titles();
    // The mapping cells of the columns that still exist keep their targets.
    jvsg2->setColumnCount(int(titel.size()));
    jvsg2->setHorizontalHeaderLabels(titel);
    for (int c = 0; c < jvsg2->columnCount(); ++c) jvsg2->setColumnWidth(c, jvsg1->columnWidth(c));
    return true;
}

QString Tfrm_datenimport::zuordnung(int column) const {
    QTableWidgetItem* it = jvsg2->item(0, column);
    return it ? it->text() : QString();
}

void Tfrm_datenimport::setZuordnung(int column, const QString& target) {
    if (column < 0 || column >= jvsg2->columnCount()) return;
    QTableWidgetItem* it = jvsg2->item(0, column);
    if (!it) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        jvsg2->setItem(0, column, it);
    }
    it->setText(target);
}

void Tfrm_datenimport::feldnameinsert(QAction* entry) {
    if (!entry) return;
    const int c = jvsg2->currentColumn();
    if (c < 0) return;
    setZuordnung(c, entry->data().toString());
}

void Tfrm_datenimport::Lschen1Click() {
    const int c = jvsg2->currentColumn();
    if (c < 0) return;
    setZuordnung(c, QString());
}

// ---------------------------------------------------------------------------
// Import, commit, rollback

void Tfrm_datenimport::setReady(bool ready) {
    b_import->setEnabled(ready);
    b_commit->setEnabled(!ready);
    b_rollback->setEnabled(!ready);
    const bool warUnentschieden = m_unentschieden;
    m_unentschieden = !ready;
    if (warUnentschieden == m_unentschieden) return;
    // While the import is undecided nothing is committed, and the end of
    // the program asks about it.
    if (m_unentschieden) {
        m_dm.holdCommits(true);
        QPointer<Tfrm_datenimport> self(this);
        m_dm.importEntscheiden = [self] { return !self || self->importEntscheiden(); };
    } else {
        m_dm.importEntscheiden = nullptr;
    }
}

void Tfrm_datenimport::oeffneDatasets() {
    if (!m_dm.ibt_kunde->isActive()) m_dm.ibt_kunde->open();
    if (!m_dm.ibt_kunde_hunde->isActive()) m_dm.ibt_kunde_hunde->open();
}

QList<Tfrm_datenimport::Ziel> Tfrm_datenimport::zieleFuer(const QString& prefix, db::Dataset* ds) {
    QList<Ziel> out;
    for (int c = 0; c < jvsg2->columnCount(); ++c) {
        const QString text = zuordnung(c);
        if (text.isEmpty()) continue;
        const qsizetype punkt = text.indexOf(QLatin1Char('.'));
        if (punkt < 0 || text.left(punkt) != prefix) continue;
        const QString name = text.mid(punkt + 1);
        db::Field* f = ds->fieldByName(name);
        const bool datum =
            (prefix == kKunde && name.compare(QStringLiteral("AUFGENOMMEN_AM"), Qt::CaseInsensitive) == 0) ||
            (prefix == kHund && name.compare(QStringLiteral("ANAMESE_AUFGENOMMEN_AM"), Qt::CaseInsensitive) == 0);
        out.append({c, f, datum});
    }
    return out;
}

QString Tfrm_datenimport::zeilenText(const csv::Table& table, int line) {
    // The line of the file the row begins on (the title line is line 1; a
    // quoted field with line breaks spans several lines).
    return QStringLiteral("Zeile %1").arg(table.fileLine(line));
}

bool Tfrm_datenimport::belegt(const QList<Ziel>& ziele, const csv::Table& table, int line) {
    for (const Ziel& z : ziele)
        if (!leer(table.cell(line, z.column))) return true;
    return false;
}

void Tfrm_datenimport::fuelle(const QList<Ziel>& ziele, const csv::Table& table, int line) {
    // The intake dates already replaced in this line: a second column with
    // the same target is joined onto the first one's value.
    QVarLengthArray<db::Field*, 4> ersetzt;
    for (const Ziel& z : ziele) {
        const QString wert = table.cell(line, z.column);
        if (leer(wert)) continue;
        try {
            if (z.ersetztVorgabe && !ersetzt.contains(z.field)) {
                ersetzt.append(z.field);
                z.field->setAsString(wert);
                continue;
            }
            const QString bisher = z.field->asString();
            z.field->setAsString(bisher.isEmpty() ? wert : bisher + QLatin1Char(' ') + wert);
        } catch (const db::ConvertError& e) {
            // Where in the file: the line and the title of the column.
            throw db::ConvertError(zeilenText(table, line) + QStringLiteral(", Spalte '") + table.cell(0, z.column) +
                                   QStringLiteral("': ") + e.message());
        }
    }
}

void Tfrm_datenimport::b_importClick() {
    guarded([&] {
        // What was saved before belongs to no import: it is committed
        // first (pending edits of every window included), so that
        // discarding the import takes back exactly the imported rows.
        if (!m_dm.finishPendingEdits()) return;
        m_dm.commitNow();
        oeffneDatasets();
        setReady(false);
        importieren();
    });
}

void Tfrm_datenimport::importieren() {
    m_importiert = 0;
    m_unterbrochen = false;
    db::Table* kunde = m_dm.ibt_kunde;
    db::Table* hund = m_dm.ibt_kunde_hunde;
    const csv::Table& table = dateiModell->table();
    const int zeilen = dateiModell->dataLineCount();
    const QList<Ziel> kundeZiele = zieleFuer(kKunde, kunde);
    const QList<Ziel> hundZiele = zieleFuer(kHund, hund);
    if (zeilen == 0) return;

    QProgressDialog fortschritt(QStringLiteral("Datenimport läuft ..."), QStringLiteral("Abbrechen"), 0,
                                zeilen, this);
    fortschritt.setObjectName(QStringLiteral("fortschritt"));
    fortschritt.setWindowTitle(QStringLiteral("Datenimport"));
    fortschritt.setWindowModality(Qt::WindowModal);
    fortschritt.setMinimumDuration(progressMinimumDuration);
    fortschritt.setValue(0);

    // The grids and the other windows' controls see the import as one
    // change at its end, not one per line (a grid re-laid out per line would
    // make the import grow with the square of its size). The dogs follow
    // the customer explicitly meanwhile, as the master link would.
    kunde->disableControls();
    hund->disableControls();
    // Without a column for the numbers every new customer and dog takes the
    // next number, which the run counts up instead of asking the database
    // for the largest one per row.
    const auto mapped = [](const QList<Ziel>& ziele, const char* name) {
        for (const Ziel& z : ziele)
            if (z.field->fieldName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
        return false;
    };
    const Tdm::KeysCounted gezaehlt(m_dm, !mapped(kundeZiele, "KNDNR") && !mapped(hundZiele, "HUNDNR"));
    std::exception_ptr fehler;
    bool abgebrochen = false;
    bool kundeGepostet = false;  // the customer of the line being imported
    int zeile = 0;
    QElapsedTimer takt;
    takt.start();
    try {
        for (int z = 1; z <= zeilen; ++z) {
            zeile = z;
            kundeGepostet = false;
            // A line whose mapped cells are all empty creates nothing; a
            // dog only comes with a value for it, so that a file of
            // customers alone creates no nameless dogs.
            const bool mitHund = belegt(hundZiele, table, z);
            if (mitHund || belegt(kundeZiele, table, z)) {
                kunde->append();
                fuelle(kundeZiele, table, z);
                kunde->post();
                kundeGepostet = true;
                if (mitHund) {
                    hund->followNewMasterRow();
                    hund->append();
                    fuelle(hundZiele, table, z);
                    hund->post();
                }
            }
            ++m_importiert;
            if (z == zeilen) break;
            if (takt.elapsed() >= progressInterval) {
                takt.restart();
                fortschritt.setLabelText(
                    QStringLiteral("Datenimport läuft: Zeile %1 von %2").arg(z).arg(zeilen));
                fortschritt.setValue(z);
            }
            if (fortschritt.wasCanceled()) {
                abgebrochen = true;
                break;
            }
        }
    } catch (const db::Error& e) {
        // A row the database refused: named by its line, like a value.
        fehler = std::make_exception_ptr(
            db::Error(zeilenText(table, zeile) + QStringLiteral(": ") + e.message(), e.sql(), e.sqlCode(), e.gdsCode()));
    } catch (...) {
        fehler = std::current_exception();
    }
    if (fehler) {
        // Nothing of the failing line stays: neither a half-filled record
        // that a later post would save, nor its customer without the dog.
        try {
            if (hund->isEditing()) hund->cancel();
            if (kunde->isEditing()) kunde->cancel();
            else if (kundeGepostet) kunde->deleteRecord();
        } catch (...) {
            // The line's customer could not be taken back; discarding the
            // import takes it back with the rest.
        }
    }
    try {
        hund->enableControls();
        kunde->enableControls();
    } catch (...) {
        if (!fehler) fehler = std::current_exception();
    }
    fortschritt.reset();
    m_unterbrochen = abgebrochen || fehler;
    if (fehler) std::rethrow_exception(fehler);
    if (abgebrochen)
        platform::dialogs().messageBox(
            QStringLiteral("Der Datenimport wurde abgebrochen: %1 von %2 Zeilen wurden importiert. "
                           "Übernehmen oder verwerfen Sie die importierten Daten.")
                .arg(m_importiert)
                .arg(zeilen),
            platform::Icon::Information);
}

void Tfrm_datenimport::b_commitClick() {
    // Edits made to the imported rows belong to what is taken over.
    if (!FormClose()) return;
    guarded([&] {
        m_dm.holdCommits(false);
        try {
            m_dm.commitNow();
        } catch (...) {
            m_dm.holdCommits(true);
            throw;
        }
        setReady(true);
        oeffneDatasets();
    });
}

void Tfrm_datenimport::b_rollbackClick() {
    guarded([&] {
        // The rollback closes every dataset of the transaction; the windows
        // get theirs back, on the rows they showed.
        const Tdm::OpenDatasets offen = m_dm.openDatasets();
        m_dm.ibt->rollback();
        m_dm.holdCommits(false);
        // Nothing waits for a commit any more: the transaction has ended.
        m_dm.commitNow();
        setReady(true);
        m_dm.reopen(offen);
        oeffneDatasets();
    });
}

QString Tfrm_datenimport::frageUnentschieden() {
    return QStringLiteral("Der Datenimport wurde weder übernommen noch verworfen. Jetzt übernehmen?");
}

bool Tfrm_datenimport::importEntscheiden() {
    if (!m_unentschieden) return true;
    switch (platform::dialogs().confirm(frageUnentschieden(), QStringLiteral("Bestätigung"),
                                        platform::Buttons::JaNeinAbbrechen)) {
    case platform::Answer::Ja:
        b_commitClick();
        break;
    case platform::Answer::Nein:
        b_rollbackClick();
        break;
    case platform::Answer::Abbrechen:
        return false;
    }
    // A commit or rollback that failed (its error has been shown) leaves
    // the import undecided: the window stays.
    return !m_unentschieden;
}

// ---------------------------------------------------------------------------
// Closing

bool Tfrm_datenimport::FormClose() {
    try {
        if (m_dm.ibt_kunde->isActive()) m_dm.ibt_kunde->checkBrowseMode();
        if (m_dm.ibt_kunde_hunde->isActive()) m_dm.ibt_kunde_hunde->checkBrowseMode();
    } catch (...) {
        platform::handleCurrentException();
        return false;
    }
    return true;
}

void Tfrm_datenimport::closeEvent(QCloseEvent* e) {
    if (!importEntscheiden() || !FormClose()) {
        e->ignore();
        return;
    }
    e->accept();
}
