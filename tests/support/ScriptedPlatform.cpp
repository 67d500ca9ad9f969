#include "support/ScriptedPlatform.h"

namespace varilume::test {

Answer ScriptedPlatform::message(const QString& text, const QString& title, Buttons buttons,
                                 Icon icon) {
    messages.push_back({text, title, buttons, icon});
    if (!answers.empty()) {
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::Yes
                                                                          : Answer::Ok;
}

std::optional<QString> ScriptedPlatform::nextFile(bool save, const FileDialogSpec& spec) {
    fileRequests.push_back({save, spec});
    if (files.empty())
        return std::nullopt;
    const QString f = files.front();
    files.pop_front();
    if (f.isNull())
        return std::nullopt;
    return f;
}

std::optional<QString> ScriptedPlatform::openFile(const FileDialogSpec& spec) {
    return nextFile(false, spec);
}

std::optional<QString> ScriptedPlatform::saveFile(const FileDialogSpec& spec) {
    return nextFile(true, spec);
}

std::optional<std::int32_t> ScriptedPlatform::chooseColor(std::int32_t) {
    if (colors.empty())
        return std::nullopt;
    auto c = colors.front();
    colors.pop_front();
    return c;
}

int ScriptedPlatform::execDialog(QObject& dialog) {
    dialogsShown.push_back(dialog.objectName());
    if (dialogScripts.empty()) {
        QMetaObject::invokeMethod(&dialog, "reject");
        return 0;
    }
    DialogScript script = std::move(dialogScripts.front());
    dialogScripts.pop_front();
    return script(dialog);
}

bool ScriptedPlatform::openUrl(const QString& url) {
    openedUrls.push_back(url);
    return true;
}

void ScriptedPlatform::processEvents() {
    ++processEventsCalls;
    if (onProcessEvents)
        onProcessEvents();
}

QString ScriptedPlatform::transcript() const {
    QString out;
    for (const auto& m : messages)
        out += QStringLiteral("[%1] %2\n").arg(m.title, m.text);
    return out.isEmpty() ? QStringLiteral("(no messages)") : out;
}

QStringList ScriptedPlatform::textsTitled(const QString& title) const {
    QStringList out;
    for (const auto& m : messages)
        if (m.title == title)
            out << m.text;
    return out;
}

QString ScriptedPlatform::errorReports() const {
    const QString head = QStringLiteral("Error \"");
    const QString tail = QStringLiteral("\" encountered in module ");
    QStringList out;
    for (const auto& m : messages) {
        const qsizetype at = m.text.lastIndexOf(tail);
        const bool report = m.title == QStringLiteral("Error") && m.buttons == Buttons::Ok &&
                            m.icon == Icon::None && m.text.startsWith(head) &&
                            at >= head.size() - 1 && m.text.endsWith(u'.');
        if (report)
            out << m.text.mid(at + tail.size()).chopped(1);
        else
            out << QStringLiteral("[not an error report: %1, %2, buttons %3, icon %4]")
                       .arg(m.title, m.text)
                       .arg(int(m.buttons))
                       .arg(int(m.icon));
    }
    return out.join(QStringLiteral("; "));
}

} // namespace varilume::test
