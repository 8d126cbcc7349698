#include "staff_docs/datei_ausfuehren.h"

#include "platform/shell.h"

bool datei_ausfuehren(QWidget* owner, const QString& verb, const QString& pfad,
                      const QString& parameter, const QString& verzeichnis, int anzeige) {
    (void)owner;
    (void)parameter;
    (void)verzeichnis;
    (void)anzeige;
    const QString v = verb.trimmed().toLower();
    if (v.isEmpty() || v == QLatin1String("open")) return platform::shell().openFile(pfad);
    if (v == QLatin1String("print")) return platform::shell().printFile(pfad);
    return false;
}
