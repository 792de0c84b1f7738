// Checks that a display picture reads back what it shows, in several locales.
#include "picturecheck.h"

#include "platform/picture/format.h"

#include <QLocale>

#include <array>
#include <cstring>

namespace melodex::fuzz {

namespace {

using namespace picture;
using namespace Qt::StringLiterals;

const std::array<QLocale, 7> &locales()
{
    static const std::array<QLocale, 7> list = {
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Japanese, QLocale::Japan),
        QLocale(QLocale::Russian, QLocale::Russia),
        QLocale(QLocale::English, QLocale::UnitedKingdom),
    };
    return list;
}

QString describe(const Value &v)
{
    if (const QString *text = std::get_if<QString>(&v))
        return u'"' + *text + u'"';
    return QString::number(std::get<qint64>(v));
}

bool isOverflowMark(const QString &shown, const Picture &picture)
{
    if (picture.kind() == Picture::Kind::Number)
        return !shown.isEmpty() && shown.count(u'#') == shown.size();
    return shown == u"########"_s;
}

// What a value shows as must read back as a value that shows the same.
QString checkShown(const Value &value, const Picture &picture, const Context &context)
{
    for (Layout layout : {Layout::Trimmed, Layout::Fixed}) {
        const QString shown = format(value, picture, layout, context);
        if (picture.kind() == Picture::Kind::Number && layout == Layout::Fixed &&
            shown.size() != picture.width())
            return u"%1 shows as '%2', not %3 wide"_s.arg(describe(value), shown)
                .arg(picture.width());
        if (isOverflowMark(shown, picture))
            continue;
        if (picture.kind() == Picture::Kind::Number && !picture.isSigned()) {
            if (const qint64 *n = std::get_if<qint64>(&value); n && *n < 0)
                continue; // shown with its sign so as not to lie, but not a value to type
        }
        const std::optional<Value> read = deformat(shown, picture, context);
        if (!read)
            return u"%1 shows as '%2', which does not read back"_s.arg(describe(value), shown);
        const QString again = format(*read, picture, layout, context);
        if (again != shown)
            return u"%1 shows as '%2', reads back as %3, which shows as '%4'"_s.arg(
                describe(value), shown, describe(*read), again);
    }
    return {};
}

} // namespace

QString checkPicture(const char *data, size_t size)
{
    const char *end = data + size;
    const char *newline = static_cast<const char *>(std::memchr(data, '\n', size));
    if (!newline || newline + 1 >= end)
        return {};
    const Picture picture = Picture::parse(QString::fromUtf8(data, newline - data));
    if (!picture.isValid())
        return {};
    const char *rest = newline + 1;
    Context context;
    context.locale = locales()[size_t(quint8(*rest)) % locales().size()];
    context.referenceYear = 2025;
    ++rest;

    qint64 number = 0;
    std::memcpy(&number, rest, std::min<size_t>(sizeof number, size_t(end - rest)));
    if (QString problem = checkShown(Value(number), picture, context); !problem.isEmpty())
        return problem;

    // Typed text: whatever reads as a value must show as text that reads as the same value.
    const QString typed = QString::fromUtf8(rest, end - rest);
    if (const std::optional<Value> read = deformat(typed, picture, context)) {
        if (QString problem = checkShown(*read, picture, context); !problem.isEmpty())
            return u"typed '%1': "_s.arg(typed) + problem;
    }
    return {};
}

} // namespace melodex::fuzz
