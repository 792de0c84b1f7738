#include "platform/store/layout.h"

namespace melodex::store {

qint64 FieldDef::decimalLimit() const
{
    qint64 limit = 1;
    for (int i = 0; i < 2 * size - 1 && i < 18; ++i)
        limit *= 10;
    return limit - 1;
}

namespace {
QString stripPrefix(const QString &name, const QString &prefix)
{
    const int colon = name.indexOf(u':');
    if (colon < 0)
        return name;
    if (name.left(colon).compare(prefix, Qt::CaseInsensitive) != 0)
        return {};
    return name.mid(colon + 1);
}
} // namespace

int FileLayout::fieldIndex(const QString &name) const
{
    const QString bare = stripPrefix(name.trimmed(), prefix);
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(bare, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int FileLayout::keyIndex(const QString &name) const
{
    const QString bare = stripPrefix(name.trimmed(), prefix);
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].name.compare(bare, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int FileLayout::primaryKey() const
{
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].primary)
            return static_cast<int>(i);
    return -1;
}

QString FileLayout::qualifiedName(int field) const
{
    return prefix + u':' + fields[static_cast<size_t>(field)].name;
}

quint32 FileLayout::fingerprint() const
{
    // FNV-1a over a canonical description; pictures and meanings do not affect storage.
    QString text = label;
    for (const FieldDef &f : fields)
        text +=
            QStringLiteral("|%1:%2:%3:%4").arg(f.name).arg(int(f.type)).arg(f.size).arg(f.places);
    for (const KeyDef &k : keys) {
        text += QStringLiteral("|K%1:%2%3%4")
                    .arg(k.name)
                    .arg(k.unique)
                    .arg(k.primary)
                    .arg(k.excludeEmpty);
        for (int c : k.fields)
            text += QStringLiteral(",%1").arg(c);
    }
    quint32 h = 2166136261u;
    for (char c : text.toUtf8()) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

void Record::clear()
{
    const FileLayout &l = layout();
    for (size_t i = 0; i < l.fields.size(); ++i)
        setValue(static_cast<int>(i), l.fields[i].isText() ? Value(QString()) : Value(qint64(0)));
}

std::vector<Value> Record::values() const
{
    std::vector<Value> out;
    const size_t n = layout().fields.size();
    out.reserve(n);
    for (size_t i = 0; i < n; ++i)
        out.push_back(value(static_cast<int>(i)));
    return out;
}

void Record::setValues(const std::vector<Value> &v)
{
    for (size_t i = 0; i < v.size(); ++i)
        setValue(static_cast<int>(i), v[i]);
}

} // namespace melodex::store
