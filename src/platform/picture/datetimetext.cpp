// Internal to the picture module: the texts of date and time pictures, both ways.
#include "platform/picture/datetimetext.h"

#include "platform/picture/calendar.h"

#include <QStringList>

#include <array>
#include <limits>
#include <vector>

namespace melodex::picture::detail {

namespace {

// Shown for a value the form cannot represent: visibly not a date or time, and refused by
// deformat, so it cannot be stored back by accident.
QString unshowable()
{
    return QStringLiteral("########");
}

QString twoDigits(qint64 n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// --- dates -------------------------------------------------------------------------------------

enum class DateStyle { Numeric, Compact, ShortName, LongName, LocaleShort, LocaleLong };

struct DateForm
{
    DateStyle style;
    const char *order; // the parts in the order they are written: D, M, Y
    bool fullYear;
};

// Indexed by form - 1. The locale forms take their order from the locale's date format.
constexpr std::array<DateForm, 18> DateForms{{
    {DateStyle::Numeric, "MDY", false},   // 1  mm/dd/yy
    {DateStyle::Numeric, "MDY", true},    // 2  mm/dd/yyyy
    {DateStyle::ShortName, "MDY", true},  // 3  OCT 31,1959
    {DateStyle::LongName, "MDY", true},   // 4  October 31, 1959
    {DateStyle::Numeric, "DMY", false},   // 5  dd/mm/yy
    {DateStyle::Numeric, "DMY", true},    // 6  dd/mm/yyyy
    {DateStyle::ShortName, "DMY", false}, // 7  31 OCT 59
    {DateStyle::ShortName, "DMY", true},  // 8  31 OCT 1959
    {DateStyle::Numeric, "YMD", false},   // 9  yy/mm/dd
    {DateStyle::Numeric, "YMD", true},    // 10 yyyy/mm/dd
    {DateStyle::Compact, "YMD", false},   // 11 yymmdd
    {DateStyle::Compact, "YMD", true},    // 12 yyyymmdd
    {DateStyle::Numeric, "MY", false},    // 13 mm/yy
    {DateStyle::Numeric, "MY", true},     // 14 mm/yyyy
    {DateStyle::Numeric, "YM", false},    // 15 yy/mm
    {DateStyle::Numeric, "YM", true},     // 16 yyyy/mm
    {DateStyle::LocaleShort, "", true},   // 17 the locale's short form, four-digit year
    {DateStyle::LocaleLong, "", true},    // 18 the locale's long form
}};

constexpr std::array<const char *, 12> EnglishMonths{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char *, 7> EnglishWeekdays{"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                      "Friday", "Saturday", "Sunday"};

QString englishMonth(int month)
{
    return QString::fromLatin1(EnglishMonths[size_t(month - 1)]);
}

// The locale's short form with the year widened to four digits: a two-digit year would lose
// the century of every date outside the pivot window (a catalogue holds records from the 1920s).
QString localeShortFormat(const QLocale &locale, QChar separator)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out += c;
        } else if (quoted) {
            out += c;
        } else if (c == QLatin1Char('y')) {
            while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('y'))
                ++i;
            out += QLatin1String("yyyy");
        } else if (!separator.isNull() &&
                   (c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('-'))) {
            out += separator;
        } else {
            out += c;
        }
    }
    return out;
}

// Where a locale's date format puts day, month and year, and the literal words it writes
// (which typed text may repeat and which are then ignored).
struct LocaleLayout
{
    QString order;
    QStringList literalWords;
};

LocaleLayout layoutOf(const QString &format)
{
    LocaleLayout layout;
    bool quoted = false;
    QString word;
    auto endWord = [&] {
        if (!word.isEmpty())
            layout.literalWords.append(word.toLower());
        word.clear();
    };
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            endWord();
            quoted = !quoted;
            continue;
        }
        const bool pattern =
            !quoted && (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y'));
        if (!pattern) {
            if (c.isLetter())
                word += c;
            else
                endWord();
            continue;
        }
        endWord();
        qsizetype run = 1;
        while (i + 1 < format.size() && format.at(i + 1) == c) {
            ++i;
            ++run;
        }
        QChar slot;
        if (c == QLatin1Char('d'))
            slot = run <= 2 ? QLatin1Char('D') : QChar(); // ddd and dddd are weekday names
        else
            slot = c == QLatin1Char('M') ? QLatin1Char('M') : QLatin1Char('Y');
        if (!slot.isNull() && !layout.order.contains(slot))
            layout.order += slot;
    }
    endWord();
    return layout;
}

