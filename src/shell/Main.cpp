#include "shell/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "courses/kursaktionen.h"
#include "courses/terminsuche.h"
#include "customers/datenschutz_ui.h"
#include "billing/rechnungsfenster.h"
#include "customers/offeneposten.h"
#include "platform/rechnungswege.h"
#include "data/backup.h"
#include "data/datenmodul.h"
#include "db/dataset.h"
#include "db/transaction.h"
#include "platform/application.h"
#include "widgets/common.h"
#include "platform/dialogs.h"
#include "platform/helpviewer.h"
#include "platform/meldungen.h"
#include "platform/paths.h"
#include "shell/about.h"
#include "shell/globals.h"
#include "shell/htmlbrowser.h"
#include "shell/notizblock.h"
#include "shell/ressourcen.h"
#include "shell/stammdaten.h"
#include "widgets/captionpanel.h"
#include "widgets/icon.h"

using widgets::CaptionPanel;

QPointer<Tfrm_main> frm_main;

namespace {

constexpr int kNavigatorBreite = 185;
constexpr int kNavigatorStreifen = 30;
constexpr int kNavigatorFuehler = 15;
constexpr int kAssistentBreite = 200;

// Hot tracking: the item under the mouse is drawn underlined in the link
// colour, as the navigator of the original desktop did.
class HotTrackDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_MouseOver) {
            option->font.setUnderline(true);
            option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Link));
        }
    }
};

// The long part of a hint: the text after "|", or the whole hint.
QString langerHinweis(const QString& hint) {
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

// The short part: the text before "|", or the whole hint.
QString kurzerHinweis(const QString& hint) {
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

void setHinweis(QWidget* w, const QString& hint, bool tooltip = true) {
    w->setStatusTip(hint);
    if (tooltip) w->setToolTip(kurzerHinweis(hint));
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption, const QString& hint) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setStatusTip(hint);
    return a;
}

void filterAus(db::Dataset* ds) {
    ds->setFiltered(false);
    ds->setFilter(QString());
}

// Shows a window modally: a dialog runs its own loop, another window is
// made application-modal.
void modalZeigen(QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w)) {
        d->exec();
        return;
    }
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace

// ---------------------------------------------------------------------------
// NavigatorTree

NavigatorTree::NavigatorTree(QWidget* parent) : QTreeWidget(parent) {}

QTreeWidgetItem* NavigatorTree::eintragBei(const QPoint& pos) const {
    QTreeWidgetItem* it = itemAt(pos);
    if (!it) return nullptr;
    // The rectangle of an item starts right of its expand button.
    const QRect r = visualItemRect(it);
    return pos.x() >= r.left() ? it : nullptr;
}

void NavigatorTree::mousePressEvent(QMouseEvent* e) {
    m_gedrueckt = e->button() == Qt::LeftButton ? eintragBei(e->position().toPoint()) : nullptr;
    QTreeWidget::mousePressEvent(e);
}

void NavigatorTree::mouseDoubleClickEvent(QMouseEvent* e) {
    // The release after a double click is no second order to run the entry.
    m_doppelklick = true;
    QTreeWidget::mouseDoubleClickEvent(e);
}

void NavigatorTree::mouseReleaseEvent(QMouseEvent* e) {
    QTreeWidget::mouseReleaseEvent(e);
    const bool doppelklick = std::exchange(m_doppelklick, false);
    QTreeWidgetItem* gedrueckt = std::exchange(m_gedrueckt, nullptr);
    if (e->button() != Qt::LeftButton || doppelklick || !gedrueckt) return;
    QTreeWidgetItem* it = eintragBei(e->position().toPoint());
    if (it != gedrueckt || it != currentItem()) return;
    // A group opens on a click on its name, also when it was selected
    // already (and closed with its button meanwhile).
    if (!it->parent() && it->childCount() > 0) it->setExpanded(true);
    emit mouseClicked();
}

void NavigatorTree::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
        e->accept();
        if (!currentItem()->parent()) currentItem()->setExpanded(!currentItem()->isExpanded());
        else emit mouseClicked();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

void NavigatorTree::focusInEvent(QFocusEvent* e) {
    // An item view makes its first item current when it gets the focus
    // without one; the navigator then would open "Kunden" at the start.
    // Only a click or a key selects here.
    if (!currentItem()) {
        QAbstractScrollArea::focusInEvent(e);
        viewport()->update();
        return;
    }
    QTreeWidget::focusInEvent(e);
}

// ---------------------------------------------------------------------------
// Creation

Tfrm_main::Tfrm_main(QWidget* parent) : QMainWindow(parent) {
    ressourcenLaden();
    setObjectName(QStringLiteral("frm_main"));
    setWindowIcon(widgets::iconBeiBedarf(QStringLiteral(":/kynovia.png")));
    beenden = [] { QCoreApplication::quit(); };

    // FormCreate: caption and first status panel.
    m_versionText = QStringLiteral("Kynovia Version ") + programmversion;
    setWindowTitle(m_versionText);

    StatusLine = new QStatusBar(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusPanel0 = new QLabel(m_versionText, StatusLine);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(500);
    StatusPanel1 = new QLabel(QStringLiteral("Kunden"), StatusLine);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setMinimumWidth(50);  // the last panel takes the rest of the bar
    StatusLine->addWidget(StatusPanel0, 0);
    StatusLine->addWidget(StatusPanel1, 1);
    b_wiederverbinden = new QPushButton(QStringLiteral("Erneut verbinden"), StatusLine);
    b_wiederverbinden->setObjectName(QStringLiteral("b_wiederverbinden"));
    b_wiederverbinden->setToolTip(QStringLiteral("Die Verbindung zur Datenbank wieder herstellen"));
    b_wiederverbinden->hide();
    StatusLine->addPermanentWidget(b_wiederverbinden);
    connect(b_wiederverbinden, &QPushButton::clicked, this, [this] {
        platform::guarded([this] {
            if (m_dm) m_dm->verbindungWiederherstellen();
        });
    });
    setStatusBar(StatusLine);

    auto* mitte = new QWidget(this);
    mitte->setObjectName(QStringLiteral("Mitte"));
    auto* layout = new QHBoxLayout(mitte);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    buildNavigator();
    ClientArea = new QMdiArea(mitte);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientArea->setViewMode(QMdiArea::SubWindowView);
    // Child windows larger than the area (tiled on a small screen) scroll
    // instead of making the main window larger than the screen.
    ClientArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ClientArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A child window that becomes active shows what the other windows saved
    // meanwhile (a dog changed in the dog search, then the customer window).
    connect(ClientArea, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* sub) {
        if (!sub) return;
        platform::guarded([&] {
            widgets::resyncDatasets(sub->widget());
        });
    });
    buildAssistent();

    layout->addWidget(jcp_navigator);
    layout->addWidget(ClientArea, 1);
    layout->addWidget(jcp_assistent);
    setCentralWidget(mitte);

    buildMenus();
    setAssistentMitte(false);

    // The help menu's viewer, unless one was installed already (tests).
    platform::HelpViewer* previous = platform::setHelpViewer(&m_hilfeanzeige);
    if (previous) platform::setHelpViewer(previous);
    else m_hilfeanzeigeInstalled = true;

    plugWorkingWindows(*this);
    setFensterwahl(this);
    setWindowState(windowState() | Qt::WindowMaximized);
}

