// The labels list and its settings.
#include "ui/labels/browselabels.h"

#include "app/globals.h"
#include "browse/spreadkeyvalues.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "ui/labels/labelprinting.h"
#include "ui/labels/labelwizard.h"
#include "ui/labels/updatelabels.h"
#include "ui/procedures.h"

#include <QPushButton>

namespace melodex {

namespace {

enum ExtraButtons { WizardButton, CopyButton, PrintButton };

} // namespace

BrowseLabels::BrowseLabels(QWidget *parent)
    : BrowseLabels(std::make_shared<QPointer<BrowseLabels>>(), parent)
{
}

BrowseLabels::BrowseLabels(Self self, QWidget *parent) : BrowseList(settings(self), parent)
{
    *self = this;
}

BrowseSettings BrowseLabels::settings(const Self &)
{
    const auto &layout = LabelsRecord::fileLayout();
    const int description = layout.fieldIndex(QStringLiteral("LabelDescription"));
    SortOrder byDescription;
    byDescription.key = LabelsRecord::KeyLabelDescription;
    byDescription.locator = SortOrder::Locator::Step;
    byDescription.locatorField = description;
    byDescription.thumb = SortOrder::Thumb::Text;
    byDescription.thumbField = description;
    byDescription.thumbMask = SpreadKeyValues::Letters | SpreadKeyValues::Digits;
    byDescription.thumbWidth = 30;
    SortOrder byType;
    byType.key = LabelsRecord::KeyLabelType;

    BrowseSettings s;
    s.procedure = QStringLiteral("BrowseLabels");
    s.caption = QStringLiteral("Browse Labels");
    s.file = &Labels;
    s.lookups = {&Fonts};
    s.orders = {byDescription, byType};
    s.tabs = {{QStringLiteral("By Description"), 1}, {QStringLiteral("By Type"), 2}};
    s.listName = QStringLiteral("?Browse:1");
    s.format = QStringLiteral("120L~Label Description~L@s30@"
                              "45L~Label Type~L@s9@"
                              "120L~Cassette Title~L@s255@"
                              "120L~CD Title~L@s60@");
    s.columnFields = {QStringLiteral("LAB:LabelDescription"), QStringLiteral("LAB:LabelType"),
                      QStringLiteral("LAB:CassetteTitle"), QStringLiteral("LAB:CDTitle")};
    auto extra = [](const char *caption, const char *tip, void (BrowseLabels::*press)()) {
        return BrowseButton{BrowseButton::Extra, QString::fromUtf8(caption), QString::fromUtf8(tip),
                            [press](BrowseList &l) { (static_cast<BrowseLabels &>(l).*press)(); }};
    };
    s.buttons = {
        extra("Wi&zard", "Create a label with the label wizard", &BrowseLabels::pressWizard),
        {BrowseButton::Insert, QStringLiteral("&Add"), QStringLiteral("Add a blank label"), {}},
        extra("Cop&y", "Copy label", &BrowseLabels::pressCopy),
        {BrowseButton::Change, QStringLiteral("&Change"), {}, {}},
        {BrowseButton::Delete, QStringLiteral("&Delete"), {}, {}},
        extra("&Print", "Print the highlighted label", &BrowseLabels::pressPrint),
        {BrowseButton::Close, QStringLiteral("Cl&ose"), {}, {}},
    };
    // The form opens modal to this list only; the list shows its result when the form closes.
    s.updateProcedure = &UpdateLabels::run;
    s.designedSize = QSize(380, 200);
    s.minimumSize = QSize(200, 100);
    return s;
}

void BrowseLabels::run()
{
    showInFrame(new BrowseLabels);
}

void BrowseLabels::pressWizard()
{
    const int request = GLO.ActionRequest;
    LabelWizard::run(this, [self = QPointer<BrowseLabels>(this)] {
        if (self)
            self->forceRefresh();
    });
    GLO.ActionRequest = request;
}

void BrowseLabels::pressCopy()
{
    if (browse().isEmpty())
        return;
    callForm(SelectRecord, BrowseList::settings().updateProcedure);
}

void BrowseLabels::pressPrint()
{
    if (browse().isEmpty())
        return;
    // A highlighted label that cannot be read (deleted meanwhile, a damaged file) is said so.
    if (!browse().rereadSelected()) {
        StandardWarning(StandardMessage::RecordRetrievalError, QStringLiteral("Labels"));
        return;
    }
    LabelPrinting::printLabel(this, LAB);
}

} // namespace melodex
