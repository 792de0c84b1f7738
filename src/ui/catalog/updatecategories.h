// UpdateCategories: the form that adds, changes and deletes a song category.
#pragma once

#include "ui/form/formcall.h"
#include "ui/form/recordform.h"

namespace melodex {

/// The category form: one field, numbered by CAT:CategoryID, names unique.
class UpdateCategories : public RecordForm
{
    Q_OBJECT
public:
    explicit UpdateCategories(QWidget *parent = nullptr);

    static FormSettings settings();
    /// The procedure for the current ActionRequest (1 insert, 2 change, 3 delete) over
    /// `caller`; `then` gets ActionResponse when the form has finished.
    static void run(QWidget *caller, FormDone then);
};

} // namespace melodex
