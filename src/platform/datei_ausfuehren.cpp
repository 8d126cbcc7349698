#include "platform/datei_ausfuehren.h"

#include "platform/dialogs.h"
#include "platform/shell.h"

QString druckenImProgramm(const QString& pfad) {
    return QStringLiteral("Die Datei %1 kann Kynovia nicht direkt zum Drucker schicken. Sie wird in ihrem "
                          "Programm geöffnet; bitte drucken Sie sie dort (meist über Datei, Drucken).")
        .arg(pfad);
}

bool datei_ausfuehren(QWidget* owner, const QString& verb, const QString& pfad,
                      const QString& parameter, const QString& verzeichnis, int anzeige) {
    (void)owner;
    (void)parameter;
    (void)verzeichnis;
    (void)anzeige;
    const QString v = verb.trimmed().toLower();
    if (v.isEmpty() || v == QLatin1String("open")) return platform::shell().openFile(pfad);
    if (v == QLatin1String("print")) {
        // What the print system cannot print opens in its own program, with
        // the hint to print it from there.
        const QString datei = platform::resolveFile(pfad);
        if (datei.isEmpty() || platform::printSystemCanPrint(datei)) return platform::shell().printFile(pfad);
        if (!platform::shell().openFile(pfad)) return false;
        platform::dialogs().messageBox(druckenImProgramm(pfad), platform::Icon::Information);
        return true;
    }
    return false;
}
