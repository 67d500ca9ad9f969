#include "ui/dialogs/FrmConfig.h"

#include "canvas/Canvas.h"
#include "format/NumberFormat.h"
#include "settings/Settings.h"
#include "ui/dialogs/FolderCheck.h"
#include "ui/dialogs/FrmBrowse.h"
#include "ui/dialogs/FrmDataUrl.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace varilume {

namespace {

struct ClassUi {
    const char* button;
    const char* label;
    const char* caption;
};
// Same order as kColorClasses.
constexpr ClassUi kClassUi[13] = {
    {"cmdVIS", "lblVisual", "VIS:"}, {"cmdFAINT", "lblFAINT", ":FAINT:"},
    {"cmdDISC", "lblDISC", "DISC:"}, {"cmdNA", "lblNA", "N/A:"},
    {"cmdU", "lblU", "U:"},          {"cmdV", "lblV", "V:"},
    {"cmdB", "lblB", "B:"},          {"cmdR", "lblR", "R:"},
    {"cmdI", "lblI", "I:"},          {"cmdCV", "lblCV", "CV:"},
    {"cmdCR", "lblCR", "CR:"},       {"cmdH", "lblH", "H:"},
    {"cmdJ", "lblJ", "J:"},
};

// Grid rows: VIS, FAINT, DISC, N/A; U, V, B, R; I, CV, CR; H, J.
constexpr int kRowStarts[] = {0, 4, 8, 11, 13};

} // namespace

FrmConfig::FrmConfig(Context& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configure Varilume"));

    auto* fraColor = new QGroupBox(QStringLiteral("Colors"), this);
    fraColor->setObjectName(QStringLiteral("fraColor"));
    auto* grid = new QGridLayout(fraColor);
    for (int row = 0; row < 4; ++row) {
        for (int i = kRowStarts[row]; i < kRowStarts[row + 1]; ++i) {
            const int col = i - kRowStarts[row];
            auto* label = new QLabel(QLatin1String(kClassUi[i].caption), fraColor);
            label->setObjectName(QLatin1String(kClassUi[i].label));
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            auto* button = new QPushButton(fraColor);
            button->setObjectName(QLatin1String(kClassUi[i].button));
            button->setFixedSize(36, 22);
            buttons_[static_cast<size_t>(i)] = button;
            connect(button, &QPushButton::clicked, this, [this, i] { pickColor(i); });
            grid->addWidget(label, row, col * 2);
            grid->addWidget(button, row, col * 2 + 1);
        }
    }
    auto* reset = new QPushButton(QStringLiteral("Reset Colors"), fraColor);
    reset->setObjectName(QStringLiteral("cmdReset"));
    grid->addWidget(reset, 3, 5, 1, 3);
    connect(reset, &QPushButton::clicked, this, &FrmConfig::cmdReset);

    auto* fraPath = new QGroupBox(QStringLiteral("File Path:"), this);
    fraPath->setObjectName(QStringLiteral("FraPath"));
    auto* pathRow = new QHBoxLayout(fraPath);
    txtFilePath_ = new QLineEdit(fraPath);
    txtFilePath_->setObjectName(QStringLiteral("txtFilePath"));
    auto* browse = new QPushButton(QStringLiteral("Browse"), fraPath);
    browse->setObjectName(QStringLiteral("cmdBrowse"));
    pathRow->addWidget(txtFilePath_, 1);
    pathRow->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, &FrmConfig::cmdBrowse);

    auto* urlRow = new QHBoxLayout;
    auto* lblDataURL = new QLabel(QStringLiteral("Data download page:"), this);
    lblDataURL->setObjectName(QStringLiteral("lblDataURL"));
    txtDataURL_ = new QLineEdit(this);
    txtDataURL_->setObjectName(QStringLiteral("txtDataURL"));
    txtDataURL_->setPlaceholderText(QStringLiteral("https://  (asked for at first use)"));
    urlRow->addWidget(lblDataURL);
    urlRow->addWidget(txtDataURL_, 1);

    auto* incrementRow = new QHBoxLayout;
    auto* label1 = new QLabel(QStringLiteral("Period Increment:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    txtIncrement_ = new QLineEdit(this);
    txtIncrement_->setObjectName(QStringLiteral("txtIncrement"));
    txtIncrement_->setMaximumWidth(90);
    auto* label2 = new QLabel(QStringLiteral("Day(s)"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    incrementRow->addWidget(label1);
    incrementRow->addWidget(txtIncrement_);
    incrementRow->addWidget(label2);
    incrementRow->addStretch();
    auto* enter = new QPushButton(QStringLiteral("Enter"), this);
    enter->setObjectName(QStringLiteral("cmdEnter"));
    enter->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    incrementRow->addWidget(enter);
    incrementRow->addWidget(cancel);
    connect(enter, &QPushButton::clicked, this, &FrmConfig::cmdEnter);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* main = new QVBoxLayout(this);
    main->addWidget(fraColor);
    main->addWidget(fraPath);
    main->addLayout(urlRow);
    main->addLayout(incrementRow);

    // Focus selects the leading characters, as the boxes are usually retyped.
    txtFilePath_->installEventFilter(this);
    txtIncrement_->installEventFilter(this);
    activate();
}

bool FrmConfig::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtFilePath_)
            QTimer::singleShot(0, txtFilePath_, [this] { txtFilePath_->setSelection(0, 50); });
        else if (watched == txtIncrement_)
            QTimer::singleShot(0, txtIncrement_, [this] { txtIncrement_->setSelection(0, 20); });
    }
    return QDialog::eventFilter(watched, event);
}

