#include "shell/stammdaten.h"

#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "data/datenmodul.h"
#include "platform/application.h"
#include "shell/ressourcen.h"
#include "widgets/dbedit.h"
#include "widgets/feldbau.h"
#include "widgets/dbtext.h"

platform::BeiBedarf<Tfrm_stammdaten> frm_stammdaten;

namespace {

QLabel* label(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

// Bound when the dialog is shown.
widgets::DbEdit* edit(QWidget* parent, const char* name, const char* field, const QRect& r) {
    widgets::DbEdit* e = widgets::boundEdit(parent, QLatin1String(name), nullptr, QLatin1String(field));
    e->setGeometry(r);
    return e;
}

}  // namespace

Tfrm_stammdaten::Tfrm_stammdaten(Tdm& data, QWidget* parent)
    // Only the close button in the title bar.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_dm(data) {
    ressourcenLaden();
    setObjectName(QStringLiteral("frm_stammdaten"));
    setWindowTitle(QStringLiteral("Konfiguration Stammdaten"));
    setWindowIcon(QIcon(QStringLiteral(":/kynovia.png")));
    setFixedSize(369, 246);
    setModal(true);

    // The fields, from top to bottom.
    auto* l1 = label(this, QStringLiteral("Firmenbezeichnung"), 12, 12);
    dbe_hundeschule = edit(this, "dbe_hundeschule", "HUNDESCHULE", QRect(12, 30, 345, 24));
    auto* l2 = label(this, QStringLiteral("Strasse"), 12, 62);
    dbe_strasse = edit(this, "dbe_strasse", "STRASSE", QRect(12, 80, 345, 24));
    auto* l3 = label(this, QStringLiteral("Plz"), 12, 112);
    dbe_plz = edit(this, "dbe_plz", "PLZ", QRect(12, 130, 70, 24));
    auto* l4 = label(this, QStringLiteral("Ort"), 92, 112);
    dbe_ort = edit(this, "dbe_ort", "ORT", QRect(92, 130, 265, 24));
    l1->setBuddy(dbe_hundeschule);
    l2->setBuddy(dbe_strasse);
    l3->setBuddy(dbe_plz);
    l4->setBuddy(dbe_ort);

    auto* lv = new QLabel(QStringLiteral("DB-Version:"), this);
    lv->setGeometry(220, 166, 80, 20);
    lv->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dbt_last_update = new widgets::DbText(this);
    dbt_last_update->setObjectName(QStringLiteral("dbt_last_update"));
    dbt_last_update->setDataField(QStringLiteral("LAST_UPDATE"));
    dbt_last_update->setGeometry(305, 166, 52, 20);
    dbt_last_update->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The bottom strip.
    auto* leiste = new QFrame(this);
    leiste->setObjectName(QStringLiteral("Panel1"));
    leiste->setFrameShape(QFrame::StyledPanel);
    leiste->setGeometry(0, 200, 369, 46);
    b_save = new QPushButton(QStringLiteral("Speichern"), leiste);
    b_save->setObjectName(QStringLiteral("b_save"));
    b_save->setGeometry(12, 10, 90, 26);
    b_save->setAutoDefault(false);
    b_abbruch = new QPushButton(QStringLiteral("Abbruch"), leiste);
    b_abbruch->setObjectName(QStringLiteral("b_abbruch"));
    b_abbruch->setGeometry(267, 10, 90, 26);
    b_abbruch->setAutoDefault(false);
    connect(b_save, &QPushButton::clicked, this, [this] { b_saveClick(); });
    connect(b_abbruch, &QPushButton::clicked, this, [this] { b_abbruchClick(); });

    setTabOrder(dbe_hundeschule, dbe_strasse);
    setTabOrder(dbe_strasse, dbe_plz);
    setTabOrder(dbe_plz, dbe_ort);
    setTabOrder(dbe_ort, b_save);
    setTabOrder(b_save, b_abbruch);
    binden();
}

void Tfrm_stammdaten::binden() {
    db::DataSource* ds = m_dm.ds_systemdaten;
    for (widgets::DbEdit* e : {dbe_hundeschule, dbe_strasse, dbe_plz, dbe_ort})
        if (e->dataSource() != ds) e->setDataSource(ds);
    if (dbt_last_update->dataSource() != ds) dbt_last_update->setDataSource(ds);
}

void Tfrm_stammdaten::showEvent(QShowEvent* e) {
    binden();
    // The main window opens the row at start; a commit or rollback since
    // (the import's buttons) may have closed it again.
    if (!m_dm.ibt_systemdaten->isActive()) {
        platform::guarded([&] {
            m_dm.ibt_systemdaten->open();
        });
    }
    QDialog::showEvent(e);
}

void Tfrm_stammdaten::zeigen() {
    // Centred on the window it belongs to (the main window).
    QWidget* mitte = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
    if (mitte && mitte != this) move(mitte->geometry().center() - rect().center());
    exec();
}

void Tfrm_stammdaten::b_saveClick() {
    // A failure has been shown; the dialog stays open with the change pending.
    if (!platform::guarded([&] { m_dm.ibt_systemdaten->checkBrowseMode(); })) return;
    accept();
}

void Tfrm_stammdaten::b_abbruchClick() { reject(); }

void Tfrm_stammdaten::reject() {
    // "Abbruch", the title bar's close button and Escape all end here: the
    // change is dropped, so that no later post of the row (the first-start
    // switch-off, the end of the program) writes what the user cancelled.
    if (m_dm.ibt_systemdaten->isEditing()) {
        platform::guarded([&] {
            m_dm.ibt_systemdaten->cancel();
        });
    }
    QDialog::reject();
}
