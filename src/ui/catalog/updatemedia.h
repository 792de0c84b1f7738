// UpdateMedia: the form that adds, changes and deletes a media format.
#pragma once

#include "ui/form/formcall.h"
#include "ui/form/recordform.h"

namespace melodex {

/// The media format form: one field; a new format is added when the form completes.
class UpdateMedia : public RecordForm
{
    Q_OBJECT
public:
    explicit UpdateMedia(QWidget *parent = nullptr);

    static FormSettings settings();
    /// The procedure for the current ActionRequest (1 insert, 2 change, 3 delete) over
    /// `caller`; `then` gets ActionResponse when the form has finished.
    static void run(QWidget *caller, FormDone then);
};

} // namespace melodex
