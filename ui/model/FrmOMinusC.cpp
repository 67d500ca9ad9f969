#include "ui/model/FrmOMinusC.h"

#include "export/ModelCsv.h"
#include "export/OcPicture.h"
#include "export/SaveDialogs.h"
#include "ui/widgets/CanvasWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSaveFile>
#include <QVBoxLayout>
#include <cmath>

namespace varilume {

namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

// The diagram follows the widget's size: drawn again whenever it changes.
class OcWidget : public CanvasWidget {
public:
    OcWidget(const OcResult& result, QWidget* parent)
        : CanvasWidget(parent, 0xFFFFFF, 0x000000), result_(result) {}
    void redraw() {
        drawOcPicture(canvas(), result_);
        refresh();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        CanvasWidget::resizeEvent(event);
        redraw();
    }

private:
    const OcResult& result_;
};

} // namespace

FrmOMinusC::FrmOMinusC(Context& ctx, QWidget* parent) : QWidget(parent, Qt::Window), ctx_(ctx) {
    setObjectName(QStringLiteral("frmOMinusC"));
    setWindowTitle(QStringLiteral("Varilume - O\u2013C"));
    createControls();
    resize(720, 560);
}

FrmOMinusC::~FrmOMinusC() = default;

void FrmOMinusC::createControls() {
    auto* top = new QVBoxLayout(this);
    auto* settings = new QHBoxLayout;
    cboGrouping_ = new QComboBox(this);
    cboGrouping_->setObjectName(QStringLiteral("cboGrouping"));
    cboGrouping_->addItem(QStringLiteral("Each season"), int(OcGrouping::Seasons));
    cboGrouping_->addItem(QStringLiteral("Every N cycles"), int(OcGrouping::Cycles));
    cboGrouping_->addItem(QStringLiteral("Every N days"), int(OcGrouping::Days));
    txtGroupSize_ = new QLineEdit(QStringLiteral("10"), this);
    txtGroupSize_->setObjectName(QStringLiteral("txtGroupSize"));
    txtGroupSize_->setMaximumWidth(80);
    chkMinima_ = new QCheckBox(QStringLiteral("Minima"), this);
    chkMinima_->setObjectName(QStringLiteral("chkMinima"));
    cmdMeasure_ = button(QStringLiteral("&Measure"), "cmdMeasure", this);
    settings->addWidget(new QLabel(QStringLiteral("Groups:"), this));
    settings->addWidget(cboGrouping_);
    settings->addWidget(new QLabel(QStringLiteral("N:"), this));
    settings->addWidget(txtGroupSize_);
    settings->addWidget(chkMinima_);
    settings->addStretch();
    settings->addWidget(cmdMeasure_);
    top->addLayout(settings);

    auto* pic = new OcWidget(result_, this);
    picOC_ = pic;
    picOC_->setObjectName(QStringLiteral("picOC"));
    picOC_->setMinimumSize(320, 220);
    picOC_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    top->addWidget(picOC_, 1);
    lblLinear_ = new QLabel(this);
    lblLinear_->setObjectName(QStringLiteral("lblLinear"));
    lblLinear_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblQuadratic_ = new QLabel(this);
    lblQuadratic_->setObjectName(QStringLiteral("lblQuadratic"));
    lblQuadratic_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(lblLinear_);
    top->addWidget(lblQuadratic_);

    auto* bottom = new QHBoxLayout;
    cmdSaveCsv_ = button(QStringLiteral("Save &CSV\u2026"), "cmdSaveCsv", this);
    cmdSaveImage_ = button(QStringLiteral("Save &Image\u2026"), "cmdSaveImage", this);
    cmdClose_ = button(QStringLiteral("C&lose"), "cmdClose", this);
    bottom->addWidget(cmdSaveCsv_);
    bottom->addWidget(cmdSaveImage_);
    bottom->addStretch();
    bottom->addWidget(cmdClose_);
    top->addLayout(bottom);

    connect(cmdMeasure_, &QPushButton::clicked, this, &FrmOMinusC::cmdMeasure);
    connect(cmdSaveCsv_, &QPushButton::clicked, this, &FrmOMinusC::cmdSaveCsv);
    connect(cmdSaveImage_, &QPushButton::clicked, this, &FrmOMinusC::cmdSaveImage);
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
    connect(cboGrouping_, &QComboBox::currentIndexChanged, this, [this] {
        txtGroupSize_->setEnabled(cboGrouping_->currentData().toInt() != int(OcGrouping::Seasons));
    });
    txtGroupSize_->setEnabled(false);
    showResult();
}

