#include "courses/dlg_teilnehmer_add.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <limits>

#include "courses/keyedit.h"
#include "courses/kursbelegung.h"
#include "data/datenmodul.h"
#include "db/field.h"
#include "db/statement.h"
#include "platform/application.h"
#include "widgets/dbgrid.h"

platform::BeiBedarf<Tfrm_teilnehmer_add> frm_teilnehmer_add;

using platform::guarded;

namespace {

// The longest of the searched columns (KUNDEN.NAME, KUNDEN.TEL, HUNDE.NAME:
// 30 characters; the numbers have at most 11 digits with their sign).
constexpr int kLaengsteSpalte = 30;

// Upper-cased as the database's upper() does it, umlauts included.
QString gross(const QString& text) { return db::win1252Upper(text); }

// Whether the text converts to an integer (StrToInt): an optional sign and
// decimal digits within the 32-bit range.
bool istGanzzahl(const QString& text) {
    int i = 0;
    if (!text.isEmpty() && (text.at(0) == QLatin1Char('+') || text.at(0) == QLatin1Char('-'))) i = 1;
    if (i >= text.size()) return false;
    for (int k = i; k < text.size(); ++k)
        if (text.at(k) < QLatin1Char('0') || text.at(k) > QLatin1Char('9')) return false;
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    return ok && v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

// Whether the text can match anything: every character exists in the
// database's character set, and no more characters than the longest column
// need a character of their own ("%" matches any run, even an empty one).
bool kannPassen(const QString& text) {
    if (!db::win1252Representable(text)) return false;
    return text.size() - text.count(QLatin1Char('%')) <= kLaengsteSpalte;
}

// The text as the body of a LIKE pattern in apostrophes: apostrophes
// doubled; in a long text runs of "%" joined into one (same meaning).
QString muster(const QString& text) {
    QString t = text;
    if (t.size() > kLaengsteSpalte) {
        QString kurz;
        for (QChar c : t)
            if (!(c == QLatin1Char('%') && kurz.endsWith(QLatin1Char('%')))) kurz += c;
        t = kurz;
    }
    return db::escapeApostrophes(t);
}

}  // namespace

Tfrm_teilnehmer_add::Tfrm_teilnehmer_add(Tdm& data, QWidget* parent) : QDialog(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_teilnehmer_add"));
    setWindowTitle(QStringLiteral("Teilnehmer hinzufügen..."));
    setModal(true);
    resize(560, 400);

    ibq_suche = new db::Query(data.idb.get(), data.ibt, this);
    ibq_suche->setObjectName(QStringLiteral("ibq_suche"));
    ibq_suche->setSql(designSql());
    ibq_suche->onFieldsCreated = [](db::Dataset* d) {
        auto set = [d](const char* name, const char* label, int size, bool required) {
            db::Field* f = d->findField(QString::fromLatin1(name));
            if (!f) return;
            if (label) f->setDisplayLabel(QString::fromUtf8(label));
            if (size > 0) f->setSize(size);
            f->setRequired(required);
        };
        set("VNAME", "Vorname", 0, false);
        set("NAME", "Name", 30, false);
        set("TEL", "Tel.", 30, false);
        set("HUNDNAME", "mit Hund", 30, false);
        set("KNDNR", nullptr, 0, true);
        set("HUNDNR", nullptr, 0, true);
    };
    ds_suche = new db::DataSource(this);
    ds_suche->setObjectName(QStringLiteral("ds_suche"));
    ds_suche->setDataset(ibq_suche);

    auto* layout = new QVBoxLayout(this);
    gb_suchen = new QGroupBox(QStringLiteral("Suchen nach..."), this);
    gb_suchen->setObjectName(QStringLiteral("gb_suchen"));
    auto* gbLayout = new QHBoxLayout(gb_suchen);
    e_suchtext = new KeyLineEdit(gb_suchen);
    e_suchtext->setObjectName(QStringLiteral("e_suchtext"));
    e_suchtext->onKeyDown = [this](int& key, Qt::KeyboardModifiers) { guarded([this, &key] { e_suchtextKeyDown(key); }); };
    gbLayout->addWidget(e_suchtext);
    layout->addWidget(gb_suchen);

    DBGrid1 = new widgets::DbGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setReadOnly(true);
    DBGrid1->setRowSelect(true);
    DBGrid1->setDataSource(ds_suche);
    // Titles from the fields' labels.
    DBGrid1->setColumns({widgets::spalte("VNAME", {}, 14), widgets::spalte("NAME", {}, 20),
                         widgets::spalte("HUNDNAME", {}, 16), widgets::spalte("TEL", {}, 16)});
    connect(DBGrid1, &widgets::DbGrid::rowDoubleClicked, this, [this] { guarded([this] { DBGrid1DblClick(); }); });
    layout->addWidget(DBGrid1, 1);

    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch(1);
    b_hinzufuegen = new QPushButton(QStringLiteral("Hinzufügen"), this);
    b_hinzufuegen->setObjectName(QStringLiteral("b_hinzufuegen"));
    b_close = new QPushButton(QStringLiteral("Beenden"), this);
    b_close->setObjectName(QStringLiteral("b_close"));
    // Enter belongs to the search box, not to a default button.
    b_hinzufuegen->setAutoDefault(false);
    b_close->setAutoDefault(false);
    knoepfe->addWidget(b_hinzufuegen);
    knoepfe->addWidget(b_close);
    layout->addLayout(knoepfe);
    connect(b_hinzufuegen, &QPushButton::clicked, this, [this] { guarded([this] { b_hinzufuegenClick(); }); });
    connect(b_close, &QPushButton::clicked, this, [this] { b_closeClick(); });
}

Tfrm_teilnehmer_add::~Tfrm_teilnehmer_add() {
    // The grid reads the query: take it away first.
    DBGrid1->setDataSource(nullptr);
}

QStringList Tfrm_teilnehmer_add::designSql() {
    return {QStringLiteral("select a.kndnr,a.vname,a.name,a.tel,b.name hundname,b.hundnr"),
            QStringLiteral("from kunden a,hunde b "), QStringLiteral("where a.kndnr=b.kndnr")};
}

QStringList Tfrm_teilnehmer_add::suchSql(const QString& suchtext) {
    QStringList sql{QStringLiteral(" select a.kndnr,a.vname,a.name,a.tel,b.name hundname,b.hundnr from kunden a,hunde b "
                                   " where a.kndnr=b.kndnr ")};
    if (suchtext.isEmpty()) return sql;
    // A text that cannot match anything finds nothing (and never reaches
    // the database as a literal it cannot hold).
    if (!kannPassen(suchtext)) {
        sql << QStringLiteral(" and (1=0)");
        return sql;
    }
    const QString u = gross(suchtext);
    const QString mu = muster(u);
    const QString mt = muster(suchtext);
    QString zeile;
    if (istGanzzahl(u)) {
        zeile = QStringLiteral(" and (a.kndnr like '%") + mt + QStringLiteral("%'") +
                QStringLiteral(" or upper(a.name) like '%") + mu + QStringLiteral("%'") +
                QStringLiteral(" or upper(a.vname) like '%") + mu + QStringLiteral("%'") +
                QStringLiteral(" or upper(a.tel) like '%") + mu + QStringLiteral("%'") +
                QStringLiteral(" or upper(b.name) like '%") + mu + QStringLiteral("%'") +
                QStringLiteral(" or b.hundnr like '%") + mt + QStringLiteral("%')");
    } else {
        zeile = QStringLiteral(" and (upper(a.name) like '%") + mu + QStringLiteral("%'") +
                QStringLiteral(" or upper(a.vname) like '%") + mu + QStringLiteral("%'") +
                QStringLiteral(" or upper(b.name) like '%") + mu + QStringLiteral("%'") +
                QStringLiteral(" or upper(a.tel) like '%") + mu + QStringLiteral("%')");
    }
    sql << zeile;
    return sql;
}

void Tfrm_teilnehmer_add::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    guarded([this] { FormShow(); });
}

