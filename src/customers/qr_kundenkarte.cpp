#include "customers/qr_kundenkarte.h"

#include <QApplication>
#include <QSet>
#include <QWidget>
#include <optional>
#include <stdexcept>

#include "data/datenmodul.h"
#include "db/dataset.h"
#include "db/field.h"
#include "db/statement.h"
#include "report/reportpaint.h"

platform::BeiBedarf<Tfrm_qr_kundenkarte> frm_qr_kundenkarte;

using report::Align;
using report::Band;
using report::BandKind;
using report::Font;

namespace {

const QColor kSilver(192, 192, 192);
const Font kRegular{QStringLiteral("Arial"), 10};
const Font kBold{QStringLiteral("Arial"), 10, true};
const Font kSmall{QStringLiteral("Arial"), 8};
const Font kTitle{QStringLiteral("Arial Black"), 14};

// The text of a field in its display format; empty when the dataset has no
// such field or no current row.
QString text(db::Dataset* ds, const char* name) {
    db::Field* f = ds ? ds->findField(QString::fromLatin1(name)) : nullptr;
    return f ? f->displayText() : QString();
}

// Customers whose dogs one statement of a list reads.
constexpr int kDogBatch = 200;

// Disables the controls of a dataset for as long as it lives.
struct ControlsDisabled {
    db::Dataset* ds;
    explicit ControlsDisabled(db::Dataset* d) : ds(d) { ds->disableControls(); }
    ~ControlsDisabled() { ds->enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;
};


}  // namespace

Tfrm_qr_kundenkarte::Tfrm_qr_kundenkarte(Tdm& data, QObject* parent) : QObject(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_qr_kundenkarte"));
    build();
}

Tfrm_qr_kundenkarte::~Tfrm_qr_kundenkarte() = default;

// A4 portrait, 10 mm margins all round, measures in mm from each band's top
// left corner. Values get the room up to the next item of their line; a
// longer value ends in an ellipsis there instead of running into its neighbour.
void Tfrm_qr_kundenkarte::build() {
    qr.setMargins(10);

    Band& title = qr.setBand(BandKind::Title, 11.4, QStringLiteral("TitleBand1"));
    title.color = kSilver;
    title.addLabel(QStringLiteral("Kundekarte"), 6.3, 2.1, kTitle);
    title.addData(QStringLiteral("HUNDESCHULE"), 69, 0.8, kSmall, 120, Align::Right);
    title.addData(QStringLiteral("QRDBText14"), 69, 5.6, kSmall, 120, Align::Right);
    title.beforePrint = [this](Band& b) { fillTitle(b); };

    Band& detail = qr.setBand(BandKind::Detail, 36, QStringLiteral("DetailBand1"));
    detail.color = Qt::white;
    // A card with its strip and all its dogs on one page (unless it is
    // taller than a page): no dog is printed apart from its owner.
    detail.keepWithSubDetails = true;
    detail.addLabel(QStringLiteral("Kunden-Nr. :"), 6.3, 4.2, kRegular);
    detail.addData(QStringLiteral("KNDNR"), 27.5, 4.2, kBold, 14.5);
    detail.addData(QStringLiteral("QRDBText2"), 42.3, 4.2, kBold, 68);
    detail.addLabel(QStringLiteral("aufgenommen am:"), 136.0, 4.2, kRegular);
    detail.addData(QStringLiteral("AUFGENOMMEN_AM"), 165.6, 4.2, kBold, 24.4);
    detail.addData(QStringLiteral("QRDBText6"), 42.3, 10.6, kBold, 146.6);
    detail.addLabel(QStringLiteral("Tel.:"), 6.3, 16.9, kRegular);
    detail.addData(QStringLiteral("TEL"), 19.1, 16.9, kBold, 92.8);
    detail.addLabel(QStringLiteral("Fax:"), 112.2, 16.9, kRegular);
    detail.addData(QStringLiteral("FAX"), 122.8, 16.9, kBold, 67.2);
    detail.addLabel(QStringLiteral("Mobil:"), 6.3, 23.3, kRegular);
    detail.addData(QStringLiteral("MOBIL"), 19.1, 23.3, kBold, 92.8);
    detail.addLabel(QStringLiteral("Email"), 112.2, 23.3, kRegular);
    detail.addData(QStringLiteral("EMAIL"), 122.8, 23.3, kBold, 67.2);
    // The comment breaks into lines; the band grows for every further line.
    detail.addData(QStringLiteral("KOMMENTAR"), 6.3, 29.6, kRegular, 182.7, Align::Left, true);
    detail.beforePrint = [this](Band& b) { fillDetail(b); };
    detail.addChild(1.3, QStringLiteral("ChildBand1")).color = kSilver;

    Band& dog = detail.addSubDetail(5.8, [this] { return dogNeedData(); }, QStringLiteral("QRSubDetail1"));
    dog.color = Qt::white;
    dog.keepTogether = true;
    dog.addLabel(QStringLiteral("Hund-Nr. :"), 6.3, 0.5, kRegular);
    dog.addData(QStringLiteral("HUNDNR"), 23.3, 0.5, kBold, 18.7);
    dog.addData(QStringLiteral("NAME"), 42.3, 0.5, kBold, 69.6);
    dog.addLabel(QStringLiteral("Rasse :"), 112.2, 0.5, kRegular);
    dog.addData(QStringLiteral("RASSE"), 129.1, 0.5, kBold, 60.9);
    dog.beforePrint = [this](Band& b) { fillDog(b); };
    dog.addChild(1.3, QStringLiteral("ChildBand2")).color = kSilver;

    Band& footer = qr.setBand(BandKind::PageFooter, 8.5, QStringLiteral("PageFooterBand1"));
    footer.addData(QStringLiteral("QRSysData1"), 88, 2.1, kSmall, 100, Align::Right);
    footer.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("QRSysData1"),
                  QStringLiteral("Gedruckt am: ") + db::fmt::formatDateTime(m_runTime, QStringLiteral("dd.mm.yyyy hh:nn:ss")));
    };

    qr.needData = [this] {
        bool more = m_needDataCalls++ == 0;
        qrNeedData(more);
        return more;
    };
}

