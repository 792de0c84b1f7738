// Text fields as the store keeps them: trailing blanks never count.
#pragma once

#include <QString>

namespace melodex::store {

/// `text` without its trailing blanks, as a text field stores and compares it.
inline QString clipped(QString text)
{
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

} // namespace melodex::store
