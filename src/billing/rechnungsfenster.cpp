#include "billing/rechnungsfenster.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHash>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "billing/qr_rechnung.h"
#include "data/datenmodul.h"
#include "data/datenschutz.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "report/reportpaint.h"

using namespace rechnungen;

namespace billing {

namespace {

QString datum(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

db::Connection* verbindung(Tdm& dm) {
    // What the user saved is committed first: the invoice reads it, and no
    // lock of the shared transaction stands in the way of its own.
    dm.commitNow();
    return dm.idb.get();
}

QPushButton* knopf(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QTableWidget* tabelle(QWidget* parent, const char* name, const QStringList& spalten) {
    auto* t = new QTableWidget(0, int(spalten.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(spalten);
    t->verticalHeader()->setVisible(false);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QTableWidgetItem* zelle(const QString& text, bool rechts = false, bool aenderbar = false) {
    auto* it = new QTableWidgetItem(text);
    if (rechts) it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!aenderbar) it->setFlags(it->flags() & ~Qt::ItemIsEditable);
    return it;
}

void hinweis(const QString& text) { platform::dialogs().messageBox(text, platform::Icon::Information); }

QString stand(const Rechnung& r) {
    if (!r.ausgestellt()) return QStringLiteral("Entwurf");
    if (r.storno()) return QStringLiteral("Storno");
    if (r.storniertDurch > 0) return QStringLiteral("storniert");
    return QStringLiteral("ausgestellt");
}

enum Spalte { Text, Menge, Preis, Satz, Netto };

}  // namespace

// ------------------------------------------------------------- Rechnungsdaten

Tdlg_rechnungsdaten::Tdlg_rechnungsdaten(Tdm& dm, QWidget* parent) : QDialog(parent), m_dm(dm) {
    setObjectName(QStringLiteral("dlg_rechnungsdaten"));
    setWindowTitle(QStringLiteral("Rechnungsdaten"));
    m_alt = einstellungenLesen(verbindung(dm));
    auto* haupt = new QVBoxLayout(this);

    auto* steuer = new QGroupBox(QStringLiteral("Umsatzsteuer"), this);
    auto* sf = new QFormLayout(steuer);
    rb_kleinunternehmer = new QRadioButton(QStringLiteral("Kleinunternehmer nach § 19 UStG (keine Umsatzsteuer)"), steuer);
    rb_kleinunternehmer->setObjectName(QStringLiteral("rb_kleinunternehmer"));
    rb_umsatzsteuer = new QRadioButton(QStringLiteral("Umsatzsteuer ausweisen"), steuer);
    rb_umsatzsteuer->setObjectName(QStringLiteral("rb_umsatzsteuer"));
    cb_ust_satz = new QComboBox(steuer);
    cb_ust_satz->setObjectName(QStringLiteral("cb_ust_satz"));
    for (int s : steuersaetze()) cb_ust_satz->addItem(QStringLiteral("%1 %").arg(s), s);
    ed_steuernummer = new QLineEdit(steuer);
    ed_steuernummer->setObjectName(QStringLiteral("ed_steuernummer"));
    ed_steuernummer->setMaxLength(30);
    ed_ust_idnr = new QLineEdit(steuer);
    ed_ust_idnr->setObjectName(QStringLiteral("ed_ust_idnr"));
    ed_ust_idnr->setMaxLength(20);
    sf->addRow(rb_kleinunternehmer);
    sf->addRow(rb_umsatzsteuer);
    sf->addRow(QStringLiteral("Umsatzsteuersatz für neue Positionen:"), cb_ust_satz);
    sf->addRow(QStringLiteral("Steuernummer:"), ed_steuernummer);
    sf->addRow(QStringLiteral("USt-IdNr.:"), ed_ust_idnr);
    haupt->addWidget(steuer);

    auto* bank = new QGroupBox(QStringLiteral("Bankverbindung"), this);
    auto* bf = new QFormLayout(bank);
    ed_bank = new QLineEdit(bank);
    ed_bank->setObjectName(QStringLiteral("ed_bank"));
    ed_bank->setMaxLength(50);
    ed_iban = new QLineEdit(bank);
    ed_iban->setObjectName(QStringLiteral("ed_iban"));
    ed_iban->setMaxLength(42);
    lb_iban_pruefung = new QLabel(bank);
    lb_iban_pruefung->setObjectName(QStringLiteral("lb_iban_pruefung"));
    ed_bic = new QLineEdit(bank);
    ed_bic->setObjectName(QStringLiteral("ed_bic"));
    ed_bic->setMaxLength(11);
    ed_glaeubiger_id = new QLineEdit(bank);
    ed_glaeubiger_id->setObjectName(QStringLiteral("ed_glaeubiger_id"));
    ed_glaeubiger_id->setMaxLength(35);
    bf->addRow(QStringLiteral("Bank:"), ed_bank);
    bf->addRow(QStringLiteral("IBAN:"), ed_iban);
    bf->addRow(QString(), lb_iban_pruefung);
    bf->addRow(QStringLiteral("BIC:"), ed_bic);
    bf->addRow(QStringLiteral("Gläubiger-ID (SEPA):"), ed_glaeubiger_id);
    haupt->addWidget(bank);

    auto* rechnung = new QGroupBox(QStringLiteral("Rechnungen"), this);
    auto* rf = new QFormLayout(rechnung);
    ed_nummernmuster = new QLineEdit(rechnung);
    ed_nummernmuster->setObjectName(QStringLiteral("ed_nummernmuster"));
    ed_nummernmuster->setMaxLength(40);
    lb_nummer_beispiel = new QLabel(rechnung);
    lb_nummer_beispiel->setObjectName(QStringLiteral("lb_nummer_beispiel"));
    sb_zahlungsziel = new QSpinBox(rechnung);
    sb_zahlungsziel->setObjectName(QStringLiteral("sb_zahlungsziel"));
    sb_zahlungsziel->setRange(0, 365);
    sb_zahlungsziel->setSuffix(QStringLiteral(" Tage"));
    ed_mahngebuehr = new QLineEdit(rechnung);
    ed_mahngebuehr->setObjectName(QStringLiteral("ed_mahngebuehr"));
    me_text_oben = new QPlainTextEdit(rechnung);
    me_text_oben->setObjectName(QStringLiteral("me_text_oben"));
    me_text_oben->setFixedHeight(54);
    me_text_unten = new QPlainTextEdit(rechnung);
    me_text_unten->setObjectName(QStringLiteral("me_text_unten"));
    me_text_unten->setFixedHeight(54);
    rf->addRow(QStringLiteral("Nummernmuster:"), ed_nummernmuster);
    rf->addRow(QString(), lb_nummer_beispiel);
    rf->addRow(QStringLiteral("Zahlungsziel:"), sb_zahlungsziel);
    rf->addRow(QStringLiteral("Mahngebühr (ab der 1. Mahnung):"), ed_mahngebuehr);
    rf->addRow(QStringLiteral("Text über den Positionen:"), me_text_oben);
    rf->addRow(QStringLiteral("Text unter den Positionen:"), me_text_unten);
    haupt->addWidget(rechnung);

    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch(1);
    bb_ok = knopf(this, "bb_ok", QStringLiteral("OK"));
    bb_abbrechen = knopf(this, "bb_abbrechen", QStringLiteral("Abbrechen"));
    bb_ok->setDefault(true);
    knoepfe->addWidget(bb_ok);
    knoepfe->addWidget(bb_abbrechen);
    haupt->addLayout(knoepfe);

    (m_alt.kleinunternehmer ? rb_kleinunternehmer : rb_umsatzsteuer)->setChecked(true);
    cb_ust_satz->setCurrentIndex(std::max(0, int(steuersaetze().indexOf(m_alt.ustSatz))));
    ed_steuernummer->setText(m_alt.steuernummer);
    ed_ust_idnr->setText(m_alt.ustIdNr);
    ed_bank->setText(m_alt.bank);
    ed_iban->setText(ibanLesbar(m_alt.iban));
    ed_bic->setText(m_alt.bic);
    ed_glaeubiger_id->setText(m_alt.glaeubigerId);
    ed_nummernmuster->setText(m_alt.nummernmuster);
    sb_zahlungsziel->setValue(m_alt.zahlungsziel);
    ed_mahngebuehr->setText(zahl(m_alt.mahngebuehr));
    me_text_oben->setPlainText(m_alt.textOben);
    me_text_unten->setPlainText(m_alt.textUnten);
    pruefungZeigen();

    connect(rb_umsatzsteuer, &QRadioButton::toggled, cb_ust_satz, &QWidget::setEnabled);
    cb_ust_satz->setEnabled(rb_umsatzsteuer->isChecked());
    connect(ed_iban, &QLineEdit::textChanged, this, [this] { pruefungZeigen(); });
    connect(ed_nummernmuster, &QLineEdit::textChanged, this, [this] { pruefungZeigen(); });
    connect(bb_ok, &QPushButton::clicked, this, [this] { platform::guarded([this] { speichern(); }); });
    connect(bb_abbrechen, &QPushButton::clicked, this, &QDialog::reject);
}

void Tdlg_rechnungsdaten::pruefungZeigen() {
    const QString iban = ed_iban->text().trimmed();
    lb_iban_pruefung->setText(iban.isEmpty()          ? QStringLiteral("Ohne IBAN druckt die Rechnung keinen GiroCode.")
                              : ibanGueltig(iban)     ? QStringLiteral("IBAN gültig")
                                                      : QStringLiteral("IBAN ungültig: Prüfziffer oder Länge stimmt nicht"));
    const QString f = musterPruefen(ed_nummernmuster->text());
    lb_nummer_beispiel->setText(f.isEmpty() ? QStringLiteral("Die erste Nummer des Jahres: ") +
                                                   nummerBilden(ed_nummernmuster->text(), QDate::currentDate().year(), 1)
                                            : f);
}

bool Tdlg_rechnungsdaten::werte(Einstellungen* e) const {
    *e = m_alt;
    e->kleinunternehmer = rb_kleinunternehmer->isChecked();
    e->ustSatz = cb_ust_satz->currentData().toInt();
    e->steuernummer = ed_steuernummer->text().trimmed();
    e->ustIdNr = ed_ust_idnr->text().trimmed();
    e->bank = ed_bank->text().trimmed();
    e->iban = ed_iban->text().trimmed();
    e->bic = ed_bic->text().trimmed();
    e->glaeubigerId = ed_glaeubiger_id->text().trimmed();
    e->nummernmuster = ed_nummernmuster->text().trimmed();
    e->zahlungsziel = sb_zahlungsziel->value();
    e->textOben = me_text_oben->toPlainText();
    e->textUnten = me_text_unten->toPlainText();
    const QString gebuehr = ed_mahngebuehr->text().trimmed();
    e->mahngebuehr = 0;
    if (!gebuehr.isEmpty() && !betragLesen(gebuehr, &e->mahngebuehr)) {
        platform::dialogs().messageBox(
            QStringLiteral("Die Mahngebühr \"%1\" ist kein Betrag (zum Beispiel 5,00).").arg(gebuehr),
            platform::Icon::Warning);
        return false;
    }
    return true;
}

void Tdlg_rechnungsdaten::speichern() {
    Einstellungen e;
    if (!werte(&e)) return;
    const QString f = pruefen(e);
    if (!f.isEmpty()) {
        platform::dialogs().messageBox(f, platform::Icon::Warning);
        return;
    }
    einstellungenSpeichern(verbindung(m_dm), e);
    accept();
}

// ------------------------------------------------------------- the invoice

Tdlg_rechnung::Tdlg_rechnung(Tdm& dm, int renr, QWidget* parent) : QDialog(parent), m_dm(dm), m_renr(renr) {
    m_r = lesen(verbindung(dm), renr);
    m_kndnr = m_r.kndnr;
    aufbauen();
    zeigen();
}

Tdlg_rechnung::Tdlg_rechnung(Tdm& dm, int kndnr, const QVector<Position>& vorschlag, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_kndnr(kndnr) {
    m_r.kndnr = kndnr;
    m_r.positionen = vorschlag;
    const Einstellungen e = einstellungenLesen(verbindung(dm));
    m_r.kleinunternehmer = e.kleinunternehmer;
    // The recipient's name as the head shows it.
    db::Connection* c = dm.idb.get();
    db::Transaction t(c, db::Transaction::Isolation::ReadCommitted);
    t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
    m_r.empfaenger = db::Statement(c, &t)
                         .scalar(QStringLiteral("select trim(coalesce(vname, '') || ' ' || coalesce(name, '')) from kunden "
                                                "where kndnr = ?"),
                                 {kndnr})
                         .toString();
    t.commit();
    aufbauen();
    zeigen();
}

void Tdlg_rechnung::aufbauen() {
    setObjectName(QStringLiteral("dlg_rechnung"));
    resize(900, 560);
    auto* haupt = new QVBoxLayout(this);
    lb_kopf = new QLabel(this);
    lb_kopf->setObjectName(QStringLiteral("lb_kopf"));
    lb_kopf->setTextFormat(Qt::PlainText);
    haupt->addWidget(lb_kopf);
    tb_positionen = tabelle(this, "tb_positionen",
                            {QStringLiteral("Bezeichnung"), QStringLiteral("Menge"), QStringLiteral("Einzelpreis"),
                             QStringLiteral("USt %"), QStringLiteral("Betrag")});
    tb_positionen->horizontalHeader()->setSectionResizeMode(Text, QHeaderView::Stretch);
    tb_positionen->horizontalHeader()->setStretchLastSection(false);
    tb_positionen->setColumnWidth(Menge, 70);
    tb_positionen->setColumnWidth(Preis, 110);
    tb_positionen->setColumnWidth(Satz, 60);
    tb_positionen->setColumnWidth(Netto, 110);
    haupt->addWidget(tb_positionen, 1);
    lb_summen = new QLabel(this);
    lb_summen->setObjectName(QStringLiteral("lb_summen"));
    lb_summen->setAlignment(Qt::AlignRight);
    haupt->addWidget(lb_summen);
    auto* knoepfe = new QHBoxLayout;
    bb_position_neu = knopf(this, "bb_position_neu", QStringLiteral("Position hinzufügen"));
    bb_position_weg = knopf(this, "bb_position_weg", QStringLiteral("Position entfernen"));
    bb_entwurf_loeschen = knopf(this, "bb_entwurf_loeschen", QStringLiteral("Entwurf löschen"));
    bb_speichern = knopf(this, "bb_speichern", QStringLiteral("Entwurf speichern"));
    bb_vorschau = knopf(this, "bb_vorschau", QStringLiteral("Vorschau"));
    bb_ausstellen = knopf(this, "bb_ausstellen", QStringLiteral("Rechnung ausstellen"));
    bb_zahlung = knopf(this, "bb_zahlung", QStringLiteral("Zahlung erfassen"));
    bb_stornieren = knopf(this, "bb_stornieren", QStringLiteral("Stornieren"));
    bb_schliessen = knopf(this, "bb_schliessen", QStringLiteral("Schließen"));
    for (QPushButton* b : {bb_position_neu, bb_position_weg, bb_entwurf_loeschen}) knoepfe->addWidget(b);
    knoepfe->addStretch(1);
    for (QPushButton* b : {bb_speichern, bb_vorschau, bb_ausstellen, bb_zahlung, bb_stornieren, bb_schliessen})
        knoepfe->addWidget(b);
    haupt->addLayout(knoepfe);

    connect(bb_position_neu, &QPushButton::clicked, this, [this] {
        Position p;
        p.text = QString();
        p.ustSatz = m_r.kleinunternehmer ? 0 : einstellungenLesen(m_dm.idb.get()).ustSatz;
        zeileAnfuegen(p);
        tb_positionen->setCurrentCell(tb_positionen->rowCount() - 1, Text);
        tb_positionen->editItem(tb_positionen->item(tb_positionen->rowCount() - 1, Text));
    });
    connect(bb_position_weg, &QPushButton::clicked, this, [this] {
        const int zeile = tb_positionen->currentRow();
        if (zeile >= 0) tb_positionen->removeRow(zeile);
        summenZeigen();
    });
    connect(tb_positionen, &QTableWidget::itemChanged, this, [this] {
        if (!m_fuellen) summenZeigen();
    });
    connect(bb_speichern, &QPushButton::clicked, this, [this] { platform::guarded([this] { speichern(); }); });
    connect(bb_ausstellen, &QPushButton::clicked, this, [this] { platform::guarded([this] { ausstellen(); }); });
    connect(bb_stornieren, &QPushButton::clicked, this, [this] { platform::guarded([this] { stornieren(); }); });
    connect(bb_vorschau, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            Rechnung r = m_r;
            if (!r.ausgestellt()) {
                r.positionen = positionen();
                r.summen = summen(r.positionen, r.kleinunternehmer);
            }
            const Cent rest = r.ausgestellt() ? r.summen.brutto - [&] {
                Cent b = 0;
                for (const Zahlung& z : zahlungen(verbindung(m_dm), r.renr)) b += z.betrag;
                return b;
            }()
                                              : r.summen.brutto;
            report::previewReport(rechnungsseiten(r, rest), titel(r), this);
        });
    });
    connect(bb_zahlung, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            Tdlg_zahlung z(m_dm, m_renr, this);
            z.exec();
        });
    });
    connect(bb_entwurf_loeschen, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            if (m_renr > 0) {
                if (platform::dialogs().confirm(QStringLiteral("Den Rechnungsentwurf löschen?")) != platform::Answer::Ja)
                    return;
                entwurfLoeschen(verbindung(m_dm), m_renr);
            }
            reject();
        });
    });
    connect(bb_schliessen, &QPushButton::clicked, this, &QDialog::reject);
}

