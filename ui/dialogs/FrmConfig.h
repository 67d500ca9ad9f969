#pragma once

#include "store/Context.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;

namespace varilume {

/// "Configure Varilume": data folder, period increment and the thirteen point colours.
class FrmConfig : public QDialog {
    Q_OBJECT
public:
    explicit FrmConfig(Context& ctx, QWidget* parent = nullptr);

    /// Fills the boxes and colour buttons from the settings (run on activation,
    /// after Reset Colors and after the folder browser).
    void activate();
    void cmdEnter();
    void cmdReset();
    void cmdBrowse();
    void pickColor(int index);
    /// Colour shown on a class's button.
    std::int32_t buttonColor(int index) const { return colors_[static_cast<size_t>(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintButton(int index);

    Context& ctx_;
    QLineEdit* txtFilePath_ = nullptr;
    QLineEdit* txtIncrement_ = nullptr;
    QLineEdit* txtDataURL_ = nullptr;
    std::array<QPushButton*, 13> buttons_{};
    std::array<std::int32_t, 13> colors_{};
};

} // namespace varilume
