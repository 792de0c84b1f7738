// Record layouts: the fields and keys of a data file, and the record buffer that carries them.
#pragma once

#include <QString>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <variant>
#include <vector>

namespace melodex::store {

/// Storage type of a field.
enum class FieldType {
    Text,    ///< text(n): at most n characters, trailing blanks never count
    Int32,   ///< signed 32-bit integer
    UInt8,   ///< 0 to 255
    Decimal, ///< packed decimal: an exact integer scaled by 10^places
    Date,    ///< day number, 0 = no date
    Time,    ///< hundredths of a second after midnight plus one, 0 = no time
    Memo,    ///< variable text of at most n characters kept with the record
};

struct FieldDef
{
    QString name; ///< without the prefix: "Artist"
    FieldType type = FieldType::Text;
    int size = 0;    ///< text and memo: characters; decimal: bytes
    int places = 0;  ///< decimal places of a packed decimal
    QString picture; ///< display picture, empty when none

    bool isText() const { return type == FieldType::Text || type == FieldType::Memo; }
    /// Largest magnitude a packed decimal of this size can hold (2*bytes-1 digits).
    qint64 decimalLimit() const;
};

struct KeyDef
{
    QString name;            ///< "SongsByArtist"
    std::vector<int> fields; ///< component field indexes, in order
    bool unique = false;
    bool primary = false;
    bool excludeEmpty = false; ///< no entry when every component is blank or zero
};

/// The layout of one data file: its label, prefix, file name, fields and keys.
struct FileLayout
{
    QString label;    ///< "Songlore"
    QString prefix;   ///< "MUS"
    QString fileName; ///< "sgldata", without directory or extension
    std::vector<FieldDef> fields;
    std::vector<KeyDef> keys;

    /// Index of a field by its name, with or without the prefix, any letter case; -1 when unknown.
    int fieldIndex(const QString &name) const;
    /// Index of a key by its name, with or without the prefix, any letter case; -1 when unknown.
    int keyIndex(const QString &name) const;
    /// The primary key, or -1 when the file has none.
    int primaryKey() const;
    /// "MUS:Artist" for field i.
    QString qualifiedName(int field) const;
    /// A fingerprint of fields and keys, stored in every file to detect a layout that differs.
    quint32 fingerprint() const;
};

/// A field value as the store moves it: QString for text and memo, qint64 for every number.
using Value = QVariant;

/// The record buffer of a file. Concrete records are plain structs (see data/records.h) whose
/// members the code uses directly; the store reaches them through this interface by index.
class Record
{
public:
    virtual ~Record() = default;
    virtual const FileLayout &layout() const = 0;
    virtual Value value(int field) const = 0;
    virtual void setValue(int field, const Value &v) = 0;
    /// Blanks every text and zeroes every number (the CLEAR of a buffer).
    void clear();

    std::vector<Value> values() const;
    void setValues(const std::vector<Value> &v);

protected:
    Record() = default;
    Record(const Record &) = default;
    Record &operator=(const Record &) = default;
};

/// Binds a plain struct R to the Record interface through a table of member pointers.
/// R provides `static const FileLayout &fileLayout()` and `static const auto &members()`,
/// the latter a std::array of MemberPtr<R> in field order.
template <class R>
using MemberPtr = std::variant<QString R::*, qint32 R::*, quint8 R::*, qint64 R::*>;

template <class R> class RecordOf : public Record
{
public:
    const FileLayout &layout() const override { return R::fileLayout(); }

    Value value(int field) const override
    {
        const R &self = static_cast<const R &>(*this);
        return std::visit(
            [&](auto mp) -> Value {
                using T = std::decay_t<decltype(self.*mp)>;
                if constexpr (std::is_same_v<T, QString>)
                    return self.*mp;
                else
                    return Value(static_cast<qint64>(self.*mp));
            },
            R::members()[static_cast<size_t>(field)]);
    }

    void setValue(int field, const Value &v) override
    {
        R &self = static_cast<R &>(*this);
        std::visit(
            [&](auto mp) {
                using T = std::decay_t<decltype(self.*mp)>;
                if constexpr (std::is_same_v<T, QString>) {
                    self.*mp = v.toString();
                } else {
                    const qint64 n = v.toLongLong();
                    if constexpr (std::is_same_v<T, quint8>)
                        self.*mp = static_cast<quint8>(std::clamp<qint64>(n, 0, 255));
                    else if constexpr (std::is_same_v<T, qint32>)
                        self.*mp = static_cast<qint32>(std::clamp<qint64>(n, INT32_MIN, INT32_MAX));
                    else
                        self.*mp = n;
                }
            },
            R::members()[static_cast<size_t>(field)]);
    }
};

} // namespace melodex::store
