#pragma once

// The program's command line: no arguments open the window; --search FILE runs
// the batch period search; --help and --version print and end. Every option is
// one row of a table (CommandLine.cpp), which the parser and the usage text
// both read, so an option is added in one place.

#include "app/BatchSearch.h"

#include <QString>
#include <QStringList>

namespace varilume {

enum class Mode {
    Window,  // no mode named: the window program
    Help,    // --help: the usage of every mode
    Version, // --version
    Search,  // --search FILE: the batch period search
};

/// What the arguments ask for, or why they cannot be used.
struct CommandLine {
    Mode mode = Mode::Window;
    BatchOptions batch; // the options of a batch mode
    QString error;      // one line for standard error (exit status 2); empty when usable
};

/// Reads the arguments after the program name. Qt's own options of the window
/// program (-platform, -style, ...) are accepted and left to Qt.
CommandLine parseCommandLine(const QStringList& args);

/// The usage of every mode, for --help.
QString usageText();

/// "Varilume 2.0.47", for --version.
QString versionText();

/// Runs a mode that needs no window (help, version, a batch mode, or
/// unusable arguments) and returns its exit status; -1 for the window program.
int runWithoutWindow(const CommandLine& command, int argc, char** argv);

} // namespace varilume
