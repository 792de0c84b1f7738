// The SQL functions and the collation that compiled filters call, registered on a connection.
#include "platform/expr/sqlfunctions.h"

#include "platform/expr/builtins.h"
#include "platform/expr/value.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace melodex::expr {

namespace {

QString textArg(sqlite3_value *v)
{
    // sqlite3_value_bytes must follow sqlite3_value_text so it counts the UTF-8 form.
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
    const int size = sqlite3_value_bytes(v);
    return text ? QString::fromUtf8(text, size) : QString();
}

qint64 integerArg(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return sqlite3_value_int64(v);
    case SQLITE_FLOAT:
        return realToInteger(sqlite3_value_double(v));
    case SQLITE_NULL:
        return 0;
    default:
        return realToInteger(textToNumber(textArg(v)));
    }
}

double realArg(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return double(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_NULL:
        return 0;
    default:
        return textToNumber(textArg(v));
    }
}

void resultText(sqlite3_context *ctx, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text64(ctx, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                          SQLITE_UTF8);
}

void mdxUpper(sqlite3_context *ctx, sqlite3_value **argv)
{
    resultText(ctx, upper(textArg(argv[0])));
}

void mdxLower(sqlite3_context *ctx, sqlite3_value **argv)
{
    resultText(ctx, lower(textArg(argv[0])));
}

void mdxClip(sqlite3_context *ctx, sqlite3_value **argv)
{
    resultText(ctx, clip(textArg(argv[0])));
}

void mdxLen(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, length(textArg(argv[0])));
}

void mdxSub(sqlite3_context *ctx, sqlite3_value **argv)
{
    resultText(ctx, sub(textArg(argv[0]), integerArg(argv[1]), integerArg(argv[2])));
}

void mdxLeft(sqlite3_context *ctx, sqlite3_value **argv)
{
    resultText(ctx, left(textArg(argv[0]), integerArg(argv[1])));
}

void mdxRight(sqlite3_context *ctx, sqlite3_value **argv)
{
    resultText(ctx, right(textArg(argv[0]), integerArg(argv[1])));
}

void mdxInString(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, inString(textArg(argv[0]), textArg(argv[1]), integerArg(argv[2]),
                                       integerArg(argv[3])));
}

// mdx_text(number, scale): an exact number is the value times 10^scale. SQLite turns an
// integer that overflows into a double, which is still scaled.
void mdxText(sqlite3_context *ctx, sqlite3_value **argv)
{
    const int scale = int(std::clamp<qint64>(integerArg(argv[1]), 0, 18));
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
        resultText(ctx, numberToText(sqlite3_value_int64(argv[0]), scale));
        break;
    case SQLITE_FLOAT:
        resultText(ctx, realToText(sqlite3_value_double(argv[0]) / double(powerOfTen(scale))));
        break;
    case SQLITE_NULL:
        resultText(ctx, QString());
        break;
    default:
        resultText(ctx, textArg(argv[0]));
        break;
    }
}

void mdxNum(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_double(ctx, realArg(argv[0]));
}

void mdxIsNum(sqlite3_context *ctx, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_TEXT:
        sqlite3_result_int(ctx, isNumericText(textArg(argv[0])) ? 1 : 0);
        break;
    case SQLITE_NULL:
        sqlite3_result_int(ctx, 0);
        break;
    default:
        sqlite3_result_int(ctx, 1);
        break;
    }
}

void mdxInt(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, integerArg(argv[0]));
}

void mdxAbs(sqlite3_context *ctx, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        // SQLite's own abs() raises an error for the smallest int64; exact numbers saturate.
        const qint64 v = sqlite3_value_int64(argv[0]);
        sqlite3_result_int64(ctx, v < 0 ? saturatingSub(0, v) : v);
        return;
    }
    sqlite3_result_double(ctx, std::fabs(realArg(argv[0])));
}