QString withoutDots(const QString &name)
{
    QString n = name.toLower();
    n.remove(QLatin1Char('.'));
    return n;
}

// Month 1..12 named by `word` (already lower-case), or 0.
int monthOfWord(const QString &word, const QLocale &locale)
{
    const std::array<QLocale::FormatType, 2> types{QLocale::LongFormat, QLocale::ShortFormat};
    for (int m = 1; m <= 12; ++m) {
        for (QLocale::FormatType type : types) {
            if (word == withoutDots(locale.monthName(m, type)) ||
                word == withoutDots(locale.standaloneMonthName(m, type)))
                return m;
        }
    }
    if (word.size() < 3)
        return 0;
    for (int m = 1; m <= 12; ++m) {
        if (englishMonth(m).toLower().startsWith(word))
            return m;
    }
    for (int m = 1; m <= 12; ++m) {
        if (withoutDots(locale.monthName(m, QLocale::LongFormat)).startsWith(word) ||
            withoutDots(locale.standaloneMonthName(m, QLocale::LongFormat)).startsWith(word))
            return m;
    }
    return 0;
}

bool isWeekdayWord(const QString &word, const QLocale &locale)
{
    for (int d = 1; d <= 7; ++d) {
        if (word.size() >= 3 &&
            QString::fromLatin1(EnglishWeekdays[size_t(d - 1)]).toLower().startsWith(word))
            return true;
        if (word == withoutDots(locale.dayName(d, QLocale::LongFormat)) ||
            word == withoutDots(locale.dayName(d, QLocale::ShortFormat)))
            return true;
    }
    return false;
}

QString formatDateText(const QDate &date, const DateForm &form, const Picture &picture,
                       const Context &context)
{
    const QString year = form.fullYear
                             ? QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'))
                             : twoDigits(date.year() % 100);
    const QString month = twoDigits(date.month());
    const QString day = twoDigits(date.day());
    const QChar separator = picture.separator().isNull() ? QLatin1Char('/') : picture.separator();

    switch (form.style) {
    case DateStyle::Numeric:
    case DateStyle::Compact: {
        QString out;
        for (const char *slot = form.order; *slot; ++slot) {
            if (!out.isEmpty() && form.style == DateStyle::Numeric)
                out += separator;
            out += *slot == 'D' ? day : *slot == 'M' ? month : year;
        }
        return out;
    }
    case DateStyle::ShortName: {
        const QString name = englishMonth(date.month()).left(3).toUpper();
        if (form.order[0] == 'M')
            return name + QLatin1Char(' ') + day + QLatin1Char(',') + year;
        return day + QLatin1Char(' ') + name + QLatin1Char(' ') + year;
    }
    case DateStyle::LongName:
        return englishMonth(date.month()) + QLatin1Char(' ') + QString::number(date.day()) +
               QLatin1String(", ") + year;
    case DateStyle::LocaleShort:
        return context.locale.toString(date,
                                       localeShortFormat(context.locale, picture.separator()));
    case DateStyle::LocaleLong:
        return context.locale.toString(date, QLocale::LongFormat);
    }
    return unshowable();
}

// One run of digits or letters of a typed date or time.
struct Token
{
    bool digits;
    QStringView text;
};

