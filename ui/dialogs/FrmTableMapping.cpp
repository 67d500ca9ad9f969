#include "ui/dialogs/FrmTableMapping.h"

#include "ui/widgets/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>
#include <cmath>

namespace varilume {

namespace {

constexpr std::array kRoles{ColumnRole::Time,        ColumnRole::Magnitude, ColumnRole::Flux,
                            ColumnRole::Uncertainty, ColumnRole::Band,      ColumnRole::Flag,
                            ColumnRole::Limit,       ColumnRole::Ignore};

constexpr std::array kTimeSystems{TimeSystem::JD,    TimeSystem::MJD,     TimeSystem::ReducedJD,
                                  TimeSystem::BTJD,  TimeSystem::GaiaBJD, TimeSystem::KeplerBJD,
                                  TimeSystem::Offset};

QString number(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace

FrmTableMapping::FrmTableMapping(Context& ctx, const QString& path, const TableLayout& layout,
                                 const TableMapping& suggested, QWidget* parent)
    : QDialog(parent), ctx_(ctx), layout_(layout), base_(suggested) {
    setObjectName(QStringLiteral("frmTableMapping"));
    setWindowTitle(QStringLiteral("Open Light-Curve Table"));

    auto* intro = named(new QLabel(this), "lblFile");
    intro->setWordWrap(true);
    intro->setText(
        QStringLiteral("<b>%1</b>: %2 columns%3. Choose what each column holds.")
            .arg(QFileInfo(path).fileName().toHtmlEscaped())
            .arg(layout.columns.size())
            .arg(layout.kind == TableLayout::Kind::Fits
                     ? QStringLiteral(", FITS table %1").arg(layout.fitsExtension.toHtmlEscaped())
                     : QString()));

    const int columns = int(layout.columns.size());
    grdSample_ = named(new QTableWidget(int(layout.sample.size()) + 1, columns, this), "grdSample");
    grdSample_->setHorizontalHeaderLabels(layout.columns);
    grdSample_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSample_->verticalHeader()->setVisible(false);
    for (int c = 0; c < columns; ++c) {
        auto* box = new QComboBox(grdSample_);
        box->setObjectName(QStringLiteral("cboRole%1").arg(c));
        for (ColumnRole role : kRoles)
            box->addItem(roleName(role), int(role));
        const ColumnRole role = std::size_t(c) < suggested.roles.size()
                                    ? suggested.roles[std::size_t(c)]
                                    : ColumnRole::Ignore;
        box->setCurrentIndex(box->findData(int(role)));
        connect(box, &QComboBox::currentIndexChanged, this, &FrmTableMapping::rolesChanged);
        grdSample_->setCellWidget(0, c, box);
        roleBoxes_.push_back(box);
    }
    for (std::size_t r = 0; r < layout.sample.size(); ++r)
        for (int c = 0; c < columns && c < layout.sample[r].size(); ++c)
            grdSample_->setItem(int(r) + 1, c, new QTableWidgetItem(layout.sample[r][c]));
    grdSample_->resizeColumnsToContents();
    grdSample_->setMinimumSize(560, 240);

    cboTimeSystem_ = named(new QComboBox(this), "cboTimeSystem");
    for (TimeSystem system : kTimeSystems)
        cboTimeSystem_->addItem(timeSystemName(system), int(system));
    cboTimeSystem_->setCurrentIndex(cboTimeSystem_->findData(int(suggested.timeSystem)));
    txtTimeOffset_ = named(new QLineEdit(number(suggested.timeOffset), this), "txtTimeOffset");
    connect(cboTimeSystem_, &QComboBox::currentIndexChanged, this,
            &FrmTableMapping::timeSystemChosen);
    txtZeroPoint_ = named(new QLineEdit(number(suggested.fluxZeroPoint), this), "txtZeroPoint");
    chkKeepFlagged_ =
        named(new QCheckBox(QStringLiteral("Load flagged rows (marked discrepant)"), this),
              "chkKeepFlagged");
    chkKeepFlagged_->setChecked(suggested.keepFlagged);
    chkKeepLimits_ =
        named(new QCheckBox(QStringLiteral("Load upper limits (as fainter-than estimates)"), this),
              "chkKeepLimits");
    chkKeepLimits_->setChecked(suggested.keepUpperLimits);

    auto* times = new QHBoxLayout;
    times->addWidget(cboTimeSystem_);
    times->addWidget(new QLabel(QStringLiteral("full JD = time +"), this));
    times->addWidget(txtTimeOffset_);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Time system:"), times);
    form->addRow(QStringLiteral("Flux zero point (mag = zp − 2.5 log₁₀ flux):"), txtZeroPoint_);
    form->addRow(chkKeepFlagged_);
    form->addRow(chkKeepLimits_);

    lblStatus_ = named(new QLabel(this), "lblStatus");
    lblStatus_->setWordWrap(true);
    lblStatus_->setText(
        suggested.sure
            ? QStringLiteral("Recognised from the column names. Rows that cannot be read are "
                             "skipped and listed in files/Errors.txt.")
            : QStringLiteral("Not settled: %1. Check the columns before loading.")
                  .arg(suggested.why.isEmpty() ? QStringLiteral("no column names recognised")
                                               : suggested.why));

    auto* ok = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    ok->setDefault(true);
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    connect(ok, &QPushButton::clicked, this, &FrmTableMapping::cmdOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus_, 1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* main = new QVBoxLayout(this);
    main->addWidget(intro);
    main->addWidget(grdSample_, 1);
    main->addLayout(form);
    main->addLayout(buttons);
    rolesChanged();
}

void FrmTableMapping::timeSystemChosen() {
    const auto system = TimeSystem(cboTimeSystem_->currentData().toInt());
    // Offset and reduced JD keep what was typed; the named systems know theirs.
    if (system != TimeSystem::Offset && system != TimeSystem::ReducedJD)
        txtTimeOffset_->setText(number(defaultTimeOffset(system)));
}

void FrmTableMapping::rolesChanged() {
    bool flux = false;
    for (const QComboBox* box : roleBoxes_)
        flux = flux || ColumnRole(box->currentData().toInt()) == ColumnRole::Flux;
    txtZeroPoint_->setEnabled(flux);
}

TableMapping FrmTableMapping::mapping() const {
    TableMapping m = base_;
    m.roles.clear();
    for (const QComboBox* box : roleBoxes_)
        m.roles.push_back(ColumnRole(box->currentData().toInt()));
    m.bandOfColumn.resize(m.roles.size());
    m.timeSystem = TimeSystem(cboTimeSystem_->currentData().toInt());
    bool ok = false;
    const double offset = txtTimeOffset_->text().trimmed().toDouble(&ok);
    m.timeOffset = ok && std::isfinite(offset) ? offset : std::nan("");
    const double zp = txtZeroPoint_->text().trimmed().toDouble(&ok);
    m.fluxZeroPoint = ok && std::isfinite(zp) ? zp : std::nan("");
    m.keepFlagged = chkKeepFlagged_->isChecked();
    m.keepUpperLimits = chkKeepLimits_->isChecked();
    m.sure = true; // settled by the user
    m.why.clear();
    return m;
}

void FrmTableMapping::cmdOK() {
    const TableMapping m = mapping();
    QString why = checkMapping(layout_, m);
    if (why.isEmpty() && std::isnan(m.timeOffset))
        why = QStringLiteral("The time offset \"%1\" is not a number.").arg(txtTimeOffset_->text());
    if (why.isEmpty() && std::isnan(m.fluxZeroPoint))
        why = QStringLiteral("The flux zero point \"%1\" is not a number.")
                  .arg(txtZeroPoint_->text());
    if (!why.isEmpty()) {
        ctx_.platform.message(why, QStringLiteral("Open Light-Curve Table"), Buttons::Ok,
                              Icon::Exclamation);
        return;
    }
    accept();
}

} // namespace varilume
