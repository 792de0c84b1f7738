// FormSettings: what a concrete record form tells the form window about itself.
#pragma once

#include "browse/formsession.h"

#include <QKeySequence>
#include <QSize>
#include <QString>

namespace melodex {

/// The settings of one record form window: its record logic, captions, buttons and keys.
struct FormSettings
{
    QString procedure; ///< the procedure's name: INI section of its placement
    FormSession::Settings session;
    QString designedCaption;
    QString insertCaption; ///< "Add Category"
    QString changeCaption; ///< "Change Category"
    QString okCaption = QStringLiteral("&Ok");
    QString okTip;
    QString cancelCaption = QStringLiteral("Cancel");
    QString cancelTip;
    QKeySequence dittoKey; ///< recalls the ditto field's last saved value
    QSize designedSize;    ///< dialog units; also the minimum size
};

} // namespace melodex
