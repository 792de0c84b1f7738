// Runs filter texts three ways over a scratch songs file and reports where the answers differ.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <QVariant>
#include <vector>

namespace melodex::fuzz {

/// A songs file in a scratch data directory, filled with songs whose texts differ only in case,
/// accents or trailing blanks, and numbers near their limits. check() runs a filter through
/// the compiler (its SQL inspected), through a view walked forward and backward, and through
/// the evaluator on every song, and says how they disagree.
///
/// The store is process-wide: one probe at a time, and nothing else may use the store while it
/// lives.
class FilterProbe
{
public:
    FilterProbe();
    ~FilterProbe();
    FilterProbe(const FilterProbe &) = delete;
    FilterProbe &operator=(const FilterProbe &) = delete;

    /// False when the scratch file could not be made; setupError() says why.
    bool isReady() const { return m_error.isEmpty(); }
    QString setupError() const { return m_error; }

    /// Empty when every way agrees on `filter` read in the order of `key` (-1: a key chosen
    /// from the text); otherwise what went wrong.
    QString check(const QString &filter, int key = -1);

    /// check() of fuzzer bytes, read as UTF-8.
    QString checkBytes(const char *data, size_t size);

private:
    QString checkSql(const QString &filter);

    QTemporaryDir m_dir;
    QString m_error;
    std::vector<std::vector<QVariant>> m_songs; // as stored, in field order
    int m_checks = 0;
};

} // namespace melodex::fuzz
