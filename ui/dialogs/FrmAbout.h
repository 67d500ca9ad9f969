#pragma once

#include <QDialog>

namespace varilume {

/// "About Varilume": name, purpose and version; a click anywhere closes it.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* parent = nullptr);
    static QString versionText();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace varilume
