// Which of the catalogue's media formats a source's format becomes ("2xCD, Comp" -> "CD"): a
// table the user can see and change, kept with the preferences.
#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace melodex::importers {

/// The table of media formats for imports. A source's format text is looked up first whole,
/// then by its first part (the text before the first comma, without a quantity such as "2x"),
/// letter case ignored. A format the table does not name becomes that first part itself, cut
/// to the media field's width, and is added to the media formats as the song import adds them.
class MediaFormatMap
{
public:
    using Entry = std::pair<QString, QString>; ///< source's format, media format

    /// The table every catalogue starts with.
    static MediaFormatMap defaults();
    /// The table kept in the preferences (key MediaFormats of section [Import]), or the
    /// defaults when none is kept.
    static MediaFormatMap load();
    /// Keeps the table in the preferences; false when the file cannot be written.
    bool save() const;

    /// The table as the preferences hold it: "source=media" pairs separated by "|".
    QString toText() const;
    /// Reads toText()'s form; pairs without "=" are left out.
    static MediaFormatMap fromText(const QString &text);

    const std::vector<Entry> &entries() const { return m_entries; }
    /// Sets the media format of `source` (replacing its entry, or adding one); an empty
    /// `media` removes the entry.
    void set(const QString &source, const QString &media);

    /// The media format `sourceFormat` becomes; empty when the source names none.
    QString map(const QString &sourceFormat) const;
    /// The part of `sourceFormat` looked up when the whole text is not in the table.
    static QString firstPart(const QString &sourceFormat);

private:
    const Entry *find(const QString &source) const;
    std::vector<Entry> m_entries;
};

} // namespace melodex::importers
