#include "platform/store/view.h"

#include "platform/expr/compiler.h"
#include "platform/expr/parser.h"
#include "platform/store/columnindex.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"

#include "platform/store/store.h"

namespace melodex::store {

namespace {

QHash<QString, View::Getter> &globalBindings()
{
    static QHash<QString, View::Getter> bindings;
    return bindings;
}

expr::ValueType valueTypeOf(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::Text:
    case FieldType::Memo:
        return expr::ValueType::Text;
    case FieldType::Decimal:
        return expr::ValueType::Decimal;
    case FieldType::Date:
        return expr::ValueType::Date;
    case FieldType::Time:
        return expr::ValueType::Time;
    default:
        return expr::ValueType::Integer;
    }
}

} // namespace

View::View(KeyedFile &file) : m_file(file) {}
View::~View() = default;

void View::bindGlobal(const QString &name, Getter getter)
{
    globalBindings().insert(name.toUpper(), std::move(getter));
}

void View::bind(const QString &name, Getter getter)
{
    m_bindings.insert(name.toUpper(), std::move(getter));
}

void View::addLookup(KeyedFile &other, int otherField, int ownField)
{
    m_lookups.push_back(Lookup{&other, otherField, ownField});
}

void View::setOrder(int key)
{
    m_key = key;
    if (m_cursor)
        m_cursor->setOrder(key);
}

void View::setColumnIndex(std::shared_ptr<ColumnIndex> index)
{
    m_index = std::move(index);
    if (m_cursor)
        m_cursor->setColumnIndex(m_index.get());
}

void View::setDescending(bool descending)
{
    m_descending = descending;
    if (m_cursor)
        m_cursor->setDescending(descending);
}

int View::open()
{
    if (!m_file.isOpen()) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    if (m_index && !m_index->isCurrent())
        if (const int rc = m_index->build(); rc != 0)
            return rc;
    m_cursor = std::make_unique<Cursor>(m_file);
    m_cursor->setOrder(m_key);
    m_cursor->setColumnIndex(m_index.get());
    m_cursor->setDescending(m_descending);
    m_open = true;
    m_filterError.clear();
    m_filterSql.clear();
    m_filterBinder = {};
    QStringList parts;
    for (const QString &p : std::as_const(m_filterParts))
        if (!p.trimmed().isEmpty())
            parts << p;
    if (parts.isEmpty()) {
        clearError();
        return 0;
    }
    const FileLayout &own = m_file.layout();
    const expr::Resolver resolver = [this,
                                     &own](const QString &upper) -> std::optional<expr::Binding> {
        const int colon = upper.indexOf(u':');
        if (colon > 0 && upper.left(colon).compare(own.prefix, Qt::CaseInsensitive) == 0 &&
            upper.indexOf(u':', colon + 1) < 0) {
            const int f = own.fieldIndex(upper);
            if (f < 0)
                return std::nullopt;
            const FieldDef &def = own.fields[static_cast<size_t>(f)];
            return expr::Column{m_file.columnName(f), valueTypeOf(def), def.places};
        }
        if (auto it = m_bindings.constFind(upper); it != m_bindings.cend())
            return expr::Bound{*it, expr::ValueType::Unknown, 0};
        if (auto it = globalBindings().constFind(upper); it != globalBindings().cend())
            return expr::Bound{*it, expr::ValueType::Unknown, 0};
        KeyedFile *file = colon > 0 ? Store::instance().fileByPrefix(upper.left(colon)) : nullptr;
        for (const Lookup &lookup : m_lookups) {
            const int f = file == lookup.file ? file->layout().fieldIndex(upper) : -1;
            if (f < 0)
                continue;
            const FieldDef &def = file->layout().fields[static_cast<size_t>(f)];
            // A correlated lookup of the record the row points to; the outer column is named
            // with its schema because both tables are called "rec".
            const QString sql =
                QStringLiteral("COALESCE((SELECT %1 FROM %2 WHERE %3 = %4.%5 LIMIT 1), %6)")
                    .arg(file->columnName(f), file->tableName(),
                         file->columnName(lookup.otherField), m_file.tableName(),
                         m_file.columnName(lookup.ownField),
                         def.isText() ? QStringLiteral("''") : QStringLiteral("0"));
            return expr::Column{sql, valueTypeOf(def), def.places};
        }
        const int field = file ? file->layout().fieldIndex(upper) : -1;
        if (field >= 0) {
            const FieldDef &def = file->layout().fields[static_cast<size_t>(field)];
            return expr::Bound{[file, field] { return file->buffer().value(field); },
                               valueTypeOf(def), def.places};
        }
        return std::nullopt;
    };
    auto compiled = std::make_shared<expr::CompiledFilter>(expr::compileAll(parts, resolver));
    if (!compiled->ok()) {
        m_filterError = compiled->error.message;
        setDriverError(BadViewErr, m_filterError, m_file.name());
        // The view still reads, unfiltered, as a list does after "Filter and Range Limits ignored".
        return BadViewErr;
    }
    m_filterSql = compiled->sql;
    m_filterBinder = [compiled](sqlite3_stmt *st, int first) {
        expr::bind(st, first, compiled->params);
        return first + int(compiled->params.size());
    };
    m_cursor->setFilter(m_filterSql, m_filterBinder);
    if (FileEngine *engine = fileEngineOf(m_file))
        return openOnEngine(*engine, parts);
    clearError();
    return 0;
}

