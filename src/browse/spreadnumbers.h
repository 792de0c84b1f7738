// SpreadNumbers: 100 numbers spread evenly between a low and a high key value.
#pragma once

#include <vector>

namespace melodex {

/// The numeric counterpart of SpreadKeyValues, for orders whose thumb component is a number.
class SpreadNumbers
{
public:
    static constexpr int Entries = 100;

    SpreadNumbers(double low, double high);

    /// The next entry: the first call returns low, the hundredth high, then it starts again.
    double next();
    /// Entry `k` (0 to 99); entry 99 is exactly high.
    double value(int k) const;
    std::vector<double> values() const;

private:
    double m_low;
    double m_high;
    double m_step;
    int m_calls = 0;
};

} // namespace melodex
