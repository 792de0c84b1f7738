// Runs filter texts three ways over a scratch songs file and reports where the answers differ.
#include "filterprobe.h"

#include "data/records.h"
#include "platform/expr/compiler.h"
#include "platform/expr/evaluator.h"
#include "platform/expr/parser.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace melodex::fuzz {

namespace {

using namespace Qt::StringLiterals;

// Names other than the file's own fields that the probe's views bind, with their values.
const std::vector<std::pair<QString, QVariant>> &boundNames()
{
    static const std::vector<std::pair<QString, QVariant>> names = {
        {u"THREADINSTANCE"_s, QVariant(qint64(7))},
        {u"BRW1::SORT3:RESET:MED:MEDIA"_s, QVariant(u"cd  "_s)},
        {u"REPORT:BUDGET"_s, QVariant(u"12.50"_s)},
        {u"REPORT:RATE"_s, QVariant(2.5)},
    };
    return names;
}

expr::ValueType valueTypeOf(const store::FieldDef &f)
{
    switch (f.type) {
    case store::FieldType::Text:
    case store::FieldType::Memo:
        return expr::ValueType::Text;
    case store::FieldType::Decimal:
        return expr::ValueType::Decimal;
    case store::FieldType::Date:
        return expr::ValueType::Date;
    case store::FieldType::Time:
        return expr::ValueType::Time;
    default:
        return expr::ValueType::Integer;
    }
}

// Texts that differ from one another only in ways an exact comparison must see.
const QStringList &texts()
{
    static const QStringList pieces = {
        u"ABBA"_s,  u"abba"_s,   u"Abba"_s,    u""_s,           u"ABBA  "_s, u"Ärzte"_s,
        u"ärzte"_s, u"straße"_s, u"STRASSE"_s, u"É"_s,          u"é"_s,      u"12"_s,
        u"3.5"_s,   u"-7"_s,     u"12abc"_s,   u" lead"_s,      u"a b"_s,    u"O'Brien"_s,
        u"CD"_s,    u"cd"_s,     u"日本"_s,    u"\U0001F600"_s, u"0"_s,      u"%_"_s,
    };
    return pieces;
}

QString piece(int i, int salt)
{
    const QStringList &t = texts();
    return t[(i * 7 + salt * 5) % t.size()];
}

std::vector<QVariant> makeSong(int i)
{
    const store::FileLayout &layout = SongloreRecord::fileLayout();
    std::vector<QVariant> values;
    for (int f = 0; f < int(layout.fields.size()); ++f) {
        const store::FieldDef &def = layout.fields[size_t(f)];
        if (def.isText()) {
            values.emplace_back(def.size == 1 ? piece(i, f).left(1) : piece(i, f));
            continue;
        }
        // Small numbers, zeros and the limits of each type.
        static const qint64 picks[] = {0, 1, 2, 7, 12, 40, 255, -1, 2147483647, -2147483647, 3};
        qint64 v = picks[(i * 3 + f) % std::size(picks)];
        if (def.type == store::FieldType::UInt8)
            v = std::clamp<qint64>(v, 0, 255);
        if (def.type == store::FieldType::Date || def.type == store::FieldType::Time)
            v = v < 0 ? 0 : std::min<qint64>(v * 211, 3000000);
        values.emplace_back(v);
    }
    values[size_t(layout.fieldIndex(u"ID"_s))] = QVariant(qint64(i + 1));
    return values;
}

// True when a song has an entry in `key` (keys that exclude empty values skip all-empty ones).
bool inKey(const std::vector<QVariant> &song, int key)
{
    const store::FileLayout &layout = SongloreRecord::fileLayout();
    if (key < 0 || !layout.keys[size_t(key)].excludeEmpty)
        return true;
    for (int f : layout.keys[size_t(key)].fields) {
        const QVariant &v = song[size_t(f)];
        if (layout.fields[size_t(f)].isText() ? !v.toString().trimmed().isEmpty()
                                              : v.toLongLong() != 0)
            return true;
    }
    return false;
}

struct Counts
{
    size_t literals = 0;
    size_t boundNames = 0;
};

void countLeaves(const expr::Node &node, const expr::Resolver &resolver, Counts &counts)
{
    switch (node.kind) {
    case expr::Node::Kind::Text:
    case expr::Node::Kind::Number:
        ++counts.literals;
        break;
    case expr::Node::Kind::Name:
        if (auto binding = resolver(node.text.toUpper());
            binding && std::holds_alternative<expr::Bound>(*binding))
            ++counts.boundNames;
        break;
    case expr::Node::Kind::Call:
        if (node.function == expr::Function::Today)
            ++counts.boundNames;
        break;
    default:
        break;
    }
    for (const auto &child : node.children)
        countLeaves(*child, resolver, counts);
}

expr::Resolver songResolver()
{
    return [](const QString &upper) -> std::optional<expr::Binding> {
        const store::FileLayout &layout = SongloreRecord::fileLayout();
        if (upper.startsWith(u"MUS:"_s) && upper.indexOf(u':', 4) < 0) {
            const int f = layout.fieldIndex(upper);
            if (f < 0)
                return std::nullopt;
            const store::FieldDef &def = layout.fields[size_t(f)];
            return expr::Column{Songlore.columnName(f), valueTypeOf(def), def.places};
        }
        for (const auto &[name, value] : boundNames()) {
            if (name == upper) {
                const QVariant v = value;
                return expr::Bound{[v] { return v; }, expr::ValueType::Unknown, 0};
            }
        }
        return std::nullopt;
    };
}

// The SQL that is left once the columns are taken out may hold only what the compiler writes
// itself: no text and no number of the filter.
QString foreignSql(QString sql)
{
    const store::FileLayout &layout = SongloreRecord::fileLayout();
    for (int f = 0; f < int(layout.fields.size()); ++f)
        sql.replace(Songlore.columnName(f), u" "_s);
    static const QRegularExpression token(
        uR"('(?:[^']|'')*'|[A-Za-z_][A-Za-z_0-9]*|[0-9]+(?:\.[0-9]+)?|\s+|[()?,+\-*/=<>!|]|.)"_s);
    static const std::set<QString> words = {
        u"AND"_s,      u"OR"_s,        u"NOT"_s,       u"COLLATE"_s,   u"MDXEXACT"_s,
        u"CAST"_s,     u"AS"_s,        u"REAL"_s,      u"IFNULL"_s,    u"mdx_text"_s,
        u"mdx_num"_s,  u"mdx_int"_s,   u"mdx_upper"_s, u"mdx_lower"_s, u"mdx_clip"_s,
        u"mdx_len"_s,  u"mdx_sub"_s,   u"mdx_left"_s,  u"mdx_right"_s, u"mdx_instring"_s,
        u"mdx_abs"_s,  u"mdx_isnum"_s, u"mdx_month"_s, u"mdx_day"_s,   u"mdx_year"_s,
        u"mdx_date"_s, u"mdx_plus"_s,  u"mdx_minus"_s, u"mdx_times"_s, u"mdx_cmp"_s,
    };
    for (auto it = token.globalMatch(sql); it.hasNext();) {
        const QString t = it.next().captured();
        if (t.trimmed().isEmpty() || t == u"''"_s || words.count(t))
            continue;
        if (t.size() == 1 && QStringLiteral("()?,+-*/=<>!|").contains(t))
            continue;
        if (t.front().isDigit()) {
            // Scales, zeros and powers of ten are the compiler's own numbers.
            static const QRegularExpression own(u"^(?:1?[0-9]|10*(?:\\.0)?|0\\.0)$"_s);
            if (own.match(t).hasMatch())
                continue;
        }
        return t;
    }
    return {};
}

} // namespace

