// The query wizard's display texts and their defaults.
#include "platform/query/querywizardtexts.h"

#include <QHash>

namespace melodex::query {

namespace {

struct DefaultText
{
    int number;
    const char16_t *text;
};

// Point sizes are kept as their digits; entries 100, 200 and 230 are empty on purpose.
constexpr DefaultText Defaults[] = {
    // operators
    {1, u"Is Equal To"},
    {2, u"Is NOT Equal To"},
    {3, u"Is Greater Than"},
    {4, u"Is Less Than"},
    {5, u"Is Greater Than or Equal To"},
    {6, u"Is Less Than or Equal To"},
    {7, u"Begins With"},
    {8, u"Contains"},
    {9, u"Is Checked"},
    {10, u"Is Not Checked"},
    // messages: title, then text
    {31, u"ErrorLoadingQuery"},
    {32, u"An error has prevented the Query Wizard from loading your query at this time."},
    {33, u"Invalid Query"},
    {34, u"The query you have designed is invalid.|Please review your query and correct the "
         u"problem."},
    {35, u"Overwrite Query"},
    {36, u"Do you want to overwrite the query you are editing?"},
    {37, u"Query No Longer Valid"},
    {38, u"This query is no longer valid because fields|and/or expressions were renamed or "
         u"deleted from|the database after you created the query.| |You should go through the "
         u"query and make the|necessary corrections to fix this query."},
    {39, u"Restricted Query"},
    {40, u"Sorry, this is a restricted query and may not be modified."},
    {41, u"Save Query"},
    {42, u"Would you like to save this query?"},
    // fonts: typeface, then point size
    {71, u"MS Sans Serif"},
    {72, u"10"},
    {73, u"MS Sans Serif"},
    {74, u"10"},
    {75, u"MS Sans Serif"},
    {76, u"8"},
    {77, u"MS Sans Serif"},
    {78, u"8"},
    {79, u"MS Sans Serif"},
    {80, u"12"},
    // wizard window
    {100, u""},
    {101, u"Add a New AND Query Element"},
    {102, u"New AND Condition"},
    {103, u"AND"},
    {104, u"Go Back to the Previous Page"},
    {105, u"Goto Previous Page"},
    {106, u"< &Back"},
    {107, u"Cancel Changes and Exit Wizard"},
    {108, u"Cancel Changes"},
    {109, u"Cancel"},
    {110, u"Change Query Element"},
    {111, u"Change Element"},
    {112, u"&Change"},
    {113, u"Delete Query Element"},
    {114, u"Delete Element"},
    {115, u"&Delete"},
    {116, u"Finish the Wizard and Run Query"},
    {117, u"Run the Query"},
    {118, u"&Finish"},
    {119, u"Manually Enter Query Criteria"},
    {120, u"Manual Query Entry"},
    {121, u"&Manual"},
    {122, u"Go Forward to the Next Page"},
    {123, u"Goto Next Page"},
    {124, u"&Next >"},
    {125, u"Add a New OR Query Element"},
    {126, u"New OR Condition"},
    {127, u"OR"},
    {151, u"Constant &Value"},
    {152, u"E&xpression"},
    {153, u"&Another Field"},
    {154, u"Current Query"},
    {155, u"Add conditions by pressing the AND or OR buttons."},
    {156, u"Press Change or Delete to modify a condition."},
    {157, u"Enter a value to complete your expression."},
    {158, u"Field Selection"},
    {159, u"Fields to Evaluate"},
    {160, u"Manual Override"},
    {161, u"Compare Using Absolute Values"},
    {162, u"Compare Using Case Sensitive Matching"},
    {163, u"(New Query)"},
    {164, u"Operation Selection"},
    {165, u"Query Operations"},
    {166, u"Select a field from the list below."},
    {167, u"Select an Option Below"},
    {168, u"Select a query operation to perform on the selected field."},
    {169, u"Value Entry"},
    {170, u"1"},
    {171, u"Query Wizard"},
    // saved queries window
    {200, u""},
    {201, u"Query Description"},
    {202, u"Saved Queries"},
    {203, u"Edit the Selected Query"},
    {204, u"Edit Query"},
    {205, u"&Change"},
    {206, u"Cancel Request to Select a Saved Query"},
    {207, u"Cancel Query Request"},
    {208, u"Close"},
    {209, u"Remove the Selected Query"},
    {210, u"Remove Query"},
    {211, u"&Delete"},
    {212, u"Add a New Query"},
    {213, u"Add Query"},
    {214, u"&Insert"},
    {215, u"Run the Selected Query"},
    {216, u"Run Query"},
    {217, u"&Select"},
    {218, u"MS Sans Serif"},
    {219, u"8"},
    {220, u"Query No Longer Valid"},
    {221, u"This query is no longer valid because fields|and/or expressions were renamed or "
          u"deleted from|the database after you created the query.| |You must edit the query "
          u"and fix the problems|before it can be used."},
    // save dialog
    {230, u""},
    {231, u"Enter a new description for the query or press OK to accept the existing "
          u"description."},
    {232, u"Enter a description for the new query."},
    {233, u"Changing an Existing Query"},
    {234, u"Deleting a Saved Query"},
    {235, u"Adding a New Query"},
    {236, u"Query Description:"},
    {237, u"Cancel Save and Go Back to Editing Query"},
    {238, u"Cancel Save"},
    {239, u"Cancel"},
    {240, u"Accept Description and Save Query"},
    {241, u"Save Query"},
    {242, u"OK"},
    {243, u"MS Sans Serif"},
    {244, u"8"},
    // other
    {300, u"Converting Saved Query Data -- Please Wait..."},
    {301, u"Converting Data File Structure  -- Please Wait..."},
    {302, u"All Records"},
    {303, u"Custom Query..."},
};

QString defaultText(int number)
{
    for (const DefaultText &d : Defaults) {
        if (d.number == number)
            return QString::fromUtf16(d.text);
    }
    return {};
}

QHash<int, QString> &installed()
{
    static QHash<int, QString> texts;
    return texts;
}

} // namespace

void setQueryWizardText(int number, const QString &text)
{
    installed().insert(number, text);
}

void setQueryWizardText(int number, int value)
{
    setQueryWizardText(number, QString::number(value));
}

QString queryWizardText(int number)
{
    const auto it = installed().constFind(number);
    return it != installed().cend() ? *it : defaultText(number);
}

QString queryWizardMessage(int number)
{
    return queryWizardText(number).replace(u'|', u'\n');
}

void installQueryWizardTexts()
{
    for (const DefaultText &d : Defaults)
        setQueryWizardText(d.number, QString::fromUtf16(d.text));
}

} // namespace melodex::query
