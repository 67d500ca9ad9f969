#pragma once

#include "store/Context.h"

#include <QDialog>

class QFileSystemModel;
class QLineEdit;
class QTreeView;

namespace varilume {

/// "Browse Directories": picks the data folder from the folder tree or a typed path.
class FrmBrowse : public QDialog {
    Q_OBJECT
public:
    /// configPath is the configuration dialog's folder box, which gets the choice too.
    FrmBrowse(Context& ctx, QLineEdit* configPath, QWidget* parent = nullptr);

    void cmdExit();
    QLineEdit* pathBox() const { return txtPath_; }
    /// Makes a folder the current one in the list (as a click would).
    void chooseFolder(const QString& path);

private:
    Context& ctx_;
    QLineEdit* configPath_;
    QLineEdit* txtPath_ = nullptr;
    QTreeView* dirList_ = nullptr;
    QFileSystemModel* model_ = nullptr;
};

} // namespace varilume
