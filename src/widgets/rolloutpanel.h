#pragma once
// A section that opens and closes by a click on its header bar.
//
// It keeps one height per state: the expanded height while open, the
// collapsed height (default: the header's 21 pixels) while closed. A height
// given while in a state (setPanelHeight) becomes that state's height. A
// change of state gives the panel the height of the new state and then emits
// expanded() or collapsed() and toggled(bool expanded).
#include <QColor>
#include <QPointer>
#include <QWidget>

class QAbstractButton;

namespace widgets {

class RolloutPanel : public QWidget {
    Q_OBJECT
public:
    explicit RolloutPanel(QWidget* parent = nullptr);
    explicit RolloutPanel(const QString& caption, QWidget* parent = nullptr);

    void setCaption(const QString& c);
    QString caption() const { return m_caption; }
    void setHeaderColor(const QColor& c);
    QColor headerColor() const { return m_headerColor; }
    // Status tip and tool tip of the header.
    void setHint(const QString& hint);

    void setContentWidget(QWidget* w);
    QWidget* contentWidget() const { return m_content; }
    // Holds the content; its layout is a QVBoxLayout.
    QWidget* contentArea() const { return m_area; }
    QAbstractButton* header() const;

    bool isCollapsed() const { return m_collapsed; }
    bool isExpanded() const { return !m_collapsed; }
    void setCollapsed(bool c);
    void expand() { setCollapsed(false); }
    void collapse() { setCollapsed(true); }
    void toggle() { setCollapsed(!m_collapsed); }

    void setExpandedHeight(int h);
    int expandedHeight() const { return m_expandedHeight; }
    void setCollapsedHeight(int h);
    int collapsedHeight() const { return m_collapsedHeight; }
    // The height of the current state.
    int panelHeight() const { return m_collapsed ? m_collapsedHeight : m_expandedHeight; }
    void setPanelHeight(int h);

    static constexpr int HeaderHeight = 21;

signals:
    void expanded();
    void collapsed();
    void toggled(bool expanded);

private:
    void applyHeight();

    QString m_caption;
    QColor m_headerColor;
    bool m_collapsed = false;
    int m_expandedHeight = 120;
    int m_collapsedHeight = HeaderHeight;
    QAbstractButton* m_header;
    QWidget* m_area;
    QPointer<QWidget> m_content;
};

}  // namespace widgets
