#pragma once

#include "import/ColumnRoles.h"
#include "import/TableLayout.h"
#include "store/Context.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace varilume {

/// "Open Light-Curve Table": the first rows of a table with a drop-down per
/// column (Time, Magnitude, Flux, Uncertainty, Band, Flag, Limit, Ignore), the
/// time system and its zero point, the flux zero point, and what becomes of
/// flagged rows and upper limits. Opens with the suggested mapping, so a table
/// recognised for sure needs only Enter.
class FrmTableMapping : public QDialog {
    Q_OBJECT
public:
    FrmTableMapping(Context& ctx, const QString& path, const TableLayout& layout,
                    const TableMapping& suggested, QWidget* parent = nullptr);
    /// The mapping as the controls set it.
    TableMapping mapping() const;
    /// OK: takes a mapping that can be read, otherwise says why and stays open.
    void cmdOK();

private:
    void timeSystemChosen();
    void rolesChanged();

    Context& ctx_;
    const TableLayout& layout_;
    TableMapping base_; // what the controls do not show (bands of wide columns)
    std::vector<QComboBox*> roleBoxes_;
    QTableWidget* grdSample_ = nullptr;
    QComboBox* cboTimeSystem_ = nullptr;
    QLineEdit* txtTimeOffset_ = nullptr;
    QLineEdit* txtZeroPoint_ = nullptr;
    QCheckBox* chkKeepFlagged_ = nullptr;
    QCheckBox* chkKeepLimits_ = nullptr;
    QLabel* lblStatus_ = nullptr;
};

} // namespace varilume
