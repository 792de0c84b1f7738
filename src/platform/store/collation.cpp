#include "platform/store/collation.h"

#include <QChar>

#include <array>
#include <memory>
#include <sqlite3.h>

namespace melodex::store {

namespace {

// Per code point of the Basic Multilingual Plane: its case fold, and the base letter of the fold
// (the first character of its canonical decomposition, followed recursively).
struct FoldTables
{
    std::array<char16_t, 65536> fold{};
    std::array<char16_t, 65536> base{};

    FoldTables()
    {
        for (char32_t cp = 0; cp < 65536; ++cp) {
            const char32_t f = (cp >= 0xD800 && cp <= 0xDFFF) ? cp : QChar::toCaseFolded(cp);
            fold[cp] = static_cast<char16_t>(f <= 0xFFFF ? f : cp);
            char32_t b = fold[cp];
            for (int depth = 0; depth < 4; ++depth) {
                const QChar qc(static_cast<char16_t>(b));
                if (qc.decompositionTag() != QChar::Canonical)
                    break;
                const QString d = qc.decomposition();
                if (d.isEmpty())
                    break;
                b = d.at(0).unicode();
            }
            base[cp] = static_cast<char16_t>(QChar::toCaseFolded(b));
        }
    }
};

const FoldTables &tables()
{
    static const auto t = std::make_unique<FoldTables>();
    return *t;
}

// Decodes one code point; an invalid byte stands for itself (Latin-1).
inline char32_t decode(const unsigned char *&p, const unsigned char *end)
{
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return c;
    }
    if (end - p < extra)
        return c;
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return c;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

inline int trimmedLength(const char *s, int n)
{
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return n;
}

inline char32_t weight(char32_t cp, bool primary)
{
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    if (cp > 0xFFFF)
        return cp;
    const FoldTables &t = tables();
    return primary ? t.base[cp] : t.fold[cp];
}

int comparePass(const char *a, int na, const char *b, int nb, bool primary, bool *sawNonAscii)
{
    auto pa = reinterpret_cast<const unsigned char *>(a);
    auto pb = reinterpret_cast<const unsigned char *>(b);
    const auto ea = pa + na;
    const auto eb = pb + nb;
    while (pa < ea && pb < eb) {
        // Keys compared during a search mostly share a long prefix: equal ASCII bytes are
        // skipped without folding.
        if (*pa == *pb && *pa < 0x80) {
            ++pa;
            ++pb;
            continue;
        }
        // Plain ASCII on both sides.
        if (*pa < 0x80 && *pb < 0x80) {
            unsigned char x = *pa++, y = *pb++;
            if (x >= 'A' && x <= 'Z')
                x += 32;
            if (y >= 'A' && y <= 'Z')
                y += 32;
            if (x != y)
                return x < y ? -1 : 1;
            continue;
        }
        if (sawNonAscii)
            *sawNonAscii = true;
        const char32_t x = weight(decode(pa, ea), primary);
        const char32_t y = weight(decode(pb, eb), primary);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (pa < ea)
        return 1;
    if (pb < eb)
        return -1;
    return 0;
}

int collate(void *, int na, const void *a, int nb, const void *b)
{
    return compareKeyText(static_cast<const char *>(a), na, static_cast<const char *>(b), nb);
}

} // namespace

int compareKeyText(const char *a, int na, const char *b, int nb)
{
    na = trimmedLength(a, na);
    nb = trimmedLength(b, nb);
    bool nonAscii = false;
    const int primary = comparePass(a, na, b, nb, true, &nonAscii);
    if (primary != 0 || !nonAscii)
        return primary;
    return comparePass(a, na, b, nb, false, nullptr);
}

quint32 hashKeyText(const char *s, int n)
{
    // FNV-1a, a code point at a time, over the case folds: equal keys are equal fold for fold (the
    // base letters compared first follow from the folds).
    n = trimmedLength(s, n);
    auto p = reinterpret_cast<const unsigned char *>(s);
    const auto end = p + n;
    quint32 h = 2166136261u;
    while (p < end) {
        char32_t cp;
        if (*p < 0x80) {
            cp = *p++;
            if (cp >= 'A' && cp <= 'Z')
                cp += 32;
        } else {
            cp = weight(decode(p, end), false);
        }
        h = (h ^ quint32(cp)) * 16777619u;
    }
    return h;
}

namespace {
// 1 to 3 bytes whose byte order is the order of the numbers (1 <= v < 0x400000): the first byte
// tells the length, and a longer form always starts above every shorter one.
inline void appendWeight(QByteArray &out, char32_t v)
{
    if (v < 0x80) {
        out.append(char(v));
    } else if (v < 0x4000) {
        out.append(char(0x80 | (v >> 8)));
        out.append(char(v & 0xFF));
    } else {
        out.append(char(0xC0 | (v >> 16)));
        out.append(char((v >> 8) & 0xFF));
        out.append(char(v & 0xFF));
    }
}

void appendWeights(QByteArray &out, const char *s, int n, bool primary)
{
    auto p = reinterpret_cast<const unsigned char *>(s);
    const auto end = p + n;
    while (p < end) {
        const char32_t cp = *p < 0x80 ? char32_t(*p++) : decode(p, end);
        appendWeight(out, weight(cp, primary) + 1);
    }
}
} // namespace

QByteArray keySortBytes(const char *s, int n)
{
    // Both passes of compareKeyText() in one string: the second part decides only when the
    // first parts are equal, and a 0 byte (below every weight) ends the first part, so a text
    // that is a prefix of another sorts first. Without non-ASCII characters the second pass
    // gives the first one's weights again, as compareKeyText() assumes when it skips it.
    n = trimmedLength(s, n);
    QByteArray out;
    out.reserve(2 * n + 1);
    appendWeights(out, s, n, true);
    out.append('\0');
    appendWeights(out, s, n, false);
    return out;
}

QByteArray keySortBytes(const QString &s)
{
    const QByteArray u = s.toUtf8();
    return keySortBytes(u.constData(), int(u.size()));
}

int compareKeyText(const QString &a, const QString &b)
{
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return compareKeyText(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
}

void registerKeyCollation(sqlite3 *db)
{
    tables();
    sqlite3_create_collation_v2(db, "MDX", SQLITE_UTF8, nullptr, collate, nullptr);
}

} // namespace melodex::store
