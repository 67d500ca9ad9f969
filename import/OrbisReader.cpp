#include "import/OrbisReader.h"

#include "import/ColorRule.h"
#include "import/ObsValues.h"
#include "platform/BusyView.h"
#include "store/State.h"

#include <QIODevice>
#include <cstring>

namespace varilume {

namespace {

constexpr int kProgressIntervalMs = 100;
const char kCrLf[] = "\r\n";

/// Copies text into a field of the reused record. Consecutive lines repeat most
/// fields, so an equal value is left alone; otherwise the field's buffer is
/// reused unless the store still holds a copy of it.
inline void assign(QString& dst, QStringView src) {
    if (QStringView(dst) == src)
        return;
    if (!dst.isDetached()) {
        dst = src.toString();
        return;
    }
    dst.resize(src.size());
    if (!src.isEmpty())
        std::memcpy(dst.data(), src.data(), static_cast<std::size_t>(src.size()) * sizeof(QChar));
}

bool hasDigit(QStringView text) {
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            return true;
    }
    return false;
}

} // namespace

OrbisReader::OrbisReader(ProjectState& state, ObsStore& store, BusyView& busy, QIODevice& errors)
    : state_(state), store_(store), busy_(busy), errors_(errors) {}

void OrbisReader::line(QByteArrayView raw) {
    const QStringView text = decode(raw);
    if (!detected_) {
        if (orbis::trim(text).isEmpty()) {
            // The layout is not known yet; blank lines wait for it.
            pendingBlank_ += raw;
            pendingBlank_ += kCrLf;
            ++pendingBlankCount_;
            return;
        }
        detect(text);
    }
    process(raw, text);
}

void OrbisReader::finish() {
    if (!detected_)
        flushPendingBlank();
}

QStringView OrbisReader::decode(QByteArrayView raw) {
    const qsizetype need = decoder_.requiredSpace(raw.size());
    if (lineBuf_.size() < need)
        lineBuf_.resize(need);
    QChar* begin = lineBuf_.data();
    QChar* end = decoder_.appendToBuffer(begin, raw);
    return QStringView(begin, end - begin);
}

void OrbisReader::detect(QStringView firstLine) {
    detected_ = true;
    layout_ = orbis::detectLayout(firstLine).layout;
    delimiter_ = layout_ == orbis::Layout::CurrentTab ? u'\t' : u',';
    flushPendingBlank();
}

void OrbisReader::flushPendingBlank() {
    // Under the 18-field rules a blank line has one field and is rejected;
    // the current layout passes over blank lines.
    if (layout_ == orbis::Layout::Legacy && pendingBlankCount_ > 0) {
        if (errors_.write(pendingBlank_) != pendingBlank_.size())
            errorsOk_ = false;
        rejected_ += pendingBlankCount_;
    }
    pendingBlank_.clear();
    pendingBlankCount_ = 0;
}

void OrbisReader::reject(QByteArrayView raw) {
    if (errors_.write(raw.data(), raw.size()) != raw.size() || errors_.write(kCrLf, 2) != 2)
        errorsOk_ = false;
    ++rejected_;
}

void OrbisReader::process(QByteArrayView raw, QStringView text) {
    if (layout_ == orbis::Layout::Legacy) {
        if (orbis::splitLegacy(text, f_) != orbis::kLegacyFieldCount) {
            reject(raw);
            return;
        }
    } else {
        if (orbis::trim(text).isEmpty())
            return;
        if (orbis::splitCurrent(text, delimiter_, f_, scratch_) != orbis::SplitStatus::Ok ||
            f_.count != orbis::kCurrentFieldCount) {
            reject(raw);
            return;
        }
    }
    if (!isObservation(raw))
        return;
    if (layout_ != orbis::Layout::Legacy && orbis::trim(f_[20]) == u"DIF") {
        // Differential magnitudes are not on the standard scale.
        ++excluded_;
        return;
    }
    store();
}

// A line of the right field count holds an observation when its first field is a
// date of the file's pattern with sound numbers. Column headers (no digit in the
// first field) pass silently; a first field with digits that is no such date, or
// a bad magnitude, is rejected rather than lost without a trace.
bool OrbisReader::isObservation(QByteArrayView raw) {
    if (!orbis::isJulianDate(f_[1])) {
        if (hasDigit(f_[1]))
            reject(raw);
        return false;
    }
    if (!checkObsNumbers(f_[1], orbis::splitMagnitude(f_[2]).mag, &numbers_).isEmpty()) {
        reject(raw);
        return false;
    }
    return true;
}

void OrbisReader::store() {
    const QStringView name = orbis::trim(f_[18]);
    if (!haveStar_ || name != state_.StarName) {
        state_.StarName = name.toString();
        rec_.Star = state_.StarName.toUpper();
        haveStar_ = true;
    }
    currentJD_ = orbis::trim(f_[1]);
    assign(rec_.JD, f_[1]);
    const orbis::Magnitude m = orbis::splitMagnitude(f_[2]);
    assign(rec_.Mag, m.mag);
    assign(rec_.Faint, m.faint);
    assign(rec_.Uncertain, orbis::trim(f_[3]));
    assign(rec_.HQUncertain, orbis::trim(f_[4]));
    assign(rec_.Band, orbis::trim(f_[5]));
    assign(rec_.Init, orbis::trim(f_[6]));
    assign(rec_.ComCod, orbis::trim(f_[7]));
    assign(rec_.Comp1, orbis::trim(f_[8]));
    assign(rec_.Comp2, orbis::trim(f_[9]));
    assign(rec_.Charts, orbis::trim(f_[10]));
    assign(rec_.Comments, orbis::trim(f_[11]));
    assign(rec_.XForm, orbis::trim(f_[12]));
    assign(rec_.AirMass, orbis::trim(f_[13]));
    assign(rec_.Valid, orbis::trim(f_[14]));
    assign(rec_.CMag, orbis::trim(f_[15]));
    assign(rec_.KMag, orbis::trim(f_[16]));
    assign(rec_.HQJD, orbis::trim(f_[17]));
    if (layout_ != orbis::Layout::Legacy) {
        assign(rec_.ObsAffil, orbis::trim(f_[19]));
        assign(rec_.MeasMethod, orbis::trim(f_[20]));
        assign(rec_.GroupMethod, orbis::trim(f_[21]));
        assign(rec_.ADSRef, orbis::trim(f_[22]));
        assign(rec_.Digitizer, orbis::trim(f_[23]));
        assign(rec_.Credit, orbis::trim(f_[24]));
    }
    rec_.PunktFarb = orbisColor(state_, f_[2], f_[5], f_[14]);
    // Converted once, by the check that let the line in.
    rec_.converted = true;
    rec_.jdValue = numbers_.jd;
    rec_.magValue = numbers_.mag;

    store_.append(rec_);
    ++stored_;
    if (stored_ == 1) {
        busy_.showBusyCaption(QStringLiteral("Loading ") + QString::number(state_.NumRecords) +
                              QStringLiteral(" Records for ") + state_.StarName.toUpper());
        progressTimer_.start();
    } else if ((stored_ & 1023) == 0 && progressTimer_.elapsed() >= kProgressIntervalMs) {
        // By time, not per record: widget updates would cost more than the import.
        busy_.setProgress(stored_);
        progressTimer_.restart();
    }
}

} // namespace varilume