FilterProbe::FilterProbe()
{
    if (!m_dir.isValid()) {
        m_error = u"no scratch directory"_s;
        return;
    }
    store::Store::instance().setDataDirectory(m_dir.path());
    int rc = Songlore.open();
    if (rc == store::NoFileErr) {
        Songlore.create();
        rc = Songlore.open();
    }
    if (rc != 0) {
        m_error = u"cannot open the songs file: "_s + store::lastError().text;
        return;
    }
    Songlore.useCount = 1;
    for (int i = 0; i < 48; ++i) {
        m_songs.push_back(makeSong(i));
        MUS.clear();
        MUS.setValues(m_songs.back());
        if (Songlore.add() != 0) {
            m_error = u"cannot add song: "_s + store::lastError().text;
            return;
        }
        m_songs.back() = MUS.values();
    }
    // Read back as stored (texts clipped and cut to size).
    for (auto &song : m_songs) {
        MUS.setValues(song);
        if (Songlore.get(SongloreRecord::KeyID) != 0) {
            m_error = u"cannot read a song back"_s;
            return;
        }
        song = MUS.values();
    }
}

FilterProbe::~FilterProbe()
{
    store::Store::instance().closeAll();
}

QString FilterProbe::checkBytes(const char *data, size_t size)
{
    return check(QString::fromUtf8(data, qsizetype(size)));
}

QString FilterProbe::checkSql(const QString &filter)
{
    const expr::ParseResult parsed = expr::parse(filter);
    if (!parsed.ok() || !parsed.root)
        return {};
    const expr::Resolver resolver = songResolver();
    const expr::CompiledFilter compiled = expr::compile(*parsed.root, resolver);
    if (!compiled.ok())
        return {};
    if (compiled.sql.count(u'?') != qsizetype(compiled.params.size()))
        return u"the SQL has %1 parameters for %2 values: %3"_s.arg(compiled.sql.count(u'?'))
            .arg(compiled.params.size())
            .arg(compiled.sql);
    Counts counts;
    countLeaves(*parsed.root, resolver, counts);
    const auto bound = size_t(std::count_if(compiled.params.begin(), compiled.params.end(),
                                            [](const expr::Param &p) { return p.isBound(); }));
    if (bound != counts.boundNames || compiled.params.size() - bound != counts.literals)
        return u"%1 literals and %2 bound names gave %3 constants and %4 bound parameters: %5"_s
            .arg(counts.literals)
            .arg(counts.boundNames)
            .arg(compiled.params.size() - bound)
            .arg(bound)
            .arg(compiled.sql);
    if (const QString foreign = foreignSql(compiled.sql); !foreign.isEmpty())
        return u"the SQL holds '%1', which the compiler does not write: %2"_s.arg(foreign,
                                                                                  compiled.sql);
    return {};
}