Tfrm_main::~Tfrm_main() {
    fensterwahlAbmelden(this);
    if (m_dm) platform::rechnungswege() = platform::Rechnungswege();
    if (m_hilfeanzeigeInstalled) {
        platform::HelpViewer* current = platform::setHelpViewer(nullptr);
        if (current != &m_hilfeanzeige) platform::setHelpViewer(current);
    }
}

void Tfrm_main::buildMenus() {
    // The menu row: the menu bar and, at its right end, the notepad button.
    // Because the row is not a bare menu bar, a maximised child window keeps
    // its own title bar with its buttons instead of putting them into the
    // menu bar's corners, where they would cover the notepad button.
    auto* menuZeile = new QWidget(this);
    menuZeile->setObjectName(QStringLiteral("MenuZeile"));
    auto* zeile = new QHBoxLayout(menuZeile);
    zeile->setContentsMargins(0, 0, 2, 0);
    zeile->setSpacing(0);
    MainMenu = new QMenuBar(menuZeile);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    zeile->addWidget(MainMenu, 1);
    setMenuWidget(menuZeile);

    QMenu* datei = MainMenu->addMenu(QStringLiteral("Datei"));
    datei->setObjectName(QStringLiteral("Datei1"));
    Dateiimportieren1 = menuItem(datei, "Dateiimportieren1", QStringLiteral("Datei importieren"), QString());
    connect(Dateiimportieren1, &QAction::triggered, this, [this] { Dateiimportieren1Click(); });
    OffenePosten1 = menuItem(datei, "OffenePosten1", QStringLiteral("Offene Posten"),
                             QStringLiteral("Zeigt die noch nicht bezahlten Kursteilnahmen aller Kunden mit ihrer Summe."));
    connect(OffenePosten1, &QAction::triggered, this, [this] { OffenePosten1Click(); });
    ExportSteuerberater1 = menuItem(datei, "ExportSteuerberater1", QStringLiteral("Export für den Steuerberater..."),
                                    QStringLiteral("Schreibt die Rechnungen, Stornorechnungen und Zahlungen eines "
                                                   "Zeitraums als CSV-Datei mit den PDF-Dateien in einen Ordner."));
    connect(ExportSteuerberater1, &QAction::triggered, this, [this] {
        platform::guarded([this] {
            hilfeseite_laden(QStringLiteral("\\help\\steuerberater.htm"));
            billing::exportDialog(*m_dm, this);
        });
    });
    datei->addSeparator();
    Datensicherungerstellen1 =
        menuItem(datei, "Datensicherungerstellen1", QStringLiteral("Datensicherung erstellen..."),
                 QStringLiteral("Schreibt eine Sicherung aller Daten in eine Datei."));
    connect(Datensicherungerstellen1, &QAction::triggered, this, [this] { Datensicherungerstellen1Click(); });
    Datensicherungeinspielen1 =
        menuItem(datei, "Datensicherungeinspielen1", QStringLiteral("Datensicherung einspielen..."),
                 QStringLiteral("Ersetzt alle Daten durch die Daten einer Datensicherung."));
    connect(Datensicherungeinspielen1, &QAction::triggered, this, [this] { Datensicherungeinspielen1Click(); });

    QMenu* rechnungen = MainMenu->addMenu(QStringLiteral("Rechnungen"));
    rechnungen->setObjectName(QStringLiteral("Rechnungen1Menu"));
    Rechnungen1 = menuItem(rechnungen, "Rechnungen1", QStringLiteral("Alle Rechnungen"),
                           QStringLiteral("Alle Rechnungen und Stornorechnungen mit ihrem Stand."));
    OffeneRechnungen1 = menuItem(rechnungen, "OffeneRechnungen1", QStringLiteral("Offene Rechnungen und Mahnungen"),
                                 QStringLiteral("Offene Rechnungen mit Fälligkeit und Tagen im Verzug, daneben die noch "
                                                "nicht berechneten Kursteilnahmen; Zahlungserinnerung und Mahnungen."));
    connect(Rechnungen1, &QAction::triggered, this, [this] {
        platform::guarded([this] {
            hilfeseite_laden(QStringLiteral("\\help\\rechnungen.htm"));
            billing::rechnungenZeigen(*m_dm, this, 0);
        });
    });
    connect(OffeneRechnungen1, &QAction::triggered, this, [this] {
        platform::guarded([this] {
            hilfeseite_laden(QStringLiteral("\\help\\offenerechnungen.htm"));
            billing::offenePostenZeigen(*m_dm, this, 0);
        });
    });

    QMenu* vorlagen = MainMenu->addMenu(QStringLiteral("Vorlagen"));
    vorlagen->setObjectName(QStringLiteral("Vorlagen1"));
    vorlagen->menuAction()->setStatusTip(QStringLiteral("Hier können Sie Vorlagen anlegen."));
    VorlagenKurse1 = menuItem(vorlagen, "VorlagenKurse1", QStringLiteral("Vorlagen Kurse"),
                              QStringLiteral("Definieren Sie hier Vorlagen um Kurse schneller anzulegen."));
    connect(VorlagenKurse1, &QAction::triggered, this, [this] { VorlagenKurse1Click(); });

    QMenu* konfiguration = MainMenu->addMenu(QStringLiteral("Konfiguration"));
    konfiguration->setObjectName(QStringLiteral("Konfiguration1"));
    konfiguration->menuAction()->setStatusTip(QStringLiteral("Dies ist das Konfigurationsmenue."));
    Stammdaten1 = menuItem(konfiguration, "Stammdaten1", QStringLiteral("Stammdaten"),
                           QStringLiteral("Hier tragen Sie die Stammdaten Ihres Unternehmens eins."));
    connect(Stammdaten1, &QAction::triggered, this, [this] { Stammdaten1Click(); });
    Rechnungsdaten1 = menuItem(konfiguration, "Rechnungsdaten1", QStringLiteral("Rechnungsdaten"),
                               QStringLiteral("Steuer, Bankverbindung, Rechnungsnummern und Zahlungsziel für Ihre "
                                              "Rechnungen."));
    connect(Rechnungsdaten1, &QAction::triggered, this, [this] {
        platform::guarded([this] {
            hilfeseite_laden(QStringLiteral("\\help\\rechnungsdaten.htm"));
            billing::rechnungsdatenBearbeiten(*m_dm, this);
        });
    });

    QMenu* fenster = MainMenu->addMenu(QStringLiteral("Fenster"));
    fenster->setObjectName(QStringLiteral("Fenster1"));
    fenster->menuAction()->setStatusTip(QStringLiteral("Steuert die Anordnung der Fenster."));
    Nebeneinander1 = menuItem(fenster, "Nebeneinander1", QStringLiteral("Nebeneinander"),
                              QStringLiteral("Alle Fenster nebeneinander"));
    Hintereinander1 = menuItem(fenster, "Hintereinander1", QStringLiteral("Hintereinander"),
                               QStringLiteral("Alle Fenster hintereinander"));
    AlleAnordnen1 = menuItem(fenster, "AlleAnordnen1", QStringLiteral("Alle Anordnen"),
                             QStringLiteral("Automatisch anordnen"));
    connect(Nebeneinander1, &QAction::triggered, this, [this] { Nebeneinander1Click(); });
    connect(Hintereinander1, &QAction::triggered, this, [this] { Hintereinander1Click(); });
    connect(AlleAnordnen1, &QAction::triggered, this, [this] { AlleAnordnen1Click(); });

    QMenu* hilfe = MainMenu->addMenu(QStringLiteral("&Hilfe"));
    hilfe->setObjectName(QStringLiteral("Hilfe1"));
    Inhalt1 = menuItem(hilfe, "Inhalt1", QStringLiteral("Inhalt..."), QStringLiteral("Ruft die Hilfe auf."));
    InderHilfeSuchennach1 = menuItem(hilfe, "InderHilfeSuchennach1",
                                     QStringLiteral("In der Hilfe &Suchen nach..."),
                                     QStringLiteral("In der Hilfe suchen."));
    hilfe->addSeparator();
    Ueber1 = menuItem(hilfe, "Ueber1", QStringLiteral("Über..."),
                      QStringLiteral("Informationen über dieses Programm."));
    connect(Inhalt1, &QAction::triggered, this, [this] { Inhalt1Click(); });
    connect(InderHilfeSuchennach1, &QAction::triggered, this, [this] { InderHilfeSuchennach1Click(); });
    connect(Ueber1, &QAction::triggered, this, [this] { Ueber1Click(); });

    // The notepad button. A button in the title bar itself is not possible
    // on every window manager, so it sits at the right end of the menu row.
    JvaCaptionButton1 = new QToolButton(menuZeile);
    JvaCaptionButton1->setObjectName(QStringLiteral("JvaCaptionButton1"));
    JvaCaptionButton1->setIcon(widgets::iconBeiBedarf(QStringLiteral(":/icons/16/notizblock.png")));
    JvaCaptionButton1->setAutoRaise(true);
    JvaCaptionButton1->setToolTip(QStringLiteral("Notizblock"));
    JvaCaptionButton1->setStatusTip(QStringLiteral("Notizblock"));
    JvaCaptionButton1->setFocusPolicy(Qt::NoFocus);
    connect(JvaCaptionButton1, &QToolButton::clicked, this, [this] { JvaCaptionButton1Click(); });
    zeile->addWidget(JvaCaptionButton1);
    menuZeile->setAutoFillBackground(true);
    menuZeile->setBackgroundRole(MainMenu->backgroundRole());
}

