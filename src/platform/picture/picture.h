// Display pictures: the parsed form of texts such as "@s40", "@n-10.2", "@d17b" and "@t4".
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace melodex::picture {

/// A parsed display picture. The letter after "@" is case-insensitive ("@S100" is "@s100").
///
/// Grammar (after "@"):
/// - text:   `s` N                                  N = 1..65535 characters
/// - number: `n` [`-`] [`_` | `0`] [`,`] W [`.` P] [`b`]
///           `-` allows a minus sign, `_` pads with blanks (as does no pad), `0` pads with zeros,
///           `,` groups thousands, W = total width 1..64 (sign, point and commas included),
///           P = 0..18 places with W >= P + 2, `b` shows zero as blank
/// - date:   `d` F [separator] [`b`]                 F = 1..18
/// - time:   `t` F [separator] [`b`]                 F = 1..6
///           separator is one of `.` `-` `_` (a blank) `/` `:` and replaces the form's own one
///
/// Parsing never throws: a bad text gives an invalid Picture whose errorText() says why.
class Picture
{
public:
    enum class Kind { Invalid, Text, Number, Date, Time };

    /// An invalid picture.
    Picture() = default;

    /// Parses `text`; trailing blanks are ignored (pictures are often kept in blank-padded fields).
    static Picture parse(QStringView text);

    bool isValid() const { return m_kind != Kind::Invalid; }
    Kind kind() const { return m_kind; }
    /// The picture as given, without trailing blanks.
    QString text() const { return m_text; }
    /// Why parsing failed; empty for a valid picture.
    QString errorText() const { return m_error; }

    /// The letter after "@", upper-cased ('S', 'N', 'D', 'T', or whatever was there), even for an
    /// invalid picture; a null QChar when the text does not begin with "@" and a letter.
    QChar letter() const { return m_letter; }

    /// Text: the most characters shown. Number: the total width. Dates and times: 0 (their texts
    /// have the length of the form).
    int width() const { return m_width; }
    /// Number: digits after the decimal point; the value is an integer scaled by 10^places.
    int places() const { return m_places; }
    /// Number: a minus sign may be entered.
    bool isSigned() const { return m_signed; }
    /// Number: ' ' or '0', the character that fills the width on the left of the digits.
    QChar fill() const { return m_fill; }
    /// Number: thousands are separated by ','.
    bool groupsThousands() const { return m_grouping; }
    /// Number, date or time: zero shows as blank.
    bool blankWhenZero() const { return m_blank; }
    /// Date: 1..18. Time: 1..6.
    int form() const { return m_form; }
    /// Date or time: the separator that replaces the form's own; a null QChar for the form's own.
    QChar separator() const { return m_separator; }

    friend bool operator==(const Picture &, const Picture &) = default;

private:
    Kind m_kind = Kind::Invalid;
    QString m_text;
    QString m_error;
    QChar m_letter;
    int m_width = 0;
    int m_places = 0;
    bool m_signed = false;
    QChar m_fill = QLatin1Char(' ');
    bool m_grouping = false;
    bool m_blank = false;
    int m_form = 0;
    QChar m_separator;
};

/// True when `picture` begins with "@d" or "@D": a control with such a picture is a date control.
bool isDatePicture(QStringView picture);

/// The picture a date control shows under the user's date preference (e.g. "d17", "d6", "n4b";
/// a leading "@" is allowed). A picture that is not a date picture is returned unchanged, and so
/// is any picture when the preference is not a valid date or number picture, so that a damaged
/// preference cannot leave date fields without a picture. The blank flag of the original is kept:
/// "@d17b" under "d2" becomes "@d2b", and under "n4" (years only) "@n4b", so a missing date still
/// shows blank.
QString withDateFormat(QStringView picture, QStringView preference);

} // namespace melodex::picture
