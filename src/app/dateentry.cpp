// Dates as every window reads and shows them: through the user's date format preference.
#include "app/dateentry.h"

#include "app/globals.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "platform/picture/picture.h"
#include "services/messageservice.h"

#include <QDate>

namespace melodex::dates {

namespace {

const QString DesignedPicture = QStringLiteral("@d17b");

} // namespace

QString fieldPicture(QStringView preference)
{
    return picture::withDateFormat(DesignedPicture, preference);
}

QString fieldPicture()
{
    return fieldPicture(GLO.DateFormat);
}

QString columnPicture(const QString &picture, bool dateField, QStringView preference)
{
    return dateField || picture::isDatePicture(picture) ? fieldPicture(preference) : picture;
}

QString columnPicture(const QString &picture, bool dateField)
{
    return columnPicture(picture, dateField, GLO.DateFormat);
}

QString show(qint64 value, QStringView preference)
{
    if (value == 0)
        return {};
    return picture::format(picture::Value(value), fieldPicture(preference));
}

QString show(qint64 value)
{
    return show(value, GLO.DateFormat);
}

std::optional<qint32> read(QStringView text, QStringView preference)
{
    if (text.trimmed().isEmpty())
        return 0;
    const auto value =
        picture::deformatNumber(text, picture::Picture::parse(fieldPicture(preference)));
    if (!value || *value < 0 || *value > picture::LastDayNumber)
        return std::nullopt;
    return qint32(*value);
}

std::optional<qint32> read(QStringView text)
{
    return read(text, GLO.DateFormat);
}

QString example(QStringView preference)
{
    const picture::Picture p = picture::Picture::parse(fieldPicture(preference));
    if (p.kind() == picture::Picture::Kind::Number)
        return QStringLiteral("1959");
    return picture::format(picture::Value(qint64(picture::dayNumber(QDate(1959, 10, 31)))), p);
}

QString example()
{
    return example(GLO.DateFormat);
}

QString refusalText(QStringView typed, QStringView preference)
{
    return QStringLiteral("\"%1\" is not a date. Type the date in the form %2, the date format "
                          "chosen in Preferences.")
        .arg(typed.trimmed().toString(), example(preference));
}

void refuse(QStringView typed)
{
    MessageRequest r;
    r.caption = QStringLiteral("Invalid Date");
    r.text = refusalText(typed, GLO.DateFormat);
    r.icon = MessageRequest::Warning;
    MessageService::instance().show(r);
}

} // namespace melodex::dates
