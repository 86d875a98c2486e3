#pragma once

#include <QString>
#include <QVector>

#include <optional>

// The times one action took over its repetitions, in milliseconds.
class Samples
{
public:
    void add(double ms) { m_values.append(ms); }
    bool isEmpty() const { return m_values.isEmpty(); }
    qsizetype count() const { return m_values.size(); }
    double median() const;
    double slowest() const;

private:
    QVector<double> m_values;
};

// One line of the report: an action, its times, and where it has one, the engine's own time
// for the same statements and the limits it must keep.
struct Measurement
{
    QString action;
    Samples times;
    Samples floor; // the engine alone; empty when the action has no query
    std::optional<double> limitMs; // the median (or, with limitOnSlowest, the slowest) must stay under this
    std::optional<double> maxRatio; // median over the engine's median must stay under this
    bool limitOnSlowest = false;
};