void Tdlg_rechnung::zeileAnfuegen(const Position& p) {
    const bool entwurf = !m_r.ausgestellt();
    m_fuellen = true;
    const int zeile = tb_positionen->rowCount();
    tb_positionen->insertRow(zeile);
    auto* text = zelle(p.text, false, entwurf);
    text->setData(Qt::UserRole, p.teilnehmerId);
    text->setData(Qt::UserRole + 1, p.von);
    text->setData(Qt::UserRole + 2, p.bis);
    tb_positionen->setItem(zeile, Text, text);
    tb_positionen->setItem(zeile, Menge, zelle(menge(p.menge), true, entwurf));
    tb_positionen->setItem(zeile, Preis, zelle(zahl(p.einzelpreis), true, entwurf));
    tb_positionen->setItem(zeile, Satz, zelle(QString::number(p.ustSatz), true, entwurf && !m_r.kleinunternehmer));
    tb_positionen->setItem(zeile, Netto, zelle(betrag(p.netto()), true));
    m_fuellen = false;
}

QVector<Position> Tdlg_rechnung::positionen() const {
    QVector<Position> out;
    for (int i = 0; i < tb_positionen->rowCount(); ++i) {
        auto text = [&](int spalte) { return tb_positionen->item(i, spalte) ? tb_positionen->item(i, spalte)->text() : QString(); };
        Position p;
        const QTableWidgetItem* t = tb_positionen->item(i, Text);
        p.text = text(Text).trimmed();
        p.teilnehmerId = t ? t->data(Qt::UserRole).toInt() : 0;
        p.von = t ? t->data(Qt::UserRole + 1).toDate() : QDate();
        p.bis = t ? t->data(Qt::UserRole + 2).toDate() : QDate();
        if (!mengeLesen(text(Menge), &p.menge))
            throw db::Error(QStringLiteral("Position %1: Die Menge \"%2\" ist keine Zahl (zum Beispiel 1 oder 1,5).")
                                .arg(i + 1)
                                .arg(text(Menge)));
        if (!betragLesen(text(Preis), &p.einzelpreis))
            throw db::Error(QStringLiteral("Position %1: Der Einzelpreis \"%2\" ist kein Betrag (zum Beispiel 49,00).")
                                .arg(i + 1)
                                .arg(text(Preis)));
        bool ok = false;
        p.ustSatz = text(Satz).remove(QLatin1Char('%')).trimmed().toInt(&ok);
        if (!ok) p.ustSatz = -1;
        out.append(p);
    }
    return out;
}

