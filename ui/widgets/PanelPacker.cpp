#include "ui/widgets/PanelPacker.h"

#include <QWidget>
#include <algorithm>

namespace varilume {

int PanelPacker::Group::width() const {
    int right = this->right;
    for (const Member& m : members)
        right = std::max(right, m.design.left() + m.widget->width());
    return right - left;
}

void PanelPacker::record(QWidget* panel, int designWidth, const QList<QWidget*>& skip) {
    panel_ = panel;
    designWidth_ = designWidth;
    QList<Member> members;
    for (QWidget* w : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!skip.contains(w))
            members.append({w, w->geometry()});
    std::sort(members.begin(), members.end(),
              [](const Member& a, const Member& b) { return a.design.left() < b.design.left(); });
    groups_.clear();
    for (const Member& m : members) {
        const int right = m.design.left() + m.design.width();
        if (!groups_.isEmpty() && m.design.left() < groups_.back().right) {
            groups_.back().right = std::max(groups_.back().right, right);
            groups_.back().members.append(m);
        } else {
            groups_.append({m.design.left(), right, {m}});
        }
    }
}

void PanelPacker::pack() const {
    if (!panel_ || groups_.isEmpty())
        return;
    // The gaps of the design: before each group, and after the last.
    int gaps = designWidth_ - groups_.back().right;
    int fixed = 0;
    for (qsizetype i = 0; i < groups_.size(); ++i) {
        gaps += groups_[i].left - (i == 0 ? 0 : groups_[i - 1].right);
        fixed += groups_[i].width();
    }
    const double shrink =
        gaps <= 0 ? 1.0 : std::clamp(double(panel_->width() - fixed) / gaps, 0.0, 1.0);
    double x = 0;
    for (qsizetype i = 0; i < groups_.size(); ++i) {
        const Group& g = groups_[i];
        x += (g.left - (i == 0 ? 0 : groups_[i - 1].right)) * shrink;
        const int shift = int(x) - g.left;
        for (const Member& m : g.members)
            m.widget->move(m.design.left() + shift, m.design.top());
        x += g.width();
    }
}

int PanelPacker::minimumWidth(int minGap) const {
    int width = 0;
    for (qsizetype i = 0; i < groups_.size(); ++i) {
        const int gap = groups_[i].left - (i == 0 ? 0 : groups_[i - 1].right);
        width += std::min(gap, minGap) + groups_[i].width();
    }
    if (!groups_.isEmpty())
        width += std::min(designWidth_ - groups_.back().right, minGap);
    return width;
}

} // namespace varilume