void Tfrm_main::buildNavigator() {
    jcp_navigator = new CaptionPanel(this);
    jcp_navigator->setObjectName(QStringLiteral("jcp_navigator"));
    jcp_navigator->setCaption(QStringLiteral("Navigator"));
    jcp_navigator->setButtons(CaptionPanel::MaximizeButton | CaptionPanel::MinimizeButton);
    QFont cf = jcp_navigator->captionFont();
    cf.setBold(true);
    cf.setPixelSize(13);
    jcp_navigator->setCaptionFont(cf);
    jcp_navigator->setCaptionTextColor(Qt::white);
    connect(jcp_navigator, &CaptionPanel::maximizeClicked, this, [this] { jcp_navigatorMaximize(); });
    connect(jcp_navigator, &CaptionPanel::minimizeClicked, this, [this] { jcp_navigatorMinimize(); });
    connect(jcp_navigator, &CaptionPanel::mouseMoved, this,
            [this](const QPoint& pos) { jcp_navigatorMouseMove(pos.x()); });

    auto* inhalt = new QWidget(jcp_navigator);
    inhalt->setObjectName(QStringLiteral("NavigatorInhalt"));
    auto* v = new QVBoxLayout(inhalt);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    auto* leiste = new QWidget(inhalt);
    leiste->setObjectName(QStringLiteral("Panel1"));
    auto* h = new QHBoxLayout(leiste);
    h->setContentsMargins(2, 2, 2, 2);
    h->setSpacing(2);
    JvHTButton2 = new QPushButton(widgets::iconBeiBedarf(QStringLiteral(":/icons/16/hilfe.png")), QStringLiteral("Assistent"), leiste);
    JvHTButton2->setObjectName(QStringLiteral("JvHTButton2"));
    setHinweis(JvHTButton2, QStringLiteral("Ruft den Assistenten auf."));
    JvHTButton1 = new QPushButton(widgets::iconBeiBedarf(QStringLiteral(":/icons/16/inhalt.png")), QStringLiteral("Inhalt"), leiste);
    JvHTButton1->setObjectName(QStringLiteral("JvHTButton1"));
    setHinweis(JvHTButton1, QStringLiteral("Zeigt die Hilfe im Assistenten an."));
    for (QPushButton* b : {JvHTButton2, JvHTButton1}) {
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
        h->addWidget(b);
    }
    h->addStretch(1);
    connect(JvHTButton1, &QPushButton::clicked, this, [this] { JvHTButton1Click(); });
    connect(JvHTButton2, &QPushButton::clicked, this, [this] { JvHTButton2Click(); });
    v->addWidget(leiste);

    buildTree();
    tv_navigator->setParent(inhalt);
    v->addWidget(tv_navigator, 1);
    jcp_navigator->setContentWidget(inhalt);

    // At least 185 pixels, and wide enough that no entry is cut off with the
    // screen's font ("Neu aufnehmen", "Alte Kundendaten").
    const QFontMetrics fm = tv_navigator->fontMetrics();
    int breit = 0;
    for (int i = 0; i < tv_navigator->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = tv_navigator->topLevelItem(i);
        breit = std::max(breit, tv_navigator->indentation() + fm.horizontalAdvance(g->text(0)));
        for (int j = 0; j < g->childCount(); ++j)
            breit = std::max(breit, 2 * tv_navigator->indentation() + fm.horizontalAdvance(g->child(j)->text(0)));
    }
    breit += tv_navigator->iconSize().width() + 20;  // icon, its gap and the item's margins
    m_navigatorBreite = std::max(kNavigatorBreite, jcp_navigator->captionSize() + breit);
    jcp_navigator->setFixedWidth(m_navigatorBreite);
}