void Tdlg_rechnung::summenZeigen() {
    QVector<Position> p;
    for (int i = 0; i < tb_positionen->rowCount(); ++i) {
        Position x;
        if (!tb_positionen->item(i, Menge) || !tb_positionen->item(i, Preis)) continue;
        if (!mengeLesen(tb_positionen->item(i, Menge)->text(), &x.menge) ||
            !betragLesen(tb_positionen->item(i, Preis)->text(), &x.einzelpreis)) {
            m_fuellen = true;
            tb_positionen->item(i, Netto)->setText(QStringLiteral("?"));
            m_fuellen = false;
            continue;
        }
        x.ustSatz = tb_positionen->item(i, Satz)->text().toInt();
        m_fuellen = true;
        tb_positionen->item(i, Netto)->setText(betrag(x.netto()));
        m_fuellen = false;
        p.append(x);
    }
    const Summen s = summen(p, m_r.kleinunternehmer);
    QStringList zeilen;
    if (m_r.kleinunternehmer) {
        zeilen << QStringLiteral("Gesamtbetrag: %1 (Kleinunternehmer: keine Umsatzsteuer)").arg(betrag(s.brutto));
    } else {
        zeilen << QStringLiteral("Summe netto: %1").arg(betrag(s.netto));
        for (const Steuerzeile& z : s.jeSatz)
            zeilen << QStringLiteral("zzgl. %1 % USt auf %2: %3").arg(z.satz).arg(betrag(z.netto), betrag(z.ust));
        zeilen << QStringLiteral("Gesamtbetrag: %1").arg(betrag(s.brutto));
    }
    lb_summen->setText(zeilen.join(QLatin1Char('\n')));
}

