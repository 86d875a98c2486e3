#include "Samples.h"

#include <algorithm>

double Samples::median() const
{
    if (m_values.isEmpty())
        return 0;
    QVector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype n = sorted.size();
    return n % 2 == 1 ? sorted.at(n / 2) : (sorted.at(n / 2 - 1) + sorted.at(n / 2)) / 2;
}

double Samples::slowest() const
{
    return m_values.isEmpty() ? 0 : *std::max_element(m_values.cbegin(), m_values.cend());
}