report::ReportPages Tfrm_qr_kundenkarte::layout() {
    m_needDataCalls = 0;
    m_runTime = db::currentDateTime();
    qrBeforePrint();
    try {
        for (db::Dataset* d : {static_cast<db::Dataset*>(m_dm.ibt_kunde), static_cast<db::Dataset*>(m_dm.ibt_kunde_hunde),
                               static_cast<db::Dataset*>(m_dm.ibt_systemdaten)})
            if (!d->isActive()) d->open();
        // What hangs on the dogs (the diary, the summary of the
        // questionnaire, the dog page) follows once, when the run is over.
        ControlsDisabled quiet(m_dm.ibt_kunde_hunde);
        // A list reads the dogs in batches; the dog table follows the
        // customer once, when the run is over, not for every card.
        m_listRun = liste_drucken;
        std::optional<ControlsDisabled> quietCustomers;
        if (m_listRun) {
            startListDogs();
            quietCustomers.emplace(m_dm.ibt_kunde);
        }
        report::ReportPages pages = qr.layout();
        endListDogs();
        return pages;
    } catch (...) {
        endListDogs();
        // A run that failed leaves no flag behind for the next one.
        karte_drucken = liste_drucken = false;
        throw;
    }
}

void Tfrm_qr_kundenkarte::startListDogs() {
    db::Table* h = m_dm.ibt_kunde_hunde;
    // A dog being edited is saved first, as moving to the next customer would.
    h->checkBrowseMode();
    QStringList marks;
    for (int i = 0; i < kDogBatch; ++i) marks << QStringLiteral("?");
    QString filter;
    if (h->filtered() && !h->filter().trimmed().isEmpty()) filter = QStringLiteral(" and (") + h->filter() + QLatin1Char(')');
    const QString order = QStringLiteral(" order by kndnr, hundnr");
    m_dogStatement = std::make_unique<db::Statement>(h->connection(), h->transaction());
    m_dogStatement->prepare(QStringLiteral("select kndnr, hundnr, name, rasse from %1 where kndnr in (%2)")
                                .arg(h->tableName(), marks.join(QLatin1Char(','))) +
                            filter + order);
    // Customers whose numbers lie close together (the table's usual order):
    // one range of the index costs the server far less than as many single
    // look-ups.
    m_dogRangeStatement = std::make_unique<db::Statement>(h->connection(), h->transaction());
    m_dogRangeStatement->prepare(
        QStringLiteral("select kndnr, hundnr, name, rasse from %1 where kndnr between ? and ?").arg(h->tableName()) +
        filter + order);
    m_dogs.clear();
    m_dogsOf.clear();
}