void Tfrm_main::buildTree() {
    tv_navigator = new NavigatorTree(jcp_navigator);
    tv_navigator->setObjectName(QStringLiteral("tv_navigator"));
    tv_navigator->setHeaderHidden(true);
    tv_navigator->setColumnCount(1);
    tv_navigator->setFrameShape(QFrame::NoFrame);
    tv_navigator->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv_navigator->setIndentation(19);
    tv_navigator->setMouseTracking(true);
    tv_navigator->setAttribute(Qt::WA_Hover);
    tv_navigator->setItemDelegate(new HotTrackDelegate(tv_navigator));
    tv_navigator->setSelectionMode(QAbstractItemView::SingleSelection);
    tv_navigator->setIconSize(QSize(16, 16));
    QPalette p = tv_navigator->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    tv_navigator->setPalette(p);
    // The hint goes to the status bar only.
    tv_navigator->setStatusTip(QStringLiteral("Wählen Sie die gewünschte Funktion im Navigator."));

    struct Gruppe {
        const char* text;
        const char* icon;
        std::vector<std::pair<const char*, const char*>> eintraege;
    };
    const std::vector<Gruppe> baum = {
        {"Kunden", "kunden",
         {{"Übersicht", "uebersicht"}, {"Suchen", "suchen"}, {"Bearbeiten", "bearbeiten"}, {"Neu aufnehmen", "neu"},
          {"Datenauskunft", "datenauskunft"}, {"Alte Kundendaten", "altdaten"}}},
        {"Hunde", "hunde", {{"Suchen", "suchen"}}},
        {"Termine", "termine", {{"Anzeigen", "anzeigen"}, {"Suchen", "suchen"}}},
        {"Kurse", "kurse",
         {{"Anzeigen", "anzeigen"}, {"Neu anlegen", "neu"}, {"Verschieben", "verschieben"}, {"Stornieren", "stornieren"}}},
        {"Trainer", "trainer", {{"Übersicht", "uebersicht"}, {"Neu anlegen", "neu"}}},
        {"Dokumente", "dokumente", {{"Verwaltung", "verwaltung"}}},
    };
    auto icon = [](const char* name) {
        // Read when drawn: the entries of the collapsed groups are not drawn at the start.
        return widgets::iconBeiBedarf(QStringLiteral(":/icons/16/") + QLatin1String(name) + QStringLiteral(".png"));
    };
    for (const Gruppe& g : baum) {
        auto* gi = new QTreeWidgetItem(tv_navigator, {QString::fromUtf8(g.text)});
        gi->setIcon(0, icon(g.icon));
        for (const auto& [text, ic] : g.eintraege) {
            auto* ei = new QTreeWidgetItem(gi, {QString::fromUtf8(text)});
            ei->setIcon(0, icon(ic));
        }
    }
    tv_navigator->collapseAll();

    connect(tv_navigator, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { tv_navigatorChange(current); });
    connect(tv_navigator, &NavigatorTree::mouseClicked, this, [this] { tv_navigatorClick(); });
}

void Tfrm_main::buildAssistent() {
    jcp_assistent = new CaptionPanel(this);
    jcp_assistent->setObjectName(QStringLiteral("jcp_assistent"));
    jcp_assistent->setCaption(QStringLiteral("Schnellhilfe"));
    jcp_assistent->setButtons(CaptionPanel::CloseButton | CaptionPanel::MaximizeButton | CaptionPanel::MinimizeButton);
    QFont cf = jcp_assistent->captionFont();
    cf.setBold(true);
    cf.setPixelSize(13);
    jcp_assistent->setCaptionFont(cf);
    jcp_assistent->setCaptionTextColor(Qt::white);
    jcp_assistent->setCaptionColor(palette().color(QPalette::Dark));  // application workspace
    const QString hint = QStringLiteral("Dieser Assistent zeigt Infos zum jeweiligen Bildschirm an.");
    jcp_assistent->setHint(hint);
    connect(jcp_assistent, &CaptionPanel::closeClicked, this, [this] { jcp_assistentClose(); });
    connect(jcp_assistent, &CaptionPanel::maximizeClicked, this, [this] { jcp_assistentMaximize(); });
    connect(jcp_assistent, &CaptionPanel::minimizeClicked, this, [this] { jcp_assistentMinimize(); });

    wb_assistent = new HtmlBrowser(jcp_assistent);
    wb_assistent->setObjectName(QStringLiteral("wb_assistent"));
    wb_assistent->setFrameShape(QFrame::NoFrame);
    wb_assistent->setStatusTip(hint);
    wb_assistent->beforeNavigate = [this](const QString& target, bool& cancel) {
        wb_assistentBeforeNavigate2(target, cancel);
    };
    jcp_assistent->setContentWidget(wb_assistent);

    jcp_assistent->installEventFilter(this);
}

// ---------------------------------------------------------------------------
// Events

bool Tfrm_main::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        // Application hint: its long part in the first panel; back to the
        // version text when the mouse leaves the control.
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        StatusPanel0->setText(tip.isEmpty() ? m_versionText : langerHinweis(tip));
        return true;
    }
    return QMainWindow::event(e);
}

bool Tfrm_main::eventFilter(QObject* watched, QEvent* e) {
    if (watched == jcp_assistent && (e->type() == QEvent::Show || e->type() == QEvent::Hide))
        updateMiddle();
    return QMainWindow::eventFilter(watched, e);
}

void Tfrm_main::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (m_shown) return;
    m_shown = true;
    FormShow();
}

Tfrm_main::Tfrm_main(Tdm& data, QWidget* parent) : Tfrm_main(parent) { datenmodulAnbinden(data); }

void Tfrm_main::datenmodulAnbinden(Tdm& data) {
    if (m_dm == &data) return;
    if (m_dm) disconnect(m_dm, nullptr, StatusPanel1, nullptr);
    m_dm = &data;
    connect(m_dm, &Tdm::kundenCountChanged, StatusPanel1, &QLabel::setText);
    connect(m_dm, &Tdm::verbindungGeaendert, b_wiederverbinden, &QWidget::setVisible);
    b_wiederverbinden->setVisible(m_dm->verbindungVerloren());
    // The customer and course windows reach invoicing through these.
    platform::Rechnungswege& wege = platform::rechnungswege();
    Tdm* dm = m_dm;
    wege.fuerKunden = [this, dm](QWidget* parent, int kndnr) {
        hilfeseite_laden(QStringLiteral("\\help\\rechnungerstellen.htm"));
        billing::rechnungFuerKunden(*dm, parent, kndnr);
    };
    wege.fuerKurs = [this, dm](QWidget* parent, int kursnr) {
        hilfeseite_laden(QStringLiteral("\\help\\rechnungerstellen.htm"));
        billing::rechnungenFuerKurs(*dm, parent, kursnr);
    };
    wege.rechnungenDesKunden = [this, dm](QWidget* parent, int kndnr) {
        hilfeseite_laden(QStringLiteral("\\help\\rechnungen.htm"));
        billing::rechnungenZeigen(*dm, parent, kndnr);
    };
}

