#pragma once

#include "import/ObsValues.h"
#include "import/OrbisLine.h"
#include "store/ObsStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QStringDecoder>

class QIODevice;

namespace varilume {

struct ProjectState;
class BusyView;

/// The line-by-line part of an ORBIS import: recognises the layout from the first
/// non-blank line, sorts each line into stored, skipped (column headers), left out
/// (differential magnitudes) or rejected, and appends the stored ones to the store.
///
/// Rejected lines (wrong field count, unbalanced quotes, a JD that is a number but
/// no plausible date, a magnitude that is not a finite number) are written
/// unchanged to `errors`, each ended by CR LF.
class OrbisReader {
public:
    OrbisReader(ProjectState& state, ObsStore& store, BusyView& busy, QIODevice& errors);

    /// One line, UTF-8, without its line end. Throws StoreError from the store.
    void line(QByteArrayView raw);
    /// Called after the last line.
    void finish();

    /// JD text of the line being stored, for messages.
    QString currentJD() const { return currentJD_.toString(); }
    int stored() const { return stored_; }
    int rejected() const { return rejected_; }
    int excluded() const { return excluded_; }
    /// False when writing to the rejected-line file failed.
    bool errorsWritten() const { return errorsOk_; }

private:
    QStringView decode(QByteArrayView raw);
    void detect(QStringView firstLine);
    void flushPendingBlank();
    void reject(QByteArrayView raw);
    void process(QByteArrayView raw, QStringView text);
    bool isObservation(QByteArrayView raw);
    void store();

    ProjectState& state_;
    ObsStore& store_;
    BusyView& busy_;
    QIODevice& errors_;

    QStringDecoder decoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    QString lineBuf_;
    QString scratch_;
    orbis::Fields f_;
    ObsRecord rec_;
    ObsNumbers numbers_;
    QStringView currentJD_;
    bool haveStar_ = false;

    bool detected_ = false;
    orbis::Layout layout_ = orbis::Layout::Legacy;
    QChar delimiter_ = u',';
    // Blank lines before the layout is known, each ended by CR LF, and their count.
    QByteArray pendingBlank_;
    int pendingBlankCount_ = 0;

    int stored_ = 0;
    int rejected_ = 0;
    int excluded_ = 0;
    bool errorsOk_ = true;
    QElapsedTimer progressTimer_;
};

} // namespace varilume
