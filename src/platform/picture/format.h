// Showing values through pictures (format) and reading typed or imported text back.
#pragma once

#include "platform/picture/picture.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>
#include <variant>

namespace melodex::picture {

/// A field value: text for text fields, a whole number for everything else. Numbers with decimal
/// places are scaled integers (1234 under "@n-10.2" is 12.34), dates are day numbers and times are
/// time values (calendar.h), so money never passes through floating point.
using Value = std::variant<QString, qint64>;

/// How a formatted text is laid out.
enum class Layout {
    Trimmed, ///< no padding: for entry fields and list cells, which align the text themselves
    Fixed,   ///< padded to the picture's width: for character-column reports and files
};

/// What formatting takes from its surroundings.
struct Context
{
    /// Month and weekday names and the date forms of "@d17" and "@d18"; the default locale
    /// unless set. "@d3".."@d8" always use English month names.
    QLocale locale;
    /// Two-digit years are read near this year (see expandTwoDigitYear); 0 means this year.
    int referenceYear = 0;
};

/// `value` shown through `picture`.
///
/// - Text: at most width() characters (whole characters: a surrogate pair is never split);
///   Fixed pads with blanks on the right, Trimmed drops trailing blanks.
/// - Number: right-aligned in the width (Fixed), filled with zeros after the sign for a "0" pad
///   in both layouts. A negative value always shows its minus sign, even under a picture without
///   "-", because showing its absolute value would show a wrong amount. A value too wide for the
///   picture shows as width() '#' characters, never cut. With "b", zero is width() blanks
///   (Fixed) or empty (Trimmed).
/// - Date and time: the text of the form, the same in both layouts. NoDate and NoTime are
///   always empty, with or without "b": there is no date 0 to show, and showing time 0 as
///   "00:00:00" would make it indistinguishable from midnight (value 1). A value that the form
///   cannot show (a negative value, a day number beyond year 9999, a duration of 24 hours or
///   more under an AM/PM form) shows as "########".
///
/// A text value under a number, date or time picture is first read with deformat(); text that
/// cannot be read is returned as it is, so nothing is hidden. A number under a text picture
/// shows its decimal digits. An invalid picture shows the value as plain text.
QString format(const Value &value, const Picture &picture, Layout layout = Layout::Trimmed,
               const Context &context = {});

/// Convenience: parses `picture` and formats with it.
QString format(const Value &value, QStringView picture, Layout layout = Layout::Trimmed,
               const Context &context = {});

/// Reads `text` as a value of `picture`: the inverse of format(), and loose about what people
/// type. Nothing when the text is not a value of the picture or the picture is invalid; blank
/// text is always 0 (or empty text), never an error.
///
/// - Text: the text cut to width() characters, trailing blanks dropped.
/// - Number: blanks around it, a leading "+" or "-" or a trailing "-", "," between groups of
///   three digits (so "1,5" is refused rather than read as 15), a "." and decimals; more decimals
///   than the picture has are rounded half away from zero. Refused: other characters, a minus
///   under a picture without "-", and values too wide for the picture.
/// - Date: the form's own text, any of "/ . - ," or blanks between the parts, one- or
///   two-digit days and months, month names of the context's locale or English ones (also their
///   first three or more letters) under every form, weekday names (ignored), all digits with no
///   separator ("311299", "19991231") in the form's order, and a four-digit year first
///   ("1999-12-31") under any form. One- and two-digit years are read with expandTwoDigitYear().
///   Month-year forms give the first of the month. Refused: impossible dates (31/02), dates before
///   29 December 1800 or after 9999, any other word.
/// - Time: "h:m:s"; under a form with seconds "m:s" and, for digits alone, pairs from the right
///   ("345" is 00:03:45), because a typed running time "3:45" means three minutes forty-five;
///   under a form without seconds "h:m", and digits alone are hours ("9") or hhmm ("0930").
///   ":" "." "-" or blanks separate the parts; the first part may exceed its unit ("75:00" is
///   75 minutes) and hours may exceed 23, except under the AM/PM forms. An "AM"/"PM" (or "A"/"P")
///   suffix is accepted under every form and makes a lone number the hour ("9pm").
std::optional<Value> deformat(QStringView text, const Picture &picture,
                              const Context &context = {});

/// deformat() for number, date and time pictures; nothing for text pictures and invalid text.
std::optional<qint64> deformatNumber(QStringView text, const Picture &picture,
                                     const Context &context = {});

} // namespace melodex::picture
