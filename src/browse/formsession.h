// FormSession: one run of a record form, from its request to its response, without the window.
#pragma once

#include "browse/deleteconfirmation.h"
#include "platform/store/fileuses.h"
#include "platform/store/keyedfile.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace melodex {

class FormSession;

/// An entry field of a form.
struct FormField
{
    QString label;   ///< "&Category:"
    QString name;    ///< the field it edits, "CAT:Category"
    QString picture; ///< "@s30"; a date picture follows the date preference
    /// Runs when the field is accepted, after its value was taken into the record; shows its
    /// own message and returns false to keep the focus in the field.
    std::function<bool(FormSession &)> validate;
};

/// A unique key checked after a duplicate-key error, with the name the message gives it.
struct UniqueKeyName
{
    int key = -1;
    QString name; ///< "CAT:KeyCategory"
};

/// The logic of a record form: takes ActionRequest, numbers a new record by adding a
/// placeholder, confirms and performs deletes, validates fields, writes on completion and deletes
/// the placeholder of a cancelled insert; leaves ActionResponse when it closes.
///
/// The form edits a copy of the record of its own and keeps the record's position token: record
/// buffers belong to the whole process, and another window may read into this file's buffer while
/// the form is open. Before each write the copy and the token are put back into the file, so a
/// record that someone else changed meanwhile is refused (89) instead of overwritten.
class FormSession
{
public:
    struct Settings
    {
        store::KeyedFile *file = nullptr;
        std::vector<store::KeyedFile *> lookups;
        /// A unique key whose last, numeric component numbers new records; -1 for none. The
        /// components before it come from the primed record, and the number follows the highest
        /// among the records that share them (a playlist's entries).
        int autoNumberKey = -1;
        std::vector<UniqueKeyName> uniqueKeys;
        std::vector<FormField> fields;
        /// Values a new record starts with, set into the file's buffer.
        std::function<void(FormSession &)> primes;
        /// Accepts request 4 as an insert with the values of the current record.
        bool supportsCopy = false;
        /// The name the ditto history is kept under (the procedure's name).
        QString historyName;
        /// The form field (index) the ditto key fills from the history; -1 for none.
        int dittoField = -1;
        /// Written in read errors; the file's label when empty.
        QString fileName;
        /// What deleting the form's record takes with it, for the question before the delete;
        /// none: the plain confirmation.
        std::function<DeleteCascade(const FormSession &)> deleteCascade;
        /// Writes a changed record through the record-change layer; empty: RIUpdate(file).
        std::function<int()> change;
    };

    /// Whether completion ended the form, and where the focus goes when it did not.
    struct Completion
    {
        bool closed = false;
        int focusField = -1; ///< form field to focus; -1 leaves the focus where it is
    };

    explicit FormSession(Settings settings);
    /// Closes the session if close() was not called.
    ~FormSession();
    FormSession(const FormSession &) = delete;
    FormSession &operator=(const FormSession &) = delete;

    /// Entry: takes ActionRequest, opens the files, numbers a new record or runs a delete. True
    /// when the form's window is to open; false when the form is already done (a delete, a
    /// cancelled numbering, an unknown request, a file that cannot be opened).
    bool start();

    int request() const { return m_request; }
    int entryRequest() const { return m_entryRequest; }
    bool copying() const { return m_copy; }
    int response() const { return m_response; }
    const Settings &settings() const { return m_settings; }
    store::KeyedFile &file() { return *m_settings.file; }

    // --- the form's copy of the record -----------------------------------------------------------
    const std::vector<QVariant> &values() const { return m_values; }
    /// The record as the form read it (or as another station left it after a refused write).
    const std::vector<QVariant> &startValues() const { return m_start; }
    QVariant value(int field) const;
    QVariant value(const QString &name) const;
    void setValue(int field, const QVariant &value);
    /// The record field edited by form field `index`.
    int recordField(int index) const;
    /// The picture of form field `index`, with the date preference applied.
    QString picture(int index) const;
    /// The text form field `index` shows.
    QString displayText(int index) const;
    /// Whether form field `index` edits a date (its designed picture is a date picture).
    bool isDateField(int index) const;

    enum class Accept { Ok, Rejected, Invalid };
    /// Takes `text` typed into form field `index`: Rejected when the picture cannot read it
    /// (nothing changes), Invalid when its validation failed. A date field reads and shows its
    /// text through the date preference (app/dateentry.h); a date it cannot read is Invalid,
    /// after a message that shows the form expected, and the text stays for the user to mend.
    Accept acceptField(int index, const QString &text);
    /// The accept-all pass over `texts` (one per form field): the first field that is not
    /// accepted, or -1 when all are.
    int acceptAll(const QStringList &texts);
    /// The value the ditto key gives form field `index`: the value of the last record this form
    /// saved, when the field is the ditto field and there is one.
    std::optional<QVariant> ditto(int index) const;

    /// The completion event (OK after the accept-all pass).
    Completion complete();
    /// Cancel, Esc or the close box.
    void cancel() { m_response = 2; }
    /// Closing: deletes the placeholder of a cancelled insert, lets go of the files, leaves the
    /// written record current in the file and sets ActionResponse.
    void close();

    /// How a duplicate-key message names key `key` of `layout` that the form calls `name`: a
    /// program's key name ("LAB:KeyLabelDescription") followed by the captions of its fields
    /// ("LAB:KeyLabelDescription (Label Description)"); a name already in words as it is.
    static QString keyCaption(const store::FileLayout &layout, int key, const QString &name);

    /// Forgets every form's ditto history (tests).
    static void clearHistory();

private:
    bool numberNewRecord();
    void runDelete();
    void putBack();
    std::vector<QVariant> normalized(const std::vector<QVariant> &values) const;
    Completion completeInsert();
    Completion completeChange();

    Settings m_settings;
    store::FileUses m_uses;
    std::vector<QVariant> m_values;
    std::vector<QVariant> m_start;
    store::Position m_position;
    std::vector<QString> m_pictures;
    int m_request = 0;
    int m_entryRequest = 0;
    int m_response = 2;
    bool m_copy = false;
    bool m_placeholder = false;
    bool m_started = false;
    bool m_closed = false;
};

} // namespace melodex