void Tfrm_main::FormShow() {
    platform::guarded([&] {
        // First-start decision.
        if (!m_dm->ibt_systemdaten->isActive()) m_dm->ibt_systemdaten->open();
        const int erststart = m_dm->ibt_systemdaten->fieldByName(QStringLiteral("ERSTSTARTHILFE"))->asInteger();
        if (erststart == -1) {
            jcp_assistent->hide();
        } else {
            setAssistentMitte(true);
            hilfeseite_laden(QStringLiteral("\\help\\ersterstart.htm"));
        }
    });
}

void Tfrm_main::closeEvent(QCloseEvent* e) {
    // A main window that never got its module (the start ended before) has
    // nothing to save.
    if (m_dm) {
        // An import neither taken over nor discarded: the user decides now,
        // or the program keeps running.
        if (m_dm->importEntscheiden && !m_dm->importEntscheiden()) {
            e->ignore();
            return;
        }
        // Every open dataset back to browse state; a failure has been shown
        // and the program keeps running with the edit pending - unless the
        // connection is lost and the user ends without the edits.
        if (!m_dm->finishPendingEdits() && !ohneVerbindungBeenden()) {
            e->ignore();
            return;
        }
        if (!platform::guarded([&] {
                for (db::Dataset* ds : {static_cast<db::Dataset*>(m_dm->ibt_kunde),
                                        static_cast<db::Dataset*>(m_dm->ibt_kunde_hunde),
                                        static_cast<db::Dataset*>(m_dm->ibt_hundetagebuch)})
                    if (ds->isActive()) ds->checkBrowseMode();
            })) {
            e->ignore();
            return;
        }
        // Everything saved is committed now, where a failure can still be
        // told: the user may stay and try again, or end without it.
        if (!endCommit()) {
            e->ignore();
            return;
        }
        // The daily automatic backup (not of changes that could not be
        // saved); a failure is shown, and the program ends all the same.
        if (!m_endeOhneSpeichern) backup::automaticBackupAtExit(*m_dm);
    }
    e->accept();
    if (beenden) beenden();
}

bool Tfrm_main::endCommit() {
    try {
        m_dm->commitNow();
        return true;
    } catch (...) {
        QString reason = platform::exceptionText(std::current_exception());
        if (reason.isEmpty()) reason = QStringLiteral("(keine Meldung)");
        const bool beenden =
            platform::dialogs().confirm(endCommitFailedText(reason), QStringLiteral("Bestätigung"),
                                        platform::Buttons::JaNein, platform::Icon::Error,
                                        platform::Answer::Nein) == platform::Answer::Ja;
        if (beenden) {
            // The program ends without the unsaved changes, and says so
            // with its exit code.
            m_dm->ibt->setDefaultAction(db::Transaction::DefaultAction::Rollback);
            m_endeOhneSpeichern = true;
        }
        return beenden;
    }
}

bool Tfrm_main::ohneVerbindungBeenden() {
    if (!m_dm || !m_dm->verbindungVerloren()) return false;
    if (platform::dialogs().confirm(frageVerbindungVerlorenBeenden(), QStringLiteral("Bestätigung"),
                                    platform::Buttons::JaNein, platform::Icon::Warning,
                                    platform::Answer::Nein) != platform::Answer::Ja)
        return false;
    m_dm->verwerfeOffeneEingaben();
    m_dm->ibt->setDefaultAction(db::Transaction::DefaultAction::Rollback);
    m_endeOhneSpeichern = true;
    return true;
}

QString Tfrm_main::frageVerbindungVerlorenBeenden() {
    return QStringLiteral("Die Verbindung zur Datenbank ist unterbrochen; Ihre letzten Eingaben konnten nicht "
                          "gespeichert werden.\r\rSoll Kynovia trotzdem beendet werden? Die nicht gespeicherten "
                          "Eingaben gehen dann verloren. Mit \"Nein\" bleibt Kynovia geöffnet; sobald die "
                          "Datenbank wieder erreichbar ist, können Sie erneut speichern.");
}

QString Tfrm_main::endCommitFailedText(const QString& reason) {
    const QChar cr = QLatin1Char('\r');
    return QStringLiteral("Die Änderungen konnten beim Beenden nicht dauerhaft in der Datenbank gespeichert werden.") +
           cr + cr + QStringLiteral("Meldung des Datenbankservers:") + cr + reason + cr + cr +
           QStringLiteral("Soll Kynovia trotzdem beendet werden? Die Änderungen seit dem letzten Speichern gehen "
                          "dann verloren. Mit \"Nein\" bleibt Kynovia geöffnet, und Sie können es später erneut "
                          "versuchen.");
}

// ---------------------------------------------------------------------------
// Quick-help panel

void Tfrm_main::setAssistentMitte(bool fill) {
    m_assistentMitte = fill;
    auto* layout = static_cast<QHBoxLayout*>(centralWidget()->layout());
    if (fill) {
        jcp_assistent->setMinimumWidth(0);
        jcp_assistent->setMaximumWidth(QWIDGETSIZE_MAX);
        layout->setStretchFactor(jcp_assistent, 1);
    } else {
        jcp_assistent->setFixedWidth(kAssistentBreite);
        layout->setStretchFactor(jcp_assistent, 0);
    }
    updateMiddle();
}

void Tfrm_main::updateMiddle() {
    // A panel that fills the middle area covers the child windows.
    const bool covered = m_assistentMitte && !jcp_assistent->isHidden();
    ClientArea->setVisible(!covered);
}

void Tfrm_main::hilfeseite_laden(const QString& relPath) {
    // The data directory's page, else the one shipped with the program.
    wb_assistent->navigate(platform::findFile(platform::mapPath(installverzeichnis + relPath)));
}

void Tfrm_main::wb_assistentBeforeNavigate2(const QString& target, bool& cancel) {
    if (!target.contains(QLatin1String("erststartaus"))) return;
    cancel = true;
    jcp_assistent->hide();
    erststarthilfeSpeichern();
}

void Tfrm_main::erststarthilfeAusschalten() {
    if (m_assistentMitte) jcp_assistent->hide();
    erststarthilfeSpeichern();
}

