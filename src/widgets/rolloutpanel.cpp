#include "widgets/rolloutpanel.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace widgets {

namespace {

// The header bar: background colour, an arrow showing the state, caption.
class RolloutHeader : public QAbstractButton {
public:
    RolloutHeader(RolloutPanel* panel) : QAbstractButton(panel), m_panel(panel) {
        setFocusPolicy(Qt::TabFocus);
        setFixedHeight(RolloutPanel::HeaderHeight);
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override { return QSize(100, RolloutPanel::HeaderHeight); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, m_panel->headerColor());
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(palette().color(QPalette::WindowText));
        QPainterPath arrow;
        const qreal cy = r.height() / 2.0;
        if (m_panel->isCollapsed()) {
            arrow.moveTo(8, cy - 4.5);
            arrow.lineTo(13, cy);
            arrow.lineTo(8, cy + 4.5);
        } else {
            arrow.moveTo(6, cy - 2.5);
            arrow.lineTo(15, cy - 2.5);
            arrow.lineTo(10.5, cy + 2.5);
        }
        arrow.closeSubpath();
        p.drawPath(arrow);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(palette().color(QPalette::WindowText));
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.drawText(r.adjusted(20, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, m_panel->caption());
        if (hasFocus()) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(1, 1, -2, -2));
        }
    }

private:
    RolloutPanel* m_panel;
};

}  // namespace

RolloutPanel::RolloutPanel(QWidget* parent) : RolloutPanel(QString(), parent) {}

RolloutPanel::RolloutPanel(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption), m_headerColor(0xFF, 0xFF, 0xE1) {
    m_header = new RolloutHeader(this);
    m_header->setObjectName(QStringLiteral("header"));
    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("contentArea"));
    auto* areaLayout = new QVBoxLayout(m_area);
    areaLayout->setContentsMargins(2, 2, 2, 2);
    areaLayout->setSpacing(2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_area, 1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_header, &QAbstractButton::clicked, this, &RolloutPanel::toggle);
    applyHeight();
}

QAbstractButton* RolloutPanel::header() const { return m_header; }

void RolloutPanel::setCaption(const QString& c) {
    m_caption = c;
    m_header->setText(c);
    m_header->update();
}

void RolloutPanel::setHeaderColor(const QColor& c) {
    m_headerColor = c;
    m_header->update();
}

void RolloutPanel::setHint(const QString& hint) {
    m_header->setStatusTip(hint);
    m_header->setToolTip(hint);
}

void RolloutPanel::setContentWidget(QWidget* w) {
    if (m_content == w) return;
    if (m_content) {
        m_area->layout()->removeWidget(m_content);
        m_content->hide();
    }
    m_content = w;
    if (w) {
        m_area->layout()->addWidget(w);
        w->show();
    }
}

void RolloutPanel::setCollapsed(bool c) {
    if (m_collapsed == c) return;
    m_collapsed = c;
    applyHeight();
    m_header->update();
    if (c) emit collapsed();
    else emit expanded();
    emit toggled(!c);
}

void RolloutPanel::setExpandedHeight(int h) {
    m_expandedHeight = std::max(0, h);
    if (!m_collapsed) applyHeight();
}

void RolloutPanel::setCollapsedHeight(int h) {
    m_collapsedHeight = std::max(0, h);
    if (m_collapsed) applyHeight();
}

void RolloutPanel::setPanelHeight(int h) {
    if (m_collapsed) setCollapsedHeight(h);
    else setExpandedHeight(h);
}

void RolloutPanel::applyHeight() {
    m_area->setVisible(!m_collapsed);
    setFixedHeight(panelHeight());
}

}  // namespace widgets
