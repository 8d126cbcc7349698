#pragma once
// A panel with a caption bar along its left edge (or its top): the caption
// text is drawn turned by 90° so that it reads from bottom to top, on a
// settable background colour in a settable font. The bar can carry close,
// maximise and minimise buttons. The content area right of the bar holds one
// widget (setContentWidget), or several added to contentArea()->layout() (a
// QVBoxLayout without margins).
#include <QColor>
#include <QFlags>
#include <QFont>
#include <QFrame>
#include <QPointer>

class QToolButton;
class QBoxLayout;

namespace widgets {

class CaptionBar;

class CaptionPanel : public QFrame {
    Q_OBJECT
public:
    enum Button { CloseButton = 0x1, MaximizeButton = 0x2, MinimizeButton = 0x4 };
    Q_DECLARE_FLAGS(Buttons, Button)
    enum CaptionPosition { Left, Top };

    explicit CaptionPanel(QWidget* parent = nullptr);
    explicit CaptionPanel(const QString& caption, QWidget* parent = nullptr);

    void setCaption(const QString& c);
    QString caption() const { return m_caption; }
    void setCaptionColor(const QColor& c);
    QColor captionColor() const { return m_captionColor; }
    void setCaptionTextColor(const QColor& c);
    QColor captionTextColor() const { return m_textColor; }
    void setCaptionFont(const QFont& f);
    QFont captionFont() const { return m_captionFont; }
    void setCaptionPosition(CaptionPosition p);
    CaptionPosition captionPosition() const { return m_position; }
    // Thickness of the caption bar (default: from the caption font).
    void setCaptionSize(int px);
    int captionSize() const;

    void setButtons(Buttons b);
    Buttons buttons() const { return m_buttons; }
    QToolButton* button(Button b) const;

    // Status tip and tool tip of the panel and its caption bar.
    void setHint(const QString& hint);

    void setContentWidget(QWidget* w);
    QWidget* contentWidget() const { return m_content; }
    QWidget* contentArea() const { return m_area; }
    QWidget* captionBar() const;

signals:
    void closeClicked();
    void maximizeClicked();
    void minimizeClicked();
    // The mouse moved over the panel or its caption bar (panel coordinates).
    void mouseMoved(const QPoint& pos);

protected:
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    friend class CaptionBar;
    void relayout();

    QString m_caption;
    QColor m_captionColor;
    QColor m_textColor = Qt::white;
    QFont m_captionFont;
    CaptionPosition m_position = Left;
    int m_captionSize = 0;
    Buttons m_buttons;
    CaptionBar* m_bar;
    QWidget* m_area;
    QPointer<QWidget> m_content;
    QBoxLayout* m_layout;
};

}  // namespace widgets

Q_DECLARE_OPERATORS_FOR_FLAGS(widgets::CaptionPanel::Buttons)