void Tfrm_main::erststarthilfeSpeichern() {
    platform::guarded([&] {
        db::Table* t = m_dm->ibt_systemdaten;
        if (!t->isActive()) t->open();
        t->edit();
        t->fieldByName(QStringLiteral("ERSTSTARTHILFE"))->setAsInteger(-1);
        t->post();
    });
}

void Tfrm_main::JvHTButton1Click() {
    jcp_assistent->show();
    hilfeseite_laden(QStringLiteral("\\help\\inhalt.htm"));
}

void Tfrm_main::JvHTButton2Click() {
    hilfeseite_laden(QStringLiteral("\\help\\inhalt.htm"));
    jcp_assistent->show();
}

void Tfrm_main::jcp_assistentClose() { jcp_assistent->hide(); }
void Tfrm_main::jcp_assistentMaximize() { setAssistentMitte(true); }
void Tfrm_main::jcp_assistentMinimize() { setAssistentMitte(false); }

// ---------------------------------------------------------------------------
// Navigator panel

void Tfrm_main::jcp_navigatorMaximize() { jcp_navigator->setFixedWidth(m_navigatorBreite); }
void Tfrm_main::jcp_navigatorMinimize() { jcp_navigator->setFixedWidth(kNavigatorStreifen); }

void Tfrm_main::jcp_navigatorMouseMove(int x) {
    if (jcp_navigator->width() == kNavigatorStreifen && x < kNavigatorFuehler)
        jcp_navigator->setFixedWidth(m_navigatorBreite);
}

void Tfrm_main::tv_navigatorChange(QTreeWidgetItem* item) {
    // End the editing in the active child window: a bound edit writes its
    // text into its field as it loses the focus.
    if (QMdiSubWindow* sub = ClientArea->currentSubWindow()) {
        if (QWidget* w = sub->widget())
            if (QWidget* f = w->focusWidget()) f->clearFocus();
    }
    if (!item) return;
    nav_eintrag = item->text(0);
    if (QTreeWidgetItem* parent = item->parent()) nav_gruppe = parent->text(0);
    else item->setExpanded(true);
}

void Tfrm_main::tv_navigatorClick() {
    struct Zeile {
        const char* gruppe;
        const char* eintrag;
        void (Tfrm_main::*aktion)(Fenstermodus);
        Fenstermodus mode;
    };
    static const Zeile tabelle[] = {
        {"Kunden", "Übersicht", &Tfrm_main::kundenanzeigen, Fenstermodus::Uebersicht},
        {"Kunden", "Suchen", &Tfrm_main::kundenanzeigen, Fenstermodus::Suchen},
        {"Kunden", "Bearbeiten", &Tfrm_main::kundenanzeigen, Fenstermodus::Bearbeiten},
        {"Kunden", "Neu aufnehmen", &Tfrm_main::kundenanzeigen, Fenstermodus::Neu},
        {"Kunden", "ausgehändigte Dokumente", &Tfrm_main::kundenanzeigen, Fenstermodus::Dokumente},
        {"Kunden", "Datenauskunft", &Tfrm_main::datenschutzanzeigen, Fenstermodus::Bearbeiten},
        {"Kunden", "Alte Kundendaten", &Tfrm_main::datenschutzanzeigen, Fenstermodus::Uebersicht},
        {"Hunde", "Suchen", &Tfrm_main::hundeanzeigen, Fenstermodus::Suchen},
        {"Termine", "Anzeigen", &Tfrm_main::beratungenanzeigen, Fenstermodus::Bearbeiten},
        {"Termine", "Suchen", &Tfrm_main::terminsucheanzeigen, Fenstermodus::Suchen},
        {"Kurse", "Anzeigen", &Tfrm_main::kurseanzeigen, Fenstermodus::Uebersicht},
        {"Kurse", "Neu anlegen", &Tfrm_main::kurseanzeigen, Fenstermodus::Neu},
        {"Kurse", "Verschieben", &Tfrm_main::kurseverschieben, Fenstermodus::Uebersicht},
        {"Kurse", "Stornieren", &Tfrm_main::kursestornieren, Fenstermodus::Uebersicht},
        {"Trainer", "Übersicht", &Tfrm_main::traineranzeigen, Fenstermodus::Uebersicht},
        {"Trainer", "Neu anlegen", &Tfrm_main::traineranzeigen, Fenstermodus::Neu},
        {"Dokumente", "Verwaltung", &Tfrm_main::dokumenteverwaltunganzeigen, Fenstermodus::Bearbeiten},
    };
    for (const Zeile& z : tabelle) {
        if (nav_gruppe == QString::fromUtf8(z.gruppe) && nav_eintrag == QString::fromUtf8(z.eintrag)) {
            if (z.aktion) (this->*z.aktion)(z.mode);
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Open functions

void Tfrm_main::plug(WindowKind kind, const WindowPlug& p) {
    if (p) m_plugs.insert(kind, p);
    else m_plugs.remove(kind);
}

QWidget* Tfrm_main::workingWindow(WindowKind kind) const {
    const WindowPlug p = m_plugs.value(kind);
    return p ? p.instance() : nullptr;
}

WorkingWindow* Tfrm_main::arbeitsfenster(WindowKind kind) const {
    return dynamic_cast<WorkingWindow*>(workingWindow(kind));
}

QMdiSubWindow* Tfrm_main::subWindowOf(QWidget* window) const {
    if (!window) return nullptr;
    for (QMdiSubWindow* sub : ClientArea->subWindowList())
        if (sub->widget() == window) return sub;
    return nullptr;
}

QWidget* Tfrm_main::prepareWindow(WindowKind kind) {
    const WindowPlug p = m_plugs.value(kind);
    if (!p) return nullptr;
    QWidget* w = p.instance();
    if (!w) w = p.create();
    if (!w) return nullptr;
    // A working window is never hidden behind the quick-help panel: a panel
    // over the whole middle area (the first-start assistant) goes back to
    // the strip on the right, as its minimise button does.
    if (m_assistentMitte) setAssistentMitte(false);
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub) {
        sub = ClientArea->addSubWindow(w);
        if (w->windowIcon().isNull() || w->windowIcon().cacheKey() == QApplication::windowIcon().cacheKey())
            sub->setWindowIcon(windowIcon());
        w->show();
        sub->showMaximized();
    } else if (sub->isHidden() || sub->isMinimized()) {
        w->show();
        sub->showMaximized();
    } else if (sub == ClientArea->activeSubWindow() && !sub->isMaximized()) {
        sub->showMaximized();
    }
    // A child window behind the active one stays where it is: the area
    // shows it maximised as soon as it comes to the front.
    return w;
}

void Tfrm_main::showWindow(QWidget* w) {
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub) return;
    ClientArea->setActiveSubWindow(sub);
    if (!sub->isMaximized()) sub->showMaximized();
    sub->raise();
}

void Tfrm_main::openDatasets(QWidget* w) {
    if (auto* ww = dynamic_cast<WorkingWindow*>(w)) ww->datenOeffnen();
}

bool Tfrm_main::saveCheck(QWidget* w) {
    if (auto* ww = dynamic_cast<WorkingWindow*>(w)) return ww->check_sichern();
    return true;
}

void Tfrm_main::page(QWidget* w, const QString& pageControl, const QString& pageName) {
    if (auto* ww = dynamic_cast<WorkingWindow*>(w)) ww->zeigeSeite(pageControl, pageName);
    else workingwindow::zeigeSeite(w, pageControl, pageName);
}

void Tfrm_main::control(QWidget* w, const QString& name, bool visible) {
    if (auto* ww = dynamic_cast<WorkingWindow*>(w)) ww->zeigeSteuerelement(name, visible);
    else workingwindow::zeigeSteuerelement(w, name, visible);
}

void Tfrm_main::focus(QWidget* w, const QString& name) {
    if (auto* ww = dynamic_cast<WorkingWindow*>(w)) ww->setzeFokus(name);
    else workingwindow::setzeFokus(w, name);
}

void Tfrm_main::kundenanzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("kundenanzeigen"), int(mode));
    platform::guarded([&] {
        QWidget* w = prepareWindow(WindowKind::Kunden);
        if (!w) return;
        openDatasets(w);
        showWindow(w);
        const QString pg = QStringLiteral("pg_kunde");
        switch (mode) {
        case Fenstermodus::Uebersicht:
            if (!saveCheck(w)) return;
            control(w, QStringLiteral("gb_suchen"), false);
            filterAus(m_dm->ibt_kunde);
            page(w, pg, QStringLiteral("ts_kundenuebersicht"));
            hilfeseite_laden(QStringLiteral("\\help\\kundenuebersicht.htm"));
            break;
        case Fenstermodus::Bearbeiten:
            if (!saveCheck(w)) return;
            page(w, pg, QStringLiteral("ts_kundedetail"));
            hilfeseite_laden(QStringLiteral("\\help\\kundenbearbeiten.htm"));
            break;
        case Fenstermodus::Dokumente:
            if (!saveCheck(w)) return;
            page(w, pg, QStringLiteral("ts_kundedetail"));
            page(w, QStringLiteral("pg_kundendaten"), QStringLiteral("ts_dokumente"));
            break;
        case Fenstermodus::Hunde:
            if (!saveCheck(w)) return;
            page(w, pg, QStringLiteral("ts_kundedetail"));
            page(w, QStringLiteral("pg_kundendaten"), QStringLiteral("ts_kundehunde"));
            break;
        case Fenstermodus::Neu:
            if (!saveCheck(w)) return;
            m_dm->ibt_kunde->append();
            page(w, pg, QStringLiteral("ts_kundedetail"));
            hilfeseite_laden(QStringLiteral("\\help\\kundeneu.htm"));
            focus(w, QStringLiteral("dbc_anrede"));
            break;
        case Fenstermodus::Suchen:
            if (!saveCheck(w)) return;
            control(w, QStringLiteral("gb_suchen"), true);
            page(w, pg, QStringLiteral("ts_kundenuebersicht"));
            hilfeseite_laden(QStringLiteral("\\help\\kundesuchen.htm"));
            focus(w, QStringLiteral("suchtext_kunde"));
            break;
        default:
            break;
        }
    });
}

