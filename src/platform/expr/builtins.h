// The built-in functions of the filter language: their names and arities, and the text and date
// operations behind them, shared by the SQLite functions and the direct evaluator.
#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>

namespace melodex::expr {

enum class Function {
    Upper,
    Lower,
    Clip,
    Sub,
    InString,
    Len,
    Left,
    Right,
    Int,
    Abs,
    Val,
    Numeric,
    Month,
    Day,
    Year,
    Date,
    Today,
};

struct FunctionInfo
{
    Function id;
    QStringView name; ///< upper case, as written in filters
    int minArgs;
    int maxArgs;
};

/// The function called `upperName`, or null when there is none.
const FunctionInfo *findFunction(QStringView upperName);
const FunctionInfo &functionInfo(Function id);

// Text operations. Positions and lengths count characters (Unicode code points), from 1.

/// Upper case of every letter, not only A to Z ("straße" gives "STRASSE").
QString upper(QStringView text);
QString lower(QStringView text);
/// The text without its trailing blanks.
QString clip(QStringView text);
/// Number of characters without the trailing blanks.
qint64 length(QStringView text);
/// The characters from `start` on, at most `count` of them. A negative start counts from the
/// end (-1 is the last character); positions outside the text are simply absent.
QString sub(QStringView text, qint64 start, qint64 count);
/// The first `count` characters.
QString left(QStringView text, qint64 count);
/// The last `count` characters.
QString right(QStringView text, qint64 count);
/// Position of `needle` in `text`, trying only the positions start, start + step, ...; a
/// negative step searches backwards. 0 when not found, when `needle` is empty or `step` is 0.
qint64 inString(QStringView needle, QStringView text, qint64 step = 1, qint64 start = 1);

/// Orders UTF-8 texts by their bytes (so by code point), trailing blanks ignored, case counting.
int compareText(QByteArrayView a, QByteArrayView b);
int compareText(QStringView a, QStringView b);

// Dates are day numbers; day 4 is 1 January 1801. Parts of day numbers outside 1 January 1801
// to 31 December 9999 (0, "no date", among them) are 0.

qint64 dayNumber(QDate date);
/// The date of a day number; invalid outside the range above.
QDate dateOfDay(qint64 day);
qint64 monthOf(qint64 day);
qint64 dayOf(qint64 day);
qint64 yearOf(qint64 day);
/// Day number of a calendar date; 0 when there is no such date in the range.
qint64 makeDate(qint64 month, qint64 day, qint64 year);
qint64 today();

} // namespace melodex::expr
