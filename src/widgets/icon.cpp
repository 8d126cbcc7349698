#include "widgets/icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

namespace widgets {

namespace {

// Hands every request to the icon of the file, made at the first request.
class SpaetesIcon : public QIconEngine {
public:
    explicit SpaetesIcon(QString file) : m_file(std::move(file)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("SpaetesIcon"); }
    QIconEngine* clone() const override { return new SpaetesIcon(m_file); }

private:
    const QIcon& icon() {
        if (!m_geladen) {
            m_icon = QIcon(m_file);
            m_geladen = true;
        }
        return m_icon;
    }
    QString m_file;
    QIcon m_icon;
    bool m_geladen = false;
};

}  // namespace

QIcon iconBeiBedarf(const QString& file) { return QIcon(new SpaetesIcon(file)); }

}  // namespace widgets
