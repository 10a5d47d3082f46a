#include "analysis/paired/analytic_intervals.h"

#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/tools/roots.hpp>
#include <cmath>
#include <cstdint>
#include <exception>

namespace velmora {

namespace {

constexpr int kMaxExpansions = 64;
constexpr std::uintmax_t kMaxIterations = 200;

// The noncentrality at which the distribution function at t is `target`. The
// function falls as the noncentrality grows, so the root is bracketed by
// widening steps out from the normal approximation t -+ z sqrt(1 + t^2 / (2
// df)), then found by TOMS 748.
std::optional<double> noncentralityFor(double t, double df, double target, double z) {
    const auto f = [&](double ncp) {
        return boost::math::cdf(boost::math::non_central_t(df, ncp), t) - target;
    };
    const double spread = std::sqrt(1.0 + t * t / (2.0 * df));
    const double guess = target > 0.5 ? t - z * spread : t + z * spread;
    double step = spread;
    double lo = guess - step;
    double hi = guess + step;
    double flo = f(lo);
    double fhi = f(hi);
    for (int k = 0; k < kMaxExpansions && flo < 0.0; ++k) {
        hi = lo;
        fhi = flo;
        step *= 2.0;
        lo -= step;
        flo = f(lo);
    }
    for (int k = 0; k < kMaxExpansions && fhi > 0.0; ++k) {
        lo = hi;
        flo = fhi;
        step *= 2.0;
        hi += step;
        fhi = f(hi);
    }
    if (flo == 0.0) return lo;
    if (fhi == 0.0) return hi;
    if (!(flo > 0.0 && fhi < 0.0)) return std::nullopt;
    // To a few units in the last place, absolute near 0 where a relative
    // tolerance would never be met.
    const auto close = [](double a, double b) {
        return std::abs(b - a) <= 4e-15 * std::max(1.0, std::min(std::abs(a), std::abs(b)));
    };
    std::uintmax_t iterations = kMaxIterations;
    const auto [a, b] = boost::math::tools::toms748_solve(f, lo, hi, flo, fhi, close, iterations);
    if (iterations >= kMaxIterations) return std::nullopt;
    return a + (b - a) / 2.0;
}

}  // namespace

PairedInterval NoncentralityInterval(double t, double df, double level) {
    if (!std::isfinite(t) || !(df > 0.0)) return {};
    const double tail = (1.0 - level) / 2.0;
    const double z = -NormalQuantile(tail);
    try {
        PairedInterval limits;
        limits.lower = noncentralityFor(t, df, 1.0 - tail, z);
        limits.upper = noncentralityFor(t, df, tail, z);
        if (limits.lower && limits.upper) return limits;
    } catch (const std::exception&) {
        // Boost's evaluation or overflow error: an extreme t for its df.
    }
    return {};
}

PairedAnalyticIntervals ComputePairedAnalyticIntervals(const PairedObserved& observed,
                                                       double level) {
    PairedAnalyticIntervals intervals;
    const double n = observed.moments.n;
    const double rootN = std::sqrt(n);

    PairedInterval& dz = intervals[static_cast<std::size_t>(PairedEffect::Dz)].emplace();
    if (const auto& d = estimateOf(observed.d, PairedEffect::Dz); d && n >= 2.0) {
        const PairedInterval ncp = NoncentralityInterval(*d * rootN, n - 1.0, level);
        if (ncp.lower && ncp.upper) {
            dz.lower = *ncp.lower / rootN;
            dz.upper = *ncp.upper / rootN;
        }
    }

    PairedInterval& db = intervals[static_cast<std::size_t>(PairedEffect::Db)].emplace();
    if (const auto& d = estimateOf(observed.d, PairedEffect::Db); d && observed.r && n >= 2.0) {
        const double se = std::sqrt(2.0 * (1.0 - *observed.r) / n + *d * *d / (2.0 * n));
        const double z = -NormalQuantile((1.0 - level) / 2.0);
        if (std::isfinite(se)) {
            db.lower = *d - z * se;
            db.upper = *d + z * se;
        }
    }
    return intervals;
}

PairedInterval CorrectedInterval(const PairedInterval& d, std::optional<double> correction) {
    PairedInterval g;
    if (!correction) return g;
    if (d.lower) g.lower = *correction * *d.lower;
    if (d.upper) g.upper = *correction * *d.upper;
    return g;
}

}  // namespace velmora
