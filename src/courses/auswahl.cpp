#include "courses/auswahl.h"

#include <QAbstractTableModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"

platform::BeiBedarf<Tfrm_auswahl> frm_auswahl;

using namespace db;

// The rows of the dialog's query for a read-only grid. Rows are read as the
// grid asks for them; the titles are the fields' display labels.
class Tfrm_auswahl::RowModel : public QAbstractTableModel {
public:
    RowModel(DataSource* source, QObject* parent) : QAbstractTableModel(parent), m_source(source) {
        connect(source, &DataSource::dataSetChanged, this, [this] { reset(); });
        connect(source, &DataSource::activeChanged, this, [this] { reset(); });
        connect(source, &DataSource::rowsFetched, this, [this](int, int) { rowsArrived(); });
        reset();
    }

    Dataset* dataset() const { return m_source->dataset(); }
    bool active() const { return dataset() && dataset()->isActive(); }

    void reset() {
        beginResetModel();
        m_rows = active() ? dataset()->recordCount() : 0;
        m_columns = active() ? dataset()->fields().size() : 0;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_rows;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_columns;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !active() || role != Qt::DisplayRole) return QVariant();
        const auto& fields = dataset()->fields();
        if (index.column() >= fields.size()) return QVariant();
        Field* f = fields.at(index.column());
        return f->displayTextOf(dataset()->valueAt(index.row(), f->index()));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return QVariant();
        if (orientation == Qt::Vertical) return QVariant();
        if (!active() || section >= dataset()->fields().size()) return QVariant();
        return dataset()->fields().at(section)->displayLabel();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
    }

    bool canFetchMore(const QModelIndex& parent) const override {
        return !parent.isValid() && active() && dataset()->canFetchMore();
    }
    void fetchMore(const QModelIndex& parent) override {
        if (canFetchMore(parent)) dataset()->fetchMore(100);
    }

    // The labels may have been set after the query was opened.
    void refreshTitles() {
        if (m_columns > 0) emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
    }

private:
    void rowsArrived() {
        if (!active()) return;
        const int now = dataset()->recordCount();
        if (now <= m_rows) return;
        beginInsertRows(QModelIndex(), m_rows, now - 1);
        m_rows = now;
        endInsertRows();
    }

    DataSource* m_source;
    int m_rows = 0;
    int m_columns = 0;
};

Tfrm_auswahl::Tfrm_auswahl(Tdm& data, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_auswahl"));
    setWindowTitle(QStringLiteral("Auswählen"));
    setModal(true);
    resize(520, 360);

    ibq_suche = new Query(data.idb.get(), data.ibt, this);
    ibq_suche->setObjectName(QStringLiteral("ibq_suche"));
    DataSource1 = new DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataset(ibq_suche);

    auto* layout = new QVBoxLayout(this);

    gb_suche = new QGroupBox(QStringLiteral("Suchen nach..."), this);
    gb_suche->setObjectName(QStringLiteral("gb_suche"));
    auto* searchLayout = new QHBoxLayout(gb_suche);
    e_suche = new QLineEdit(gb_suche);
    e_suche->setObjectName(QStringLiteral("e_suche"));
    searchLayout->addWidget(e_suche);
    layout->addWidget(gb_suche);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_model = new RowModel(DataSource1, this);
    DBGrid1->setModel(m_model);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->setVisible(false);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(DBGrid1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    b_auswaehlen = new QPushButton(QStringLiteral("Auswählen"), this);
    b_auswaehlen->setObjectName(QStringLiteral("b_auswaehlen"));
    b_auswaehlen->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(b_auswaehlen);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    connect(b_auswaehlen, &QPushButton::clicked, this, [this] { b_auswaehlenClick(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(DBGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { DBGrid1DblClick(i); });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { gridRowChanged(current); });
    // A new result (the caller reopened the query): the grid follows the
    // query's current row.
    connect(DataSource1, &DataSource::dataSetChanged, this, [this] { syncGridToQuery(); });
}

Tfrm_auswahl::~Tfrm_auswahl() {
    // The grid's model reads the query: take it away first.
    DBGrid1->setModel(nullptr);
    delete m_model;
    m_model = nullptr;
}

void Tfrm_auswahl::showEvent(QShowEvent* e) {
    m_model->refreshTitles();
    DBGrid1->resizeColumnsToContents();
    syncGridToQuery();
    DBGrid1->setFocus();
    QDialog::showEvent(e);
}

void Tfrm_auswahl::syncGridToQuery() {
    if (!m_model || !ibq_suche->isActive()) return;
    const int row = ibq_suche->recNo();
    if (row < 0 || row >= m_model->rowCount()) return;
    QModelIndex current = DBGrid1->currentIndex();
    if (current.isValid() && current.row() == row) return;
    DBGrid1->setCurrentIndex(m_model->index(row, 0));
}

void Tfrm_auswahl::gridRowChanged(const QModelIndex& current) {
    if (!current.isValid() || !ibq_suche->isActive()) return;
    if (ibq_suche->recNo() != current.row()) ibq_suche->setRecNo(current.row());
}

void Tfrm_auswahl::DBGrid1DblClick(const QModelIndex& index) {
    if (index.isValid()) gridRowChanged(index);
    b_auswaehlenClick();
}

void Tfrm_auswahl::b_auswaehlenClick() {
    // The grid's current row is the chosen one.
    gridRowChanged(DBGrid1->currentIndex());
    accept();
}

void Tfrm_auswahl::Button2Click() { reject(); }

bool Tfrm_auswahl::waehlen(const QString& caption, const QStringList& sql, const QStringList& labels,
                           bool hideSearch, QVariantList* row) {
    setWindowTitle(caption);
    gb_suche->setVisible(!hideSearch);
    ibq_suche->close();
    ibq_suche->clearSql();
    for (const QString& line : sql) ibq_suche->addLine(line);
    ibq_suche->open();
    const auto& fields = ibq_suche->fields();
    for (int i = 0; i < labels.size() && i < fields.size(); ++i) fields.at(i)->setDisplayLabel(labels.at(i));
    if (exec() != QDialog::Accepted) return false;
    if (!ibq_suche->isActive() || ibq_suche->isEmpty()) return false;
    if (row) {
        row->clear();
        for (Field* f : ibq_suche->fields()) row->append(f->value());
    }
    return true;
}

void connectAuswahl(Tdm& data) {
    data.auswahl = [](const QString& caption, const QStringList& sql, const QStringList& labels,
                      bool hideSearch, QVariantList* row) -> bool {
        if (!frm_auswahl) return false;
        return frm_auswahl->waehlen(caption, sql, labels, hideSearch, row);
    };
}
