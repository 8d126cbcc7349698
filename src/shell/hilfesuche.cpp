#include "shell/hilfesuche.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/paths.h"
#include "shell/htmlbrowser.h"
#include "shell/ressourcen.h"
#include "shell/wb_hilfe.h"

platform::BeiBedarf<Tfrm_hilfesuche> frm_hilfesuche;

namespace {

struct Seitentext {
    QString titel, text;
};

Seitentext lesen(const QString& datei) {
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QTextDocument doc;
    doc.setHtml(HtmlBrowser::decodeHtml(f.readAll()));
    QString titel = doc.metaInformation(QTextDocument::DocumentTitle).trimmed();
    if (titel.isEmpty()) titel = QFileInfo(datei).completeBaseName();
    return {titel, doc.toPlainText()};
}

QStringList woerter(const QString& suchtext) {
    return suchtext.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool enthaeltAlle(const QString& titel, const QString& text, const QStringList& w) {
    for (const QString& wort : w)
        if (!text.contains(wort, Qt::CaseInsensitive) && !titel.contains(wort, Qt::CaseInsensitive))
            return false;
    return true;
}

// The pages of the help folder and of the folders shipped with the program
// (platform::lookupPaths); a page of the data directory hides the shipped
// page of the same name.
QStringList seitendateien(const QString& verzeichnis) {
    QMap<QString, QString> seiten;  // file name -> path, in name order
    for (const QString& ort : platform::lookupPaths(verzeichnis)) {
        QDir dir(ort);
        for (const QFileInfo& fi : dir.entryInfoList({QStringLiteral("*.htm"), QStringLiteral("*.html")},
                                                     QDir::Files | QDir::Readable, QDir::Name))
            if (!seiten.contains(fi.fileName())) seiten.insert(fi.fileName(), fi.absoluteFilePath());
    }
    return seiten.values();
}

void sortieren(QList<Hilfetreffer>& t) {
    std::stable_sort(t.begin(), t.end(), [](const Hilfetreffer& a, const Hilfetreffer& b) {
        return QString::localeAwareCompare(a.titel, b.titel) < 0;
    });
}

}  // namespace

QList<Hilfetreffer> hilfeseitenSuchen(const QString& verzeichnis, const QString& suchtext) {
    const QStringList w = woerter(suchtext);
    QList<Hilfetreffer> result;
    for (const QString& datei : seitendateien(verzeichnis)) {
        const Seitentext s = lesen(datei);
        if (enthaeltAlle(s.titel, s.text, w)) result.append({datei, s.titel});
    }
    sortieren(result);
    return result;
}

Tfrm_hilfesuche::Tfrm_hilfesuche(QWidget* parent) : QDialog(parent) {
    ressourcenLaden();
    setObjectName(QStringLiteral("frm_hilfesuche"));
    setWindowTitle(QStringLiteral("In der Hilfe suchen"));
    setWindowIcon(QIcon(QStringLiteral(":/kynovia.png")));
    resize(380, 340);

    auto* layout = new QVBoxLayout(this);
    auto* l = new QLabel(QStringLiteral("&Suchbegriffe (alle müssen vorkommen):"), this);
    layout->addWidget(l);
    e_suchtext = new QLineEdit(this);
    e_suchtext->setObjectName(QStringLiteral("e_suchtext"));
    e_suchtext->setClearButtonEnabled(true);
    l->setBuddy(e_suchtext);
    layout->addWidget(e_suchtext);
    auto* l2 = new QLabel(QStringLiteral("&Gefundene Hilfeseiten:"), this);
    layout->addWidget(l2);
    lb_treffer = new QListWidget(this);
    lb_treffer->setObjectName(QStringLiteral("lb_treffer"));
    l2->setBuddy(lb_treffer);
    layout->addWidget(lb_treffer, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    b_anzeigen = new QPushButton(QStringLiteral("&Anzeigen"), this);
    b_anzeigen->setObjectName(QStringLiteral("b_anzeigen"));
    b_anzeigen->setDefault(true);
    b_schliessen = new QPushButton(QStringLiteral("Schliessen"), this);
    b_schliessen->setObjectName(QStringLiteral("b_schliessen"));
    buttons->addWidget(b_anzeigen);
    buttons->addWidget(b_schliessen);
    layout->addLayout(buttons);

    connect(e_suchtext, &QLineEdit::textChanged, this, [this] { e_suchtextChange(); });
    connect(b_anzeigen, &QPushButton::clicked, this, [this] { b_anzeigenClick(); });
    connect(b_schliessen, &QPushButton::clicked, this, &QDialog::close);
    connect(lb_treffer, &QListWidget::itemActivated, this, [this] { b_anzeigenClick(); });
}

void Tfrm_hilfesuche::seitenLesen() {
    m_seiten.clear();
    for (const QString& datei : seitendateien(m_verzeichnis)) {
        const Seitentext s = lesen(datei);
        m_seiten.append({datei, s.titel, s.text});
    }
}

void Tfrm_hilfesuche::start(const QString& verzeichnis, const QString& suchtext) {
    m_verzeichnis = verzeichnis;
    seitenLesen();  // the pages are read once per search window opening
    if (e_suchtext->text() == suchtext) e_suchtextChange();
    else e_suchtext->setText(suchtext);
    e_suchtext->setFocus();
    e_suchtext->selectAll();
}

void Tfrm_hilfesuche::e_suchtextChange() {
    const QStringList w = woerter(e_suchtext->text());
    QList<Hilfetreffer> t;
    for (const Seite& s : m_seiten)
        if (enthaeltAlle(s.titel, s.text, w)) t.append({s.datei, s.titel});
    sortieren(t);
    lb_treffer->clear();
    for (const Hilfetreffer& h : t) {
        auto* item = new QListWidgetItem(h.titel, lb_treffer);
        item->setData(Qt::UserRole, h.datei);
        item->setToolTip(QFileInfo(h.datei).fileName());
    }
    if (lb_treffer->count() > 0) lb_treffer->setCurrentRow(0);
    b_anzeigen->setEnabled(lb_treffer->count() > 0);
}

void Tfrm_hilfesuche::b_anzeigenClick() {
    QListWidgetItem* item = lb_treffer->currentItem();
    if (!item) return;
    if (frm_wb_hilfe) frm_wb_hilfe->zeigeSeite(item->data(Qt::UserRole).toString());
}

QString Hilfeanzeige::verzeichnis(const QString& helpFile) {
    return QFileInfo(platform::mapPath(helpFile)).absolutePath();
}

void Hilfeanzeige::showContents(const QString& helpFile) {
    if (!frm_wb_hilfe) return;
    frm_wb_hilfe->zeigeSeite(platform::findFile(verzeichnis(helpFile) + QStringLiteral("/inhalt.htm")));
}

void Hilfeanzeige::search(const QString& helpFile, const QString& key) {
    if (!frm_hilfesuche) return;
    frm_hilfesuche->start(verzeichnis(helpFile), key);
    frm_hilfesuche->show();
    frm_hilfesuche->raise();
    frm_hilfesuche->activateWindow();
}
