#pragma once
// The program's frame window: the child-window area for the working windows,
// the navigator on the left, the quick-help panel on the right, the menu bar
// and the status bar. It owns the open functions through which every working
// window comes into existence (see workingwindow.h for how a window plugs in).
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QTreeWidget>
#include <functional>

#include "shell/hilfesuche.h"
#include "shell/workingwindow.h"

class HtmlBrowser;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QToolButton;
class Tdm;
namespace widgets {
class CaptionPanel;
}

// The navigator tree. It reports a left click on an item itself (its icon
// or text; pressed and released on the same item) after the tree has
// handled it, so that a selection change caused by the same click comes
// first, and Enter on the current item. A click on a group's expand button
// or on the empty area reports nothing, and neither does the second click of
// a double click. Taking the focus selects nothing.
class NavigatorTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit NavigatorTree(QWidget* parent = nullptr);
signals:
    void mouseClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    // The item under the mouse, when the point lies on the item's own
    // rectangle (not on the expand button to its left).
    QTreeWidgetItem* eintragBei(const QPoint& pos) const;
    QTreeWidgetItem* m_gedrueckt = nullptr;
    bool m_doppelklick = false;
};

class Tfrm_main : public QMainWindow, public Fensterwahl {
    Q_OBJECT
public:
    // The program makes the main window before the data module (the module's
    // start may ask questions and take a backup before any window shows) and
    // hands it the module once it is open; a window made on an open module
    // gets it at once.
    explicit Tfrm_main(QWidget* parent = nullptr);
    explicit Tfrm_main(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_main() override;
    // The data module the open functions, the close and the backup work on.
    // Set once, before the window is shown.
    void datenmodulAnbinden(Tdm& data);
    Tdm& datenmodul() const { return *m_dm; }

    // --- open functions (the window mode: see Fenstermodus) ---
    void kundenanzeigen(Fenstermodus mode);
    void hundeanzeigen(Fenstermodus mode);
    void kurseanzeigen(Fenstermodus mode);
    void beratungenanzeigen(Fenstermodus mode);
    // "Termine"/"Suchen": the appointment search (mode 5).
    void terminsucheanzeigen(Fenstermodus mode);
    // "Kurse"/"Verschieben" and "Kurse"/"Stornieren": the course window,
    // then the dialog for its current course.
    void kurseverschieben(Fenstermodus mode);
    void kursestornieren(Fenstermodus mode);
    void traineranzeigen(Fenstermodus mode);
    void dokumenteverwaltunganzeigen(Fenstermodus mode);
    void Dateiimportieren1Click();
    // Menu "Datei", "Offene Posten": the school's unpaid participations
    // with their total.
    void OffenePosten1Click();
    // Data protection (navigator "Kunden"): 1 the access report for the
    // customer the customer window shows, 0 the list of old customer records.
    void datenschutzanzeigen(Fenstermodus mode);
    // Menu "Datei": a backup of the database into a file; restoring a backup
    // (the program then starts again on the restored data).
    void Datensicherungerstellen1Click();
    void Datensicherungeinspielen1Click();

    // Loads a help page, given relative to the installation directory
    // ("\help\kundeneu.htm"), into the quick-help browser; neither shows
    // nor resizes the panel.
    void hilfeseite_laden(const QString& relPath) override;
    // The open function of `kind` (Fensterwahl, for the window folders).
    void fensterOeffnen(WindowKind kind, Fenstermodus mode) override;
    WorkingWindow* arbeitsfenster(WindowKind kind) const override;

    // Plugs a working window into its open function (workingwindow.h).
    void plug(WindowKind kind, const WindowPlug& p);
    WindowPlug plugOf(WindowKind kind) const { return m_plugs.value(kind); }
    // The window the kind's reference holds (nullptr while empty or unplugged).
    QWidget* workingWindow(WindowKind kind) const;
    // The child window (frame) of a working window in the child-window area.
    QMdiSubWindow* subWindowOf(QWidget* window) const;

    // The last tree item selected: its text and its parent's text.
    QString nav_eintrag;
    QString nav_gruppe;

    // --- controls ---
    QMenuBar* MainMenu = nullptr;
    QStatusBar* StatusLine = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    // "Erneut verbinden": shown while the connection to the database is lost.
    QPushButton* b_wiederverbinden = nullptr;
    widgets::CaptionPanel* jcp_navigator = nullptr;
    QPushButton* JvHTButton1 = nullptr;  // "Inhalt"
    QPushButton* JvHTButton2 = nullptr;  // "Assistent"
    NavigatorTree* tv_navigator = nullptr;
    widgets::CaptionPanel* jcp_assistent = nullptr;
    HtmlBrowser* wb_assistent = nullptr;
    QMdiArea* ClientArea = nullptr;
    QToolButton* JvaCaptionButton1 = nullptr;  // the notepad button (menu bar corner)

    // --- menu items ---
    QAction* Dateiimportieren1 = nullptr;
    QAction* OffenePosten1 = nullptr;
    QAction* Datensicherungerstellen1 = nullptr;
    QAction* Datensicherungeinspielen1 = nullptr;
    QAction* VorlagenKurse1 = nullptr;
    QAction* Stammdaten1 = nullptr;
    QAction* Rechnungsdaten1 = nullptr;       // Konfiguration: the school's billing data
    QAction* ExportSteuerberater1 = nullptr;  // Datei: CSV and PDFs of a period
    QAction* Rechnungen1 = nullptr;           // Rechnungen: every invoice
    QAction* OffeneRechnungen1 = nullptr;     // Rechnungen: open invoices, reminders
    QAction* Nebeneinander1 = nullptr;
    QAction* Hintereinander1 = nullptr;
    QAction* AlleAnordnen1 = nullptr;
    QAction* Inhalt1 = nullptr;
    QAction* InderHilfeSuchennach1 = nullptr;
    QAction* Ueber1 = nullptr;

    // Whether the quick-help panel fills the whole middle area (else it is
    // the 200-pixel strip on the right).
    bool assistentFuelltMitte() const { return m_assistentMitte; }
    // The navigator's normal width: 185 pixels, or more where an entry needs
    // it with the screen's font.
    int navigatorBreite() const { return m_navigatorBreite; }

    // Switches the first-start assistant off for good (ERSTSTARTHILFE -1),
    // as its link does; used by the separate help window. The quick-help
    // panel is hidden when it fills the middle area.
    void erststarthilfeAusschalten();

    // --- handlers ---
    void FormShow();
    void tv_navigatorChange(QTreeWidgetItem* item);
    void tv_navigatorClick();
    void JvHTButton1Click();
    void JvHTButton2Click();
    void wb_assistentBeforeNavigate2(const QString& target, bool& cancel);
    void jcp_navigatorMaximize();
    void jcp_navigatorMinimize();
    void jcp_navigatorMouseMove(int x);
    void jcp_assistentClose();
    void jcp_assistentMaximize();
    void jcp_assistentMinimize();
    void VorlagenKurse1Click();
    void Stammdaten1Click();
    void Nebeneinander1Click();
    void Hintereinander1Click();
    void AlleAnordnen1Click();
    void Inhalt1Click();
    void InderHilfeSuchennach1Click();
    void Ueber1Click();
    void JvaCaptionButton1Click();

    // What ends the program after a successful close (default: quit the
    // application's event loop). Tests replace it.
    std::function<void()> beenden;

    // Whether the program ends without its last changes: the commit at the
    // end failed and the user chose to end all the same.
    bool endeOhneSpeichern() const { return m_endeOhneSpeichern; }
    // The question shown when the commit at the end fails.
    static QString endCommitFailedText(const QString& reason);
    // The question shown when the program is closed while the connection to
    // the database is lost and typed changes could not be saved.
    static QString frageVerbindungVerlorenBeenden();

signals:
    // Every call of an open function, before it does anything: the
    // function's name and the mode ("kundenanzeigen", 5).
    void openRequested(const QString& function, int mode);

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildMenus();
    void buildNavigator();
    void buildAssistent();
    void buildTree();
    // Sets the quick-help panel's alignment (true: the whole middle area).
    void setAssistentMitte(bool fill);
    void updateMiddle();
    // Commits what was saved before the program ends; false when the commit
    // failed and the user wants to stay.
    bool endCommit();
    // The connection is lost and pending edits could not be saved: asks
    // whether to end without them; true (edits dropped) when the user says so.
    bool ohneVerbindungBeenden();
    void erststarthilfeSpeichern();

    // The shared first steps of an open function: the window (created when
    // the reference is empty), as maximised child window. nullptr when the
    // kind is not plugged in.
    QWidget* prepareWindow(WindowKind kind);
    void showWindow(QWidget* w);
    // The window's datasets (WorkingWindow::datenOeffnen; none for a window
    // without the interface).
    void openDatasets(QWidget* w);
    bool saveCheck(QWidget* w);
    void page(QWidget* w, const QString& pageControl, const QString& pageName);
    void control(QWidget* w, const QString& name, bool visible);
    void focus(QWidget* w, const QString& name);

    QMap<WindowKind, WindowPlug> m_plugs;
    bool m_assistentMitte = false;
    int m_navigatorBreite = 185;
    bool m_shown = false;
    Tdm* m_dm = nullptr;
    QString m_versionText;
    Hilfeanzeige m_hilfeanzeige;
    bool m_hilfeanzeigeInstalled = false;
    bool m_endeOhneSpeichern = false;
};

// The program-wide reference to the main window.
extern QPointer<Tfrm_main> frm_main;
