#include "ui/dialogs/FrmAbout.h"

#include "ui/widgets/Twips.h"

#include <QEvent>
#include <QLabel>

namespace varilume {

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text, const TwipRect& r,
              qreal points, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(r.px());
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    l->setWordWrap(true);
    if (points > 0) {
        QFont f = l->font();
        f.setPointSizeF(points);
        f.setBold(bold);
        l->setFont(f);
    }
    return l;
}
} // namespace

QString FrmAbout::versionText() {
    return QStringLiteral("Varilume Version %1.%2.%3")
        .arg(VARILUME_VERSION_MAJOR)
        .arg(VARILUME_VERSION_MINOR)
        .arg(VARILUME_VERSION_PATCH);
}

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Varilume"));
    setFixedSize(TwipRect{0, 0, 4680, 2505}.px().size());
    const QList<QLabel*> labels = {
        label(this, "Label1", QStringLiteral("Varilume"), {660, 120, 3375, 495}, 18, true),
        label(this, "Label2", QStringLiteral("Calculates Variable Star Periods"),
              {360, 840, 3975, 375}, 12, true),
        label(this, "Label3", versionText(), {360, 1200, 3975, 735}, 0, false)};
    for (QLabel* l : labels)
        l->installEventFilter(this);
}

void FrmAbout::mousePressEvent(QMouseEvent*) {
    accept();
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace varilume
