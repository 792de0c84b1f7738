// Spreading of key texts for the scroll thumb.
#include "browse/spreadkeyvalues.h"

#include <algorithm>

namespace melodex {

namespace {

constexpr int TailLength = 4;

// The thirty punctuation characters of the alphabet, the blank among them.
const QString &punctuation()
{
    static const QString chars = QStringLiteral("`!\"\u00a3$%^&*()'-=_+][#;~@:/.,?\\| ");
    return chars;
}

QString upperCased(const QString &text)
{
    // Character by character, so that the text keeps its length ("ß" would become "SS").
    QString out = text;
    for (QChar &c : out)
        c = c.toUpper();
    return out;
}

} // namespace

SpreadKeyValues::SpreadKeyValues(int width, int mask, const QString &low, const QString &high)
{
    for (int code = 1; code <= 255; ++code) {
        const QChar c(code);
        bool take = false;
        if (c >= u'0' && c <= u'9')
            take = mask & Digits;
        else if (punctuation().contains(c))
            take = mask & Punctuation;
        else
            // Only A to Z: keys sort an accented letter with its base letter, so letters after
            // Z in code order would make the table fall back where keys go on rising.
            take = c.isLetter() && c.unicode() < 128 && (mask & Letters) &&
                   (c.isUpper() || (mask & LowerCase));
        if (take)
            m_alphabet += c;
    }

    width = std::max(width, 0);
    QString lo = (mask & LowerCase) ? low : upperCased(low);
    QString hi = (mask & LowerCase) ? high : upperCased(high);
    lo.truncate(width);
    hi.truncate(width);
    // A high text shorter than the width stands for everything that starts with it, so it is
    // raised to the highest text of that start.
    if (hi.size() < width && !m_alphabet.isEmpty())
        hi = hi.leftJustified(width + 1, m_alphabet.back());

    qsizetype common = 0;
    while (common < width && common < lo.size() && common < hi.size() &&
           lo.at(common) == hi.at(common))
        ++common;
    m_prefix = lo.left(common);
    m_lowTail = lo.mid(common, TailLength);
    m_highTail = hi.mid(common, TailLength);
    m_lowValue = tailValue(m_lowTail);
    m_highValue = tailValue(m_highTail);
    m_step = (m_highValue - m_lowValue) / (Entries - 1);
}

qint64 SpreadKeyValues::tailValue(const QString &tail) const
{
    const qint64 base = m_alphabet.size() + 1;
    qint64 v = 0;
    for (int i = 0; i < TailLength; ++i) {
        const qsizetype at = i < tail.size() ? m_alphabet.indexOf(tail.at(i)) : -1;
        v = v * base + (at + 1);
    }
    return v;
}

QString SpreadKeyValues::digitsText(qint64 value) const
{
    const qint64 base = m_alphabet.size() + 1;
    QString out(TailLength, u' ');
    for (int i = TailLength - 1; i >= 0 && base > 1; --i) {
        const qint64 d = value % base;
        value /= base;
        if (d > 0)
            out[i] = m_alphabet.at(d - 1);
    }
    // A digit 0 is a blank: it sorts before every character of the alphabet.
    while (!out.isEmpty() && out.back() == u' ')
        out.chop(1);
    return out;
}

QString SpreadKeyValues::value(int k) const
{
    if (k <= 0)
        return m_prefix + m_lowTail;
    if (k >= Entries - 1)
        return m_prefix + m_highTail;
    return m_prefix + digitsText(m_lowValue + m_step * k);
}

QString SpreadKeyValues::next()
{
    const QString v = value(m_calls);
    m_calls = (m_calls + 1) % Entries;
    return v;
}

std::vector<QString> SpreadKeyValues::values() const
{
    std::vector<QString> out;
    out.reserve(Entries);
    for (int k = 0; k < Entries; ++k)
        out.push_back(value(k));
    return out;
}

} // namespace melodex