// Splits at everything that is neither a letter nor an ASCII digit.
std::vector<Token> tokenize(QStringView text)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (isAsciiDigit(c) || c.isLetter()) {
            const bool digits = isAsciiDigit(c);
            qsizetype end = i + 1;
            while (end < text.size() && (digits ? isAsciiDigit(text.at(end))
                                                : text.at(end).isLetter() || text.at(end).isMark()))
                ++end;
            tokens.push_back({digits, text.mid(i, end - i)});
            i = end;
        } else {
            ++i;
        }
    }
    return tokens;
}

int digitsValue(QStringView digits)
{
    int value = 0;
    for (QChar c : digits)
        value = value * 10 + (c.unicode() - '0');
    return value;
}

int referenceYearOf(const Context &context)
{
    return context.referenceYear != 0 ? context.referenceYear : QDate::currentDate().year();
}

std::optional<qint64> looseDate(QStringView text, QString order, const QStringList &literalWords,
                                const Context &context)
{
    std::vector<QStringView> numbers;
    int namedMonth = 0;
    for (const Token &token : tokenize(text)) {
        if (token.digits) {
            if (token.text.size() > 8)
                return std::nullopt;
            numbers.push_back(token.text);
            continue;
        }
        const QString word = token.text.toString().toLower();
        if (literalWords.contains(word))
            continue;
        if (const int m = monthOfWord(word, context.locale); m != 0) {
            if (namedMonth != 0)
                return std::nullopt;
            namedMonth = m;
            continue;
        }
        if (isWeekdayWord(word, context.locale))
            continue;
        return std::nullopt;
    }

    int day = 1;
    int month = namedMonth;
    QStringView year;
    auto assign = [&](QChar slot, QStringView digits) {
        if (slot == QLatin1Char('Y'))
            year = digits;
        else if (digits.size() > 2)
            return false;
        else if (slot == QLatin1Char('D'))
            day = digitsValue(digits);
        else
            month = digitsValue(digits);
        return true;
    };

    if (namedMonth != 0) {
        order.remove(QLatin1Char('M'));
        if (numbers.size() != size_t(order.size()))
            return std::nullopt;
        for (qsizetype i = 0; i < order.size(); ++i) {
            if (!assign(order.at(i), numbers[size_t(i)]))
                return std::nullopt;
        }
    } else if (numbers.size() == 1 && order.size() > 1) {
        // Digits typed without separators, in the form's order.
        const QStringView all = numbers.front();
        const qsizetype yearLength = all.size() - 2 * (order.size() - 1);
        if (yearLength != 2 && yearLength != 4)
            return std::nullopt;
        qsizetype at = 0;
        for (QChar slot : order) {
            const qsizetype length = slot == QLatin1Char('Y') ? yearLength : 2;
            assign(slot, all.mid(at, length));
            at += length;
        }
    } else {
        // A four-digit first part can only be a year: read it as year-month-day.
        if (order.size() == 3 && numbers.size() == 3 && numbers.front().size() == 4 &&
            order.front() != QLatin1Char('Y'))
            order = QStringLiteral("YMD");
        if (numbers.size() != size_t(order.size()))
            return std::nullopt;
        for (qsizetype i = 0; i < order.size(); ++i) {
            if (!assign(order.at(i), numbers[size_t(i)]))
                return std::nullopt;
        }
    }

    int fullYear = 0;
    if (year.size() == 1 || year.size() == 2)
        fullYear = expandTwoDigitYear(digitsValue(year), referenceYearOf(context));
    else if (year.size() == 4)
        fullYear = digitsValue(year);
    else
        return std::nullopt;

    QDate date(fullYear, month, day);
    // A month shown without its day stands for its first day that has a day number: December
    // 1800 starts on the 29th, and "1800/12" is what that day shows as.
    const QDate firstDate = dateFromDayNumber(FirstDayNumber);
    if (!order.contains(QLatin1Char('D')) && date.isValid() && date < firstDate &&
        date.year() == firstDate.year() && date.month() == firstDate.month())
        date = firstDate;
    const qint32 number = dayNumber(date);
    if (number == NoDate)
        return std::nullopt;
    return number;
}