void Tfrm_qr_kundenkarte::endListDogs() {
    m_listRun = false;
    m_dogStatement.reset();
    m_dogRangeStatement.reset();
    std::vector<Dog>().swap(m_dogs);
    m_dogsOf = {};
}

// The dogs of the current customer and of the customers that follow in the
// table, up to kDogBatch of them.
void Tfrm_qr_kundenkarte::loadDogBatch(const QVariant& currentKey) {
    db::Table* k = m_dm.ibt_kunde;
    db::Table* h = m_dm.ibt_kunde_hunde;
    const int key = k->fieldByName(QStringLiteral("KNDNR"))->index();
    QVector<QVariant> keys{currentKey};
    for (int r = k->recNo() + 1; keys.size() < kDogBatch; ++r) {
        if (r >= k->recordCount() && (!k->canFetchMore() || k->fetchMore(kDogBatch) == 0)) break;
        const QVariant v = k->valueAt(r, key);
        if (v.isValid() && !v.isNull()) keys << v;
    }
    QSet<qint64> owners;
    qint64 lowest = keys.first().toLongLong(), highest = lowest;
    for (const QVariant& v : keys) {
        const qint64 owner = v.toLongLong();
        owners.insert(owner);
        lowest = qMin(lowest, owner);
        highest = qMax(highest, owner);
    }
    db::Statement* st = m_dogStatement.get();
    if (highest - lowest < 2 * qint64(owners.size())) {
        st = m_dogRangeStatement.get();
        st->setParam(0, lowest);
        st->setParam(1, highest);
    } else {
        // Unused places repeat the last customer.
        for (int i = 0; i < kDogBatch; ++i) st->setParam(i, keys[qMin(i, keys.size() - 1)]);
    }
    db::Field* nr = h->findField(QStringLiteral("HUNDNR"));
    db::Field* name = h->findField(QStringLiteral("NAME"));
    db::Field* rasse = h->findField(QStringLiteral("RASSE"));
    const auto shown = [](db::Field* f, const QVariant& v) { return f ? f->displayTextOf(v) : QString(); };
    m_dogs.clear();
    m_dogsOf.clear();
    st->open();
    while (st->fetch()) {
        const qint64 owner = st->value(0).toLongLong();
        if (!owners.contains(owner)) continue;  // in the range, not in the batch
        auto it = m_dogsOf.find(owner);
        if (it == m_dogsOf.end()) it = m_dogsOf.insert(owner, {int(m_dogs.size()), int(m_dogs.size())});
        m_dogs.push_back({shown(nr, st->value(1)), shown(name, st->value(2)), shown(rasse, st->value(3))});
        it->second = int(m_dogs.size());
    }
    // Customers without a dog are known too: they need no further read.
    for (const QVariant& v : keys) {
        const qint64 owner = v.toLongLong();
        if (!m_dogsOf.contains(owner)) m_dogsOf.insert(owner, {0, 0});
    }
}

void Tfrm_qr_kundenkarte::preview(QWidget* parent) {
    const QString title = liste_drucken && !karte_drucken ? QStringLiteral("Kundenliste") : QStringLiteral("Kundenkarte");
    const report::ReportPages pages = layout();
    report::previewReport(pages, title, parent ? parent : QApplication::activeWindow());
}

void Tfrm_qr_kundenkarte::qrBeforePrint() { erster_datensatz = true; }

void Tfrm_qr_kundenkarte::qrNeedData(bool& moreData) {
    if (karte_drucken) {
        moreData = true;
        karte_drucken = false;
    }
    if (!liste_drucken) return;
    if (erster_datensatz) erster_datensatz = false;
    else m_dm.ibt_kunde->next();
    if (m_dm.ibt_kunde->eof()) {
        moreData = false;
        liste_drucken = false;
    } else {
        moreData = true;
    }
}

