// Values of the filter language: their kinds, how fields map onto them, and conversions.
#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

#include <optional>

namespace melodex::expr {

/// How a field or bound variable is kept, and so how the language treats it.
enum class ValueType {
    Text,    ///< text; trailing blanks never count
    Integer, ///< whole number
    Decimal, ///< exact decimal kept as an integer scaled by 10^places (money in cents)
    Date,    ///< day number: day 4 is 1 January 1801
    Time,    ///< whole number
    Real,    ///< floating point
    Unknown, ///< decided from the value itself (bound variables only)
};

/// Largest number of decimal places an exact number keeps; products that would need more
/// become floating point.
inline constexpr int kMaxScale = 9;

/// A value while an expression is evaluated. Comparison results are the numbers 0 and 1.
struct Value
{
    enum class Kind { Text, Number, Real };

    Kind kind = Kind::Number;
    QString text;      ///< Kind::Text
    qint64 scaled = 0; ///< Kind::Number: the value times 10^scale
    int scale = 0;     ///< Kind::Number: decimal places, 0..18
    double real = 0;   ///< Kind::Real

    static Value fromText(QString text);
    static Value fromNumber(qint64 scaled, int scale = 0);
    static Value fromReal(double real);
    static Value fromBool(bool truth) { return fromNumber(truth ? 1 : 0); }
};

/// 10^n for n in 0..18.
qint64 powerOfTen(int n);

/// The value a variable of `type` holds when its variant is `v`. Text loses its trailing blanks;
/// a null variant gives '' or 0. For Decimal an integral variant is already scaled (as the
/// store keeps it) while a double or a text is the plain amount; Date also accepts a QDate.
Value fromVariant(const QVariant &v, ValueType type, int places = 0);

/// The type a variant of unknown type is treated as.
ValueType typeOf(const QVariant &v);

/// Reads the leading number of a text (blanks before it are skipped); 0 when there is none.
double textToNumber(QStringView text);

/// True when the whole text, blanks around it aside, is one number.
bool isNumericText(QStringView text);

/// An exact number from the digits of a literal ("12", "3.50"); floating point when it has too
/// many digits; nothing when it does not fit a double.
std::optional<Value> parseNumberLiteral(QStringView digits);

/// "10.50" for (1050, 2).
QString numberToText(qint64 scaled, int scale);
QString realToText(double real);

// Exact numbers never overflow: a result beyond the 64-bit range is the nearest limit. The
// evaluator and the SQL functions the compiler calls both use these, so they agree.
qint64 saturatingAdd(qint64 a, qint64 b);
qint64 saturatingSub(qint64 a, qint64 b);
qint64 saturatingMul(qint64 a, qint64 b);
/// Compares a * 10^aPlaces with b * 10^bPlaces exactly (places 0..18): -1, 0 or 1.
int compareScaled(qint64 a, int aPlaces, qint64 b, int bPlaces);

/// Truncates toward zero; out-of-range values saturate and NaN gives 0.
qint64 realToInteger(double real);

// The conversions an operator applies to an operand of another kind.
QString toText(const Value &v);
double toReal(const Value &v);
qint64 toInteger(const Value &v);
bool isTrue(const Value &v);

} // namespace melodex::expr
