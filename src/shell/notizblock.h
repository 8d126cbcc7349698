#pragma once
// The notepad: dated free-text notes in a small window that stays on top of
// the others. Not modal; closing only hides it.
#include "platform/beibedarf.h"
#include <QDialog>
#include <QPointer>

class QLabel;
class Tdm;
namespace widgets {
class DbEdit;
class DbMemo;
class DbNavigator;
}  // namespace widgets

class Tfrm_notizblock : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_notizblock(Tdm& data, QWidget* parent = nullptr);

    QLabel* l_vom = nullptr;
    widgets::DbEdit* dbe_datumzeit = nullptr;
    widgets::DbMemo* dbm_notiz = nullptr;
    widgets::DbNavigator* dbn_notizblock = nullptr;

    void FormShow();

protected:
    void showEvent(QShowEvent* e) override;

private:
    Tdm& m_dm;
    void binden();
};

extern platform::BeiBedarf<Tfrm_notizblock> frm_notizblock;
