#pragma once
// The about window: a scrolling line with the product's slogan, the maker's
// contact lines and "Schliessen".
#include "platform/beibedarf.h"
#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class QTimer;

// A line of text that moves from right to left, a few pixels every
// 100 milliseconds, and starts again at the right edge when it has left.
class Laufschrift : public QWidget {
    Q_OBJECT
public:
    explicit Laufschrift(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return m_text; }
    int offset() const { return m_offset; }
    QTimer* timer() const { return m_timer; }
    // One step of the movement (the timer's tick).
    void schritt();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    QString m_text;
    int m_offset = 0;  // x of the text's left edge
    QTimer* m_timer;
};

class Tfrm_about : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_about(QWidget* parent = nullptr);

    Laufschrift* lauftext = nullptr;
    QLabel* l_kontakt = nullptr;
    QPushButton* Button1 = nullptr;

    void Button1Click();
};

extern platform::BeiBedarf<Tfrm_about> frm_about;
