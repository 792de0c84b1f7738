// Spreading of numeric key values for the scroll thumb.
#include "browse/spreadnumbers.h"

#include <algorithm>

namespace melodex {

SpreadNumbers::SpreadNumbers(double low, double high)
    : m_low(low), m_high(high), m_step((high - low) / (Entries - 1.0))
{
}

double SpreadNumbers::value(int k) const
{
    if (k >= Entries - 1)
        return m_high;
    return m_low + m_step * std::max(k, 0);
}

double SpreadNumbers::next()
{
    const double v = value(m_calls);
    m_calls = (m_calls + 1) % Entries;
    return v;
}

std::vector<double> SpreadNumbers::values() const
{
    std::vector<double> out;
    out.reserve(Entries);
    for (int k = 0; k < Entries; ++k)
        out.push_back(value(k));
    return out;
}

} // namespace melodex
