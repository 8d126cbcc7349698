#include "shell/ressourcen.h"

#include <QtGlobal>

static void initKynoviaResources() { Q_INIT_RESOURCE(kynovia); }

void ressourcenLaden() {
    static const bool done = (initKynoviaResources(), true);
    (void)done;
}
