// The free-form font form: the font entries with a colour dialog.
#include "ui/labels/updatefontfreeform.h"

#include "labels/labelfont.h"
#include "ui/labels/updatefonts.h"

#include <QColorDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace melodex {

namespace {

constexpr int ColourField = 2;

} // namespace

UpdateFontFreeForm::UpdateFontFreeForm(QWidget *parent) : RecordForm(settings(), parent)
{
    QLineEdit *colour = fieldEdit(ColourField);
    auto *pick = new QPushButton(QStringLiteral("..."), this);
    pick->setObjectName(QStringLiteral("pickColour"));
    pick->setToolTip(QStringLiteral("Choose the colour"));
    pick->setMaximumWidth(pick->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    // The button sits right of the colour entry, in the entry's row of the form.
    for (auto *fields : findChildren<QFormLayout *>()) {
        int row = -1;
        QFormLayout::ItemRole role;
        fields->getWidgetPosition(colour, &row, &role);
        if (row < 0)
            continue;
        fields->removeWidget(colour);
        auto *line = new QHBoxLayout;
        line->addWidget(colour, 1);
        line->addWidget(pick);
        fields->setLayout(row, QFormLayout::FieldRole, line);
        break;
    }
    connect(pick, &QPushButton::clicked, this, &UpdateFontFreeForm::pickColour);
}

FormSettings UpdateFontFreeForm::settings()
{
    FormSettings s = UpdateFonts::settings();
    s.procedure = QStringLiteral("UpdateFontFreeForm");
    s.designedCaption = QStringLiteral("Update Font Information (Freeform)");
    s.insertCaption = s.designedCaption;
    s.changeCaption = s.designedCaption;
    return s;
}

void UpdateFontFreeForm::run(QWidget *caller, FormDone then)
{
    auto *form = new UpdateFontFreeForm(caller);
    if (!form->start()) {
        delete form;
        if (then)
            then(GLO.ActionResponse);
        return;
    }
    callForm(caller, form, std::move(then));
}

void UpdateFontFreeForm::pickColour()
{
    QLineEdit *colour = fieldEdit(ColourField);
    if (!m_colourDialog) {
        m_colourDialog = new QColorDialog(this);
        m_colourDialog->setWindowTitle(QStringLiteral("Select Color"));
        connect(m_colourDialog, &QColorDialog::colorSelected, this,
                [colour](const QColor &c) { colour->setText(LabelFont::colourText(c)); });
    }
    m_colourDialog->setCurrentColor(LabelFont::colour(colour->text()));
    m_colourDialog->open();
}

} // namespace melodex
