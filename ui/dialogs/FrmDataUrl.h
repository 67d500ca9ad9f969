#pragma once

#include "store/Context.h"

#include <QDialog>

class QLineEdit;

namespace varilume {

/// True for an http or https address with a host: the only kind handed to the
/// browser, so a mistyped or hostile entry cannot open a local program or file.
bool isWebAddress(const QString& text);

/// "Data Download Page": asks once for the address of the archive's
/// data-download page, which the program does not know by itself.
class FrmDataUrl : public QDialog {
    Q_OBJECT
public:
    explicit FrmDataUrl(Context& ctx, QWidget* parent = nullptr);
    /// The address typed, trimmed.
    QString address() const;
    /// OK: takes an address that is a web address, otherwise says why and stays open.
    void cmdOK();

private:
    Context& ctx_;
    QLineEdit* txtDataURL_ = nullptr;
};

} // namespace varilume
