#include "shell/notizblock.h"

#include <QIcon>
#include <QLabel>

#include "data/datenmodul.h"
#include "platform/application.h"
#include "shell/ressourcen.h"
#include "widgets/dbedit.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/feldbau.h"

using platform::guarded;

platform::BeiBedarf<Tfrm_notizblock> frm_notizblock;

Tfrm_notizblock::Tfrm_notizblock(Tdm& data, QWidget* parent)
    // A dialog border, always on top; only the close button.
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_dm(data) {
    ressourcenLaden();
    setObjectName(QStringLiteral("frm_notizblock"));
    setWindowTitle(QStringLiteral("Notizblock"));
    setWindowIcon(QIcon(QStringLiteral(":/kynovia.png")));
    setFixedSize(325, 241);
    setModal(false);

    // Everything in the info-tip colour.
    QPalette info = palette();
    const QColor back = info.color(QPalette::ToolTipBase);
    const QColor text = info.color(QPalette::ToolTipText);
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        info.setColor(role, back);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        info.setColor(role, text);
    setPalette(info);
    setAutoFillBackground(true);

    l_vom = new QLabel(QStringLiteral("Vom:"), this);
    l_vom->setObjectName(QStringLiteral("l_vom"));
    l_vom->setGeometry(6, 6, 30, 20);

    // Bound when the window is shown.
    dbe_datumzeit = widgets::boundEdit(this, QStringLiteral("dbe_datumzeit"), nullptr, QStringLiteral("DATUMZEIT"));
    dbe_datumzeit->setReadOnly(true);
    dbe_datumzeit->setFrame(false);  // flat
    dbe_datumzeit->setFocusPolicy(Qt::ClickFocus);
    dbe_datumzeit->setGeometry(38, 6, 140, 20);

    dbm_notiz = widgets::boundMemo(this, QStringLiteral("dbm_notiz"), nullptr, QStringLiteral("NOTIZ"));
    dbm_notiz->setMaxLength(500);
    dbm_notiz->setWantTabs(true);
    dbm_notiz->setFrameShape(QFrame::NoFrame);
    dbm_notiz->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    dbm_notiz->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont f = dbm_notiz->font();
    f.setBold(true);
    f.setPixelSize(13);
    dbm_notiz->setFont(f);
    dbm_notiz->setGeometry(0, 30, 325, 186);

    dbn_notizblock = new widgets::DbNavigator(this);
    dbn_notizblock->setObjectName(QStringLiteral("dbn_notizblock"));
    dbn_notizblock->setVisibleButtons(widgets::DbNavigator::EditButtons);
    dbn_notizblock->setConfirmDelete(true);
    dbn_notizblock->setGeometry(0, 216, 325, 25);
    // The buttons keep the platform's own colours.
    dbn_notizblock->setPalette(QPalette());

    setTabOrder(dbm_notiz, dbn_notizblock);
    binden();
}

void Tfrm_notizblock::binden() {
    db::DataSource* ds = m_dm.ds_notizblock;
    if (dbe_datumzeit->dataSource() != ds) dbe_datumzeit->setDataSource(ds);
    if (dbm_notiz->dataSource() != ds) dbm_notiz->setDataSource(ds);
    if (dbn_notizblock->dataSource() != ds) dbn_notizblock->setDataSource(ds);
}

void Tfrm_notizblock::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) FormShow();
}

void Tfrm_notizblock::FormShow() {
    binden();
    guarded([&] {
        if (!m_dm.ibt_notizblock->isActive()) m_dm.ibt_notizblock->open();
    });
}