void Tdlg_rechnung::zeigen() {
    const bool entwurf = !m_r.ausgestellt();
    QString kopf;
    if (entwurf) {
        kopf = QStringLiteral("Rechnungsentwurf für ") + m_r.empfaenger.section(QLatin1Char('\n'), 0, 0);
    } else {
        kopf = titel(m_r) + QStringLiteral(" vom ") + datum(m_r.datum) + QStringLiteral(" an ") +
               m_r.empfaenger.section(QLatin1Char('\n'), 0, 0);
        if (m_r.faellig.isValid()) kopf += QStringLiteral(", fällig am ") + datum(m_r.faellig);
        if (m_r.storno()) kopf += QStringLiteral("\nStorno zu Rechnung ") + m_r.stornoVonNummer;
        if (m_r.storniertDurch > 0) kopf += QStringLiteral("\nStorniert durch ") + m_r.storniertDurchNummer;
    }
    lb_kopf->setText(kopf);
    setWindowTitle(entwurf ? QStringLiteral("Rechnung erstellen") : titel(m_r));
    tb_positionen->setRowCount(0);
    for (const Position& p : m_r.positionen) zeileAnfuegen(p);
    tb_positionen->setEditTriggers(entwurf ? QAbstractItemView::AllEditTriggers : QAbstractItemView::NoEditTriggers);
    summenZeigen();
    for (QPushButton* b : {bb_position_neu, bb_position_weg, bb_speichern, bb_ausstellen, bb_entwurf_loeschen})
        b->setVisible(entwurf);
    bb_zahlung->setVisible(!entwurf && !m_r.storno() && m_r.storniertDurch == 0);
    bb_stornieren->setVisible(!entwurf && !m_r.storno() && m_r.storniertDurch == 0);
}

