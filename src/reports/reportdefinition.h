// What sets one report apart: its records, its selection and skip tests, its layout.
#pragma once

#include "platform/query/queryfieldlist.h"
#include "reports/reportlayout.h"
#include "reports/reportrecord.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace melodex::store {
class KeyedFile;
class View;
} // namespace melodex::store

namespace melodex::reports {

/// A file whose record is joined to each record of the report: the one whose first component
/// of `key` equals the report record's `ownField`. The report's filter may name its fields, and
/// the layout reads them as source 1, 2, ... in the order of the definition's joins.
struct ReportJoin
{
    store::KeyedFile *file = nullptr;
    int key = -1;        ///< a key of `file` whose first component is the joined field
    int otherField = -1; ///< that field of `file`
    int ownField = -1;   ///< the field of the report's file that holds its value
    /// The source whose `ownField` holds the value: 0 the report's file, or an earlier join
    /// (a playlist entry's song, then the song's category). Only joins from the report's own
    /// file are offered to its filter.
    int fromSource = 0;
};

/// One report procedure. A new report is a definition: its file and key order, its joins, its
/// tests and a layout; the report run does the rest.
struct ReportDefinition
{
    enum class Kind {
        Criteria, ///< the criteria dialog first ("Selected" test, Brief twin)
        Query,    ///< the preview question and the query wizard
        Fixed,    ///< the preview question; the records are fixed by the caller
        Wizard,   ///< the criteria as they stand, then the query wizard (the paper savers)
    };

    QString procedure; ///< "PrintMUS:SongsByArtist": font keys, registration, command line
    QString briefTwin; ///< the procedure printed instead when the criteria ask for "Brief"
    QString noun;      ///< what the criteria dialog's prompt names ("artists")
    Kind kind = Kind::Criteria;
    bool hasFontKeys = false;

    store::KeyedFile *file = nullptr;
    int key = -1;
    std::vector<ReportJoin> joins;
    /// A condition the report always applies (e.g. one category); empty for none.
    QString fixedFilter;
    /// Extra names the filters may use, bound when the view opens.
    std::function<void(store::View &)> bind;

    /// The text the "Selected" prefix test compares with the selection; empty function: the
    /// report has no such test.
    ReportColumn::TextOf selectionText;
    /// True for a record that is read but never printed; empty function: none is left out.
    std::function<bool(const ReportRecord &)> skip;

    /// Puts the records in order before any prints, for reports of few records (one album's
    /// songs) whose order no key gives: all records are read first. Given the values of two
    /// records of the report's file, true when the first comes before the second. Empty
    /// function: the key's order.
    std::function<bool(const std::vector<QVariant> &, const std::vector<QVariant> &)> order;

    /// Called with each record that prints, just before its line is laid out (running totals,
    /// positions); empty function: none.
    std::function<void(const ReportRecord &)> beforeLine;
    /// Called once a run has laid out all its records, before the pages go out: a write-back
    /// (the chart's renumbering) into the files of `writes`, inside a transaction the run holds
    /// until the pages are out. False when it could not write; the store's error says why. The
    /// change is kept only when the pages go out, and the pages only when it is kept.
    std::function<bool()> afterRun;
    /// The files afterRun writes.
    std::vector<store::KeyedFile *> writes;

    /// The fields the query wizard offers a query report (its procedure name set).
    std::function<query::QueryFieldList()> queryFields;

    /// Builds the layout when a run starts (titles and pictures may follow the settings).
    std::function<ReportLayout()> layout;
};

} // namespace melodex::reports
