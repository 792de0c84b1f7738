// Turning the text of an import field into the value of a song field.
#include "interchange/importconversion.h"

#include "platform/picture/format.h"

#include <climits>

namespace melodex {

namespace {

using store::FieldType;

bool isBlank(QStringView text)
{
    for (QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

// A whole number as people write one: sign, digit groups, decimals rounded.
std::optional<qint64> readNumber(QStringView text)
{
    static const picture::Picture wide = picture::Picture::parse(u"@n-20");
    return picture::deformatNumber(text, wide);
}

// Digits with at most a sign, and blanks around them.
bool plainNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype i = !t.isEmpty() && (t.front() == u'-' || t.front() == u'+') ? 1 : 0;
    if (i == t.size())
        return false;
    for (; i < t.size(); ++i)
        if (!t[i].isDigit())
            return false;
    return true;
}

bool fits(qint64 v, const store::FieldDef &target)
{
    switch (target.type) {
    case FieldType::UInt8:
        return v >= 0 && v <= 255;
    case FieldType::Int32:
        return v >= INT_MIN && v <= INT_MAX;
    case FieldType::Decimal:
        return v >= -target.decimalLimit() && v <= target.decimalLimit();
    case FieldType::Date:
    case FieldType::Time:
        return v >= 0 && v <= INT_MAX;
    default:
        return true;
    }
}

ImportedValue number(std::optional<qint64> v, const store::FieldDef &target)
{
    if (!v || !fits(*v, target))
        return {store::Value(qint64(0)), false};
    return {store::Value(*v), true};
}

} // namespace

ImportedValue convertImportValue(QStringView text, const picture::Picture &picture,
                                 const store::FieldDef &target,
                                 const picture::Picture &targetPicture)
{
    const QChar letter = picture.letter();
    const bool converts = letter != u'S' && letter != u'N';
    if (isBlank(text)) {
        if (target.isText())
            return {store::Value(converts ? QString() : text.toString()), true};
        return {store::Value(qint64(0)), true};
    }

    if (converts) {
        const std::optional<qint64> v = picture::deformatNumber(text, picture);
        if (target.isText())
            return v ? ImportedValue{store::Value(QString::number(*v)), true}
                     : ImportedValue{store::Value(QString()), false};
        return number(v, target);
    }

    if (target.isText())
        return {store::Value(text.toString()), true};
    const bool dateOrTime = target.type == FieldType::Date || target.type == FieldType::Time;
    if (!dateOrTime || !targetPicture.isValid())
        return number(readNumber(text), target);
    // Quoted or not: a spreadsheet writes "00:03:00" without quotes, and an unquoted field is
    // read under N. The plain number an export under N writes is digits alone.
    if (letter == u'N' && plainNumber(text))
        return number(readNumber(text), target);
    return number(picture::deformatNumber(text, targetPicture), target);
}

} // namespace melodex