QString FilterProbe::check(const QString &filter, int key)
{
    if (!isReady())
        return m_error;
    // The file keeps a prepared statement for every filter it has read with until it closes;
    // reopening now and then keeps a long run's memory flat.
    if (++m_checks % 512 == 0) {
        Songlore.close();
        if (Songlore.open() != 0)
            return u"cannot reopen the songs file: "_s + store::lastError().text;
        Songlore.useCount = 1;
    }
    const store::FileLayout &layout = SongloreRecord::fileLayout();
    if (key < 0) {
        size_t sum = 0;
        for (QChar c : filter)
            sum += c.unicode();
        key = int(sum % (layout.keys.size() + 1)) - 1;
    }

    if (QString problem = checkSql(filter); !problem.isEmpty())
        return problem;

    // The evaluator's answer, song by song.
    const expr::ParseResult parsed = expr::parse(filter);
    std::vector<qint64> expected;
    QString evaluationError;
    if (parsed.ok()) {
        for (const auto &song : m_songs) {
            if (!inKey(song, key))
                continue;
            bool selected = true;
            if (parsed.root) {
                const expr::ValueGetter getter =
                    [&song, &layout](const QString &upper) -> std::optional<expr::Value> {
                    if (upper.startsWith(u"MUS:"_s) && upper.indexOf(u':', 4) < 0) {
                        const int f = layout.fieldIndex(upper);
                        if (f < 0)
                            return std::nullopt;
                        const store::FieldDef &def = layout.fields[size_t(f)];
                        return expr::fromVariant(song[size_t(f)], valueTypeOf(def), def.places);
                    }
                    for (const auto &[name, value] : boundNames()) {
                        if (name == upper)
                            return expr::fromVariant(value, expr::ValueType::Unknown);
                    }
                    return std::nullopt;
                };
                const expr::Evaluation evaluation = expr::evaluate(*parsed.root, getter);
                if (!evaluation.ok()) {
                    evaluationError = evaluation.error.message;
                    break;
                }
                selected = evaluation.selects();
            }
            if (selected)
                expected.push_back(song[size_t(layout.fieldIndex(u"ID"_s))].toLongLong());
        }
    }

    // The view's answer, walked both ways.
    store::View view(Songlore);
    view.setOrder(key);
    for (const auto &[name, value] : boundNames()) {
        const QVariant v = value;
        view.bind(name, [v] { return v; });
    }
    view.setFilter(filter);
    const int opened = view.open();
    if (opened != 0) {
        if (opened != store::BadViewErr)
            return u"the view did not open: %1"_s.arg(opened);
        if (parsed.ok() && evaluationError.isEmpty() && !view.filterError().contains(u"nested"_s) &&
            !view.filterError().contains(u"too many"_s))
            return u"the compiler refused what the evaluator reads: "_s + view.filterError();
        return {};
    }
    if (!parsed.ok())
        return u"the view took a filter that does not parse: "_s + parsed.error.message;
    if (!evaluationError.isEmpty())
        return u"the view took a filter the evaluator refuses: "_s + evaluationError;

    std::vector<qint64> forward;
    std::vector<qint64> backward;
    for (bool ahead : {true, false}) {
        std::vector<qint64> &ids = ahead ? forward : backward;
        view.set();
        int rc = 0;
        while ((rc = ahead ? view.next() : view.previous()) == 0)
            ids.push_back(MUS.ID);
        if (rc != store::NoRecErr)
            return u"reading the view %1 failed with %2: %3"_s
                .arg(ahead ? u"forward"_s : u"backward"_s)
                .arg(rc)
                .arg(store::lastError().driverText);
    }
    std::reverse(backward.begin(), backward.end());
    if (forward != backward)
        return u"the view reads %1 songs forward and %2 backward, or in another order"_s
            .arg(forward.size())
            .arg(backward.size());
    std::sort(forward.begin(), forward.end());
    if (forward != expected) {
        std::vector<qint64> differing;
        std::set_symmetric_difference(forward.begin(), forward.end(), expected.begin(),
                                      expected.end(), std::back_inserter(differing));
        const auto &song = m_songs[size_t(differing.front() - 1)];
        QStringList values;
        for (const QVariant &v : song)
            values << v.toString();
        return u"the view selects %1 songs and the evaluator %2 (key %3); first differing: %4"_s
            .arg(forward.size())
            .arg(expected.size())
            .arg(key)
            .arg(values.join(u'|'));
    }
    return {};
}

} // namespace melodex::fuzz
