// The main window on the desktop: files dropped onto it, the files loaded
// last in the "Files" menu, and its place and size kept between runs.
#include "ui/main/FrmPlot.h"

#include "import/DataFileKind.h"
#include "platform/FileSystem.h"
#include "settings/Settings.h"
#include "ui/main/MainLayout.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QTimer>

namespace varilume {

namespace {

// The one local file of a drag, or "" when it carries anything else.
QString droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().front();
    return url.isLocalFile() && FileExists(url.toLocalFile()) ? url.toLocalFile() : QString();
}

} // namespace

void FrmPlot::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty() && !state_.Plotting)
        event->acceptProposedAction();
}

void FrmPlot::dropEvent(QDropEvent* event) {
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // The load opens modal windows; the drag must be over before it starts.
    QTimer::singleShot(0, this, [this, file] { loadFile(file); });
}

void FrmPlot::loadFile(const QString& path) {
    if (state_.Plotting)
        return;
    const DataFileKind kind = recogniseDataFile(path);
    if (kind == DataFileKind::Unknown) {
        ctx_.platform.message(QDir::toNativeSeparators(path) +
                                  QStringLiteral(" is not a file Varilume can load. Its first "
                                                 "lines hold neither ORBIS observations nor a "
                                                 "Julian Date and a magnitude, nor a header "
                                                 "naming a time and a magnitude or flux column. "
                                                 "Files → Open Light-Curve Table… lets you say "
                                                 "which column is which."),
                              QStringLiteral("Not a Data File"), Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (!readyToLoad(kind))
        return;
    loadDataFile(path, kind);
}

void FrmPlot::mnuRecent(int number) {
    if (number < 1 || number > state_.RecentFiles.size() || state_.Plotting)
        return;
    const QString path = state_.RecentFiles[number - 1];
    if (!FileExists(path)) {
        state_.RecentFiles.removeAt(number - 1);
        fillRecentMenu();
        ctx_.platform.message(QStringLiteral("The file ") + QDir::toNativeSeparators(path) +
                                  QStringLiteral(" no longer exists. It has been taken off the "
                                                 "list of recent files."),
                              QStringLiteral("File Not Found"), Buttons::Ok, Icon::Exclamation);
        return;
    }
    loadFile(path);
}

void FrmPlot::rememberFile(const QString& file) {
    const QString path = QFileInfo(file).absoluteFilePath();
    state_.RecentFiles.removeAll(path);
    state_.RecentFiles.prepend(path);
    while (state_.RecentFiles.size() > kMaxRecentFiles)
        state_.RecentFiles.removeLast();
    fillRecentMenu();
}

void FrmPlot::fillRecentMenu() {
    qDeleteAll(mnuRecent_);
    mnuRecent_.clear();
    for (int i = 0; i < state_.RecentFiles.size() && i < kMaxRecentFiles; ++i) {
        QString caption = QDir::toNativeSeparators(state_.RecentFiles[i]);
        caption.replace(u'&', QStringLiteral("&&"));
        auto* a = new QAction(QStringLiteral("&%1 ").arg(i + 1) + caption, mnuFiles_);
        a->setObjectName(QStringLiteral("mnuRecent%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, i] { mnuRecent(i + 1); });
        mnuFiles_->insertAction(recentEnd_, a);
        mnuRecent_ << a;
    }
}

void FrmPlot::keepPlace() {
    const QRect r = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const auto twips = [](int px) { return static_cast<std::int32_t>(px * kTwipsPerPixel); };
    state_.WindowLeft = twips(r.x());
    state_.WindowTop = twips(r.y());
    state_.WindowWidth = twips(r.width());
    state_.WindowHeight = twips(r.height());
}

bool FrmPlot::restorePlace() {
    if (state_.WindowWidth <= 0 || state_.WindowHeight <= 0)
        return false;
    const auto px = [](std::int32_t twips) { return qRound(twips / kTwipsPerPixel); };
    const QRect r(px(state_.WindowLeft), px(state_.WindowTop), px(state_.WindowWidth),
                  px(state_.WindowHeight));
    // A place on a screen that has gone (or a damaged value) is not used.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersected(r).width() >= 100;
    if (!onScreen || r.width() < 200 || r.height() < 150)
        return false;
    setGeometry(r);
    return true;
}

} // namespace varilume
