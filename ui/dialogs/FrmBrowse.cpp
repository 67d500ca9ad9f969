#include "ui/dialogs/FrmBrowse.h"

#include "ui/dialogs/FolderCheck.h"

#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace varilume {

FrmBrowse::FrmBrowse(Context& ctx, QLineEdit* configPath, QWidget* parent)
    : QDialog(parent), ctx_(ctx), configPath_(configPath) {
    setObjectName(QStringLiteral("frmBrowse"));
    setWindowTitle(QStringLiteral("Browse Directories"));
    resize(420, 380);

    txtPath_ = new QLineEdit(this);
    txtPath_->setObjectName(QStringLiteral("txtPath"));
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(QStringLiteral("/"));
    dirList_ = new QTreeView(this);
    dirList_->setObjectName(QStringLiteral("dirList"));
    dirList_->setModel(model_);
    for (int col = 1; col < model_->columnCount(); ++col)
        dirList_->hideColumn(col);
    dirList_->header()->hide();
    connect(dirList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { txtPath_->setText(model_->filePath(index)); });

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* enter = new QPushButton(QStringLiteral("Enter"), this);
    enter->setObjectName(QStringLiteral("cmdExit"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(enter, &QPushButton::clicked, this, &FrmBrowse::cmdExit);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(enter);
    auto* main = new QVBoxLayout(this);
    main->addWidget(txtPath_);
    main->addWidget(dirList_, 1);
    main->addLayout(buttons);

    txtPath_->setText(ctx_.state.FilePath);
    const QModelIndex start = model_->index(ctx_.state.FilePath);
    if (start.isValid()) {
        dirList_->setCurrentIndex(start);
        dirList_->scrollTo(start);
        txtPath_->setText(ctx_.state.FilePath);
    }
}

void FrmBrowse::chooseFolder(const QString& path) {
    const QModelIndex index = model_->index(path);
    if (index.isValid())
        dirList_->setCurrentIndex(index);
}

void FrmBrowse::cmdExit() {
    // The choice goes to the configuration dialog's box only; its Enter saves it.
    const QString chosen = txtPath_->text();
    if (configPath_)
        configPath_->setText(chosen);
    if (!dataFolderReady(ctx_, chosen)) {
        txtPath_->setText(ctx_.state.FilePath);
        return;
    }
    accept();
}

} // namespace varilume
