// SpreadKeyValues: 100 text key values spread evenly between a low and a high key.
#pragma once

#include <QString>

#include <vector>

namespace melodex {

/// Interpolates key texts for a list's scroll thumb: entry 0 is the low text, entry 99 the high
/// text and the entries between rise evenly, so that a thumb position can be turned into a key
/// value to locate on (and back) without counting records.
///
/// Only the four characters after the common prefix of low and high take part; they are read as
/// a number in base n + 1, where n is the size of the alphabet chosen by the class mask.
class SpreadKeyValues
{
public:
    /// Character classes of the alphabet.
    enum ClassMask : int {
        Letters = 1,     ///< letters (upper case only, unless LowerCase is set)
        Punctuation = 2, ///< thirty punctuation characters and the blank
        Digits = 4,      ///< "0" to "9"
        LowerCase = 8,   ///< lower-case letters as well; without it texts are upper-cased
    };
    static constexpr int Entries = 100;

    /// Sets up a run over key texts of `width` characters.
    SpreadKeyValues(int width, int mask, const QString &low, const QString &high);

    /// The next entry: the first call returns entry 0, the hundredth entry 99, then it starts
    /// again.
    QString next();
    /// Entry `k` (0 to 99).
    QString value(int k) const;
    /// All 100 entries in order.
    std::vector<QString> values() const;

    const QString &alphabet() const { return m_alphabet; }
    const QString &prefix() const { return m_prefix; }

private:
    qint64 tailValue(const QString &tail) const;
    QString digitsText(qint64 value) const;

    QString m_alphabet;
    QString m_prefix;
    QString m_lowTail;
    QString m_highTail;
    qint64 m_lowValue = 0;
    qint64 m_highValue = 0;
    qint64 m_step = 0;
    int m_calls = 0;
};

} // namespace melodex