void Tdlg_rechnung::speichern() {
    const QVector<Position> p = positionen();
    db::Connection* c = verbindung(m_dm);
    if (m_renr == 0) m_renr = entwurfAnlegen(c, m_kndnr, p);
    else entwurfAendern(c, m_renr, p);
    m_r = lesen(c, m_renr);
    zeigen();
}

void Tdlg_rechnung::ausstellen() {
    speichern();
    if (platform::dialogs().confirm(
            QStringLiteral("Die Rechnung über %1 wird jetzt mit der nächsten Rechnungsnummer und dem heutigen Datum "
                           "ausgestellt. Danach kann sie nicht mehr geändert, sondern nur noch storniert werden.\r\r"
                           "Rechnung ausstellen?")
                .arg(betrag(m_r.summen.brutto)),
            QStringLiteral("Rechnung ausstellen")) != platform::Answer::Ja)
        return;
    const QVector<Rechnung> r = ausstellenUndArchivieren(m_dm, {m_renr}, QDate::currentDate());
    m_r = r.first();
    zeigen();
    report::previewReport(rechnungsseiten(m_r), titel(m_r), this);
}

void Tdlg_rechnung::stornieren() {
    if (platform::dialogs().confirm(
            QStringLiteral("Zur Rechnung %1 wird eine Stornorechnung mit eigener Nummer und negativen Beträgen "
                           "ausgestellt. Die Kursteilnahmen der Rechnung können danach neu berechnet werden.\r\r"
                           "Rechnung stornieren?")
                .arg(m_r.nummer),
            QStringLiteral("Stornieren")) != platform::Answer::Ja)
        return;
    const Rechnung s = rechnungen::stornieren(verbindung(m_dm), m_renr, QDate::currentDate());
    archivieren(s);
    m_r = lesen(m_dm.idb.get(), m_renr);
    zeigen();
    report::previewReport(rechnungsseiten(s), titel(s), this);
}

QVector<Rechnung> ausstellenUndArchivieren(Tdm& dm, const QVector<int>& renrs, const QDate& tag) {
    QVector<Rechnung> out;
    db::Connection* c = verbindung(dm);
    for (int renr : renrs) {
        const Rechnung r = rechnungen::ausstellen(c, renr, tag);
        archivieren(r);
        out.append(r);
    }
    return out;
}

// ------------------------------------------------------------- the list

Tdlg_rechnungen::Tdlg_rechnungen(Tdm& dm, int kndnr, QWidget* parent) : QDialog(parent), m_dm(dm), m_kndnr(kndnr) {
    setObjectName(QStringLiteral("dlg_rechnungen"));
    setWindowTitle(QStringLiteral("Rechnungen"));
    resize(860, 480);
    auto* haupt = new QVBoxLayout(this);
    tb_rechnungen = tabelle(this, "tb_rechnungen",
                            {QStringLiteral("Nummer"), QStringLiteral("Datum"), QStringLiteral("Kunde"),
                             QStringLiteral("Betrag"), QStringLiteral("fällig am"), QStringLiteral("Stand")});
    tb_rechnungen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tb_rechnungen->setColumnWidth(0, 120);
    tb_rechnungen->setColumnWidth(2, 260);
    haupt->addWidget(tb_rechnungen, 1);
    auto* knoepfe = new QHBoxLayout;
    bb_oeffnen = knopf(this, "bb_oeffnen", QStringLiteral("Öffnen"));
    bb_neu = knopf(this, "bb_neu", QStringLiteral("Rechnung erstellen"));
    bb_zahlung = knopf(this, "bb_zahlung", QStringLiteral("Zahlung erfassen"));
    bb_stornieren = knopf(this, "bb_stornieren", QStringLiteral("Stornieren"));
    bb_schliessen = knopf(this, "bb_schliessen", QStringLiteral("Schließen"));
    bb_neu->setVisible(kndnr > 0);
    for (QPushButton* b : {bb_oeffnen, bb_neu, bb_zahlung, bb_stornieren}) knoepfe->addWidget(b);
    knoepfe->addStretch(1);
    knoepfe->addWidget(bb_schliessen);
    haupt->addLayout(knoepfe);
    auto oeffnen = [this] {
        platform::guarded([this] {
            if (gewaehlt() == 0) return;
            Tdlg_rechnung d(m_dm, gewaehlt(), this);
            d.exec();
            lesen();
        });
    };
    connect(bb_oeffnen, &QPushButton::clicked, this, oeffnen);
    connect(tb_rechnungen, &QTableWidget::cellDoubleClicked, this, oeffnen);
    connect(bb_neu, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            rechnungFuerKunden(m_dm, this, m_kndnr);
            lesen();
        });
    });
    connect(bb_zahlung, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            if (gewaehlt() == 0) return;
            Tdlg_zahlung z(m_dm, gewaehlt(), this);
            z.exec();
            lesen();
        });
    });
    connect(bb_stornieren, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            if (gewaehlt() == 0) return;
            Tdlg_rechnung d(m_dm, gewaehlt(), this);
            d.stornieren();
            lesen();
        });
    });
    connect(bb_schliessen, &QPushButton::clicked, this, &QDialog::reject);
    lesen();
}

