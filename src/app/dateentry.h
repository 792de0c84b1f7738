// Dates as every window reads and shows them: through the user's date format preference.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace melodex::dates {

/// The picture of a date field under `preference` (a picture such as "d6" or "n4b", with or
/// without "@"): "@d6b", or "@n4b" under "Year Only", where the field holds a bare year. A
/// missing date shows blank. A preference that is not a date or number picture falls back to
/// the system's short date ("@d17b").
QString fieldPicture(QStringView preference);
/// The same under the preference in force (GLO.DateFormat).
QString fieldPicture();

/// The picture a list column shows under `preference`: fieldPicture() for a column of a date
/// field or one with a date picture, whatever picture a saved layout gave it (the picture of
/// the day it was saved, or "@n4b" from a "Year Only" day); `picture` for any other column.
QString columnPicture(const QString &picture, bool dateField, QStringView preference);
QString columnPicture(const QString &picture, bool dateField);

/// The text of stored date `value` (a day number, or a year under "Year Only"); empty for 0.
QString show(qint64 value, QStringView preference);
QString show(qint64 value);

/// The stored value of the typed `text`: blank is 0, a date that the preference's form cannot
/// read (or an impossible date) is nothing. "12/05/2003" is 12 May under "31/10/1959" and
/// 5 December under "10/31/1959", in every window alike.
std::optional<qint32> read(QStringView text, QStringView preference);
std::optional<qint32> read(QStringView text);

/// How a date is typed under `preference`, as an example: 31 October 1959 in its form
/// ("31/10/1959", "OCT 31,1959", "1959" under "Year Only"). Used as the fields' hint.
QString example(QStringView preference);
QString example();

/// The message that refuses `typed`: it names what was typed and shows the expected form.
QString refusalText(QStringView typed, QStringView preference);

/// Shows refusalText() for the preference in force through the message service (caption
/// "Invalid Date", a warning).
void refuse(QStringView typed);

} // namespace melodex::dates
