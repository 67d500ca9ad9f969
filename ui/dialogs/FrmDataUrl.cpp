#include "ui/dialogs/FrmDataUrl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace varilume {

bool isWebAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

FrmDataUrl::FrmDataUrl(Context& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("frmDataURL"));
    setWindowTitle(QStringLiteral("Data Download Page"));
    auto* text = new QLabel(
        QStringLiteral("\"Download Data File (WWW)\" opens the data-download page of your "
                       "observation archive in the web browser. Enter the page's address "
                       "(it begins with https://). Varilume keeps it in Varilume.ini; "
                       "Configure changes it."),
        this);
    text->setObjectName(QStringLiteral("lblExplain"));
    text->setWordWrap(true);
    txtDataURL_ = new QLineEdit(ctx.state.DataURL, this);
    txtDataURL_->setObjectName(QStringLiteral("txtDataURL"));
    txtDataURL_->setPlaceholderText(QStringLiteral("https://"));
    txtDataURL_->setMinimumWidth(360);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &FrmDataUrl::cmdOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(text);
    main->addWidget(txtDataURL_);
    main->addLayout(buttons);
}

QString FrmDataUrl::address() const {
    return txtDataURL_->text().trimmed();
}

void FrmDataUrl::cmdOK() {
    if (!isWebAddress(address())) {
        ctx_.platform.message(QStringLiteral("\"") + address() +
                                  QStringLiteral("\" is not a web address. Enter an address "
                                                 "beginning with http:// or https://."),
                              QStringLiteral("Data Download Page"), Buttons::Ok, Icon::Exclamation);
        txtDataURL_->setFocus();
        return;
    }
    accept();
}

} // namespace varilume
