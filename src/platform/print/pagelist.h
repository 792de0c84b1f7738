// The laid-out pages of a report, kept as vector pictures in a temporary spool file.
#pragma once

#include <QList>
#include <QPicture>
#include <QSizeF>
#include <QTemporaryFile>

#include <memory>

namespace melodex::print {

/// The resolution page pictures are recorded in. A picture's text is placed right only when it
/// is played back on a device of this resolution, so printers and PDF writers are set to it
/// before the page list is sent to them (pages are drawn in points and scaled to any device).
int pictureResolution();

/// An ordered list of page pictures. Pages are drawn in points (1/72 inch) over the whole
/// sheet, origin at its top left corner. Each page is written to a temporary file as it is
/// added and read back when asked for, so a list of thousands of pages holds only their
/// offsets in memory; the file goes when the list is cleared or destroyed.
class PageList
{
public:
    PageList();
    ~PageList();
    PageList(const PageList &) = delete;
    PageList &operator=(const PageList &) = delete;

    /// The size of the sheet in points (every page of a list has the same sheet).
    QSizeF pageSize() const { return m_pageSize; }
    void setPageSize(const QSizeF &points) { m_pageSize = points; }

    /// Adds a page at the end; false (the list unchanged) when the spool file cannot be
    /// written, e.g. a full disk. errorText() then says why.
    bool append(const QPicture &page);
    int count() const { return int(m_pages.size()); }
    bool isEmpty() const { return m_pages.isEmpty(); }
    /// Page `index` (from 0); an empty picture when it is out of range or cannot be read.
    QPicture page(int index) const;
    /// Forgets every page and removes the spool file.
    void clear();

    /// Bytes the pages take in the spool file.
    qint64 spoolSize() const { return m_spoolSize; }
    QString errorText() const { return m_error; }

    /// Where spool files are made; the system's temporary directory when empty (tests use this
    /// to make the spool fail).
    static void setSpoolDirectory(const QString &directory);

private:
    struct Entry
    {
        qint64 offset;
        qint64 size;
    };
    bool openSpool();

    QSizeF m_pageSize;
    QList<Entry> m_pages;
    std::unique_ptr<QTemporaryFile> m_spool;
    qint64 m_spoolSize = 0;
    QString m_error;
};

} // namespace melodex::print
