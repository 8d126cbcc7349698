#include "shell/wb_hilfe.h"

#include <QIcon>
#include <QVBoxLayout>

#include "shell/Main.h"
#include "shell/htmlbrowser.h"
#include "shell/ressourcen.h"

platform::BeiBedarf<Tfrm_wb_hilfe> frm_wb_hilfe;

Tfrm_wb_hilfe::Tfrm_wb_hilfe(QWidget* parent) : QWidget(parent, Qt::Window) {
    ressourcenLaden();
    setObjectName(QStringLiteral("frm_wb_hilfe"));
    setWindowTitle(QStringLiteral("Kynovia Hilfe"));
    setWindowIcon(QIcon(QStringLiteral(":/kynovia.png")));
    resize(640, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    wb_hilfe = new HtmlBrowser(this);
    wb_hilfe->setObjectName(QStringLiteral("wb_hilfe"));
    layout->addWidget(wb_hilfe);
    // The first-start page offers its switch-off link here too.
    wb_hilfe->beforeNavigate = [](const QString& target, bool& cancel) {
        if (!target.contains(QLatin1String("erststartaus"))) return;
        cancel = true;
        if (frm_main) frm_main->erststarthilfeAusschalten();
    };
}

void Tfrm_wb_hilfe::zeigeSeite(const QString& filePath) {
    wb_hilfe->navigate(filePath);
    if (isMinimized()) showNormal();
    else show();
    raise();
    activateWindow();
}
