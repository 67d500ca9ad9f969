#pragma once

#include <QString>

namespace varilume {

/// The busy display of the main window: the caption lblPrg and the progress bar
/// prgLoad, shown by imports, plots and exports.
class BusyView {
public:
    virtual ~BusyView() = default;
    /// Shows lblPrg with this caption.
    virtual void showBusyCaption(const QString& caption) = 0;
    virtual void hideBusyCaption() = 0;
    /// Shows prgLoad with minimum 0, this maximum and value 0.
    virtual void showProgress(int maximum) = 0;
    virtual void setProgress(int value) = 0;
    virtual void hideProgress() = 0;
};

} // namespace varilume