// --- times -------------------------------------------------------------------------------------

struct TimeForm
{
    bool seconds;
    bool compact;
    bool clock; // hh:mmXM forms: a time of day, not a duration
};

constexpr std::array<TimeForm, 6> TimeForms{{
    {false, false, false}, // 1 hh:mm
    {false, true, false},  // 2 hhmm
    {false, false, true},  // 3 hh:mmXM
    {true, false, false},  // 4 hh:mm:ss
    {true, true, false},   // 5 hhmmss
    {true, false, true},   // 6 hh:mm:ssXM
}};

bool isTimeSeparator(QChar c, QChar own)
{
    return c == QLatin1Char(':') || c == QLatin1Char('.') || c == QLatin1Char('-') || c.isSpace() ||
           c == QLatin1Char('_') || (!own.isNull() && c == own);
}

} // namespace

QString formatDate(qint64 day, const Picture &picture, const Context &context)
{
    if (day == NoDate)
        return {};
    if (day < FirstDayNumber || day > LastDayNumber)
        return unshowable();
    const DateForm &form = DateForms[size_t(picture.form() - 1)];
    return formatDateText(dateFromDayNumber(qint32(day)), form, picture, context);
}

std::optional<qint64> deformatDate(QStringView text, const Picture &picture, const Context &context)
{
    text = text.trimmed();
    if (text.isEmpty())
        return NoDate;
    const DateForm &form = DateForms[size_t(picture.form() - 1)];
    if (form.style != DateStyle::LocaleShort && form.style != DateStyle::LocaleLong)
        return looseDate(text, QString::fromLatin1(form.order), {}, context);

    // The exact form first: it knows every literal and name of the locale, also of scripts
    // that the loose reading below does not split into words.
    const QString format = form.style == DateStyle::LocaleShort
                               ? localeShortFormat(context.locale, picture.separator())
                               : context.locale.dateFormat(QLocale::LongFormat);
    const qint32 exact = dayNumber(context.locale.toDate(text.toString(), format));
    if (exact != NoDate)
        return exact;

    LocaleLayout layout = layoutOf(format);
    if (layout.order.size() != 3)
        layout.order = QStringLiteral("YMD");
    return looseDate(text, layout.order, layout.literalWords, context);
}

QString formatTime(qint64 value, const Picture &picture)
{
    if (value == NoTime)
        return {};
    if (value < 0 || value > std::numeric_limits<qint32>::max())
        return unshowable();
    const TimeForm &form = TimeForms[size_t(picture.form() - 1)];
    const TimeParts parts = *timeParts(qint32(value));
    qint64 hours = parts.hours;
    QString suffix;
    if (form.clock) {
        if (hours > 23)
            return unshowable();
        suffix = hours < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
        hours = hours % 12 == 0 ? 12 : hours % 12;
    }
    QString separator;
    if (!form.compact)
        separator =
            picture.separator().isNull() ? QStringLiteral(":") : QString(picture.separator());

    // Parts the form does not show are dropped, never rounded up: 00:03:59.99 is not yet 00:04.
    QString out = twoDigits(hours) + separator + twoDigits(parts.minutes);
    if (form.seconds)
        out += separator + twoDigits(parts.seconds);
    return out + suffix;
}

