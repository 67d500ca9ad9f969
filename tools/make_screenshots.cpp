// Renders the program's own windows offscreen with a sample star, for the
// manual: make_screenshots <Template.mdb> <sample ORBIS file> <output folder>
// Ends with a failure when a window does not render (an empty or one-colour
// picture) or an unexpected message box appears, so the build stops there.
#include "app/Application.h"
#include "platform/QuietPlatform.h"
#include "ui/bins/FrmBins.h"
#include "ui/dialogs/FrmConfig.h"
#include "ui/model/FrmFourierFit.h"
#include "ui/model/FrmOMinusC.h"
#include "ui/preview/FrmPreview.h"
#include "ui/search/FrmSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <functional>

using namespace varilume;

namespace {

// The sample star's period, and the stretch of dates the preview zooms into.
constexpr double kSamplePeriod = 331.7;
constexpr double kZoomFrom = 2452300;
constexpr double kZoomTo = 2453900;
// Bins narrow enough to follow the sample's rise, wide enough to hold many points.
const QString kBinWidth = QStringLiteral("0.05");

class Camera {
public:
    explicit Camera(const QString& folder) : folder_(folder) {}
    // Saves the window as it is drawn now; false when it did not render.
    bool take(QWidget& window, const QString& name) {
        QApplication::processEvents();
        const QImage image = window.grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours.insert(image.pixel(x, y));
        if (image.isNull() || image.width() < 100 || colours.size() < 8) {
            std::fprintf(stderr, "%s did not render (%dx%d, %lld colours)\n", qPrintable(name),
                         image.width(), image.height(), static_cast<long long>(colours.size()));
            ok_ = false;
            return false;
        }
        const QString path = folder_ + u'/' + name + QStringLiteral(".png");
        if (!image.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok_ = false;
            return false;
        }
        return true;
    }
    bool ok() const { return ok_; }

private:
    QString folder_;
    bool ok_ = true;
};

// Answers the program's requests: the sample star for the file dialog, a
// script for each modal window. Any message box means the windows are not
// what the manual shows.
class ScreenshotPlatform : public QuietPlatform {
public:
    explicit ScreenshotPlatform(QString sample) : sample_(std::move(sample)) {}
    std::function<void(QDialog&)> onDialog;

    std::optional<QString> openFile(const FileDialogSpec&) override { return sample_; }
    int execDialog(QObject& window) override {
        auto& dialog = static_cast<QDialog&>(window); // every modal window is a QDialog
        if (onDialog) {
            dialog.show();
            onDialog(dialog);
        }
        dialog.hide();
        return dialog.result();
    }

private:
    QString sample_;
};

// A program folder as a new user has it after the first-run configuration,
// with the sample star in its files folder.
bool prepareFolder(const QString& folder, const QString& templatePath, const QString& sample) {
    QFile ini(folder + QStringLiteral("/Varilume.ini"));
    if (!QFile::copy(templatePath, folder + QStringLiteral("/Template.mdb")) ||
        !QDir(folder).mkdir(QStringLiteral("files")) ||
        !QFile::copy(sample, folder + QStringLiteral("/files/") + QFileInfo(sample).fileName()) ||
        !ini.open(QIODevice::WriteOnly))
        return false;
    ini.write("[Varilume.exe]\r\nFilePath=" + folder.toUtf8() + "/files\r\nIncrement=0.1\r\n");
    for (const ColorClass& c : kColorClasses)
        ini.write(QByteArray(c.key) + '=' + QByteArray::number(c.defaultValue, 'f', 0) + "\r\n");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_screenshots Template.mdb sample.txt output-folder\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    Application::setDesktopLook();
    const QString out = QString::fromLocal8Bit(argv[3]);
    const QString sample = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir folder;
    if (!QDir().mkpath(out) || !folder.isValid() ||
        !prepareFolder(folder.path(), QString::fromLocal8Bit(argv[1]), sample)) {
        std::fprintf(stderr, "cannot prepare %s or a program folder\n", argv[3]);
        return 1;
    }

    Camera camera(out);
    ScreenshotPlatform platform(folder.path() + QStringLiteral("/files/") +
                                QFileInfo(sample).fileName());
    Application app(platform, folder.path());
    if (!app.start() || !app.mainWindow())
        return 1;
    FrmPlot& main = *app.mainWindow();
    camera.take(main, QStringLiteral("start-screen"));

    // Load the sample; in the preview zoom into a few cycles, then go on.
    platform.onDialog = [&](QDialog& dialog) {
        auto& preview = static_cast<FrmPreview&>(dialog);
        preview.resize(main.size());
        preview.cmdZoom();
        preview.clickAt(kZoomFrom);
        preview.clickAt(kZoomTo);
        camera.take(preview, QStringLiteral("preview-zoom"));
        preview.cmdGo();
    };
    main.cmdLoad();
    platform.onDialog = nullptr;
    if (!app.state().StarLoaded) {
        std::fprintf(stderr, "the sample star did not load\n");
        return 1;
    }
    main.findChild<QRadioButton*>(QStringLiteral("optTwoCycles"))->click();
    main.findChild<QLineEdit*>(QStringLiteral("txtPeriod"))
        ->setText(QString::number(kSamplePeriod));
    main.cmdRefresh();
    camera.take(main, QStringLiteral("folded-plot"));

    // Average Line: the dialog as filled in, then the mean curve over the plot.
    platform.onDialog = [&](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("txtBinWid"))->setText(kBinWidth);
        camera.take(dialog, QStringLiteral("bins-dialog"));
        static_cast<FrmBins&>(dialog).cmdEnter();
    };
    main.mnuAverage();
    platform.onDialog = nullptr;
    camera.take(main, QStringLiteral("phase-bins"));

    // The period search over the same star on a logarithmic period axis,
    // where a long period's peaks stand apart.
    main.mnuSearch();
    FrmSearch& search = *main.searchWindow();
    search.findChild<QRadioButton*>(QStringLiteral("optPeriod"))->click();
    search.findChild<QCheckBox*>(QStringLiteral("chkLogPeriod"))->setChecked(true);
    search.cmdSearch();
    search.waitForRun();
    camera.take(search, QStringLiteral("period-search"));
    search.hide();

    // The Fourier fit at the sample's period, its model over the plot, and
    // the O–C diagram of its seasons.
    main.mnuFourierFit();
    FrmFourierFit& fit = *main.fourierWindow();
    fit.resize(560, 640);
    fit.cmdFit();
    camera.take(fit, QStringLiteral("fourier-fit"));
    fit.cmdOMinusC();
    if (fit.ocWindow()) {
        camera.take(*fit.ocWindow(), QStringLiteral("o-minus-c"));
        fit.ocWindow()->hide();
    }
    fit.hide();

    Context ctx{app.state(), app.store(), platform};
    FrmConfig config(ctx);
    config.show();
    camera.take(config, QStringLiteral("configure"));
    config.hide();

    app.ShutDown();
    return camera.ok() && platform.messagesShown == 0 ? 0 : 1;
}
