#pragma once

#include "platform/SilentPlatform.h"

#include <QCoreApplication>
#include <cstdio>

namespace varilume {

/// The silent platform for tools that run the program's routines without a user
/// (the benchmark, the manual's screenshots): messages also go to stderr and are
/// counted, since a tool run that meets one is suspect; events are serviced.
class QuietPlatform : public SilentPlatform {
public:
    int messagesShown = 0;

    Answer message(const QString& text, const QString& title, Buttons b, Icon i) override {
        std::fprintf(stderr, "message [%s] %s\n", qPrintable(title), qPrintable(text));
        ++messagesShown;
        return SilentPlatform::message(text, title, b, i);
    }
    void processEvents() override { QCoreApplication::processEvents(); }
};

} // namespace varilume
