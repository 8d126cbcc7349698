#pragma once
// The viewer of the application help file (the help menu's "Inhalt..." and
// "In der Hilfe Suchen nach..."). The main window installs the real viewer;
// until then requests are ignored.
#include <QList>
#include <QString>

namespace platform {

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // The contents of the help file.
    virtual void showContents(const QString& helpFile) = 0;
    // The search of the help file; an empty key opens the search with
    // nothing entered.
    virtual void search(const QString& helpFile, const QString& key = QString()) = 0;
};

HelpViewer& helpViewer();
// Installs v (nullptr: the default, which does nothing); returns the previous one.
HelpViewer* setHelpViewer(HelpViewer* v);

class HelpViewerGuard {
public:
    explicit HelpViewerGuard(HelpViewer* v) : m_previous(setHelpViewer(v)) {}
    ~HelpViewerGuard() { setHelpViewer(m_previous); }
    HelpViewerGuard(const HelpViewerGuard&) = delete;
    HelpViewerGuard& operator=(const HelpViewerGuard&) = delete;

private:
    HelpViewer* m_previous;
};

// Test double: records ("contents" | "search", help file, key).
struct HelpCall {
    QString what;
    QString helpFile;
    QString key;
    bool operator==(const HelpCall&) const = default;
};

class RecordingHelpViewer : public HelpViewer {
public:
    void showContents(const QString& helpFile) override {
        m_calls.append({QStringLiteral("contents"), helpFile, QString()});
    }
    void search(const QString& helpFile, const QString& key = QString()) override {
        m_calls.append({QStringLiteral("search"), helpFile, key});
    }
    const QList<HelpCall>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QList<HelpCall> m_calls;
};

class ScopedRecordingHelpViewer : public RecordingHelpViewer {
public:
    ScopedRecordingHelpViewer() : m_guard(this) {}

private:
    HelpViewerGuard m_guard;
};

} // namespace platform
