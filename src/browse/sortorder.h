// SortOrder: one order of a browse list, with its locator, range limit and thumb table.
#pragma once

#include "platform/store/keyedfile.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace melodex {

/// An order of a browse list: the key that orders it and what goes with that key. The first
/// part is the window's design; the rest is the state the list keeps for the order while it is
/// open.
struct SortOrder
{
    enum class Locator {
        None,
        Step,        ///< each typed character jumps to the next record starting with it
        Incremental, ///< typed characters accumulate into a text that is located on
    };
    enum class Thumb { None, Text, Numeric };
    static constexpr int LocatorSize = 30;

    int key = -1; ///< key of the primary file
    Locator locator = Locator::None;
    int locatorField = -1; ///< key component the locator writes (field index)
    /// Range limit: the key's first component equals the value of field rangeField of another
    /// file's current record. No file: no range.
    store::KeyedFile *rangeFile = nullptr;
    int rangeField = -1;
    QString rangeFilter;    ///< e.g. "UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)"
    QString rangeResetName; ///< the name the filter reads the range value under
    Thumb thumb = Thumb::None;
    int thumbField = -1; ///< key component the thumb table spreads (field index)
    int thumbMask = 1;   ///< SpreadKeyValues class mask
    int thumbWidth = 0;  ///< characters; 0: the field's size

    // State while the list is open.
    QString locatorText;              ///< at most LocatorSize characters
    QVariant rangeResetValue;         ///< the range value the list shows
    std::vector<QString> thumbTexts;  ///< 100 entries, or empty
    std::vector<double> thumbNumbers; ///< 100 entries, or empty

    bool hasRange() const { return rangeFile != nullptr && rangeField >= 0; }
};

} // namespace melodex