void FrmConfig::activate() {
    ProjectState& s = ctx_.state;
    if (s.FilePath.isEmpty())
        s.FilePath = s.ProgramFolder + QStringLiteral("/files");
    txtFilePath_->setText(s.FilePath);
    txtIncrement_->setText(s.Increment == 0 ? QStringLiteral("1") : fmt::general(s.Increment));
    txtDataURL_->setText(s.DataURL);
    for (size_t i = 0; i < 13; ++i) {
        const double setting = s.*(kColorClasses[i].member);
        colors_[i] = colorValue(setting == 0 ? kColorClasses[i].defaultValue : setting);
        paintButton(static_cast<int>(i));
    }
}

void FrmConfig::paintButton(int index) {
    const QColor c = rgbColor(colors_[static_cast<size_t>(index)]);
    buttons_[static_cast<size_t>(index)]->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid #444; }")
            .arg(c.name()));
}

void FrmConfig::pickColor(int index) {
    const auto chosen = ctx_.platform.chooseColor(colors_[static_cast<size_t>(index)]);
    if (!chosen)
        return;
    colors_[static_cast<size_t>(index)] = *chosen;
    paintButton(index);
}

void FrmConfig::cmdReset() {
    for (const ColorClass& c : kColorClasses)
        ctx_.state.*(c.member) = c.defaultValue;
    activate();
    update();
}

void FrmConfig::cmdBrowse() {
    // The browser writes its choice into the folder box; colours picked and an
    // increment typed meanwhile stay as they are, all of it saved by Enter alone.
    FrmBrowse browse(ctx_, txtFilePath_, this);
    ctx_.platform.execDialog(browse);
}

void FrmConfig::cmdEnter() {
    // Nothing reaches the settings until every box has been accepted: a Cancel
    // after a refused entry leaves them as they were.
    ProjectState& s = ctx_.state;
    const QString folderText = txtFilePath_->text();
    if (!dataFolderReady(ctx_, folderText)) {
        txtFilePath_->setText(s.FilePath);
        return;
    }
    const auto increment = fmt::parseNumber(txtIncrement_->text());
    if (!increment || !(*increment > 0) || *increment > 1e30) {
        ctx_.platform.message(QStringLiteral("The period increment \"") +
                                  txtIncrement_->text().trimmed() +
                                  QStringLiteral("\" is not a positive number of days."),
                              QStringLiteral("Period Increment"), Buttons::Ok, Icon::Exclamation);
        txtIncrement_->setFocus();
        return;
    }
    const QString url = txtDataURL_->text().trimmed();
    if (!url.isEmpty() && !isWebAddress(url)) {
        ctx_.platform.message(QStringLiteral("\"") + url +
                                  QStringLiteral("\" is not a web address. Enter an address "
                                                 "beginning with http:// or https://, or leave "
                                                 "the box empty."),
                              QStringLiteral("Data Download Page"), Buttons::Ok, Icon::Exclamation);
        txtDataURL_->setFocus();
        return;
    }
    s.DataURL = url;
    s.FilePath = folderText;
    s.Increment = static_cast<float>(*increment);
    for (size_t i = 0; i < 13; ++i)
        s.*(kColorClasses[i].member) = colors_[i];
    QString error;
    if (!WriteSettings(s, &error))
        ctx_.platform.message(error, QStringLiteral("Error"), Buttons::Ok, Icon::Exclamation);
    s.IniMissing = false;
    accept();
}

} // namespace varilume
