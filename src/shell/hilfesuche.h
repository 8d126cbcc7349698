#pragma once
// The help menu's viewer: "Inhalt..." shows the help index in the help
// window, "In der Hilfe Suchen nach..." opens a search over the text of all
// help pages. The help file the menu names only tells where the pages are:
// its directory holds them (*.htm).
#include "platform/beibedarf.h"
#include <QDialog>
#include <QList>
#include <QPointer>

#include "platform/helpviewer.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// One help page found by the search.
struct Hilfetreffer {
    QString datei;  // absolute path
    QString titel;  // the page's title, else its file name
};

// The pages in `verzeichnis` (*.htm, *.html) whose title and text contain
// every word of `suchtext` (case-insensitive), ordered by title. An empty
// text finds every page. For the help folder below the data directory the
// pages shipped with the program count as well, unless the folder has a
// page of the same name.
QList<Hilfetreffer> hilfeseitenSuchen(const QString& verzeichnis, const QString& suchtext);

// The search dialog: a search field, the list of pages found, "Anzeigen"
// opens the chosen page in the help window.
class Tfrm_hilfesuche : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_hilfesuche(QWidget* parent = nullptr);

    // Searches `verzeichnis`, starting with `suchtext`.
    void start(const QString& verzeichnis, const QString& suchtext);

    QLineEdit* e_suchtext = nullptr;
    QListWidget* lb_treffer = nullptr;
    QPushButton* b_anzeigen = nullptr;
    QPushButton* b_schliessen = nullptr;

    void e_suchtextChange();
    void b_anzeigenClick();

private:
    struct Seite {
        QString datei, titel, text;
    };
    void seitenLesen();
    QString m_verzeichnis;
    QList<Seite> m_seiten;
};

extern platform::BeiBedarf<Tfrm_hilfesuche> frm_hilfesuche;

// The viewer the help menu uses (installed by the main window).
class Hilfeanzeige : public platform::HelpViewer {
public:
    // Shows the help window and the help search window the program made at
    // its start (frm_wb_hilfe, frm_hilfesuche); without them it shows nothing.
    void showContents(const QString& helpFile) override;
    void search(const QString& helpFile, const QString& key = QString()) override;
    // The directory of the help pages for a help file text ("C:\kynovia\help\X.HLP").
    static QString verzeichnis(const QString& helpFile);
};
