#include "analysis/paired/paired_t_test.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <string>

#include "runtime/number_text.h"
#include "runtime/rounding.h"

namespace velmora {

double NominalConfidenceLevel(float sngConfidenceLevel) {
    return std::round(static_cast<double>(sngConfidenceLevel) * 100.0) / 100.0;
}

PairedTTest ComputePairedTTest(const PairedMoments& moments, double level) {
    PairedTTest test;
    test.meanDifference = moments.difference.mean;
    test.sdDifference = std::sqrt(std::max(moments.difference.variance, 0.0));
    test.df = moments.n - 1;
    if (!(moments.difference.variance > 0.0) || test.df < 1) return test;

    const double se = test.sdDifference / std::sqrt(static_cast<double>(moments.n));
    const double t = test.meanDifference / se;
    if (!std::isfinite(t)) return test;
    const boost::math::students_t student(static_cast<double>(test.df));
    test.t = t;
    // Both tails from the upper one, which keeps its digits however small p is.
    test.p = std::min(1.0, 2.0 * boost::math::cdf(boost::math::complement(student, std::abs(t))));
    const double q = boost::math::quantile(boost::math::complement(student, (1.0 - level) / 2.0));
    test.ci.lower = test.meanDifference - q * se;
    test.ci.upper = test.meanDifference + q * se;
    return test;
}

std::string PValueText(double p) {
    if (p < 0.001) return "p < .001";
    return "p = " + doubleText(roundHalfEven(p, 3));
}

}  // namespace velmora
