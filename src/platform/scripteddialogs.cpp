#include "scripteddialogs.h"

namespace platform {

namespace {

QString answerName(Answer a) {
    switch (a) {
    case Answer::Ja: return QStringLiteral("Ja");
    case Answer::Nein: return QStringLiteral("Nein");
    case Answer::Abbrechen: return QStringLiteral("Abbrechen");
    }
    return QString();
}

bool fits(BoxKind expected, BoxKind shown) {
    if (expected == shown) return true;
    // expectMessage() also takes the error box.
    return expected == BoxKind::Message && shown == BoxKind::Error;
}

} // namespace

QString boxKindName(BoxKind kind) {
    switch (kind) {
    case BoxKind::Message: return QStringLiteral("message");
    case BoxKind::Error: return QStringLiteral("error box");
    case BoxKind::Confirm: return QStringLiteral("confirmation");
    case BoxKind::OpenFile: return QStringLiteral("open-file dialog");
    case BoxKind::SaveFile: return QStringLiteral("save-file dialog");
    }
    return QString();
}

ScriptedDialogs::~ScriptedDialogs() {
    if (!m_queue.isEmpty())
        qWarning("ScriptedDialogs: %d queued answer(s) never used", int(m_queue.size()));
}

ScriptedDialogs& ScriptedDialogs::expectMessage(const QString& text) {
    m_queue.append({BoxKind::Message, text, Answer::Ja, QString()});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectError(const QString& text) {
    m_queue.append({BoxKind::Error, text, Answer::Ja, QString()});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectConfirm(Answer a, const QString& text) {
    m_queue.append({BoxKind::Confirm, text, a, QString()});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectOpenFile(const QString& path) {
    m_queue.append({BoxKind::OpenFile, QString(), Answer::Ja, path});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectSaveFile(const QString& path) {
    m_queue.append({BoxKind::SaveFile, QString(), Answer::Ja, path});
    return *this;
}

QStringList ScriptedDialogs::texts() const {
    QStringList t;
    for (const ShownBox& b : m_shown) t << b.text;
    return t;
}

QRegularExpression ScriptedDialogs::unexpectedWarning() {
    return QRegularExpression(QStringLiteral("^ScriptedDialogs: unexpected"));
}

void ScriptedDialogs::problem(const QString& what) {
    m_problems << what;
    qWarning("ScriptedDialogs: unexpected %s", qPrintable(what));
}

bool ScriptedDialogs::take(ShownBox& box, Expected& out) {
    if (!m_queue.isEmpty() && fits(m_queue.first().kind, box.kind)) {
        out = m_queue.takeFirst();
        if (!out.text.isEmpty() && out.text != box.text) {
            problem(QStringLiteral("text of %1 #%2: \"%3\", expected \"%4\"")
                        .arg(boxKindName(box.kind)).arg(m_shown.size() + 1)
                        .arg(box.text, out.text));
        }
        return true;
    }
    box.expected = false;
    problem(QStringLiteral("%1 #%2 (%3): \"%4\"")
                .arg(boxKindName(box.kind))
                .arg(m_shown.size() + 1)
                .arg(m_queue.isEmpty() ? QStringLiteral("nothing queued")
                                       : QStringLiteral("queued: ")
                                             + boxKindName(m_queue.first().kind))
                .arg(box.text));
    return false;
}

void ScriptedDialogs::message(BoxKind kind, const QString& text, Icon icon, const QString& title) {
    ShownBox box;
    box.kind = kind;
    box.text = text;
    box.title = title;
    box.icon = icon;
    const bool queued = !m_queue.isEmpty() && fits(m_queue.first().kind, kind);
    if (m_ackMessages && !queued) {
        m_shown.append(box);
        return;
    }
    Expected e;
    take(box, e);
    m_shown.append(box);
}

void ScriptedDialogs::showMessage(const QString& text, Icon icon, const QString& title) {
    message(BoxKind::Message, text, icon, title);
}

void ScriptedDialogs::showError(const QString& text) {
    message(BoxKind::Error, text, Icon::Error, QStringLiteral("Kynovia"));
}

Answer ScriptedDialogs::showConfirm(const QString& text, const QString& title, Buttons buttons,
                                    Icon icon, Answer defaultButton) {
    ShownBox box;
    box.kind = BoxKind::Confirm;
    box.text = text;
    box.title = title;
    box.icon = icon;
    box.buttons = buttons;
    box.defaultButton = defaultButton;
    box.answer = declineAnswer(buttons);
    Expected e;
    if (take(box, e)) {
        if (offers(buttons, e.answer)) {
            box.answer = e.answer;
        } else {
            problem(QStringLiteral("answer \"%1\" for confirmation #%2, which has no such button: \"%3\"")
                        .arg(answerName(e.answer)).arg(m_shown.size() + 1).arg(text));
        }
    }
    m_shown.append(box);
    return box.answer;
}

QString ScriptedDialogs::file(BoxKind kind, const QString& caption, const QString& dir,
                              const QString& filter, const QString& acceptLabel,
                              const QString& defaultSuffix) {
    ShownBox box;
    box.kind = kind;
    box.text = caption;
    box.dir = dir;
    box.filter = filter;
    box.acceptLabel = acceptLabel;
    box.defaultSuffix = defaultSuffix;
    Expected e;
    if (take(box, e)) box.fileName = e.path;
    m_shown.append(box);
    return box.fileName;
}

QString ScriptedDialogs::showOpenFile(const QString& caption, const QString& dir,
                                      const QString& filter, const QString& acceptLabel,
                                      const QString& defaultSuffix) {
    return file(BoxKind::OpenFile, caption, dir, filter, acceptLabel, defaultSuffix);
}

QString ScriptedDialogs::showSaveFile(const QString& caption, const QString& dir,
                                      const QString& filter, const QString& acceptLabel,
                                      const QString& defaultSuffix) {
    return file(BoxKind::SaveFile, caption, dir, filter, acceptLabel, defaultSuffix);
}

QString ScriptedDialogs::report() const {
    QStringList lines;
    for (const QString& p : m_problems) lines << QStringLiteral("unexpected ") + p;
    for (const Expected& e : m_queue) {
        QString what = boxKindName(e.kind);
        if (e.kind == BoxKind::Confirm) what += QStringLiteral(" -> ") + answerName(e.answer);
        if (!e.text.isEmpty()) what += QStringLiteral(" \"%1\"").arg(e.text);
        lines << QStringLiteral("never shown: ") + what;
    }
    if (!lines.isEmpty()) {
        lines << QStringLiteral("boxes shown (%1):").arg(m_shown.size());
        for (const ShownBox& b : m_shown)
            lines << QStringLiteral("  %1%2: \"%3\"")
                         .arg(boxKindName(b.kind), b.expected ? QString() : QStringLiteral(" (unexpected)"),
                              b.text);
    }
    return lines.join(QLatin1Char('\n'));
}

void ScriptedDialogs::clear() {
    m_queue.clear();
    m_shown.clear();
    m_problems.clear();
}

} // namespace platform
