// Views: ordered reads of one file over a key, narrowed by a filter in the expression language.
#pragma once

#include "platform/store/cursor.h"
#include "platform/store/position.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace melodex::store {

class ColumnIndex;
class FileEngine;
class KeyedFile;

/// Reads the records of one file in the order of a key, keeping those its filter selects. The
/// filter names this file's fields as columns; any other name (another file's field, a bound
/// name such as "BRW1::Sort3:Reset:MED:Media" or "ThreadInstance") is read when the view
/// (re)starts a walk, so it follows the current value. Rows are read into the file's buffer.
class View
{
public:
    using Getter = std::function<QVariant()>;

    explicit View(KeyedFile &file);
    ~View();
    View(const View &) = delete;
    View &operator=(const View &) = delete;

    KeyedFile &file() { return m_file; }
    void setOrder(int key);
    int order() const { return m_key; }
    /// Orders by the field of `index` in place of the key (nullptr: by the key again). Opening
    /// the view builds the index, or builds it anew when the file has changed since.
    void setColumnIndex(std::shared_ptr<ColumnIndex> index);
    /// Reads the order from its end: next goes towards the smallest values.
    void setDescending(bool descending);
    bool descending() const { return m_descending; }
    void setFilter(const QString &filter) { m_filterParts = QStringList{filter}; }
    /// Several conditions that must all hold (a list's range and the user's search), each
    /// compiled on its own so that no part can undo another's parentheses.
    void setFilterParts(const QStringList &parts) { m_filterParts = parts; }
    QStringList filterParts() const { return m_filterParts; }
    /// A name the filter may use, read each time a walk starts.
    void bind(const QString &name, Getter getter);
    /// Lets the filter name the fields of `other` as the fields of the record each row points
    /// to: the one whose `otherField` equals the row's `ownField` (a song's category through
    /// CAT:CategoryID = MUS:CategoryID). A row that points nowhere sees blanks and zeros. `other`
    /// must be open while the view reads.
    void addLookup(KeyedFile &other, int otherField, int ownField);

    /// Compiles the filter. An error code when a column index could not be built; BadViewErr (with
    /// the reason in lastError().driverText) when it does not compile; the view then reads
    /// unfiltered.
    int open();
    bool isOpen() const { return m_open; }
    QString filterError() const { return m_filterError; }
    /// The open view's filter as an SQL condition over the file's table (empty when it reads
    /// every record), so that aggregate queries can select the same records; its values are
    /// parameters that bindFilter() binds from index `first` on, returning the next free index.
    QString filterSql() const { return m_filterSql; }
    int bindFilter(sqlite3_stmt *st, int first) const;

    int set();
    int setFromBuffer();
    int reset(const Position &pos);
    int next();
    int previous();
    /// Reads up to `n` rows in one go without touching the buffer, continuing from the
    /// position (a page of a list).
    int fetch(bool forward, int n, std::vector<Cursor::Row> &rows);

    /// Names that every view can bind (e.g. "ThreadInstance"), read at each walk's start.
    static void bindGlobal(const QString &name, Getter getter);

private:
    int openOnEngine(FileEngine &engine, const QStringList &parts);

    KeyedFile &m_file;
    int m_key = -1;
    std::shared_ptr<ColumnIndex> m_index;
    bool m_descending = false;
    QStringList m_filterParts;
    QString m_filterError;
    QString m_filterSql;
    Cursor::Binder m_filterBinder;
    QHash<QString, Getter> m_bindings;
    struct Lookup
    {
        KeyedFile *file;
        int otherField;
        int ownField;
    };
    std::vector<Lookup> m_lookups;
    std::unique_ptr<Cursor> m_cursor;
    bool m_open = false;
};

} // namespace melodex::store