void FrmOMinusC::setData(const SearchData& data, double period, double epoch, int order) {
    data_ = data;
    period_ = period;
    epoch_ = epoch;
    order_ = order;
}

void FrmOMinusC::cmdMeasure() {
    OcSettings s;
    s.period = period_;
    s.epoch = epoch_;
    s.order = order_;
    s.minima = chkMinima_->isChecked();
    s.grouping = OcGrouping(cboGrouping_->currentData().toInt());
    if (s.grouping != OcGrouping::Seasons) {
        bool ok = false;
        s.groupSize = txtGroupSize_->text().trimmed().toDouble(&ok);
        const bool whole =
            s.grouping != OcGrouping::Cycles || s.groupSize == std::floor(s.groupSize);
        if (!ok || !(s.groupSize > 0) || !std::isfinite(s.groupSize) || !whole) {
            ctx_.platform.message(
                QStringLiteral("The group size must be a positive %1, not \"%2\".")
                    .arg(s.grouping == OcGrouping::Cycles ? QStringLiteral("whole number of cycles")
                                                          : QStringLiteral("number of days"),
                         txtGroupSize_->text()),
                QStringLiteral("O\u2013C"), Buttons::Ok, Icon::Exclamation);
            return;
        }
    }
    result_ = measureOC(data_, s);
    if (!result_.ok)
        ctx_.platform.message(QString::fromStdString(result_.reason), QStringLiteral("O\u2013C"),
                              Buttons::Ok, Icon::Exclamation);
    showResult();
}

void FrmOMinusC::showResult() {
    const bool have = result_.ok && !result_.points.empty();
    cmdSaveCsv_->setEnabled(have);
    cmdSaveImage_->setEnabled(have);
    if (have) {
        const QStringList lines = ephemerisLines(result_).split(u'\n', Qt::SkipEmptyParts);
        lblLinear_->setText(lines.value(0));
        lblQuadratic_->setText(lines.value(1));
    } else {
        lblLinear_->setText(result_.ok ? QString() : QString::fromStdString(result_.reason));
        lblQuadratic_->clear();
    }
    static_cast<OcWidget*>(picOC_)->redraw();
}

void FrmOMinusC::cmdSaveCsv() {
    if (!result_.ok)
        return;
    const std::optional<QString> path = ctx_.platform.saveFile(
        saveDialogSpec(ctx_.state, QStringLiteral(" O-C.csv"),
                       QStringLiteral("CSV Files (*.csv)|*.csv|"), 1, QStringLiteral("csv")));
    if (!path)
        return;
    const QByteArray bytes = ocCsv(result_).toUtf8();
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ctx_.platform.message(QStringLiteral("The O\u2013C table could not be saved to %1: %2")
                                  .arg(*path, file.errorString()),
                              QStringLiteral("O\u2013C"), Buttons::Ok, Icon::Critical);
        return;
    }
    rememberSave(ctx_.state, *path);
}

void FrmOMinusC::cmdSaveImage() {
    if (!result_.ok)
        return;
    const std::optional<QString> path = ctx_.platform.saveFile(saveDialogSpec(
        ctx_.state, QStringLiteral(" O-C.png"),
        QStringLiteral("PNG Image (*.png)|*.png|Bitmap (*.bmp)|*.bmp|"), 1, QStringLiteral("png")));
    if (!path)
        return;
    if (const QString why = saveOcPicture(result_, *path); !why.isEmpty()) {
        ctx_.platform.message(why, QStringLiteral("O\u2013C"), Buttons::Ok, Icon::Critical);
        return;
    }
    rememberSave(ctx_.state, *path);
}

} // namespace varilume
