#include "courses/kursbelegung.h"

#include "data/datenmodul.h"
#include "platform/dialogs.h"

QString kurs_voll_frage(int teilnehmer) {
    return QStringLiteral("Der Kurs ist mit %1 Teilnehmern voll. Trotzdem aufnehmen?").arg(teilnehmer);
}

int kurs_teilnehmerzahl(Tdm& data, int kursnr) {
    return data.scalar(QStringLiteral("select count(*) from teilnehmer where kursnr = ?"), {kursnr}).toInt();
}

bool kurs_platz_oder_trotzdem(Tdm& data, int kursnr) {
    const QVariant max = data.scalar(QStringLiteral("select maxteilnehmer from kurse where kursnr = ?"), {kursnr});
    if (max.isNull() || !max.isValid() || max.toInt() <= 0) return true;
    const int anzahl = kurs_teilnehmerzahl(data, kursnr);
    if (anzahl < max.toInt()) return true;
    return platform::dialogs().confirm(kurs_voll_frage(anzahl), QStringLiteral("Bestätigung"),
                                       platform::Buttons::JaNein) == platform::Answer::Ja;
}

QString kursauswahl_filter(KursAuswahl auswahl) {
    // The special course -1 (consultations) never shows in the list.
    const QString basis = QStringLiteral("kursnr>0");
    switch (auswahl) {
    case KursAuswahl::Aktive:
        return basis + QStringLiteral(" and (status=\"A\" or status is null)");
    case KursAuswahl::Beendete:
        return basis + QStringLiteral(" and status=\"B\"");
    case KursAuswahl::Alle:
        break;
    }
    return basis;
}

void kursauswahl_setzen(db::Table* kurse, KursAuswahl auswahl) {
    if (!kurse) return;
    // A course being typed is saved before the list changes; when that
    // fails, the error propagates and the list stays as it is.
    if (kurse->isActive()) kurse->checkBrowseMode();
    kurse->setFilter(kursauswahl_filter(auswahl));
    kurse->setFiltered(true);
}
