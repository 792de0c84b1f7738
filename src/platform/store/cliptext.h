// Text fields as the store keeps them: trailing blanks never count.
#pragma once

#include <QString>

namespace melodex::store {

/// The length of `text` without its trailing blanks.
inline qsizetype clippedLength(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    return end;
}

/// `text` without its trailing blanks, as a text field stores and compares it.
inline QString clipped(QString text)
{
    text.truncate(clippedLength(text));
    return text;
}

} // namespace melodex::store