void Tdlg_rechnungen::lesen() {
    m_liste = liste(verbindung(m_dm), m_kndnr);
    tb_rechnungen->setRowCount(0);
    for (const Rechnung& r : m_liste) {
        const int z = tb_rechnungen->rowCount();
        tb_rechnungen->insertRow(z);
        tb_rechnungen->setItem(z, 0, zelle(r.nummer.isEmpty() ? QStringLiteral("(Entwurf)") : r.nummer));
        tb_rechnungen->setItem(z, 1, zelle(datum(r.datum)));
        tb_rechnungen->setItem(z, 2, zelle(r.empfaenger.section(QLatin1Char('\n'), 0, 0)));
        tb_rechnungen->setItem(z, 3, zelle(betrag(r.summen.brutto), true));
        tb_rechnungen->setItem(z, 4, zelle(datum(r.faellig)));
        tb_rechnungen->setItem(z, 5, zelle(stand(r)));
    }
    if (!m_liste.isEmpty()) tb_rechnungen->selectRow(0);
}

int Tdlg_rechnungen::gewaehlt() const {
    const int z = tb_rechnungen->currentRow();
    return z >= 0 && z < m_liste.size() ? m_liste[z].renr : 0;
}

// ------------------------------------------------------------- payment

Tdlg_zahlung::Tdlg_zahlung(Tdm& dm, int renr, QWidget* parent) : QDialog(parent), m_dm(dm), m_renr(renr) {
    setObjectName(QStringLiteral("dlg_zahlung"));
    setWindowTitle(QStringLiteral("Zahlung erfassen"));
    db::Connection* c = verbindung(dm);
    const Rechnung r = lesen(c, renr);
    Cent bezahlt = 0;
    for (const Zahlung& z : zahlungen(c, renr)) bezahlt += z.betrag;
    auto* f = new QFormLayout(this);
    lb_rechnung = new QLabel(QStringLiteral("Rechnung %1 über %2, bezahlt %3, offen %4")
                                 .arg(r.nummer, betrag(r.summen.brutto), betrag(bezahlt), betrag(r.summen.brutto - bezahlt)),
                             this);
    lb_rechnung->setObjectName(QStringLiteral("lb_rechnung"));
    f->addRow(lb_rechnung);
    de_datum = new QDateEdit(QDate::currentDate(), this);
    de_datum->setObjectName(QStringLiteral("de_datum"));
    de_datum->setCalendarPopup(true);
    de_datum->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    ed_betrag = new QLineEdit(zahl(r.summen.brutto - bezahlt), this);
    ed_betrag->setObjectName(QStringLiteral("ed_betrag"));
    cb_art = new QComboBox(this);
    cb_art->setObjectName(QStringLiteral("cb_art"));
    for (Zahlungsart a : zahlungsarten()) cb_art->addItem(zahlungsartText(a), int(a));
    cb_art->setCurrentIndex(1);  // Überweisung
    f->addRow(QStringLiteral("Datum:"), de_datum);
    f->addRow(QStringLiteral("Betrag (€):"), ed_betrag);
    f->addRow(QStringLiteral("Zahlungsart:"), cb_art);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch(1);
    bb_ok = knopf(this, "bb_ok", QStringLiteral("Zahlung erfassen"));
    bb_abbrechen = knopf(this, "bb_abbrechen", QStringLiteral("Abbrechen"));
    bb_ok->setDefault(true);
    knoepfe->addWidget(bb_ok);
    knoepfe->addWidget(bb_abbrechen);
    f->addRow(knoepfe);
    connect(bb_ok, &QPushButton::clicked, this, [this] { platform::guarded([this] { erfassen(); }); });
    connect(bb_abbrechen, &QPushButton::clicked, this, &QDialog::reject);
}

void Tdlg_zahlung::erfassen() {
    Cent b = 0;
    if (!betragLesen(ed_betrag->text(), &b)) {
        platform::dialogs().messageBox(
            QStringLiteral("\"%1\" ist kein Betrag (zum Beispiel 49,00).").arg(ed_betrag->text().trimmed()),
            platform::Icon::Warning);
        return;
    }
    zahlungErfassen(verbindung(m_dm), m_renr, de_datum->date(), b, Zahlungsart(cb_art->currentData().toInt()));
    m_dm.commitNow();
    accept();
}

// ------------------------------------------------------------- open items

Tdlg_offeneposten::Tdlg_offeneposten(Tdm& dm, int kndnr, QWidget* parent) : QDialog(parent), m_dm(dm), m_kndnr(kndnr) {
    setObjectName(QStringLiteral("dlg_offeneposten_rechnungen"));
    setWindowTitle(QStringLiteral("Offene Posten"));
    resize(1000, 620);
    auto* haupt = new QVBoxLayout(this);
    haupt->addWidget(new QLabel(QStringLiteral("Offene Rechnungen:"), this));
    tb_rechnungen = tabelle(this, "tb_offene_rechnungen",
                            {QStringLiteral("Nummer"), QStringLiteral("Kunde"), QStringLiteral("Datum"),
                             QStringLiteral("fällig am"), QStringLiteral("Tage überfällig"), QStringLiteral("Betrag"),
                             QStringLiteral("bezahlt"), QStringLiteral("offen"), QStringLiteral("Mahnstufe")});
    tb_rechnungen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tb_rechnungen->setColumnWidth(1, 200);
    haupt->addWidget(tb_rechnungen, 3);
    lb_summe = new QLabel(this);
    lb_summe->setObjectName(QStringLiteral("lb_summe"));
    haupt->addWidget(lb_summe);
    haupt->addWidget(new QLabel(QStringLiteral("Noch nicht berechnete Kursteilnahmen:"), this));
    tb_teilnahmen = tabelle(this, "tb_nicht_berechnet",
                            {QStringLiteral("Kunde"), QStringLiteral("Hund"), QStringLiteral("Kurs"),
                             QStringLiteral("Zeitraum"), QStringLiteral("Gebühr")});
    tb_teilnahmen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tb_teilnahmen->setColumnWidth(0, 200);
    tb_teilnahmen->setColumnWidth(2, 260);
    tb_teilnahmen->setColumnWidth(3, 180);
    haupt->addWidget(tb_teilnahmen, 2);
    auto* knoepfe = new QHBoxLayout;
    bb_zahlung = knopf(this, "bb_zahlung", QStringLiteral("Zahlung erfassen"));
    bb_mahnen = knopf(this, "bb_mahnen", QStringLiteral("Erinnern / Mahnen"));
    bb_mahnen->setToolTip(QStringLiteral("Schreibt für die gewählten Rechnungen eines Kunden die nächste Stufe: "
                                         "Zahlungserinnerung, 1. Mahnung, 2. Mahnung"));
    bb_rechnung = knopf(this, "bb_rechnung", QStringLiteral("Rechnung erstellen"));
    bb_schliessen = knopf(this, "bb_schliessen", QStringLiteral("Schließen"));
    for (QPushButton* b : {bb_zahlung, bb_mahnen, bb_rechnung}) knoepfe->addWidget(b);
    knoepfe->addStretch(1);
    knoepfe->addWidget(bb_schliessen);
    haupt->addLayout(knoepfe);
    connect(bb_zahlung, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            const int z = tb_rechnungen->currentRow();
            if (z < 0 || z >= posten.size()) return;
            Tdlg_zahlung d(m_dm, posten[z].renr, this);
            d.exec();
            lesen();
        });
    });
    connect(bb_mahnen, &QPushButton::clicked, this, [this] { platform::guarded([this] { mahnen(); }); });
    connect(bb_rechnung, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            const int z = tb_teilnahmen->currentRow();
            if (z < 0 || z >= teilnahmen.size()) return;
            rechnungFuerKunden(m_dm, this, teilnahmen[z].kndnr);
            lesen();
        });
    });
    connect(bb_schliessen, &QPushButton::clicked, this, &QDialog::reject);
    lesen();
}

