// Building one line of a comma-delimited file, each field written as its picture says.
#pragma once

#include "platform/picture/picture.h"
#include "platform/store/layout.h"

#include <QString>
#include <QStringView>

namespace melodex {

/// Collects the fields of one line.
///
/// How a value is written depends on the letter of its picture: S writes the text in double
/// quotes with every double quote doubled, whole (the picture's width does not cut it: a memo
/// of 2000 characters under "@s255" is written in full, so an export loses nothing); N writes
/// the plain number unquoted, without applying the picture; any other picture writes the value
/// formatted by the picture, in quotes.
class CsvLineBuilder
{
public:
    /// Empties the line; the next field is the first.
    void start();

    /// Appends `value` (text or whole number, as the store holds it) written by `picture`.
    void addValue(const store::Value &value, const picture::Picture &picture);
    /// Appends `text` in quotes with its quotes doubled.
    void addText(QStringView text);
    /// Appends a field name of the header line: quoted, at most 50 characters; in a name that
    /// holds "[", each "," and "[" becomes "_" and each "]" a blank.
    void addHeaderName(const QString &name);

    /// Writes every quoted value that a spreadsheet program would take for a formula (beginning
    /// with "=", "+", "-", "@", a tab or a carriage return) with a single quote before it, so
    /// that opening the file evaluates nothing. Off by default: the file then holds the values
    /// exactly and an import reads back what was written; on, such values read back with the
    /// quote. Bare numbers ("-5") are never changed.
    void setNeutralisesFormulas(bool on) { m_neutralises = on; }

    const QString &line() const { return m_line; }
    bool isEmpty() const { return m_first; }

private:
    void separate();
    void appendQuoted(QStringView text);

    QString m_line;
    bool m_first = true;
    bool m_neutralises = false;
};

} // namespace melodex
