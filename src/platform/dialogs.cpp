#include "dialogs.h"

#include "paths.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

Answer declineAnswer(Buttons buttons) {
    return buttons == Buttons::JaNein ? Answer::Nein : Answer::Abbrechen;
}

bool offers(Buttons buttons, Answer answer) {
    switch (answer) {
    case Answer::Ja: return true;
    case Answer::Nein: return buttons != Buttons::JaAbbrechen;
    case Answer::Abbrechen: return buttons != Buttons::JaNein;
    }
    return false;
}

QString Dialogs::saveFileIn(const QString& caption, const QString& folder, const QString& name,
                            const QString& filter, const QString& acceptLabel, const QString& defaultSuffix) {
    QDir().mkpath(folder);
    return showSaveFile(caption, QDir(folder).filePath(name), filter, acceptLabel, defaultSuffix);
}

namespace {

Dialogs* g_installed = nullptr;

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QWidget* activeParent() {
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

// A modal box on the offscreen platform would wait forever.
bool nobodyCanAnswer(const char* what, const QString& text) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) return false;
    qWarning("platform: %s not shown on the offscreen platform (no one could answer it): %s", what,
             qPrintable(text));
    return true;
}

const char* answerProperty = "kynoviaAnswer";

} // namespace

Dialogs& dialogs() {
    static QtDialogs real;
    return g_installed ? *g_installed : real;
}

Dialogs* setDialogs(Dialogs* d) {
    Dialogs* previous = g_installed;
    g_installed = d;
    return previous;
}

QString QtDialogs::displayText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

std::unique_ptr<QMessageBox> QtDialogs::buildMessageBox(const QString& text, Icon icon,
                                                        const QString& title, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setTextFormat(Qt::PlainText);
    box->setIcon(qtIcon(icon));
    box->setWindowTitle(title);
    box->setText(displayText(text));
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

std::unique_ptr<QMessageBox> QtDialogs::buildConfirmBox(const QString& text, const QString& title,
                                                        Buttons buttons, Icon icon,
                                                        Answer defaultButton, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setTextFormat(Qt::PlainText);
    box->setIcon(qtIcon(icon));
    box->setWindowTitle(title);
    box->setText(displayText(text));
    auto add = [&](Answer a, const QString& caption, QMessageBox::ButtonRole role) {
        if (!offers(buttons, a)) return;
        QPushButton* b = box->addButton(caption, role);
        b->setProperty(answerProperty, static_cast<int>(a));
        if (a == defaultButton) box->setDefaultButton(b);
        if (a == declineAnswer(buttons)) box->setEscapeButton(b);
    };
    add(Answer::Ja, QStringLiteral("&Ja"), QMessageBox::YesRole);
    add(Answer::Nein, QStringLiteral("&Nein"), QMessageBox::NoRole);
    add(Answer::Abbrechen, QStringLiteral("&Abbrechen"), QMessageBox::RejectRole);
    return box;
}

Answer QtDialogs::answerOf(QMessageBox& box, Buttons buttons) {
    QAbstractButton* clicked = box.clickedButton();
    if (clicked) {
        const QVariant v = clicked->property(answerProperty);
        if (v.isValid()) return static_cast<Answer>(v.toInt());
    }
    return declineAnswer(buttons);
}

QString QtDialogs::qtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            patterns << (t == QLatin1String("*.*") ? QStringLiteral("*") : t);
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        // Qt reads the patterns from a parenthesis at the end, so one that
        // the description brings along ("Textdateien (*.txt)") goes.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0) description = description.left(open).trimmed();
        }
        out << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

std::unique_ptr<QFileDialog> QtDialogs::buildFileDialog(bool save, const QString& caption,
                                                        const QString& dir, const QString& filter,
                                                        const QString& acceptLabel,
                                                        const QString& defaultSuffix,
                                                        QWidget* parent) {
    auto dlg = std::make_unique<QFileDialog>(parent);
    // The Qt dialog: it shows the German captions and honours acceptLabel,
    // which a desktop's own dialog would ignore.
    dlg->setOption(QFileDialog::DontUseNativeDialog, true);
    if (!caption.isEmpty()) dlg->setWindowTitle(caption);
    if (!dir.isEmpty()) {
        // A folder is where the dialog opens; a file path (that need not
        // exist) opens its folder with the file's name filled in.
        const QFileInfo ort(mapPath(dir));
        if (ort.isDir()) {
            dlg->setDirectory(ort.absoluteFilePath());
        } else {
            dlg->setDirectory(ort.absolutePath());
            dlg->selectFile(ort.fileName());
        }
    }
    if (!filter.isEmpty()) dlg->setNameFilter(qtFilter(filter));
    dlg->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!acceptLabel.isEmpty()) dlg->setLabelText(QFileDialog::Accept, acceptLabel);
    QString suffix = defaultSuffix;
    if (suffix.startsWith(QLatin1String("*."))) suffix = suffix.mid(2);
    else if (suffix.startsWith(QLatin1Char('.'))) suffix = suffix.mid(1);
    if (!suffix.isEmpty() && !suffix.contains(QLatin1Char('*'))) dlg->setDefaultSuffix(suffix);
    return dlg;
}

void QtDialogs::showMessage(const QString& text, Icon icon, const QString& title) {
    if (nobodyCanAnswer("message box", text)) return;
    auto box = buildMessageBox(text, icon, title, activeParent());
    box->exec();
}

Answer QtDialogs::showConfirm(const QString& text, const QString& title, Buttons buttons,
                              Icon icon, Answer defaultButton) {
    if (nobodyCanAnswer("confirmation box", text)) return declineAnswer(buttons);
    auto box = buildConfirmBox(text, title, buttons, icon, defaultButton, activeParent());
    box->exec();
    return answerOf(*box, buttons);
}

QString QtDialogs::runFileDialog(bool save, const QString& caption, const QString& dir,
                                 const QString& filter, const QString& acceptLabel,
                                 const QString& defaultSuffix) {
    if (nobodyCanAnswer("file dialog", caption)) return QString();
    auto dlg = buildFileDialog(save, caption, dir, filter, acceptLabel, defaultSuffix,
                               activeParent());
    if (dlg->exec() != QDialog::Accepted) return QString();
    const QStringList files = dlg->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

QString QtDialogs::showOpenFile(const QString& caption, const QString& dir, const QString& filter,
                                const QString& acceptLabel, const QString& defaultSuffix) {
    return runFileDialog(false, caption, dir, filter, acceptLabel, defaultSuffix);
}

QString QtDialogs::showSaveFile(const QString& caption, const QString& dir, const QString& filter,
                                const QString& acceptLabel, const QString& defaultSuffix) {
    return runFileDialog(true, caption, dir, filter, acceptLabel, defaultSuffix);
}

void QtDialogs::showError(const QString& text) {
    showMessage(text, Icon::Error, QStringLiteral("Kynovia"));
}

} // namespace platform
