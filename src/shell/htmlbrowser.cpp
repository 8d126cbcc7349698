#include "shell/htmlbrowser.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextDocument>

#include "platform/shell.h"

namespace {

bool isHtmlFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("htm") || suffix == QLatin1String("html");
}

}  // namespace

QString HtmlBrowser::decodeHtml(const QByteArray& data) {
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (decoder.isValid()) {
        QString text = decoder.decode(data);
        if (!decoder.hasError()) return text;
    }
    // Old pages without a usable charset: 8-bit Windows text.
    return QString::fromLatin1(data);
}

HtmlBrowser::HtmlBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HtmlBrowser::followLink);
}

bool HtmlBrowser::askBeforeNavigate(const QString& target) {
    bool cancel = false;
    if (beforeNavigate) beforeNavigate(target, cancel);
    return !cancel;
}

void HtmlBrowser::navigate(const QString& filePath) {
    if (!askBeforeNavigate(filePath)) return;
    showFile(QFileInfo(filePath).absoluteFilePath(), QString());
}

QUrl HtmlBrowser::baseUrl() const {
    if (m_currentFile.isEmpty()) return QUrl();
    return QUrl::fromLocalFile(m_currentFile);
}

void HtmlBrowser::followLink(const QUrl& link) {
    // A link of the page: relative to the page shown.
    const QUrl target = link.isRelative() ? baseUrl().resolved(link) : link;
    const QString targetText = target.isEmpty() ? link.toString() : target.toString();
    if (!askBeforeNavigate(targetText)) return;

    const QString scheme = target.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        // Only a link the user clicked gets here (the program loads files).
        platform::shell().openUrl(target.toString());
        return;
    }
    if (scheme != QLatin1String("file")) return;  // javascript:, other programs: never run

    const QString path = target.toLocalFile();
    if (path.isEmpty()) return;
    if (path == m_currentFile && target.hasFragment()) {
        scrollToAnchor(target.fragment());
        return;
    }
    if (!isHtmlFile(path)) return;  // no other file is opened from a help page
    showFile(QFileInfo(path).absoluteFilePath(), target.fragment());
}

void HtmlBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType) {
    // Never QTextBrowser's own loading: the same checks as a clicked link.
    followLink(name);
}

void HtmlBrowser::showFile(const QString& path, const QString& fragment) {
    m_currentFile = path;
    m_loaded = false;
    QString html;
    QFile f(path);
    if (QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly)) {
        html = decodeHtml(f.readAll());
        m_loaded = true;
    }
    document()->setBaseUrl(QUrl::fromLocalFile(path));
    if (m_loaded) setHtml(html);
    else clear();  // a missing page is an empty page
    if (!fragment.isEmpty()) scrollToAnchor(fragment);
}

QVariant HtmlBrowser::loadResource(int type, const QUrl& name) {
    // Pictures and style sheets beside the page, nothing from elsewhere.
    const QUrl url = name.isRelative() ? baseUrl().resolved(name) : name;
    if (!url.isLocalFile()) return QVariant();
    QFile f(url.toLocalFile());
    if (!f.open(QIODevice::ReadOnly)) return QVariant();
    const QByteArray data = f.readAll();
    if (type == QTextDocument::StyleSheetResource || type == QTextDocument::HtmlResource)
        return decodeHtml(data);
    return data;
}
