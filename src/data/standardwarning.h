// The numbered standard messages, and the error saved for them by a failed step.
#pragma once

#include "platform/store/errors.h"

#include <QString>

#include <optional>

namespace melodex {

/// Shows standard message `number` through the message service, with `text1` (X) and `text2`
/// (Y) filled in without their trailing blanks, and returns the button pressed (1 OK, 2 Yes,
/// 4 No, 16 Retry, 64 Cancel). Messages that show an error use the saved error when there is one
/// (rolling back the open transaction and forgetting it), otherwise the current store error.
/// Messages 1, 3, 4, 5 and message 2 answered No end the program (see haltProgram). An unknown
/// number shows nothing and returns 0.
int StandardWarning(int number, const QString &text1 = {}, const QString &text2 = {});

/// Keeps the current store error for the next message that shows an error, so that the clean-up
/// after a failed step cannot overwrite what the user is told.
void saveError();
/// The error saved by saveError and not shown yet.
std::optional<store::ErrorState> savedError();
/// Forgets the saved error without showing it.
void clearSavedError();

/// The error as messages show it: its text, a blank and its code in parentheses; for code 90 the
/// driver's own text and code.
QString errorDisplayText(const store::ErrorState &error);

} // namespace melodex
