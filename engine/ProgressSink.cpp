#include "engine/ProgressSink.h"

#include <climits>
#include <cmath>

void ProgressSink::Publish(double done, double whole)
{
    // Converting a quotient out of the int range would be undefined.
    const double percent = done * 100.0 / whole;
    int value;
    if (!std::isfinite(percent) || percent <= static_cast<double>(INT_MIN))
        value = INT_MIN;
    else if (percent > 100.0)
        value = 100;
    else
        value = static_cast<int>(percent);
    percent_.store(value);
}