void Tfrm_main::hundeanzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("hundeanzeigen"), int(mode));
    platform::guarded([&] {
        QWidget* w = prepareWindow(WindowKind::Hunde);
        if (!w) return;
        openDatasets(w);
        showWindow(w);
        if (mode == Fenstermodus::Suchen) {
            if (!saveCheck(w)) return;
            filterAus(m_dm->ibt_hunde);
            hilfeseite_laden(QStringLiteral("\\help\\hundsuchen.htm"));
        }
    });
}

void Tfrm_main::kurseanzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("kurseanzeigen"), int(mode));
    platform::guarded([&] {
        QWidget* w = prepareWindow(WindowKind::Kurse);
        if (!w) return;
        openDatasets(w);
        // No general show step.
        if (mode == Fenstermodus::Uebersicht) {
            if (!saveCheck(w)) return;
            hilfeseite_laden(QStringLiteral("\\help\\kurseuebersicht.htm"));
            showWindow(w);
            focus(w, QStringLiteral("dbg_kurse"));
        } else if (mode == Fenstermodus::Neu) {
            // The page comes first, whatever the save check says.
            hilfeseite_laden(QStringLiteral("\\help\\kurseneu.htm"));
            if (!saveCheck(w)) return;
            m_dm->ibt_kurse->append();
        }
    });
}

void Tfrm_main::kurseverschieben(Fenstermodus mode) {
    emit openRequested(QStringLiteral("kurseverschieben"), int(mode));
    kurseanzeigen(Fenstermodus::Uebersicht);
    platform::guarded([&] {
        QWidget* w = workingWindow(WindowKind::Kurse);
        // A course that could not be saved stays in front of the user.
        if (!w || m_dm->ibt_kurse->isEditing()) return;
        hilfeseite_laden(QStringLiteral("\\help\\kursverschieben.htm"));
        kursaktionen::verschiebenZeigen(*m_dm, this);
    });
}

void Tfrm_main::kursestornieren(Fenstermodus mode) {
    emit openRequested(QStringLiteral("kursestornieren"), int(mode));
    kurseanzeigen(Fenstermodus::Uebersicht);
    platform::guarded([&] {
        QWidget* w = workingWindow(WindowKind::Kurse);
        if (!w || m_dm->ibt_kurse->isEditing()) return;
        hilfeseite_laden(QStringLiteral("\\help\\kursstornieren.htm"));
        kursaktionen::stornierenZeigen(*m_dm, this);
    });
}

void Tfrm_main::beratungenanzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("beratungenanzeigen"), int(mode));
    platform::guarded([&] {
        QWidget* w = prepareWindow(WindowKind::Beratungen);
        if (!w) return;
        openDatasets(w);
        if (mode == Fenstermodus::Bearbeiten) {
            showWindow(w);
            hilfeseite_laden(QStringLiteral("\\help\\terminberatung.htm"));
            focus(w, QStringLiteral("suchtext_kunde"));
        }
    });
}

void Tfrm_main::terminsucheanzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("terminsucheanzeigen"), int(mode));
    platform::guarded([&] {
        const bool neu = !workingWindow(WindowKind::Terminsuche);
        QWidget* w = prepareWindow(WindowKind::Terminsuche);
        if (!w) return;
        showWindow(w);
        if (mode == Fenstermodus::Suchen) {
            // An open search reads again with its criteria: appointments
            // may have been entered since.
            if (auto* suche = qobject_cast<Tfrm_terminsuche*>(w); suche && !neu) suche->b_suchenClick();
            hilfeseite_laden(QStringLiteral("\\help\\terminsuche.htm"));
            focus(w, QStringLiteral("e_kunde"));
        }
    });
}

