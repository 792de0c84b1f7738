// The sort keys of texts against the key collation they stand for: an engine that orders keys by
// these bytes must order and compare exactly as the collation does.
#include "platform/store/collation.h"
#include "testsupport.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace melodex;

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareBytes(const QByteArray &a, const QByteArray &b)
{
    const int n = int(std::min(a.size(), b.size()));
    const int c = std::memcmp(a.constData(), b.constData(), size_t(n));
    if (c != 0)
        return sign(c);
    return sign(int(a.size()) - int(b.size()));
}

int compareRaw(const QByteArray &a, const QByteArray &b)
{
    return sign(store::compareKeyText(a.constData(), int(a.size()), b.constData(), int(b.size())));
}

// Every text of the sample songs' text columns (artists, titles, albums, composers, ...).
std::vector<QByteArray> sampleTexts()
{
    QFile f(test::sampleDataFile(QStringLiteral("chinook_songs.csv")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QSet<QByteArray> seen;
    std::vector<QByteArray> out;
    f.readLine();
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().chopped(1);
        QByteArray field;
        bool quoted = false;
        for (qsizetype i = 0; i <= line.size(); ++i) {
            const char c = i < line.size() ? line[i] : ',';
            if (quoted) {
                if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    field += c;
                }
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',') {
                if (!seen.contains(field)) {
                    seen.insert(field);
                    out.push_back(field);
                }
                field.clear();
            } else {
                field += c;
            }
        }
    }
    return out;
}

} // namespace

// Texts made to sit on the collation's edges: case, accents that break ties only, trailing
// blanks, prefixes, characters beyond the Basic Multilingual Plane, invalid UTF-8 and NUL.
TEST(KeySort, EdgeTextsOrderAndCompareAsTheCollation)
{
    const std::vector<QByteArray> texts{"",
                                        " ",
                                        "  ",
                                        "a",
                                        "A",
                                        "a ",
                                        "A  ",
                                        "ab",
                                        "aB",
                                        "Ab ",
                                        "b",
                                        "z",
                                        "Z",
                                        "[",
                                        "_",
                                        "`",
                                        "{",
                                        "~",
                                        "0",
                                        "9",
                                        "Cafe",
                                        "cafe",
                                        "Café",
                                        "CAFÉ",
                                        "Cafè",
                                        "Cafe ",
                                        "Cafes",
                                        "Cafés",
                                        "Ärzte",
                                        "ärzte",
                                        "Arzte",
                                        "Azte",
                                        "Œuvre",
                                        "oeuvre",
                                        "ß",
                                        "ss",
                                        "ẞ",
                                        "Straße",
                                        "Strasse",
                                        "Σίσυφος",
                                        "σίσυφος",
                                        "Σισυφος",
                                        "日本",
                                        "日本語",
                                        "😀",
                                        "😀a",
                                        "a😀",
                                        "\xFF",
                                        "\xC3",
                                        "a\xC3",
                                        "\xC3\xA9",
                                        "e\xCC\x81",
                                        "é",
                                        "\xF4\x90\x80\x80",
                                        QByteArray("a\0b", 3),
                                        QByteArray("a\0", 2),
                                        "\t",
                                        "a\tb",
                                        "a b",
                                        "a  b"};
    for (const QByteArray &a : texts)
        for (const QByteArray &b : texts)
            EXPECT_EQ(compareBytes(store::keySortBytes(a.constData(), int(a.size())),
                                   store::keySortBytes(b.constData(), int(b.size()))),
                      compareRaw(a, b))
                << "\"" << a.toStdString() << "\" against \"" << b.toStdString() << "\"";
}

// The real sample texts: sorted by the collation, each neighbour and a large number of random
// pairs compare alike by their sort keys.
TEST(KeySort, SampleTextsOrderAsTheCollation)
{
    std::vector<QByteArray> texts = sampleTexts();
    ASSERT_GT(texts.size(), 5000u);
    std::stable_sort(texts.begin(), texts.end(),
                     [](const QByteArray &a, const QByteArray &b) { return compareRaw(a, b) < 0; });
    std::vector<QByteArray> keys;
    for (const QByteArray &t : texts)
        keys.push_back(store::keySortBytes(t.constData(), int(t.size())));
    for (size_t i = 1; i < texts.size(); ++i)
        ASSERT_EQ(compareBytes(keys[i - 1], keys[i]), compareRaw(texts[i - 1], texts[i]))
            << texts[i - 1].toStdString() << " / " << texts[i].toStdString();
    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> pick(0, texts.size() - 1);
    for (int n = 0; n < 200000; ++n) {
        const size_t i = pick(rng), j = pick(rng);
        ASSERT_EQ(compareBytes(keys[i], keys[j]), compareRaw(texts[i], texts[j]))
            << texts[i].toStdString() << " / " << texts[j].toStdString();
    }
}
