#include "support/ScriptedPlatform.h"

#include <QDir>

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
    if (f == kProposed)
        return QDir(spec.initialFolder).filePath(spec.fileName);
    return f;
}

std::optional<QString> ScriptedPlatform::openFile(const FileDialogSpec& spec) {
    return nextFile(false, spec);
}

std::optional<QString> ScriptedPlatform::saveFile(const FileDialogSpec& spec) {
    const std::optional<QString> path = nextFile(true, spec);
    if (!path)
        return std::nullopt;
    return withSaveSuffix(*path, spec, spec.filterIndex);
}

std::optional<SaveChoice> ScriptedPlatform::saveFileAs(const FileDialogSpec& spec) {
    const std::optional<QString> path = nextFile(true, spec);
    int filter = spec.filterIndex;
    if (!chosenFilters.empty()) {
        filter = chosenFilters.front();
        chosenFilters.pop_front();
    }
    if (!path)
        return std::nullopt;
    return SaveChoice{withSaveSuffix(*path, spec, filter), filter};
}

PrintOutcome ScriptedPlatform::printPage(const PrintJob& job,
                                         const std::function<bool(QPaintDevice&)>& draw) {
    if (printFailure)
        return *printFailure;
    QImage page(printPageSize, QImage::Format_RGB32);
    page.fill(Qt::white);
    const int dotsPerMeter = qRound(printDpi / 0.0254);
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    const bool drawn = draw(page);
    printedPages.push_back({job, page});
    if (!drawn)
        return {PrintOutcome::PrinterFailed, QStringLiteral("The page could not be drawn.")};
    return {};
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

ShellResult ScriptedPlatform::nextShellResult() {
    if (shellResults.empty())
        return ShellResult::Opened;
    const ShellResult r = shellResults.front();
    shellResults.pop_front();
    return r;
}

ShellResult ScriptedPlatform::openUrl(const QString& url) {
    openedUrls.push_back(url);
    return nextShellResult();
}

ShellResult ScriptedPlatform::openPath(const QString& path) {
    openedPaths.push_back(path);
    return nextShellResult();
}

void ScriptedPlatform::processEvents() {
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
