#pragma once

#include <QList>
#include <QRect>

class QWidget;

namespace varilume {

/// Keeps a panel's controls at their design places while the panel is wide
/// enough, and on a narrower panel shrinks the gaps between the groups of
/// controls (controls stacked over one another form a group) evenly, so that
/// no control is cut at the panel's right edge.
class PanelPacker {
public:
    /// Takes the panel's direct children where they stand now as the design of
    /// a panel designWidth pixels wide; those in skip are placed by the caller.
    void record(QWidget* panel, int designWidth, const QList<QWidget*>& skip = {});
    /// Places the controls for the panel's present width, with their present widths.
    void pack() const;
    /// The narrowest panel on which the controls, at their present widths,
    /// still stand apart, minGap pixels between groups and at the ends.
    int minimumWidth(int minGap) const;

private:
    struct Member {
        QWidget* widget;
        QRect design;
    };
    struct Group {
        int left = 0;  // design left of the group
        int right = 0; // design right edge (exclusive)
        QList<Member> members;
        int width() const; // with the members' present widths
    };
    QWidget* panel_ = nullptr;
    int designWidth_ = 0;
    QList<Group> groups_;
};

} // namespace varilume
