// UpdateCategories: the form that adds, changes and deletes a song category.
#pragma once

#include "ui/form/recordform.h"

namespace melodex {

/// The category form: one field, numbered by CAT:CategoryID, names unique.
class UpdateCategories : public RecordForm
{
    Q_OBJECT
public:
    explicit UpdateCategories(QWidget *parent = nullptr);

    static FormSettings settings();
    /// The procedure for the current ActionRequest (1 insert, 2 change, 3 delete); returns
    /// ActionResponse.
    static int run(QWidget *parent = nullptr);
};

} // namespace melodex