void Tdlg_offeneposten::lesen() {
    db::Connection* c = verbindung(m_dm);
    const QDate heute = QDate::currentDate();
    posten = offenePosten(c, heute, m_kndnr);
    teilnahmen = offeneTeilnahmen(c, m_kndnr);
    tb_rechnungen->setRowCount(int(posten.size()));
    Cent summe = 0;
    for (int i = 0; i < posten.size(); ++i) {
        const OffenerPosten& p = posten[i];
        summe += p.rest;
        tb_rechnungen->setItem(i, 0, zelle(p.nummer));
        tb_rechnungen->setItem(i, 1, zelle(p.kunde));
        tb_rechnungen->setItem(i, 2, zelle(datum(p.datum)));
        tb_rechnungen->setItem(i, 3, zelle(datum(p.faelligNeu.isValid() ? p.faelligNeu : p.faellig)));
        tb_rechnungen->setItem(i, 4, zelle(p.tageUeberfaellig > 0 ? QString::number(p.tageUeberfaellig) : QString(), true));
        tb_rechnungen->setItem(i, 5, zelle(betrag(p.brutto), true));
        tb_rechnungen->setItem(i, 6, zelle(betrag(p.bezahlt), true));
        tb_rechnungen->setItem(i, 7, zelle(betrag(p.rest), true));
        tb_rechnungen->setItem(i, 8, zelle(p.mahnstufe > 0 ? mahnstufeText(p.mahnstufe) + QStringLiteral(" vom ") +
                                                                 datum(p.gemahntAm)
                                                           : QString()));
    }
    lb_summe->setText(QStringLiteral("Offen: %1 in %2 Rechnungen").arg(betrag(summe)).arg(posten.size()));
    tb_teilnahmen->setRowCount(int(teilnahmen.size()));
    for (int i = 0; i < teilnahmen.size(); ++i) {
        const OffeneTeilnahme& t = teilnahmen[i];
        tb_teilnahmen->setItem(i, 0, zelle(t.kunde));
        tb_teilnahmen->setItem(i, 1, zelle(t.hund));
        tb_teilnahmen->setItem(i, 2, zelle(QStringLiteral("%1 %2").arg(t.kursnr, 4, 10, QLatin1Char('0')).arg(t.kursname)));
        tb_teilnahmen->setItem(i, 3, zelle(t.von.isValid() ? datum(t.von) + QStringLiteral(" – ") + datum(t.bis) : QString()));
        tb_teilnahmen->setItem(i, 4, zelle(betrag(t.gebuehr), true));
    }
}

void Tdlg_offeneposten::mahnen() {
    QVector<int> renrs;
    for (const QModelIndex& i : tb_rechnungen->selectionModel()->selectedRows())
        if (i.row() < posten.size()) renrs << posten[i.row()].renr;
    if (renrs.isEmpty()) {
        hinweis(QStringLiteral("Bitte wählen Sie die Rechnungen, an die erinnert werden soll."));
        return;
    }
    db::Connection* c = verbindung(m_dm);
    const Mahnschreiben m = rechnungen::mahnen(c, renrs, QDate::currentDate());
    const report::ReportPages seiten = mahnungsseiten(m, einstellungenLesen(c));
    lesen();
    report::previewReport(seiten, mahnstufeText(m.stufe), this);
}

// ------------------------------------------------------------- entries

void rechnungFuerKunden(Tdm& dm, QWidget* parent, int kndnr) {
    db::Connection* c = verbindung(dm);
    const Einstellungen e = einstellungenLesen(c);
    QVector<Position> vorschlag;
    for (const OffeneTeilnahme& t : offeneTeilnahmen(c, kndnr)) vorschlag << positionFuer(t, e);
    Tdlg_rechnung d(dm, kndnr, vorschlag, parent);
    d.exec();
}

