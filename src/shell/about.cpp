#include "shell/about.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/globals.h"
#include "shell/ressourcen.h"

platform::BeiBedarf<Tfrm_about> frm_about;

namespace {
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kSkyBlue(0xA6, 0xCA, 0xF0);
constexpr int kSchrittPixel = 3;
}  // namespace

Laufschrift::Laufschrift(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this)) {
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &Laufschrift::schritt);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kSkyBlue);
    p.setColor(QPalette::WindowText, kNavy);
    setPalette(p);
}

void Laufschrift::setText(const QString& text) {
    m_text = text;
    m_offset = width();
    update();
}

QSize Laufschrift::sizeHint() const {
    return {200, QFontMetrics(font()).height() + 8};
}

void Laufschrift::schritt() {
    m_offset -= kSchrittPixel;
    const int textWidth = QFontMetrics(font()).horizontalAdvance(m_text);
    if (m_offset + textWidth < 0) m_offset = width();  // gone on the left: again from the right
    update();
}

void Laufschrift::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(kNavy);
    p.drawText(QRect(m_offset, 0, QFontMetrics(font()).horizontalAdvance(m_text) + 4, height()),
               Qt::AlignVCenter | Qt::AlignLeft, m_text);
}

void Laufschrift::showEvent(QShowEvent*) {
    m_offset = width();
    m_timer->start();
}

void Laufschrift::hideEvent(QHideEvent*) { m_timer->stop(); }

Tfrm_about::Tfrm_about(QWidget* parent)
    // No title-bar buttons at all: only the title.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    ressourcenLaden();
    setObjectName(QStringLiteral("frm_about"));
    setWindowTitle(QStringLiteral("Über Kynovia..."));
    setWindowIcon(QIcon(QStringLiteral(":/kynovia.png")));
    setFixedSize(334, 264);
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->setSpacing(8);

    lauftext = new Laufschrift(this);
    lauftext->setObjectName(QStringLiteral("lauftext"));
    lauftext->setText(QStringLiteral(
        "Kynovia   Die Verwaltungssoftware für Hundeschulen. Erkundigen Sie sich nach unseren "
        "Zusatzmodulen !"));
    layout->addWidget(lauftext);

    auto* mitte = new QHBoxLayout;
    mitte->setContentsMargins(12, 4, 12, 0);
    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("img_logo"));
    logo->setPixmap(QIcon(QStringLiteral(":/kynovia.png")).pixmap(64, 64));
    logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    mitte->addWidget(logo);

    l_kontakt = new QLabel(this);
    l_kontakt->setObjectName(QStringLiteral("l_kontakt"));
    l_kontakt->setText(QStringLiteral("Kynovia Version ") + programmversion + QStringLiteral(
        "\n"
        "\n"
        "Kynovia Software\n"
        "Lindenallee 14\n"
        "35037 Marburg\n"
        "\n"
        "E-Mail: support@kynovia.de\n"
        "Internet: www.kynovia.de"));
    l_kontakt->setAlignment(Qt::AlignCenter);
    l_kontakt->setFrameShape(QFrame::NoFrame);
    l_kontakt->setAutoFillBackground(true);
    l_kontakt->setBackgroundRole(QPalette::Button);
    l_kontakt->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mitte->addWidget(l_kontakt, 1);
    layout->addLayout(mitte, 1);

    auto* unten = new QHBoxLayout;
    unten->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Schliessen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    unten->addWidget(Button1);
    unten->addStretch(1);
    layout->addLayout(unten);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void Tfrm_about::Button1Click() { close(); }
