#include "data/datamodultp.h"

#include "data/datenmodul.h"
#include "db/connection.h"
#include "platform/application.h"
#include "platform/settings.h"

platform::BeiBedarf<Tdmtp> dmtp;
TerminplanerEinstellungen terminplaner_einstellungen;

using namespace db;

Tdmtp::Tdmtp(Tdm& data, QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("dmtp"));
    Connection* conn = data.idb.get();
    ibt_default = std::make_unique<Transaction>(conn, Transaction::Isolation::Snapshot, false);
    ibt_anzeige = std::make_unique<Transaction>(conn, Transaction::Isolation::Snapshot, false);
    ibt_anzeige->setDefaultAction(Transaction::DefaultAction::CommitRetaining);
    for (Transaction* t : {ibt_default.get(), ibt_anzeige.get()}) {
        t->setSeparateReads(true);
        t->onWrite = [this, t] { commitSoon(t); };
    }

    ibq = new Query(conn, ibt_default.get(), this);
    ibq->setObjectName(QStringLiteral("ibq"));

    ibt_person = new Table(conn, ibt_default.get(), QStringLiteral("TRAINER"), this);
    ibt_person->setObjectName(QStringLiteral("ibt_person"));
    ibt_person->setFieldNames({QStringLiteral("TRAINERNR"), QStringLiteral("NAME"), QStringLiteral("KURZZEICHEN")});
    ibt_person->onFieldsCreated = [](Dataset* d) {
        if (Field* f = d->findField(QStringLiteral("TRAINERNR"))) f->setRequired(true);
        if (Field* f = d->findField(QStringLiteral("NAME"))) {
            f->setRequired(true);
            f->setSize(50);
        }
    };
    ds_person = new DataSource(this);
    ds_person->setObjectName(QStringLiteral("ds_person"));
    ds_person->setDataset(ibt_person);

    ibt_termin = new Table(conn, ibt_default.get(), QStringLiteral("TP_TERMIN"), this);
    ibt_termin->setObjectName(QStringLiteral("ibt_termin"));
    ibt_termin->setMasterSource(ds_person, QStringLiteral("TRAINERNR"), QStringLiteral("PERSONNR"));
    ibt_termin->setIndexFieldNames(QStringLiteral("PERSONNR;VON"));
    ibt_termin->onFieldsCreated = [](Dataset* d) {
        for (const char* name : {"VON", "BIS"})
            if (Field* f = d->findField(QString::fromLatin1(name)))
                f->setDisplayFormat(QStringLiteral("dd.mm.yyyy hh:mm"));
    };
    ds_termin = new DataSource(this);
    ds_termin->setObjectName(QStringLiteral("ds_termin"));
    ds_termin->setDataset(ibt_termin);

    ibt_terminedit = new Query(conn, ibt_default.get(), this);
    ibt_terminedit->setObjectName(QStringLiteral("ibt_terminedit"));
    ibt_terminedit->setSql({QStringLiteral("select *"), QStringLiteral("from tp_termin"),
                            QStringLiteral("where personnr=:trainernr")});
    ibt_terminedit->setDataSource(ds_person);
    ds_terminedit = new DataSource(this);
    ds_terminedit->setObjectName(QStringLiteral("ds_terminedit"));
    ds_terminedit->setDataset(ibt_terminedit);
}

Tdmtp::~Tdmtp() {
    // The datasets go before the transactions they are registered with,
    // details before their master.
    delete ibt_terminedit;
    delete ibt_termin;
    delete ds_terminedit;
    delete ds_termin;
    delete ds_person;
    delete ibt_person;
    delete ibq;
    try {
        ibt_anzeige.reset();
        ibt_default.reset();
    } catch (...) {
    }
}

void Tdmtp::commitSoon(Transaction* t) {
    QMetaObject::invokeMethod(
        this,
        [t] {
            try {
                t->commitRetaining();
            } catch (...) {
                platform::handleCurrentException();
            }
        },
        Qt::QueuedConnection);
}

void Tdmtp::readSettings() {
    // The name carries no directory: the settings directory of the user.
    platform::IniFile ini(QStringLiteral("terminplaner.Ini"));
    TerminplanerEinstellungen& e = terminplaner_einstellungen;
    const QString zeiten = QStringLiteral("zeiten");
    e.bildschirm_von = ini.readInteger(zeiten, QStringLiteral("bildschirm_von"), 0);
    e.bildschirm_bis = ini.readInteger(zeiten, QStringLiteral("bildschirm_bis"), 0);
    e.ausdruck_von = ini.readInteger(zeiten, QStringLiteral("ausdruck_von"), 0);
    e.ausdruck_bis = ini.readInteger(zeiten, QStringLiteral("ausdruck_bis"), 0);
    e.arbeitszeit_von = ini.readInteger(zeiten, QStringLiteral("arbeitszeit_von"), 0);
    e.arbeitszeit_bis = ini.readInteger(zeiten, QStringLiteral("arbeitszeit_bis"), 0);
    e.standardperson = ini.readString(QStringLiteral("standardperson"), QStringLiteral("name"), QString());
}

void Tdmtp::DataModuleCreate() {
    readSettings();
    try {
        ibt_person->open();
        const QString name = terminplaner_einstellungen.standardperson;
        // Exact, case-sensitive comparison of the whole name; without a
        // match the first trainer stays current.
        if (!name.isEmpty() && !ibt_person->locate(QStringLiteral("NAME"), name)) ibt_person->first();
        ibt_termin->open();
        ibt_terminedit->open();
    } catch (...) {
        platform::handleCurrentException();
    }
}