void Tfrm_teilnehmer_add::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    FormClose();
}

void Tfrm_teilnehmer_add::FormShow() {
    if (!ibq_suche->isActive()) ibq_suche->open();
}

void Tfrm_teilnehmer_add::FormClose() { ibq_suche->close(); }

void Tfrm_teilnehmer_add::e_suchtextKeyDown(int& key) {
    if (!istEingabetaste(key)) return;
    key = 0;  // no character, no default button
    ibq_suche->close();
    ibq_suche->setSql(suchSql(e_suchtext->text()));
    ibq_suche->open();
}

void Tfrm_teilnehmer_add::b_hinzufuegenClick() {
    // Without a chosen pair, or without a course, there is nothing to enrol.
    if (!ibq_suche->isActive() || ibq_suche->isEmpty()) return;
    db::Field* kndnr = ibq_suche->fieldByName(QStringLiteral("KNDNR"));
    db::Field* hundnr = ibq_suche->fieldByName(QStringLiteral("HUNDNR"));
    if (kndnr->isNull() || hundnr->isNull()) return;
    db::Table* kurse = m_dm.ibt_kurse;
    if (!kurse->isActive() || kurse->isEmpty()) return;
    // Every pending edit of the course is saved before the limit is checked,
    // so that a maximum just typed counts; a new course not yet saved is
    // saved with its first participant.
    if (kurse->isEditing()) kurse->post();
    db::Field* kursnr = kurse->fieldByName(QStringLiteral("KURSNR"));
    if (kursnr->isNull()) return;
    // A course that has as many participants as it takes asks first.
    if (!kurs_platz_oder_trotzdem(m_dm, kursnr->asInteger())) return;

    m_dm.teilnehmerEinfuegen(kursnr->asInteger(), kndnr->asInteger(), hundnr->asInteger());
    m_dm.commitNow();
    m_dm.ibq_teilnehmer->close();
    m_dm.ibq_teilnehmer->open();
}

void Tfrm_teilnehmer_add::DBGrid1DblClick() { b_hinzufuegenClick(); }

void Tfrm_teilnehmer_add::b_closeClick() { reject(); }
