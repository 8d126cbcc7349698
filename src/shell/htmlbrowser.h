#pragma once
// The embedded HTML view of the quick-help panel and the help window.
//
// Every navigation - a page the program loads and a link the user clicks -
// first goes to `beforeNavigate(target, cancel)`, which may cancel it. Then:
//   - a local .htm/.html file is read and shown (a missing or unreadable file
//     gives an empty page);
//   - "#anchor" within the shown page scrolls to the anchor;
//   - http, https and mailto addresses that the user clicked are handed to
//     the desktop (platform::shell().openUrl); the program never opens them
//     by itself;
//   - anything else ("javascript:", other files, other programs) is ignored:
//     nothing is ever executed.
// The view keeps no history of its own, so no key or mouse button can
// navigate past the handler.
#include <QTextBrowser>
#include <functional>

class HtmlBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HtmlBrowser(QWidget* parent = nullptr);

    // Runs before every navigation; set `cancel` to stop it.
    std::function<void(const QString& target, bool& cancel)> beforeNavigate;

    // Navigates to a local file path (a program navigation).
    void navigate(const QString& filePath);
    // Follows a link of the shown page as if the user had clicked it.
    void followLink(const QUrl& link);

    // The file shown last (absolute path; also when it was missing and the
    // page is empty). Empty before the first page.
    QString currentFile() const { return m_currentFile; }
    // Whether the last shown file could be read.
    bool pageLoaded() const { return m_loaded; }

    QVariant loadResource(int type, const QUrl& name) override;

    // The text of an HTML file, decoded by its charset (UTF-8 when it names
    // none; 8-bit Windows text when it is no valid UTF-8).
    static QString decodeHtml(const QByteArray& data);

protected:
    // QTextBrowser's own navigation (history, setSource) goes through the
    // same path as everything else.
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    bool askBeforeNavigate(const QString& target);
    void showFile(const QString& path, const QString& fragment);
    QUrl baseUrl() const;

    QString m_currentFile;
    bool m_loaded = false;
};
