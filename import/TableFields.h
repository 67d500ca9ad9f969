#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace varilume {

/// Splits one line of a delimited table into fields, without a string per field.
///
/// delimiter is ',', ';' or '\t' for one field between each pair of them, or ' ' for
/// fields separated by runs of blanks (spaces and TABs; leading and trailing blanks
/// make no empty fields). Blanks around a field are dropped. A field that begins
/// with '"' runs to the next lone '"', delimiters included; "" inside it stands for
/// one '"'. Such a field is unescaped into scratch, which is cleared first and must
/// outlive the views; all other fields are views into line.
void splitFields(QByteArrayView line, char delimiter, std::vector<QByteArrayView>& fields,
                 QByteArray& scratch);

/// What a field holds when read as a number.
enum class FieldValue {
    Number,  // a finite number
    Missing, // empty, or a word for "no value": NaN, null, none, N/A, "-", "--"
    Bad,     // anything else (text, an infinity, a number too large for a double)
};

/// Reads a field as a number: an optional sign, digits with an optional point
/// (a comma when decimalComma) and an optional exponent. Blanks around it are
/// allowed. Sets value only for FieldValue::Number.
FieldValue readNumber(QByteArrayView field, bool decimalComma, double& value);

/// The field without the blanks around it.
QByteArrayView trimmedField(QByteArrayView field);

/// True for a line that only underlines a header: dashes, '=', '+' and '|'
/// with blanks and delimiters between them.
bool isRuleLine(QByteArrayView line);

} // namespace varilume
