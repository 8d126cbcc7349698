#include "widgets/captionpanel.h"

#include <QBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace widgets {

namespace {

QIcon buttonGlyph(int which, const QColor& ink) {
    const qreal dpr = 2.0;
    QPixmap pm(QSize(12, 12) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(ink, 1.6);
    p.setPen(pen);
    switch (which) {
    case 0:  // close
        p.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5));
        p.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5));
        break;
    case 1:  // maximise
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2, 2, 8, 8));
        p.drawLine(QPointF(2, 3), QPointF(10, 3));
        break;
    case 2:  // minimise
        p.drawLine(QPointF(2.5, 9), QPointF(9.5, 9));
        break;
    }
    return QIcon(pm);
}

}  // namespace

class CaptionBar : public QWidget {
public:
    explicit CaptionBar(CaptionPanel* panel) : QWidget(panel), m_panel(panel) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_box = new QBoxLayout(QBoxLayout::TopToBottom, this);
        m_box->setContentsMargins(2, 2, 2, 2);
        m_box->setSpacing(1);
        const char* names[3] = {"closeButton", "maximizeButton", "minimizeButton"};
        for (int i = 0; i < 3; ++i) {
            auto* b = new QToolButton(this);
            b->setObjectName(QLatin1String(names[i]));
            b->setAutoRaise(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setFixedSize(16, 16);
            b->setIconSize(QSize(12, 12));
            b->hide();
            m_btn[i] = b;
        }
        QObject::connect(m_btn[0], &QToolButton::clicked, panel, &CaptionPanel::closeClicked);
        QObject::connect(m_btn[1], &QToolButton::clicked, panel, &CaptionPanel::maximizeClicked);
        QObject::connect(m_btn[2], &QToolButton::clicked, panel, &CaptionPanel::minimizeClicked);
        arrange();
    }

    void arrange() {
        while (m_box->count() > 0) m_box->takeAt(0);
        const bool left = m_panel->m_position == CaptionPanel::Left;
        m_box->setDirection(left ? QBoxLayout::TopToBottom : QBoxLayout::RightToLeft);
        for (int i = 0; i < 3; ++i) m_box->addWidget(m_btn[i], 0, left ? Qt::AlignHCenter : Qt::AlignVCenter);
        m_box->addStretch(1);
        const QColor ink = m_panel->m_textColor;
        for (int i = 0; i < 3; ++i) m_btn[i]->setIcon(buttonGlyph(i, ink));
        const int size = m_panel->captionSize();
        if (left) {
            setFixedWidth(size);
            setMinimumHeight(0);
            setMaximumHeight(QWIDGETSIZE_MAX);
        } else {
            setFixedHeight(size);
            setMinimumWidth(0);
            setMaximumWidth(QWIDGETSIZE_MAX);
        }
        update();
    }

    // Room the buttons take at the top (left bar) or right (top bar).
    int buttonRoom() const {
        int n = 0;
        for (int i = 0; i < 3; ++i)
            if (!m_btn[i]->isHidden()) ++n;
        return n == 0 ? 0 : 2 + n * 17;
    }

    QToolButton* m_btn[3];

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), m_panel->m_captionColor);
        p.setPen(m_panel->m_textColor);
        p.setFont(m_panel->m_captionFont);
        const int margin = 5;
        if (m_panel->m_position == CaptionPanel::Left) {
            // Turned by 90° to the left: the text starts at the bottom.
            p.translate(0, height());
            p.rotate(-90);
            const QRect r(margin, 0, height() - margin - buttonRoom(), width());
            const QString t = p.fontMetrics().elidedText(m_panel->m_caption, Qt::ElideRight, r.width());
            p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, t);
        } else {
            const QRect r(margin, 0, width() - margin - buttonRoom(), height());
            const QString t = p.fontMetrics().elidedText(m_panel->m_caption, Qt::ElideRight, r.width());
            p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, t);
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        emit m_panel->mouseMoved(mapTo(m_panel, e->position().toPoint()));
        e->accept();
    }

private:
    CaptionPanel* m_panel;
    QBoxLayout* m_box;
};

CaptionPanel::CaptionPanel(QWidget* parent) : CaptionPanel(QString(), parent) {}

CaptionPanel::CaptionPanel(const QString& caption, QWidget* parent)
    : QFrame(parent), m_caption(caption), m_captionColor(0x2B, 0x57, 0x9A) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setMouseTracking(true);
    m_captionFont = font();
    m_captionFont.setBold(true);
    m_captionFont.setPixelSize(13);
    m_bar = new CaptionBar(this);
    m_bar->setObjectName(QStringLiteral("captionBar"));
    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("contentArea"));
    m_area->setMouseTracking(true);
    auto* areaLayout = new QVBoxLayout(m_area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);
    m_layout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    m_layout->setSpacing(0);
    const int fw = frameWidth();
    m_layout->setContentsMargins(fw, fw, fw, fw);
    m_layout->addWidget(m_bar);
    m_layout->addWidget(m_area, 1);
    relayout();
}

int CaptionPanel::captionSize() const {
    if (m_captionSize > 0) return m_captionSize;
    return std::max(QFontMetrics(m_captionFont).height() + 6, 20);
}

QWidget* CaptionPanel::captionBar() const { return m_bar; }

void CaptionPanel::relayout() {
    m_layout->setDirection(m_position == Left ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    const int fw = frameWidth();
    m_layout->setContentsMargins(fw, fw, fw, fw);
    m_bar->arrange();
}

void CaptionPanel::setCaption(const QString& c) {
    m_caption = c;
    m_bar->update();
}

void CaptionPanel::setCaptionColor(const QColor& c) {
    m_captionColor = c;
    m_bar->update();
}

void CaptionPanel::setCaptionTextColor(const QColor& c) {
    m_textColor = c;
    relayout();
}

void CaptionPanel::setCaptionFont(const QFont& f) {
    m_captionFont = f;
    relayout();
}

void CaptionPanel::setCaptionPosition(CaptionPosition p) {
    m_position = p;
    relayout();
}

void CaptionPanel::setCaptionSize(int px) {
    m_captionSize = px;
    relayout();
}

void CaptionPanel::setButtons(Buttons b) {
    m_buttons = b;
    m_bar->m_btn[0]->setVisible(b.testFlag(CloseButton));
    m_bar->m_btn[1]->setVisible(b.testFlag(MaximizeButton));
    m_bar->m_btn[2]->setVisible(b.testFlag(MinimizeButton));
    m_bar->update();
}

QToolButton* CaptionPanel::button(Button b) const {
    switch (b) {
    case CloseButton:
        return m_bar->m_btn[0];
    case MaximizeButton:
        return m_bar->m_btn[1];
    case MinimizeButton:
        return m_bar->m_btn[2];
    }
    return nullptr;
}

void CaptionPanel::setHint(const QString& hint) {
    setStatusTip(hint);
    setToolTip(hint);
    m_bar->setStatusTip(hint);
    m_bar->setToolTip(hint);
}

void CaptionPanel::setContentWidget(QWidget* w) {
    if (m_content == w) return;
    if (m_content) {
        m_area->layout()->removeWidget(m_content);
        m_content->hide();
    }
    m_content = w;
    if (w) {
        if (!m_area->layout()) new QVBoxLayout(m_area);
        m_area->layout()->addWidget(w);
        w->show();
    }
}

void CaptionPanel::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved(e->position().toPoint());
    QFrame::mouseMoveEvent(e);
}

}  // namespace widgets