// Exact arithmetic: SQLite's own operators turn an overflowing result into floating point.
void mdxPlus(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, saturatingAdd(integerArg(argv[0]), integerArg(argv[1])));
}

void mdxMinus(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, saturatingSub(integerArg(argv[0]), integerArg(argv[1])));
}

void mdxTimes(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, saturatingMul(integerArg(argv[0]), integerArg(argv[1])));
}

// mdx_cmp(a, aPlaces, b, bPlaces): a * 10^aPlaces against b * 10^bPlaces, exactly.
void mdxCmp(sqlite3_context *ctx, sqlite3_value **argv)
{
    const auto places = [](sqlite3_value *v) {
        return int(std::clamp<qint64>(integerArg(v), 0, 18));
    };
    sqlite3_result_int(ctx, compareScaled(integerArg(argv[0]), places(argv[1]), integerArg(argv[2]),
                                          places(argv[3])));
}

void mdxMonth(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, monthOf(integerArg(argv[0])));
}

void mdxDay(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, dayOf(integerArg(argv[0])));
}

void mdxYear(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, yearOf(integerArg(argv[0])));
}

void mdxDate(sqlite3_context *ctx, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx,
                         makeDate(integerArg(argv[0]), integerArg(argv[1]), integerArg(argv[2])));
}

// SQLite calls in from C: nothing may be thrown back through it.
template <void (*Body)(sqlite3_context *, sqlite3_value **)>
void guarded(sqlite3_context *ctx, int, sqlite3_value **argv) noexcept
{
    try {
        Body(ctx, argv);
    } catch (const std::bad_alloc &) {
        sqlite3_result_error_nomem(ctx);
    } catch (...) {
        sqlite3_result_error(ctx, "filter function failed", -1);
    }
}

struct SqlFunction
{
    const char *name;
    int argumentCount;
    void (*function)(sqlite3_context *, int, sqlite3_value **);
};

constexpr SqlFunction kSqlFunctions[] = {
    {"mdx_upper", 1, guarded<mdxUpper>}, {"mdx_lower", 1, guarded<mdxLower>},
    {"mdx_clip", 1, guarded<mdxClip>},   {"mdx_len", 1, guarded<mdxLen>},
    {"mdx_sub", 3, guarded<mdxSub>},     {"mdx_left", 2, guarded<mdxLeft>},
    {"mdx_right", 2, guarded<mdxRight>}, {"mdx_instring", 4, guarded<mdxInString>},
    {"mdx_text", 2, guarded<mdxText>},   {"mdx_num", 1, guarded<mdxNum>},
    {"mdx_isnum", 1, guarded<mdxIsNum>}, {"mdx_int", 1, guarded<mdxInt>},
    {"mdx_abs", 1, guarded<mdxAbs>},     {"mdx_month", 1, guarded<mdxMonth>},
    {"mdx_day", 1, guarded<mdxDay>},     {"mdx_year", 1, guarded<mdxYear>},
    {"mdx_date", 3, guarded<mdxDate>},   {"mdx_plus", 2, guarded<mdxPlus>},
    {"mdx_minus", 2, guarded<mdxMinus>}, {"mdx_times", 2, guarded<mdxTimes>},
    {"mdx_cmp", 4, guarded<mdxCmp>},
};

int exactCollation(void *, int sizeA, const void *a, int sizeB, const void *b) noexcept
{
    return compareText(QByteArrayView(static_cast<const char *>(a), sizeA),
                       QByteArrayView(static_cast<const char *>(b), sizeB));
}

} // namespace

int registerSqlFunctions(sqlite3 *db)
{
    int rc =
        sqlite3_create_collation_v2(db, "MDXEXACT", SQLITE_UTF8, nullptr, exactCollation, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    for (const SqlFunction &f : kSqlFunctions) {
        rc = sqlite3_create_function_v2(db, f.name, f.argumentCount, flags, nullptr, f.function,
                                        nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

} // namespace melodex::expr