int View::openOnEngine(FileEngine &engine, const QStringList &parts)
{
    // The conditions that compiled above, as one tree for the engine's own query language.
    auto all = std::make_unique<expr::Node>();
    all->kind = expr::Node::Kind::And;
    for (const QString &part : parts) {
        expr::ParseResult parsed = expr::parse(part);
        if (parsed.root)
            all->children.push_back(std::move(parsed.root));
    }
    if (all->children.empty()) {
        clearError();
        return 0;
    }
    const FileLayout &own = m_file.layout();
    const FilterResolver resolver = [this,
                                     &own](const QString &upper) -> std::optional<FilterName> {
        const int colon = upper.indexOf(u':');
        if (colon > 0 && upper.left(colon).compare(own.prefix, Qt::CaseInsensitive) == 0 &&
            upper.indexOf(u':', colon + 1) < 0) {
            const int f = own.fieldIndex(upper);
            if (f < 0)
                return std::nullopt;
            return FilterName{f, {}};
        }
        if (auto it = m_bindings.constFind(upper); it != m_bindings.cend())
            return FilterName{-1, expr::Bound{*it, expr::ValueType::Unknown, 0}};
        if (auto it = globalBindings().constFind(upper); it != globalBindings().cend())
            return FilterName{-1, expr::Bound{*it, expr::ValueType::Unknown, 0}};
        KeyedFile *file = colon > 0 ? Store::instance().fileByPrefix(upper.left(colon)) : nullptr;
        // Another file's fields through a lookup are not offered on an engine yet.
        for (const Lookup &lookup : m_lookups)
            if (file == lookup.file)
                return std::nullopt;
        const int field = file ? file->layout().fieldIndex(upper) : -1;
        if (field >= 0) {
            const FieldDef &def = file->layout().fields[static_cast<size_t>(field)];
            return FilterName{-1, expr::Bound{[file, field] { return file->buffer().value(field); },
                                              valueTypeOf(def), def.places}};
        }
        return std::nullopt;
    };
    const expr::Node &root = all->children.size() == 1 ? *all->children.front() : *all;
    QString error;
    std::shared_ptr<WalkFilter> filter = engine.makeFilter(root, resolver, error);
    if (!filter) {
        m_filterError = error;
        m_filterSql.clear();
        m_filterBinder = {};
        m_cursor->setFilter(QString(), {});
        setDriverError(BadViewErr, m_filterError, m_file.name());
        return BadViewErr;
    }
    m_cursor->setEngineFilter(std::move(filter));
    clearError();
    return 0;
}

int View::bindFilter(sqlite3_stmt *st, int first) const
{
    return m_filterBinder ? m_filterBinder(st, first) : first;
}

int View::set()
{
    if (!m_open)
        return open();
    m_cursor->toStart();
    return 0;
}

int View::setFromBuffer()
{
    if (!m_open) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    const std::vector<int> fields = m_cursor->orderFields();
    if (fields.empty()) {
        m_cursor->toStart();
        return 0;
    }
    std::vector<Value> values;
    for (int f : fields)
        values.push_back(m_file.storedValue(f));
    m_cursor->toValue(values);
    return 0;
}

int View::reset(const Position &pos)
{
    if (!m_open) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    if (const int rc = m_file.reget(pos); rc != 0)
        return rc;
    m_cursor->toRecord(m_cursor->keyValuesOf(m_file.buffer().values()), pos.id);
    return 0;
}

int View::next()
{
    Cursor::Row row;
    if (!m_open) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    if (const int rc = m_cursor->step(true, row); rc != 0)
        return rc;
    m_file.loadValues(row.id, row.version, std::move(row.values));
    clearError();
    return 0;
}

int View::previous()
{
    Cursor::Row row;
    if (!m_open) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    if (const int rc = m_cursor->step(false, row); rc != 0)
        return rc;
    m_file.loadValues(row.id, row.version, std::move(row.values));
    clearError();
    return 0;
}

int View::fetch(bool forward, int n, std::vector<Cursor::Row> &rows)
{
    if (!m_open) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    return m_cursor->fetch(forward, n, rows);
}

} // namespace melodex::store