void Tfrm_main::traineranzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("traineranzeigen"), int(mode));
    platform::guarded([&] {
        QWidget* w = prepareWindow(WindowKind::Trainer);
        if (!w) return;
        openDatasets(w);
        showWindow(w);
        if (mode == Fenstermodus::Uebersicht) {
            saveCheck(w);  // its result changes nothing
        } else if (mode == Fenstermodus::Neu) {
            if (!saveCheck(w)) return;
            m_dm->ibt_trainer->append();
            focus(w, QStringLiteral("dbc_anrede"));
        }
    });
}

void Tfrm_main::dokumenteverwaltunganzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("dokumenteverwaltunganzeigen"), int(mode));
    platform::guarded([&] {
        QWidget* w = prepareWindow(WindowKind::Dokumente);
        if (!w) return;
        openDatasets(w);
        showWindow(w);
        if (mode == Fenstermodus::Bearbeiten) {
            if (!saveCheck(w)) return;
            filterAus(m_dm->ibt_dokumente);
            hilfeseite_laden(QStringLiteral("\\help\\dokumenteverwaltung.htm"));
        }
    });
}

void Tfrm_main::Dateiimportieren1Click() {
    emit openRequested(QStringLiteral("Dateiimportieren1Click"), -1);
    platform::guarded([&] {
        QWidget* w = prepareWindow(WindowKind::Datenimport);
        if (!w) return;
        for (db::Dataset* ds : {static_cast<db::Dataset*>(m_dm->ibt_kunde),
                                static_cast<db::Dataset*>(m_dm->ibt_kunde_hunde)}) {
            if (!ds->isActive()) ds->open();
            ds->checkBrowseMode();
        }
        showWindow(w);
    });
}

void Tfrm_main::OffenePosten1Click() {
    emit openRequested(QStringLiteral("OffenePosten1Click"), -1);
    platform::guarded([&] {
        hilfeseite_laden(QStringLiteral("\\help\\offeneposten.htm"));
        offeneposten::schuleZeigen(*m_dm, this);
    });
}

void Tfrm_main::datenschutzanzeigen(Fenstermodus mode) {
    emit openRequested(QStringLiteral("datenschutzanzeigen"), int(mode));
    platform::guarded([&] {
        if (mode == Fenstermodus::Uebersicht) {
            datenschutz_ui::alteKundendatenZeigen(*m_dm, this);
        } else if (mode == Fenstermodus::Bearbeiten) {
            // The customer in front of the user: only while the customer
            // window is open, so that the report never goes to a customer
            // the user has not chosen.
            if (!workingWindow(WindowKind::Kunden)) {
                platform::dialogs().messageBox(
                    QStringLiteral("Bitte öffnen Sie zuerst den Kunden (Kunden, Übersicht oder Suchen)."));
                return;
            }
            datenschutz_ui::datenauskunft(*m_dm, datenschutz_ui::aktuellerKunde(*m_dm), this);
        }
    });
}

void Tfrm_main::Datensicherungerstellen1Click() {
    // A backup commits what is posted: an import that waits for "übernehmen"
    // or "verwerfen" would be taken over without being asked.
    auto* import = dynamic_cast<WorkingWindow*>(workingWindow(WindowKind::Datenimport));
    if (import && import->importUnentschieden()) {
        platform::importOffenMelden(platform::ImportOffen::Datensicherung);
        return;
    }
    backup::createBackupInteractive(*m_dm);
}

void Tfrm_main::Datensicherungeinspielen1Click() {
    // An import neither taken over nor discarded is decided first: the
    // restore closes the connection, and the kept database should hold
    // what the user wants kept.
    if (m_dm->importEntscheiden && !m_dm->importEntscheiden()) return;
    backup::restoreInteractive(*m_dm);
    // After a restore (and whenever the connection had to be closed for it)
    // the program starts again: every window and dataset then opens on the
    // database as it is now.
    if (backup::restartRequested()) {
        backup::restartProgram();
        close();
    }
}

// ---------------------------------------------------------------------------
// Menus

void Tfrm_main::fensterOeffnen(WindowKind kind, Fenstermodus mode) {
    switch (kind) {
    case WindowKind::Kunden: kundenanzeigen(mode); break;
    case WindowKind::Hunde: hundeanzeigen(mode); break;
    case WindowKind::Kurse: kurseanzeigen(mode); break;
    case WindowKind::Beratungen: beratungenanzeigen(mode); break;
    case WindowKind::Trainer: traineranzeigen(mode); break;
    case WindowKind::Dokumente: dokumenteverwaltunganzeigen(mode); break;
    case WindowKind::Datenimport: Dateiimportieren1Click(); break;
    case WindowKind::VorlagenKurse: VorlagenKurse1Click(); break;
    case WindowKind::Terminsuche: terminsucheanzeigen(mode); break;
    }
}

void Tfrm_main::VorlagenKurse1Click() {
    const WindowPlug p = m_plugs.value(WindowKind::VorlagenKurse);
    if (!p) return;
    QWidget* w = p.instance();
    if (!w) w = p.create();
    if (w) modalZeigen(w);
}

void Tfrm_main::Stammdaten1Click() {
    if (frm_stammdaten) frm_stammdaten->zeigen();
}

void Tfrm_main::Nebeneinander1Click() { ClientArea->tileSubWindows(); }
void Tfrm_main::Hintereinander1Click() { ClientArea->cascadeSubWindows(); }

void Tfrm_main::AlleAnordnen1Click() {
    // The minimised child windows in a row along the bottom edge.
    int x = 0;
    int y = ClientArea->viewport()->height();
    for (QMdiSubWindow* sub : ClientArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        const QSize s = sub->size();
        if (x > 0 && x + s.width() > ClientArea->viewport()->width()) {
            x = 0;
            y -= s.height();
        }
        sub->move(x, y - s.height());
        x += s.width();
    }
}

void Tfrm_main::Inhalt1Click() {
    platform::helpViewer().showContents(QString::fromUtf16(platform::helpFileText));
}

void Tfrm_main::InderHilfeSuchennach1Click() {
    platform::helpViewer().search(QString::fromUtf16(platform::helpFileText), QString());
}

void Tfrm_main::Ueber1Click() {
    if (!frm_about) return;
    frm_about->show();
    frm_about->raise();
    frm_about->activateWindow();
}

void Tfrm_main::JvaCaptionButton1Click() {
    if (!frm_notizblock) return;
    frm_notizblock->show();
    frm_notizblock->raise();
    frm_notizblock->activateWindow();
}
