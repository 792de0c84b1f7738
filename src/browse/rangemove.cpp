// Moving a record within its numbered range: park it, shift the passed records, put it back.
#include "browse/rangemove.h"

#include "data/standardwarning.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "services/messageservice.h"

#include <limits>

namespace melodex {

using store::KeyedFile;

RangeMove::RangeMove(KeyedFile &file, int key, int rangeComponents, QString fileName)
    : m_file(file), m_key(key), m_rangeComponents(rangeComponents),
      m_numberField(file.layout().keys[size_t(key)].fields.back()), m_fileName(std::move(fileName))
{
}

bool RangeMove::inRange() const
{
    const auto &fields = m_file.layout().keys[size_t(m_key)].fields;
    for (int i = 0; i < m_rangeComponents; ++i)
        if (m_file.storedValue(fields[size_t(i)]) != m_range[size_t(i)])
            return false;
    return true;
}

qint64 RangeMove::number() const
{
    return m_file.buffer().value(m_numberField).toLongLong();
}

void RangeMove::setNumber(qint64 n)
{
    m_file.buffer().setValue(m_numberField, n);
}

// Any number no record of the range uses will do while the others shift; the lowest the field
// can hold is far from the numbers people use.
qint64 RangeMove::parkingNumber()
{
    const store::FieldDef &f = m_file.layout().fields[size_t(m_numberField)];
    qint64 n = f.type == store::FieldType::Decimal ? -f.decimalLimit()
                                                   : qint64(std::numeric_limits<qint32>::min());
    setNumber(n);
    while (m_file.duplicate(m_key))
        setNumber(++n);
    return n;
}

RangeMove::Outcome RangeMove::fail(const QString &section, qint64 current)
{
    const store::ErrorState error = store::lastError();
    if (m_began)
        store::Store::instance().rollback();
    m_began = false;
    const store::FileLayout &l = m_file.layout();
    const auto &fields = l.keys[size_t(m_key)].fields;
    QString text = QStringLiteral("Record swap error: \n") + errorDisplayText(error) + u'\n' +
                   m_fileName + QStringLiteral(", ") + l.prefix + u':' +
                   l.keys[size_t(m_key)].name + u'\n';
    for (int i = 0; i < m_rangeComponents && i < int(m_range.size()); ++i)
        text += QStringLiteral("Key Field ") + l.qualifiedName(fields[size_t(i)]) +
                QStringLiteral(" = ") + m_range[size_t(i)].toString() + u'\n';
    text += QStringLiteral("Key Field ") + l.qualifiedName(m_numberField) + QStringLiteral(" = ") +
            QString::number(current) + u'\n' + QStringLiteral("Section = ") + section + u'.';
    MessageService::instance().show({QStringLiteral("Error!"), text, MessageRequest::Error,
                                     MessageRequest::Ok, MessageRequest::Ok});
    return Outcome::Failed;
}

RangeMove::Outcome RangeMove::move(const store::Position &record, Direction direction)
{
    const bool forward = direction == Direction::DownOne || direction == Direction::ToBottom;
    const bool whole = direction == Direction::ToTop || direction == Direction::ToBottom;
    auto read = [&] { return forward ? m_file.next() : m_file.previous(); };
    m_writes = 0;
    m_range.clear();
    m_position = record;

    // Everything from the first read on is one transaction, so that no other window or process
    // renumbers the range meanwhile and a failure leaves every number as it was.
    store::Store &st = store::Store::instance();
    m_began = false;
    if (st.logout({&m_file}) != 0)
        return fail(QStringLiteral("Test Range"), 0);
    m_began = true;

    // The record itself, then its neighbour in the direction of the move.
    int rc = m_file.reset(m_key, record);
    if (rc == 0)
        rc = read();
    if (rc == store::NoRecErr || rc == store::RecordNotFoundErr ||
        (rc == 0 && m_file.position().id != record.id)) {
        st.rollback();
        return Outcome::Unchanged;
    }
    if (rc != 0)
        return fail(QStringLiteral("Test Range"), 0);
    const auto &fields = m_file.layout().keys[size_t(m_key)].fields;
    for (int i = 0; i < m_rangeComponents; ++i)
        m_range.push_back(m_file.storedValue(fields[size_t(i)]));
    const std::vector<store::Value> moved = m_file.buffer().values();
    qint64 t0 = number();
    rc = read();
    if (rc == store::NoRecErr || (rc == 0 && !inRange())) {
        st.rollback();
        return Outcome::Unchanged;
    }
    if (rc != 0)
        return fail(QStringLiteral("Test Range"), t0);
    const store::Position neighbour = m_file.position();
    qint64 t1 = number();

    // Park the moved record.
    m_file.buffer().setValues(moved);
    const qint64 parked = parkingNumber();
    if (m_file.reget(record) != 0)
        return fail(QStringLiteral("Get Orig"), t0);
    setNumber(parked);
    if (m_file.put() != 0)
        return fail(QStringLiteral("Put Swap Out"), parked);
    ++m_writes;

    // Shift the passed records by one place each.
    rc = m_file.reset(m_key, neighbour);
    while (rc == 0) {
        rc = read();
        if (rc == store::NoRecErr)
            break;
        if (rc != 0)
            return fail(QStringLiteral("Test Range"), t0);
        if (!inRange() || m_file.position().id == record.id)
            break;
        t1 = number();
        setNumber(t0);
        if (m_file.put() != 0)
            return fail(QStringLiteral("Put Swap"), t0);
        ++m_writes;
        if (!whole)
            break;
        t0 = t1;
    }
    if (rc != 0 && rc != store::NoRecErr)
        return fail(QStringLiteral("Test Range"), t0);

    // The moved record takes the last number passed.
    if (m_file.reget(record) != 0)
        return fail(QStringLiteral("Get Orig After"), t1);
    setNumber(t1);
    if (m_file.put() != 0)
        return fail(QStringLiteral("Final Put"), t1);
    ++m_writes;
    m_position = m_file.position();
    m_began = false;
    if (st.commit() != 0)
        return fail(QStringLiteral("Final Put"), t1);
    return Outcome::Moved;
}

} // namespace melodex
