#include "shell/globals.h"

// Set when the unit initialises, before the first window exists.
QString installverzeichnis = QStringLiteral("c:\\kynovia");
QString programmversion = QStringLiteral("1.3");
