// What an import could not take as it was: lines passed over and lines taken with changes.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace melodex {

/// Counts the lines of an import that were not taken whole, by kind, with the first few of
/// each for the message at the end of the run.
class ImportReport
{
public:
    enum Kind {
        // Lines not imported.
        TooLong,
        Binary,
        NoValues,
        // Lines imported with a change the user should know of.
        UnterminatedQuote,
        ExtraFields,
        UnreadableValue,
        CutText,
        Reencoded,
        NoMedia,
        KindCount
    };

    /// How many lines of each kind are listed by number.
    static constexpr int ListedLines = 5;

    /// Notes that line `line` is of `kind`; `detail` says more about it ("MUS:Time: \"x\"").
    void note(Kind kind, qint64 line, const QString &detail = {});
    qint64 count(Kind kind) const { return m_entries[kind].count; }
    /// "line 7", "line 9 (MUS:Time: "x")", ... for the first ListedLines lines of `kind`.
    QStringList examples(Kind kind) const { return m_entries[kind].examples; }
    qint64 skippedLines() const { return count(TooLong) + count(Binary) + count(NoValues); }
    bool isEmpty() const;

    /// The text of the message at the end of the run; empty when there is nothing to say.
    QString text() const;

private:
    struct Entry
    {
        qint64 count = 0;
        qint64 lastLine = 0;
        QStringList examples;
    };
    std::array<Entry, KindCount> m_entries;
};

} // namespace melodex
