// The query wizard's display texts: operator names, messages, captions, tips and status texts,
// each under its number.
#pragma once

#include <QString>

namespace melodex::query {

/// Numbers of the display texts the wizard's code uses by name. Buttons come in threes: tip,
/// status text, caption.
enum QueryText : int {
    IsEqualToText = 1, ///< operators: 1 to 8 in QueryOperator order
    InvalidQueryCaption = 33,
    InvalidQueryMessage = 34,
    AndTip = 101,
    AndStatus = 102,
    AndCaption = 103,
    CancelTip = 107,
    CancelStatus = 108,
    CancelCaption = 109,
    ChangeTip = 110,
    ChangeStatus = 111,
    ChangeCaption = 112,
    DeleteTip = 113,
    DeleteStatus = 114,
    DeleteCaption = 115,
    FinishTip = 116,
    FinishStatus = 117,
    FinishCaption = 118,
    ManualTip = 119,
    ManualStatus = 120,
    ManualCaption = 121,
    OrTip = 125,
    OrStatus = 126,
    OrCaption = 127,
    CurrentQueryText = 154,
    AddConditionsHint = 155,
    ChangeOrDeleteHint = 156,
    EnterValueHint = 157,
    FieldSelectionTitle = 158,
    FieldsToEvaluateText = 159,
    ManualOverrideTitle = 160,
    NewQueryText = 163,
    OperationSelectionTitle = 164,
    QueryOperationsText = 165,
    SelectFieldHint = 166,
    SelectOptionText = 167,
    SelectOperationHint = 168,
    ValueEntryTitle = 169,
    WizardCaption = 171,
    QueryDescriptionLabel = 236,
};

/// Sets display text `number`; what the wizard shows from then on.
void setQueryWizardText(int number, const QString &text);
/// Sets a display text that is a number (the point sizes).
void setQueryWizardText(int number, int value);

/// Display text `number`: the one set last, or else its default; empty for a number that has
/// none.
QString queryWizardText(int number);

/// Display text `number` as a message shows it: each "|" starts a new line.
QString queryWizardMessage(int number);

/// Sets every display text to its default: the operators, messages, fonts and the captions, tips
/// and status texts of the wizard's windows.
void installQueryWizardTexts();

} // namespace melodex::query