std::optional<qint64> deformatTime(QStringView text, const Picture &picture)
{
    text = text.trimmed();
    if (text.isEmpty())
        return NoTime;
    const TimeForm &form = TimeForms[size_t(picture.form() - 1)];

    // An AM/PM suffix, possibly after a blank.
    enum { NoHalf, Morning, Afternoon } half = NoHalf;
    qsizetype letters = text.size();
    while (letters > 0 && text.at(letters - 1).isLetter())
        --letters;
    if (letters < text.size()) {
        const QString suffix = text.mid(letters).toString().toUpper();
        if (suffix == QLatin1String("AM") || suffix == QLatin1String("A"))
            half = Morning;
        else if (suffix == QLatin1String("PM") || suffix == QLatin1String("P"))
            half = Afternoon;
        else
            return std::nullopt;
        text = text.left(letters).trimmed();
    }

    // Separators stand only between parts: "-3:45" is no running time.
    if (text.isEmpty() || !isAsciiDigit(text.front()) || !isAsciiDigit(text.back()))
        return std::nullopt;
    std::vector<QStringView> groups;
    qsizetype i = 0;
    while (i < text.size()) {
        if (isAsciiDigit(text.at(i))) {
            qsizetype end = i + 1;
            while (end < text.size() && isAsciiDigit(text.at(end)))
                ++end;
            groups.push_back(text.mid(i, end - i));
            i = end;
        } else if (isTimeSeparator(text.at(i), picture.separator())) {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (groups.empty() || groups.size() > 3)
        return std::nullopt;

    // The leading part may be long (a duration in minutes, say); the ones after it are two digits.
    constexpr qsizetype MaxLeadingDigits = 10;
    if (groups.front().size() > MaxLeadingDigits)
        return std::nullopt;
    for (size_t g = 1; g < groups.size(); ++g) {
        if (groups[g].size() > 2)
            return std::nullopt;
    }

    // Which unit the first part is in; every part after it must stay below 60.
    const bool hoursFirst = half != NoHalf || !form.seconds;
    enum class Unit { Hours, Minutes, Seconds } leading = Unit::Hours;
    qint64 hours = 0;
    qint64 minutes = 0;
    qint64 seconds = 0;
    auto value = [](QStringView digits) {
        qint64 v = 0;
        for (QChar c : digits)
            v = v * 10 + (c.unicode() - '0');
        return v;
    };

    if (groups.size() == 1) {
        // Digits alone: pairs from the right.
        const QStringView all = groups.front();
        const qsizetype n = all.size();
        if (n <= 2) {
            leading = hoursFirst ? Unit::Hours : Unit::Seconds;
            (hoursFirst ? hours : seconds) = value(all);
        } else if (n <= 4 || !form.seconds) {
            leading = hoursFirst ? Unit::Hours : Unit::Minutes;
            (hoursFirst ? hours : minutes) = value(all.left(n - 2));
            (hoursFirst ? minutes : seconds) = value(all.right(2));
        } else {
            hours = value(all.left(n - 4));
            minutes = value(all.mid(n - 4, 2));
            seconds = value(all.right(2));
        }
    } else if (groups.size() == 2) {
        leading = hoursFirst ? Unit::Hours : Unit::Minutes;
        (hoursFirst ? hours : minutes) = value(groups[0]);
        (hoursFirst ? minutes : seconds) = value(groups[1]);
    } else {
        hours = value(groups[0]);
        minutes = value(groups[1]);
        seconds = value(groups[2]);
    }
    if ((leading == Unit::Hours && minutes > 59) || (leading != Unit::Seconds && seconds > 59))
        return std::nullopt;

    // A leading part in minutes or seconds may exceed its unit: carry it up.
    minutes += seconds / 60;
    seconds %= 60;
    hours += minutes / 60;
    minutes %= 60;

    if (half != NoHalf) {
        if (hours < 1 || hours > 12)
            return std::nullopt;
        hours = hours % 12 + (half == Afternoon ? 12 : 0);
    }
    if (form.clock && hours > 23)
        return std::nullopt;

    const qint32 result = timeValue(hours, int(minutes), int(seconds));
    if (result == NoTime)
        return std::nullopt;
    return result;
}

} // namespace melodex::picture::detail