void Tfrm_qr_kundenkarte::QRDBText2Print(QString& value) {
    const QString vname = text(m_dm.ibt_kunde, "VNAME");
    if (!vname.isEmpty()) value = vname + QLatin1Char(' ') + value;
    const QString anrede = text(m_dm.ibt_kunde, "ANREDE");
    if (!anrede.isEmpty()) value = anrede + QLatin1Char(' ') + value;
}

void Tfrm_qr_kundenkarte::QRDBText6Print(QString& value) {
    value = value + QStringLiteral(", ") + text(m_dm.ibt_kunde, "PLZ") + QLatin1Char(' ') + text(m_dm.ibt_kunde, "ORT");
}

void Tfrm_qr_kundenkarte::QRDBText14Print(QString& value) {
    value = value + QStringLiteral(", ") + text(m_dm.ibt_systemdaten, "PLZ") + QLatin1Char(' ') +
            text(m_dm.ibt_systemdaten, "ORT");
}

void Tfrm_qr_kundenkarte::fillTitle(Band& b) {
    setFitted(b, QStringLiteral("HUNDESCHULE"), text(m_dm.ibt_systemdaten, "HUNDESCHULE"));
    QString address = text(m_dm.ibt_systemdaten, "STRASSE");
    QRDBText14Print(address);
    setFitted(b, QStringLiteral("QRDBText14"), address);
}

void Tfrm_qr_kundenkarte::fillDetail(Band& b) {
    db::Table* k = m_dm.ibt_kunde;
    setFitted(b, QStringLiteral("KNDNR"), text(k, "KNDNR"));
    QString name = text(k, "NAME");
    QRDBText2Print(name);
    setFitted(b, QStringLiteral("QRDBText2"), name);
    setFitted(b, QStringLiteral("AUFGENOMMEN_AM"), text(k, "AUFGENOMMEN_AM"));
    QString address = text(k, "STR");
    QRDBText6Print(address);
    setFitted(b, QStringLiteral("QRDBText6"), address);
    for (const char* f : {"TEL", "FAX", "MOBIL", "EMAIL", "KOMMENTAR"})
        setFitted(b, QString::fromLatin1(f), text(k, f));
    // The dog bands of this card start again with the first dog.
    m_dogCalls = 0;
    m_dogsEmpty = false;
    if (m_listRun) {
        m_cardDog = m_cardDogEnd = 0;
        const QVariant owner = k->fieldByName(QStringLiteral("KNDNR"))->value();
        if (owner.isValid() && !owner.isNull()) {
            if (!m_dogsOf.contains(owner.toLongLong())) loadDogBatch(owner);
            const std::pair<int, int> range = m_dogsOf.value(owner.toLongLong());
            m_cardDog = range.first;
            m_cardDogEnd = range.second;
        }
    }
}

// One dog band per dog of the current customer; a customer without dogs
// gets one band with the labels and no values.
bool Tfrm_qr_kundenkarte::dogNeedData() {
    if (m_listRun) {
        if (m_dogCalls++ == 0) {
            m_dogsEmpty = m_cardDog >= m_cardDogEnd;
            return true;
        }
        if (m_dogsEmpty) return false;
        return ++m_cardDog < m_cardDogEnd;
    }
    db::Table* h = m_dm.ibt_kunde_hunde;
    if (m_dogCalls++ == 0) {
        h->first();
        m_dogsEmpty = h->eof();
        return true;
    }
    if (m_dogsEmpty) return false;
    h->next();
    return !h->eof();
}

void Tfrm_qr_kundenkarte::fillDog(Band& b) {
    if (m_listRun) {
        const Dog* d = m_dogsEmpty ? nullptr : &m_dogs[size_t(m_cardDog)];
        setFitted(b, QStringLiteral("HUNDNR"), d ? d->nr : QString());
        setFitted(b, QStringLiteral("NAME"), d ? d->name : QString());
        setFitted(b, QStringLiteral("RASSE"), d ? d->rasse : QString());
        return;
    }
    db::Table* h = m_dogsEmpty ? nullptr : m_dm.ibt_kunde_hunde;
    for (const char* f : {"HUNDNR", "NAME", "RASSE"}) setFitted(b, QString::fromLatin1(f), text(h, f));
}