void rechnungenFuerKurs(Tdm& dm, QWidget* parent, int kursnr) {
    const QVector<int> entwuerfe = entwuerfeFuerKurs(verbindung(dm), kursnr);
    const platform::Answer a = platform::dialogs().confirm(
        QStringLiteral("Für %1 Kunden wurde ein Rechnungsentwurf über die Kursgebühr angelegt.\r\r"
                       "Sollen die Rechnungen jetzt mit dem heutigen Datum ausgestellt werden? Mit \"Nein\" bleiben "
                       "sie Entwürfe, die Sie unter \"Rechnungen\" beim Kunden bearbeiten und ausstellen.")
            .arg(entwuerfe.size()),
        QStringLiteral("Rechnung erstellen"));
    if (a != platform::Answer::Ja) return;
    const QVector<Rechnung> r = ausstellenUndArchivieren(dm, entwuerfe, QDate::currentDate());
    hinweis(QStringLiteral("%1 Rechnungen wurden ausgestellt (%2 bis %3) und als PDF im Ordner \"%4\" abgelegt.")
                .arg(r.size())
                .arg(r.first().nummer, r.last().nummer, QDir::toNativeSeparators(archivordner())));
    Q_UNUSED(parent);
}

void rechnungenZeigen(Tdm& dm, QWidget* parent, int kndnr) {
    Tdlg_rechnungen d(dm, kndnr, parent);
    d.exec();
}

void offenePostenZeigen(Tdm& dm, QWidget* parent, int kndnr) {
    Tdlg_offeneposten d(dm, kndnr, parent);
    d.exec();
}

void rechnungsdatenBearbeiten(Tdm& dm, QWidget* parent) {
    Tdlg_rechnungsdaten d(dm, parent);
    d.exec();
}

// ------------------------------------------------------------- export

QString exportName(const QDate& von, const QDate& bis) {
    return QStringLiteral("Export-Steuerberater-%1-bis-%2")
        .arg(von.toString(QStringLiteral("yyyy-MM-dd")), bis.toString(QStringLiteral("yyyy-MM-dd")));
}

int exportieren(Tdm& dm, const QDate& von, const QDate& bis, const QString& csvDatei) {
    db::Connection* c = verbindung(dm);
    const QFileInfo info(csvDatei);
    if (!QDir().mkpath(info.absolutePath()))
        throw db::Error(QStringLiteral("Der Ordner \"%1\" konnte nicht angelegt werden.")
                            .arg(QDir::toNativeSeparators(info.absolutePath())));
    QFile f(csvDatei);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(exportCsv(c, von, bis)) < 0 || !f.flush())
        throw db::Error(QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden: %2")
                            .arg(QDir::toNativeSeparators(csvDatei), f.errorString()));
    f.close();
    int n = 0;
    QHash<QString, int> renrVon;  // read once, when a PDF is missing
    for (const QString& nummer : exportNummern(c, von, bis)) {
        QString archiv = archivdatei(nummer);
        if (!QFileInfo::exists(archiv)) {
            // An invoice whose PDF is missing (issued on another workstation
            // whose archive is elsewhere) is laid out again from its data.
            if (renrVon.isEmpty())
                for (const Rechnung& r : liste(c)) renrVon.insert(r.nummer, r.renr);
            archiv = archivieren(lesen(c, renrVon.value(nummer)));
        }
        const QString ziel = info.absolutePath() + QLatin1Char('/') + QFileInfo(archiv).fileName();
        QFile::remove(ziel);
        if (!QFile::copy(archiv, ziel))
            throw db::Error(QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden.").arg(QDir::toNativeSeparators(ziel)));
        QFile::setPermissions(ziel, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        ++n;
    }
    return n;
}

void exportDialog(Tdm& dm, QWidget* parent) {
    QDialog d(parent);
    d.setObjectName(QStringLiteral("dlg_export_steuerberater"));
    d.setWindowTitle(QStringLiteral("Export für den Steuerberater"));
    auto* f = new QFormLayout(&d);
    // Proposed: the last month.
    const QDate ersterDiesesMonats = QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1);
    auto* von = new QDateEdit(ersterDiesesMonats.addMonths(-1), &d);
    von->setObjectName(QStringLiteral("de_von"));
    auto* bis = new QDateEdit(ersterDiesesMonats.addDays(-1), &d);
    bis->setObjectName(QStringLiteral("de_bis"));
    for (QDateEdit* e : {von, bis}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    f->addRow(new QLabel(QStringLiteral("Rechnungen, Stornorechnungen und Zahlungen des Zeitraums als CSV-Datei "
                                        "(Semikolon, Windows-1252) und die PDF-Dateien der Rechnungen in einem Ordner."),
                         &d));
    f->addRow(QStringLiteral("von:"), von);
    f->addRow(QStringLiteral("bis:"), bis);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch(1);
    auto* ok = knopf(&d, "bb_ok", QStringLiteral("Exportieren..."));
    auto* ab = knopf(&d, "bb_abbrechen", QStringLiteral("Abbrechen"));
    knoepfe->addWidget(ok);
    knoepfe->addWidget(ab);
    f->addRow(knoepfe);
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(ab, &QPushButton::clicked, &d, &QDialog::reject);
    if (d.exec() != QDialog::Accepted) return;
    if (bis->date() < von->date()) {
        platform::dialogs().messageBox(QStringLiteral("Das Ende des Zeitraums liegt vor seinem Anfang."),
                                       platform::Icon::Warning);
        return;
    }
    const QString name = exportName(von->date(), bis->date());
    const QString vorschlag = datenschutz::dokumentenordner() + QLatin1Char('/') + name + QLatin1Char('/') +
                              QStringLiteral("Rechnungsausgang-%1-bis-%2.csv")
                                  .arg(von->date().toString(QStringLiteral("yyyy-MM-dd")),
                                       bis->date().toString(QStringLiteral("yyyy-MM-dd")));
    const QString datei = platform::dialogs().saveFileName(QStringLiteral("Export für den Steuerberater"), vorschlag,
                                                           QStringLiteral("CSV-Dateien (*.csv)"), QString(),
                                                           QStringLiteral("csv"));
    if (datei.isEmpty()) return;
    const int n = exportieren(dm, von->date(), bis->date(), datei);
    hinweis(QStringLiteral("Der Export wurde geschrieben: \"%1\" und %2 PDF-Dateien im selben Ordner.")
                .arg(QDir::toNativeSeparators(datei))
                .arg(n));
}

}  // namespace billing
