// UpdateMedia: the form that adds, changes and deletes a media format.
#pragma once

#include "ui/form/recordform.h"

namespace melodex {

/// The media format form: one field; a new format is added when the form completes.
class UpdateMedia : public RecordForm
{
    Q_OBJECT
public:
    explicit UpdateMedia(QWidget *parent = nullptr);

    static FormSettings settings();
    /// The procedure for the current ActionRequest; returns ActionResponse.
    static int run(QWidget *parent = nullptr);
};

} // namespace melodex
