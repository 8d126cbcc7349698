#include "widgets/dbnavigator.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include "db/dataset.h"
#include "widgets/common.h"

namespace widgets {

namespace {

const char* const kNames[10] = {"nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert",
                                "nbDelete", "nbEdit", "nbPost", "nbCancel", "nbRefresh"};

// The button glyphs, drawn so that no image files are needed.
QIcon glyph(int i) {
    const qreal dpr = 2.0;
    QPixmap pm(QSize(16, 16) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x10, 0x10, 0x10);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](qreal x, bool left) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 5, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 5, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 5, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (i) {
    case 0:  // first
        p.drawRect(QRectF(4, 3, 2, 10));
        triangle(6.5, true);
        break;
    case 1:  // prior
        triangle(5.5, true);
        break;
    case 2:  // next
        triangle(5.5, false);
        break;
    case 3:  // last
        triangle(4.5, false);
        p.drawRect(QRectF(10, 3, 2, 10));
        break;
    case 4:  // insert
        p.drawRect(QRectF(3, 7, 10, 2));
        p.drawRect(QRectF(7, 3, 2, 10));
        break;
    case 5:  // delete
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case 6: {  // edit
        QPainterPath path;
        path.moveTo(3, 11);
        path.lineTo(8, 5);
        path.lineTo(13, 11);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case 7: {  // post
        QPen pen(QColor(0x00, 0x70, 0x00), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    }
    case 8: {  // cancel
        QPen pen(QColor(0xA0, 0x00, 0x00), 2.2, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
    case 9: {  // refresh
        QPen pen(ink, 1.8, Qt::SolidLine, Qt::FlatCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 290 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        QPainterPath head;
        head.moveTo(7.5, 0.8);
        head.lineTo(11, 3.2);
        head.lineTo(7.5, 5.6);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    }
    return QIcon(pm);
}

QString shortHint(const QString& h) {
    const int bar = h.indexOf(QLatin1Char('|'));
    return bar < 0 ? h : h.left(bar);
}

QString longHint(const QString& h) {
    const int bar = h.indexOf(QLatin1Char('|'));
    return bar < 0 ? h : h.mid(bar + 1);
}

}  // namespace

QStringList DbNavigator::defaultHints() {
    return {QStringLiteral("Erster Datensatz"),     QStringLiteral("Vorheriger Datensatz"),
            QStringLiteral("Nächster Datensatz"),   QStringLiteral("Letzter Datensatz"),
            QStringLiteral("Datensatz einfügen"),   QStringLiteral("Datensatz löschen"),
            QStringLiteral("Datensatz bearbeiten"), QStringLiteral("Übernehmen"),
            QStringLiteral("Bearbeiten abbrechen"), QStringLiteral("Aktualisieren")};
}

DbNavigator::DbNavigator(QWidget* parent) : QWidget(parent), m_hints(defaultHints()) {
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    for (int i = 0; i < 10; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(kNames[i]));
        b->setIcon(glyph(i));
        b->setIconSize(QSize(16, 16));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setMinimumSize(20, 20);
        const Button which = Button(1 << i);
        connect(b, &QToolButton::clicked, this, [this, which] { btnClick(which); });
        m_buttons[i] = b;
        m_layout->addWidget(b);
        applyHint(i);
    }
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFixedHeight(25);
    updateButtons();
}

int DbNavigator::indexOf(Button b) {
    for (int i = 0; i < 10; ++i)
        if (int(b) == (1 << i)) return i;
    return -1;
}

QToolButton* DbNavigator::button(Button b) const {
    const int i = indexOf(b);
    return i < 0 ? nullptr : m_buttons[i];
}

void DbNavigator::setDataSource(db::DataSource* ds) {
    if (m_ds == ds) return;
    if (m_ds) disconnect(m_ds, nullptr, this, nullptr);
    m_ds = ds;
    if (ds) {
        connect(ds, &db::DataSource::activeChanged, this, &DbNavigator::updateButtons);
        connect(ds, &db::DataSource::dataSetChanged, this, &DbNavigator::updateButtons);
        connect(ds, &db::DataSource::dataSetScrolled, this, &DbNavigator::updateButtons);
        connect(ds, &db::DataSource::stateChanged, this, &DbNavigator::updateButtons);
        connect(ds, &db::DataSource::rowsFetched, this, &DbNavigator::updateButtons);
        connect(ds, &QObject::destroyed, this, &DbNavigator::updateButtons);
    }
    updateButtons();
}

void DbNavigator::setVisibleButtons(Buttons b) {
    m_visible = b;
    for (int i = 0; i < 10; ++i) m_buttons[i]->setVisible(b.testFlag(Button(1 << i)));
}

void DbNavigator::setHints(const QStringList& hints) {
    m_hints = defaultHints();
    for (int i = 0; i < 10 && i < hints.size(); ++i) m_hints[i] = hints[i];
    for (int i = 0; i < 10; ++i) applyHint(i);
}

void DbNavigator::setHint(Button b, const QString& hint) {
    const int i = indexOf(b);
    if (i < 0) return;
    m_hints[i] = hint;
    applyHint(i);
}

QString DbNavigator::hint(Button b) const {
    const int i = indexOf(b);
    return i < 0 ? QString() : m_hints[i];
}

void DbNavigator::setShowHints(bool on) {
    m_showHints = on;
    for (int i = 0; i < 10; ++i) applyHint(i);
}

void DbNavigator::applyHint(int i) {
    m_buttons[i]->setStatusTip(longHint(m_hints[i]));
    m_buttons[i]->setToolTip(m_showHints ? shortHint(m_hints[i]) : QString());
}

void DbNavigator::updateButtons() {
    db::Dataset* d = m_ds && m_ds->enabled() ? m_ds->dataset() : nullptr;
    const bool active = d && d->isActive();
    const bool empty = !active || d->isEmpty();
    const bool editing = active && d->isEditing();
    const int row = active ? d->recNo() : -1;
    const bool atFirst = empty || row <= 0;
    const bool atLast = empty || (row >= d->recordCount() - 1 && !d->canFetchMore());
    m_buttons[0]->setEnabled(active && !atFirst);
    m_buttons[1]->setEnabled(active && !atFirst);
    m_buttons[2]->setEnabled(active && !atLast);
    m_buttons[3]->setEnabled(active && !atLast);
    m_buttons[4]->setEnabled(active);
    m_buttons[5]->setEnabled(active && !empty);
    m_buttons[6]->setEnabled(active && !editing);
    m_buttons[7]->setEnabled(editing);
    m_buttons[8]->setEnabled(editing);
    m_buttons[9]->setEnabled(active);
}

void DbNavigator::btnClick(Button b) {
    const int i = indexOf(b);
    if (i < 0 || !m_buttons[i]->isEnabled()) return;
    db::Dataset* d = m_ds ? m_ds->dataset() : nullptr;
    if (!d) return;
    if (beforeAction) beforeAction(b);
    switch (b) {
    case First:
        d->first();
        break;
    case Prior:
        d->prior();
        break;
    case Next:
        d->next();
        break;
    case Last:
        d->last();
        break;
    case Insert:
        d->insert();
        break;
    case Delete:
        if (!m_confirmDelete ||
            (confirmDelete ? confirmDelete(deleteQuestion()) : confirm(deleteQuestion(), this)))
            d->deleteRecord();
        break;
    case Edit:
        d->edit();
        break;
    case Post:
        d->post();
        break;
    case Cancel:
        d->cancel();
        break;
    case Refresh:
        d->refresh();
        break;
    }
    updateButtons();
    emit clicked(b);
}

void DbNavigator::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) updateButtons();
}

}  // namespace widgets
