// Turning the text of an import field into the value of a song field.
#pragma once

#include "platform/picture/picture.h"
#include "platform/store/layout.h"

#include <QStringView>

namespace melodex {

/// A value for a song field made from the text of an import field.
struct ImportedValue
{
    store::Value value;
    /// False when the text was not blank and could not be read as a value of the field (or did
    /// not fit it); the value is then empty or 0.
    bool readable = true;
};

/// Converts `text` of an import field whose picture is `picture` into a value of `target`.
///
/// Pictures of letter S and N leave the text as it is: a text field takes it whole (the store
/// cuts it to the field's width) and a number field reads it as a number. A date or time field
/// reads an unconverted text with `targetPicture`, the picture the field is exported with, so
/// that "00:05:44" becomes a running time rather than 0, whether the text was quoted (S) or not
/// (N); under N, digits alone are the plain number (a day number, a time value) an export
/// under N writes. Any other picture converts the
/// text first ("deformat"); a text field then takes the digits of the value. Blank text gives
/// an empty text or 0. A value outside what the field can hold is not readable, rather than
/// being stored cut off.
ImportedValue convertImportValue(QStringView text, const picture::Picture &picture,
                                 const store::FieldDef &target,
                                 const picture::Picture &targetPicture);

} // namespace melodex
