#pragma once
// The program's long-lived objects, created in their fixed order and
// destroyed in the reverse order. The program entry runs one of these
// around the event loop; the system tests start and end the whole program
// the same way, several times in one process.
#include <memory>

class Tfrm_main;
class Tdm;
class Tfrm_wb_hilfe;
class Tfrm_hilfesuche;
class Tfrm_teilnehmer_add;
class Tfrm_auswahl;
class Tfrm_qr_teilnehmerliste;
class Tfrm_qr_kundenkarte;
class Tfrm_qr_terminliste;
class Tfrm_vorlagen_kurse;
class Tfrm_notizblock;
class Tdmtp;
class Tfrm_about;
class Tfrm_stammdaten;

class Programm {
public:
    Programm();
    // Destroys the objects, last created first; the data module's connection
    // ends its transaction with commit.
    ~Programm();
    Programm(const Programm&) = delete;
    Programm& operator=(const Programm&) = delete;

    // Creates the main window and the data module; the other objects are
    // made here too, in their fixed order of destruction, when first used.
    // False when the database
    // cannot be used or an upgrade step was declined or needs a restart:
    // the program then ends without any window (the reason has been shown).
    bool starten();
    // Log-out, shutdown or a kill from outside (SIGTERM, SIGHUP, SIGINT) end
    // the program like a close of the main window: pending edits are posted
    // and everything is committed when the objects go. If the close is
    // refused (an edit that cannot be saved; the reason has been shown), at
    // least everything posted so far is committed. Called once the database
    // is open, so that these handlers take the place of the database
    // library's own, which would shut the engine down under the running
    // program and lose the posted work.
    void beiSignalenBeenden();
    // The main window, shown maximised; the program runs until it is closed.
    Tfrm_main* hauptfenster() const { return m_main.get(); }

private:
    // Hands each program-wide reference of what is made on first use its
    // maker, which makes the object here and keeps it; and takes them back.
    void macherSetzen();
    void macherLoeschen();

    std::unique_ptr<Tfrm_main> m_main;
    std::unique_ptr<Tdm> m_dm;
    std::unique_ptr<Tfrm_wb_hilfe> m_wbHilfe;
    std::unique_ptr<Tfrm_hilfesuche> m_hilfesuche;
    std::unique_ptr<Tfrm_teilnehmer_add> m_teilnehmerAdd;
    std::unique_ptr<Tfrm_auswahl> m_auswahl;
    std::unique_ptr<Tfrm_qr_teilnehmerliste> m_qrTeilnehmerliste;
    std::unique_ptr<Tfrm_qr_kundenkarte> m_qrKundenkarte;
    std::unique_ptr<Tfrm_qr_terminliste> m_qrTerminliste;
    std::unique_ptr<Tfrm_vorlagen_kurse> m_vorlagen;
    std::unique_ptr<Tfrm_notizblock> m_notizblock;
    std::unique_ptr<Tdmtp> m_dmtp;
    std::unique_ptr<Tfrm_about> m_about;
    std::unique_ptr<Tfrm_stammdaten> m_stammdaten;
};
